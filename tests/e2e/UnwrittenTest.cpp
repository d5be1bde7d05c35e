// What differs from the module, against the emulator: the markers follow reads, edits, undo and
// writes; the compare window writes only the rows the user keeps checked, and loads chosen values
// of a file.
#include <QTest>
#include <QTreeWidget>
#include <QTreeWidgetItemIterator>

#include "ToolFixture.h"
#include "ini/IniFile.h"
#include "model/KnownModuleValues.h"
#include "model/ModuleSettingsIni.h"
#include "pages/CommonPage.h"
#include "pages/RelayPage.h"
#include "shell/CompareWindow.h"

namespace {

// Steps one zone cell forward by a key, as the user does.
void StepZoneCell(TRelayPage& page, TZoneEvent e, int zone) {
    page.ZoneGrid->SetFocusCell(zone, e);
    QTest::keyClick(page.ZoneGrid, Qt::Key_Space);
}

// The tree's marked nodes, by caption.
QStringList MarkedNodes(const QTreeWidget& tree) {
    QStringList marked;
    for (QTreeWidgetItemIterator it(const_cast<QTreeWidget*>(&tree)); *it != nullptr; ++it) {
        if (!(*it)->icon(0).isNull()) {
            marked << (*it)->text(0) + ": " + (*it)->toolTip(0);
        }
    }
    return marked;
}

// The commands sent after the first `from`, without the framing the transcript shows.
std::vector<std::string> CommandsAfter(const std::vector<std::string>& all, std::size_t from) {
    return {all.begin() + static_cast<std::ptrdiff_t>(from), all.end()};
}

class UnwrittenTest : public ToolTest {
  protected:
    // The module's state, read whole into the pages.
    void StartReadModule(const TModuleState& stored, TModuleFaults faults = {}) {
        StartModule(stored, std::move(faults));
        StartTool();
        ConnectToModule();
        Run(&TMainWindow::ReadAllPages);
    }
    int Unwritten(int relay) const { return m_controller->RelayPage(relay)->UnwrittenCount(); }
};

}  // namespace

TEST_F(UnwrittenTest, NothingIsMarkedBeforeTheModuleIsKnown) {
    StartModule(PatternedState(10, 5));
    StartTool();
    SetPages(*m_controller, PowerUpState(10));
    ConnectToModule();
    // The pages differ from the module everywhere, but nothing of it was read yet.
    for (int n = 1; n <= kRelayCount; ++n) {
        EXPECT_EQ(Unwritten(n), 0);
    }
    EXPECT_EQ(m_main->UnwrittenPanel->text(), QString());
    EXPECT_TRUE(MarkedNodes(*m_main->PageTree).isEmpty());
}

TEST_F(UnwrittenTest, MarkersFollowEditsUndoRedoAndWrites) {
    const TModuleState stored = PatternedState(10, 5);
    StartReadModule(stored);
    ASSERT_EQ(PagesState(*m_controller), stored);
    TRelayPage& relay3 = *m_controller->RelayPage(3);
    EXPECT_EQ(relay3.UnwrittenCount(), 0);

    StepZoneCell(relay3, zeAlarm, 5);
    StepZoneCell(relay3, zeFault, 16);
    EXPECT_TRUE(relay3.IsMarked(ZonePlace(zeAlarm, 5)));
    EXPECT_TRUE(relay3.IsMarked(ZonePlace(zeFault, 16)));
    EXPECT_FALSE(relay3.IsMarked(ZonePlace(zeAlarm, 6)));
    EXPECT_EQ(m_main->UnwrittenPanel->text(), QString::fromUtf8("Не записано: 2"));
    EXPECT_EQ(MarkedNodes(*m_main->PageTree),
              QStringList{QString::fromUtf8("Реле 3: Не записано: 2")});

    Run(&TMainWindow::UndoStep);
    EXPECT_FALSE(relay3.IsMarked(ZonePlace(zeFault, 16)));
    EXPECT_EQ(m_main->UnwrittenPanel->text(), QString::fromUtf8("Не записано: 1"));
    Run(&TMainWindow::RedoStep);
    EXPECT_EQ(relay3.UnwrittenCount(), 2);

    // With the whole module known, a write of changes reads nothing and sends the two values.
    const std::size_t before = ReceivedCommands().size();
    Run(&TMainWindow::WriteChangesToModule);
    const std::vector<std::string> sent = CommandsAfter(ReceivedCommands(), before);
    ASSERT_EQ(sent.size(), 2u);
    EXPECT_EQ(sent[0].substr(0, 7), "*10A24=");
    EXPECT_EQ(sent[1].substr(0, 7), "*10E2F=");
    EXPECT_EQ(m_module->Snapshot(), PagesState(*m_controller));
    EXPECT_EQ(relay3.UnwrittenCount(), 0);
    EXPECT_EQ(m_main->UnwrittenPanel->text(), QString());
    EXPECT_TRUE(MarkedNodes(*m_main->PageTree).isEmpty());

    // An undo after the write changes the pages, not the module: the markers show the difference.
    Run(&TMainWindow::UndoStep);
    EXPECT_EQ(relay3.UnwrittenCount(), 1);
    Run(&TMainWindow::DisconnectFromModule);
    EXPECT_EQ(relay3.UnwrittenCount(), 0);
    EXPECT_EQ(m_main->UnwrittenPanel->text(), QString());
}

// A read that fails and a write the module does not acknowledge leave what was known; an unknown
// value is never marked.
TEST_F(UnwrittenTest, FailedReadsAndUnacknowledgedWritesLeaveTheMarkers) {
    const TModuleState stored = PatternedState(10, 5);
    TModuleFaults faults;
    faults.IgnoreWriteLetters = "A";
    StartReadModule(stored, faults);
    TRelayPage& relay2 = *m_controller->RelayPage(2);
    StepZoneCell(relay2, zeAlarm, 1);
    StepZoneCell(relay2, zeRestore, 1);
    ASSERT_EQ(relay2.UnwrittenCount(), 2);

    Run(&TMainWindow::WriteChangesToModule);
    ASSERT_EQ(m_errorWindows.size(), 1u);
    EXPECT_TRUE(relay2.IsMarked(ZonePlace(zeAlarm, 1)));
    EXPECT_FALSE(relay2.IsMarked(ZonePlace(zeRestore, 1)));
    EXPECT_EQ(m_module->Snapshot().Relays[1].Zone(zeAlarm, 1), stored.Relays[1].Zone(zeAlarm, 1));
    EXPECT_EQ(m_main->UnwrittenPanel->text(), QString::fromUtf8("Не записано: 1"));
}

TEST_F(UnwrittenTest, AFailedReadKeepsTheMarkersItCouldNotRenew) {
    const TModuleState stored = PatternedState(10, 5);
    TModuleFaults faults;
    faults.IgnoreLetters = "W";
    StartReadModule(stored, faults);
    // The delay condition was never read: it is not marked, whatever the page holds.
    TRelayPage& relay1 = *m_controller->RelayPage(1);
    EXPECT_FALSE(m_controller->RelayPage(1)->IsMarked(ConditionPlace(rcDelay, true)));
    relay1.ConditionGrid(rcDelay)->SetFocusCell(1, 0);
    QTest::keyClick(relay1.ConditionGrid(rcDelay), Qt::Key_Space);
    EXPECT_FALSE(relay1.IsMarked(ConditionPlace(rcDelay, true)));
    StepZoneCell(relay1, zeAlarm, 2);
    ASSERT_TRUE(relay1.IsMarked(ZonePlace(zeAlarm, 2)));

    // The relay is not known whole, so "Записать изменения" reads it again; the read fails, the
    // write does not start, and the marker stays.
    const std::size_t before = ReceivedCommands().size();
    m_errorWindows.clear();
    Run(&TMainWindow::WriteChangesToModule);
    EXPECT_EQ(m_errorWindows.size(), 1u);
    for (const std::string& command : CommandsAfter(ReceivedCommands(), before)) {
        EXPECT_EQ(command.find('='), std::string::npos) << command;
    }
    EXPECT_TRUE(relay1.IsMarked(ZonePlace(zeAlarm, 2)));
}

// The compare window lists each difference with all rows checked; only the rows left checked are
// written, in the order of "Записать всё", and the window says what went out.
TEST_F(UnwrittenTest, TheCompareWindowWritesOnlyTheCheckedRows) {
    const TModuleState stored = PatternedState(10, 5);
    StartModule(stored);
    StartTool();
    TModuleState pages = stored;
    pages.Relays[4].Duration = (stored.Relays[4].Duration + 7) % 256;
    pages.Relays[2].Zone(zeAlarm, 5) = (stored.Relays[2].Zone(zeAlarm, 5) + 1) % 5;
    pages.Relays[0].NoOf(rcPower) = (stored.Relays[0].NoOf(rcPower) + 1) % 5;
    SetPages(*m_controller, pages);
    ConnectToModule();
    const std::size_t atConnect = ReceivedCommands().size();

    std::vector<std::string> rows;
    std::size_t beforeWrite = 0;
    m_controller->RunCompareWindow = [&](TCompareWindow& window) {
        for (const TSettingsDifference& difference : window.CheckedDifferences()) {
            rows.push_back(difference.Page + ", " + difference.Row);
        }
        ASSERT_EQ(window.DifferenceTable->topLevelItemCount(), 3);
        window.DifferenceTable->topLevelItem(1)->setCheckState(0, Qt::Unchecked);
        beforeWrite = ReceivedCommands().size();
        window.ActionButton->click();
        EXPECT_NE(window.CountLabel->text().indexOf(QString::fromUtf8("Записано: 2")), -1)
            << window.CountLabel->text().toStdString();
    };
    Run(&TMainWindow::CompareWithModule);

    EXPECT_EQ(rows, (std::vector<std::string>{"Реле 1, Внешнее питание", "Реле 3, Зоны / Тревоги",
                                              "Реле 5, Импульс / Длительность"}));
    // The whole module was read for the comparison, then only the two checked values went out.
    EXPECT_EQ(beforeWrite, atConnect + kWholeReadCommands);
    const std::vector<std::string> written = CommandsAfter(ReceivedCommands(), beforeWrite);
    ASSERT_EQ(written.size(), 2u);
    EXPECT_EQ(written[0].substr(0, 7), "*10P00=");
    EXPECT_EQ(written[1].substr(0, 6), "*10T4=");
    TModuleState expected = pages;
    expected.Relays[2].Zone(zeAlarm, 5) = stored.Relays[2].Zone(zeAlarm, 5);
    EXPECT_EQ(m_module->Snapshot(), expected);
    EXPECT_EQ(PagesState(*m_controller), pages);
    EXPECT_EQ(m_controller->RelayPage(3)->UnwrittenCount(), 1);

    // A second comparison needs no read: the module is known; and the rest is still listed.
    const std::size_t known = ReceivedCommands().size();
    rows.clear();
    m_controller->RunCompareWindow = [&](TCompareWindow& window) {
        for (const TSettingsDifference& difference : window.CheckedDifferences()) {
            rows.push_back(difference.Page + ", " + difference.Row);
        }
    };
    Run(&TMainWindow::CompareWithModule);
    EXPECT_EQ(ReceivedCommands().size(), known);
    EXPECT_EQ(rows, std::vector<std::string>{"Реле 3, Зоны / Тревоги"});
}

TEST_F(UnwrittenTest, EqualModuleAndPagesAreSaidSoAndADoubleClickShowsTheCell) {
    const TModuleState stored = PatternedState(10, 5);
    StartReadModule(stored);
    bool checkable = true;
    QString count;
    m_controller->RunCompareWindow = [&](TCompareWindow& window) {
        checkable = !window.CheckedDifferences().empty() || window.ActionButton->isEnabled();
        count = window.CountLabel->text();
    };
    Run(&TMainWindow::CompareWithModule);
    EXPECT_FALSE(checkable);
    EXPECT_FALSE(count.contains(QString::fromUtf8("Строк")));

    m_controller->SelectPage(0);
    TRelayPage& relay4 = *m_controller->RelayPage(4);
    StepZoneCell(relay4, zeRestore, 9);
    relay4.ZoneGrid->SetFocusCell(1, 1);
    m_controller->SelectPage(0);
    m_controller->RunCompareWindow = [](TCompareWindow& window) {
        emit window.ShowPlaceRequested(window.CheckedDifferences().at(0));
    };
    Run(&TMainWindow::CompareWithModule);
    EXPECT_EQ(m_controller->CurrentPage(), &relay4);
    EXPECT_EQ(relay4.ZoneGrid->FocusCol(), 9);
    EXPECT_EQ(relay4.ZoneGrid->FocusRow(), static_cast<int>(zeRestore));
}

// "Сравнить с файлом…" lists where a file differs; the values checked are loaded as one step.
TEST_F(UnwrittenTest, ComparingWithAFileLoadsOnlyTheCheckedValuesAsOneStep) {
    StartModule();
    StartTool();
    const TModuleState pages = PatternedState(10, 3);
    SetPages(*m_controller, pages);
    TModuleState inFile = pages;
    inFile.Relays[1].Duration = (pages.Relays[1].Duration + 1) % 256;
    inFile.Relays[3].Partition(peArm, 7) = (pages.Relays[3].Partition(peArm, 7) + 1) % 5;
    inFile.Relays[4].YesOf(rcFire) = (pages.Relays[4].YesOf(rcFire) + 1) % 5;
    const std::string file = (Dir() / "other.txt").string();
    TModuleSettings fileSettings;
    fileSettings.Common.ObjectNumber = std::to_string(inFile.ObjectNumber);
    fileSettings.Relays = inFile.Relays;
    SaveModuleSettingsFile(file, fileSettings);
    m_main->RunFileDialog = [&](QFileDialog*) {
        return std::optional<QString>(QString::fromStdString(file));
    };

    std::vector<std::string> rows;
    m_controller->RunCompareWindow = [&](TCompareWindow& window) {
        EXPECT_TRUE(window.windowTitle().contains("other.txt"))
            << window.windowTitle().toStdString();
        for (const TSettingsDifference& difference : window.CheckedDifferences()) {
            rows.push_back(difference.Text("в файле"));
        }
        window.DifferenceTable->topLevelItem(0)->setCheckState(0, Qt::Unchecked);
        window.ActionButton->click();
    };
    Run(&TMainWindow::CompareWithFile);
    ASSERT_EQ(rows.size(), 3u);
    EXPECT_EQ(rows[0].rfind("Реле 2, Импульс / Длительность", 0), 0u) << rows[0];

    TModuleState expected = inFile;
    expected.Relays[1].Duration = pages.Relays[1].Duration;
    EXPECT_EQ(PagesState(*m_controller), expected);
    EXPECT_EQ(m_main->UndoAction->text(),
              QString::fromUtf8("&Отменить: Загрузить отмеченные из other.txt"));
    Run(&TMainWindow::UndoStep);
    EXPECT_EQ(PagesState(*m_controller), pages);
}
