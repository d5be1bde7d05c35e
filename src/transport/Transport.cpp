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
