// The settings file of a whole module: the one writer and reader of the sections and keys that
// the pages, the window's files, current.ini and tarnel-cli share.
#pragma once

#include <string>
#include <vector>

#include "model/ModuleSettings.h"
#include "model/RelaySettingsIni.h"

class TIniFile;

// A value of a file that the pages cannot show, and what they hold instead.
struct TSettingsReplacement {
    std::string Section;
    std::string Key;
    std::string Value;        // as the file holds it
    std::string Replacement;  // as the file will hold it after a save
    std::string Place;  // where the pages show it: "Импульс / Длительность"
    std::string ShownInstead;  // the replacement in the pages' words: "Без реакции"

    // The log's line, in the file's key names.
    std::string LogLine(const std::string& fileName) const;
    // The same for the user, in the words of the page titled `page`.
    std::string Text(const std::string& page) const;
    bool operator==(const TSettingsReplacement&) const = default;
};

// The common page's one key, "etO" in "FormCommon".
void SaveCommonSettings(TIniFile& ini, const TCommonSettings& settings);
// Reads the object number when the file holds it; one that is not one or two decimal digits
// becomes the default "01", and is reported.
std::vector<TSettingsReplacement> LoadShownCommonSettings(const TIniFile& ini,
                                                          TCommonSettings& settings);

// LoadRelaySettings as the pages take it: a duration that is no plain 0..255 is clamped and
// reported, and every code outside 0..4 becomes "no reaction" and is reported, in file order.
std::vector<TSettingsReplacement> LoadShownRelaySettings(const TIniFile& ini,
                                                         TRelaySettings& settings);

// Whether the file holds the section of any page.
bool HoldsModuleSettings(const TIniFile& ini);

// Writes the common section, then the five relays' sections, into the file as it stands: keys
// already there keep their place, new ones follow in the order a new file receives them.
void SaveModuleSettings(TIniFile& ini, const TModuleSettings& settings);
// Reads what the file holds into settings, as the pages would show it; what had to be replaced
// is appended to `replaced`. Values the file lacks stay as they are.
void LoadShownModuleSettings(const TIniFile& ini, TModuleSettings& settings,
                             std::vector<TSettingsReplacement>& replaced);

// The whole file with LF line ends: what a read of the module gives, nothing else kept.
std::string FormatModuleSettings(const TModuleSettings& settings);
// Replaces the file whole with FormatModuleSettings, in one commit; throws EIniFileError on
// failure, and the previous file then stays as it was.
void SaveModuleSettingsFile(const std::string& fileName, const TModuleSettings& settings);
