#include "backup/BackupStore.h"

#include <fcntl.h>
#include <pwd.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdlib>
#include <ctime>
#include <fstream>
#include <regex>
#include <stdexcept>
#include <system_error>

#include "ini/FileErrorMessage.h"
#include "ini/FileHandle.h"
#include "ini/IniFile.h"
#include "model/ModuleSettingsIni.h"

namespace fs = std::filesystem;

namespace {

const char kRefused[] = "Резервная копия не сохранена: ";
// Far more copies of one second than any run makes: a folder that still has no free name is
// broken in some other way.
constexpr int kMaxCopiesPerSecond = 1000;
constexpr std::size_t kMaxVersionPart = 40;

[[noreturn]] void Refuse(const fs::path& path, int osError) {
    throw std::runtime_error(kRefused + FileErrorReason(path.string(), osError, true));
}

// A copy with what orders it: the time of its name, then its number within that second.
struct TFoundCopy {
    TBackupEntry Entry;
    std::string SortTime;  // "2026-12-10T18-05-12": the text order is the time order
    int Sequence = 1;
};

bool NewerFirst(const TFoundCopy& a, const TFoundCopy& b) {
    return a.SortTime != b.SortTime ? a.SortTime > b.SortTime : a.Sequence > b.Sequence;
}

std::optional<TFoundCopy> ParseName(const fs::path& path) {
    static const std::regex pattern(
        R"(obj([0-9]{1,2})_(.+)_([0-9]{4}-[0-9]{2}-[0-9]{2})T([0-9]{2})-([0-9]{2})-([0-9]{2}))"
        R"((?:-([0-9]{1,4}))?\.txt)");
    const std::string name = path.filename().string();
    std::smatch match;
    if (!std::regex_match(name, match, pattern)) {
        return std::nullopt;
    }
    TFoundCopy copy;
    copy.Entry.Path = path;
    copy.Entry.ObjectNumber = std::stoi(match[1].str());
    copy.Entry.Version = match[2].str();
    copy.Entry.Time =
        match[3].str() + " " + match[4].str() + ":" + match[5].str() + ":" + match[6].str();
    copy.SortTime =
        match[3].str() + "T" + match[4].str() + "-" + match[5].str() + "-" + match[6].str();
    copy.Sequence = match[7].matched ? std::stoi(match[7].str()) : 1;
    return copy;
}

std::vector<TFoundCopy> FindCopies(const fs::path& folder, std::optional<int> objectNumber) {
    std::vector<TFoundCopy> copies;
    std::error_code error;
    fs::directory_iterator entries(folder, error);
    if (error == std::errc::no_such_file_or_directory) {
        return copies;
    }
    if (error) {
        throw std::runtime_error("Не удалось прочитать папку " + folder.string() + ": " +
                                 FileErrorReason(folder.string() + "/", error.value(), false));
    }
    for (const fs::directory_entry& entry : entries) {
        if (!entry.is_regular_file(error)) {
            continue;
        }
        std::optional<TFoundCopy> copy = ParseName(entry.path());
        if (copy && (!objectNumber || copy->Entry.ObjectNumber == *objectNumber)) {
            copies.push_back(std::move(*copy));
        }
    }
    std::sort(copies.begin(), copies.end(), NewerFirst);
    return copies;
}

std::string LocalTimePart(std::chrono::system_clock::time_point when) {
    const std::time_t seconds = std::chrono::system_clock::to_time_t(when);
    std::tm local{};
    ::localtime_r(&seconds, &local);
    char text[32];
    std::strftime(text, sizeof text, "%Y-%m-%dT%H-%M-%S", &local);
    return text;
}

// Each missing folder of the path, made readable by its owner alone: the copies are the
// user's own settings.
void MakeFolders(const fs::path& folder) {
    fs::path made;
    for (const fs::path& part : folder) {
        made /= part;
        if (::mkdir(made.c_str(), 0700) != 0 && errno != EEXIST) {
            Refuse(made, errno);
        }
    }
    struct stat info {};
    if (::stat(folder.c_str(), &info) != 0) {
        Refuse(folder / "", errno);
    }
    if (!S_ISDIR(info.st_mode)) {
        Refuse(folder, ENOTDIR);
    }
}

}  // namespace

std::string BackupVersionPart(const std::string& moduleVersion) {
    std::string part;
    for (const char c : moduleVersion) {
        const bool safe = (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') ||
                          (c >= '0' && c <= '9') || c == '.' || c == '-';
        part += c == ' ' ? '-' : safe ? c : '_';
    }
    if (part.size() > kMaxVersionPart) {
        part.resize(kMaxVersionPart);
    }
    return part.empty() ? "_" : part;
}

TBackupStore::TBackupStore(fs::path folder) : m_folder(std::move(folder)) {}

fs::path TBackupStore::DefaultFolder() {
    fs::path data;
    const char* xdg = std::getenv("XDG_DATA_HOME");
    if (xdg != nullptr && fs::path(xdg).is_absolute()) {
        data = xdg;
    } else {
        const char* home = std::getenv("HOME");
        if (home == nullptr || *home == '\0') {
            const passwd* user = ::getpwuid(::getuid());
            home = user != nullptr ? user->pw_dir : "/";
        }
        data = fs::path(home) / ".local" / "share";
    }
    return data / "tarnel-config" / "backups";
}

void TBackupStore::CheckWritable() const {
    MakeFolders(m_folder);
    if (::access(m_folder.c_str(), W_OK | X_OK) != 0) {
        // The reason names the folder of the path, which is the backup folder itself.
        Refuse(m_folder / "x", errno);
    }
}

fs::path TBackupStore::Save(const TModuleSettings& settings, int objectNumber,
                            const std::string& moduleVersion,
                            std::chrono::system_clock::time_point when) const {
    CheckWritable();
    const std::string stem = "obj" + std::to_string(objectNumber) + "_" +
                             BackupVersionPart(moduleVersion) + "_" + LocalTimePart(when);
    // The name is taken by creating the file, so that another run of the same second cannot
    // take it too; the commit then replaces that empty file.
    fs::path path;
    for (int copy = 1;; ++copy) {
        if (copy > kMaxCopiesPerSecond) {
            Refuse(m_folder / (stem + ".txt"), EEXIST);
        }
        path = m_folder / (stem + (copy == 1 ? "" : "-" + std::to_string(copy)) + ".txt");
        const TFileHandle reserved(
            ::open(path.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0600));
        if (reserved.IsOpen()) {
            break;
        }
        if (errno != EEXIST) {
            Refuse(path, errno);
        }
    }
    try {
        SaveModuleSettingsFile(path.string(), settings);
    } catch (const EIniFileError& error) {
        std::error_code ignored;
        fs::remove(path, ignored);
        if (error.OsError() == 0) {
            throw std::runtime_error(kRefused + std::string(error.what()));
        }
        Refuse(path, error.OsError());
    }
    // A copy that cannot be removed only takes room: the new one is saved all the same.
    const std::vector<TFoundCopy> copies = FindCopies(m_folder, objectNumber);
    for (std::size_t i = kKeptPerObject; i < copies.size(); ++i) {
        std::error_code ignored;
        fs::remove(copies[i].Entry.Path, ignored);
    }
    return path;
}

std::vector<TBackupEntry> TBackupStore::List(std::optional<int> objectNumber) const {
    std::vector<TBackupEntry> entries;
    for (TFoundCopy& copy : FindCopies(m_folder, objectNumber)) {
        entries.push_back(std::move(copy.Entry));
    }
    return entries;
}

TModuleSettings TBackupStore::Load(const fs::path& path) {
    if (!std::ifstream(path, std::ios::binary).is_open()) {
        throw std::runtime_error(FileErrorMessage(path.string(), errno, false));
    }
    const TIniFile ini(path.string());
    TModuleSettings settings;
    // A copy was written by Save from values a module held: nothing in it needs replacing.
    std::vector<TSettingsReplacement> replaced;
    LoadShownModuleSettings(ini, settings, replaced);
    return settings;
}
