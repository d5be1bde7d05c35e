// Parsing and help text of the emulator program's arguments.
#include "emulator/EmulatorCommandLine.h"

#include <charconv>
#include <stdexcept>

namespace {

constexpr int kLargestOptionNumber = 999'999'999;
constexpr int kMaxReplyDelayMs = 60'000;

class TArgumentReader {
  public:
    explicit TArgumentReader(const std::vector<std::string>& arguments) : m_arguments(arguments) {}

    bool AtEnd() const { return m_next >= m_arguments.size(); }
    const std::string& Next() { return m_arguments[m_next++]; }

    const std::string& ValueOf(const std::string& option) {
        if (AtEnd())
            throw std::invalid_argument(option + " needs a value");
        return Next();
    }

    int NumberOf(const std::string& option, int minimum, int maximum) {
        const std::string& text = ValueOf(option);
        int value = 0;
        const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
        if (error != std::errc() || end != text.data() + text.size() || value < minimum ||
            value > maximum) {
            throw std::invalid_argument(option + " needs a number from " + std::to_string(minimum) +
                                        " to " + std::to_string(maximum) + ", not \"" + text +
                                        "\"");
        }
        return value;
    }

  private:
    const std::vector<std::string>& m_arguments;
    std::size_t m_next = 0;
};

}  // namespace

TEmulatorCommandLine ParseEmulatorCommandLine(const std::vector<std::string>& arguments) {
    TEmulatorCommandLine line;
    TEmulatorOptions& options = line.Options;
    TModuleFaults& faults = options.Behaviour.Faults;
    TArgumentReader reader(arguments);
    while (!reader.AtEnd()) {
        const std::string& option = reader.Next();
        if (option == "--help" || option == "-h") {
            line.ShowHelp = true;
        } else if (option == "--object") {
            line.ObjectNumber = reader.NumberOf(option, 0, kLargestOptionNumber);
        } else if (option == "--version") {
            options.Behaviour.Version = reader.ValueOf(option);
        } else if (option == "--state") {
            line.StateFile = reader.ValueOf(option);
        } else if (option == "--save") {
            line.SaveFile = reader.ValueOf(option);
        } else if (option == "--link") {
            line.LinkPath = reader.ValueOf(option);
        } else if (option == "--transcript") {
            options.TranscriptFile = reader.ValueOf(option);
        } else if (option == "--no-pacing") {
            options.Pacing = false;
        } else if (option == "--reply-delay") {
            options.ReplyDelayMs = reader.NumberOf(option, 0, kMaxReplyDelayMs);
        } else if (option == "--silent") {
            faults.Silent = true;
        } else if (option == "--ignore") {
            faults.IgnoreLetters = reader.ValueOf(option);
            if (faults.IgnoreLetters.empty())
                throw std::invalid_argument("--ignore needs letters");
        } else if (option == "--lowercase") {
            faults.Lowercase = true;
        } else if (option == "--split") {
            options.Split = true;
        } else if (option == "--noise") {
            faults.Noise = true;
        } else if (option == "--bad-value") {
            const std::string& letter = reader.ValueOf(option);
            if (letter.size() != 1)
                throw std::invalid_argument("--bad-value needs one letter");
            faults.BadValueLetter = letter[0];
        } else if (option == "--wrong-version") {
            faults.WrongVersion = true;
        } else if (option == "--trailing") {
            faults.Trailing = true;
        } else if (option == "--hangup-after") {
            options.HangUpAfter = reader.NumberOf(option, 1, kLargestOptionNumber);
        } else {
            throw std::invalid_argument("unknown argument \"" + option + "\"");
        }
    }
    return line;
}

std::string EmulatorUsage() {
    return R"(Usage: tarnel-emulator [options]
Emulates the Tarnel relay module on a pseudo-terminal. The first line of the output is the device
to open in the configuration tool. Runs until SIGINT, SIGTERM or the end of standard input.

Module:
  --object N          object number (default 10); wins over the number in a --state file
  --version TEXT      answer to "v" (default "VER 08.00")
  --state FILE        load the module's memory from a settings file saved by the tool
  --save FILE         write the module's memory to a settings file at exit
  --link PATH         make a symbolic link PATH to the device
  --transcript FILE   write every received command and every answer, one escaped line each

Line:
  --no-pacing         answer at once instead of at the pace of a 19200-baud line
  --reply-delay MS    wait MS milliseconds more before every answer

Faults:
  --silent            never answer
  --ignore LETTERS    do not answer (nor act on) commands with these letters, e.g. AT or +
  --lowercase         hexadecimal values and "ok" in lower case
  --split             send answers a few bytes at a time
  --noise             mix bytes outside 10..127 into the answers
  --bad-value LETTER  answer reads of LETTER with a value that is no number
  --wrong-version     answer "v" with "VER 07.00"
  --trailing          send extra text after "OK"
  --hangup-after N    close the line after N command lines, as a pulled cable
)";
}
