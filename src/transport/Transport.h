// The transport contract between the device protocol and whatever carries its bytes.
#pragma once

#include <functional>
#include <string>
#include <vector>

class TTransport {
  public:
    TTransport() = default;
    TTransport(const TTransport&) = delete;
    TTransport& operator=(const TTransport&) = delete;
    virtual ~TTransport() = default;

    virtual int GetTimeout() = 0;
    virtual bool Send(const std::string& text) = 0;
    virtual bool Receive(std::string& answer, const std::string& terminator, int timeoutMs) = 0;
    virtual bool ReceiveAny(std::string& answer, const std::vector<std::string>& list,
                            int timeoutMs) = 0;
    virtual bool Receive(std::string& answer, const std::string& terminator) = 0;
    virtual bool ReceiveAny(std::string& answer, const std::vector<std::string>& list) = 0;
    virtual bool WaitFor(const std::string& terminator, int timeoutMs) = 0;
    virtual bool WaitForAny(const std::vector<std::string>& list, int timeoutMs) = 0;
    virtual bool WaitFor(const std::string& terminator) = 0;
    virtual bool WaitForAny(const std::vector<std::string>& list) = 0;

    // Work of the caller's that can be done while an answer is on its way (a window's repaints
    // and clicks): every receive runs it once, after what had already come was taken and before
    // it first waits, so that it never keeps the next command off the line. It never runs
    // inside itself. Empty work is none.
    void SetWaitingWork(std::function<void()> work) { m_waitingWork = std::move(work); }

  protected:
    // Runs the waiting work unless there is none or it is running already; true when it ran.
    bool RunWaitingWork();

  private:
    std::function<void()> m_waitingWork;
    bool m_runningWaitingWork = false;
};

// The containment test of every receive: s occurs in the answer with ASCII letters folded to
// upper case on both sides; an empty s never matches.
bool AnswerContains(const std::string& answer, const std::string& s);
// The same test for an answer that grows a character at a time and did not contain s before its
// last character: s then can only be at its end, and a look there is all it takes.
bool AnswerEndsWith(const std::string& answer, const std::string& s);

// Only these character codes ever become part of an answer.
constexpr bool IsAnswerChar(unsigned char c) {
    return c >= 10 && c <= 127;
}
