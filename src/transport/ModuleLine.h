// The module's line settings: the tool, tarnel-cli and the emulator that stands in for the module
// all take them from here.
#pragma once

// The line's speed; the port opens at 8 data bits, no parity, one stop bit and no flow control.
inline constexpr int kModuleBaudRate = 19200;
// How long the answer to one command is waited for, unless the user asks for another wait.
inline constexpr int kAnswerTimeoutMs = 300;
