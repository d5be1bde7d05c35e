// What to tell the user when a port cannot be opened: the reason and the fix, in one sentence.
#pragma once

#include <string>

#include "serial/SerialErr.h"
#include "serial/SerialLock.h"

// Where the advice looks at the system; tests point these at trees of their own.
struct TSerialAdviceRoots {
    // Bare port names are device files here.
    std::string DevDir = "/dev";
    // Processes, their names (comm) and their open files (fd).
    std::string ProcDir = "/proc";
    std::string LockDir = kUucpLockDir;
    // The kernel's tty class, from which the present ports are listed.
    std::string TtyClassDir = "/sys/class/tty";
};

// One sentence in Russian on why the open of portName failed with error and what to do about it,
// from the OS error the error keeps and from what the system shows; empty when there is nothing
// useful to say.
std::string OpenFailureAdvice(const std::string& portName, const EDeviceError& error);
std::string OpenFailureAdvice(const std::string& portName, const EDeviceError& error,
                              const TSerialAdviceRoots& roots);
