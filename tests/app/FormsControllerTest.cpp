// The forms controller without a module: pages, tree, page switching, defaults and the settings
// file kept between runs.
#include <gtest/gtest.h>

#include <sys/stat.h>
#include <QApplication>
#include <QScrollArea>
#include <QTest>
#include <QTreeWidget>
#include <filesystem>
#include <fstream>

#include "ToolWindowFixture.h"
#include "Unprivileged.h"
#include "ini/IniFile.h"
#include "pages/CommonPage.h"
#include "pages/PageBase.h"
#include "pages/RelayPage.h"
#include "shell/FormsController.h"
#include "shell/MainWindow.h"
#include "shell/ProgressWindow.h"
#include "shell/SettingsLocation.h"
#include "widgets/StoredControls.h"

namespace {

using FormsControllerTest = ToolWindowTest;

}  // namespace

TEST_F(FormsControllerTest, TheTreeListsTheCommonPageAndTheRelaysUnderOneGroup) {
    Start();
    QTreeWidget& tree = *m_main->PageTree;
    ASSERT_EQ(tree.topLevelItemCount(), 2);
    EXPECT_EQ(tree.topLevelItem(0)->text(0), QString::fromUtf8("Общие"));
    EXPECT_EQ(StateIndexOf(tree.topLevelItem(0)), 0);
    QTreeWidgetItem* group = tree.topLevelItem(1);
    EXPECT_EQ(group->text(0), QString::fromUtf8("Реле"));
    EXPECT_EQ(StateIndexOf(group), -1);
    EXPECT_TRUE(group->isExpanded());
    ASSERT_EQ(group->childCount(), 5);
    for (int n = 1; n <= 5; ++n) {
        EXPECT_EQ(group->child(n - 1)->text(0), QString::fromUtf8("Реле ") + QString::number(n));
        EXPECT_EQ(StateIndexOf(group->child(n - 1)), n);
    }
    // The tree names the page on screen from the start.
    EXPECT_EQ(tree.currentItem(), tree.topLevelItem(0));
    EXPECT_EQ(m_controller->CurrentPage(), m_controller->CommonPage());
    EXPECT_TRUE(m_controller->CommonPage()->isVisible());
}

TEST_F(FormsControllerTest, PagesCarryTheirSectionNames) {
    Start();
    const std::vector<TPageBase*>& pages = m_controller->Pages();
    ASSERT_EQ(pages.size(), 6u);
    const char* names[] = {"FormCommon",  "FormRelay",   "FormRelay_1",
                           "FormRelay_2", "FormRelay_3", "FormRelay_4"};
    for (std::size_t i = 0; i < pages.size(); ++i) {
        EXPECT_EQ(pages[i]->Name().toStdString(), names[i]);
    }
}

TEST_F(FormsControllerTest, SelectingANodeShowsItsPageAndTheGroupNodeKeepsThePage) {
    Start();
    QTreeWidget& tree = *m_main->PageTree;
    tree.setCurrentItem(tree.topLevelItem(1)->child(2));
    EXPECT_EQ(m_controller->CurrentPage(), m_controller->RelayPage(3));
    EXPECT_TRUE(m_controller->RelayPage(3)->isVisible());
    EXPECT_FALSE(m_controller->CommonPage()->isVisible());

    tree.setCurrentItem(tree.topLevelItem(1));
    EXPECT_EQ(m_controller->CurrentPage(), m_controller->RelayPage(3));
    EXPECT_TRUE(m_controller->RelayPage(3)->isVisible());
    // The group has no page: once the click is done, the selection names the page shown again.
    QCoreApplication::processEvents();
    EXPECT_EQ(tree.currentItem(), tree.topLevelItem(1)->child(2));
    EXPECT_TRUE(tree.topLevelItem(1)->child(2)->isSelected());

    for (int index : {-1, 6, 100}) {
        m_controller->SelectPage(index);
        EXPECT_EQ(m_controller->CurrentPage(), m_controller->RelayPage(3));
    }

    // A page chosen by the program, not by a click, is named by the tree too.
    m_controller->SelectPage(5);
    EXPECT_EQ(tree.currentItem(), tree.topLevelItem(1)->child(4));
    m_controller->SelectPage(0);
    EXPECT_EQ(tree.currentItem(), tree.topLevelItem(0));
}

TEST_F(FormsControllerTest, TheFileDialogsFolderIsKeptInTheSettingsFile) {
    Start();
    m_main->SetFileFolder(QString::fromStdString(m_dir.string()));
    m_controller->Shutdown();
    EXPECT_EQ(TIniFile(Settings()).ReadString("FormMain", "FileFolder", ""), m_dir.string());
    m_controller.reset();
    m_progress.reset();
    m_main.reset();
    Start();
    EXPECT_EQ(m_main->FileFolder().toStdString(), m_dir.string());
}

TEST_F(FormsControllerTest, WithoutASettingsFileThePagesShowTheirDesignValues) {
    Start();
    EXPECT_EQ(m_controller->CommonPage()->etO->text(), "01");
    for (int n = 1; n <= 5; ++n) {
        EXPECT_EQ(m_controller->RelayPage(n)->etDuration->text(), "0");
        EXPECT_EQ(m_controller->RelayPage(n)->Settings(), TRelaySettings{.Number = n});
    }
}

TEST_F(FormsControllerTest, ThePagesAreSavedAtTheEndAndLoadedAtTheNextStart) {
    Start();
    m_controller->CommonPage()->etO->setText("7");
    m_controller->RelayPage(4)->etDuration->setText("120");
    m_controller->RelayPage(4)->Settings().Partition(peAlarm, 9) = rrOff;
    m_controller->Shutdown();
    {
        const TIniFile ini(Settings());
        EXPECT_EQ(ini.ReadString("FormCommon", "etO", ""), "7");
        EXPECT_EQ(ini.ReadString("FormRelay_3", "etDuration", ""), "120");
        EXPECT_EQ(ini.ReadInteger("FormRelay_3", "P39", -1), rrOff);
    }
    m_controller.reset();
    m_progress.reset();
    m_main.reset();

    Start();
    EXPECT_EQ(m_controller->CommonPage()->etO->text(), "7");
    EXPECT_EQ(m_controller->RelayPage(4)->etDuration->text(), "120");
    EXPECT_EQ(m_controller->RelayPage(4)->Settings().Partition(peAlarm, 9), rrOff);
}

TEST_F(FormsControllerTest, DisconnectWithoutAConnectionOnlySetsTheDisconnectedState) {
    Start();
    m_main->ConnectAction->setEnabled(false);
    m_main->ReadAction->setEnabled(true);
    m_controller->Disconnect();
    EXPECT_TRUE(m_main->ConnectAction->isEnabled());
    EXPECT_TRUE(m_main->ConnectAction->isEnabled());
    EXPECT_FALSE(m_main->ReadAction->isEnabled());
    EXPECT_FALSE(m_main->DisconnectAction->isEnabled());
    EXPECT_FALSE(m_controller->IsConnected());
}

TEST_F(FormsControllerTest, PortsThatCannotBeListedLeaveTheToolAsItWas) {
    Start();
    bool dialogShown = false;
    m_controller->ListPorts = []() -> std::vector<TSerialPortInfo> {
        throw std::runtime_error("EnumPorts failed.");
    };
    m_controller->RunConnectDialog = [&dialogShown](TConnectDialog&) { return dialogShown = true; };
    EXPECT_THROW(m_controller->Connect(), std::runtime_error);
    EXPECT_FALSE(dialogShown);
    EXPECT_TRUE(m_main->ConnectAction->isEnabled());
    EXPECT_FALSE(m_controller->IsConnected());
}

TEST_F(FormsControllerTest, CurrentIniGoesToTheUsersConfigurationWhenTheProgramFolderIsReadOnly) {
    const std::filesystem::path config = m_dir / "config";
    const QByteArray previous = qgetenv("XDG_CONFIG_HOME");
    qputenv("XDG_CONFIG_HOME", QByteArray::fromStdString(config.string()));
    const std::string chosen = SettingsDirFor("/usr/lib/tarnel/", false);
    const std::string writable = SettingsDirFor("/usr/lib/tarnel/", true);
    qputenv("XDG_CONFIG_HOME", previous);

    EXPECT_EQ(writable, "/usr/lib/tarnel/");
    EXPECT_EQ(chosen, (config / "tarnel-config").string() + "/");
    EXPECT_TRUE(std::filesystem::is_directory(config / "tarnel-config"));

    // The controller keeps its pages there between runs.
    m_main = std::make_unique<TMainWindow>();
    m_progress = std::make_unique<TProgressWindow>(m_main.get());
    m_controller = std::make_unique<TFormsController>(*m_main, *m_progress, chosen + "current.ini");
    m_controller->CommonPage()->etO->setText("55");
    m_controller->Shutdown();
    const TIniFile ini(chosen + "current.ini");
    EXPECT_EQ(ini.ReadString("FormCommon", "etO", ""), "55");
}

TEST_F(FormsControllerTest, TheShownPageFollowsThePaneWhenTheWindowOrTheSplitterChanges) {
    Start();
    m_controller->SelectPage(2);
    QApplication::processEvents();
    QWidget& pane = *m_main->PagePane();
    EXPECT_EQ(m_controller->CurrentPage()->size(), pane.contentsRect().size());

    m_main->resize(1200, 1000);
    QApplication::processEvents();
    EXPECT_EQ(m_controller->CurrentPage()->size(), pane.contentsRect().size());

    m_main->resize(700, 600);
    QApplication::processEvents();
    EXPECT_EQ(m_controller->CurrentPage()->size(), pane.contentsRect().size());
}

// Loaded text is not cut by the typing limit, so the duration clamps; an object number that is
// not one or two digits becomes the default. Each replacement is a line of the log.
TEST_F(FormsControllerTest, LoadedValuesThePagesCannotHoldAreReplacedAndLogged) {
    struct TCase {
        const char* Stored;
        const char* Shown;
    };
    const TCase cases[] = {{"123", "01"}, {"-5", "01"}, {"1a", "01"},
                           {"", "01"},    {"7", "7"},   {"07", "07"}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.Stored);
        std::ofstream(Settings(), std::ios::binary | std::ios::trunc)
            << "[FormCommon]\r\netO=" << c.Stored
            << "\r\n[FormRelay]\r\netDuration=1000\r\n[FormRelay_4]\r\nZ37=-7\r\n";
        Start();
        EXPECT_EQ(m_controller->RelayPage(1)->etDuration->text(), "255");
        EXPECT_EQ(m_controller->RelayPage(5)->Settings().Zone(zeFault, 7), rrNone);
        EXPECT_EQ(m_controller->CommonPage()->etO->text(), QString::fromUtf8(c.Shown));
        QStringList lines;
        const QAbstractItemModel* model = m_main->ExchangeLog->model();
        for (int row = 0; row < model->rowCount(); ++row) {
            lines << model->index(row, 0).data().toString();
        }
        const QString file = QString::fromStdString("Файл " + Settings() + ": значение ");
        QStringList expected{file + "FormRelay/etDuration=1000 заменено на 255",
                             file + "FormRelay_4/Z37=-7 заменено на 4"};
        if (std::string(c.Stored) != c.Shown) {
            expected.prepend(file + "FormCommon/etO=" + c.Stored + " заменено на 01");
        }
        EXPECT_EQ(lines, expected);
        m_controller.reset();
        m_progress.reset();
        m_main.reset();
    }
}

namespace {

// "Загрузить" of what is not a settings file of the tool: a box says what is wrong, in Russian,
// and every page keeps its values.
class LoadFileTest : public FormsControllerTest {
  protected:
    void SetUp() override {
        FormsControllerTest::SetUp();
        Start();
        m_controller->ShowLoadNote = [this](const std::string& text) { notes.push_back(text); };
        m_controller->ShowLoadReplacements = [this](const std::vector<std::string>& lines) {
            replacementWindows.push_back(lines);
        };
        m_controller->CommonPage()->etO->setText("42");
        m_controller->RelayPage(2)->etDuration->setText("17");
    }
    std::string File(const char* name) const { return (m_dir / name).string(); }
    // What "Загрузить" said in its box; empty when it loaded without one.
    std::string LoadError(const std::string& path) {
        try {
            m_controller->LoadFromFile(path);
        } catch (const std::exception& error) {
            return error.what();
        }
        return {};
    }
    void ExpectPagesUnchanged() {
        EXPECT_EQ(m_controller->CommonPage()->etO->text(), "42");
        EXPECT_EQ(m_controller->RelayPage(2)->etDuration->text(), "17");
    }

    std::vector<std::string> notes;
    std::vector<std::vector<std::string>> replacementWindows;
};

TEST_F(LoadFileTest, AFileWithoutSettingsIsRefusedWithAReason) {
    struct TCase {
        const char* Name;
        std::string Content;  // nothing written when empty and Name ends in "missing"
        const char* Says;
    };
    std::string noise(4096, '\0');
    for (std::size_t i = 0; i < noise.size(); ++i) {
        noise[i] = static_cast<char>((i * 7919 + 13) % 251);
    }
    const TCase cases[] = {
        {"random.txt", noise, "не содержит настроек"},
        {"other.ini", "[General]\nGeometry=1\n[Recent]\nFile1=/tmp/x\n", "не содержит настроек"},
        {"empty.txt", "", "не содержит настроек"},
        {"missing.txt", "", "Не удалось прочитать файл"},
    };
    for (const TCase& c : cases) {
        SCOPED_TRACE(c.Name);
        const std::string path = File(c.Name);
        if (std::string(c.Name) != "missing.txt") {
            std::ofstream(path, std::ios::binary) << c.Content;
        }
        const std::string said = LoadError(path);
        EXPECT_NE(said.find(c.Says), std::string::npos) << said;
        EXPECT_NE(said.find(path), std::string::npos) << said;
        ExpectPagesUnchanged();
    }
    const std::string folder = LoadError(m_dir.string());
    EXPECT_FALSE(folder.empty());
    ExpectPagesUnchanged();
    EXPECT_TRUE(notes.empty());
    EXPECT_TRUE(replacementWindows.empty());
}

TEST_F(LoadFileTest, AFileTheUserMayNotReadIsRefusedWithAReason) {
    const std::string path = File("secret.txt");
    std::ofstream(path) << "[FormCommon]\netO=7\n";
    const std::string failure = AsUnprivilegedUser(m_dir, [&]() -> std::string {
        ::chmod(path.c_str(), 0);
        const std::string said = LoadError(path);
        if (said.find("Не удалось прочитать файл") == std::string::npos) {
            return "said: " + said;
        }
        return m_controller->CommonPage()->etO->text() == "42" ? "" : "the page changed";
    });
    EXPECT_EQ(failure, "");
}

TEST_F(LoadFileTest, PagesTheFileDoesNotHoldKeepTheirValuesAndOneNoteNamesThem) {
    const std::string path = File("partial.txt");
    std::ofstream(path) << "[FormRelay]\netDuration=9\n[FormRelay_2]\nZ11=2\n";
    EXPECT_EQ(LoadError(path), "");
    EXPECT_EQ(m_controller->RelayPage(1)->etDuration->text(), "9");
    EXPECT_EQ(m_controller->RelayPage(3)->Settings().Zone(zeAlarm, 1), rrOff);
    ExpectPagesUnchanged();
    ASSERT_EQ(notes.size(), 1u);
    EXPECT_NE(notes[0].find("Общие, Реле 2, Реле 4, Реле 5"), std::string::npos) << notes[0];
    EXPECT_TRUE(replacementWindows.empty());
}

TEST_F(LoadFileTest, ValuesThePagesCannotShowAreListedInThePagesWords) {
    const std::string path = File("odd.txt");
    std::ofstream(path) << "[FormCommon]\netO=123\n[FormRelay]\nZ13=9\netDuration=999\n"
                           "[FormRelay_1]\n[FormRelay_2]\n[FormRelay_3]\n[FormRelay_4]\n";
    EXPECT_EQ(LoadError(path), "");
    EXPECT_TRUE(notes.empty());
    ASSERT_EQ(replacementWindows.size(), 1u);
    EXPECT_EQ(replacementWindows[0],
              (std::vector<std::string>{"Общие, Объект / Номер объекта: 123 заменено на «01»",
                                        "Реле 1, Импульс / Длительность: 999 заменено на «255»",
                                        "Реле 1, Зоны / Тревоги, 3: 9 заменено на «Без реакции»"}));
    // The log keeps its lines in the file's key names.
    QStringList lines;
    const QAbstractItemModel* model = m_main->ExchangeLog->model();
    for (int row = 0; row < model->rowCount(); ++row) {
        lines << model->index(row, 0).data().toString();
    }
    EXPECT_TRUE(lines.contains(
        QString::fromStdString("Файл " + path + ": значение FormRelay/Z13=9 заменено на 4")));
}

}  // namespace

namespace {

TEST_F(FormsControllerTest, TabGoesThroughVisibleControlsOnly) {
    Start();
    m_main->activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(m_main.get()));
    for (int page : {0, 3}) {
        m_controller->SelectPage(page);
        m_main->PageTree->setFocus();
        QStringList walk;
        for (int step = 0; step < 60; ++step) {
            QWidget* from = QApplication::focusWidget();
            ASSERT_NE(from, nullptr);
            QTest::keyClick(from, Qt::Key_Tab);
            QWidget* focused = QApplication::focusWidget();
            ASSERT_NE(focused, nullptr);
            walk << QString("%1(%2)").arg(focused->metaObject()->className(),
                                          focused->objectName());
            EXPECT_TRUE(focused->isVisible()) << walk.join(" > ").toStdString();
            // The page's scroll box shows no focus of its own: a stop there looks like none.
            EXPECT_EQ(qobject_cast<QScrollArea*>(focused), nullptr)
                << walk.join(" > ").toStdString();
            EXPECT_EQ(focused->window(), m_main.get()) << walk.join(" > ").toStdString();
        }
    }
}

}  // namespace
