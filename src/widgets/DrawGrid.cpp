// Painting, geometry, mouse and key handling of the owner-drawn grid.
#include "widgets/DrawGrid.h"

#include <QAccessible>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QPaintEvent>
#include <QPainter>
#include <QToolTip>

#include "widgets/DrawGridAccessible.h"
#include "widgets/UnwrittenMarker.h"

TDrawGrid::TDrawGrid(int colCount, int rowCount, int fixedCols, int fixedRows, QWidget* parent)
    : QWidget(parent),
      m_colWidths(static_cast<std::size_t>(colCount), kDefaultCellSize),
      m_rowHeights(static_cast<std::size_t>(rowCount), kDefaultCellSize),
      m_fixedCols(fixedCols),
      m_fixedRows(fixedRows),
      m_selectedCol(fixedCols),
      m_selectedRow(fixedRows),
      m_toldNotes(static_cast<std::size_t>(colCount) * static_cast<std::size_t>(rowCount)) {
    InstallDrawGridAccessibility();
    setFocusPolicy(Qt::StrongFocus);
    // The right button steps a cell back; it never opens a menu over the grid.
    setContextMenuPolicy(Qt::PreventContextMenu);
    setAutoFillBackground(true);
    QPalette p = palette();
    p.setColor(QPalette::Window, p.color(QPalette::Button));
    setPalette(p);
}

void TDrawGrid::SetColWidth(int col, int width) {
    m_colWidths.at(col) = width;
    update();
}

QSize TDrawGrid::ContentSize() const {
    return {ColLeft(ColCount()), RowTop(RowCount())};
}

int TDrawGrid::ColLeft(int col) const {
    int left = 0;
    for (int c = 0; c < col; ++c) {
        left += m_colWidths[c] + kGridLineWidth;
    }
    return left;
}

int TDrawGrid::RowTop(int row) const {
    int top = 0;
    for (int r = 0; r < row; ++r) {
        top += m_rowHeights[r] + kGridLineWidth;
    }
    return top;
}

QRect TDrawGrid::CellRect(int col, int row) const {
    return {ColLeft(col), RowTop(row), m_colWidths.at(col), m_rowHeights.at(row)};
}

bool TDrawGrid::MouseToCell(const QPoint& point, int& col, int& row) const {
    col = -1;
    row = -1;
    for (int c = 0, left = 0; c < ColCount() && point.x() >= 0; ++c) {
        left += m_colWidths[c] + kGridLineWidth;
        if (point.x() < left) {
            col = c;
            break;
        }
    }
    for (int r = 0, top = 0; r < RowCount() && point.y() >= 0; ++r) {
        top += m_rowHeights[r] + kGridLineWidth;
        if (point.y() < top) {
            row = r;
            break;
        }
    }
    return col >= 0 && row >= 0;
}

void TDrawGrid::InvalidateCell(int col, int row) {
    update(CellRect(col, row));
}

void TDrawGrid::NotifyCellChanged(int col, int row) {
    InvalidateCell(col, row);
    if (!QAccessible::isActive()) {
        return;
    }
    if (QAccessibleInterface* cell = DrawGridCellInterface(this, col, row)) {
        QAccessibleValueChangeEvent event(cell, OnCellValue ? OnCellValue(col, row) : QString());
        QAccessible::updateAccessibility(&event);
        // The name carries the value too, and the name is what AT-SPI tells a screen reader.
        QAccessibleEvent renamed(cell, QAccessible::NameChanged);
        QAccessible::updateAccessibility(&renamed);
    }
    TellNote(col, row);
}

void TDrawGrid::NotifyNotesChanged() {
    update();
    for (int row = 0; row < RowCount(); ++row) {
        for (int col = 0; col < ColCount(); ++col) {
            TellNote(col, row);
        }
    }
}

QString TDrawGrid::CellNote(int col, int row) const {
    return OnCellNote ? OnCellNote(col, row) : QString();
}

void TDrawGrid::TellNote(int col, int row) {
    QString note = CellNote(col, row);
    const std::size_t index = static_cast<std::size_t>(row) * static_cast<std::size_t>(ColCount()) +
                              static_cast<std::size_t>(col);
    QString& told = m_toldNotes.at(index);
    if (note == told) {
        return;
    }
    told = std::move(note);
    if (!QAccessible::isActive()) {
        return;
    }
    if (QAccessibleInterface* cell = DrawGridCellInterface(this, col, row)) {
        QAccessibleEvent event(cell, QAccessible::DescriptionChanged);
        QAccessible::updateAccessibility(&event);
    }
}

void TDrawGrid::SetFocusCell(int col, int row) {
    if (col < m_fixedCols || col >= ColCount() || row < m_fixedRows || row >= RowCount() ||
        (col == m_selectedCol && row == m_selectedRow)) {
        return;
    }
    InvalidateCell(m_selectedCol, m_selectedRow);
    m_selectedCol = col;
    m_selectedRow = row;
    InvalidateCell(col, row);
    NotifyFocusCell();
}

void TDrawGrid::NotifyFocusCell() {
    if (!hasFocus() || !QAccessible::isActive()) {
        return;
    }
    if (QAccessibleInterface* cell = DrawGridCellInterface(this, m_selectedCol, m_selectedRow)) {
        QAccessibleEvent event(cell, QAccessible::Focus);
        QAccessible::updateAccessibility(&event);
    }
}

void TDrawGrid::DrawFixedCell(QPainter& painter, const QRect& rect) const {
    painter.fillRect(rect, palette().color(QPalette::Button));
    painter.setPen(palette().color(QPalette::Light));
    painter.drawLine(rect.topLeft(), rect.topRight());
    painter.drawLine(rect.topLeft(), rect.bottomLeft());
}

void TDrawGrid::DrawFocusFrame(QPainter& painter, const QRect& rect) const {
    const QColor color = palette().color(QPalette::Highlight);
    const int w = kFocusFrameWidth;
    painter.fillRect(rect.left(), rect.top(), rect.width(), w, color);
    painter.fillRect(rect.left(), rect.bottom() + 1 - w, rect.width(), w, color);
    painter.fillRect(rect.left(), rect.top() + w, w, rect.height() - 2 * w, color);
    painter.fillRect(rect.right() + 1 - w, rect.top() + w, w, rect.height() - 2 * w, color);
}

void TDrawGrid::paintEvent(QPaintEvent* event) {
    QPainter painter(this);
    painter.setFont(font());
    const QColor lineColor = palette().color(QPalette::Mid);
    for (int row = 0; row < RowCount(); ++row) {
        for (int col = 0; col < ColCount(); ++col) {
            const QRect rect = CellRect(col, row);
            const QRect withLines = rect.adjusted(0, 0, kGridLineWidth, kGridLineWidth);
            if (!event->region().intersects(withLines)) {
                continue;
            }
            painter.fillRect(rect.right() + 1, rect.top(), kGridLineWidth, withLines.height(),
                             lineColor);
            painter.fillRect(rect.left(), rect.bottom() + 1, withLines.width(), kGridLineWidth,
                             lineColor);
            TGridDrawState state = 0;
            if (col < m_fixedCols || row < m_fixedRows) {
                state |= gdFixed;
                DrawFixedCell(painter, rect);
            } else {
                painter.fillRect(rect, palette().color(QPalette::Base));
                if (col == m_selectedCol && row == m_selectedRow) {
                    state |= gdSelected | (hasFocus() ? gdFocused : 0);
                }
            }
            if (OnDrawCell) {
                painter.save();
                painter.setClipRect(rect);
                painter.setPen(palette().color(QPalette::WindowText));
                m_canvas = &painter;
                OnDrawCell(col, row, rect, state);
                m_canvas = nullptr;
                painter.restore();
            }
            // Drawn over the owner's painting, which fills the whole cell.
            if ((state & gdFocused) != 0) {
                DrawFocusFrame(painter, rect);
            }
            // Over the focus frame too: a focused cell still shows that it has a note.
            if (!CellNote(col, row).isEmpty()) {
                PaintUnwrittenMarker(painter, rect, palette());
            }
        }
    }
}

bool TDrawGrid::event(QEvent* event) {
    if (event->type() == QEvent::ToolTip) {
        ShowNoteTip(*static_cast<QHelpEvent*>(event));
        return true;
    }
    return QWidget::event(event);
}

void TDrawGrid::ShowNoteTip(const QHelpEvent& help) {
    int col = -1;
    int row = -1;
    const QString note = MouseToCell(help.pos(), col, row) ? CellNote(col, row) : QString();
    if (note.isEmpty()) {
        QToolTip::hideText();
        return;
    }
    // The tip goes when the mouse leaves the cell, so the next cell's note can follow.
    QToolTip::showText(help.globalPos(), note, this, CellRect(col, row));
}

void TDrawGrid::mousePressEvent(QMouseEvent* event) {
    int col = -1;
    int row = -1;
    if (MouseToCell(event->position().toPoint(), col, row)) {
        SetFocusCell(col, row);
    }
    QWidget::mousePressEvent(event);
}

void TDrawGrid::mouseReleaseEvent(QMouseEvent* event) {
    if (OnMouseUp) {
        OnMouseUp(event->button(), event->position().toPoint());
    }
    QWidget::mouseReleaseEvent(event);
}

void TDrawGrid::keyPressEvent(QKeyEvent* event) {
    // Shortcuts with Ctrl, Alt or Meta belong to the window; Shift may be needed for "+".
    if ((event->modifiers() & (Qt::ControlModifier | Qt::AltModifier | Qt::MetaModifier)) != 0) {
        QWidget::keyPressEvent(event);
        return;
    }
    const int col = m_selectedCol;
    const int row = m_selectedRow;
    switch (event->key()) {
        case Qt::Key_Left:
            SetFocusCell(col - 1, row);
            break;
        case Qt::Key_Right:
            SetFocusCell(col + 1, row);
            break;
        case Qt::Key_Up:
            SetFocusCell(col, row - 1);
            break;
        case Qt::Key_Down:
            SetFocusCell(col, row + 1);
            break;
        case Qt::Key_Home:
            SetFocusCell(m_fixedCols, row);
            break;
        case Qt::Key_End:
            SetFocusCell(ColCount() - 1, row);
            break;
        case Qt::Key_Space:
        case Qt::Key_Plus:
        case Qt::Key_Backspace:
        case Qt::Key_Minus:
            if (OnKeyStep) {
                OnKeyStep(col, row, event->key() == Qt::Key_Space || event->key() == Qt::Key_Plus);
            }
            break;
        default:
            QWidget::keyPressEvent(event);
            return;
    }
    // Taken even at an edge, so that the scrolled page does not move instead.
    event->accept();
}

// The base handlers would repaint the whole grid; only the focus cell shows focus.
void TDrawGrid::focusInEvent(QFocusEvent*) {
    InvalidateCell(m_selectedCol, m_selectedRow);
    NotifyFocusCell();
}

void TDrawGrid::focusOutEvent(QFocusEvent*) {
    InvalidateCell(m_selectedCol, m_selectedRow);
}
