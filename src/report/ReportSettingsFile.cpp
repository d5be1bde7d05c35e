#include "report/ReportSettingsFile.h"

#include <stdexcept>
#include <vector>

#include "ini/IniFile.h"
#include "model/ModuleSettingsIni.h"

TModuleSettings ReadReportSettings(const std::string& fileName) {
    const TIniFile ini(fileName);
    if (!HoldsModuleSettings(ini)) {
        throw std::runtime_error("В файле " + fileName + " нет настроек модуля");
    }
    TModuleSettings settings;
    // What the pages would replace is replaced here alike; the report shows the pages' values.
    std::vector<TSettingsReplacement> replaced;
    LoadShownModuleSettings(ini, settings, replaced);
    return settings;
}
