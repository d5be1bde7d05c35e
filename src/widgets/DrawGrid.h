// A grid of fixed-size cells that its owner paints cell by cell and that reports mouse releases
// and the keys that step a cell; a screen reader reads it as a table of named cells, and a cell
// may carry a note, shown by a marker and as its tooltip.
#pragma once

#include <QString>
#include <QWidget>
#include <functional>
#include <vector>

// How a cell is to be drawn: any combination of these flags.
class QHelpEvent;

enum TGridDrawStateFlag : int { gdSelected = 1, gdFocused = 2, gdFixed = 4 };
using TGridDrawState = int;

class TDrawGrid : public QWidget {
    Q_OBJECT
  public:
    static constexpr int kDefaultCellSize = 27;
    static constexpr int kGridLineWidth = 1;
    // The focus frame's width inside the cell: within the margin the pictures leave free.
    static constexpr int kFocusFrameWidth = 2;

    TDrawGrid(int colCount, int rowCount, int fixedCols, int fixedRows, QWidget* parent = nullptr);

    int ColCount() const { return static_cast<int>(m_colWidths.size()); }
    int RowCount() const { return static_cast<int>(m_rowHeights.size()); }
    int FixedCols() const { return m_fixedCols; }
    int FixedRows() const { return m_fixedRows; }
    int ColWidth(int col) const { return m_colWidths.at(col); }
    void SetColWidth(int col, int width);
    int RowHeight(int row) const { return m_rowHeights.at(row); }
    // The size that shows every cell with the lines after them.
    QSize ContentSize() const;

    // The cell's rectangle without the grid lines around it.
    QRect CellRect(int col, int row) const;
    // The cell under a point; false, with -1 for the missing coordinate, outside the cells.
    bool MouseToCell(const QPoint& point, int& col, int& row) const;
    void InvalidateCell(int col, int row);
    // Repaints a cell whose value changed and tells a screen reader its new value, and its new
    // note when that changed with it.
    void NotifyCellChanged(int col, int row);
    // Repaints the grid after its notes changed behind its back, and tells a screen reader the
    // cells whose note is not the one it was last told.
    void NotifyNotesChanged();
    // The note of a cell by OnCellNote; empty for none.
    QString CellNote(int col, int row) const;

    // The cell that keys act on, always a non-fixed one; framed while the grid has focus.
    int FocusCol() const { return m_selectedCol; }
    int FocusRow() const { return m_selectedRow; }
    // Moves the focus cell; a fixed or missing cell leaves it where it is.
    void SetFocusCell(int col, int row);

    // The painter of the paint in progress; null outside OnDrawCell.
    QPainter* Canvas() const { return m_canvas; }

    // Paints one cell after the grid's own drawing of it.
    std::function<void(int col, int row, const QRect& rect, TGridDrawState state)> OnDrawCell;
    // A mouse button released over the grid, at a point in grid coordinates.
    std::function<void(Qt::MouseButton button, const QPoint& point)> OnMouseUp;
    // A key asks to step the focus cell's value: forward for Space and "+", back for Backspace
    // and "-".
    std::function<void(int col, int row, bool forward)> OnKeyStep;
    // What a screen reader says for a cell: its name, and the value it shows (empty for none);
    // the accessible name is both, "name: value", as AT-SPI has no other place for the value.
    std::function<QString(int col, int row)> OnCellName;
    std::function<QString(int col, int row)> OnCellValue;
    // A cell's note (empty for none): the cell wears the marker of UnwrittenMarker.h, the note is
    // its tooltip and, for a screen reader, its description. Asked at every paint, so a note that
    // follows the cell's value is drawn right as soon as the cell is.
    std::function<QString(int col, int row)> OnCellNote;

  protected:
    bool event(QEvent* event) override;
    void paintEvent(QPaintEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void focusInEvent(QFocusEvent* event) override;
    void focusOutEvent(QFocusEvent* event) override;

  private:
    int ColLeft(int col) const;
    int RowTop(int row) const;
    void DrawFixedCell(QPainter& painter, const QRect& rect) const;
    void DrawFocusFrame(QPainter& painter, const QRect& rect) const;
    void NotifyFocusCell();
    void ShowNoteTip(const QHelpEvent& help);
    // Tells a screen reader the cell's note when it differs from the one last told.
    void TellNote(int col, int row);

    std::vector<int> m_colWidths;
    std::vector<int> m_rowHeights;
    int m_fixedCols;
    int m_fixedRows;
    int m_selectedCol;
    int m_selectedRow;
    QPainter* m_canvas = nullptr;
    // The note a screen reader was last told of each cell, row by row.
    std::vector<QString> m_toldNotes;
};
