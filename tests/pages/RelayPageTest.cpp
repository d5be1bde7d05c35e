// The relay page: click rules on real mouse events, the duration edit, pictures and persistence.
#include <gtest/gtest.h>

#include <QApplication>
#include <QClipboard>
#include <QTest>
#include <memory>

#include "PageTestSupport.h"
#include "ini/IniFile.h"
#include "model/RelaySettingsIni.h"
#include "pages/CommonPage.h"
#include "pages/RelayPage.h"

namespace {

class RelayPageTest : public ::testing::Test {
  protected:
    void SetUp() override {
        m_page.SetNumber(1);
        m_page.resize(820, 620);
        m_page.show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(&m_page));
    }

    static void Release(TDrawGrid* grid, int col, int row, Qt::MouseButton button) {
        QTest::mouseClick(grid, button, {}, grid->CellRect(col, row).center());
    }

    TRelayPage m_page;
};

TEST_F(RelayPageTest, StartsWithSwitchOnEverywhereAndDurationZero) {
    EXPECT_EQ(m_page.Settings(), [] {
        TRelaySettings s;
        s.Number = 1;
        return s;
    }());
    EXPECT_EQ(m_page.etDuration->text(), QStringLiteral("0"));
    for (int e = 1; e <= 3; ++e) {
        EXPECT_EQ(m_page.ZoneAll(static_cast<TZoneEvent>(e)), rrOn);
        EXPECT_EQ(m_page.PartitionAll(static_cast<TPartitionEvent>(e)), rrOn);
    }
    EXPECT_EQ(m_page.Name(), QStringLiteral("FormRelay"));
}

TEST_F(RelayPageTest, SetNumberTitlesThePage) {
    m_page.SetNumber(3);
    EXPECT_EQ(m_page.Settings().Number, 3);
    EXPECT_EQ(m_page.Caption(), QString::fromUtf8("Реле 3"));
    EXPECT_EQ(m_page.RelayGroup->title(), QString::fromUtf8("Реле 3"));
    // The section follows the number, whatever other pages live or were numbered before.
    TRelayPage other;
    EXPECT_EQ(other.Name(), QStringLiteral("FormRelay"));
    for (const auto& [number, section] :
         {std::pair{1, "FormRelay"}, std::pair{2, "FormRelay_1"}, std::pair{5, "FormRelay_4"}}) {
        other.SetNumber(number);
        EXPECT_EQ(other.Name(), QString::fromLatin1(section));
    }
    EXPECT_EQ(m_page.Name(), QStringLiteral("FormRelay_2"));
}

TEST_F(RelayPageTest, ACellClickStepsItsCodeAndRepaintsOnlyThatCell) {
    // The cell is the focus cell already, so that the click moves no focus frame.
    m_page.ZoneGrid->SetFocusCell(5, 1);
    m_page.ZoneGrid->setFocus();
    QApplication::processEvents();
    TPaintRecorder painted(m_page.ZoneGrid);
    Release(m_page.ZoneGrid, 5, 1, Qt::LeftButton);
    EXPECT_EQ(m_page.Settings().Zone(zeAlarm, 5), rrOnTimed);
    QApplication::processEvents();
    EXPECT_EQ(painted.Painted.boundingRect(), m_page.ZoneGrid->CellRect(5, 1));
    Release(m_page.ZoneGrid, 5, 1, Qt::RightButton);
    EXPECT_EQ(m_page.Settings().Zone(zeAlarm, 5), rrOn);
    Release(m_page.ZoneGrid, 5, 1, Qt::RightButton);
    EXPECT_EQ(m_page.Settings().Zone(zeAlarm, 5), rrNone);
    Release(m_page.ZoneGrid, 5, 1, Qt::MiddleButton);
    EXPECT_EQ(m_page.Settings().Zone(zeAlarm, 5), rrOn);
    Release(m_page.PartitionGrid, 16, 3, Qt::LeftButton);
    EXPECT_EQ(m_page.Settings().Partition(peAlarm, 16), rrOnTimed);
    EXPECT_EQ(m_page.Settings().Partition(peAlarm, 15), rrOn);
}

TEST_F(RelayPageTest, TheAllCellFillsItsRow) {
    Release(m_page.ZoneGrid, 17, 3, Qt::RightButton);
    EXPECT_EQ(m_page.ZoneAll(zeFault), rrNone);
    for (int n = 1; n <= 16; ++n) {
        EXPECT_EQ(m_page.Settings().Zone(zeFault, n), rrNone);
        EXPECT_EQ(m_page.Settings().Zone(zeRestore, n), rrOn);
    }
    Release(m_page.PartitionGrid, 1, 1, Qt::LeftButton);
    Release(m_page.PartitionGrid, 17, 1, Qt::LeftButton);
    EXPECT_EQ(m_page.PartitionAll(peArm), rrOnTimed);
    for (int n = 1; n <= 16; ++n) {
        EXPECT_EQ(m_page.Settings().Partition(peArm, n), rrOnTimed);
    }
}

TEST_F(RelayPageTest, HeaderCaptionAndOutsideClicksChangeNothing) {
    const TRelaySettings before = m_page.Settings();
    for (TDrawGrid* grid : {m_page.ZoneGrid, m_page.PartitionGrid}) {
        for (auto [col, row] : {std::pair{17, 0}, {3, 0}, {0, 0}, {0, 2}}) {
            for (auto button : {Qt::LeftButton, Qt::RightButton}) {
                Release(grid, col, row, button);
            }
        }
        QTest::mouseClick(grid, Qt::LeftButton, {}, QPoint(grid->width() - 1, 5));
    }
    Release(m_page.ConditionGrid(rcFire), 0, 0, Qt::LeftButton);
    Release(m_page.ConditionGrid(rcFire), 0, 1, Qt::RightButton);
    EXPECT_EQ(m_page.Settings(), before);
    EXPECT_EQ(m_page.ZoneAll(zeAlarm), rrOn);
}

TEST_F(RelayPageTest, EveryButtonStepsAConditionForward) {
    struct TCase {
        TDrawGrid* Grid;
        TRelayCondition Condition;
    } const cases[] = {{m_page.ConditionGrid(rcPanelLink), rcPanelLink},
                       {m_page.ConditionGrid(rcJournal), rcJournal},
                       {m_page.ConditionGrid(rcPower), rcPower},
                       {m_page.ConditionGrid(rcFire), rcFire},
                       {m_page.ConditionGrid(rcDelay), rcDelay}};
    for (const auto& c : cases) {
        Release(c.Grid, 1, 1, Qt::RightButton);
        Release(c.Grid, 1, 1, Qt::LeftButton);
        Release(c.Grid, 1, 0, Qt::MiddleButton);
        EXPECT_EQ(m_page.Settings().NoOf(c.Condition), rrOff) << c.Grid->objectName().toStdString();
        EXPECT_EQ(m_page.Settings().YesOf(c.Condition), rrOnTimed)
            << c.Grid->objectName().toStdString();
    }
}

TEST_F(RelayPageTest, OddCodesFromAFileShowNoReactionAndStepOnward) {
    m_page.Settings().Zone(zeAlarm, 1) = 7;
    m_page.Settings().Zone(zeAlarm, 2) = -1;
    m_page.Settings().Zone(zeAlarm, 3) = 7;
    Release(m_page.ZoneGrid, 1, 1, Qt::LeftButton);
    Release(m_page.ZoneGrid, 2, 1, Qt::RightButton);
    Release(m_page.ZoneGrid, 3, 1, Qt::RightButton);
    EXPECT_EQ(m_page.Settings().Zone(zeAlarm, 1), rrOn);
    EXPECT_EQ(m_page.Settings().Zone(zeAlarm, 2), rrNone);
    EXPECT_EQ(m_page.Settings().Zone(zeAlarm, 3), 6);
}

TEST_F(RelayPageTest, EachCodeHasItsPictureAndOddCodesTheNoReactionOne) {
    for (TRelayReaction a = rrOn; a <= rrNone; ++a) {
        EXPECT_EQ(m_page.ReactionPicture(a).size(), QSize(23, 23));
        EXPECT_EQ(m_page.ReactionPicture(a).pixel(0, 0), qRgb(255, 0, 255));
        for (TRelayReaction b = a + 1; b <= rrNone; ++b) {
            EXPECT_NE(m_page.ReactionPicture(a), m_page.ReactionPicture(b)) << a << " " << b;
        }
    }
    for (TRelayReaction odd : {5, 7, -1, 1000}) {
        EXPECT_EQ(m_page.ReactionPicture(odd), m_page.ReactionPicture(rrNone)) << odd;
    }
}

TEST_F(RelayPageTest, AllCaptionColumnsShareOneWidth) {
    const int width = m_page.ZoneGrid->ColWidth(0);
    EXPECT_GT(width, 15);
    for (TDrawGrid* grid : {m_page.PartitionGrid, m_page.ConditionGrid(rcPanelLink),
                            m_page.ConditionGrid(rcJournal), m_page.ConditionGrid(rcPower),
                            m_page.ConditionGrid(rcFire), m_page.ConditionGrid(rcDelay)}) {
        EXPECT_EQ(grid->ColWidth(0), width);
    }
}

TEST_F(RelayPageTest, DurationTakesDigitsOnlyAndStaysWithin0To255) {
    TEdit* edit = m_page.etDuration;
    edit->selectAll();
    QTest::keyClicks(edit, QStringLiteral("999"));
    EXPECT_EQ(edit->text(), QStringLiteral("255"));
    EXPECT_EQ(m_page.Settings().Duration, 255);
    edit->end(false);
    for (int i = 0; i < 3; ++i) {
        QTest::keyClick(edit, Qt::Key_Backspace);
    }
    EXPECT_EQ(edit->text(), QStringLiteral("0"));
    QTest::keyClicks(edit, QStringLiteral("x-y4 "));
    EXPECT_EQ(edit->text(), QStringLiteral("4"));
    struct TCase {
        const char* Set;
        const char* Shown;
    } const cases[] = {{"007", "7"}, {"300", "255"}, {"", "0"}, {"abc", "0"}, {"-5", "0"}};
    for (const auto& c : cases) {
        edit->setText(QString::fromLatin1(c.Set));
        EXPECT_EQ(edit->text(), QString::fromLatin1(c.Shown)) << "set '" << c.Set << "'";
        EXPECT_EQ(m_page.Settings().Duration, edit->text().toInt());
    }
}

// Typed keys were filtered before; pasted or dropped text went in whole. Now the edits of both
// pages take digits only however the text arrives.
TEST_F(RelayPageTest, NumberEditsTakeOnlyDigitsHoweverTheTextArrives) {
    TCommonPage common;
    for (TEdit* edit : {m_page.etDuration, common.etO}) {
        SCOPED_TRACE(edit->objectName().toStdString());
        edit->selectAll();
        edit->insert(QStringLiteral("1a"));
        EXPECT_FALSE(edit->text().contains('a'));
        QApplication::clipboard()->setText(QStringLiteral("x5"));
        edit->selectAll();
        edit->paste();
        EXPECT_FALSE(edit->text().contains('x'));
        edit->selectAll();
        edit->insert(QStringLiteral("12"));
        EXPECT_EQ(edit->text(), QStringLiteral("12"));
    }
}

// The number edits' key filter once swallowed Ctrl+A, Ctrl+C, Ctrl+X and Ctrl+V as characters
// that are no digits; they are the edit's commands, and a paste still takes digits only.
TEST_F(RelayPageTest, NumberEditsSelectCopyCutAndPasteByKeys) {
    TCommonPage common;
    struct TCase {
        TEdit* Edit;
        const char* AfterCut;  // the duration's change handler turns an empty text into 0
    } const cases[] = {{m_page.etDuration, "0"}, {common.etO, ""}};
    QClipboard* clipboard = QApplication::clipboard();
    for (const TCase& c : cases) {
        SCOPED_TRACE(c.Edit->objectName().toStdString());
        c.Edit->setText(QStringLiteral("12"));
        c.Edit->end(false);
        QTest::keyClick(c.Edit, Qt::Key_A, Qt::ControlModifier);
        EXPECT_EQ(c.Edit->selectedText(), QStringLiteral("12"));
        clipboard->clear();
        QTest::keyClick(c.Edit, Qt::Key_C, Qt::ControlModifier);
        EXPECT_EQ(clipboard->text(), QStringLiteral("12"));
        EXPECT_EQ(c.Edit->text(), QStringLiteral("12"));
        clipboard->clear();
        QTest::keyClick(c.Edit, Qt::Key_X, Qt::ControlModifier);
        EXPECT_EQ(clipboard->text(), QStringLiteral("12"));
        EXPECT_EQ(c.Edit->text(), QString::fromLatin1(c.AfterCut));

        clipboard->setText(QStringLiteral("34"));
        QTest::keyClick(c.Edit, Qt::Key_A, Qt::ControlModifier);
        QTest::keyClick(c.Edit, Qt::Key_V, Qt::ControlModifier);
        EXPECT_EQ(c.Edit->text(), QStringLiteral("34"));
        clipboard->setText(QStringLiteral("5x"));
        QTest::keyClick(c.Edit, Qt::Key_A, Qt::ControlModifier);
        QTest::keyClick(c.Edit, Qt::Key_V, Qt::ControlModifier);
        EXPECT_EQ(c.Edit->text(), QStringLiteral("34"));
    }
}

TEST_F(RelayPageTest, DefaultsAndClearTouchOnlyTheDuration) {
    m_page.etDuration->setText(QStringLiteral("12"));
    m_page.Settings().Zone(zeFault, 4) = rrOff;
    const TRelaySettings tables = m_page.Settings();
    m_page.SetDefaults();
    EXPECT_EQ(m_page.etDuration->text(), QStringLiteral("0"));
    m_page.etDuration->setText(QStringLiteral("12"));
    m_page.Clear();
    EXPECT_EQ(m_page.etDuration->text(), QStringLiteral("0"));
    m_page.ClearMarks();
    TRelaySettings expected = tables;
    expected.Duration = 0;
    EXPECT_EQ(m_page.Settings(), expected);
}

}  // namespace
