// "Файл" lists the files last loaded or saved, kept in current.ini between runs, and the title
// names the file last loaded or saved, marked once the pages differ from it.
#include <gtest/gtest.h>

#include <QApplication>
#include <filesystem>

#include "ToolWindowFixture.h"
#include "pages/RelayPage.h"
#include "shell/FormsController.h"
#include "shell/MainWindow.h"
#include "shell/ProgressWindow.h"

namespace {

const QString kTitle = QString::fromUtf8("Программа настройки Тарнел v ") + TARNEL_VERSION;

class RecentFilesTest : public ToolWindowTest {
  protected:
    std::string File(const char* name) const { return (m_dir / name).string(); }
    QStringList RecentItems() const {
        QStringList items;
        for (const QAction* item : m_main->RecentFileActions()) {
            items << item->text();
        }
        return items;
    }
    void StepACell() { m_controller->RelayPage(1)->ZoneGrid->OnKeyStep(1, 1, true); }
};

}  // namespace

TEST_F(RecentFilesTest, TheTitleNamesTheFileAndMarksChangesSinceIt) {
    Start();
    EXPECT_EQ(m_main->windowTitle(), kTitle);
    m_controller->SaveToFile(File("a.txt"));
    EXPECT_EQ(m_main->windowTitle(), kTitle + QString::fromUtf8(" — a.txt"));

    StepACell();
    EXPECT_EQ(m_main->windowTitle(), kTitle + QString::fromUtf8(" — a.txt*"));
    // Back to the values of the file: no mark.
    m_controller->Undo();
    EXPECT_EQ(m_main->windowTitle(), kTitle + QString::fromUtf8(" — a.txt"));
    m_controller->Redo();
    m_controller->SaveToFile(File("b.txt"));
    EXPECT_EQ(m_main->windowTitle(), kTitle + QString::fromUtf8(" — b.txt"));

    m_controller->LoadFromFile(File("a.txt"));
    EXPECT_EQ(m_main->windowTitle(), kTitle + QString::fromUtf8(" — a.txt"));
}

TEST_F(RecentFilesTest, TheNewestComesFirstOnceAndTheListOutlivesTheProgram) {
    Start();
    EXPECT_TRUE(RecentItems().empty());
    m_controller->SaveToFile(File("a.txt"));
    StepACell();
    m_controller->SaveToFile(File("b.txt"));
    m_controller->LoadFromFile(File("a.txt"));
    EXPECT_EQ(RecentItems(), QStringList({"&1 a.txt", "&2 b.txt"}));
    EXPECT_EQ(m_controller->RecentFiles(),
              (std::vector<std::string>{File("a.txt"), File("b.txt")}));
    Stop();

    Start();
    EXPECT_EQ(RecentItems(), QStringList({"&1 a.txt", "&2 b.txt"}));
    // The item loads its file.
    const TRelaySettings before = m_controller->RelayPage(1)->Settings();
    m_main->RecentFileActions()[1]->trigger();
    EXPECT_NE(m_controller->RelayPage(1)->Settings(), before);
    EXPECT_EQ(RecentItems(), QStringList({"&1 b.txt", "&2 a.txt"}));
    EXPECT_EQ(m_main->windowTitle(), kTitle + QString::fromUtf8(" — b.txt"));
}

TEST_F(RecentFilesTest, EightFilesAreKept) {
    Start();
    for (int n = 1; n <= 10; ++n) {
        m_controller->SaveToFile(File(("f" + std::to_string(n) + ".txt").c_str()));
    }
    QStringList expected;
    for (int n = 10; n >= 3; --n) {
        expected << QString("&%1 f%2.txt").arg(11 - n).arg(n);
    }
    EXPECT_EQ(RecentItems(), expected);
    Stop();
    Start();
    EXPECT_EQ(RecentItems(), expected);
}
