// The command line of tarnel-cli.
#pragma once

#include <stdexcept>
#include <string>
#include <vector>

// A command line that cannot be run; the message says what is wrong.
class ECliUsage : public std::runtime_error {
  public:
    using std::runtime_error::runtime_error;
};

struct TCliOptions {
    std::string Command;  // read, write, diff, ports, help, version
    std::string Port;
    int ObjectNumber = -1;
    std::string Output;  // read: the settings file to write; empty prints the settings
    std::string File;    // write, diff: the settings file
    bool Changed = false;
    bool Verify = false;
    bool KeepNumber = false;
    bool Log = false;
    int TimeoutMs = 300;
};

// Throws ECliUsage for an unknown command or option, a missing or malformed value, or an option
// that the command does not take.
TCliOptions ParseCliOptions(const std::vector<std::string>& args);

extern const char* const kCliUsage;
