// Key filtering and value clamping for the number edits of the pages and the connect dialog.
#pragma once

#include <QChar>

class QObject;

class TInputController {
  public:
    TInputController() = delete;

    // Keeps a decimal digit or backspace; every other key becomes character 0, which the edit
    // ignores.
    static void FilterDigitKey(QChar& key);
    // For an edit's change event: the text, trimmed, read as a decimal integer ("$" for
    // hexadecimal) or else the fallback, kept within minimum..maximum and written back as a
    // decimal number when it differs. Controls other than a TEdit are left alone.
    static void ClampEditValue(QObject* control, int minimum, int fallback, int maximum);
};
