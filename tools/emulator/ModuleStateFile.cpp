// Loading and saving the module's memory through the tool's settings-file keys.
#include "emulator/ModuleStateFile.h"

#include <sys/stat.h>

#include <charconv>
#include <stdexcept>

#include "ini/IniFile.h"
#include "model/RelaySettingsIni.h"

void LoadModuleState(const std::string& fileName, TModuleState& state) {
    struct stat info {};
    if (::stat(fileName.c_str(), &info) != 0 || !S_ISREG(info.st_mode)) {
        throw std::runtime_error("No state file " + fileName);
    }
    const TIniFile ini(fileName);
    const std::string text = ini.ReadString(kCommonSectionName, kObjectNumberKey, "");
    std::int32_t number = 0;
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), number);
    if (!text.empty() && error == std::errc() && end == text.data() + text.size() && number >= 0) {
        state.ObjectNumber = number;
    }
    for (TRelaySettings& relay : state.Relays)
        LoadRelaySettings(ini, relay);
}

void SaveModuleState(const std::string& fileName, const TModuleState& state) {
    TIniFile ini(fileName);
    ini.WriteString(kCommonSectionName, kObjectNumberKey, std::to_string(state.ObjectNumber));
    for (const TRelaySettings& relay : state.Relays)
        SaveRelaySettings(ini, relay);
    ini.UpdateFile();
}
