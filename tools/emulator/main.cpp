// tarnel-emulator: the relay module on a pseudo-terminal, for trying the tool without a module.
#include <poll.h>
#include <sys/signalfd.h>
#include <unistd.h>

#include <array>
#include <csignal>
#include <cstdio>
#include <exception>
#include <optional>
#include <stdexcept>
#include <string>
#include <vector>

#include "emulator/EmulatorCommandLine.h"
#include "emulator/ModuleEmulator.h"
#include "emulator/ModuleStateFile.h"
#include "emulator/PseudoTerminal.h"

namespace {

// SIGINT and SIGTERM arrive through a descriptor, so waiting for them, or for the end of
// standard input, is one poll; blocked before any thread starts, so every thread inherits it.
TFileDescriptor BlockStopSignals() {
    sigset_t signals;
    sigemptyset(&signals);
    sigaddset(&signals, SIGINT);
    sigaddset(&signals, SIGTERM);
    if (pthread_sigmask(SIG_BLOCK, &signals, nullptr) != 0) {
        throw std::runtime_error("cannot block SIGINT and SIGTERM");
    }
    TFileDescriptor fd(::signalfd(-1, &signals, SFD_CLOEXEC));
    if (!fd.IsOpen())
        throw std::runtime_error("signalfd failed");
    return fd;
}

void WaitForStop(const TFileDescriptor& signals) {
    bool watchInput = true;
    while (true) {
        std::array<pollfd, 2> fds{{{signals.Get(), POLLIN, 0}, {STDIN_FILENO, POLLIN, 0}}};
        if (::poll(fds.data(), watchInput ? 2 : 1, -1) < 0)
            continue;
        if (fds[0].revents != 0)
            return;
        if (!watchInput)
            continue;
        // Started with standard input closed: only a signal ends the run.
        if (fds[1].revents & POLLNVAL) {
            watchInput = false;
            continue;
        }
        if (fds[1].revents != 0) {
            char discard[256];
            if (::read(STDIN_FILENO, discard, sizeof discard) <= 0)
                return;
        }
    }
}

int Run(const TEmulatorCommandLine& line) {
    TModuleState state = PowerUpState(kDefaultObjectNumber);
    if (!line.StateFile.empty())
        LoadModuleState(line.StateFile, state);
    if (line.ObjectNumber)
        state.ObjectNumber = *line.ObjectNumber;

    const TFileDescriptor signals = BlockStopSignals();
    TModuleEmulator emulator(line.Options, state);
    std::optional<TDeviceLink> link;
    if (!line.LinkPath.empty())
        link.emplace(line.LinkPath, emulator.DevicePath());
    std::printf("%s\n", emulator.DevicePath().c_str());
    std::fflush(stdout);

    WaitForStop(signals);
    emulator.Stop();
    if (!line.SaveFile.empty())
        SaveModuleState(line.SaveFile, emulator.Snapshot());
    return 0;
}

}  // namespace

int main(int argc, char** argv) {
    TEmulatorCommandLine line;
    try {
        line = ParseEmulatorCommandLine(std::vector<std::string>(argv + 1, argv + argc));
    } catch (const std::exception& error) {
        std::fprintf(stderr, "tarnel-emulator: %s\n\n%s", error.what(), EmulatorUsage().c_str());
        return 2;
    }
    if (line.ShowHelp) {
        std::printf("%s", EmulatorUsage().c_str());
        return 0;
    }
    try {
        return Run(line);
    } catch (const std::exception& error) {
        std::fprintf(stderr, "tarnel-emulator: %s\n", error.what());
        return 1;
    }
}
