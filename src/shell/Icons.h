// The pictures of the main window's commands, drawn so that they show without an icon theme.
#pragma once

#include <QIcon>

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

QIcon CommandIcon(TCommandIcon icon);
