// The reaction pictures land where the layout places their cells: a falling edge in one cell of
// a report without reactions shows dark pixels in that cell's upper half, and its neighbours'
// flat lines none there.
#include "ReportPdf.h"
#include "report/Report.h"
#include "report/ReportLayout.h"

namespace {

constexpr int kDpi = 100;

// Black trace pixels inside a part of a cell given in points, the frame kept out.
int DarkPixels(const QImage& page, const QRectF& points) {
    const qreal scale = kDpi / 72.0;
    const QRect pixels(QPoint(qRound(points.left() * scale), qRound(points.top() * scale)),
                       QPoint(qRound(points.right() * scale), qRound(points.bottom() * scale)));
    int dark = 0;
    for (int y = pixels.top(); y <= pixels.bottom(); ++y) {
        for (int x = pixels.left(); x <= pixels.right(); ++x) {
            dark += qGray(page.pixel(x, y)) < 96 ? 1 : 0;
        }
    }
    return dark;
}

QRectF UpperHalf(const QRectF& cell) {
    return QRectF(cell.left() + 2, cell.top() + 2, cell.width() - 4, cell.height() / 2 - 3);
}
QRectF LowerHalf(const QRectF& cell) {
    return QRectF(cell.left() + 2, cell.center().y() + 1, cell.width() - 4, cell.height() / 2 - 3);
}

struct TCellCase {
    const char* Name;
    // Sets the one falling edge.
    void (*Mark)(TModuleSettings&);
    TReportPlace Marked;
    TReportPlace Neighbour;
};

TEST(ReportPictureTest, FallingEdgeIsDrawnInItsCell) {
    const TCellCase cases[] = {
        {"zone", [](TModuleSettings& s) { s.Relays.at(2).Zone(zeRestore, 7) = rrOff; },
         ZoneCellPlace(3, zeRestore, 7), ZoneCellPlace(3, zeRestore, 8)},
        {"partition", [](TModuleSettings& s) { s.Relays.at(1).Partition(peArm, 16) = rrOff; },
         PartitionCellPlace(2, peArm, 16), PartitionCellPlace(2, peDisarm, 16)},
        {"condition", [](TModuleSettings& s) { s.Relays.at(4).NoOf(rcFire) = rrOff; },
         ConditionCellPlace(5, rcFire, false), ConditionCellPlace(5, rcFire, true)},
    };
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    const QString pdf = dir.filePath(QStringLiteral("report.pdf"));
    for (const TCellCase& c : cases) {
        SCOPED_TRACE(c.Name);
        TModuleSettings settings = SettingsWithoutReactions();
        c.Mark(settings);
        WriteReportPdf(pdf.toStdString(), settings, {"", "Файл: x.txt", "10.12.2026 18:05"});
        ASSERT_EQ(c.Marked.Page, c.Neighbour.Page);
        const QImage page = PdfPageImage(pdf, c.Marked.Page, kDpi, QDir(dir.path()));
        ASSERT_FALSE(page.isNull());
        EXPECT_EQ(page.width(), qRound(kReportPageWidth * kDpi / 72.0));
        // The high level before the edge, and the low level after it as in the neighbour's line.
        EXPECT_GT(DarkPixels(page, UpperHalf(c.Marked.Rect)), 5);
        EXPECT_GT(DarkPixels(page, LowerHalf(c.Marked.Rect)), 5);
        EXPECT_EQ(DarkPixels(page, UpperHalf(c.Neighbour.Rect)), 0);
        EXPECT_GT(DarkPixels(page, LowerHalf(c.Neighbour.Rect)), 5);
    }
}

TEST(ReportLayoutTest, RelaysSharePagesTwoByTwoWithoutOverlap) {
    for (int n = 1; n <= kRelayCount; ++n) {
        SCOPED_TRACE(n);
        const QRectF lastCondition = ConditionCellPlace(n, rcDelay, false).Rect;
        const QRectF lastZone = ZoneCellPlace(n, zeFault, kTableWidth).Rect;
        EXPECT_LE(lastZone.right(), kReportPageWidth - kReportMargin);
        EXPECT_LT(lastZone.bottom(), PartitionCellPlace(n, peArm, 1).Rect.top());
        EXPECT_LE(lastCondition.bottom(), kReportPageHeight - kReportMargin);
        if (n > 1 && RelayReportPage(n) == RelayReportPage(n - 1)) {
            EXPECT_LT(ConditionCellPlace(n - 1, rcDelay, false).Rect.bottom(), RelayBlockTop(n));
        }
    }
    EXPECT_EQ(RelayReportPage(kRelayCount), kReportPageCount - 1);
}

}  // namespace
