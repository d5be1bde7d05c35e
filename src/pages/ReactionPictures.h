// The pictures of the reaction codes: signal traces on a 23 x 23 bitmap.
#pragma once

#include <QImage>

#include "RelaySettings.h"

constexpr int kPictureSize = 23;
// The bitmaps' background; it stands for "transparent" wherever a picture is drawn.
constexpr QRgb kTransparentColor = qRgb(255, 0, 255);

// The legend bitmap of a code: a rising edge for rrOn, a pulse for rrOnTimed, a falling edge for
// rrOff, two pulses for rrOn1Hz and a flat line for rrNone and every other value.
QImage MakeReactionBitmap(TRelayReaction code);
// The bitmap with its transparent colour turned into real transparency.
QImage WithTransparency(const QImage& bitmap);
