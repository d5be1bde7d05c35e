// What a screen reader or UI automation sees of the log: a list whose items are the log's lines.
#pragma once

class QAccessibleInterface;
class TLogView;

// Registers the log view's accessibility factory once, and makes the view's interface the list.
void InstallLogViewAccessibility(TLogView& view);
// The accessible item of a line, owned by the view's interface; null for a missing line.
QAccessibleInterface* LogLineInterface(TLogView* view, int line);
