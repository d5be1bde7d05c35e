// Reading and writing rules of the settings-file service on small files made by each test.
#include <gtest/gtest.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>

#include <csignal>
#include <filesystem>
#include <fstream>
#include <random>

#include "Unprivileged.h"
#include "ini/IniFile.h"

namespace fs = std::filesystem;

namespace {

class IniFileTest : public ::testing::Test {
  protected:
    void SetUp() override {
        const auto* info = ::testing::UnitTest::GetInstance()->current_test_info();
        m_dir = fs::temp_directory_path() /
                ("tarnel-ini-" + std::to_string(::getpid()) + "-" + info->name());
        fs::remove_all(m_dir);
        fs::create_directories(m_dir);
    }
    void TearDown() override {
        std::error_code ec;
        fs::permissions(m_dir, fs::perms::owner_all, fs::perm_options::add, ec);
        fs::remove_all(m_dir, ec);
    }

    std::string PathOf(const std::string& name) const { return (m_dir / name).string(); }

    std::string Make(const std::string& content, const std::string& name = "s.ini") const {
        const auto path = PathOf(name);
        std::ofstream(path, std::ios::binary) << content;
        return path;
    }

    static std::string Contents(const std::string& path) {
        std::ifstream in(path, std::ios::binary);
        return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
    }

    std::vector<std::string> FolderEntries() const {
        std::vector<std::string> names;
        for (const auto& entry : fs::directory_iterator(m_dir)) {
            names.push_back(entry.path().filename().string());
        }
        std::sort(names.begin(), names.end());
        return names;
    }

    fs::path m_dir;
};

struct TReadCase {
    const char* Name;
    const char* Content;
    const char* Section;
    const char* Key;
    const char* Expected;
};

const TReadCase kReadCases[] = {
    {"section and key names ignore the letter case", "[formcommon]\nETO=05\n", "FormCommon", "etO",
     "05"},
    {"the first of two equal keys wins", "[S]\nk=1\nK=2\n", "S", "k", "1"},
    {"the first of two equal sections wins", "[S]\na=1\n[s]\na=2\nb=3\n", "S", "b", "default"},
    {"blanks around name and value are removed", "  [ S ]  \n\t k \t=  v w \t\n", "S", "k", "v w"},
    {"one pair of double quotes is removed", "[S]\nk= \"\"v\"\" \n", "S", "k", "\"v\""},
    {"one pair of single quotes is removed", "[S]\nk='v'\n", "S", "k", "v"},
    {"unmatched quotes stay", "[S]\nk=\"v'\n", "S", "k", "\"v'"},
    {"a lone quote stays", "[S]\nk=\"\n", "S", "k", "\""},
    {"the value runs to the end of the line", "[S]\nk=a=b;c\n", "S", "k", "a=b;c"},
    {"an empty value is not the default", "[S]\nk=\n", "S", "k", ""},
    {"a missing key gives the default", "[S]\nother=1\n", "S", "k", "default"},
    {"a missing section gives the default", "[T]\nk=1\n", "S", "k", "default"},
    {"keys of the next section are not the section's", "[S]\n[T]\nk=1\n", "S", "k", "default"},
    {"keys before the first section belong to none", "k=1\n[S]\n", "S", "k", "default"},
    {"a commented key is no key", "[S]\n;k=1\n  ; k=2\n", "S", "k", "default"},
    {"a line without = is skipped", "[S]\nk\nk=2\n", "S", "k", "2"},
    {"CRLF line ends are not part of the value", "[S]\r\nk=v\r\n", "S", "k", "v"},
    {"the last line may lack a line end", "[S]\r\nk=v", "S", "k", "v"},
    {"a byte-order mark is not part of the first line", "\xEF\xBB\xBF[S]\nk=v\n", "S", "k", "v"},
    {"Windows-1251 bytes pass unchanged", "[S]\nk=\xD0\xE5\xEB\xE5\n", "S", "k",
     "\xD0\xE5\xEB\xE5"},
    {"a section line without ] still opens the section", "[S\nk=v\n", "S", "k", "v"},
};

TEST_F(IniFileTest, ReadsValuesByTheRules) {
    for (const auto& c : kReadCases) {
        const TIniFile ini(Make(c.Content));
        EXPECT_EQ(ini.ReadString(c.Section, c.Key, "default"), c.Expected) << c.Name;
    }
}

TEST_F(IniFileTest, CutsValuesAt2047Characters) {
    const std::string longValue(5000, 'x');
    const TIniFile ini(
        Make("[S]\nk=" + longValue + "\nshort=\"" + std::string(2047, 'y') + "\"\n"));
    EXPECT_EQ(ini.ReadString("S", "k", ""), std::string(2047, 'x'));
    EXPECT_EQ(ini.ReadString("S", "short", ""), std::string(2047, 'y'));
}

struct TIntegerCase {
    const char* Value;
    int Expected;  // with the default -77
};

TEST_F(IniFileTest, ReadsIntegersDecimalOrHexadecimal) {
    const TIntegerCase cases[] = {
        {"12", 12},
        {"007", 7},
        {"-5", -5},
        {"+5", 5},
        {"0x1F", 31},
        {"0X1f", 31},
        {"0x01", 1},
        {"0x", -77},
        {"0x-5", -77},
        {"0xG", -77},
        {"12abc", -77},
        {"abc", -77},
        {"1 2", -77},
        {"", -77},
        {"-", -77},
        {"+-5", -77},
        {"\"42\"", 42},
        {"2147483647", 2147483647},
        {"2147483648", -77},
        {"-2147483648", -2147483647 - 1},
        {"0x7FFFFFFF", 2147483647},
        {"0x80000000", -77},
        {"99999999999999999999", -77},
        {"1.5", -77},
    };
    for (const auto& c : cases) {
        const TIniFile ini(Make(std::string("[S]\nk=") + c.Value + "\n"));
        EXPECT_EQ(ini.ReadInteger("S", "k", -77), c.Expected) << "value '" << c.Value << "'";
    }
    const TIniFile ini(Make("[S]\n"));
    EXPECT_EQ(ini.ReadInteger("S", "missing", -77), -77);
}

TEST_F(IniFileTest, ReadsBooleansThroughIntegers) {
    const TIniFile ini(Make("[S]\nzero=0\none=1\nfive=5\nneg=-1\nword=TRUE\nempty=\n"));
    EXPECT_FALSE(ini.ReadBool("S", "zero", true));
    EXPECT_TRUE(ini.ReadBool("S", "one", false));
    EXPECT_TRUE(ini.ReadBool("S", "five", false));
    EXPECT_TRUE(ini.ReadBool("S", "neg", false));
    EXPECT_FALSE(ini.ReadBool("S", "word", false));
    EXPECT_TRUE(ini.ReadBool("S", "word", true));
    EXPECT_TRUE(ini.ReadBool("S", "empty", true));
    EXPECT_FALSE(ini.ReadBool("S", "missing", false));
}

TEST_F(IniFileTest, ListsSectionsAndKeys) {
    const TIniFile ini(Make("[A]\nx=1\n;c=2\nnoequals\nY = 2\n[b]\nz=3\n[ a ]\nw=4\n"));
    EXPECT_EQ(ini.ReadSections(), (std::vector<std::string>{"A", "b"}));
    EXPECT_EQ(ini.ReadSection("a"), (std::vector<std::string>{"x", "Y"}));
    EXPECT_TRUE(ini.SectionExists("B"));
    EXPECT_FALSE(ini.SectionExists("C"));
    EXPECT_TRUE(ini.ValueExists("A", "y"));
    EXPECT_FALSE(ini.ValueExists("A", "z"));
    EXPECT_TRUE(ini.ReadSection("C").empty());
}

TEST_F(IniFileTest, MissingFileReadsEmptyAndIsCreatedWithWindowsLineEnds) {
    const auto path = PathOf("new.ini");
    TIniFile ini(path);
    EXPECT_FALSE(ini.SectionExists("FormCommon"));
    EXPECT_EQ(ini.ReadString("FormCommon", "etO", "d"), "d");
    EXPECT_FALSE(fs::exists(path));
    ini.WriteString("FormCommon", "etO", "01");
    ini.UpdateFile();
    EXPECT_EQ(Contents(path), "[FormCommon]\r\netO=01\r\n");
    ini.WriteInteger("FormRelay", "P11", 4);
    ini.WriteBool("FormRelay", "Flag", true);
    ini.UpdateFile();
    EXPECT_EQ(Contents(path), "[FormCommon]\r\netO=01\r\n\r\n[FormRelay]\r\nP11=4\r\nFlag=1\r\n");
    EXPECT_EQ(TIniFile(path).ReadInteger("formrelay", "p11", 0), 4);
}

// A file as the tool left it on its original system: Windows-1251 text, CRLF, comments.
const char* const kWindowsFile =
    "; \xCD\xE0\xF1\xF2\xF0\xEE\xE9\xEA\xE8\r\n"
    "[FORMCOMMON]\r\n"
    "ETO = 07 \r\n"
    "Note=\xD0\xE5\xEB\xE5 1\r\n"
    "\r\n"
    "; relays follow\r\n"
    "[FormRelay]\r\n"
    "etDuration=10\r\n"
    "[Other]\r\n"
    "keep=\"as is\"\r\n";

TEST_F(IniFileTest, UpdatesAWindowsFileKeepingEverythingElse) {
    const auto path = Make(kWindowsFile);
    TIniFile ini(path);
    ini.WriteString("FormCommon", "etO", "12");
    ini.WriteString("FormCommon", "NewKey", "x");
    ini.WriteInteger("formrelay", "P11", 3);
    ini.WriteString("FormConnect", "etObjN", "10");
    ini.UpdateFile();
    EXPECT_EQ(Contents(path),
              "; \xCD\xE0\xF1\xF2\xF0\xEE\xE9\xEA\xE8\r\n"
              "[FORMCOMMON]\r\n"
              "ETO = 12\r\n"
              "Note=\xD0\xE5\xEB\xE5 1\r\n"
              "NewKey=x\r\n"
              "\r\n"
              "; relays follow\r\n"
              "[FormRelay]\r\n"
              "etDuration=10\r\n"
              "P11=3\r\n"
              "[Other]\r\n"
              "keep=\"as is\"\r\n"
              "\r\n"
              "[FormConnect]\r\n"
              "etObjN=10\r\n");
}

TEST_F(IniFileTest, NewLinesFollowTheFilesOwnLineEnds) {
    const auto path = Make("[S]\na=1\n[T]\nb=2");
    TIniFile ini(path);
    ini.WriteString("S", "c", "3");
    ini.WriteString("T", "d", "4");
    ini.WriteString("U", "e", "5");
    ini.UpdateFile();
    EXPECT_EQ(Contents(path), "[S]\na=1\nc=3\n[T]\nb=2\nd=4\n\n[U]\ne=5\n");
}

TEST_F(IniFileTest, NewKeyOfAnEmptySectionFollowsItsHeader) {
    const auto path = Make("[S]\r\n; note\r\n[T]\r\n");
    TIniFile ini(path);
    ini.WriteString("S", "k", "v");
    ini.UpdateFile();
    EXPECT_EQ(Contents(path), "[S]\r\nk=v\r\n; note\r\n[T]\r\n");
}

TEST_F(IniFileTest, KeepsTheByteOrderMark) {
    const auto path = Make("\xEF\xBB\xBF[S]\r\nk=1\r\n");
    TIniFile ini(path);
    ini.WriteString("s", "K", "2");
    ini.UpdateFile();
    EXPECT_EQ(Contents(path), "\xEF\xBB\xBF[S]\r\nk=2\r\n");
}

TEST_F(IniFileTest, SavingTheSameValuesTwiceGivesTheSameBytes) {
    const auto path = Make(kWindowsFile);
    auto saveAll = [&] {
        TIniFile ini(path);
        ini.WriteString("FormCommon", "etO", "01");
        for (int n = 1; n <= 16; ++n) {
            ini.WriteInteger("FormRelay", "Z1" + std::to_string(n), n % 5);
        }
        ini.UpdateFile();
    };
    saveAll();
    const auto first = Contents(path);
    saveAll();
    EXPECT_EQ(Contents(path), first);
}

TEST_F(IniFileTest, AValueStaysOnOneLine) {
    const auto path = Make("[S]\nk=1\n");
    TIniFile ini(path);
    ini.WriteString("S", "k", "a\r\n[Evil]\nx=1");
    ini.UpdateFile();
    EXPECT_EQ(Contents(path), "[S]\nk=a  [Evil] x=1\n");
    EXPECT_FALSE(TIniFile(path).SectionExists("Evil"));
}

TEST_F(IniFileTest, KeepsTheFileMode) {
    const auto path = Make("[S]\nk=1\n");
    ::chmod(path.c_str(), 0640);
    TIniFile ini(path);
    ini.WriteString("S", "k", "2");
    ini.UpdateFile();
    struct stat info {};
    ASSERT_EQ(::stat(path.c_str(), &info), 0);
    EXPECT_EQ(info.st_mode & 07777, 0640u);
}

TEST_F(IniFileTest, BinaryContentNeverCrashesAndSurvivesAWrite) {
    std::string junk;
    std::mt19937 random(1234);
    for (int i = 0; i < 200000; ++i) {
        junk += static_cast<char>(random() & 0xFF);
    }
    junk += std::string("\0[S]\0\nk\0=\0v\n", 13);
    const auto path = Make(junk);
    TIniFile ini(path);
    EXPECT_EQ(ini.ReadInteger("S", "k", 5), 5);
    EXPECT_EQ(ini.ReadString("nothing", "k", "d"), "d");
    (void)ini.ReadSection("S");
    ini.WriteString("Tarnel", "k", "v");
    ini.UpdateFile();
    const auto after = Contents(path);
    ASSERT_GE(after.size(), junk.size());
    EXPECT_EQ(after.substr(0, junk.size() + 1), junk + "\n");
    EXPECT_EQ(TIniFile(path).ReadString("Tarnel", "k", ""), "v");
}

TEST_F(IniFileTest, HugeFileWithLongLinesIsReadAndKept) {
    std::string content = "[Big]\r\n";
    for (int i = 0; i < 200; ++i) {
        content += "k" + std::to_string(i) + "=" + std::string(20000, 'a' + i % 26) + "\r\n";
    }
    content += "[S]\r\nk=1\r\n";
    const auto path = Make(content);
    TIniFile ini(path);
    EXPECT_EQ(ini.ReadString("Big", "k3", "").size(), 2047u);
    ini.WriteString("S", "k", "2");
    ini.UpdateFile();
    content.replace(content.size() - 3, 1, "2");
    EXPECT_EQ(Contents(path), content);
}

TEST_F(IniFileTest, FileTooLargeToReadIsNeverOverwritten) {
    const auto path = Make("[S]\nk=1\n");
    fs::resize_file(path, 65ull * 1024 * 1024);
    TIniFile ini(path);
    EXPECT_EQ(ini.ReadString("S", "k", "d"), "d");
    ini.WriteString("S", "k", "2");
    EXPECT_THROW(ini.UpdateFile(), EIniFileError);
    EXPECT_EQ(fs::file_size(path), 65ull * 1024 * 1024);
}

// Makes writes of more than a few bytes fail, even for root, while the object lives.
class TFileSizeLimit {
  public:
    explicit TFileSizeLimit(rlim_t bytes) {
        ::getrlimit(RLIMIT_FSIZE, &m_old);
        m_oldHandler = std::signal(SIGXFSZ, SIG_IGN);
        rlimit limit = m_old;
        limit.rlim_cur = bytes;
        ::setrlimit(RLIMIT_FSIZE, &limit);
    }
    ~TFileSizeLimit() {
        ::setrlimit(RLIMIT_FSIZE, &m_old);
        std::signal(SIGXFSZ, m_oldHandler);
    }

  private:
    rlimit m_old{};
    void (*m_oldHandler)(int) = nullptr;
};

TEST_F(IniFileTest, FailedSaveInAFolderThatDoesNotExist) {
    const auto path = PathOf("no-such-folder/current.ini");
    TIniFile ini(path);
    try {
        ini.WriteString("S", "k", "v");
        ini.UpdateFile();
        FAIL() << "the write succeeded";
    } catch (const EIniFileError& e) {
        EXPECT_EQ(std::string(e.what()), "Unable to write to " + path);
    }
    EXPECT_FALSE(fs::exists(PathOf("no-such-folder")));
}

TEST_F(IniFileTest, FailedSaveWhenTheNameIsAFolder) {
    const auto path = PathOf("folder.ini");
    fs::create_directory(path);
    TIniFile ini(path);
    ini.WriteString("S", "k", "v");
    EXPECT_THROW(ini.UpdateFile(), EIniFileError);
    EXPECT_TRUE(fs::is_directory(path));
    EXPECT_EQ(FolderEntries(), std::vector<std::string>{"folder.ini"});
}

TEST_F(IniFileTest, FailedWriteLeavesThePreviousFileWhole) {
    const auto path = Make(kWindowsFile);
    TIniFile ini(path);
    ini.WriteString("FormCommon", "etO", "99");
    ini.WriteString("FormRelay", "P11", "1");
    {
        const TFileSizeLimit limit(16);
        try {
            ini.UpdateFile();
            FAIL() << "the write succeeded";
        } catch (const EIniFileError& e) {
            EXPECT_EQ(std::string(e.what()), "Unable to write to " + path);
        }
    }
    EXPECT_EQ(Contents(path), kWindowsFile);
    EXPECT_EQ(FolderEntries(), std::vector<std::string>{"s.ini"});
    // The object keeps the writes, so a second try saves all of them.
    ini.UpdateFile();
    const TIniFile saved(path);
    EXPECT_EQ(saved.ReadString("FormCommon", "etO", ""), "99");
    EXPECT_EQ(saved.ReadString("FormRelay", "P11", ""), "1");
}

// A save of many keys reaches the file once, as a whole: until the commit the file is as it was,
// so a failure part-way can never leave a mix of old and new values.
TEST_F(IniFileTest, WritesReachTheFileOnlyWhenCommitted) {
    const auto path = Make(kWindowsFile);
    TIniFile ini(path);
    for (int n = 1; n <= 16; ++n) {
        ini.WriteInteger("FormRelay", "Z1" + std::to_string(n), n % 5);
    }
    ini.WriteString("FormCommon", "etO", "42");
    EXPECT_EQ(Contents(path), kWindowsFile);
    EXPECT_EQ(ini.ReadString("FormCommon", "etO", ""), "42");
    ini.UpdateFile();
    const TIniFile saved(path);
    EXPECT_EQ(saved.ReadString("FormCommon", "etO", ""), "42");
    EXPECT_EQ(saved.ReadInteger("FormRelay", "Z116", -1), 1);
    EXPECT_EQ(FolderEntries(), std::vector<std::string>{"s.ini"});
}

TEST_F(IniFileTest, ClearReplacesTheWholeFile) {
    const char content[] = "\xEF\xBB\xBFnot\0an ini\r\n[Other]\r\nk=1\r\n";
    const auto path = Make(std::string(content, sizeof content - 1));
    TIniFile ini(path);
    ini.Clear();
    EXPECT_FALSE(ini.SectionExists("Other"));
    ini.WriteString("FormCommon", "etO", "01");
    ini.UpdateFile();
    EXPECT_EQ(Contents(path), "[FormCommon]\r\netO=01\r\n");
}

TEST_F(IniFileTest, ClearWithThePlatformsLineEndsReplacesCrLfByLf) {
    const auto path = Make("[FormCommon]\r\netO=01\r\n[Old]\r\nk=1\r\n");
    TIniFile ini(path);
    ini.Clear(TNewLineEnd::Lf);
    ini.WriteString("FormCommon", "etO", "02");
    ini.WriteString("FormRelay", "P11", "4");
    EXPECT_EQ(ini.Text(), "[FormCommon]\netO=02\n\n[FormRelay]\nP11=4\n");
    ini.UpdateFile();
    EXPECT_EQ(Contents(path), ini.Text());
}

// The line a value is read from, as a user finds it in an editor: from 1, blank lines and
// comments counted, the first of two sections of one name, either line end.
TEST_F(IniFileTest, LineNumbersOfKeys) {
    const std::string text = "; comment\r\n\n[FormRelay]\r\nZ11=1\nz12 = 2\n[FormRelay]\nZ13=3\n";
    const TIniFile fromFile(Make(text));
    const TIniFile fromText("standard input", text);
    for (const TIniFile* ini : {&fromFile, &fromText}) {
        EXPECT_EQ(ini->LineNumber("FormRelay", "Z11"), 4);
        EXPECT_EQ(ini->LineNumber("formrelay", "Z12"), 5);
        EXPECT_EQ(ini->LineNumber("FormRelay", "Z13"), 0);
        EXPECT_EQ(ini->LineNumber("Missing", "Z11"), 0);
        EXPECT_EQ(ini->ReadString("FormRelay", "Z12", ""), "2");
    }
    EXPECT_EQ(fromText.FileName(), "standard input");
}

struct TNameCase {
    const char* Name;
    const char* Section;
    const char* Key;
};

// Each of these would be read back as another key or section, or never found again.
const TNameCase kRefusedNames[] = {
    {"an equals sign in a key", "S", "a=b"},
    {"a line feed in a key", "S", "a\nb"},
    {"a carriage return in a key", "S", "a\rb"},
    {"an opening bracket in a key", "S", "[T]"},
    {"a closing bracket in a key", "S", "a]"},
    {"a key that begins like a comment", "S", ";k"},
    {"a key with a leading blank", "S", " k"},
    {"a key with a trailing tab", "S", "k\t"},
    {"an empty key", "S", ""},
    {"a line feed in a section", "S\n[T]", "k"},
    {"a closing bracket in a section", "S]x", "k"},
    {"an opening bracket in a section", "[S", "k"},
    {"a section with a leading blank", " S", "k"},
    {"a section with a trailing blank", "S ", "k"},
    {"an empty section", "", "k"},
};

TEST_F(IniFileTest, RefusesNamesThatCannotBeReadBack) {
    const std::string content = "[S]\r\nk=1\r\n";
    const auto path = Make(content);
    for (const auto& c : kRefusedNames) {
        SCOPED_TRACE(c.Name);
        TIniFile ini(path);
        try {
            ini.WriteString(c.Section, c.Key, "v");
            ADD_FAILURE() << "the name was taken";
        } catch (const std::invalid_argument& e) {
            const std::string message = e.what();
            const std::string named = std::string(c.Section) == "S" ? c.Key : c.Section;
            EXPECT_NE(message.find("\"" + named + "\""), std::string::npos) << message;
        }
        ini.UpdateFile();
        EXPECT_EQ(Contents(path), content);
    }
}

TEST_F(IniFileTest, OddButHarmlessNamesRoundTrip) {
    const std::pair<std::string, std::string> names[] = {
        {"S", "a;b"}, {"S", "two words"}, {"S", "\xCA\xEB\xFE\xF7"},
        {";S", "k"},  {"S=T", "k"},       {"\xD0\xE5\xEB\xE5 1", "etDuration"},
    };
    const auto path = PathOf("odd.ini");
    {
        TIniFile ini(path);
        for (const auto& [section, key] : names) {
            ini.WriteString(section, key, section + "/" + key);
        }
        ini.UpdateFile();
    }
    const TIniFile saved(path);
    for (const auto& [section, key] : names) {
        EXPECT_EQ(saved.ReadString(section, key, "missing"), section + "/" + key);
        EXPECT_EQ(saved.ReadSection(section).size(), section == "S" ? 3u : 1u);
    }
}

// The last line of a file may end in a bare carriage return; a key appended after it must not
// turn that into a line end and change the line's value.
TEST_F(IniFileTest, ALineThatIsNotWrittenKeepsItsBytesWhateverItsLineEnd) {
    struct TCase {
        const char* Name;
        const char* Content;
        const char* Section;
        const char* Expected;
    };
    const TCase cases[] = {
        {"a key after a bare carriage return", "[S]\nx=0\na=1\r", "S", "[S]\nx=0\na=1\r\r\nk=v\n"},
        {"a section after a bare carriage return", "[S]\nx=0\na=1\r", "T",
         "[S]\nx=0\na=1\r\r\n\n[T]\nk=v\n"},
        {"a key after a line without an end", "[S]\r\na=1", "S", "[S]\r\na=1\r\nk=v\r\n"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.Name);
        const auto path = Make(c.Content);
        const std::string before = TIniFile(path).ReadString("S", "a", "missing");
        TIniFile ini(path);
        ini.WriteString(c.Section, "k", "v");
        ini.UpdateFile();
        EXPECT_EQ(Contents(path), c.Expected);
        EXPECT_EQ(TIniFile(path).ReadString("S", "a", "missing"), before);
    }
}

TEST_F(IniFileTest, AFileTheUserMayNotWriteIsNeverReplaced) {
    const std::string failure = AsUnprivilegedUser(m_dir, [this]() -> std::string {
        const auto path = Make(kWindowsFile);
        ::chmod(path.c_str(), 0444);
        TIniFile ini(path);
        ini.WriteString("FormCommon", "etO", "99");
        try {
            ini.UpdateFile();
            return "the save succeeded";
        } catch (const EIniFileError& e) {
            if (std::string(e.what()) != "Unable to write to " + path) {
                return std::string("wrong message: ") + e.what();
            }
        }
        if (Contents(path) != kWindowsFile) {
            return "the file was changed";
        }
        struct stat info {};
        ::stat(path.c_str(), &info);
        return (info.st_mode & 07777) == 0444 ? "" : "the file's mode was changed";
    });
    EXPECT_EQ(failure, "");
    EXPECT_EQ(FolderEntries(), std::vector<std::string>{"s.ini"});
}

TEST_F(IniFileTest, FailedSaveInAReadOnlyFolder) {
    const std::string failure = AsUnprivilegedUser(m_dir, [this]() -> std::string {
        const auto path = Make(kWindowsFile);
        ::chmod(m_dir.c_str(), 0555);
        TIniFile ini(path);
        ini.WriteString("FormCommon", "etO", "99");
        try {
            ini.UpdateFile();
            return "the save succeeded";
        } catch (const EIniFileError&) {
        }
        return Contents(path) == kWindowsFile ? "" : "the file was changed";
    });
    EXPECT_EQ(failure, "");
    EXPECT_EQ(FolderEntries(), std::vector<std::string>{"s.ini"});
}

}  // namespace
