// Menu shortcuts act anywhere in the main window, also over an edit without a selection, and do
// nothing while their item or its menu is disabled; an edit with a selection copies and cuts.
#include <gtest/gtest.h>

#include <QApplication>
#include <QClipboard>
#include <QLineEdit>
#include <QTest>
#include <QVBoxLayout>

#include "FakeCommands.h"
#include "shell/MainWindow.h"

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
    TMainWindow form;
    QLineEdit* edit;
    int dialogsRun = 0;
};

// With text selected, the edit's own copy and cut win; without a selection the menu's Ctrl+C
// (connect) and Ctrl+X (exit) keep their meaning.
TEST_F(ShortcutTest, CtrlCAndCtrlXCopyAndCutASelectionAndOtherwiseAreTheMenus) {
    struct TCase {
        const char* Name;
        Qt::Key Key;
        bool Selected;
        std::vector<std::string> Calls;
        const char* EditAfter;
        const char* ClipboardAfter;
        bool WindowStays;
    };
    const TCase cases[] = {
        {"copy", Qt::Key_C, true, {}, "1234", "1234", true},
        {"cut", Qt::Key_X, true, {}, "", "1234", true},
        {"connect", Qt::Key_C, false, {"Connect"}, "1234", "before", true},
        {"exit", Qt::Key_X, false, {"Disconnect"}, "1234", "before", false},
    };
    for (const TCase& c : cases) {
        SCOPED_TRACE(c.Name);
        form.show();
        edit->setText("1234");
        edit->setFocus();
        if (c.Selected) {
            edit->selectAll();
        } else {
            edit->deselect();
        }
        QApplication::clipboard()->setText("before");
        QTest::keyClick(edit, c.Key, Qt::ControlModifier);
        EXPECT_EQ(Calls(), c.Calls);
        EXPECT_EQ(edit->text(), c.EditAfter);
        EXPECT_EQ(QApplication::clipboard()->text(), c.ClipboardAfter);
        EXPECT_EQ(form.isVisible(), c.WindowStays);
    }
}

// Ctrl+Z and the redo keys work on an edit's unfinished typing first, as in any edit; with none
// they undo and redo the pages' steps.
TEST_F(ShortcutTest, UndoKeysGoToUnfinishedTypingFirstAndOtherwiseToThePages) {
    form.ShowHistory("Реле 2, Длительность", "Реле 1, Зоны, Тревоги, зона 3");
    struct TCase {
        const char* Name;
        bool Typed;
        Qt::Key Key;
        Qt::KeyboardModifiers Modifiers;
        std::vector<std::string> Calls;
        const char* EditAfter;
    };
    const TCase cases[] = {
        {"typing undone", true, Qt::Key_Z, Qt::ControlModifier, {}, "12"},
        {"a step undone", false, Qt::Key_Z, Qt::ControlModifier, {"Undo"}, "12"},
        {"a step redone with Ctrl+Y", false, Qt::Key_Y, Qt::ControlModifier, {"Redo"}, "12"},
        {"a step redone with Ctrl+Shift+Z",
         false,
         Qt::Key_Z,
         Qt::ControlModifier | Qt::ShiftModifier,
         {"Redo"},
         "12"},
    };
    for (const TCase& c : cases) {
        SCOPED_TRACE(c.Name);
        edit->setText("12");
        edit->setFocus();
        edit->deselect();
        if (c.Typed) {
            edit->end(false);
            QTest::keyClick(edit, Qt::Key_5);
            ASSERT_EQ(edit->text(), "125");
        }
        QTest::keyClick(edit, c.Key, c.Modifiers);
        EXPECT_EQ(Calls(), c.Calls);
        EXPECT_EQ(edit->text(), c.EditAfter);
    }
}

TEST_F(ShortcutTest, UndoAndRedoNameTheirStepsAndWaitForOne) {
    EXPECT_FALSE(form.UndoAction->isEnabled());
    EXPECT_FALSE(form.RedoAction->isEnabled());
    edit->deselect();
    QTest::keyClick(edit, Qt::Key_Z, Qt::ControlModifier);
    EXPECT_TRUE(Calls().empty());

    form.ShowHistory("Реле 2, Зоны, Тревоги, Все", "");
    EXPECT_TRUE(form.UndoAction->isEnabled());
    EXPECT_EQ(form.UndoAction->text(), QString::fromUtf8("&Отменить: Реле 2, Зоны, Тревоги, Все"));
    EXPECT_FALSE(form.RedoAction->isEnabled());
    EXPECT_EQ(form.RedoAction->text(), QString::fromUtf8("&Повторить"));
    // The page pane's context menu holds the same two commands.
    EXPECT_TRUE(form.PagePane()->actions().contains(form.UndoAction));
    EXPECT_TRUE(form.PagePane()->actions().contains(form.RedoAction));
}

TEST_F(ShortcutTest, PasteAndSelectAllWorkInAnEdit) {
    edit->clear();
    QApplication::clipboard()->setText("56");
    QTest::keyClick(edit, Qt::Key_V, Qt::ControlModifier);
    EXPECT_EQ(edit->text(), "56");
    QTest::keyClick(edit, Qt::Key_A, Qt::ControlModifier);
    EXPECT_EQ(edit->selectedText(), "56");
    EXPECT_TRUE(Calls().empty());
}

TEST_F(ShortcutTest, EnabledItemsAnswerTheirKeysFromAnEdit) {
    for (QAction* item : {form.DisconnectAction, form.ReadAction, form.WriteAction,
                          form.ReadAllAction, form.WriteAllAction}) {
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
    edit->deselect();
    // At start the panel commands are disabled.
    QTest::keyClick(edit, Qt::Key_R, Qt::ControlModifier);
    QTest::keyClick(edit, Qt::Key_W, Qt::ControlModifier | Qt::ShiftModifier);
    QTest::keyClick(edit, Qt::Key_D, Qt::ControlModifier);
    form.ConnectAction->setEnabled(false);
    QTest::keyClick(edit, Qt::Key_C, Qt::ControlModifier);
    EXPECT_TRUE(Calls().empty());
    EXPECT_TRUE(form.isVisible());
}

TEST_F(ShortcutTest, ShortcutsUnderADisabledTopLevelMenuDoNothing) {
    edit->deselect();
    form.DisconnectAction->setEnabled(true);
    // However a caller disables the top-level menus, their items' keys must stay dead.
    form.ConnectionMenu->setEnabled(false);
    form.FileMenu->menuAction()->setEnabled(false);
    form.SettingsMenu->setEnabled(false);
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
