// What a screen reader or UI automation sees of an owner-drawn grid: a table of named cells.
#pragma once

class QAccessibleInterface;
class TDrawGrid;

// Registers the grid's accessibility factory; later calls do nothing.
void InstallDrawGridAccessibility();
// The accessible cell of a grid, owned by the grid's interface; null for a missing cell.
QAccessibleInterface* DrawGridCellInterface(TDrawGrid* grid, int col, int row);
