// Settings files of a whole module as tarnel-cli takes them: the model's format, with the
// console's refusals of files it cannot use.
#pragma once

#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

#include "model/ModuleSettings.h"
#include "model/ModuleSettingsIni.h"
#include "model/ModuleValueSet.h"

// A settings file that cannot be used; the message says why, naming the file.
class ESettingsFileError : public std::runtime_error {
  public:
    using std::runtime_error::runtime_error;
};

// Loads as the window's "Загрузить" does, with its replacements of values the pages cannot show
// (each one a log line in `replaced`; a clamped duration is not listed). A missing or unreadable
// file, or one that holds none of the pages' sections, throws ESettingsFileError.
TModuleSettings LoadModuleSettingsFile(const std::string& fileName,
                                       std::vector<std::string>& replaced);

// What a file says of a module, and no more: the values it holds, each one checked.
struct THeldSettings {
    // The held values; the others as a new page holds them, never to be sent or compared.
    TModuleSettings Values;
    TModuleValueSet Held;
};

// A file to write to a module or compare with it. Nothing is replaced: a file that cannot be read,
// holds no value of the module, or holds any value that is not a plain number in its range
// throws ESettingsFileError, which lists every bad value with its line, section and key.
THeldSettings LoadHeldSettingsFile(const std::string& fileName);
// The same for text read elsewhere (standard input), named as `name` in the messages.
THeldSettings LoadHeldSettingsText(const std::string& name, std::string_view text);
