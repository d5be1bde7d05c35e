// The transport contract between the device protocol and whatever carries its bytes.
#pragma once

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
};

// The containment test of every receive: s occurs in the answer with ASCII letters folded to
// upper case on both sides; an empty s never matches.
bool AnswerContains(const std::string& answer, const std::string& s);

// Only these character codes ever become part of an answer.
constexpr bool IsAnswerChar(unsigned char c) {
    return c >= 10 && c <= 127;
}
