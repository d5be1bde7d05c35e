#include "widgets/LogItemDelegate.h"

#include <QPainter>

#include "widgets/LogModel.h"

void TLogItemDelegate::ApplyLineColors(QStyleOptionViewItem& option,
                                       const QModelIndex& node) const {
    if (option.state & QStyle::State_Selected) {
        return;
    }
    option.backgroundBrush =
        ToQColor(node.data(TLogModel::BackColorRole).value<TColor>(), option.palette);
    option.palette.setColor(
        QPalette::Text,
        ToQColor(node.data(TLogModel::TextColorRole).value<TColor>(), option.palette));
}

void TLogItemDelegate::paint(QPainter* painter, const QStyleOptionViewItem& option,
                             const QModelIndex& index) const {
    QStyleOptionViewItem drawn(option);
    const bool selected = (drawn.state & QStyle::State_Selected) != 0;
    const QPalette::ColorGroup group =
        (drawn.state & QStyle::State_Active) ? QPalette::Active : QPalette::Inactive;
    drawn.palette.setCurrentColorGroup(group);
    drawn.backgroundBrush = drawn.palette.brush(QPalette::Highlight);
    drawn.palette.setColor(QPalette::Text, drawn.palette.color(QPalette::HighlightedText));
    ApplyLineColors(drawn, index);

    painter->fillRect(drawn.rect, drawn.backgroundBrush);
    const int indent = index.parent().isValid() ? kIndent : 0;
    const QRect textRect = drawn.rect.adjusted(indent + 3, 0, 0, 0);
    painter->setFont(drawn.font);
    painter->setPen(drawn.palette.color(QPalette::Text));
    painter->drawText(textRect, Qt::AlignLeft | Qt::AlignVCenter | Qt::TextSingleLine,
                      index.data(Qt::DisplayRole).toString());
    if (drawn.state & QStyle::State_HasFocus) {
        QPen focus(drawn.palette.color(selected ? QPalette::HighlightedText : QPalette::Text), 1,
                   Qt::DotLine);
        painter->setPen(focus);
        painter->drawRect(drawn.rect.adjusted(0, 0, -1, -1));
    }
}

QSize TLogItemDelegate::sizeHint(const QStyleOptionViewItem& option,
                                 const QModelIndex& index) const {
    const int indent = index.parent().isValid() ? kIndent : 0;
    return {indent + 6 + option.fontMetrics.horizontalAdvance(index.data().toString()),
            option.fontMetrics.height() + 3};
}
