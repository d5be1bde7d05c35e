// One table says which options exist, how they are spelled and which commands take them; the
// parser and the refusals both read it, so a command can never take an option silently.
#include "cli/CliOptions.h"

#include <algorithm>
#include <array>
#include <charconv>
#include <set>

#include "control/ModuleScan.h"
#include "model/RelaySettings.h"

namespace {

enum class TOptionId {
    Port,
    Object,
    Output,
    Timeout,
    Changed,
    Verify,
    KeepNumber,
    NoBackup,
    Log,
    Quiet,
    Help,
    Version
};

struct TOptionRule {
    TOptionId Id;
    const char* Long;
    char Short;  // 0 for none
    bool TakesValue;
    // The commands that take it; empty for every command.
    std::vector<std::string> Commands;
};

const std::vector<std::string> kDeviceCommands{"read", "show", "write", "diff"};
// The commands that open a port: those of one module, and the scan of every number.
const std::vector<std::string> kLineCommands{"read", "show", "write", "diff", "scan"};
const std::vector<std::string> kCommands{"read", "show",    "write", "diff",   "ports",
                                         "scan", "backups", "help",  "version"};
// The commands that name an object: to reach it, or to list its backups.
const std::vector<std::string> kObjectCommands{"read", "show", "write", "diff", "backups"};

const std::vector<TOptionRule>& OptionRules() {
    static const std::vector<TOptionRule> rules{
        {TOptionId::Port, "port", 'p', true, kLineCommands},
        {TOptionId::Object, "object", 'o', true, kObjectCommands},
        {TOptionId::Output, "output", 0, true, {"read"}},
        {TOptionId::Timeout, "timeout", 0, true, kLineCommands},
        {TOptionId::Changed, "changed", 0, false, {"write"}},
        {TOptionId::Verify, "verify", 0, false, {"write"}},
        {TOptionId::KeepNumber, "keep-number", 0, false, {"write", "diff"}},
        {TOptionId::NoBackup, "no-backup", 0, false, {"write"}},
        {TOptionId::Log, "log", 0, false, kLineCommands},
        {TOptionId::Log, "verbose", 'v', false, kLineCommands},
        {TOptionId::Quiet, "quiet", 'q', false, kLineCommands},
        {TOptionId::Help, "help", 'h', false, {}},
        {TOptionId::Version, "version", 0, false, {}},
    };
    return rules;
}

// One option as the user spelled it, with its value.
struct TGivenOption {
    const TOptionRule* Rule;
    std::string Spelled;
    std::string Value;
};

const TOptionRule* FindLong(const std::string& name) {
    for (const TOptionRule& rule : OptionRules()) {
        if (name == rule.Long) {
            return &rule;
        }
    }
    return nullptr;
}

const TOptionRule* FindShort(char letter) {
    for (const TOptionRule& rule : OptionRules()) {
        if (rule.Short != 0 && letter == rule.Short) {
            return &rule;
        }
    }
    return nullptr;
}

bool IsCommand(const std::string& name) {
    return std::find(kCommands.begin(), kCommands.end(), name) != kCommands.end();
}

bool IsDeviceCommand(const std::string& name) {
    return std::find(kDeviceCommands.begin(), kDeviceCommands.end(), name) != kDeviceCommands.end();
}

int ParseNumber(const std::string& what, const std::string& text, int minimum, int maximum) {
    int value = 0;
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (text.empty() || error != std::errc() || end != text.data() + text.size() ||
        value < minimum || value > maximum) {
        throw ECliUsage("Неверное значение " + what + ": \"" + text + "\" (нужно число от " +
                        std::to_string(minimum) + " до " + std::to_string(maximum) + ")");
    }
    return value;
}

// Splits the arguments into options and the rest, in their order.
void SplitArguments(const std::vector<std::string>& args, std::vector<TGivenOption>& options,
                    std::vector<std::string>& positional) {
    bool optionsEnded = false;
    for (std::size_t i = 0; i < args.size(); ++i) {
        const std::string& arg = args[i];
        if (optionsEnded || arg == kStandardStream || !arg.starts_with('-')) {
            positional.push_back(arg);
            continue;
        }
        if (arg == "--") {
            optionsEnded = true;
            continue;
        }
        auto nextValue = [&](const std::string& spelled) -> std::string {
            if (i + 1 >= args.size()) {
                throw ECliUsage("Нет значения у " + spelled);
            }
            return args[++i];
        };
        if (arg.starts_with("--")) {
            const std::size_t equals = arg.find('=');
            const std::string spelled = arg.substr(0, equals);
            const TOptionRule* rule = FindLong(spelled.substr(2));
            if (rule == nullptr) {
                throw ECliUsage("Неизвестный параметр " + spelled);
            }
            if (equals != std::string::npos && !rule->TakesValue) {
                throw ECliUsage("Параметр " + spelled + " не принимает значения");
            }
            const std::string value = equals != std::string::npos ? arg.substr(equals + 1)
                                      : rule->TakesValue          ? nextValue(spelled)
                                                                  : std::string();
            options.push_back({rule, spelled, value});
            continue;
        }
        // A cluster of short options: "-qv", "-p/dev/ttyUSB0", "-o 10".
        for (std::size_t j = 1; j < arg.size(); ++j) {
            const std::string spelled = std::string("-") + arg[j];
            const TOptionRule* rule = FindShort(arg[j]);
            if (rule == nullptr) {
                throw ECliUsage("Неизвестный параметр " + spelled);
            }
            if (!rule->TakesValue) {
                options.push_back({rule, spelled, ""});
                continue;
            }
            const std::string value = j + 1 < arg.size() ? arg.substr(j + 1) : nextValue(spelled);
            options.push_back({rule, spelled, value});
            break;
        }
    }
}

// The scan needs only the port, and asks each number with its own short wait unless told another.
void ApplyScanDefaults(TCliOptions& options, const TCliEnvironment& environment,
                       bool timeoutGiven) {
    if (options.Port.empty() && environment.Port && !environment.Port->empty()) {
        options.Port = *environment.Port;
    }
    if (options.Port.empty()) {
        throw ECliUsage("Не указан порт (--port или TARNEL_PORT)");
    }
    if (!timeoutGiven) {
        options.TimeoutMs = kScanAnswerTimeoutMs;
    }
}

}  // namespace

TCliOptions ParseCliOptions(const std::vector<std::string>& args,
                            const TCliEnvironment& environment) {
    std::vector<TGivenOption> given;
    std::vector<std::string> positional;
    SplitArguments(args, given, positional);

    TCliOptions options;
    auto asks = [&](TOptionId id) {
        return std::any_of(given.begin(), given.end(),
                           [id](const TGivenOption& option) { return option.Rule->Id == id; });
    };
    if (!positional.empty() && !IsCommand(positional.front())) {
        throw ECliUsage("Неизвестная команда " + positional.front());
    }
    const std::string command = positional.empty() ? std::string() : positional.front();
    if (asks(TOptionId::Version) || command == "version") {
        options.Command = "version";
        return options;
    }
    if (asks(TOptionId::Help) || command == "help") {
        options.Command = "help";
        if (command == "help") {
            if (positional.size() > 2) {
                throw ECliUsage("Лишний аргумент " + positional.at(2));
            }
            if (positional.size() == 2) {
                if (!IsCommand(positional.at(1))) {
                    throw ECliUsage("Неизвестная команда " + positional.at(1));
                }
                options.HelpTopic = positional.at(1);
            }
        } else {
            options.HelpTopic = command;
        }
        return options;
    }
    if (command.empty()) {
        throw ECliUsage("Не указана команда");
    }
    options.Command = command;
    positional.erase(positional.begin());

    std::set<TOptionId> seen;
    for (const TGivenOption& option : given) {
        const std::vector<std::string>& takers = option.Rule->Commands;
        if (!takers.empty() && std::find(takers.begin(), takers.end(), command) == takers.end()) {
            throw ECliUsage("Команда " + command + " не принимает параметр " + option.Spelled);
        }
        if (option.Rule->TakesValue && !seen.insert(option.Rule->Id).second) {
            throw ECliUsage("Параметр " + option.Spelled + " указан дважды");
        }
        if (option.Rule->TakesValue && option.Value.empty()) {
            throw ECliUsage("Пустое значение " + option.Spelled);
        }
        switch (option.Rule->Id) {
            case TOptionId::Port:
                options.Port = option.Value;
                break;
            case TOptionId::Object:
                options.ObjectNumber =
                    ParseNumber(option.Spelled, option.Value, 0, kMaxObjectNumber);
                break;
            case TOptionId::Output:
                options.Output = option.Value;
                break;
            case TOptionId::Timeout:
                options.TimeoutMs = ParseNumber(option.Spelled, option.Value, 1, 60000);
                break;
            case TOptionId::Changed:
                options.Changed = true;
                break;
            case TOptionId::Verify:
                options.Verify = true;
                break;
            case TOptionId::KeepNumber:
                options.KeepNumber = true;
                break;
            case TOptionId::NoBackup:
                options.NoBackup = true;
                break;
            case TOptionId::Log:
                options.Log = true;
                break;
            case TOptionId::Quiet:
                options.Quiet = true;
                break;
            case TOptionId::Help:
            case TOptionId::Version:
                break;
        }
    }

    if (command == "write" || command == "diff") {
        if (positional.size() != 1) {
            throw ECliUsage("Команде " + command + " нужен один файл настроек (или - для " +
                            "стандартного ввода)");
        }
        options.File = positional.front();
    } else if (!positional.empty()) {
        throw ECliUsage("Лишний аргумент " + positional.front());
    }
    if (IsDeviceCommand(command)) {
        if (options.Port.empty() && environment.Port && !environment.Port->empty()) {
            options.Port = *environment.Port;
        }
        if (options.ObjectNumber < 0 && environment.ObjectNumber) {
            options.ObjectNumber =
                ParseNumber("TARNEL_OBJECT", *environment.ObjectNumber, 0, kMaxObjectNumber);
        }
        if (options.Port.empty()) {
            throw ECliUsage("Не указан порт (--port или TARNEL_PORT)");
        }
        if (options.ObjectNumber < 0) {
            throw ECliUsage("Не указан номер объекта (--object или TARNEL_OBJECT)");
        }
    }
    if (command == "scan") {
        ApplyScanDefaults(options, environment, asks(TOptionId::Timeout));
    }
    return options;
}

namespace {

static_assert(kAnswerTimeoutMs == 300, "the help below names the default wait");
static_assert(kScanAnswerTimeoutMs == 85, "the scan's help names its wait");
const char kConnectionHelp[] =
    "  -p, --port ПОРТ      последовательный порт (ttyUSB0 или /dev/ttyUSB0); по умолчанию\n"
    "                       TARNEL_PORT\n"
    "  -o, --object N       номер объекта модуля, 0..99; по умолчанию TARNEL_OBJECT\n"
    "      --timeout МС     ожидание ответа модуля, 1..60000 мс (по умолчанию 300)\n"
    "  -q, --quiet          без строки хода и пояснений; только ошибки\n"
    "  -v, --verbose, --log обмен с модулем в stderr\n"
    "  -h, --help           эта справка\n";

struct TCommandHelp {
    const char* Command;
    const char* Synopsis;
    const char* Text;
    bool Connection;
};

const std::array<TCommandHelp, 7> kCommandHelp{{
    {"read", "tarnel-cli read -p ПОРТ -o N [--output ФАЙЛ|-]",
     "Читает все настройки модуля и пишет их файлом настроек (формат окна «Сохранить»):\n"
     "в ФАЙЛ, заменяя его целиком, или в стандартный вывод (без --output или с «--output -»).\n"
     "Файл проверяется на запись до чтения модуля.\n"
     "      --output ФАЙЛ    файл настроек; «-» — стандартный вывод\n",
     true},
    {"show", "tarnel-cli show -p ПОРТ -o N",
     "Читает все настройки модуля и показывает их таблицей для человека.\n", true},
    {"write", "tarnel-cli write -p ПОРТ -o N [--changed] [--verify] [--keep-number] ФАЙЛ|-",
     "Записывает в модуль значения, которые есть в файле (или в стандартном вводе для «-»),\n"
     "и только их: значения, которых в файле нет, не записываются. Файл без единого значения\n"
     "модуля не принимается. Если хоть одно значение неверно (не число, вне диапазона, код\n"
     "реакции вне 0..4, номер объекта вне 0..99), файл не принимается целиком до отправки\n"
     "первой команды, с перечнем неверных значений (строка, секция, ключ); код выхода 2.\n"
     "Номер объекта записывается, только если он есть в файле.\n"
     "Перед первой записью все настройки модуля сохраняются резервной копией в\n"
     "$XDG_DATA_HOME/tarnel-config/backups (по умолчанию ~/.local/share/tarnel-config/backups);\n"
     "её путь выводится в stderr. Хранятся 50 последних копий каждого номера объекта. Если\n"
     "копию сохранить нельзя, ничего не записывается. Вернуть настройки: write КОПИЯ.\n"
     "      --changed        сначала прочитать модуль и записать только отличающиеся значения\n"
     "      --verify         после записи прочитать модуль и сравнить с файлом\n"
     "      --keep-number    оставить модулю его номер объекта, что бы ни было в файле\n"
     "      --no-backup      писать без резервной копии\n",
     true},
    {"diff", "tarnel-cli diff -p ПОРТ -o N [--keep-number] ФАЙЛ|-",
     "Читает модуль и сравнивает его со значениями, которые есть в файле; значения, которых\n"
     "в файле нет, не сравниваются. Печатает каждое различие («в модуле …, в файле …») и в\n"
     "конце их число. Неверные значения файла — как у write.\n"
     "      --keep-number    не сравнивать номер объекта\n",
     true},
    {"backups", "tarnel-cli backups [--object N]",
     "Перечисляет резервные копии, сделанные перед записью, новые первыми: номер объекта,\n"
     "версия модуля, дата и время, путь — через табуляцию, по строке на копию.\n"
     "  -o, --object N       только копии модуля с этим номером (TARNEL_OBJECT не учитывается)\n",
     false},
    {"ports", "tarnel-cli ports",
     "Перечисляет последовательные порты: имя, табуляция, описание — по строке на порт.\n", false},
    {"scan", "tarnel-cli scan -p ПОРТ [--timeout МС]",
     "Ищет модули на порту, когда номер объекта неизвестен: спрашивает версию у каждого номера\n"
     "0..99 и печатает по строке на ответивший номер: «10  VER 08.00». Каждый ответивший модуль\n"
     "сразу отпускается («]» ×3 и «+rb»), в модули ничего не записывается. Без ответов — код 3.\n"
     "  -p, --port ПОРТ      последовательный порт; по умолчанию TARNEL_PORT\n"
     "      --timeout МС     ожидание ответа одного номера (по умолчанию 85: команда и ответ —\n"
     "                       26 байт, 14 мс на 19200 бод, и задержка ответа модуля; весь поиск\n"
     "                       без модулей — меньше 10 с)\n"
     "  -q, --quiet          без строки хода и пояснений; только ошибки\n"
     "  -v, --verbose, --log обмен с модулем в stderr\n",
     false},
}};

const char kExitCodes[] =
    "Коды выхода: 0 успех; 1 модуль отличается от файла или не принял запись; 2 ошибка (команда,\n"
    "файл, порт, модуль не отвечает); 3 scan: не ответил ни один номер; 130 прервано Ctrl+C,\n"
    "128+N — сигналом N (модуль при этом отпущен).\n";

}  // namespace

std::string CliHelp(const std::string& command) {
    for (const TCommandHelp& help : kCommandHelp) {
        if (command == help.Command) {
            std::string text = std::string("Использование: ") + help.Synopsis + "\n" + help.Text;
            if (help.Connection) {
                text += kConnectionHelp;
            } else {
                text += "  -h, --help           эта справка\n";
            }
            return text + kExitCodes;
        }
    }
    std::string text = "Использование:\n";
    for (const TCommandHelp& help : kCommandHelp) {
        text += std::string("  ") + help.Synopsis + "\n";
    }
    text +=
        "  tarnel-cli help [КОМАНДА]   справка о команде (или КОМАНДА --help)\n"
        "  tarnel-cli --version\n"
        "Общие параметры команд read, show, write, diff:\n";
    text += kConnectionHelp;
    text += "Параметры можно писать как «--port ПОРТ» и «--port=ПОРТ»; «--» заканчивает их.\n";
    return text + kExitCodes;
}
