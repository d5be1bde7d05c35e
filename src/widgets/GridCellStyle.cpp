// Cell preparation shared by the pages' owner-drawn grids.
#include "widgets/GridCellStyle.h"

#include <QPainter>

void PrepareCell(TDrawGrid& grid, const QRect& rect, TGridDrawState state) {
    QPainter* canvas = grid.Canvas();
    if ((state & gdFixed) != 0 || canvas == nullptr) {
        return;
    }
    canvas->setPen(grid.palette().color(QPalette::WindowText));
    canvas->setBrush(grid.palette().color(QPalette::Button));
    canvas->fillRect(rect, grid.palette().color(QPalette::Button));
}
