// How one line of the exchange log is painted.
#pragma once

#include <QStyledItemDelegate>

// Paints a log line in its own colours, or in the selection colours when it is selected, and
// frames the current line while the view has focus.
class TLogItemDelegate : public QStyledItemDelegate {
    Q_OBJECT
  public:
    static constexpr int kIndent = 19;

    using QStyledItemDelegate::QStyledItemDelegate;
    void paint(QPainter* painter, const QStyleOptionViewItem& option,
               const QModelIndex& index) const override;
    QSize sizeHint(const QStyleOptionViewItem& option, const QModelIndex& index) const override;

    // Gives an unselected line its fill and font colours; a selected one keeps the system's.
    void ApplyLineColors(QStyleOptionViewItem& option, const QModelIndex& node) const;
};
