// tarnel-cli scan: the object numbers that answer on a port, with their versions.
#pragma once

#include <functional>
#include <string>

struct TCliOptions;
class TConsole;

// Nothing answered on the port; 1 and 2 are taken by the other commands.
inline constexpr int kExitNothingFound = 3;

// Prints "10  VER 08.00" on standard output for each number that answered, as it is found, with
// the progress on standard error; 0 when something answered, kExitNothingFound otherwise. Throws
// std::runtime_error when the port does not open.
int RunScan(const TCliOptions& options, TConsole& console,
            const std::function<void(const std::string&)>& printOut);
