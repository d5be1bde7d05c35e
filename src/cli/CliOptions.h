// The command line of tarnel-cli.
#pragma once

#include <optional>
#include <stdexcept>
#include <string>
#include <vector>

#include "transport/ModuleLine.h"

// A command line that cannot be run; the message says what is wrong.
class ECliUsage : public std::runtime_error {
  public:
    using std::runtime_error::runtime_error;
};

// The standard input or output where a file name is expected.
inline constexpr const char* kStandardStream = "-";

struct TCliOptions {
    std::string Command;    // read, show, write, diff, ports, scan, backups, help, version
    std::string HelpTopic;  // help: the command whose help is asked for; empty for all
    std::string Port;
    // backups: the object whose copies are listed, -1 for all.
    int ObjectNumber = -1;
    std::string Output;  // read: the settings file to write, "-" or empty for standard output
    std::string File;    // write, diff: the settings file, "-" for standard input
    bool Changed = false;
    bool Verify = false;
    bool KeepNumber = false;
    // write: no copy of the module's settings before the write.
    bool NoBackup = false;
    bool Log = false;
    bool Quiet = false;
    // scan: the wait for each number, kScanAnswerTimeoutMs unless --timeout is given.
    int TimeoutMs = kAnswerTimeoutMs;
};

// The defaults a shell gives: TARNEL_PORT and TARNEL_OBJECT.
struct TCliEnvironment {
    std::optional<std::string> Port;
    std::optional<std::string> ObjectNumber;
};

// Options may come in any order around the command, as "--name value", "--name=value" or a short
// "-p value"/"-pvalue"; "--" ends them. Throws ECliUsage for an unknown command or option, an
// option the command does not take, a missing or malformed value, or a repeated option. Every
// value is checked before anything runs.
TCliOptions ParseCliOptions(const std::vector<std::string>& args,
                            const TCliEnvironment& environment = {});

// The help of one command, or of the whole program for an empty name.
std::string CliHelp(const std::string& command);
