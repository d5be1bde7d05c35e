// Every change of the pages' values is one step that "Отменить" takes back exactly and
// "Повторить" makes again, named in the window's "Правка" menu.
#include <gtest/gtest.h>

#include <QApplication>
#include <QPushButton>
#include <QTest>
#include <filesystem>
#include <functional>

#include "ToolWindowFixture.h"
#include "pages/CommonPage.h"
#include "pages/RelayPage.h"
#include "shell/CopyRelayDialog.h"
#include "shell/FormsController.h"
#include "shell/MainWindow.h"
#include "shell/ProgressWindow.h"
#include "widgets/StoredControls.h"

namespace {

class UndoTest : public ToolWindowTest {
  protected:
    TModuleSettings Values() const {
        TModuleSettings settings;
        settings.Common = m_controller->CommonPage()->Settings();
        for (int n = 1; n <= kRelayCount; ++n) {
            settings.Relays.at(n - 1) = m_controller->RelayPage(n)->Settings();
        }
        return settings;
    }
    TRelayPage& Relay(int n) const { return *m_controller->RelayPage(n); }
    // Types into an edit and finishes the edit with Enter, as a user does.
    static void Type(QLineEdit& edit, const char* text) {
        edit.setFocus();
        edit.selectAll();
        QTest::keyClicks(&edit, text);
        QTest::keyClick(&edit, Qt::Key_Return);
    }
};

}  // namespace

TEST_F(UndoTest, EveryKindOfStepIsTakenBackExactlyAndMadeAgain) {
    struct TCase {
        const char* Step;
        std::function<void()> Change;
    };
    const TCase cases[] = {
        {"Реле 2, Зоны, Тревоги, зона 5", [this] { Relay(2).ZoneGrid->OnKeyStep(5, 1, true); }},
        {"Реле 2, Зоны, Тревоги, все", [this] { Relay(2).ZoneGrid->OnKeyStep(17, 1, true); }},
        {"Реле 3, Разделы, Снятия, раздел 16",
         [this] { Relay(3).PartitionGrid->OnKeyStep(16, 2, false); }},
        {"Реле 4, Внешнее питание, Резервное",
         [this] { Relay(4).ConditionGrid(rcPower)->OnKeyStep(1, 1, true); }},
        {"Реле 5, Длительность", [this] { Type(*Relay(5).etDuration, "77"); }},
        {"Общие, Номер объекта", [this] { Type(*m_controller->CommonPage()->etO, "42"); }},
        {"По умолчанию — Реле 1",
         [this] {
             m_controller->SelectPage(1);
             m_controller->SetCurrentDefaults();
         }},
        {"По умолчанию все", [this] { m_controller->SetAllDefaults(); }},
        {"Копировать Реле 1 в Реле 3, Реле 5",
         [this] {
             m_controller->CopyRelay(1, {3, 5});
         }},
        {"Загрузить saved.txt",
         [this] {
             const TModuleSettings start = Values();
             Relay(1).ZoneGrid->OnKeyStep(1, 1, true);
             Type(*Relay(1).etDuration, "200");
             m_controller->SaveToFile((m_dir / "saved.txt").string());
             m_controller->Undo();
             m_controller->Undo();
             ASSERT_EQ(Values(), start);
             m_controller->LoadFromFile((m_dir / "saved.txt").string());
         }},
    };
    for (const TCase& c : cases) {
        SCOPED_TRACE(c.Step);
        Start();
        // Values of their own on every page, so that the defaults change something too.
        Relay(1).ZoneGrid->OnKeyStep(2, 1, true);
        Relay(1).ZoneGrid->OnKeyStep(3, 3, true);
        Type(*Relay(1).etDuration, "9");
        Type(*m_controller->CommonPage()->etO, "7");
        const TModuleSettings before = Values();

        c.Change();
        const TModuleSettings after = Values();
        ASSERT_NE(after, before);
        EXPECT_EQ(m_main->UndoAction->text(), QString::fromUtf8("&Отменить: ") + c.Step);
        EXPECT_TRUE(m_main->UndoAction->isEnabled());

        m_controller->Undo();
        EXPECT_EQ(Values(), before);
        EXPECT_EQ(m_main->RedoAction->text(), QString::fromUtf8("&Повторить: ") + c.Step);
        m_controller->Redo();
        EXPECT_EQ(Values(), after);
        EXPECT_FALSE(m_main->RedoAction->isEnabled());
    }
}

TEST_F(UndoTest, UndoWalksBackEveryStepToTheStartAndRedoForwardAgain) {
    Start();
    const TModuleSettings start = Values();
    Relay(2).ZoneGrid->OnKeyStep(17, 2, true);
    Type(*Relay(2).etDuration, "12");
    Relay(5).ConditionGrid(rcDelay)->OnKeyStep(1, 0, true);
    const TModuleSettings end = Values();
    EXPECT_EQ(m_controller->History().UndoCount(), 3u);

    for (int i = 0; i < 3; ++i) {
        m_controller->Undo();
    }
    EXPECT_EQ(Values(), start);
    EXPECT_FALSE(m_main->UndoAction->isEnabled());
    EXPECT_EQ(m_main->UndoAction->text(), QString::fromUtf8("&Отменить"));
    // The shown edit follows its value back.
    EXPECT_EQ(Relay(2).etDuration->text(), QString::number(start.Relays[1].Duration));

    for (int i = 0; i < 3; ++i) {
        m_controller->Redo();
    }
    EXPECT_EQ(Values(), end);
}

// An edit finished without a change, and a load that changes nothing, are no steps.
TEST_F(UndoTest, AChangeThatChangesNothingIsNoStep) {
    Start();
    Type(*Relay(1).etDuration, "9");
    const std::size_t steps = m_controller->History().UndoCount();
    Type(*Relay(1).etDuration, "9");
    m_controller->SaveToFile((m_dir / "same.txt").string());
    m_controller->LoadFromFile((m_dir / "same.txt").string());
    EXPECT_EQ(m_controller->History().UndoCount(), steps);
}

// "Копировать реле" starts from the relay on screen and copies its duration and every reaction,
// nothing else, to the relays checked; the relay copied cannot be unchecked.
TEST_F(UndoTest, CopyRelayGivesTheCheckedRelaysTheShownRelaysValues) {
    Start();
    Relay(2).ZoneGrid->OnKeyStep(4, 2, true);
    Relay(2).PartitionGrid->OnKeyStep(17, 3, true);
    Relay(2).ConditionGrid(rcFire)->OnKeyStep(1, 0, true);
    Type(*Relay(2).etDuration, "123");
    const TModuleSettings before = Values();
    m_controller->SelectPage(2);

    std::vector<int> offered;
    m_controller->RunCopyRelayDialog = [&](TCopyRelayDialog& dialog) {
        EXPECT_TRUE(dialog.TargetBoxes[1]->isChecked());
        EXPECT_FALSE(dialog.TargetBoxes[1]->isEnabled());
        EXPECT_FALSE(dialog.Buttons->button(QDialogButtonBox::Ok)->isEnabled());
        dialog.TargetBoxes[0]->setChecked(true);
        dialog.TargetBoxes[3]->setChecked(true);
        EXPECT_TRUE(dialog.Buttons->button(QDialogButtonBox::Ok)->isEnabled());
        offered = dialog.Targets();
        return true;
    };
    m_main->CopyRelayAction->trigger();

    EXPECT_EQ(offered, (std::vector<int>{1, 4}));
    const TModuleSettings after = Values();
    for (int n = 1; n <= kRelayCount; ++n) {
        SCOPED_TRACE(n);
        TRelaySettings expected =
            n == 1 || n == 2 || n == 4 ? before.Relays[1] : before.Relays[n - 1];
        expected.Number = n;
        EXPECT_EQ(after.Relays[n - 1], expected);
    }
    EXPECT_EQ(after.Common, before.Common);
    EXPECT_EQ(m_main->UndoAction->text(),
              QString::fromUtf8("&Отменить: Копировать Реле 2 в Реле 1, Реле 4"));
    m_controller->Undo();
    EXPECT_EQ(Values(), before);
}

TEST_F(UndoTest, ACancelledCopyChangesNothing) {
    Start();
    Relay(1).ZoneGrid->OnKeyStep(1, 1, true);
    const TModuleSettings before = Values();
    m_controller->RunCopyRelayDialog = [](TCopyRelayDialog& dialog) {
        dialog.TargetBoxes[4]->setChecked(true);
        return false;
    };
    m_main->CopyRelayAction->trigger();
    EXPECT_EQ(Values(), before);
    EXPECT_EQ(m_controller->History().UndoCount(), 1u);
}
