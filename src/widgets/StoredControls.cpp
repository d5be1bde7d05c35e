// The control kinds of the pages: hints, creation order, key filters and text access.
#include "widgets/StoredControls.h"

#include <QApplication>
#include <QKeyEvent>
#include <QKeySequence>
#include <QLineEdit>
#include <QValidator>
#include <algorithm>
#include <string_view>

#include "model/EditValue.h"

namespace {

// Select all, copy, cut, paste, undo and redo: commands to the edit, not characters to filter.
bool IsEditCommand(const QKeyEvent& event) {
    for (const QKeySequence::StandardKey command :
         {QKeySequence::SelectAll, QKeySequence::Copy, QKeySequence::Cut, QKeySequence::Paste,
          QKeySequence::Undo, QKeySequence::Redo}) {
        if (event.matches(command)) {
            return true;
        }
    }
    return false;
}

// Runs a key-press handler on the character that a key types, then lets the control see the
// key, the changed character, or nothing. Delete types no character on the original system, so
// a filter never sees it; the edit commands reach the control unfiltered, and a paste still
// meets the control's validator.
template <typename TBase>
void FilteredKeyPress(const TKeyPressHandler& handler, QKeyEvent* event, TBase passOn) {
    const QString text = event->text();
    if (!handler || text.isEmpty() || event->key() == Qt::Key_Delete || IsEditCommand(*event)) {
        passOn(event);
        return;
    }
    const QChar typed = text.front();
    QChar key = typed;
    handler(key);
    if (key.isNull()) {
        // Ignored, so that a dialog still sees Enter and Escape.
        event->ignore();
        return;
    }
    if (key == typed) {
        passOn(event);
        return;
    }
    QKeyEvent changed(event->type(), event->key(), event->modifiers(), QString(key),
                      event->isAutoRepeat(), event->count());
    passOn(&changed);
    event->setAccepted(changed.isAccepted());
}

// Translates the mask notation of the pages into a Qt input mask.
QString QtInputMask(const QString& mask, bool& leadingBlanks) {
    const auto parts = mask.split(';');
    QString positions = parts.value(0);
    leadingBlanks = positions.startsWith('!');
    if (leadingBlanks) {
        positions.remove(0, 1);
    }
    QString result;
    for (qsizetype i = 0; i < positions.size(); ++i) {
        const QChar c = positions[i];
        switch (c.unicode()) {
            case '9':
                result += '0';
                break;
            case '0':
                result += '9';
                break;
            case 'L':
                result += 'A';
                break;
            case 'l':
                result += 'a';
                break;
            case 'A':
                result += 'N';
                break;
            case 'a':
                result += 'n';
                break;
            case 'C':
                result += 'X';
                break;
            case 'c':
                result += 'x';
                break;
            case '#':
                result += '#';
                break;
            case '>':
            case '<':
                result += c;
                break;
            case '\\':
                if (i + 1 < positions.size()) {
                    result += '\\';
                    result += positions[++i];
                }
                break;
            default:
                // Characters that Qt reads as mask characters stay literals.
                if (QStringLiteral("HhBbDdXx90NnAa#<>!{}[]").contains(c)) {
                    result += '\\';
                }
                result += c;
        }
    }
    if (positions.isEmpty()) {
        return {};
    }
    const QString blank = parts.value(2);
    return result + ';' + (blank.isEmpty() ? QStringLiteral("_") : blank.left(1));
}

QChar MaskBlank(const QString& mask) {
    const QString blank = mask.split(';').value(2);
    return blank.isEmpty() ? QChar('_') : blank.front();
}

}  // namespace

TControlInfo::TControlInfo() {
    static std::uint64_t created = 0;
    m_creationOrder = ++created;
}

TEdit::TEdit(QWidget* parent) : QLineEdit(parent) {}

namespace {

// Refuses edits that would make the text longer than the limit or put other characters than
// digits in. A line edit validates typed, pasted and dropped text only, never text given by
// setText.
class TEditValidator : public QValidator {
  public:
    TEditValidator(int maxLength, bool digitsOnly, QObject* parent)
        : QValidator(parent), m_maxLength(maxLength), m_digitsOnly(digitsOnly) {}
    State validate(QString& input, int& /*pos*/) const override {
        if (m_maxLength > 0 && input.size() > m_maxLength) {
            return Invalid;
        }
        if (m_digitsOnly && !input.isEmpty() &&
            !IsPlainNumber(input.toStdString(), std::string_view::npos)) {
            return Invalid;
        }
        return Acceptable;
    }

  private:
    int m_maxLength;
    bool m_digitsOnly;
};

}  // namespace

void TEdit::SetMaxLength(int maxLength) {
    m_maxLength = maxLength;
    UpdateValidator();
}

void TEdit::SetDigitsOnly(bool digitsOnly) {
    m_digitsOnly = digitsOnly;
    UpdateValidator();
}

void TEdit::UpdateValidator() {
    if (const QValidator* old = validator()) {
        delete old;
    }
    setValidator(m_maxLength > 0 || m_digitsOnly
                     ? new TEditValidator(m_maxLength, m_digitsOnly, this)
                     : nullptr);
}

void TEdit::keyPressEvent(QKeyEvent* event) {
    FilteredKeyPress(OnKeyPress, event, [this](QKeyEvent* e) { QLineEdit::keyPressEvent(e); });
}

TMaskEdit::TMaskEdit(QWidget* parent) : QLineEdit(parent) {}

void TMaskEdit::SetEditMask(const QString& mask) {
    m_editMask = mask;
    setInputMask(QtInputMask(mask, m_leadingBlanks));
}

QString TMaskEdit::Text() const {
    if (inputMask().isEmpty()) {
        return text();
    }
    QString shown = displayText();
    shown.replace(MaskBlank(m_editMask), QChar(' '));
    if (!m_leadingBlanks) {
        return shown;
    }
    QString filled = shown;
    filled.remove(QChar(' '));
    return QString(shown.size() - filled.size(), QChar(' ')) + filled;
}

void TMaskEdit::SetText(const QString& text) {
    if (text != Text()) {
        setText(text);
    }
}

void TMaskEdit::keyPressEvent(QKeyEvent* event) {
    FilteredKeyPress(OnKeyPress, event, [this](QKeyEvent* e) { QLineEdit::keyPressEvent(e); });
}

TSpinEdit::TSpinEdit(QWidget* parent) : QSpinBox(parent) {
    setRange(std::numeric_limits<int>::min(), std::numeric_limits<int>::max());
}

QString TSpinEdit::Text() const {
    return QString::number(value());
}

void TSpinEdit::SetText(const QString& text) {
    bool ok = false;
    const int number = text.trimmed().toInt(&ok);
    if (ok) {
        setValue(number);
    }
}

void TSpinEdit::keyPressEvent(QKeyEvent* event) {
    FilteredKeyPress(OnKeyPress, event, [this](QKeyEvent* e) { QSpinBox::keyPressEvent(e); });
}

TCheckBox::TCheckBox(QWidget* parent) : QCheckBox(parent) {}

TRadioButton::TRadioButton(QWidget* parent) : QRadioButton(parent) {}

void TRadioButton::SetChecked(bool checked) {
    const bool exclusive = autoExclusive();
    if (!checked) {
        setAutoExclusive(false);
    }
    setChecked(checked);
    setAutoExclusive(exclusive);
}

TComboBox::TComboBox(QWidget* parent) : QComboBox(parent) {
    setInsertPolicy(NoInsert);
}

int TComboBox::ItemIndex() const {
    const int index = currentIndex();
    if (index >= 0 && isEditable() && currentText() != itemText(index)) {
        return -1;
    }
    return index;
}

void TComboBox::SetItemIndex(int index) {
    setCurrentIndex(index >= 0 && index < count() ? index : -1);
    if (currentIndex() < 0 && isEditable()) {
        setEditText(QString());
    }
}

void TComboBox::showPopup() {
    if (OnDropDown) {
        OnDropDown();
    }
    QComboBox::showPopup();
}

TLabel::TLabel(QWidget* parent) : QLabel(parent) {}

TLabel::TLabel(const QString& caption, QWidget* parent) : QLabel(caption, parent) {}

QColor TLabel::FontColor() const {
    return palette().color(QPalette::WindowText);
}

void TLabel::SetFontColor(const QColor& color) {
    QPalette p = palette();
    p.setColor(QPalette::WindowText, color);
    setPalette(p);
}

void SetNormalFontStyle(QWidget& control) {
    QFont f = control.font();
    f.setBold(false);
    f.setItalic(false);
    f.setUnderline(false);
    f.setStrikeOut(false);
    control.setFont(f);
}

bool HasNormalFontStyle(const QWidget& control) {
    const QFont& f = control.font();
    return !f.bold() && !f.italic() && !f.underline() && !f.strikeOut();
}
