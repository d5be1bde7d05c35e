// tarnel-cli's loads of settings files: the window's load over the model's reader, and the strict
// load of the values to write, which refuses a file rather than replace anything.
#include "cli/ModuleSettingsFile.h"

#include <sys/stat.h>

#include <algorithm>
#include <cerrno>
#include <fstream>

#include "cli/ConsoleText.h"
#include "ini/FileErrorMessage.h"
#include "ini/IniFile.h"
#include "model/EditValue.h"
#include "model/RelaySettingsIni.h"

namespace {

// Why a value of a file cannot go to the module, or empty when it can; value gets the number.
std::string ValueRefusal(const std::string& text, int maximum, std::int32_t& value) {
    if (text.empty()) {
        return "пустое значение";
    }
    if (!IsPlainNumber(text, text.size())) {
        return "не целое число без знака";
    }
    // More digits than any value has are out of range whatever they say.
    const std::size_t significant = text.find_first_not_of('0');
    if (significant != std::string::npos && text.size() - significant > 3) {
        return "вне диапазона 0.." + std::to_string(maximum);
    }
    value = significant == std::string::npos ? 0 : std::stoi(text.substr(significant));
    if (value > maximum) {
        return "вне диапазона 0.." + std::to_string(maximum);
    }
    return {};
}

// A bad value as the listing shows it: control bytes visible, and a long one cut, so that a
// hostile file cannot fill or garble the user's terminal.
std::string ShownValue(const std::string& text) {
    constexpr std::size_t kShownBytes = 40;
    std::size_t cut = std::min(text.size(), kShownBytes);
    // Not in the middle of a UTF-8 sequence: back to the first byte of the one cut through.
    while (cut < text.size() && cut > 0 &&
           (static_cast<unsigned char>(text[cut]) & 0xC0U) == 0x80U) {
        --cut;
    }
    const std::string shown = VisibleText(text.substr(0, cut));
    return cut < text.size() ? shown + "…" : shown;
}

THeldSettings LoadHeld(const TIniFile& ini, const std::string& name) {
    THeldSettings file;
    std::vector<std::string> bad;
    auto take = [&](const std::string& section, const std::string& key, int maximum,
                    std::int32_t& value) {
        if (!ini.ValueExists(section, key)) {
            return false;
        }
        const std::string text = ini.ReadString(section, key, "");
        if (const std::string refusal = ValueRefusal(text, maximum, value); !refusal.empty()) {
            bad.push_back("  строка " + std::to_string(ini.LineNumber(section, key)) + ", [" +
                          section + "] " + key + "=" + ShownValue(text) + ": " + refusal);
            return false;
        }
        file.Held.Add(section, key);
        return true;
    };
    std::int32_t objectNumber = 0;
    if (take(kCommonSectionName, kObjectNumberKey, kMaxObjectNumber, objectNumber)) {
        file.Values.Common.ObjectNumber = std::to_string(objectNumber);
    }
    for (TRelaySettings& relay : file.Values.Relays) {
        const std::string section = RelaySectionName(relay.Number);
        ForEachRelayValue(relay, [&](const std::string& key, std::int32_t& value) {
            take(section, key, key == kDurationKey ? kMaxDuration : rrNone, value);
        });
    }
    if (!bad.empty()) {
        std::string message = "Файл " + name + " не принят: неверных значений " +
                              std::to_string(bad.size()) + ", в модуль ничего не отправлено";
        for (const std::string& line : bad) {
            message += "\n" + line;
        }
        throw ESettingsFileError(message);
    }
    if (file.Held.Empty()) {
        throw ESettingsFileError("Файл " + name + " не содержит ни одного значения модуля");
    }
    return file;
}

}  // namespace

TModuleSettings LoadModuleSettingsFile(const std::string& fileName,
                                       std::vector<std::string>& replaced) {
    if (!std::ifstream(fileName, std::ios::binary).is_open()) {
        throw ESettingsFileError("Не удалось открыть файл " + fileName);
    }
    const TIniFile ini(fileName);
    if (!HoldsModuleSettings(ini)) {
        throw ESettingsFileError("Файл " + fileName + " не содержит настроек программы");
    }
    TModuleSettings settings;
    std::vector<TSettingsReplacement> replacements;
    LoadShownModuleSettings(ini, settings, replacements);
    for (const TSettingsReplacement& replacement : replacements) {
        // The tool has always clamped a duration without a word; the pages report it.
        if (replacement.Key != kDurationKey) {
            replaced.push_back(replacement.LogLine(fileName));
        }
    }
    return settings;
}

THeldSettings LoadHeldSettingsFile(const std::string& fileName) {
    struct stat info {};
    if (::stat(fileName.c_str(), &info) != 0) {
        throw ESettingsFileError(FileErrorMessage(fileName, errno, false));
    }
    if (S_ISDIR(info.st_mode)) {
        throw ESettingsFileError(FileErrorMessage(fileName, EISDIR, false));
    }
    if (std::ifstream in(fileName, std::ios::binary); !in.is_open()) {
        throw ESettingsFileError(FileErrorMessage(fileName, errno != 0 ? errno : EACCES, false));
    }
    const TIniFile ini(fileName);
    return LoadHeld(ini, fileName);
}

THeldSettings LoadHeldSettingsText(const std::string& name, std::string_view text) {
    const TIniFile ini(name, text);
    return LoadHeld(ini, name);
}
