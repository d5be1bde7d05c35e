// The containment test that every transport's receive operations share.
#include "transport/Transport.h"

// Only ASCII letters fold: the answer is 8-bit text whose upper half must compare unchanged.
static std::string FoldAsciiUpper(const std::string& text) {
    std::string folded = text;
    for (char& c : folded) {
        if (c >= 'a' && c <= 'z') {
            c = static_cast<char>(c - 'a' + 'A');
        }
    }
    return folded;
}

bool AnswerContains(const std::string& answer, const std::string& s) {
    if (s.empty()) {
        return false;
    }
    return FoldAsciiUpper(answer).find(FoldAsciiUpper(s)) != std::string::npos;
}

bool AnswerEndsWith(const std::string& answer, const std::string& s) {
    if (s.empty() || s.size() > answer.size()) {
        return false;
    }
    const auto fold = [](char c) {
        return c >= 'a' && c <= 'z' ? static_cast<char>(c - 'a' + 'A') : c;
    };
    const std::size_t from = answer.size() - s.size();
    for (std::size_t i = 0; i < s.size(); ++i) {
        if (fold(answer[from + i]) != fold(s[i])) {
            return false;
        }
    }
    return true;
}

bool TTransport::RunWaitingWork() {
    if (!m_waitingWork || m_runningWaitingWork) {
        return false;
    }
    struct TRunning {
        bool& running;
        explicit TRunning(bool& flag) : running(flag) { running = true; }
        ~TRunning() { running = false; }
        TRunning(const TRunning&) = delete;
        TRunning& operator=(const TRunning&) = delete;
    } running(m_runningWaitingWork);
    m_waitingWork();
    return true;
}
