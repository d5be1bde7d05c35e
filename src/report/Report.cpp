#include "report/Report.h"

#include <QDateTime>
#include <QFileInfo>
#include <QPageLayout>
#include <QPagedPaintDevice>
#include <QPainter>
#include <QPdfWriter>
#include <cerrno>
#include <cstdio>
#include <stdexcept>

#include "ini/FileErrorMessage.h"
#include "model/RelayCaptions.h"
#include "report/ReportLayout.h"
#include "widgets/ReactionPictures.h"

using namespace ReportGeometry;

namespace {

constexpr qreal kContentWidth = kReportPageWidth - 2 * kReportMargin;
constexpr int kTextSize = 9;
constexpr int kSmallTextSize = 8;
constexpr int kHeadingSize = 14;
constexpr int kTitleSize = 16;
constexpr qreal kTextIndent = 4.0;
// The picture keeps a point of white to the cell's frame on either side.
constexpr qreal kPictureScale = (kCellHeight - 2.0) / kPictureSize;
const QColor kFrameColor(128, 128, 128);

QString Text(const std::string& utf8) {
    return QString::fromStdString(utf8);
}

// DejaVu Sans comes with the tool's packages and holds the Cyrillic letters; sizes are in
// points because the painter works in points.
QFont ReportFont(int size, bool bold = false) {
    QFont font(QStringLiteral("DejaVu Sans"));
    font.setStyleHint(QFont::SansSerif);
    font.setPixelSize(size);
    font.setBold(bold);
    // Hinting would fit the glyphs to a pixel grid the scaled painter does not have.
    font.setHintingPreference(QFont::PreferNoHinting);
    return font;
}

void DrawText(QPainter& painter, const QRectF& rect, int flags, const QString& text,
              const QFont& font) {
    painter.setFont(font);
    // The cells leave their frame's grey pen behind; words are black.
    painter.setPen(Qt::black);
    painter.drawText(rect, flags | Qt::TextSingleLine, text);
}

// A framed white cell with a code's picture in its middle.
void PaintCell(QPainter& painter, const QRectF& rect, TRelayReaction code) {
    painter.setPen(QPen(kFrameColor, 0.5));
    painter.setBrush(Qt::white);
    painter.drawRect(rect);
    const qreal side = kPictureSize * kPictureScale;
    painter.save();
    painter.translate(rect.center() - QPointF(side / 2, side / 2));
    painter.scale(kPictureScale, kPictureScale);
    PaintReaction(painter, QPoint(0, 0), code);
    painter.restore();
}

// Points of the report's page to the device: the page's own coordinates where the printable
// area holds the report's margins, else the margins' content scaled into that area.
void MapPageToDevice(QPainter& painter, const QPagedPaintDevice& device) {
    const QRectF printable = device.pageLayout().paintRect(QPageLayout::Point);
    const QRectF content(kReportMargin, kReportMargin, kContentWidth,
                         kReportPageHeight - 2 * kReportMargin);
    const qreal dotsPerPoint = device.logicalDpiX() / 72.0;
    if (printable.contains(content)) {
        painter.scale(dotsPerPoint, dotsPerPoint);
        painter.translate(-printable.topLeft());
        return;
    }
    const qreal fit =
        std::min(printable.width() / content.width(), printable.height() / content.height());
    painter.scale(dotsPerPoint * fit, dotsPerPoint * fit);
    painter.translate(-content.topLeft());
}

void PaintFooter(QPainter& painter, const TModuleSettings& settings, int page) {
    const QRectF line(kReportMargin, kReportPageHeight - kReportMargin + 8, kContentWidth, 12);
    const QString text = QString::fromUtf8("Тарнел, объект %1 — лист %2 из %3")
                             .arg(Text(settings.Common.ObjectNumber))
                             .arg(page + 1)
                             .arg(kReportPageCount);
    DrawText(painter, line, Qt::AlignRight | Qt::AlignVCenter, text, ReportFont(kSmallTextSize));
}

// A row of the title block: its label, then its value.
qreal PaintField(QPainter& painter, qreal top, const char* label, const std::string& value) {
    constexpr qreal kLabelWidth = 110.0;
    constexpr qreal kFieldHeight = 16.0;
    DrawText(painter, QRectF(kReportMargin, top, kLabelWidth, kFieldHeight), Qt::AlignVCenter,
             QString::fromUtf8(label), ReportFont(kTextSize + 1));
    DrawText(painter,
             QRectF(kReportMargin + kLabelWidth, top, kContentWidth - kLabelWidth, kFieldHeight),
             Qt::AlignVCenter, Text(value), ReportFont(kTextSize + 1, true));
    return top + kFieldHeight;
}

qreal PaintHeading(QPainter& painter, qreal top, const QString& text) {
    DrawText(painter, QRectF(kReportMargin, top, kContentWidth, kHeadingHeight),
             Qt::AlignLeft | Qt::AlignVCenter, text, ReportFont(kHeadingSize, true));
    return top + kHeadingHeight;
}

void PaintTitlePage(QPainter& painter, const TModuleSettings& settings,
                    const TReportSource& source) {
    qreal top = kReportMargin;
    DrawText(painter, QRectF(kReportMargin, top, kContentWidth, 30), Qt::AlignVCenter,
             QString::fromUtf8("Настройки модуля «Тарнел»"), ReportFont(kTitleSize, true));
    top += 36;
    top = PaintField(painter, top, "Номер объекта:", settings.Common.ObjectNumber);
    if (!source.ModuleVersion.empty()) {
        top = PaintField(painter, top, "Версия модуля:", source.ModuleVersion);
    }
    top = PaintField(painter, top, "Дата и время:", source.MadeAt);
    top = PaintField(painter, top, "Источник:", source.Source);

    top = PaintHeading(painter, top + 20, QString::fromUtf8(kCommonPageCaption));
    top = PaintField(painter, top, "Номер объекта:", settings.Common.ObjectNumber);

    top = PaintHeading(painter, top + 20, QString::fromUtf8("Обозначения"));
    for (TRelayReaction code = rrOn; code <= rrNone; ++code) {
        const QRectF cell(kReportMargin, top + 2, kCellWidth, kCellHeight);
        PaintCell(painter, cell, code);
        DrawText(painter, QRectF(cell.right() + 8, cell.top(), kContentWidth - 40, kCellHeight),
                 Qt::AlignVCenter, Text(ReactionName(code)), ReportFont(kTextSize + 1));
        top += kCellHeight + 4;
    }
}

void PaintGridTitle(QPainter& painter, qreal top, const char* title) {
    DrawText(painter, QRectF(kReportMargin, top, kContentWidth, kGridTitleHeight),
             Qt::AlignLeft | Qt::AlignVCenter, QString::fromUtf8(title),
             ReportFont(kTextSize + 1, true));
}

// A table of events: the column numbers over the cells, each row's words before them.
template <typename TEvent>
void PaintTable(QPainter& painter, int relayNumber, qreal blockTop, qreal tableTop,
                const char* title, const std::array<TReactionRow, kEventRowCount>& rows,
                const char* (*rowCaption)(TEvent), TReportPlace (*cellPlace)(int, TEvent, int)) {
    PaintGridTitle(painter, blockTop + tableTop, title);
    for (int column = 1; column <= kTableWidth; ++column) {
        const QRectF first = cellPlace(relayNumber, static_cast<TEvent>(1), column).Rect;
        DrawText(painter, first.translated(0, -kColumnCaptionHeight).adjusted(0, 0, 0, -6),
                 Qt::AlignCenter, QString::number(column), ReportFont(kSmallTextSize));
    }
    for (int row = 1; row <= kEventRowCount; ++row) {
        const auto event = static_cast<TEvent>(row);
        const QRectF first = cellPlace(relayNumber, event, 1).Rect;
        DrawText(painter,
                 QRectF(kReportMargin, first.top(), kRowCaptionWidth - kTextIndent, kCellHeight),
                 Qt::AlignLeft | Qt::AlignVCenter, QString::fromUtf8(rowCaption(event)),
                 ReportFont(kTextSize));
        for (int column = 1; column <= kTableWidth; ++column) {
            PaintCell(painter, cellPlace(relayNumber, event, column).Rect,
                      rows.at(row - 1).at(column - 1));
        }
    }
}

void PaintConditions(QPainter& painter, const TRelaySettings& relay, qreal blockTop) {
    PaintGridTitle(painter, blockTop + kConditionsTop, "Условия");
    for (int c = 1; c <= kConditionCount; ++c) {
        const auto condition = static_cast<TRelayCondition>(c);
        for (const bool yes : {true, false}) {
            const QRectF cell = ConditionCellPlace(relay.Number, condition, yes).Rect;
            PaintCell(painter, cell, yes ? relay.YesOf(condition) : relay.NoOf(condition));
            DrawText(painter,
                     QRectF(cell.right() + kTextIndent, cell.top(), kStateTextWidth, kCellHeight),
                     Qt::AlignLeft | Qt::AlignVCenter,
                     QString::fromUtf8(ConditionStateCaption(condition, yes)),
                     ReportFont(kTextSize));
        }
        const QRectF first = ConditionCellPlace(relay.Number, condition, true).Rect;
        DrawText(
            painter,
            QRectF(kReportMargin, first.top(), kConditionCaptionWidth - kTextIndent, kCellHeight),
            Qt::AlignLeft | Qt::AlignVCenter, QString::fromUtf8(ConditionCaption(condition)),
            ReportFont(kTextSize));
    }
}

void PaintRelay(QPainter& painter, const TRelaySettings& relay) {
    const qreal top = RelayBlockTop(relay.Number);
    PaintHeading(painter, top, Text(RelayPageCaption(relay.Number)));
    DrawText(painter, QRectF(kReportMargin, top + kHeadingHeight, kContentWidth, kDurationHeight),
             Qt::AlignLeft | Qt::AlignVCenter,
             QString::fromUtf8("Импульс включения реле, длительность: %1").arg(relay.Duration),
             ReportFont(kTextSize + 1));
    PaintTable<TZoneEvent>(painter, relay.Number, top, kZonesTop, "Зоны", relay.Zones,
                           ZoneRowCaption, ZoneCellPlace);
    PaintTable<TPartitionEvent>(painter, relay.Number, top, kPartitionsTop, "Разделы",
                                relay.Partitions, PartitionRowCaption, PartitionCellPlace);
    PaintConditions(painter, relay, top);
}

}  // namespace

std::string ReportTime(const QDateTime& time) {
    return time.toString(QStringLiteral("dd.MM.yyyy HH:mm")).toStdString();
}

std::string ModuleReadSource(const QDateTime& readAt) {
    return "Прочитано из модуля " + ReportTime(readAt);
}

std::string FileSource(const std::string& fileName) {
    return "Файл: " + QFileInfo(Text(fileName)).fileName().toStdString();
}

void PaintReport(QPagedPaintDevice& device, const TModuleSettings& settings,
                 const TReportSource& source) {
    QPainter painter(&device);
    if (!painter.isActive()) {
        throw std::runtime_error("Не удалось начать печать отчёта");
    }
    MapPageToDevice(painter, device);
    for (int page = 0; page < kReportPageCount; ++page) {
        if (page > 0) {
            device.newPage();
        }
        if (page == 0) {
            PaintTitlePage(painter, settings, source);
        }
        for (const TRelaySettings& relay : settings.Relays) {
            if (RelayReportPage(relay.Number) == page) {
                PaintRelay(painter, relay);
            }
        }
        PaintFooter(painter, settings, page);
    }
}

void WriteReportPdf(const std::string& fileName, const TModuleSettings& settings,
                    const TReportSource& source) {
    // QPdfWriter says nothing of why it could not open the file: opening it first gives the
    // system's reason, and the writer then replaces what this left.
    if (std::FILE* probe = std::fopen(fileName.c_str(), "ab")) {
        std::fclose(probe);
    } else {
        throw std::runtime_error(FileErrorMessage(fileName, errno, true));
    }
    QPdfWriter writer(Text(fileName));
    writer.setPageSize(QPageSize(QPageSize::A4));
    writer.setPageOrientation(QPageLayout::Portrait);
    writer.setPageMargins(QMarginsF(0, 0, 0, 0), QPageLayout::Point);
    writer.setResolution(300);
    writer.setCreator(QStringLiteral("tarnel-config"));
    writer.setTitle(QString::fromUtf8("Настройки модуля «Тарнел», объект %1")
                        .arg(Text(settings.Common.ObjectNumber)));
    PaintReport(writer, settings, source);
}
