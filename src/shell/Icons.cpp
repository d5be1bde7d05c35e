// The pictures of the main window's commands, drawn so that they show without an icon theme.
#include "Icons.h"

#include <QPainter>
#include <QPainterPath>
#include <QPixmap>
#include <QPolygonF>

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

QPixmap Picture(TCommandIcon icon, int size) {
    QPixmap pixmap(size, size);
    pixmap.fill(Qt::transparent);
    QPainter painter(&pixmap);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.scale(size / 16.0, size / 16.0);
    Draw(painter, icon);
    return pixmap;
}

}  // namespace

QIcon CommandIcon(TCommandIcon icon) {
    QIcon result;
    for (int size : {16, 24, 32}) {
        result.addPixmap(Picture(icon, size));
    }
    return result;
}
