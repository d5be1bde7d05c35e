// Options may come in any order after the command; every value is checked before anything runs.
#include "CliOptions.h"

#include <algorithm>
#include <charconv>

#include "RelaySettings.h"

const char* const kCliUsage =
    "Использование:\n"
    "  tarnel-cli read  --port PORT --object N [--output FILE]\n"
    "  tarnel-cli write --port PORT --object N FILE [--changed] [--verify] [--keep-number]\n"
    "  tarnel-cli diff  --port PORT --object N FILE\n"
    "  tarnel-cli ports\n"
    "Общие параметры: --log (обмен с модулем в stderr), --timeout MS (по умолчанию 300),\n"
    "  --help, --version.\n"
    "Коды выхода: 0 успех; 1 модуль отличается от файла или запись не принята; 2 ошибка.\n";

namespace {

int ParseNumber(const std::string& option, const std::string& text, int minimum, int maximum) {
    int value = 0;
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (text.empty() || error != std::errc() || end != text.data() + text.size() ||
        value < minimum || value > maximum) {
        throw ECliUsage("Неверное значение " + option + ": \"" + text + "\" (нужно число от " +
                        std::to_string(minimum) + " до " + std::to_string(maximum) + ")");
    }
    return value;
}

}  // namespace

TCliOptions ParseCliOptions(const std::vector<std::string>& args) {
    TCliOptions options;
    std::vector<std::string> positional;
    for (std::size_t i = 0; i < args.size(); ++i) {
        const std::string& arg = args[i];
        auto value = [&]() -> const std::string& {
            if (i + 1 >= args.size()) {
                throw ECliUsage("Нет значения у " + arg);
            }
            return args[++i];
        };
        if (arg == "--help" || arg == "-h") {
            options.Command = "help";
            return options;
        } else if (arg == "--version") {
            options.Command = "version";
            return options;
        } else if (arg == "--port") {
            options.Port = value();
        } else if (arg == "--object") {
            options.ObjectNumber = ParseNumber(arg, value(), 0, kMaxObjectNumber);
        } else if (arg == "--output") {
            options.Output = value();
        } else if (arg == "--timeout") {
            options.TimeoutMs = ParseNumber(arg, value(), 1, 60000);
        } else if (arg == "--changed") {
            options.Changed = true;
        } else if (arg == "--verify") {
            options.Verify = true;
        } else if (arg == "--keep-number") {
            options.KeepNumber = true;
        } else if (arg == "--log") {
            options.Log = true;
        } else if (arg.starts_with("-")) {
            throw ECliUsage("Неизвестный параметр " + arg);
        } else {
            positional.push_back(arg);
        }
    }
    if (positional.empty()) {
        throw ECliUsage("Не указана команда");
    }
    options.Command = positional.front();
    positional.erase(positional.begin());
    const std::vector<std::string> commands{"read", "write", "diff", "ports"};
    if (std::find(commands.begin(), commands.end(), options.Command) == commands.end()) {
        throw ECliUsage("Неизвестная команда " + options.Command);
    }
    const bool takesFile = options.Command == "write" || options.Command == "diff";
    if (takesFile) {
        if (positional.size() != 1) {
            throw ECliUsage("Команде " + options.Command + " нужен один файл настроек");
        }
        options.File = positional.front();
    } else if (!positional.empty()) {
        throw ECliUsage("Лишний аргумент " + positional.front());
    }
    if (options.Command != "ports") {
        if (options.Port.empty()) {
            throw ECliUsage("Не указан порт (--port)");
        }
        if (options.ObjectNumber < 0) {
            throw ECliUsage("Не указан номер объекта (--object)");
        }
    }
    if (options.Command != "write" && (options.Changed || options.Verify || options.KeepNumber)) {
        throw ECliUsage("--changed, --verify и --keep-number только для команды write");
    }
    if (options.Command != "read" && !options.Output.empty()) {
        throw ECliUsage("--output только для команды read");
    }
    return options;
}
