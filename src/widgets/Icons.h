// The pictures of the main window's commands, drawn so that they show without an icon theme.
#pragma once

#include <QIcon>
#include <QPixmap>
#include <QSize>
#include <functional>

#include "model/RelaySettings.h"

// The commands in the order of the main window's image list, and the log's clear button.
enum class TCommandIcon {
    About,
    Connect,
    Disconnect,
    Read,
    ReadAll,
    Write,
    WriteAll,
    Load,
    Save,
    Default,
    DefaultAll,
    Clear,
};

// Drawn afresh at every size and device pixel ratio asked for, so it is sharp at any scale.
QIcon CommandIcon(TCommandIcon icon);
// An icon that `draw` paints afresh at each size asked for, in device pixels.
QIcon DrawnIcon(std::function<QPixmap(const QSize& pixels)> draw);
// A reaction's picture as the legend draws it, as an icon.
QIcon ReactionIcon(TRelayReaction code);
// The marker of a value that differs from the module's, as an icon: the page tree's mark.
QIcon UnwrittenMarkIcon();

// The connect dialog's serial plug, 41 x 38 logical pixels, drawn at the given device pixel ratio.
QPixmap ConnectPicture(qreal devicePixelRatio);

// The application's window icon, from the packaged PNGs of every size.
QIcon AppIcon();
