// Menu shortcuts act anywhere in the main window, even over an edit that wants the same keys, and
// do nothing while their item or its menu is disabled.
#include <gtest/gtest.h>

#include <QApplication>
#include <QClipboard>
#include <QLineEdit>
#include <QTest>
#include <QVBoxLayout>

#include "FakeCommands.h"
#include "fMain.h"

namespace {

class ShortcutTest : public testing::Test {
  protected:
    ShortcutTest() {
        form.Controller = &commands;
        form.RunFileDialog = [this](QFileDialog*) {
            ++dialogsRun;
            return std::optional<QString>();
        };
        auto* layout = new QVBoxLayout(form.PagePane());
        edit = new QLineEdit("1234");
        layout->addWidget(edit);
        form.show();
        form.activateWindow();
        EXPECT_TRUE(QTest::qWaitForWindowActive(&form));
        edit->setFocus();
        edit->selectAll();
        QApplication::clipboard()->setText("before");
    }

    std::vector<std::string> Calls() { return std::exchange(commands.calls, {}); }

    CapturedReports reports;
    FakeCommands commands;
    TFormMain form;
    QLineEdit* edit;
    int dialogsRun = 0;
};

TEST_F(ShortcutTest, CtrlCInAnEditConnectsInsteadOfCopying) {
    QTest::keyClick(edit, Qt::Key_C, Qt::ControlModifier);
    EXPECT_EQ(Calls(), std::vector<std::string>{"Connect"});
    EXPECT_EQ(QApplication::clipboard()->text(), "before");
}

TEST_F(ShortcutTest, CtrlXInAnEditEndsTheProgramInsteadOfCutting) {
    QTest::keyClick(edit, Qt::Key_X, Qt::ControlModifier);
    EXPECT_EQ(Calls(), std::vector<std::string>{"Disconnect"});
    EXPECT_FALSE(form.isVisible());
    EXPECT_EQ(edit->text(), "1234");
    EXPECT_EQ(QApplication::clipboard()->text(), "before");
}

TEST_F(ShortcutTest, EnabledItemsAnswerTheirKeysFromAnEdit) {
    for (QAction* item :
         {form.mnuDisconnect, form.mnuRead, form.mnuWrite, form.mnuReadAll, form.mnuWriteAll}) {
        item->setEnabled(true);
    }
    QTest::keyClick(edit, Qt::Key_D, Qt::ControlModifier);
    QTest::keyClick(edit, Qt::Key_R, Qt::ControlModifier);
    QTest::keyClick(edit, Qt::Key_W, Qt::ControlModifier);
    QTest::keyClick(edit, Qt::Key_R, Qt::ControlModifier | Qt::ShiftModifier);
    QTest::keyClick(edit, Qt::Key_W, Qt::ControlModifier | Qt::ShiftModifier);
    EXPECT_EQ(Calls(), (std::vector<std::string>{"Disconnect", "ReadCurrent", "WriteCurrent",
                                                 "ReadAll", "WriteAll"}));
    QTest::keyClick(edit, Qt::Key_S, Qt::ControlModifier);
    QTest::keyClick(edit, Qt::Key_L, Qt::ControlModifier);
    EXPECT_EQ(dialogsRun, 2);
}

TEST_F(ShortcutTest, DisabledItemShortcutsDoNothing) {
    // At start the panel commands are disabled.
    QTest::keyClick(edit, Qt::Key_R, Qt::ControlModifier);
    QTest::keyClick(edit, Qt::Key_W, Qt::ControlModifier | Qt::ShiftModifier);
    QTest::keyClick(edit, Qt::Key_D, Qt::ControlModifier);
    form.mnuConnect->setEnabled(false);
    QTest::keyClick(edit, Qt::Key_C, Qt::ControlModifier);
    EXPECT_TRUE(Calls().empty());
    EXPECT_TRUE(form.isVisible());
}

TEST_F(ShortcutTest, ShortcutsUnderADisabledTopLevelMenuDoNothing) {
    form.mnuDisconnect->setEnabled(true);
    // However a caller disables the top-level menus, their items' keys must stay dead.
    form.mnuConnection->setEnabled(false);
    form.mnuFile->menuAction()->setEnabled(false);
    form.mnuSettings->setEnabled(false);
    QTest::keyClick(edit, Qt::Key_C, Qt::ControlModifier);
    QTest::keyClick(edit, Qt::Key_D, Qt::ControlModifier);
    QTest::keyClick(edit, Qt::Key_X, Qt::ControlModifier);
    QTest::keyClick(edit, Qt::Key_S, Qt::ControlModifier);
    EXPECT_TRUE(Calls().empty());
    EXPECT_EQ(dialogsRun, 0);
    EXPECT_TRUE(form.isVisible());

    for (QMenu* menu : form.TopLevelMenus()) {
        menu->setEnabled(true);
        menu->menuAction()->setEnabled(true);
    }
    QTest::keyClick(edit, Qt::Key_C, Qt::ControlModifier);
    EXPECT_EQ(Calls(), std::vector<std::string>{"Connect"});
}

TEST_F(ShortcutTest, OrdinaryKeysStillReachTheEdit) {
    edit->clear();
    QTest::keyClicks(edit, "42");
    QTest::keyClick(edit, Qt::Key_A, Qt::ControlModifier);
    EXPECT_EQ(edit->text(), "42");
    EXPECT_EQ(edit->selectedText(), "42");
    EXPECT_TRUE(Calls().empty());
}

}  // namespace
