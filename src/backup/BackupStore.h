// The module's settings as they were before a write, kept as settings files in one folder: named
// by object number, module version and local time, the newest kKeptPerObject of each object kept.
#pragma once

#include <chrono>
#include <filesystem>
#include <optional>
#include <string>
#include <vector>

#include "model/ModuleSettings.h"

// One copy of the folder, as its name tells it.
struct TBackupEntry {
    std::filesystem::path Path;
    int ObjectNumber = 0;
    // The module's version as the name holds it: "VER-08.03".
    std::string Version;
    // Local time of the save: "2026-12-10 18:05:12".
    std::string Time;
    bool operator==(const TBackupEntry&) const = default;
};

class TBackupStore {
  public:
    static constexpr std::size_t kKeptPerObject = 50;

    explicit TBackupStore(std::filesystem::path folder);

    // $XDG_DATA_HOME/tarnel-config/backups, or ~/.local/share/… when that is unset or no
    // absolute path.
    static std::filesystem::path DefaultFolder();

    const std::filesystem::path& Folder() const { return m_folder; }

    // Makes the folder (0700) where it is missing and checks that a new file can go into it, so
    // that a write can be refused before the module is asked anything. Throws std::runtime_error
    // "Резервная копия не сохранена: <reason>".
    void CheckWritable() const;

    // Writes the settings in one commit under a name of their own ("obj10_VER-08.03_
    // 2026-12-10T18-05-12.txt", "-2" and on for another copy of the same second), then removes
    // the oldest copies of that object number beyond kKeptPerObject. Returns the new file's path;
    // throws std::runtime_error "Резервная копия не сохранена: <reason>" when nothing was saved.
    std::filesystem::path Save(const TModuleSettings& settings, int objectNumber,
                               const std::string& moduleVersion,
                               std::chrono::system_clock::time_point when) const;

    // The copies, newest first; of one object number when given. Files of other names are no
    // copies and are left out. A folder that does not exist holds none.
    std::vector<TBackupEntry> List(std::optional<int> objectNumber = {}) const;

    // A copy read as the window's load reads a settings file; throws std::runtime_error when the
    // file cannot be read.
    static TModuleSettings Load(const std::filesystem::path& path);

  private:
    std::filesystem::path m_folder;
};

// The version as a part of a file name: blanks become "-", anything but ASCII letters, digits,
// "." and "-" becomes "_".
std::string BackupVersionPart(const std::string& moduleVersion);
