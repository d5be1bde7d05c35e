// Settings files of a whole module, in the format of the window's "Сохранить" and "Загрузить".
#pragma once

#include <stdexcept>
#include <string>
#include <vector>

#include "ModuleSettings.h"

// A settings file that cannot be used; the message says why, naming the file.
class ESettingsFileError : public std::runtime_error {
  public:
    using std::runtime_error::runtime_error;
};

// Loads as the window's "Загрузить" does, with its replacements of values the pages cannot show
// (each one a line in `replaced`). A missing or unreadable file, or one that holds none of the
// pages' sections, throws ESettingsFileError.
TModuleSettings LoadModuleSettingsFile(const std::string& fileName,
                                       std::vector<std::string>& replaced);

// Saves as the window's "Сохранить" does, in one commit; throws EIniFileError on failure.
void SaveModuleSettingsFile(const std::string& fileName, const TModuleSettings& settings);
