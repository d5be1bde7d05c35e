// What a window says of a settings file that could not be read or written, for the usual errors.
#include <gtest/gtest.h>

#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "Unprivileged.h"
#include "ini/FileErrorMessage.h"
#include "ini/IniFile.h"

namespace {

TEST(FileErrorMessageTest, NamesTheFileTheReasonAndTheFix) {
    struct TCase {
        int Error;
        bool Writing;
        const char* Says;
    };
    const TCase cases[] = {
        {EACCES, true, "нет прав на запись в папку /data/site"},
        {EPERM, true, "нет прав на запись"},
        {EACCES, false, "нет прав на чтение файла"},
        {ENOSPC, true, "на диске нет места. Освободите место"},
        {EDQUOT, true, "квота"},
        {EROFS, true, "только для чтения. Сохраните на другой диск"},
        {ENOENT, true, "папки /data/site нет"},
        {ENOENT, false, "файла нет"},
        {EISDIR, false, "это папка, а не файл"},
        {EIO, true, "отключён или неисправен"},
        {ENAMETOOLONG, true, "слишком длинное имя"},
    };
    for (const TCase& c : cases) {
        SCOPED_TRACE(c.Says);
        const std::string text = FileErrorMessage("/data/site/obj10.txt", c.Error, c.Writing);
        const std::string start = c.Writing ? "Не удалось записать файл /data/site/obj10.txt: "
                                            : "Не удалось прочитать файл /data/site/obj10.txt: ";
        EXPECT_EQ(text.rfind(start, 0), 0u) << text;
        EXPECT_NE(text.find(c.Says), std::string::npos) << text;
    }
    // An error without a known errno still names the file, and an unusual one its number.
    EXPECT_EQ(FileErrorMessage("/x.txt", 0, true), "Не удалось записать файл /x.txt.");
    EXPECT_NE(FileErrorMessage("/x.txt", EXDEV, true).find("системная ошибка"), std::string::npos);
}

// The failed save keeps the errno that a window needs to say why.
TEST(FileErrorMessageTest, AFailedSaveKeepsTheReason) {
    char pattern[] = "/tmp/tarnel-fileerror-XXXXXX";
    ASSERT_NE(::mkdtemp(pattern), nullptr);
    const std::filesystem::path dir = pattern;
    const std::string folderInPlace = (dir / "current.ini").string();
    std::filesystem::create_directory(folderInPlace);
    try {
        TIniFile ini(folderInPlace);
        ini.WriteString("FormCommon", "etO", "1");
        ini.UpdateFile();
        ADD_FAILURE() << "a folder was written as a file";
    } catch (const EIniFileError& error) {
        EXPECT_EQ(error.OsError(), EISDIR);
        EXPECT_EQ(error.FileName(), folderInPlace);
        EXPECT_EQ(std::string(error.what()), "Unable to write to " + folderInPlace);
    }

    const std::string failure = AsUnprivilegedUser(dir, [&]() -> std::string {
        ::chmod(dir.c_str(), 0555);
        TIniFile ini((dir / "new.ini").string());
        ini.WriteString("FormCommon", "etO", "1");
        try {
            ini.UpdateFile();
        } catch (const EIniFileError& error) {
            return error.OsError() == EACCES ? "" : "errno " + std::to_string(error.OsError());
        }
        return "a read-only folder took the file";
    });
    EXPECT_EQ(failure, "");
    std::filesystem::permissions(dir, std::filesystem::perms::owner_all,
                                 std::filesystem::perm_options::add);
    std::filesystem::remove_all(dir);
}

}  // namespace

namespace {

// The id of a process that has ended: a child that exits at once.
pid_t EndedProcessId() {
    const pid_t child = ::fork();
    if (child == 0) {
        ::_exit(0);
    }
    int status = 0;
    ::waitpid(child, &status, 0);
    return child;
}

// A save killed between its temporary file and the rename leaves ".ini-<pid>-<n>"; the next start
// removes those of ended processes and nothing else.
TEST(StaleTempFilesTest, OnlyTheTemporaryFilesOfEndedProcessesGo) {
    char pattern[] = "/tmp/tarnel-leftovers-XXXXXX";
    ASSERT_NE(::mkdtemp(pattern), nullptr);
    const std::filesystem::path dir = pattern;
    const std::string ended = std::to_string(EndedProcessId());
    const std::string alive = std::to_string(::getpid());
    const std::vector<std::string> gone{".ini-" + ended + "-123456", ".ini-" + ended + "-1"};
    const std::vector<std::string> kept{
        ".ini-" + alive + "-123456",  // a save that is still running
        "current.ini",
        ".ini-" + ended,  // not the whole form
        ".ini-" + ended + "-12a",
        "x.ini-" + ended + "-1",
        ".ini-" + ended + "-1.bak",
        ".ini--1",
    };
    for (const auto& names : {gone, kept}) {
        for (const std::string& name : names) {
            std::ofstream(dir / name) << "[FormCommon]\n";
        }
    }
    RemoveStaleTempFiles(dir.string());
    for (const std::string& name : gone) {
        EXPECT_FALSE(std::filesystem::exists(dir / name)) << name;
    }
    for (const std::string& name : kept) {
        EXPECT_TRUE(std::filesystem::exists(dir / name)) << name;
    }
    RemoveStaleTempFiles((dir / "no-such-folder").string());
    std::filesystem::remove_all(dir);
}

}  // namespace
