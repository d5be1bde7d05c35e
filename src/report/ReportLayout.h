// Where the report puts things: A4 portrait pages measured in PDF points from the page's top
// left corner, the title page first and then two relays to a page.
#pragma once

#include <QRectF>

#include "model/RelaySettings.h"

inline constexpr qreal kReportPageWidth = 595.276;   // 210 mm
inline constexpr qreal kReportPageHeight = 841.890;  // 297 mm
inline constexpr qreal kReportMargin = 40.0;
inline constexpr int kRelaysPerReportPage = 2;
// The title page, then the relays two to a page.
inline constexpr int kReportPageCount =
    1 + (kRelayCount + kRelaysPerReportPage - 1) / kRelaysPerReportPage;

// One cell of a grid: the page it is on (from 0) and its rectangle there.
struct TReportPlace {
    int Page = 0;
    QRectF Rect;
};

// The page of a relay (1..5) and the top of its block on that page.
int RelayReportPage(int relayNumber);
qreal RelayBlockTop(int relayNumber);

// The cells of a relay's grids, each framing one reaction picture.
TReportPlace ZoneCellPlace(int relayNumber, TZoneEvent event, int zone);
TReportPlace PartitionCellPlace(int relayNumber, TPartitionEvent event, int partition);
TReportPlace ConditionCellPlace(int relayNumber, TRelayCondition condition, bool yes);

// The sizes the painter and the places share.
namespace ReportGeometry {
inline constexpr qreal kCellWidth = 25.0;
inline constexpr qreal kCellHeight = 20.0;
inline constexpr qreal kRowCaptionWidth = 90.0;
inline constexpr qreal kHeadingHeight = 22.0;
inline constexpr qreal kDurationHeight = 18.0;
inline constexpr qreal kGridTitleHeight = 16.0;
inline constexpr qreal kColumnCaptionHeight = 14.0;
inline constexpr qreal kGridGap = 6.0;
inline constexpr qreal kConditionCaptionWidth = 110.0;
inline constexpr qreal kStateTextWidth = 130.0;
inline constexpr qreal kBlockGap = 24.0;
// A table of events: its title, the row of column numbers and three rows of cells.
inline constexpr qreal kTableHeight =
    kGridTitleHeight + kColumnCaptionHeight + kEventRowCount * kCellHeight + kGridGap;
inline constexpr qreal kConditionsHeight = kGridTitleHeight + kConditionCount * kCellHeight;
inline constexpr qreal kBlockHeight =
    kHeadingHeight + kDurationHeight + 2 * kTableHeight + kConditionsHeight;

// The top of the zone table, the partition table and the conditions within a relay's block.
inline constexpr qreal kZonesTop = kHeadingHeight + kDurationHeight;
inline constexpr qreal kPartitionsTop = kZonesTop + kTableHeight;
inline constexpr qreal kConditionsTop = kPartitionsTop + kTableHeight;
// The left edge of a condition's state cell: the first state, then the second after its words.
inline qreal ConditionCellLeft(bool yes) {
    return kReportMargin + kConditionCaptionWidth + (yes ? 0.0 : kCellWidth + kStateTextWidth);
}
}  // namespace ReportGeometry

static_assert(kRelaysPerReportPage * ReportGeometry::kBlockHeight +
                      (kRelaysPerReportPage - 1) * ReportGeometry::kBlockGap <=
                  kReportPageHeight - 2 * kReportMargin,
              "two relays fill one page at most");
static_assert(ReportGeometry::kRowCaptionWidth + kTableWidth * ReportGeometry::kCellWidth <=
                  kReportPageWidth - 2 * kReportMargin,
              "sixteen columns fit across the page");
