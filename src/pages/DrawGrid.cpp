// Painting, geometry and mouse handling of the owner-drawn grid.
#include "DrawGrid.h"

#include <QMouseEvent>
#include <QPaintEvent>
#include <QPainter>

TDrawGrid::TDrawGrid(int colCount, int rowCount, int fixedCols, int fixedRows, QWidget* parent)
    : QWidget(parent),
      m_colWidths(static_cast<std::size_t>(colCount), kDefaultCellSize),
      m_rowHeights(static_cast<std::size_t>(rowCount), kDefaultCellSize),
      m_fixedCols(fixedCols),
      m_fixedRows(fixedRows),
      m_selectedCol(fixedCols),
      m_selectedRow(fixedRows) {
    setAutoFillBackground(true);
    QPalette p = palette();
    p.setColor(QPalette::Window, p.color(QPalette::Button));
    setPalette(p);
}

void TDrawGrid::SetColWidth(int col, int width) {
    m_colWidths.at(col) = width;
    update();
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

void TDrawGrid::DrawFixedCell(QPainter& painter, const QRect& rect) const {
    painter.fillRect(rect, palette().color(QPalette::Button));
    painter.setPen(palette().color(QPalette::Light));
    painter.drawLine(rect.topLeft(), rect.topRight());
    painter.drawLine(rect.topLeft(), rect.bottomLeft());
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
        }
    }
}

void TDrawGrid::mousePressEvent(QMouseEvent* event) {
    // The selection moves like the original grid's, but PrepareCell never shows it, so nothing
    // is repainted for it.
    int col = -1;
    int row = -1;
    if (MouseToCell(event->position().toPoint(), col, row) && col >= m_fixedCols &&
        row >= m_fixedRows) {
        m_selectedCol = col;
        m_selectedRow = row;
    }
    QWidget::mousePressEvent(event);
}

void TDrawGrid::mouseReleaseEvent(QMouseEvent* event) {
    if (OnMouseUp) {
        OnMouseUp(event->button(), event->position().toPoint());
    }
    QWidget::mouseReleaseEvent(event);
}
