// Reading and writing of INI settings files that keeps every byte the tool does not change.
#include "ini/IniFile.h"

#include <fcntl.h>
#include <signal.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <charconv>
#include <climits>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <optional>
#include <random>
#include <stdexcept>

#include "ini/FileHandle.h"

namespace {

constexpr std::size_t kMaxValueLength = 2047;
// A settings file is a few kilobytes; anything past this is not read, and then not overwritten.
constexpr std::uintmax_t kMaxFileSize = std::uintmax_t{64} * 1024 * 1024;
constexpr const char* kUtf8Bom = "\xEF\xBB\xBF";
// The tool's files on their original system have Windows line ends; a new file gets the same.
constexpr const char* kNewFileLineEnd = "\r\n";

bool IsBlank(char c) {
    return c == ' ' || c == '\t';
}

char FoldCase(char c) {
    return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c;
}

bool SameName(std::string_view a, std::string_view b) {
    if (a.size() != b.size()) {
        return false;
    }
    for (std::size_t i = 0; i < a.size(); ++i) {
        if (FoldCase(a[i]) != FoldCase(b[i])) {
            return false;
        }
    }
    return true;
}

std::string_view Trim(std::string_view s) {
    while (!s.empty() && IsBlank(s.front())) {
        s.remove_prefix(1);
    }
    while (!s.empty() && IsBlank(s.back())) {
        s.remove_suffix(1);
    }
    return s;
}

enum class TLineKind { Other, Section, Key };

// One line of the file: its text without the line end, and the line end as it was.
struct TLine {
    std::string Text;
    std::string LineEnd;
    TLineKind Kind = TLineKind::Other;
    std::string Name;            // section or key name as written, blanks removed
    std::size_t ValueStart = 0;  // for a key line, the offset just past "="

    void Parse() {
        std::string_view text = Text;
        std::string_view body = text;
        while (!body.empty() && IsBlank(body.front())) {
            body.remove_prefix(1);
        }
        Kind = TLineKind::Other;
        Name.clear();
        if (body.empty() || body.front() == ';') {
            return;
        }
        if (body.front() == '[') {
            body.remove_prefix(1);
            const auto close = body.find(']');
            Kind = TLineKind::Section;
            Name = Trim(body.substr(0, close));
            return;
        }
        const auto eq = text.find('=');
        if (eq == std::string_view::npos) {
            return;
        }
        const auto key = Trim(text.substr(0, eq));
        if (key.empty()) {
            return;
        }
        Kind = TLineKind::Key;
        Name = key;
        ValueStart = eq + 1;
    }
};

std::string UnquotedValue(std::string_view raw) {
    auto value = Trim(raw);
    if (value.size() >= 2 && (value.front() == '"' || value.front() == '\'') &&
        value.back() == value.front()) {
        value = value.substr(1, value.size() - 2);
    }
    return std::string(value.substr(0, kMaxValueLength));
}

// A value is one line of the file; a line break inside it would start a new key or section.
std::string OneLine(const std::string& value) {
    std::string line = value;
    for (char& c : line) {
        if (c == '\r' || c == '\n') {
            c = ' ';
        }
    }
    return line;
}

std::optional<int> ParseInteger(std::string_view text) {
    int base = 10;
    if (text.size() >= 3 && text[0] == '0' && (text[1] == 'x' || text[1] == 'X')) {
        base = 16;
        text.remove_prefix(2);
        if (text.front() == '-') {
            return std::nullopt;
        }
    } else if (!text.empty() && text.front() == '+') {
        text.remove_prefix(1);
        if (!text.empty() && text.front() == '-') {
            return std::nullopt;
        }
    }
    if (text.empty()) {
        return std::nullopt;
    }
    int value = 0;
    const auto* end = text.data() + text.size();
    const auto result = std::from_chars(text.data(), end, value, base);
    if (result.ec != std::errc() || result.ptr != end) {
        return std::nullopt;
    }
    return value;
}

bool WriteAll(int fd, const std::string& data) {
    std::size_t done = 0;
    while (done < data.size()) {
        const auto n = ::write(fd, data.data() + done, data.size() - done);
        if (n < 0) {
            if (errno == EINTR) {
                continue;
            }
            return false;
        }
        done += static_cast<std::size_t>(n);
    }
    return true;
}

// The last line of the file may have had no line end; the one it gets must not change how it
// reads. A line that already ends in a bare carriage return keeps it only before "\r\n".
void EndLine(TLine& line, const std::string& lineEnd) {
    if (line.LineEnd.empty()) {
        line.LineEnd = line.Text.ends_with('\r') ? std::string("\r\n") : lineEnd;
    }
}

std::string Quoted(const std::string& name) {
    return "\"" + name + "\"";
}

bool HasBlankEdge(const std::string& name) {
    return IsBlank(name.front()) || IsBlank(name.back());
}

// A section name is read back from between "[" and the first "]", trimmed.
void CheckSectionName(const std::string& section) {
    if (section.empty() || HasBlankEdge(section) ||
        section.find_first_of("\r\n[]") != std::string::npos) {
        throw std::invalid_argument("Invalid section name " + Quoted(section));
    }
}

// A key name is read back from before the first "=", trimmed, on a line that is neither a
// comment nor a section header.
void CheckKeyName(const std::string& section, const std::string& key) {
    if (key.empty() || HasBlankEdge(key) || key.front() == ';' ||
        key.find_first_of("\r\n=[]") != std::string::npos) {
        throw std::invalid_argument("Invalid key name " + Quoted(key) + " in section " +
                                    Quoted(section));
    }
}

bool SyncFolder(const std::string& folder) {
    const int fd = ::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd < 0) {
        return false;
    }
    TFileHandle handle(fd);
    return ::fsync(handle.Get()) == 0;
}

std::string FolderOf(const std::string& path) {
    const auto slash = path.rfind('/');
    if (slash == std::string::npos) {
        return ".";
    }
    return slash == 0 ? std::string("/") : path.substr(0, slash);
}

}  // namespace

struct TIniFile::TImpl {
    std::string FileName;
    bool HasBom = false;
    std::vector<TLine> Lines;
    // False when an existing file could not be read whole: it is then never overwritten.
    bool Readable = true;
    // Why the file could not be read, for the message of a later failed save.
    int LoadError = 0;
    // The line end of lines added to an image that has none yet.
    std::string NewLineEnd = kNewFileLineEnd;

    void Load();
    void Parse(std::string_view data);
    std::string Serialize() const;
    std::string LineEnd() const;
    // Index of the header line of the first section of that name.
    std::optional<std::size_t> FindSection(const std::string& section) const;
    // End of the section that starts at header: the next header or the end of the file.
    std::size_t SectionEnd(std::size_t header) const;
    std::optional<std::size_t> FindKey(const std::string& section, const std::string& key) const;
    void Save() const;
};

void TIniFile::TImpl::Load() {
    struct stat info {};
    if (::stat(FileName.c_str(), &info) != 0) {
        Readable = errno == ENOENT;
        LoadError = errno;
        return;
    }
    if (!S_ISREG(info.st_mode) || static_cast<std::uintmax_t>(info.st_size) > kMaxFileSize) {
        Readable = false;
        LoadError = S_ISDIR(info.st_mode) ? EISDIR : EFBIG;
        return;
    }
    std::ifstream in(FileName, std::ios::binary);
    if (!in.is_open()) {
        Readable = false;
        LoadError = errno != 0 ? errno : EACCES;
        return;
    }
    std::string data((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    if (in.bad()) {
        Readable = false;
        return;
    }
    Parse(data);
}

void TIniFile::TImpl::Parse(std::string_view data) {
    std::string_view rest = data;
    if (rest.starts_with(kUtf8Bom)) {
        HasBom = true;
        rest.remove_prefix(3);
    }
    while (!rest.empty()) {
        TLine line;
        const auto nl = rest.find('\n');
        std::string_view text = rest.substr(0, nl);
        if (nl == std::string_view::npos) {
            rest = {};
        } else {
            rest.remove_prefix(nl + 1);
            if (text.ends_with('\r')) {
                text.remove_suffix(1);
                line.LineEnd = "\r\n";
            } else {
                line.LineEnd = "\n";
            }
        }
        line.Text = text;
        line.Parse();
        Lines.push_back(std::move(line));
    }
}

std::string TIniFile::TImpl::Serialize() const {
    std::string data = HasBom ? kUtf8Bom : "";
    for (const auto& line : Lines) {
        data += line.Text;
        data += line.LineEnd;
    }
    return data;
}

std::string TIniFile::TImpl::LineEnd() const {
    for (const auto& line : Lines) {
        if (!line.LineEnd.empty()) {
            return line.LineEnd;
        }
    }
    return NewLineEnd;
}

std::optional<std::size_t> TIniFile::TImpl::FindSection(const std::string& section) const {
    for (std::size_t i = 0; i < Lines.size(); ++i) {
        if (Lines[i].Kind == TLineKind::Section && SameName(Lines[i].Name, section)) {
            return i;
        }
    }
    return std::nullopt;
}

std::size_t TIniFile::TImpl::SectionEnd(std::size_t header) const {
    std::size_t i = header + 1;
    while (i < Lines.size() && Lines[i].Kind != TLineKind::Section) {
        ++i;
    }
    return i;
}

std::optional<std::size_t> TIniFile::TImpl::FindKey(const std::string& section,
                                                    const std::string& key) const {
    const auto header = FindSection(section);
    if (!header) {
        return std::nullopt;
    }
    const auto end = SectionEnd(*header);
    for (std::size_t i = *header + 1; i < end; ++i) {
        if (Lines[i].Kind == TLineKind::Key && SameName(Lines[i].Name, key)) {
            return i;
        }
    }
    return std::nullopt;
}

void TIniFile::TImpl::Save() const {
    const std::string failure = "Unable to write to " + FileName;
    // Each failure keeps the errno of the call that failed, for the user's message.
    auto fail = [&](int osError) { throw EIniFileError(failure, osError, FileName); };
    if (!Readable) {
        fail(LoadError);
    }
    // Through a symbolic link the file it points to is replaced, not the link.
    std::string target = FileName;
    if (char* resolved = ::realpath(FileName.c_str(), nullptr)) {
        target = resolved;
        std::free(resolved);
    }
    struct stat old {};
    const bool exists = ::stat(target.c_str(), &old) == 0;
    // The rename would replace a file the user may not write, as long as the folder is writable.
    if (exists && ::faccessat(AT_FDCWD, target.c_str(), W_OK, AT_EACCESS) != 0) {
        fail(errno);
    }

    const std::string folder = FolderOf(target);
    std::random_device random;
    std::string tempName;
    int fd = -1;
    for (int attempt = 0; attempt < 100 && fd < 0; ++attempt) {
        tempName = folder + "/.ini-" + std::to_string(::getpid()) + "-" + std::to_string(random());
        fd = ::open(tempName.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
        if (fd < 0 && errno != EEXIST) {
            fail(errno);
        }
    }
    if (fd < 0) {
        fail(EEXIST);
    }
    TFileHandle temp(fd);
    bool ok = true;
    int firstError = 0;
    auto step = [&firstError](bool done) {
        if (!done && firstError == 0) {
            firstError = errno;
        }
        return done;
    };
    if (exists) {
        ok = step(::fchmod(temp.Get(), old.st_mode & 07777) == 0);
        // Best effort: keeps a user's file owned by the user when root saves it.
        [[maybe_unused]] const int owned = ::fchown(temp.Get(), old.st_uid, old.st_gid);
    }
    // The data reach the disk before the rename makes them the file, so that a power cut leaves
    // either the old file or the new one, never an empty one.
    ok = ok && step(WriteAll(temp.Get(), Serialize()));
    ok = ok && step(::fsync(temp.Get()) == 0);
    ok = step(temp.Close()) && ok;
    ok = ok && step(std::rename(tempName.c_str(), target.c_str()) == 0);
    if (!ok) {
        ::unlink(tempName.c_str());
        fail(firstError);
    }
    if (!SyncFolder(folder)) {
        fail(errno);
    }
}

void RemoveStaleTempFiles(const std::string& folder) {
    auto digits = [](const std::string& text) {
        return !text.empty() && text.size() <= 20 &&
               text.find_first_not_of("0123456789") == std::string::npos;
    };
    std::error_code error;
    for (const auto& entry : std::filesystem::directory_iterator(folder, error)) {
        const std::string name = entry.path().filename().string();
        const std::string prefix = ".ini-";
        const auto dash = name.find('-', prefix.size());
        if (name.rfind(prefix, 0) != 0 || dash == std::string::npos ||
            !digits(name.substr(prefix.size(), dash - prefix.size())) ||
            !digits(name.substr(dash + 1)) || !entry.is_regular_file(error)) {
            continue;
        }
        const long long pid = std::stoll(name.substr(prefix.size(), dash - prefix.size()));
        // A process that runs, also another user's, may still rename its file into place.
        const bool alive = pid > 0 && pid <= INT_MAX &&
                           (::kill(static_cast<pid_t>(pid), 0) == 0 || errno == EPERM);
        if (!alive) {
            ::unlink(entry.path().c_str());
        }
    }
}

TIniFile::TIniFile(std::string fileName) : m_impl(std::make_unique<TImpl>()) {
    m_impl->FileName = std::move(fileName);
    m_impl->Load();
}

TIniFile::TIniFile(std::string fileName, std::string_view contents)
    : m_impl(std::make_unique<TImpl>()) {
    m_impl->FileName = std::move(fileName);
    m_impl->Parse(contents);
}

TIniFile::~TIniFile() = default;

const std::string& TIniFile::FileName() const {
    return m_impl->FileName;
}

void TIniFile::SetFileName(std::string fileName) {
    m_impl->FileName = std::move(fileName);
}

std::string TIniFile::ReadString(const std::string& section, const std::string& key,
                                 const std::string& defaultValue) const {
    const auto index = m_impl->FindKey(section, key);
    if (!index) {
        return defaultValue;
    }
    const auto& line = m_impl->Lines[*index];
    return UnquotedValue(std::string_view(line.Text).substr(line.ValueStart));
}

int TIniFile::ReadInteger(const std::string& section, const std::string& key,
                          int defaultValue) const {
    if (!ValueExists(section, key)) {
        return defaultValue;
    }
    return ParseInteger(ReadString(section, key, "")).value_or(defaultValue);
}

bool TIniFile::ReadBool(const std::string& section, const std::string& key,
                        bool defaultValue) const {
    return ReadInteger(section, key, defaultValue ? 1 : 0) != 0;
}

bool TIniFile::SectionExists(const std::string& section) const {
    return m_impl->FindSection(section).has_value();
}

bool TIniFile::ValueExists(const std::string& section, const std::string& key) const {
    return m_impl->FindKey(section, key).has_value();
}

std::vector<std::string> TIniFile::ReadSections() const {
    std::vector<std::string> sections;
    for (const auto& line : m_impl->Lines) {
        if (line.Kind == TLineKind::Section &&
            std::none_of(sections.begin(), sections.end(),
                         [&line](const std::string& name) { return SameName(name, line.Name); })) {
            sections.push_back(line.Name);
        }
    }
    return sections;
}

std::vector<std::string> TIniFile::ReadSection(const std::string& section) const {
    std::vector<std::string> keys;
    const auto header = m_impl->FindSection(section);
    if (!header) {
        return keys;
    }
    const auto end = m_impl->SectionEnd(*header);
    for (std::size_t i = *header + 1; i < end; ++i) {
        if (m_impl->Lines[i].Kind == TLineKind::Key) {
            keys.push_back(m_impl->Lines[i].Name);
        }
    }
    return keys;
}

void TIniFile::WriteString(const std::string& section, const std::string& key,
                           const std::string& value) {
    CheckSectionName(section);
    CheckKeyName(section, key);
    auto& lines = m_impl->Lines;
    const std::string text = OneLine(value);
    const std::string lineEnd = m_impl->LineEnd();
    auto makeLine = [&](std::string lineText) {
        TLine line;
        line.Text = std::move(lineText);
        line.LineEnd = lineEnd;
        line.Parse();
        return line;
    };
    if (const auto index = m_impl->FindKey(section, key)) {
        // The key's spelling and the blanks around "=" stay; only the value is replaced.
        auto& line = lines[*index];
        std::size_t start = line.ValueStart;
        while (start < line.Text.size() && IsBlank(line.Text[start])) {
            ++start;
        }
        line.Text = line.Text.substr(0, start) + text;
    } else if (const auto header = m_impl->FindSection(section)) {
        // A new key goes after the section's last key, so that comments and blank lines that
        // lead into the next section stay in front of it.
        std::size_t at = *header + 1;
        for (std::size_t i = at; i < m_impl->SectionEnd(*header); ++i) {
            if (lines[i].Kind == TLineKind::Key) {
                at = i + 1;
            }
        }
        EndLine(lines[at - 1], lineEnd);
        lines.insert(lines.begin() + static_cast<std::ptrdiff_t>(at), makeLine(key + "=" + text));
    } else {
        if (!lines.empty()) {
            EndLine(lines.back(), lineEnd);
            if (!Trim(lines.back().Text).empty()) {
                lines.push_back(makeLine(""));
            }
        }
        lines.push_back(makeLine("[" + section + "]"));
        lines.push_back(makeLine(key + "=" + text));
    }
}

void TIniFile::WriteInteger(const std::string& section, const std::string& key, int value) {
    WriteString(section, key, std::to_string(value));
}

void TIniFile::WriteBool(const std::string& section, const std::string& key, bool value) {
    WriteString(section, key, value ? "1" : "0");
}

std::string TIniFile::Text() const {
    return m_impl->Serialize();
}

int TIniFile::LineNumber(const std::string& section, const std::string& key) const {
    const auto index = m_impl->FindKey(section, key);
    return index ? static_cast<int>(*index) + 1 : 0;
}

void TIniFile::Clear(TNewLineEnd lineEnd) {
    m_impl->NewLineEnd = lineEnd == TNewLineEnd::Lf ? "\n" : kNewFileLineEnd;
    m_impl->Lines.clear();
    m_impl->HasBom = false;
    // What could not be read is given up on purpose here, so it no longer guards the file.
    m_impl->Readable = true;
}

void TIniFile::UpdateFile() {
    m_impl->Save();
}
