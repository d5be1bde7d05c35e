#include "widgets/PageFont.h"

QFont PageFont() {
    QFont font;
    font.setFamilies({QStringLiteral("MS Sans Serif"), QStringLiteral("DejaVu Sans Condensed")});
    font.setStyleHint(QFont::SansSerif);
    font.setPointSize(8);
    // Stated outright, so that a control inside a bold group box does not inherit its weight.
    font.setWeight(QFont::Normal);
    font.setItalic(false);
    return font;
}
