// The settings kept between runs: saved when the window is asked to close, never lost to a failed
// save, a broken file or a second copy, and found for a read-only install.
#include <gtest/gtest.h>

#include <QApplication>
#include <QMessageBox>
#include <QTest>
#include <QTimer>
#include <csignal>
#include <filesystem>
#include <fstream>

#include "FileContents.h"
#include "Unprivileged.h"
#include "ini/IniFile.h"
#include "ini/SettingsLock.h"
#include "pages/CommonPage.h"
#include "pages/PageBase.h"
#include "pages/RelayPage.h"
#include "shell/FormsController.h"
#include "shell/MainWindow.h"
#include "shell/ProgressWindow.h"
#include "shell/SettingsLocation.h"
#include "shell/TerminationSignals.h"
#include "widgets/StoredControls.h"

namespace fs = std::filesystem;

namespace {

// A literal with the NUL bytes inside it, without the one at its end.
template <std::size_t N>
std::string Bytes(const char (&literal)[N]) {
    return std::string(literal, N - 1);
}

void Write(const fs::path& path, const std::string& content) {
    std::ofstream(path, std::ios::binary | std::ios::trunc) << content;
}

class SettingsFileTest : public ::testing::Test {
  protected:
    void SetUp() override {
        char pattern[] = "/tmp/tarnel-settings-XXXXXX";
        ASSERT_NE(mkdtemp(pattern), nullptr);
        m_dir = pattern;
    }
    void TearDown() override {
        Stop();
        std::error_code ec;
        fs::remove_all(m_dir, ec);
    }
    void Start(const std::string& startFile = {}) {
        m_main = std::make_unique<TMainWindow>();
        m_progress = std::make_unique<TProgressWindow>(m_main.get());
        m_controller = std::make_unique<TFormsController>(*m_main, *m_progress, Settings().string(),
                                                          startFile);
        m_main->Controller = m_controller.get();
        m_main->AskCloseWithoutSaving = [this](const QString& error) {
            m_questions.push_back(error);
            return m_closeWithoutSaving;
        };
        m_main->show();
    }
    void Stop() {
        if (m_main) {
            m_main->Controller = nullptr;
        }
        m_controller.reset();
        m_progress.reset();
        m_main.reset();
    }
    fs::path Settings() const { return m_dir / "current.ini"; }
    QStringList LogLines() const {
        QStringList lines;
        const QAbstractItemModel* model = m_main->ExchangeLog->model();
        for (int row = 0; row < model->rowCount(); ++row) {
            lines << model->index(row, 0).data().toString();
        }
        return lines;
    }
    void SetObjectNumber(const char* text) {
        m_controller->CommonPage()->etO->setText(QString::fromUtf8(text));
    }

    fs::path m_dir;
    std::unique_ptr<TMainWindow> m_main;
    std::unique_ptr<TProgressWindow> m_progress;
    std::unique_ptr<TFormsController> m_controller;
    std::vector<QString> m_questions;
    bool m_closeWithoutSaving = false;
};

TEST_F(SettingsFileTest, TheSettingsAreSavedWhenTheWindowIsAskedToClose) {
    Start();
    SetObjectNumber("42");
    ASSERT_TRUE(m_main->close());
    // Saved while the window and the pages still exist, before the controller ends.
    EXPECT_EQ(TIniFile(Settings().string()).ReadString("FormCommon", "etO", ""), "42");
    const std::string saved = FileContents(Settings());
    m_controller->Shutdown();
    EXPECT_EQ(FileContents(Settings()), saved);
    EXPECT_TRUE(m_questions.empty());
}

TEST_F(SettingsFileTest, AFailedSaveAtCloseKeepsTheWindowOpenUntilTheUserLetsGo) {
    // A folder in the place of the file: no save can replace it, not even root's.
    fs::create_directory(Settings());
    Start();
    SetObjectNumber("42");
    EXPECT_FALSE(m_main->close());
    EXPECT_TRUE(m_main->isVisible());
    ASSERT_EQ(m_questions.size(), 1u);
    // In Russian, naming the file and why it cannot be written.
    EXPECT_TRUE(m_questions[0].startsWith(QString::fromUtf8("Не удалось записать файл ") +
                                          QString::fromStdString(Settings()) +
                                          QString::fromUtf8(": это папка")))
        << m_questions[0].toStdString();
    // The pages are still there to be saved elsewhere.
    const fs::path elsewhere = m_dir / "elsewhere.txt";
    m_controller->SaveToFile(elsewhere.string());
    EXPECT_EQ(TIniFile(elsewhere.string()).ReadString("FormCommon", "etO", ""), "42");

    m_closeWithoutSaving = true;
    EXPECT_TRUE(m_main->close());
    EXPECT_EQ(m_questions.size(), 2u);
    EXPECT_FALSE(m_main->SettingsLost());
    // The user chose to go without saving: the end of the controller does not try again.
    EXPECT_NO_THROW(m_controller->Shutdown());
    EXPECT_TRUE(fs::is_directory(Settings()));
}

TEST_F(SettingsFileTest, AnUnattendedCloseReportsAFailedSaveWithoutAsking) {
    fs::create_directory(Settings());
    Start();
    testing::internal::CaptureStderr();
    m_main->CloseUnattended();
    const std::string stderrText = testing::internal::GetCapturedStderr();
    EXPECT_FALSE(m_main->isVisible());
    EXPECT_TRUE(m_questions.empty());
    EXPECT_TRUE(m_main->SettingsLost());
    EXPECT_NE(stderrText.find("Unable to write to " + Settings().string()), std::string::npos)
        << stderrText;
    EXPECT_NO_THROW(m_controller->Shutdown());
}

TEST_F(SettingsFileTest, AnUnattendedCloseCancelsAnOpenDialogFirst) {
    Start();
    SetObjectNumber("42");
    bool dialogEnded = false;
    QTimer::singleShot(0, [&] {
        QMessageBox box(QMessageBox::Information, "", "open", QMessageBox::Ok, m_main.get());
        QTimer::singleShot(0, [this] { m_main->CloseUnattended(); });
        box.exec();
        dialogEnded = true;
    });
    EXPECT_TRUE(QTest::qWaitFor([this] { return !m_main->isVisible(); }, 5000));
    EXPECT_TRUE(dialogEnded);
    EXPECT_EQ(TIniFile(Settings().string()).ReadString("FormCommon", "etO", ""), "42");
}

TEST_F(SettingsFileTest, ATerminationSignalClosesTheWindowTheOrderlyWay) {
    for (int signalNumber : {SIGTERM, SIGHUP, SIGINT}) {
        SCOPED_TRACE(signalNumber);
        Start();
        SetObjectNumber("42");
        TTerminationSignals termination;
        QObject::connect(&termination, &TTerminationSignals::Received, m_main.get(),
                         &TMainWindow::CloseUnattended);
        ::raise(signalNumber);
        EXPECT_TRUE(QTest::qWaitFor([this] { return !m_main->isVisible(); }, 5000));
        EXPECT_EQ(TIniFile(Settings().string()).ReadString("FormCommon", "etO", ""), "42");
        Stop();
        fs::remove(Settings());
    }
}

// Contents that hold no settings of the tool: the tool starts on defaults, says so once, and
// replaces the file whole instead of adding its sections to it.
TEST_F(SettingsFileTest, AFileWithoutSettingsIsReplacedWhole) {
    struct TCase {
        const char* Name;
        std::string Content;
    };
    const TCase cases[] = {
        {"binary bytes", Bytes("\x7f"
                               "ELF\x02\x01\x01\0\0\0[x\x01\n\xff\xfe=\x80")},
        {"an empty file", ""},
        {"another program's file", "[General]\nGeometry=@ByteArray(1)\n[Recent]\nfile0=/tmp/a\n"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.Name);
        Write(Settings(), c.Content);
        Start();
        EXPECT_EQ(m_controller->CommonPage()->etO->text(), QStringLiteral("01"));
        const QStringList lines = LogLines();
        EXPECT_EQ(lines.filter(QString::fromUtf8("не содержит настроек")).size(), 1)
            << lines.join('\n').toStdString();
        m_main->close();
        const std::string saved = FileContents(Settings());
        EXPECT_TRUE(saved.starts_with("[FormCommon]\r\netO=01\r\n")) << saved.substr(0, 40);
        EXPECT_EQ(saved.find("General"), std::string::npos);
        EXPECT_EQ(saved.find("ELF"), std::string::npos);
        Stop();
    }
}

TEST_F(SettingsFileTest, AFileWithSettingsIsUpdatedInPlaceWithoutAWord) {
    Write(Settings(), "; kept\r\n[FormConnect]\r\netObjN=12\r\n");
    Start();
    EXPECT_TRUE(LogLines().filter(QString::fromUtf8("не содержит настроек")).isEmpty());
    m_main->close();
    const std::string saved = FileContents(Settings());
    EXPECT_TRUE(saved.starts_with("; kept\r\n[FormConnect]\r\netObjN=12\r\n")) << saved;
}

TEST_F(SettingsFileTest, ReadOnlySettingsAreNeverWritten) {
    Write(Settings(), "[FormCommon]\r\netO=07\r\n");
    const std::string before = FileContents(Settings());
    Start();
    m_controller->SetSettingsReadOnly(true);
    EXPECT_EQ(m_controller->CommonPage()->etO->text(), QStringLiteral("07"));
    SetObjectNumber("42");
    // The connect dialog stores its values in the same file; a cancelled dialog still saves.
    m_controller->RunConnectDialog = [](TConnectDialog&) { return false; };
    m_controller->ListPorts = [] {
        std::vector<TSerialPortInfo> ports(1);
        ports[0].Name = "ttyS0";
        return ports;
    };
    m_controller->Connect();
    EXPECT_TRUE(m_main->close());
    m_controller->Shutdown();
    EXPECT_EQ(FileContents(Settings()), before);
}

TEST_F(SettingsFileTest, AReadOnlyInstallsFileIsTheStartOfTheUsersOwn) {
    const fs::path appDir = m_dir / "install";
    const fs::path userDir = m_dir / "user";
    fs::create_directories(appDir);
    fs::create_directories(userDir);
    const std::string app = appDir.string() + "/";
    const std::string user = userDir.string() + "/";
    // Without a file of the install, or once the user has one, the user's file is the start.
    EXPECT_EQ(SettingsStartFile(app, user), user + "current.ini");
    Write(appDir / "current.ini", "[FormCommon]\r\netO=33\r\n[FormConnect]\r\netObjN=77\r\n");
    EXPECT_EQ(SettingsStartFile(app, user), app + "current.ini");
    EXPECT_EQ(SettingsStartFile(app, app), app + "current.ini");

    m_dir = userDir;
    Start(SettingsStartFile(app, user));
    EXPECT_EQ(m_controller->CommonPage()->etO->text(), QStringLiteral("33"));
    SetObjectNumber("34");
    EXPECT_TRUE(m_main->close());
    const TIniFile saved(Settings().string());
    EXPECT_EQ(saved.ReadString("FormCommon", "etO", ""), "34");
    // What only the install's file held comes along.
    EXPECT_EQ(saved.ReadString("FormConnect", "etObjN", ""), "77");
    EXPECT_EQ(SettingsStartFile(app, user), user + "current.ini");
    EXPECT_EQ(TIniFile(app + "current.ini").ReadString("FormCommon", "etO", ""), "33");
    m_dir = appDir.parent_path();
}

TEST(SettingsLockTest, OneCopyHoldsTheSettingsAtATime) {
    char pattern[] = "/tmp/tarnel-lock-XXXXXX";
    ASSERT_NE(mkdtemp(pattern), nullptr);
    const fs::path dir = pattern;
    const std::string lockFile = (dir / "current.ini.lock").string();
    {
        const TSettingsLock first(lockFile);
        EXPECT_TRUE(first.IsHeld());
        EXPECT_FALSE(first.IsHeldElsewhere());
        const TSettingsLock second(lockFile);
        EXPECT_FALSE(second.IsHeld());
        EXPECT_TRUE(second.IsHeldElsewhere());
    }
    const TSettingsLock afterwards(lockFile);
    EXPECT_TRUE(afterwards.IsHeld());

    // A folder the user may not write gives no lock, but it is not another copy's either.
    fs::remove(lockFile);
    const std::string failure = AsUnprivilegedUser(dir, [&]() -> std::string {
        ::chmod(dir.c_str(), 0555);
        const TSettingsLock lock(lockFile);
        return !lock.IsHeld() && !lock.IsHeldElsewhere() ? "" : "a lock in a read-only folder";
    });
    EXPECT_EQ(failure, "");
    std::error_code ec;
    fs::permissions(dir, fs::perms::owner_all, fs::perm_options::add, ec);
    fs::remove_all(dir, ec);
}

}  // namespace
