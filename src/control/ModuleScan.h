// Finding the modules on a line whose object numbers nobody knows: every number is asked for the
// version with a short wait, and every module that answered is let go again; nothing is written.
#pragma once

#include <functional>
#include <string>
#include <vector>

class TLogWriter;
class TTransport;

// The wait for one number's version answer. At 19200 baud a byte takes 0.52 ms; the command
// "*NNv\r" (5 bytes) and the answer "*NNv\r\nVER 08.00\r\nOK\r\n" (21 bytes) are 26 bytes, 14 ms
// on the line, and the module begins its answer within a few tens of milliseconds, so 85 ms
// takes a slow module's answer and keeps the 100 silent numbers of an empty line under 9 s.
inline constexpr int kScanAnswerTimeoutMs = 85;

// The numbers asked, in this order.
inline constexpr int kScanFirstNumber = 0;
inline constexpr int kScanLastNumber = 99;
inline constexpr int kScanNumberCount = kScanLastNumber - kScanFirstNumber + 1;

struct TScanHit {
    int ObjectNumber = 0;
    std::string Version;

    bool operator==(const TScanHit&) const = default;
};

// Sends the text one character at a time (the release sequence needs it).
using TScanSlowSend = std::function<void(const std::string&)>;
// Called before each number is asked, with how many were asked already; false stops the scan.
using TScanProgress = std::function<bool(int number, int done, int total)>;

// The version text of an answer to "v" asked of the number, or empty when the answer is not one:
// it must echo that very command, hold a value beginning with "VER", and end in "OK".
std::string ScanVersionOf(const std::string& answer, int objectNumber);

// Asks every number for its version, waiting answerTimeoutMs for each, and releases each module
// that answered at once (three slow "]" and "+rb", the release waiting the transport's own
// timeout). Returns the numbers that answered, in order, also those found before a stop. A port
// that fails throws as the transport does.
std::vector<TScanHit> ScanModules(TTransport& transport, const TScanSlowSend& slowSend,
                                  TLogWriter& log, int answerTimeoutMs,
                                  const TScanProgress& progress);
