// Cell preparation shared by the pages' owner-drawn grids.
#pragma once

#include <QRect>

#include "widgets/DrawGrid.h"

// Gives a non-fixed cell, selected or not, the window-text colour for text and fills it with
// the button face, so that a selected cell never shows a highlight; fixed cells stay as drawn.
void PrepareCell(TDrawGrid& grid, const QRect& rect, TGridDrawState state);
