// The settings folder chosen from the program's own folder and the user's environment.
#include "shell/SettingsLocation.h"

#include <unistd.h>

#include <cstdlib>
#include <filesystem>

std::string GetAppDir() {
    std::error_code ec;
    const auto program = std::filesystem::read_symlink("/proc/self/exe", ec);
    if (ec) {
        return "./";
    }
    return program.parent_path().string() + "/";
}

std::string GetSettingsDir() {
    const std::string appDir = GetAppDir();
    return SettingsDirFor(appDir, ::access(appDir.c_str(), W_OK) == 0);
}

bool IsInstalledProgramDir(const std::string& appDir) {
    std::filesystem::path dir = std::filesystem::path(appDir).lexically_normal();
    if (!dir.has_filename()) {
        dir = dir.parent_path();
    }
    if (dir.filename() != "bin") {
        return false;
    }
    std::error_code ec;
    return std::filesystem::is_regular_file(
        dir.parent_path() / "share" / "applications" / "tarnel-config.desktop", ec);
}

std::string SettingsDirFor(const std::string& appDir, bool appDirWritable) {
    // Root can write /usr/bin, yet an installed program's settings belong to its user.
    if (appDirWritable && !IsInstalledProgramDir(appDir)) {
        return appDir;
    }
    std::filesystem::path base;
    if (const char* xdg = std::getenv("XDG_CONFIG_HOME"); xdg != nullptr && *xdg != '\0') {
        base = xdg;
    } else if (const char* home = std::getenv("HOME"); home != nullptr && *home != '\0') {
        base = std::filesystem::path(home) / ".config";
    } else {
        return appDir;
    }
    const auto dir = base / kSettingsFolderName;
    std::error_code ec;
    std::filesystem::create_directories(dir, ec);
    return dir.string() + "/";
}

std::string SettingsStartFile(const std::string& appDir, const std::string& settingsDir) {
    const std::string own = settingsDir + kSettingsFileName;
    const std::string installed = appDir + kSettingsFileName;
    std::error_code ec;
    if (settingsDir != appDir && !std::filesystem::exists(own, ec) &&
        std::filesystem::exists(installed, ec)) {
        return installed;
    }
    return own;
}
