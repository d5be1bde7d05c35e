// The pictures of the reaction codes: signal traces on a 23 x 23 bitmap.
#pragma once

#include <QImage>
#include <QPixmap>

class QPainter;

#include "model/RelaySettings.h"

constexpr int kPictureSize = 23;
// The bitmaps' background; it stands for "transparent" wherever a picture is drawn.
constexpr QRgb kTransparentColor = qRgb(255, 0, 255);

// The legend bitmap of a code: a rising edge for rrOn, a pulse for rrOnTimed, a falling edge for
// rrOff, two pulses for rrOn1Hz and a flat line for rrNone and every other value.
QImage MakeReactionBitmap(TRelayReaction code);
// The bitmap with its transparent colour turned into real transparency.
QImage WithTransparency(const QImage& bitmap);
// Paints a code's trace as vectors over a square of kPictureSize units whose top left is at
// origin, in the painter's logical units: a scaled painter draws it at the device's resolution,
// and at scale 1 it lays down the very pixels of the code's bitmap.
void PaintReaction(QPainter& painter, const QPoint& origin, TRelayReaction code);
// The code's picture on a transparent background, for a device of the given pixel ratio.
QPixmap ReactionPixmap(TRelayReaction code, qreal devicePixelRatio);
