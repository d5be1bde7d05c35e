// The pictures of the main window's commands, drawn so that they show without an icon theme.
#include "widgets/Icons.h"

#include <QApplication>
#include <QIconEngine>
#include <QPainter>
#include <QPainterPath>
#include <QPixmap>
#include <QPolygonF>
#include <QStyle>
#include <QStyleOption>

#include <algorithm>
#include <cmath>
#include <functional>
#include <utility>

#include "widgets/ReactionPictures.h"
#include "widgets/UnwrittenMarker.h"

namespace {

const QColor kOutline(60, 60, 60);
const QColor kPaper(255, 255, 255);
const QColor kReadBlue(30, 100, 210);
const QColor kWriteRed(210, 70, 30);
const QColor kGreen(40, 150, 60);

// Every picture is drawn on a 16 x 16 grid and scaled to the size asked for.
void Page(QPainter& p, qreal x, qreal y) {
    p.setPen(QPen(kOutline, 1));
    p.setBrush(kPaper);
    p.drawRect(QRectF(x + 0.5, y + 0.5, 8, 10));
    p.setPen(QPen(QColor(150, 150, 150), 1));
    for (int line = 0; line < 3; ++line) {
        const qreal ly = y + 3.5 + line * 2;
        p.drawLine(QPointF(x + 2.5, ly), QPointF(x + 6.5, ly));
    }
}

void Arrow(QPainter& p, qreal x, qreal fromY, qreal toY, const QColor& color) {
    const qreal dir = toY > fromY ? 1 : -1;
    p.setPen(Qt::NoPen);
    p.setBrush(color);
    p.drawRect(QRectF(x - 1, std::min(fromY, toY - dir * 3), 2, std::abs(toY - fromY) - 2));
    const QPolygonF head{QPointF(x - 3.5, toY - dir * 3.5), QPointF(x + 3.5, toY - dir * 3.5),
                         QPointF(x, toY)};
    p.drawPolygon(head);
}

void Plug(QPainter& p, qreal x, const QColor& body) {
    p.setPen(QPen(kOutline, 1));
    p.setBrush(body);
    p.drawRoundedRect(QRectF(x + 0.5, 4.5, 4, 7), 1, 1);
    p.setPen(QPen(kOutline, 1.5));
    p.drawLine(QPointF(x + 4.5, 6.5), QPointF(x + 7, 6.5));
    p.drawLine(QPointF(x + 4.5, 9.5), QPointF(x + 7, 9.5));
}

void Socket(QPainter& p, qreal x, const QColor& body) {
    p.setPen(QPen(kOutline, 1));
    p.setBrush(body);
    p.drawRoundedRect(QRectF(x + 0.5, 3.5, 4, 9), 1, 1);
}

void Cable(QPainter& p, qreal from, qreal to) {
    p.setPen(QPen(kOutline, 1.5));
    p.drawLine(QPointF(from, 8), QPointF(to, 8));
}

void CircularArrow(QPainter& p, const QRectF& box, const QColor& color) {
    p.setPen(QPen(color, 2, Qt::SolidLine, Qt::FlatCap));
    p.setBrush(Qt::NoBrush);
    p.drawArc(box, 90 * 16, 270 * 16);
    p.setPen(Qt::NoPen);
    p.setBrush(color);
    const QPointF tip(box.center().x(), box.top());
    p.drawPolygon(QPolygonF{tip + QPointF(-3, -3), tip + QPointF(-3, 3), tip + QPointF(1, 0)});
}

void Draw(QPainter& p, TCommandIcon icon) {
    switch (icon) {
        case TCommandIcon::About: {
            p.setPen(QPen(kReadBlue.darker(130), 1));
            p.setBrush(kReadBlue);
            p.drawEllipse(QRectF(1.5, 1.5, 13, 13));
            p.setPen(Qt::NoPen);
            p.setBrush(Qt::white);
            p.drawRect(QRectF(7, 7, 2, 5));
            p.drawEllipse(QRectF(7, 4, 2, 2));
            break;
        }
        case TCommandIcon::Connect:
            Cable(p, 0, 3);
            Plug(p, 2, QColor(200, 200, 200));
            Socket(p, 9, kGreen);
            Cable(p, 13, 16);
            break;
        case TCommandIcon::Disconnect:
            Cable(p, 0, 1);
            Plug(p, 0, QColor(200, 200, 200));
            Socket(p, 11, QColor(200, 200, 200));
            p.setPen(QPen(QColor(220, 30, 30), 1.5));
            p.drawLine(QPointF(8, 4), QPointF(10.5, 12));
            break;
        case TCommandIcon::Read:
            Page(p, 1, 4);
            Arrow(p, 12, 1, 15, kReadBlue);
            break;
        case TCommandIcon::ReadAll:
            Page(p, 3, 1);
            Page(p, 0, 5);
            Arrow(p, 13, 1, 15, kReadBlue);
            break;
        case TCommandIcon::Write:
            Page(p, 1, 4);
            Arrow(p, 12, 15, 1, kWriteRed);
            break;
        case TCommandIcon::WriteAll:
            Page(p, 3, 1);
            Page(p, 0, 5);
            Arrow(p, 13, 15, 1, kWriteRed);
            break;
        case TCommandIcon::Load: {
            p.setPen(QPen(QColor(150, 110, 20), 1));
            p.setBrush(QColor(240, 200, 80));
            p.drawRect(QRectF(0.5, 4.5, 12, 9));
            p.setBrush(QColor(250, 225, 120));
            p.drawPolygon(QPolygonF{QPointF(3, 7.5), QPointF(15.5, 7.5), QPointF(12.5, 13.5),
                                    QPointF(0.5, 13.5)});
            p.drawRect(QRectF(0.5, 2.5, 5, 2));
            break;
        }
        case TCommandIcon::Save: {
            p.setPen(QPen(QColor(20, 40, 110), 1));
            p.setBrush(QColor(60, 90, 180));
            p.drawRect(QRectF(1.5, 1.5, 13, 13));
            p.setBrush(kPaper);
            p.drawRect(QRectF(4.5, 1.5, 7, 5));
            p.setBrush(QColor(200, 200, 210));
            p.drawRect(QRectF(4.5, 9.5, 7, 5));
            break;
        }
        case TCommandIcon::Default:
            CircularArrow(p, QRectF(3, 3, 10, 10), kGreen);
            break;
        case TCommandIcon::DefaultAll:
            Page(p, 6, 1);
            Page(p, 3, 4);
            CircularArrow(p, QRectF(1.5, 6.5, 8, 8), kGreen);
            break;
        case TCommandIcon::Clear: {
            p.setPen(QPen(kOutline, 1));
            p.translate(8, 8);
            p.rotate(-40);
            p.setBrush(QColor(240, 120, 140));
            p.drawRect(QRectF(-6.5, -3.5, 7, 7));
            p.setBrush(kPaper);
            p.drawRect(QRectF(0.5, -3.5, 6, 7));
            break;
        }
    }
}

// Draws the picture on `pixels` device pixels, so that it is sharp at any scale of the screen.
QPixmap Picture(TCommandIcon icon, const QSize& pixels) {
    QPixmap pixmap(pixels);
    pixmap.fill(Qt::transparent);
    QPainter painter(&pixmap);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.scale(pixels.width() / 16.0, pixels.height() / 16.0);
    Draw(painter, icon);
    return pixmap;
}

// Paints an icon afresh at each size and device pixel ratio asked for, instead of scaling one of a
// few ready pixmaps.
class TDrawnIconEngine : public QIconEngine {
  public:
    explicit TDrawnIconEngine(std::function<QPixmap(const QSize& pixels)> draw)
        : m_draw(std::move(draw)) {}

    QIconEngine* clone() const override { return new TDrawnIconEngine(m_draw); }

    // `size` is in device pixels here: QIcon asks for the logical size times the ratio.
    QPixmap pixmap(const QSize& size, QIcon::Mode mode, QIcon::State) override {
        QPixmap picture = m_draw(size);
        picture.setDevicePixelRatio(1);
        // The disabled and selected looks are the style's, as for any icon made of pixmaps.
        if (mode == QIcon::Disabled || mode == QIcon::Selected) {
            if (const QStyle* style = QApplication::style()) {
                QStyleOption option;
                option.palette = QApplication::palette();
                picture = style->generatedIconPixmap(mode, picture, &option);
            }
        }
        return picture;
    }

    QPixmap scaledPixmap(const QSize& size, QIcon::Mode mode, QIcon::State state, qreal) override {
        return pixmap(size, mode, state);
    }

    void paint(QPainter* painter, const QRect& rect, QIcon::Mode mode,
               QIcon::State state) override {
        const qreal ratio =
            painter->device() != nullptr ? painter->device()->devicePixelRatioF() : 1;
        const QSize pixels(static_cast<int>(std::lround(rect.width() * ratio)),
                           static_cast<int>(std::lround(rect.height() * ratio)));
        if (pixels.isEmpty()) {
            return;
        }
        QPixmap picture = pixmap(pixels, mode, state);
        picture.setDevicePixelRatio(ratio);
        painter->drawPixmap(rect.topLeft(), picture);
    }

  private:
    std::function<QPixmap(const QSize& pixels)> m_draw;
};

}  // namespace

QIcon DrawnIcon(std::function<QPixmap(const QSize& pixels)> draw) {
    return QIcon(new TDrawnIconEngine(std::move(draw)));
}

QIcon CommandIcon(TCommandIcon icon) {
    return DrawnIcon([icon](const QSize& pixels) { return Picture(icon, pixels); });
}

QIcon ReactionIcon(TRelayReaction code) {
    return DrawnIcon([code](const QSize& pixels) {
        const qreal ratio = std::max<qreal>(std::min(pixels.width(), pixels.height()), 1) /
                            static_cast<qreal>(kPictureSize);
        return ReactionPixmap(code, ratio);
    });
}

QIcon UnwrittenMarkIcon() {
    return DrawnIcon([](const QSize& pixels) {
        QPixmap picture(pixels);
        picture.fill(Qt::transparent);
        QPainter painter(&picture);
        painter.scale(pixels.width() / 16.0, pixels.height() / 16.0);
        PaintUnwrittenMarker(painter, QRect(1, 1, 14, 14), QApplication::palette());
        return picture;
    });
}

QPixmap ConnectPicture(qreal devicePixelRatio) {
    const QSizeF logical(41, 38);
    QPixmap picture(static_cast<int>(std::ceil(logical.width() * devicePixelRatio)),
                    static_cast<int>(std::ceil(logical.height() * devicePixelRatio)));
    picture.setDevicePixelRatio(devicePixelRatio);
    picture.fill(Qt::transparent);
    QPainter p(&picture);
    p.setRenderHint(QPainter::Antialiasing);
    p.setPen(QPen(QColor(40, 40, 40), 1.5));
    p.setBrush(QColor(90, 130, 200));
    p.drawRoundedRect(QRectF(4, 10, 33, 18), 5, 5);
    p.setBrush(Qt::white);
    for (int i = 0; i < 5; ++i) {
        p.drawEllipse(QPointF(10 + i * 5.3, 16), 1.6, 1.6);
    }
    for (int i = 0; i < 4; ++i) {
        p.drawEllipse(QPointF(12.5 + i * 5.3, 22), 1.6, 1.6);
    }
    p.setPen(QPen(QColor(40, 40, 40), 2.5));
    p.drawLine(QPointF(20.5, 28), QPointF(20.5, 37));
    return picture;
}

// A resource of a static library is linked in only when something names its initialiser.
static void InitAppIconResource() {
    Q_INIT_RESOURCE(app_icons);
}

QIcon AppIcon() {
    static const bool registered = (InitAppIconResource(), true);
    Q_UNUSED(registered);
    QIcon icon;
    for (int size : {16, 24, 32, 48, 64, 128, 256}) {
        icon.addFile(QString(":/icons/%1x%1/tarnel-config.png").arg(size), QSize(size, size));
    }
    return icon;
}
