// Settings files from arbitrary bytes: every key reads, writes of arbitrary names and values
// read back as written or as their documented substitution, and nothing else changes.
#include <fuzzer/FuzzedDataProvider.h>
#include <unistd.h>

#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <map>
#include <stdexcept>
#include <string>
#include <system_error>
#include <utility>

#include "ini/IniFile.h"

namespace {

constexpr std::size_t kMaxValueLength = 2047;
constexpr int kMaxWrites = 8;

[[noreturn]] void Fail(const char* what) {
    std::fprintf(stderr, "fuzz_ini: %s\n", what);
    std::abort();
}

void Check(bool holds, const char* what) {
    if (!holds) {
        Fail(what);
    }
}

bool IsBlank(char c) {
    return c == ' ' || c == '\t';
}

std::string Fold(std::string text) {
    for (char& c : text) {
        if (c >= 'A' && c <= 'Z') {
            c = static_cast<char>(c - 'A' + 'a');
        }
    }
    return text;
}

// The reference rules for names that read back as themselves.
bool IsGoodSection(const std::string& name) {
    return !name.empty() && !IsBlank(name.front()) && !IsBlank(name.back()) &&
           name.find_first_of("\r\n[]") == std::string::npos;
}

bool IsGoodKey(const std::string& name) {
    return !name.empty() && !IsBlank(name.front()) && !IsBlank(name.back()) &&
           name.front() != ';' && name.find_first_of("\r\n=[]") == std::string::npos;
}

// What reading gives for a written value: line breaks became blanks, blanks around it and one
// pair of enclosing quotes go, and it is cut at 2047 characters.
std::string ReadBackOf(std::string value) {
    for (char& c : value) {
        if (c == '\r' || c == '\n') {
            c = ' ';
        }
    }
    std::size_t begin = 0;
    std::size_t end = value.size();
    while (begin < end && IsBlank(value[begin])) {
        ++begin;
    }
    while (end > begin && IsBlank(value[end - 1])) {
        --end;
    }
    value = value.substr(begin, end - begin);
    if (value.size() >= 2 && (value.front() == '"' || value.front() == '\'') &&
        value.back() == value.front()) {
        value = value.substr(1, value.size() - 2);
    }
    return value.substr(0, kMaxValueLength);
}

using TKey = std::pair<std::string, std::string>;
using TValues = std::map<TKey, std::string>;

// Every key a reader can reach: the first section of each name, the first key of each name.
TValues ReadAll(const TIniFile& ini) {
    TValues values;
    for (const std::string& section : ini.ReadSections()) {
        Check(ini.SectionExists(section), "a listed section does not exist");
        for (const std::string& key : ini.ReadSection(section)) {
            Check(ini.ValueExists(section, key), "a listed key does not exist");
            const std::string value = ini.ReadString(section, key, "");
            Check(value.size() <= kMaxValueLength, "a value longer than 2047 characters");
            (void)ini.ReadInteger(section, key, 0);
            (void)ini.ReadBool(section, key, false);
            values.emplace(TKey{Fold(section), Fold(key)}, value);
        }
    }
    return values;
}

std::string ScratchFile() {
    // tmpfs where there is one: every run commits a file, and fsync there costs nothing.
    const std::filesystem::path dir =
        std::filesystem::exists("/dev/shm") ? "/dev/shm" : std::filesystem::temp_directory_path();
    return (dir / ("tarnel-fuzz-ini-" + std::to_string(::getpid()) + ".ini")).string();
}

// The scratch file goes when the fuzzer ends, so that runs leave nothing in /dev/shm.
struct TScratchFile {
    std::string Path = ScratchFile();
    ~TScratchFile() {
        std::error_code error;
        std::filesystem::remove(Path, error);
    }
};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    static const TScratchFile scratch;
    const std::string& path = scratch.Path;
    FuzzedDataProvider input(data, size);
    const std::string content = input.ConsumeRandomLengthString(4096);
    std::ofstream(path, std::ios::binary | std::ios::trunc) << content;

    TIniFile ini(path);
    const TValues before = ReadAll(ini);

    std::map<TKey, std::string> written;
    for (int i = 0; i < kMaxWrites && input.remaining_bytes() > 0; ++i) {
        const std::string section = input.ConsumeRandomLengthString(24);
        const std::string key = input.ConsumeRandomLengthString(24);
        const std::string value = input.ConsumeRandomLengthString(64);
        const bool good = IsGoodSection(section) && IsGoodKey(key);
        try {
            ini.WriteString(section, key, value);
            Check(good, "a name that cannot be read back was taken");
            written[TKey{Fold(section), Fold(key)}] = ReadBackOf(value);
        } catch (const std::invalid_argument&) {
            Check(!good, "a good name was refused");
        }
    }
    ini.UpdateFile();

    const TValues after = ReadAll(TIniFile(path));
    for (const auto& [key, value] : written) {
        const auto found = after.find(key);
        Check(found != after.end(), "a written key is missing");
        Check(found->second == value, "a written value reads back changed");
    }
    for (const auto& [key, value] : after) {
        if (written.count(key) != 0) {
            continue;
        }
        const auto old = before.find(key);
        Check(old != before.end(), "a key appeared that was not written");
        Check(old->second == value, "a key that was not written changed");
    }
    for (const auto& [key, value] : before) {
        Check(after.count(key) != 0, "a key that was not written went");
    }
    return 0;
}
