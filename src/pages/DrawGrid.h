// A grid of fixed-size cells that its owner paints cell by cell and that reports mouse releases.
#pragma once

#include <QWidget>
#include <functional>
#include <vector>

// How a cell is to be drawn: any combination of these flags.
enum TGridDrawStateFlag : int { gdSelected = 1, gdFocused = 2, gdFixed = 4 };
using TGridDrawState = int;

class TDrawGrid : public QWidget {
    Q_OBJECT
  public:
    static constexpr int kDefaultCellSize = 27;
    static constexpr int kGridLineWidth = 1;

    TDrawGrid(int colCount, int rowCount, int fixedCols, int fixedRows, QWidget* parent = nullptr);

    int ColCount() const { return static_cast<int>(m_colWidths.size()); }
    int RowCount() const { return static_cast<int>(m_rowHeights.size()); }
    int FixedCols() const { return m_fixedCols; }
    int FixedRows() const { return m_fixedRows; }
    int ColWidth(int col) const { return m_colWidths.at(col); }
    void SetColWidth(int col, int width);
    int RowHeight(int row) const { return m_rowHeights.at(row); }

    // The cell's rectangle without the grid lines around it.
    QRect CellRect(int col, int row) const;
    // The cell under a point; false, with -1 for the missing coordinate, outside the cells.
    bool MouseToCell(const QPoint& point, int& col, int& row) const;
    void InvalidateCell(int col, int row);

    // The painter of the paint in progress; null outside OnDrawCell.
    QPainter* Canvas() const { return m_canvas; }

    // Paints one cell after the grid's own drawing of it.
    std::function<void(int col, int row, const QRect& rect, TGridDrawState state)> OnDrawCell;
    // A mouse button released over the grid, at a point in grid coordinates.
    std::function<void(Qt::MouseButton button, const QPoint& point)> OnMouseUp;

  protected:
    void paintEvent(QPaintEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;

  private:
    int ColLeft(int col) const;
    int RowTop(int row) const;
    void DrawFixedCell(QPainter& painter, const QRect& rect) const;

    std::vector<int> m_colWidths;
    std::vector<int> m_rowHeights;
    int m_fixedCols;
    int m_fixedRows;
    int m_selectedCol;
    int m_selectedRow;
    QPainter* m_canvas = nullptr;
};
