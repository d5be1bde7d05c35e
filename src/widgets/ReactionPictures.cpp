// The pictures of the reaction codes: signal traces on a 23 x 23 bitmap.
#include "widgets/ReactionPictures.h"

#include <QPainter>
#include <QtMath>
#include <algorithm>
#include <vector>

namespace {

constexpr int kLow = 17;
constexpr int kHigh = 5;
constexpr int kLeft = 1;
constexpr int kRight = 21;

std::vector<QPoint> TracePath(TRelayReaction code) {
    switch (code) {
        case rrOn:
            return {{kLeft, kLow}, {11, kLow}, {11, kHigh}, {kRight, kHigh}};
        case rrOnTimed:
            return {{kLeft, kLow}, {7, kLow}, {7, kHigh}, {15, kHigh}, {15, kLow}, {kRight, kLow}};
        case rrOff:
            return {{kLeft, kHigh}, {11, kHigh}, {11, kLow}, {kRight, kLow}};
        case rrOn1Hz:
            return {{kLeft, kLow}, {4, kLow},   {4, kHigh},  {8, kHigh}, {8, kLow},
                    {13, kLow},    {13, kHigh}, {17, kHigh}, {17, kLow}, {kRight, kLow}};
        default:
            return {{kLeft, kLow}, {kRight, kLow}};
    }
}

}  // namespace

QImage MakeReactionBitmap(TRelayReaction code) {
    QImage bitmap(kPictureSize, kPictureSize, QImage::Format_RGB32);
    bitmap.fill(kTransparentColor);
    const auto path = TracePath(code);
    QPainter painter(&bitmap);
    // The trace is three pixels wide: light on its upper or left side, mid grey on its lower or
    // right side, black in the middle drawn last so that corners stay closed.
    for (std::size_t i = 1; i < path.size(); ++i) {
        const QPoint a = path[i - 1];
        const QPoint b = path[i];
        const QPoint side = a.y() == b.y() ? QPoint(0, 1) : QPoint(1, 0);
        painter.setPen(QColor(192, 192, 192));
        painter.drawLine(a - side, b - side);
        painter.setPen(QColor(128, 128, 128));
        painter.drawLine(a + side, b + side);
    }
    painter.setPen(Qt::black);
    painter.drawPolyline(path.data(), static_cast<int>(path.size()));
    return bitmap;
}

void PaintReaction(QPainter& painter, const QPoint& origin, TRelayReaction code) {
    // Each pixel of the bitmap's lines becomes a unit square; whole-unit rectangles stay sharp
    // at any scale, where a scaled-up bitmap would be resampled.
    const auto path = TracePath(code);
    const auto stripe = [&](QPoint a, QPoint b, const QColor& color) {
        const QRect pixels(QPoint(std::min(a.x(), b.x()), std::min(a.y(), b.y())),
                           QPoint(std::max(a.x(), b.x()), std::max(a.y(), b.y())));
        painter.fillRect(QRectF(pixels.translated(origin)), color);
    };
    painter.save();
    painter.setRenderHint(QPainter::Antialiasing, false);
    for (std::size_t i = 1; i < path.size(); ++i) {
        const QPoint a = path[i - 1];
        const QPoint b = path[i];
        const QPoint side = a.y() == b.y() ? QPoint(0, 1) : QPoint(1, 0);
        stripe(a - side, b - side, QColor(192, 192, 192));
        stripe(a + side, b + side, QColor(128, 128, 128));
    }
    for (std::size_t i = 1; i < path.size(); ++i) {
        stripe(path[i - 1], path[i], Qt::black);
    }
    painter.restore();
}

QPixmap ReactionPixmap(TRelayReaction code, qreal devicePixelRatio) {
    const int side = qCeil(kPictureSize * devicePixelRatio);
    QPixmap pixmap(side, side);
    pixmap.setDevicePixelRatio(devicePixelRatio);
    pixmap.fill(Qt::transparent);
    QPainter painter(&pixmap);
    PaintReaction(painter, QPoint(0, 0), code);
    return pixmap;
}

QImage WithTransparency(const QImage& bitmap) {
    QImage picture = bitmap.convertToFormat(QImage::Format_ARGB32);
    for (int y = 0; y < picture.height(); ++y) {
        auto* line = reinterpret_cast<QRgb*>(picture.scanLine(y));
        for (int x = 0; x < picture.width(); ++x) {
            if ((line[x] & 0xFFFFFF) == (kTransparentColor & 0xFFFFFF)) {
                line[x] = qRgba(0, 0, 0, 0);
            }
        }
    }
    return picture;
}
