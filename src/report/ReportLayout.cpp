#include "report/ReportLayout.h"

using namespace ReportGeometry;

namespace {

// A cell of an event table whose block-relative top is tableTop.
TReportPlace TableCellPlace(int relayNumber, qreal tableTop, int row, int column) {
    const qreal top = RelayBlockTop(relayNumber) + tableTop + kGridTitleHeight +
                      kColumnCaptionHeight + (row - 1) * kCellHeight;
    const qreal left = kReportMargin + kRowCaptionWidth + (column - 1) * kCellWidth;
    return {RelayReportPage(relayNumber), QRectF(left, top, kCellWidth, kCellHeight)};
}

}  // namespace

int RelayReportPage(int relayNumber) {
    return 1 + (relayNumber - 1) / kRelaysPerReportPage;
}

qreal RelayBlockTop(int relayNumber) {
    const int onPage = (relayNumber - 1) % kRelaysPerReportPage;
    return kReportMargin + onPage * (kBlockHeight + kBlockGap);
}

TReportPlace ZoneCellPlace(int relayNumber, TZoneEvent event, int zone) {
    return TableCellPlace(relayNumber, kZonesTop, event, zone);
}

TReportPlace PartitionCellPlace(int relayNumber, TPartitionEvent event, int partition) {
    return TableCellPlace(relayNumber, kPartitionsTop, event, partition);
}

TReportPlace ConditionCellPlace(int relayNumber, TRelayCondition condition, bool yes) {
    const qreal top = RelayBlockTop(relayNumber) + kConditionsTop + kGridTitleHeight +
                      (condition - 1) * kCellHeight;
    return {RelayReportPage(relayNumber),
            QRectF(ConditionCellLeft(yes), top, kCellWidth, kCellHeight)};
}
