// The compare window: its rows and pictures, the checks that choose what to write or load, the
// requests it makes of the forms controller, and the results shown after the action.
#include <gtest/gtest.h>

#include <QApplication>
#include <QHeaderView>
#include <QSignalSpy>
#include <QTest>
#include <QTimer>

#include <functional>
#include <optional>
#include <ostream>
#include <string>
#include <vector>

#include "model/RelaySettingsIni.h"
#include "shell/CompareWindow.h"
#include "widgets/ReactionPictures.h"

// Failures name the difference rather than dump its bytes.
void PrintTo(const TSettingsDifference& difference, std::ostream* out) {
    *out << difference.Page << ", " << difference.Row << ", " << difference.Column << ": "
         << difference.ModuleValue << " / " << difference.PagesValue;
}

namespace {

enum TColumn : int { kPage, kPlace, kSource, kPages, kResult };

// Two reaction cells, the duration and an object number left blank on the pages.
std::vector<TSettingsDifference> Differences() {
    return {
        {"Реле 3", "Зоны / Тревоги", "5", "Включение", "Выключение", "FormRelay_3", "Z15", rrOn,
         rrOff},
        {"Реле 3", "Импульс / Длительность", "", "10", "25", "FormRelay_3", kDurationKey,
         std::nullopt, std::nullopt},
        {"Реле 1", "Режим", "Пустой журнал", "Без реакции", "Включение с частотой 1 Гц",
         "FormRelay_1", "Yes2", rrNone, rrOn1Hz},
        {"Общие", "Номер объекта", "", "01", "", kCommonSectionName, kObjectNumberKey, std::nullopt,
         std::nullopt},
    };
}

std::vector<TSettingsDifference> Pick(const std::vector<int>& rows) {
    const std::vector<TSettingsDifference> all = Differences();
    std::vector<TSettingsDifference> picked;
    for (int row : rows) {
        picked.push_back(all.at(row));
    }
    return picked;
}

QTreeWidgetItem* Row(const TCompareWindow& window, int row) {
    return window.DifferenceTable->topLevelItem(row);
}

QImage Picture(const QIcon& icon) {
    return icon.pixmap(QSize(kPictureSize, kPictureSize), 1.0)
        .toImage()
        .convertToFormat(QImage::Format_ARGB32);
}

// A double-click as the mouse makes it: the view takes the second press as a double-click only
// after a first press on the same cell.
void DoubleClick(QTreeWidget& table, const QTreeWidgetItem& item) {
    const QPoint centre = table.visualItemRect(&item).center();
    QTest::mouseClick(table.viewport(), Qt::LeftButton, {}, centre);
    QTest::mouseDClick(table.viewport(), Qt::LeftButton, {}, centre);
    QTest::mouseRelease(table.viewport(), Qt::LeftButton, {}, centre);
}

class CompareWindowTest : public testing::Test {
  protected:
    CompareWindowTest() : window(TCompareSource::Module, QString()) {
        window.SetDifferences(Differences());
        QObject::connect(&window, &TCompareWindow::ShowPlaceRequested,
                         [this](const TSettingsDifference& d) { placesAsked.push_back(d); });
    }

    void SetChecked(int row, bool checked) {
        Row(window, row)->setCheckState(kPage, checked ? Qt::Checked : Qt::Unchecked);
    }

    void ShowAndWait() {
        window.show();
        window.activateWindow();
        ASSERT_TRUE(QTest::qWaitForWindowActive(&window));
    }

    TCompareWindow window;
    std::vector<TSettingsDifference> placesAsked;
};

TEST_F(CompareWindowTest, ListsEachDifferenceWithItsPlaceItsValuesAndTheReactionPictures) {
    EXPECT_EQ(window.windowTitle(), QString::fromUtf8("Сравнение с модулем"));
    const QTreeWidgetItem* header = window.DifferenceTable->headerItem();
    const QStringList headings = {"Страница", "Место", "В модуле", "На страницах", "Результат"};
    ASSERT_EQ(window.DifferenceTable->columnCount(), headings.size());
    for (int column = 0; column < headings.size(); ++column) {
        EXPECT_EQ(header->text(column), headings[column]);
    }
    EXPECT_EQ(window.ActionButton->text(), QString::fromUtf8("Записать отмеченные"));
    EXPECT_EQ(window.DifferenceTable->accessibleName(), QString::fromUtf8("Различия"));
    for (const QPushButton* button : {window.ActionButton, window.CheckAllButton,
                                      window.UncheckAllButton, window.CloseButton}) {
        EXPECT_EQ(button->accessibleName(), button->text());
    }

    const struct {
        const char* Page;
        const char* Place;
        const char* Source;
        const char* Pages;
        std::optional<TRelayReaction> SourceCode;
        std::optional<TRelayReaction> PagesCode;
    } rows[] = {
        {"Реле 3", "Зоны / Тревоги, 5", "Включение", "Выключение", rrOn, rrOff},
        {"Реле 3", "Импульс / Длительность", "10", "25", std::nullopt, std::nullopt},
        {"Реле 1", "Режим, Пустой журнал", "Без реакции", "Включение с частотой 1 Гц", rrNone,
         rrOn1Hz},
        {"Общие", "Номер объекта", "01", "(пусто)", std::nullopt, std::nullopt},
    };
    ASSERT_EQ(window.DifferenceTable->topLevelItemCount(), std::size(rows));
    for (int n = 0; n < static_cast<int>(std::size(rows)); ++n) {
        SCOPED_TRACE(n);
        const QTreeWidgetItem* item = Row(window, n);
        EXPECT_EQ(item->text(kPage), QString::fromUtf8(rows[n].Page));
        EXPECT_EQ(item->text(kPlace), QString::fromUtf8(rows[n].Place));
        EXPECT_EQ(item->text(kSource), QString::fromUtf8(rows[n].Source));
        EXPECT_EQ(item->text(kPages), QString::fromUtf8(rows[n].Pages));
        EXPECT_EQ(item->text(kResult), QString());
        const std::pair<int, std::optional<TRelayReaction>> cells[] = {
            {kSource, rows[n].SourceCode}, {kPages, rows[n].PagesCode}};
        for (const auto& [column, code] : cells) {
            ASSERT_EQ(item->icon(column).isNull(), !code.has_value()) << column;
            if (code.has_value()) {
                EXPECT_EQ(
                    Picture(item->icon(column)),
                    ReactionPixmap(*code, 1.0).toImage().convertToFormat(QImage::Format_ARGB32))
                    << column;
            }
        }
    }
}

// Unchecked rows drop out of what the action takes, and the count and the button follow.
TEST_F(CompareWindowTest, EveryRowStartsCheckedAndTheChecksChooseTheRowsTheActionTakes) {
    EXPECT_EQ(window.CheckedDifferences(), Differences());
    EXPECT_EQ(window.CountLabel->text(), QString::fromUtf8("Различий: 4, отмечено: 4"));
    EXPECT_TRUE(window.ActionButton->isEnabled());

    SetChecked(1, false);
    EXPECT_EQ(window.CheckedDifferences(), Pick({0, 2, 3}));
    const TModuleValueSet places = window.CheckedPlaces();
    EXPECT_EQ(places.Size(), 3U);
    EXPECT_TRUE(places.Contains("FormRelay_3", "Z15"));
    EXPECT_FALSE(places.Contains("FormRelay_3", kDurationKey));
    EXPECT_TRUE(places.Contains("FormRelay_1", "Yes2"));
    EXPECT_TRUE(places.Contains(kCommonSectionName, kObjectNumberKey));
    EXPECT_EQ(window.CountLabel->text(), QString::fromUtf8("Различий: 4, отмечено: 3"));

    for (int row : {0, 2, 3}) {
        SetChecked(row, false);
    }
    EXPECT_TRUE(window.CheckedDifferences().empty());
    EXPECT_TRUE(window.CheckedPlaces().Empty());
    EXPECT_EQ(window.CountLabel->text(), QString::fromUtf8("Различий: 4, отмечено: 0"));
    EXPECT_FALSE(window.ActionButton->isEnabled());

    SetChecked(3, true);
    EXPECT_EQ(window.CheckedDifferences(), Pick({3}));
    EXPECT_TRUE(window.ActionButton->isEnabled());
}

TEST_F(CompareWindowTest, CheckAllAndUncheckAllSetEveryRow) {
    SetChecked(0, false);
    window.UncheckAllButton->click();
    EXPECT_TRUE(window.CheckedDifferences().empty());
    EXPECT_FALSE(window.ActionButton->isEnabled());
    EXPECT_EQ(window.CountLabel->text(), QString::fromUtf8("Различий: 4, отмечено: 0"));

    window.CheckAllButton->click();
    EXPECT_EQ(window.CheckedDifferences(), Differences());
    EXPECT_TRUE(window.ActionButton->isEnabled());
    EXPECT_EQ(window.CountLabel->text(), QString::fromUtf8("Различий: 4, отмечено: 4"));
}

// The focus may sit on any cell of the row: Space still toggles the row's check.
TEST_F(CompareWindowTest, SpaceTogglesTheCurrentRowsCheck) {
    ShowAndWait();
    window.DifferenceTable->setFocus();
    // The keyboard starts on the first row.
    QTest::keyClick(window.DifferenceTable, Qt::Key_Space);
    EXPECT_EQ(window.CheckedDifferences(), Pick({1, 2, 3}));
    QTest::keyClick(window.DifferenceTable, Qt::Key_Space);
    for (int column : {kPage, kPages}) {
        SCOPED_TRACE(column);
        window.DifferenceTable->setCurrentItem(Row(window, 2), column);
        QTest::keyClick(window.DifferenceTable, Qt::Key_Space);
        EXPECT_EQ(window.CheckedDifferences(), Pick({0, 1, 3}));
        QTest::keyClick(window.DifferenceTable, Qt::Key_Space);
        EXPECT_EQ(window.CheckedDifferences(), Differences());
    }
}

// The controller may run the window with exec(): the action must reach it all the same.
TEST_F(CompareWindowTest, TheActionButtonAsksForTheActionAlsoWhileTheWindowRunsModal) {
    QSignalSpy action(&window, &TCompareWindow::ActionRequested);
    QTimer::singleShot(0, &window, [this] {
        window.ActionButton->click();
        window.CloseButton->click();
    });
    window.exec();
    EXPECT_EQ(action.count(), 1);
    EXPECT_FALSE(window.isVisible());
}

// Double-click and Enter on a row ask to show its place; Enter stays with the table, so it never
// presses one of the window's buttons.
TEST_F(CompareWindowTest, DoubleClickAndEnterOnARowAskToShowItsPlace) {
    ShowAndWait();
    QSignalSpy finished(&window, &QDialog::finished);
    const struct {
        const char* Name;
        int Row;
        std::function<void(QTreeWidget&, QTreeWidgetItem&)> Gesture;
    } cases[] = {
        {"double-click", 2,
         [](QTreeWidget& table, QTreeWidgetItem& item) { DoubleClick(table, item); }},
        {"Return", 1,
         [](QTreeWidget& table, QTreeWidgetItem& item) {
             table.setCurrentItem(&item, kSource);
             QTest::keyClick(&table, Qt::Key_Return);
         }},
        {"Enter", 3,
         [](QTreeWidget& table, QTreeWidgetItem& item) {
             table.setCurrentItem(&item);
             QTest::keyClick(&table, Qt::Key_Enter, Qt::KeypadModifier);
         }},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.Name);
        placesAsked.clear();
        window.DifferenceTable->setFocus();
        c.Gesture(*window.DifferenceTable, *Row(window, c.Row));
        EXPECT_EQ(placesAsked, Pick({c.Row}));
        EXPECT_EQ(window.CheckedDifferences(), Differences());
    }
    EXPECT_TRUE(window.isVisible());
    EXPECT_EQ(finished.count(), 0);
}

// With nothing to write, the window says so in one line that is no row: nothing to check, write
// or show, and the count does not count the sentence.
TEST_F(CompareWindowTest, WithoutDifferencesOneLineSaysSoAndNothingCanBeChosen) {
    const struct {
        TCompareSource Source;
        const char* Line;
    } cases[] = {
        {TCompareSource::Module, "Модуль и страницы совпадают"},
        {TCompareSource::File, "Файл и страницы совпадают"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.Line);
        TCompareWindow same(c.Source, "a.ini");
        same.SetDifferences({});
        std::vector<TSettingsDifference> asked;
        QObject::connect(&same, &TCompareWindow::ShowPlaceRequested,
                         [&asked](const TSettingsDifference& d) { asked.push_back(d); });
        same.show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(&same));

        ASSERT_EQ(same.DifferenceTable->topLevelItemCount(), 1);
        QTreeWidgetItem* line = same.DifferenceTable->topLevelItem(0);
        EXPECT_EQ(line->text(kPage), QString::fromUtf8(c.Line));
        EXPECT_FALSE(line->flags() & Qt::ItemIsUserCheckable);
        EXPECT_FALSE(line->data(kPage, Qt::CheckStateRole).isValid());
        EXPECT_EQ(same.CountLabel->text(), QString::fromUtf8("Различий нет"));
        EXPECT_FALSE(same.ActionButton->isEnabled());
        same.CheckAllButton->click();
        EXPECT_TRUE(same.CheckedDifferences().empty());
        EXPECT_TRUE(same.CheckedPlaces().Empty());
        EXPECT_FALSE(same.ActionButton->isEnabled());

        DoubleClick(*same.DifferenceTable, *line);
        same.DifferenceTable->setCurrentItem(line);
        QTest::keyClick(same.DifferenceTable, Qt::Key_Return);
        EXPECT_TRUE(asked.empty());
    }
}

TEST_F(CompareWindowTest, AFileNamesItselfInTheTitleTheValueColumnAndTheAction) {
    TCompareWindow file(TCompareSource::File, "relays.ini");
    file.SetDifferences(Differences());
    EXPECT_EQ(file.windowTitle(), QString::fromUtf8("Сравнение с файлом relays.ini"));
    EXPECT_EQ(file.DifferenceTable->headerItem()->text(kSource), QString::fromUtf8("В файле"));
    EXPECT_EQ(file.ActionButton->text(), QString::fromUtf8("Загрузить отмеченные"));
    EXPECT_EQ(file.ActionButton->accessibleName(), file.ActionButton->text());
}

// Each row the action took says how it went; a row it did not take says nothing. The summary
// stands in the count line until a check changes.
TEST_F(CompareWindowTest, ResultsFillTheResultColumnAndTheSummary) {
    const struct {
        TCompareSource Source;
        const char* Done;
        const char* Failed;
        const char* Summary;
    } cases[] = {
        {TCompareSource::Module, "записано", "не записано", "Записано: 2, не записано: 1"},
        {TCompareSource::File, "загружено", "не загружено", "Загружено: 2, не загружено: 1"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.Summary);
        TCompareWindow results(c.Source, "a.ini");
        results.SetDifferences(Differences());
        results.show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(&results));
        results.DifferenceTable->topLevelItem(3)->setCheckState(kPage, Qt::Unchecked);
        TModuleValueSet done;
        done.Add("FormRelay_3", "Z15");
        done.Add(kCommonSectionName, kDurationKey);  // no row of the list
        done.Add("FormRelay_1", "Yes2");
        TModuleValueSet failed;
        failed.Add("FormRelay_3", kDurationKey);
        results.ShowResults(done, failed);

        const QString expected[] = {QString::fromUtf8(c.Done), QString::fromUtf8(c.Failed),
                                    QString::fromUtf8(c.Done), QString()};
        for (int row = 0; row < 4; ++row) {
            const QTreeWidgetItem* item = results.DifferenceTable->topLevelItem(row);
            EXPECT_EQ(item->text(kResult), expected[row]) << row;
            EXPECT_GE(results.DifferenceTable->columnWidth(kResult),
                      QFontMetrics(results.DifferenceTable->font())
                          .horizontalAdvance(item->text(kResult)))
                << row;
        }
        EXPECT_EQ(results.CountLabel->text(), QString::fromUtf8(c.Summary));
        EXPECT_EQ(results.CheckedDifferences(), Pick({0, 1, 2}));
        EXPECT_TRUE(results.ActionButton->isEnabled());

        results.DifferenceTable->topLevelItem(0)->setCheckState(kPage, Qt::Unchecked);
        EXPECT_EQ(results.CountLabel->text(), QString::fromUtf8("Различий: 4, отмечено: 2"));
        EXPECT_EQ(results.DifferenceTable->topLevelItem(0)->text(kResult),
                  QString::fromUtf8(c.Done));

        results.SetDifferences(Differences());
        EXPECT_EQ(results.DifferenceTable->topLevelItem(0)->text(kResult), QString());
        EXPECT_EQ(results.CheckedDifferences(), Differences());
    }
}

// The window opens wide enough to show every column whole, the place column taking what is left.
TEST_F(CompareWindowTest, OpensWithEveryColumnWhole) {
    ShowAndWait();
    QApplication::processEvents();
    const QTreeWidget& table = *window.DifferenceTable;
    const QAbstractItemView& view = table;
    for (int column = 0; column < table.columnCount(); ++column) {
        EXPECT_GE(table.columnWidth(column), view.sizeHintForColumn(column)) << column;
    }
    EXPECT_EQ(table.header()->sectionResizeMode(kPlace), QHeaderView::Stretch);
    EXPECT_EQ(table.header()->length(), table.viewport()->width());
}

}  // namespace
