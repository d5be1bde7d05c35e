// Key filtering and value clamping for the number edits of the pages and the connect dialog.
#include "widgets/InputController.h"

#include "model/EditValue.h"
#include "widgets/StoredControls.h"

void TInputController::FilterDigitKey(QChar& key) {
    const bool digit = key >= QChar('0') && key <= QChar('9');
    if (!digit && key != QChar('\b')) {
        key = QChar(0);
    }
}

void TInputController::ClampEditValue(QObject* control, int minimum, int fallback, int maximum) {
    auto* edit = dynamic_cast<TEdit*>(control);
    if (edit == nullptr) {
        return;
    }
    const int value = ClampedEditValue(edit->text().toStdString(), minimum, fallback, maximum);
    const QString text = QString::number(value);
    if (edit->text() != text) {
        edit->setText(text);
    }
}
