// Where the program keeps "current.ini": beside the program, or in the user's configuration folder.
#pragma once

#include <string>

// The folder of the running program's file, with a trailing "/".
std::string GetAppDir();
// Where "current.ini" lives: the program's folder when it is writable and the program is not
// an installed one, else the user's configuration folder for the program ($XDG_CONFIG_HOME or
// ~/.config); a trailing "/".
std::string GetSettingsDir();
// The choice behind GetSettingsDir, for a given program folder and whether it can be written.
std::string SettingsDirFor(const std::string& appDir, bool appDirWritable);
// Whether the program folder is that of an install: "<prefix>/bin/" with the desktop entry in
// "<prefix>/share/applications/" beside it. A build folder has no desktop entry.
bool IsInstalledProgramDir(const std::string& appDir);
// The file the settings are loaded from at start: "current.ini" in the settings folder, or the
// one beside the program of a read-only install while the user has none of their own yet.
std::string SettingsStartFile(const std::string& appDir, const std::string& settingsDir);
// The folder under the user's configuration folder that holds the settings of a system-wide
// install.
inline constexpr const char* kSettingsFolderName = "tarnel-config";
// The settings file kept between runs.
inline constexpr const char* kSettingsFileName = "current.ini";
