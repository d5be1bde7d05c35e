#include "widgets/LogView.h"

#include <QAccessible>
#include <QEvent>
#include <QGuiApplication>
#include <QPaintEvent>
#include <QPainter>
#include <QScrollBar>
#include <QStyleOptionFocusRect>

#include <algorithm>
#include <stdexcept>

#include "widgets/LogItemDelegate.h"
#include "widgets/LogViewAccessible.h"

TLogView::TLogView(QWidget* parent) : QAbstractItemView(parent), m_model(new TLogModel(this)) {
    setModel(m_model);
    setItemDelegate(new TLogItemDelegate(this));
    setSelectionMode(SingleSelection);
    setSelectionBehavior(SelectRows);
    setEditTriggers(NoEditTriggers);
    setHorizontalScrollMode(ScrollPerPixel);
    viewport()->setBackgroundRole(QPalette::ToolTipBase);
    horizontalScrollBar()->setSingleStep(20);
    UpdateRowHeight();
    InstallLogViewAccessibility(*this);
}

void TLogView::Clear() {
    m_model->Clear();
}

int TLogView::TopLine() const {
    return verticalScrollBar()->value();
}

int TLogView::VisibleLineCount() const {
    return std::max(1, viewport()->height() / m_rowHeight);
}

QRect TLogView::LineRect(int line) const {
    const int width = std::max(viewport()->width() + horizontalOffset(), m_contentWidth);
    return {-horizontalOffset(), (line - TopLine()) * m_rowHeight, width, m_rowHeight};
}

QRect TLogView::visualRect(const QModelIndex& index) const {
    const int line = m_model->LineOf(index);
    return line < 0 ? QRect() : LineRect(line);
}

void TLogView::scrollTo(const QModelIndex& index, ScrollHint hint) {
    const int line = m_model->LineOf(index);
    if (line < 0) {
        return;
    }
    // Lines not caught up with yet can be scrolled to all the same.
    if (m_firstNewLine >= 0) {
        UpdateScrollBars();
    }
    const int top = TopLine();
    const int visible = VisibleLineCount();
    QScrollBar* bar = verticalScrollBar();
    switch (hint) {
        case PositionAtTop:
            bar->setValue(line);
            break;
        case PositionAtBottom:
            bar->setValue(line - visible + 1);
            break;
        case PositionAtCenter:
            bar->setValue(line - visible / 2);
            break;
        case EnsureVisible:
            if (line < top) {
                bar->setValue(line);
            } else if (line >= top + visible) {
                bar->setValue(line - visible + 1);
            }
            break;
    }
}

QModelIndex TLogView::indexAt(const QPoint& point) const {
    if (point.y() < 0) {
        return {};
    }
    return m_model->IndexOfLine(TopLine() + point.y() / m_rowHeight);
}

QModelIndex TLogView::moveCursor(CursorAction cursorAction, Qt::KeyboardModifiers) {
    const int count = m_model->LineCount();
    if (count == 0) {
        return {};
    }
    const int current = m_model->LineOf(currentIndex());
    if (current < 0 && cursorAction != MoveHome && cursorAction != MoveEnd) {
        // Without a current line the first key lands on the top line in view.
        return m_model->IndexOfLine(std::min(TopLine(), count - 1));
    }
    const int line = std::max(0, current);
    int target = line;
    switch (cursorAction) {
        case MoveUp:
        case MovePrevious:
            target = line - 1;
            break;
        case MoveDown:
        case MoveNext:
            target = line + 1;
            break;
        case MovePageUp:
            target = line - VisibleLineCount();
            break;
        case MovePageDown:
            target = line + VisibleLineCount();
            break;
        case MoveHome:
            target = 0;
            break;
        case MoveEnd:
            target = count - 1;
            break;
        case MoveLeft:
            target = m_model->LineOf(m_model->parent(currentIndex()));
            target = target < 0 ? line : target;
            break;
        case MoveRight:
            break;
    }
    return m_model->IndexOfLine(std::clamp(target, 0, count - 1));
}

int TLogView::horizontalOffset() const {
    return horizontalScrollBar()->value();
}

int TLogView::verticalOffset() const {
    return TopLine() * m_rowHeight;
}

bool TLogView::isIndexHidden(const QModelIndex&) const {
    return false;
}

void TLogView::setSelection(const QRect& rect, QItemSelectionModel::SelectionFlags command) {
    // One line at a time is selectable; the rectangle ends where the mouse is now.
    const QModelIndex index = indexAt(rect.bottomRight());
    if (index.isValid()) {
        selectionModel()->select(index, command);
    } else {
        selectionModel()->select(QItemSelection(), command);
    }
}

QRegion TLogView::visualRegionForSelection(const QItemSelection& selection) const {
    QRegion region;
    const QRect shown = viewport()->rect();
    for (const QItemSelectionRange& range : selection) {
        const int first = m_model->LineOf(range.topLeft());
        const int last = m_model->LineOf(range.bottomRight());
        if (first < 0 || last < 0) {
            continue;
        }
        region += LineRect(first).united(LineRect(last)).intersected(shown);
    }
    return region;
}

void TLogView::UpdateScrollBars() {
    const int visible = VisibleLineCount();
    QScrollBar* vertical = verticalScrollBar();
    vertical->setRange(0, std::max(0, m_model->LineCount() - visible));
    vertical->setPageStep(visible);
    vertical->setSingleStep(1);
    QScrollBar* horizontal = horizontalScrollBar();
    horizontal->setRange(0, std::max(0, m_contentWidth - viewport()->width()));
    horizontal->setPageStep(viewport()->width());
}

void TLogView::updateGeometries() {
    // A view that showed the last line keeps showing it when it changes its size.
    QScrollBar* vertical = verticalScrollBar();
    const bool atEnd = vertical->value() == vertical->maximum();
    UpdateScrollBars();
    if (atEnd) {
        vertical->setValue(vertical->maximum());
    }
    QAbstractItemView::updateGeometries();
}

void TLogView::scrollContentsBy(int, int) {
    viewport()->update();
}

void TLogView::paintEvent(QPaintEvent* event) {
    QPainter painter(viewport());
    const QRect area = event->rect();
    const int count = m_model->LineCount();
    const int first = TopLine() + std::max(0, area.top()) / m_rowHeight;
    const int last = std::min(count - 1, TopLine() + area.bottom() / m_rowHeight);
    QStyleOptionViewItem option;
    initViewItemOption(&option);
    const QStyle::State baseState = option.state;
    const QModelIndex current = currentIndex();
    for (int line = first; line <= last; ++line) {
        const QModelIndex index = m_model->IndexOfLine(line);
        option.rect = LineRect(line);
        option.state = baseState;
        if (selectionModel()->isSelected(index)) {
            option.state |= QStyle::State_Selected;
        }
        if (index == current && hasFocus()) {
            option.state |= QStyle::State_HasFocus;
        }
        itemDelegate()->paint(&painter, option, index);
    }
    // An empty log has no line to frame, so the focus frames the whole view.
    if (hasFocus() && !current.isValid()) {
        QStyleOptionFocusRect frame;
        frame.initFrom(this);
        frame.rect = viewport()->rect();
        frame.backgroundColor = viewport()->palette().color(viewport()->backgroundRole());
        style()->drawPrimitive(QStyle::PE_FrameFocusRect, &frame, &painter, this);
    }
}

void TLogView::focusInEvent(QFocusEvent* event) {
    const int line = m_model->LineOf(currentIndex());
    const int top = TopLine();
    if (m_model->LineCount() > 0 && (line < top || line >= top + VisibleLineCount())) {
        selectionModel()->setCurrentIndex(
            m_model->IndexOfLine(std::min(top, m_model->LineCount() - 1)),
            QItemSelectionModel::NoUpdate);
    }
    QAbstractItemView::focusInEvent(event);
}

void TLogView::currentChanged(const QModelIndex& current, const QModelIndex& previous) {
    QAbstractItemView::currentChanged(current, previous);
    if (!hasFocus() || !QAccessible::isActive()) {
        return;
    }
    if (QAccessibleInterface* line = LogLineInterface(this, m_model->LineOf(current))) {
        QAccessibleEvent event(line, QAccessible::Focus);
        QAccessible::updateAccessibility(&event);
    }
}

void TLogView::UpdateRowHeight() {
    m_rowHeight = std::max(8, fontMetrics().height() + 3);
}

void TLogView::WidenFor(int line) {
    const std::string_view text = m_model->LineText(line);
    // A line's width is measured only when it may be the widest: a UTF-8 character takes at most
    // two bytes in the texts of this log, so a line under half the widest byte count cannot win.
    if (text.size() * 2 < m_widestBytes) {
        return;
    }
    const int indent = m_model->IsChildLine(line) ? TLogItemDelegate::kIndent : 0;
    const int width = indent + 6 +
                      fontMetrics().horizontalAdvance(
                          QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size())));
    m_widestBytes = std::max(m_widestBytes, text.size());
    m_contentWidth = std::max(m_contentWidth, width);
}

void TLogView::changeEvent(QEvent* event) {
    if (event->type() == QEvent::FontChange) {
        UpdateRowHeight();
        m_contentWidth = 0;
        m_widestBytes = 0;
        for (int line = 0; line < m_model->LineCount(); ++line) {
            WidenFor(line);
        }
        UpdateScrollBars();
    }
    QAbstractItemView::changeEvent(event);
}

void TLogView::rowsInserted(const QModelIndex& parent, int start, int end) {
    // The base class would restart a timer per line; nothing here needs it.
    const bool caughtUp = m_firstNewLine < 0;
    for (int row = start; row <= end; ++row) {
        const QModelIndex node = m_model->index(row, 0, parent);
        const int line = m_model->LineOf(node);
        WidenFor(line);
        if (m_firstNewLine < 0 || line < m_firstNewLine) {
            m_firstNewLine = line;
        }
        m_lastNewNode = node;
    }
    if (caughtUp) {
        QMetaObject::invokeMethod(this, &TLogView::CatchUp, Qt::QueuedConnection);
    }
}

void TLogView::CatchUp() {
    if (m_firstNewLine < 0) {
        return;
    }
    const int first = m_firstNewLine;
    m_firstNewLine = -1;
    UpdateScrollBars();
    const int last = m_model->LineCount() - 1;
    const int top = TopLine();
    const int bottom = top + VisibleLineCount();
    if (first <= bottom && last >= top) {
        viewport()->update(LineRect(std::max(first, top)).united(LineRect(std::min(last, bottom))));
    }
    const QModelIndex node = m_lastNewNode;
    m_lastNewNode = QPersistentModelIndex();
    if (node.isValid()) {
        emit Addition(node);
    }
}

void TLogView::reset() {
    QAbstractItemView::reset();
    m_contentWidth = 0;
    m_widestBytes = 0;
    m_firstNewLine = -1;
    m_lastNewNode = QPersistentModelIndex();
    UpdateScrollBars();
    viewport()->update();
}
