// The whole module's sections built from the common key and the relays' keys.
#include "model/ModuleSettingsIni.h"

#include "ini/IniFile.h"
#include "model/ModuleCompare.h"
#include "model/RelayCaptions.h"

namespace {

// A file written whole: the existing contents dropped, and the platform's line ends.
void ReplaceWithModuleSettings(TIniFile& ini, const TModuleSettings& settings) {
    ini.Clear(TNewLineEnd::Lf);
    SaveModuleSettings(ini, settings);
}

}  // namespace

std::string TSettingsReplacement::LogLine(const std::string& fileName) const {
    return "Файл " + fileName + ": значение " + Section + "/" + Key + "=" + Value +
           " заменено на " + Replacement;
}

std::string TSettingsReplacement::Text(const std::string& page) const {
    return ReplacementText(page, Place, Value, ShownInstead);
}

void SaveCommonSettings(TIniFile& ini, const TCommonSettings& settings) {
    ini.WriteString(kCommonSectionName, kObjectNumberKey, settings.ObjectNumber);
}

std::vector<TSettingsReplacement> LoadShownCommonSettings(const TIniFile& ini,
                                                          TCommonSettings& settings) {
    if (!ini.ValueExists(kCommonSectionName, kObjectNumberKey)) {
        return {};
    }
    const std::string text = ini.ReadString(kCommonSectionName, kObjectNumberKey, "");
    if (IsShownObjectNumber(text)) {
        settings.ObjectNumber = text;
        return {};
    }
    settings.ObjectNumber = kDefaultObjectNumber;
    return {{kCommonSectionName, kObjectNumberKey, text, kDefaultObjectNumber,
             "Объект / Номер объекта", kDefaultObjectNumber}};
}

std::vector<TSettingsReplacement> LoadShownRelaySettings(const TIniFile& ini,
                                                         TRelaySettings& settings) {
    const std::string section = RelaySectionName(settings.Number);
    std::vector<TSettingsReplacement> replaced;
    LoadRelaySettings(ini, settings);
    if (ini.ValueExists(section, kDurationKey)) {
        // The duration was clamped already; only a value that was no plain duration is a
        // replacement worth a word.
        const std::string stored = ini.ReadString(section, kDurationKey, "");
        if (!IsPlainDuration(stored)) {
            const std::string shown = std::to_string(settings.Duration);
            replaced.push_back(
                {section, kDurationKey, stored, shown, "Импульс / Длительность", shown});
        }
    }
    for (const auto& [key, code] : ReplaceCodesOutOfRange(settings)) {
        replaced.push_back({section, key, std::to_string(code), std::to_string(rrNone),
                            TableKeyPlace(key), ReactionName(rrNone)});
    }
    return replaced;
}

bool HoldsModuleSettings(const TIniFile& ini) {
    bool holds = ini.SectionExists(kCommonSectionName);
    for (int n = 1; n <= kRelayCount; ++n) {
        holds = holds || ini.SectionExists(RelaySectionName(n));
    }
    return holds;
}

void SaveModuleSettings(TIniFile& ini, const TModuleSettings& settings) {
    SaveCommonSettings(ini, settings.Common);
    for (const TRelaySettings& relay : settings.Relays) {
        SaveRelaySettings(ini, relay);
    }
}

void LoadShownModuleSettings(const TIniFile& ini, TModuleSettings& settings,
                             std::vector<TSettingsReplacement>& replaced) {
    auto append = [&replaced](std::vector<TSettingsReplacement> more) {
        replaced.insert(replaced.end(), more.begin(), more.end());
    };
    append(LoadShownCommonSettings(ini, settings.Common));
    for (TRelaySettings& relay : settings.Relays) {
        append(LoadShownRelaySettings(ini, relay));
    }
}

std::string FormatModuleSettings(const TModuleSettings& settings) {
    TIniFile ini("", "");
    ReplaceWithModuleSettings(ini, settings);
    return ini.Text();
}

void SaveModuleSettingsFile(const std::string& fileName, const TModuleSettings& settings) {
    TIniFile ini(fileName);
    ReplaceWithModuleSettings(ini, settings);
    ini.UpdateFile();
}
