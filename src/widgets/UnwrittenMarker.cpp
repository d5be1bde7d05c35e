// The marker of a value that differs from the module's, over a grid cell or a control.
#include "widgets/UnwrittenMarker.h"

#include <QEvent>
#include <QPainter>
#include <QPainterPath>
#include <QPalette>
#include <algorithm>
#include <cmath>

namespace {

// Dashes and gaps of the frame, in units, each edge dashed from its corners on.
constexpr int kDash = 3;
constexpr int kGap = 2;
constexpr int kDarkFaceLightness = 128;

// Whole-unit rectangles stay sharp at any scale, as the reaction pictures do; a pen would smear
// a one-unit line over two device pixels wherever a unit falls between them.
void PaintDashedFrame(QPainter& painter, const QRect& rect, const QColor& color) {
    const int right = rect.left() + rect.width() - 1;
    const int bottom = rect.top() + rect.height() - 1;
    for (int d = 0; d < rect.width(); d += kDash + kGap) {
        const int length = std::min(kDash, rect.width() - d);
        painter.fillRect(QRectF(rect.left() + d, rect.top(), length, 1), color);
        painter.fillRect(QRectF(rect.left() + d, bottom, length, 1), color);
    }
    for (int d = 0; d < rect.height(); d += kDash + kGap) {
        const int length = std::min(kDash, rect.height() - d);
        painter.fillRect(QRectF(rect.left(), rect.top() + d, 1, length), color);
        painter.fillRect(QRectF(right, rect.top() + d, 1, length), color);
    }
}

}  // namespace

QColor UnwrittenMarkerColor(const QPalette& palette) {
    const bool darkFace = palette.color(QPalette::Button).lightness() < kDarkFaceLightness;
    return darkFace ? QColor(255, 166, 77) : QColor(179, 71, 0);
}

void PaintUnwrittenMarker(QPainter& painter, const QRect& rect, const QPalette& palette) {
    const QColor color = UnwrittenMarkerColor(palette);
    painter.save();
    painter.setRenderHint(QPainter::Antialiasing, false);
    PaintDashedFrame(painter, rect, color);

    // The triangle's legs lie on whole units too; only its slanted side is smoothed.
    const QRectF area(rect);
    const qreal leg = std::round(std::min(area.width(), area.height()) / 3);
    QPainterPath corner;
    corner.moveTo(area.right() - leg, area.top());
    corner.lineTo(area.right(), area.top());
    corner.lineTo(area.right(), area.top() + leg);
    corner.closeSubpath();
    painter.setRenderHint(QPainter::Antialiasing, true);
    painter.fillPath(corner, color);
    painter.restore();
}

TControlMarker::TControlMarker(QWidget& control) : QWidget(&control) {
    // The control under the marker keeps its clicks, its cursor and its tooltip.
    setAttribute(Qt::WA_TransparentForMouseEvents);
    setFocusPolicy(Qt::NoFocus);
    setGeometry(control.rect());
    control.installEventFilter(this);
    hide();
}

void TControlMarker::SetNote(const QString& note) {
    if (note == m_note) {
        return;
    }
    QWidget& control = Control();
    if (m_note.isEmpty()) {
        m_ownToolTip = control.toolTip();
        m_ownDescription = control.accessibleDescription();
    }
    m_note = note;
    control.setToolTip(note.isEmpty() ? m_ownToolTip : note);
    control.setAccessibleDescription(note.isEmpty() ? m_ownDescription : note);
    setAccessibleName(note);
    setVisible(!note.isEmpty());
    update();
}

void TControlMarker::paintEvent(QPaintEvent*) {
    // Over the control's own border, whose grey shows between the dashes: inside it the dashes
    // would crowd the text, which the style sets a unit or two from the border.
    QPainter painter(this);
    PaintUnwrittenMarker(painter, rect(), Control().palette());
}

bool TControlMarker::eventFilter(QObject* watched, QEvent* event) {
    if (watched == parent() && event->type() == QEvent::Resize) {
        setGeometry(Control().rect());
    }
    return QWidget::eventFilter(watched, event);
}
