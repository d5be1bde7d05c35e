// Settings files in INI format, read and written by the rules of the page framework.
#pragma once

#include <memory>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

// A settings file that could not be written; the message is "Unable to write to <file name>",
// for the log. The errno of the call that failed and the file are kept for the user's message.
class EIniFileError : public std::runtime_error {
  public:
    explicit EIniFileError(const std::string& message, int osError = 0, std::string fileName = {})
        : std::runtime_error(message), m_osError(osError), m_fileName(std::move(fileName)) {}

    int OsError() const { return m_osError; }
    const std::string& FileName() const { return m_fileName; }

  private:
    int m_osError;
    std::string m_fileName;
};

// The file is read once when the object is made and kept in memory byte for byte. Writes change
// that image only; UpdateFile commits all of them at once through a temporary file, fsync and a
// rename, so that one save operation is all or nothing and a failed save leaves the previous file
// whole. Section and key names match without regard to the letter case of ASCII letters; the
// first match wins.
// Removes the temporary files (".ini-<pid>-<n>") that a save killed before its rename left in
// folder, where the process that wrote them no longer runs; nothing else is touched.
void RemoveStaleTempFiles(const std::string& folder);

// The line ends of a file made anew: Windows', as the tool's files have always had, or the
// platform's own.
enum class TNewLineEnd { CrLf, Lf };

class TIniFile {
  public:
    explicit TIniFile(std::string fileName);
    // An image of text read elsewhere (standard input); a commit would go to fileName.
    TIniFile(std::string fileName, std::string_view contents);
    ~TIniFile();
    TIniFile(const TIniFile&) = delete;
    TIniFile& operator=(const TIniFile&) = delete;

    const std::string& FileName() const;
    // Later commits go to another file, starting from this image: how a settings file is made
    // from another one.
    void SetFileName(std::string fileName);

    // The value with blanks around it and one pair of enclosing quotes removed, at most 2047
    // characters; the default when the file, the section or the key is missing.
    std::string ReadString(const std::string& section, const std::string& key,
                           const std::string& defaultValue) const;
    // Decimal, or hexadecimal after "0x"/"0X"; text that is no valid integer gives the default.
    int ReadInteger(const std::string& section, const std::string& key, int defaultValue) const;
    // An integer read with the default as 1 or 0; any non-zero value is true.
    bool ReadBool(const std::string& section, const std::string& key, bool defaultValue) const;

    bool SectionExists(const std::string& section) const;
    bool ValueExists(const std::string& section, const std::string& key) const;
    // The section names, in file order, each once (the first spelling).
    std::vector<std::string> ReadSections() const;
    // The key names of a section, in file order.
    std::vector<std::string> ReadSection(const std::string& section) const;
    // The image as UpdateFile would write it.
    std::string Text() const;
    // The line of the file (from 1) that ReadString reads for the key; 0 when there is none.
    int LineNumber(const std::string& section, const std::string& key) const;

    // Updates an existing key in place, appends a new key to its section and a new section to the
    // end of the image; line breaks in the value become blanks. A section or key name that would
    // not read back as itself throws std::invalid_argument naming it, and changes nothing.
    void WriteString(const std::string& section, const std::string& key, const std::string& value);
    void WriteInteger(const std::string& section, const std::string& key, int value);
    void WriteBool(const std::string& section, const std::string& key, bool value);

    // Drops the whole image, so that the next UpdateFile replaces the file with only what is
    // written after this, with the given line ends.
    void Clear(TNewLineEnd lineEnd = TNewLineEnd::CrLf);

    // Writes the image to the file: to a temporary file in the same folder, fsync, rename over
    // the file, fsync of the folder. Throws EIniFileError ("Unable to write to <file name>") when
    // any step fails, when the existing file could not be read whole, or when the user may not
    // write it; the previous file then stays as it was, and the image keeps the writes.
    void UpdateFile();

  private:
    struct TImpl;
    std::unique_ptr<TImpl> m_impl;
};
