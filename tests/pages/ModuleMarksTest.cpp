// The marker of values the module does not hold yet: which cells and edits wear it, what their
// tooltips and descriptions say, and where its pixels fall.
#include <gtest/gtest.h>

#include <QAccessible>
#include <QApplication>
#include <QPainter>
#include <QTest>
#include <optional>
#include <string>

#include "RelayPageGrids.h"
#include "model/SettingsHistory.h"
#include "pages/CommonPage.h"
#include "pages/RelayPage.h"
#include "widgets/DrawGridAccessible.h"
#include "widgets/UnwrittenMarker.h"

namespace {

QString U(const char* utf8) {
    return QString::fromUtf8(utf8);
}

using TPlaces = std::bitset<kRelayValueCount>;

constexpr int kAll = kTableWidth + 1;

QString Description(QWidget* widget) {
    return QAccessible::queryAccessibleInterface(widget)->text(QAccessible::Description);
}

class ModuleMarksTest : public ::testing::Test {
  protected:
    void SetUp() override {
        m_page.SetNumber(2);
        m_page.resize(m_page.ScrolledContent()->minimumSize() + QSize(4, 4));
        m_page.show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(&m_page));
    }

    std::vector<TDrawGrid*> Grids() const { return RelayPageGrids(m_page); }

    static QString CellNote(TDrawGrid* grid, int col, int row) {
        return DrawGridCellInterface(grid, col, row)->text(QAccessible::Description);
    }

    // Every cell of every grid whose accessible description is not empty, as "grid col row".
    std::vector<std::string> NotedCells() const {
        std::vector<std::string> noted;
        for (TDrawGrid* grid : Grids()) {
            for (int row = 0; row < grid->RowCount(); ++row) {
                for (int col = 0; col < grid->ColCount(); ++col) {
                    if (!CellNote(grid, col, row).isEmpty()) {
                        noted.push_back(grid->objectName().toStdString() + " " +
                                        std::to_string(col) + " " + std::to_string(row));
                    }
                }
            }
        }
        return noted;
    }

    // The module's values: the page's own with `code` at every place but the duration, which is
    // `duration`.
    TRelaySettings ModuleWith(TRelayReaction code, int duration) const {
        TRelaySettings module = m_page.Settings();
        for (int place = 1; place < kRelayValueCount; ++place) {
            RelayValueAt(module, place) = code;
        }
        module.Duration = duration;
        return module;
    }

    TRelayPage m_page;
};

// One cell of each kind of grid: known and different, it is marked with the module's value as its
// note, and only it; a step onto the module's value unmarks it, a step away marks it again.
TEST_F(ModuleMarksTest, AMarkFollowsTheCellsValue) {
    struct TCase {
        TDrawGrid* Grid;
        int Col;
        int Row;
        int Place;
        bool ByKey;
    } const cases[] = {
        {m_page.ZoneGrid, 5, 1, 5, false},
        {m_page.ZoneGrid, 16, 3, 48, true},
        {m_page.PartitionGrid, 1, 1, 49, true},
        {m_page.PartitionGrid, 16, 3, 96, false},
        {m_page.ConditionGrid(rcPanelLink), 1, 0, 97, false},
        {m_page.ConditionGrid(rcFire), 1, 0, 100, true},
        {m_page.ConditionGrid(rcPanelLink), 1, 1, 102, true},
        {m_page.ConditionGrid(rcDelay), 1, 1, 106, false},
    };
    const auto step = [&](const TCase& c) {
        if (c.ByKey) {
            c.Grid->setFocus();
            c.Grid->SetFocusCell(c.Col, c.Row);
            QTest::keyClick(c.Grid, Qt::Key_Space);
        } else {
            QTest::mouseClick(c.Grid, Qt::LeftButton, {}, c.Grid->CellRect(c.Col, c.Row).center());
        }
    };
    for (const TCase& c : cases) {
        SCOPED_TRACE(c.Grid->objectName().toStdString() + " " + std::to_string(c.Col) + " " +
                     std::to_string(c.Row));
        m_page.ShowSettings(TRelaySettings{.Number = 2});
        TRelaySettings module = m_page.Settings();
        RelayValueAt(module, c.Place) = rrOnTimed;
        TPlaces known;
        known.set(c.Place);
        m_page.ShowModuleValues(module, known);
        EXPECT_TRUE(m_page.IsMarked(c.Place));
        EXPECT_EQ(m_page.UnwrittenCount(), 1);
        EXPECT_EQ(CellNote(c.Grid, c.Col, c.Row), U("в модуле: Включение на время"));
        const std::string name = c.Grid->objectName().toStdString() + " " + std::to_string(c.Col) +
                                 " " + std::to_string(c.Row);
        EXPECT_EQ(NotedCells(), std::vector<std::string>{name});

        step(c);  // onto the module's value
        EXPECT_FALSE(m_page.IsMarked(c.Place));
        EXPECT_EQ(m_page.UnwrittenCount(), 0);
        EXPECT_EQ(CellNote(c.Grid, c.Col, c.Row), QString());
        step(c);  // and away from it
        EXPECT_TRUE(m_page.IsMarked(c.Place));
        EXPECT_EQ(m_page.UnwrittenCount(), 1);
        EXPECT_EQ(CellNote(c.Grid, c.Col, c.Row), U("в модуле: Включение на время"));
    }
}

// A place is marked only while it is known and differs; the caption, header and "Все" cells never
// are, whatever is known.
TEST_F(ModuleMarksTest, OnlyKnownPlacesThatDifferAreMarked) {
    TPlaces even;
    for (int place = 0; place < kRelayValueCount; place += 2) {
        even.set(place);
    }
    struct TCase {
        const char* What;
        TPlaces Known;
        TRelayReaction Code;
        int Duration;
        int Marked;
    } const cases[] = {
        {"nothing known", TPlaces(), rrOff, 9, 0},
        {"all known, all the same", TPlaces().set(), rrOn, 0, 0},
        {"all known, all different", TPlaces().set(), rrOff, 9, kRelayValueCount},
        {"every other place known", even, rrOff, 9, (kRelayValueCount + 1) / 2},
        {"all known, only the duration differs", TPlaces().set(), rrOn, 9, 1},
    };
    for (const TCase& c : cases) {
        SCOPED_TRACE(c.What);
        m_page.ShowModuleValues(ModuleWith(c.Code, c.Duration), c.Known);
        EXPECT_EQ(m_page.UnwrittenCount(), c.Marked);
        int marked = 0;
        for (int place = 0; place < kRelayValueCount; ++place) {
            marked += m_page.IsMarked(place) ? 1 : 0;
            EXPECT_TRUE(!m_page.IsMarked(place) || c.Known.test(place)) << place;
        }
        EXPECT_EQ(marked, c.Marked);
        EXPECT_EQ(NotedCells().size(),
                  static_cast<std::size_t>(c.Marked - (m_page.IsMarked(0) ? 1 : 0)));
        for (TDrawGrid* grid : Grids()) {
            for (int row = 0; row < grid->RowCount(); ++row) {
                EXPECT_EQ(CellNote(grid, 0, row), QString()) << row;
            }
        }
        for (TDrawGrid* grid : {m_page.ZoneGrid, m_page.PartitionGrid}) {
            for (int col = 0; col < grid->ColCount(); ++col) {
                EXPECT_EQ(CellNote(grid, col, 0), QString()) << col;
            }
            for (int row = 0; row < grid->RowCount(); ++row) {
                EXPECT_EQ(CellNote(grid, kAll, row), QString()) << row;
            }
        }
    }
    m_page.ForgetModuleValues();
    EXPECT_EQ(m_page.UnwrittenCount(), 0);
    EXPECT_TRUE(NotedCells().empty());
    EXPECT_FALSE(m_page.DurationMarker->IsMarked());
}

// "Все" fills its row with the module's values and so takes the row's marks away.
TEST_F(ModuleMarksTest, FillingARowWithTheModulesValueUnmarksIt) {
    TRelaySettings module = m_page.Settings();
    module.ZoneRow(zeRestore).fill(rrOnTimed);
    m_page.ShowModuleValues(module, TPlaces().set());
    EXPECT_EQ(m_page.UnwrittenCount(), kTableWidth);
    QTest::mouseClick(m_page.ZoneGrid, Qt::LeftButton, {},
                      m_page.ZoneGrid->CellRect(kAll, 2).center());
    EXPECT_EQ(m_page.UnwrittenCount(), 0);
    EXPECT_TRUE(NotedCells().empty());
    QTest::mouseClick(m_page.ZoneGrid, Qt::LeftButton, {},
                      m_page.ZoneGrid->CellRect(kAll, 2).center());
    EXPECT_EQ(m_page.UnwrittenCount(), kTableWidth);
}

// The duration and object-number edits wear the marker while their text differs from the module's
// known value, their tooltip and description say the module's value, and both follow typing.
TEST_F(ModuleMarksTest, TheNumberEditsAreMarkedWhileTheyDiffer) {
    TCommonPage common;
    struct TCase {
        const char* What;
        std::optional<std::string> Module;
        const char* Typed;
        const char* Note;
    } const objectCases[] = {
        {"unknown", std::nullopt, "5", ""},
        {"different", "10", "01", "в модуле: 10"},
        {"same", "10", "10", ""},
        {"same as a number", "07", "7", ""},
        {"empty against a number", "3", "", "в модуле: 3"},
    };
    for (const TCase& c : objectCases) {
        SCOPED_TRACE(c.What);
        common.ShowModuleObjectNumber(c.Module);
        common.etO->selectAll();
        common.etO->del();
        QTest::keyClicks(common.etO, QString::fromLatin1(c.Typed));
        EXPECT_EQ(common.UnwrittenCount(), *c.Note != 0 ? 1 : 0);
        EXPECT_EQ(common.ObjectNumberMarker->IsMarked(), *c.Note != 0);
        EXPECT_EQ(common.etO->toolTip(), U(c.Note));
        EXPECT_EQ(Description(common.etO), U(c.Note));
    }

    struct TDurationCase {
        const char* What;
        bool Known;
        const char* Typed;
        const char* Note;
    } const durationCases[] = {
        {"unknown", false, "5", ""},
        {"different", true, "5", "в модуле: 10"},
        {"typed to the same", true, "10", ""},
        {"clamped away", true, "999", "в модуле: 10"},
    };
    TRelaySettings module = m_page.Settings();
    module.Duration = 10;
    for (const TDurationCase& c : durationCases) {
        SCOPED_TRACE(c.What);
        TPlaces known;
        known.set(0, c.Known);
        m_page.ShowModuleValues(module, known);
        m_page.etDuration->selectAll();
        QTest::keyClicks(m_page.etDuration, QString::fromLatin1(c.Typed));
        EXPECT_EQ(m_page.IsMarked(0), *c.Note != 0);
        EXPECT_EQ(m_page.DurationMarker->IsMarked(), *c.Note != 0);
        EXPECT_EQ(m_page.etDuration->toolTip(), U(c.Note));
        EXPECT_EQ(Description(m_page.etDuration), U(c.Note));
    }
}

// An edit that had a tooltip of its own shows it again once its marker goes.
TEST_F(ModuleMarksTest, AnEditsOwnTooltipComesBack) {
    m_page.etDuration->setToolTip(U("от 0 до 255"));
    TRelaySettings module = m_page.Settings();
    module.Duration = 10;
    m_page.ShowModuleValues(module, TPlaces().set(0));
    EXPECT_EQ(m_page.etDuration->toolTip(), U("в модуле: 10"));
    m_page.ForgetModuleValues();
    EXPECT_EQ(m_page.etDuration->toolTip(), U("от 0 до 255"));
    EXPECT_FALSE(m_page.DurationMarker->isVisible());
}

// The pixels of one colour in a rectangle of an image.
int CountColour(const QImage& image, const QRect& rect, QRgb colour) {
    int count = 0;
    for (int y = rect.top(); y <= rect.bottom(); ++y) {
        for (int x = rect.left(); x <= rect.right(); ++x) {
            count += image.pixel(x, y) == colour ? 1 : 0;
        }
    }
    return count;
}

QRect DeviceRect(const QRect& rect, qreal ratio) {
    return QRectF(QPointF(rect.topLeft()) * ratio, QSizeF(rect.size()) * ratio).toAlignedRect();
}

// The marker's pixels lie in the marked cell, in its corner and on its rim, and in none of its
// neighbours; the picture's trace stays whole under it, and a focused cell shows both the focus
// frame and the marker. Also run on screens scaled by 1.5 and 2.
TEST_F(ModuleMarksTest, TheMarkerIsDrawnInItsCellOnly) {
    TDrawGrid* grid = m_page.ZoneGrid;
    m_page.Settings().Zone(zeRestore, 5) = rrOn1Hz;
    m_page.RepaintGrids();
    const QImage unmarked = grid->grab().toImage().convertToFormat(QImage::Format_RGB32);
    TRelaySettings module = m_page.Settings();
    module.Zone(zeRestore, 5) = rrOff;
    m_page.ShowModuleValues(module, TPlaces().set());
    ASSERT_EQ(m_page.UnwrittenCount(), 1);
    const QImage marked = grid->grab().toImage().convertToFormat(QImage::Format_RGB32);
    const qreal ratio = marked.devicePixelRatio();
    const QRgb colour = UnwrittenMarkerColor(grid->palette()).rgb();
    const QRgb black = qRgb(0, 0, 0);

    const QRect cell = grid->CellRect(5, 2);
    const QRect device = DeviceRect(cell, ratio);
    EXPECT_EQ(CountColour(unmarked, device, colour), 0);
    EXPECT_GT(CountColour(marked, device, colour), 0);
    EXPECT_EQ(CountColour(marked, device, black), CountColour(unmarked, device, black));
    // A corner filled a few units deep, and the rim at the opposite corner.
    const QRect corner = DeviceRect(QRect(cell.right() - 3, cell.top(), 3, 3), ratio);
    EXPECT_EQ(CountColour(marked, corner, colour), corner.width() * corner.height());
    const QRect rimCorner = DeviceRect(QRect(cell.bottomLeft(), QSize(1, 1)), ratio);
    EXPECT_EQ(CountColour(marked, rimCorner, colour), rimCorner.width() * rimCorner.height());
    for (const auto& [col, row] : {std::pair{4, 2}, {6, 2}, {5, 1}, {5, 3}}) {
        const QRect neighbour = DeviceRect(grid->CellRect(col, row), ratio);
        EXPECT_EQ(CountColour(marked, neighbour, colour), 0) << col << " " << row;
        EXPECT_EQ(marked.copy(neighbour), unmarked.copy(neighbour)) << col << " " << row;
    }

    m_page.activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&m_page));
    grid->setFocus();
    grid->SetFocusCell(5, 2);
    const QImage focused = grid->grab().toImage().convertToFormat(QImage::Format_RGB32);
    const QRgb highlight = grid->palette().color(QPalette::Highlight).rgb();
    EXPECT_GT(CountColour(focused, device, colour), 0);
    EXPECT_GT(CountColour(focused, device, highlight), 0);
}

}  // namespace
