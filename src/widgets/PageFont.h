// The font the pages and windows are laid out for.
#pragma once

#include <QFont>
#include <QStringList>

// "MS Sans Serif" 8 point; where it is missing, a narrow substitute keeps captions inside the
// pixel sizes the pages were laid out for.
QFont PageFont();
