// The command line of tarnel-emulator.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "emulator/ModuleEmulator.h"

struct TEmulatorCommandLine {
    TEmulatorOptions Options;
    // Given with --object; it then wins over the object number of a state file.
    std::optional<std::int32_t> ObjectNumber;
    std::string StateFile;
    std::string SaveFile;
    std::string LinkPath;
    bool ShowHelp = false;
};

constexpr std::int32_t kDefaultObjectNumber = 10;

// The arguments without the program name; throws std::invalid_argument naming the bad argument.
TEmulatorCommandLine ParseEmulatorCommandLine(const std::vector<std::string>& arguments);

std::string EmulatorUsage();
