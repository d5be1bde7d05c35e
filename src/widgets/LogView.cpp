// The exchange log: a compact line store, the view that shows it, and the sink that writes to it.
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

#include "widgets/LogViewAccessible.h"

QColor ToQColor(TColor color, const QPalette& palette) {
    if (IsSystemColor(color)) {
        switch (color) {
            case clInfoBk:
                return palette.color(QPalette::ToolTipBase);
            case clBtnFace:
                return palette.color(QPalette::Button);
            case clWindowText:
                return palette.color(QPalette::WindowText);
            default:
                return palette.color(QPalette::Text);
        }
    }
    return QColor(ColorRed(color), ColorGreen(color), ColorBlue(color));
}

// ---------------------------------------------------------------------------------------------

TLogModel::TLogModel(QObject* parent) : QAbstractItemModel(parent) {}

int TLogModel::AddLine(std::string_view text, TColor textColor, TColor backColor) {
    const int row = static_cast<int>(m_topLines.size());
    beginInsertRows({}, row, row);
    m_topLines.push_back(static_cast<std::uint32_t>(m_lines.size()));
    AppendLine(text, static_cast<std::uint32_t>(row), textColor, backColor);
    endInsertRows();
    return row;
}

void TLogModel::AddChildLine(std::string_view text, TColor textColor, TColor backColor) {
    if (m_topLines.empty()) {
        throw std::logic_error("a child line needs a caption line");
    }
    const int topRow = static_cast<int>(m_topLines.size()) - 1;
    const int row = ChildCount(topRow);
    beginInsertRows(createIndex(topRow, 0, quintptr{m_topLines.back()}), row, row);
    AppendLine(text, static_cast<std::uint32_t>(topRow) | kChildFlag, textColor, backColor);
    endInsertRows();
}

void TLogModel::Clear() {
    beginResetModel();
    // Swapping with empty containers gives the memory of a long log back, which clear() keeps.
    std::deque<TLine>().swap(m_lines);
    std::deque<std::uint32_t>().swap(m_topLines);
    std::vector<std::string>().swap(m_blocks);
    endResetModel();
}

void TLogModel::AppendLine(std::string_view text, std::uint32_t row, TColor textColor,
                           TColor backColor) {
    if (m_blocks.empty() || m_blocks.back().size() + text.size() > m_blocks.back().capacity()) {
        m_blocks.emplace_back().reserve(std::max(kBlockSize, text.size()));
    }
    std::string& block = m_blocks.back();
    const TLine line{static_cast<std::uint32_t>(m_blocks.size() - 1),
                     static_cast<std::uint32_t>(block.size()),
                     static_cast<std::uint32_t>(text.size()),
                     row,
                     PaletteIndex(textColor),
                     PaletteIndex(backColor)};
    block.append(text);
    m_lines.push_back(line);
}

std::uint16_t TLogModel::PaletteIndex(TColor color) {
    const auto found = std::find(m_palette.begin(), m_palette.end(), color);
    if (found != m_palette.end()) {
        return static_cast<std::uint16_t>(found - m_palette.begin());
    }
    m_palette.push_back(color);
    return static_cast<std::uint16_t>(m_palette.size() - 1);
}

int TLogModel::ChildCount(int topRow) const {
    const std::size_t next = static_cast<std::size_t>(topRow) + 1 < m_topLines.size()
                                 ? m_topLines[static_cast<std::size_t>(topRow) + 1]
                                 : m_lines.size();
    return static_cast<int>(next - m_topLines[static_cast<std::size_t>(topRow)] - 1);
}

int TLogModel::LineOf(const QModelIndex& index) const {
    if (!index.isValid() || index.model() != this) {
        return -1;
    }
    return static_cast<int>(index.internalId());
}

QModelIndex TLogModel::IndexOfLine(int line) const {
    if (line < 0 || line >= LineCount()) {
        return {};
    }
    const std::uint32_t row = m_lines[static_cast<std::size_t>(line)].row;
    if ((row & kChildFlag) == 0) {
        return createIndex(static_cast<int>(row), 0, quintptr(line));
    }
    const int caption = static_cast<int>(m_topLines[row & ~kChildFlag]);
    return createIndex(line - caption - 1, 0, quintptr(line));
}

bool TLogModel::IsChildLine(int line) const {
    return (m_lines[static_cast<std::size_t>(line)].row & kChildFlag) != 0;
}

std::string_view TLogModel::LineText(int line) const {
    const TLine& entry = m_lines[static_cast<std::size_t>(line)];
    return std::string_view(m_blocks[entry.block]).substr(entry.offset, entry.length);
}

QModelIndex TLogModel::index(int row, int column, const QModelIndex& parent) const {
    if (row < 0 || column != 0) {
        return {};
    }
    if (!parent.isValid()) {
        if (row >= static_cast<int>(m_topLines.size())) {
            return {};
        }
        return createIndex(row, 0, quintptr{m_topLines[static_cast<std::size_t>(row)]});
    }
    const int caption = LineOf(parent);
    if (caption < 0 || IsChildLine(caption) || row >= ChildCount(parent.row())) {
        return {};
    }
    return createIndex(row, 0, quintptr(caption + 1 + row));
}

QModelIndex TLogModel::parent(const QModelIndex& child) const {
    const int line = LineOf(child);
    if (line < 0 || !IsChildLine(line)) {
        return {};
    }
    const std::uint32_t topRow = m_lines[static_cast<std::size_t>(line)].row & ~kChildFlag;
    return createIndex(static_cast<int>(topRow), 0, quintptr{m_topLines[topRow]});
}

int TLogModel::rowCount(const QModelIndex& parent) const {
    if (!parent.isValid()) {
        return static_cast<int>(m_topLines.size());
    }
    const int line = LineOf(parent);
    if (line < 0 || IsChildLine(line) || parent.column() != 0) {
        return 0;
    }
    return ChildCount(parent.row());
}

int TLogModel::columnCount(const QModelIndex&) const {
    return 1;
}

bool TLogModel::hasChildren(const QModelIndex& parent) const {
    return rowCount(parent) > 0;
}

QVariant TLogModel::data(const QModelIndex& index, int role) const {
    const int line = LineOf(index);
    if (line < 0) {
        return {};
    }
    const TLine& entry = m_lines[static_cast<std::size_t>(line)];
    switch (role) {
        case Qt::DisplayRole: {
            const std::string_view text = LineText(line);
            return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
        }
        case Qt::ForegroundRole:
            return ToQColor(m_palette[entry.textColor], QGuiApplication::palette());
        case Qt::BackgroundRole:
            return ToQColor(m_palette[entry.backColor], QGuiApplication::palette());
        case TextColorRole:
            return QVariant::fromValue(m_palette[entry.textColor]);
        case BackColorRole:
            return QVariant::fromValue(m_palette[entry.backColor]);
        default:
            return {};
    }
}

Qt::ItemFlags TLogModel::flags(const QModelIndex& index) const {
    const int line = LineOf(index);
    if (line < 0) {
        return Qt::NoItemFlags;
    }
    Qt::ItemFlags result = Qt::ItemIsEnabled | Qt::ItemIsSelectable;
    if (IsChildLine(line)) {
        result |= Qt::ItemNeverHasChildren;
    }
    return result;
}

// ---------------------------------------------------------------------------------------------

void TLogItemDelegate::tvLogCustomDrawItem(QStyleOptionViewItem& option,
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
    tvLogCustomDrawItem(drawn, index);

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

// ---------------------------------------------------------------------------------------------

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
    for (int row = start; row <= end; ++row) {
        const QModelIndex node = m_model->index(row, 0, parent);
        const int line = m_model->LineOf(node);
        WidenFor(line);
        UpdateScrollBars();
        if (line >= TopLine() && line < TopLine() + VisibleLineCount() + 1) {
            viewport()->update(LineRect(line));
        }
        emit Addition(node);
    }
}

void TLogView::reset() {
    QAbstractItemView::reset();
    m_contentWidth = 0;
    m_widestBytes = 0;
    UpdateScrollBars();
    viewport()->update();
}

// ---------------------------------------------------------------------------------------------

TLogViewWriter::TLogViewWriter(TLogView* tvLog) : m_tvLog(tvLog) {}

void TLogViewWriter::WriteInfo(const std::string& text) {
    m_tvLog->LogModel()->AddLine(text, clBlack, clInfoBk);
}

void TLogViewWriter::WriteError(const std::string& text) {
    m_tvLog->LogModel()->AddLine(text, clYellow, clRed);
}

void TLogViewWriter::WriteMessage(const std::string& text) {
    m_tvLog->LogModel()->AddLine(text, clBlack, clWhite);
}

void TLogViewWriter::WriteData(const std::string& caption, const std::string& data, TColor color) {
    TLogModel* model = m_tvLog->LogModel();
    model->AddLine(caption, color, clWhite);
    model->AddChildLine(data, color, clInfoBk);
}

void TLogViewWriter::WriteDataLines(const std::string& caption,
                                    const std::vector<std::string>& lines, TColor color) {
    TLogModel* model = m_tvLog->LogModel();
    model->AddLine(caption, color, clWhite);
    for (const std::string& line : lines) {
        model->AddChildLine(line, color, clInfoBk);
    }
}
