// The pages' sections and keys without the pages: the common page's object number and the
// relays' sections as the relay pages write them.
#include "ModuleSettingsFile.h"

#include <fstream>

#include "IniFile.h"
#include "RelaySettingsIni.h"

namespace {

const char kCommonSection[] = "FormCommon";
const char kObjectNumberKey[] = "etO";

}  // namespace

TModuleSettings LoadModuleSettingsFile(const std::string& fileName,
                                       std::vector<std::string>& replaced) {
    if (!std::ifstream(fileName, std::ios::binary).is_open()) {
        throw ESettingsFileError("Не удалось открыть файл " + fileName);
    }
    const TIniFile ini(fileName);
    TModuleSettings settings;
    bool holdsSettings = ini.SectionExists(kCommonSection);
    for (const TRelaySettings& relay : settings.Relays) {
        holdsSettings = holdsSettings || ini.SectionExists(RelaySectionName(relay.Number));
    }
    if (!holdsSettings) {
        throw ESettingsFileError("Файл " + fileName + " не содержит настроек программы");
    }
    auto note = [&](const std::string& section, const std::string& key, const std::string& value,
                    const std::string& replacement) {
        replaced.push_back(LoadReplacementNote(fileName, section, key, value, replacement));
    };
    if (ini.ValueExists(kCommonSection, kObjectNumberKey)) {
        const std::string text = ini.ReadString(kCommonSection, kObjectNumberKey, "");
        settings.Common.ObjectNumber = IsShownObjectNumber(text) ? text : kDefaultObjectNumber;
        if (settings.Common.ObjectNumber != text) {
            note(kCommonSection, kObjectNumberKey, text, kDefaultObjectNumber);
        }
    }
    for (TRelaySettings& relay : settings.Relays) {
        const std::string section = RelaySectionName(relay.Number);
        LoadRelaySettings(ini, relay);
        for (const auto& [key, code] : ReplaceCodesOutOfRange(relay)) {
            note(section, key, std::to_string(code), std::to_string(rrNone));
        }
    }
    return settings;
}

void SaveModuleSettingsFile(const std::string& fileName, const TModuleSettings& settings) {
    TIniFile ini(fileName);
    ini.WriteString(kCommonSection, kObjectNumberKey, settings.Common.ObjectNumber);
    for (const TRelaySettings& relay : settings.Relays) {
        SaveRelaySettings(ini, relay);
    }
    ini.UpdateFile();
}
