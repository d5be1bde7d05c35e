// A drawn grid's cell notes: the tooltip over the cell and the description a screen reader reads;
// and the marker with its note on an edit. (Qt tells a screen reader of changed descriptions only
// where a platform's accessibility is active, which the offscreen platform never is.)
#include <gtest/gtest.h>

#include <QAccessible>
#include <QApplication>
#include <QHelpEvent>
#include <QLineEdit>
#include <QTest>
#include <QToolTip>
#include <map>
#include <utility>

#include "widgets/DrawGrid.h"
#include "widgets/DrawGridAccessible.h"
#include "widgets/UnwrittenMarker.h"

namespace {

class DrawGridNoteTest : public ::testing::Test {
  protected:
    void SetUp() override {
        m_grid.resize(m_grid.ContentSize());
        m_grid.OnCellNote = [this](int col, int row) {
            const auto found = m_notes.find({col, row});
            return found != m_notes.end() ? found->second : QString();
        };
        m_grid.show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(&m_grid));
    }

    QString Description(int col, int row) {
        return DrawGridCellInterface(&m_grid, col, row)->text(QAccessible::Description);
    }

    void HoverFor(int col, int row) {
        const QPoint at = m_grid.CellRect(col, row).center();
        QHelpEvent help(QEvent::ToolTip, at, m_grid.mapToGlobal(at));
        QApplication::sendEvent(&m_grid, &help);
    }

    TDrawGrid m_grid{4, 3, 1, 1};
    std::map<std::pair<int, int>, QString> m_notes{{{2, 1}, QStringLiteral("note")}};
};

TEST_F(DrawGridNoteTest, ANoteIsTheCellsTooltipAndDescription) {
    EXPECT_EQ(Description(2, 1), QStringLiteral("note"));
    EXPECT_EQ(Description(3, 1), QString());
    HoverFor(2, 1);
    EXPECT_TRUE(QToolTip::isVisible());
    EXPECT_EQ(QToolTip::text(), QStringLiteral("note"));
    HoverFor(3, 2);
    EXPECT_TRUE(QTest::qWaitFor([] { return !QToolTip::isVisible(); }));
}

// An edit's marker shows with a note, lends the edit its note as tooltip and description, and
// gives back what the edit had before when the note goes.
TEST(ControlMarkerTest, TheNoteStandsInForTheEditsOwnTooltipWhileShown) {
    QLineEdit edit;
    edit.setToolTip(QStringLiteral("own tip"));
    edit.resize(60, 24);
    TControlMarker marker(edit);
    edit.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&edit));
    const QRgb colour = UnwrittenMarkerColor(edit.palette()).rgb();
    const auto markerPixels = [&] {
        const QImage image = edit.grab().toImage().convertToFormat(QImage::Format_RGB32);
        int count = 0;
        for (int y = 0; y < image.height(); ++y) {
            for (int x = 0; x < image.width(); ++x) {
                count += image.pixel(x, y) == colour ? 1 : 0;
            }
        }
        return count;
    };
    EXPECT_EQ(markerPixels(), 0);
    marker.SetNote(QStringLiteral("в модуле: 10"));
    EXPECT_TRUE(marker.isVisible());
    EXPECT_EQ(edit.toolTip(), QStringLiteral("в модуле: 10"));
    EXPECT_EQ(QAccessible::queryAccessibleInterface(&edit)->text(QAccessible::Description),
              QStringLiteral("в модуле: 10"));
    EXPECT_GT(markerPixels(), 0);
    edit.resize(90, 30);
    EXPECT_EQ(marker.geometry(), edit.rect());
    marker.SetNote(QString());
    EXPECT_FALSE(marker.isVisible());
    EXPECT_EQ(edit.toolTip(), QStringLiteral("own tip"));
    EXPECT_EQ(markerPixels(), 0);
}

}  // namespace
