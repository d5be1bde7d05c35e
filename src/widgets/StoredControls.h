// The control kinds that the page framework stores, clears and resets, each a class of its own.
#pragma once

#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QRadioButton>
#include <QSpinBox>
#include <cstdint>
#include <functional>

// A key-press handler may change the typed character; character 0 means the control ignores it.
using TKeyPressHandler = std::function<void(QChar& key)>;

// What every control kind carries besides its widget: its hint, which holds its default value,
// and its place in the order of creation, which is the order the page walks follow.
class TControlInfo {
  public:
    const QString& Hint() const { return m_hint; }
    void SetHint(const QString& hint) { m_hint = hint; }
    std::uint64_t CreationOrder() const { return m_creationOrder; }

  protected:
    TControlInfo();
    ~TControlInfo() = default;

  private:
    QString m_hint;
    std::uint64_t m_creationOrder;
};

// Single-line edit. textChanged is its change event: it runs for typed and program-set text.
class TEdit : public QLineEdit, public TControlInfo {
    Q_OBJECT
    Q_PROPERTY(QString hint READ Hint WRITE SetHint)
  public:
    explicit TEdit(QWidget* parent = nullptr);
    TKeyPressHandler OnKeyPress;

    // Limits what the user types or pastes; text set by the program keeps its whole length, so a
    // change handler sees it (a loaded "1000" clamps to "255" instead of being cut to "100").
    // 0 means no limit.
    void SetMaxLength(int maxLength);
    int MaxLength() const { return m_maxLength; }
    // Lets only decimal digits in, however the text arrives: typed, pasted or dropped. Text set
    // by the program is left to the change handler, as with the length.
    void SetDigitsOnly(bool digitsOnly);

  protected:
    void keyPressEvent(QKeyEvent* event) override;

  private:
    void UpdateValidator();

    int m_maxLength = 0;
    bool m_digitsOnly = false;
};

// Edit with an input mask given in the notation "!9999;1;_": "9" an optional digit, "0" a
// required digit, "L"/"l" a letter, "A"/"a" a letter or digit, "C"/"c" any character (upper
// case required, lower case optional), "#" a digit or sign; a leading "!" makes unfilled
// positions count as leading blanks; the part after the first ";" says whether literals are
// saved, the part after the second ";" is the character shown for an unfilled position.
class TMaskEdit : public QLineEdit, public TControlInfo {
    Q_OBJECT
    Q_PROPERTY(QString hint READ Hint WRITE SetHint)
  public:
    explicit TMaskEdit(QWidget* parent = nullptr);
    TKeyPressHandler OnKeyPress;

    const QString& EditMask() const { return m_editMask; }
    void SetEditMask(const QString& mask);
    // One character per mask position, an unfilled position as a blank; with "!" the blanks
    // lead, so a mask "!9999" filled with "12" reports "  12".
    QString Text() const;
    // Lays the characters that fit onto the positions from the left; setting the text that the
    // control already reports changes nothing, so the change event does not run again.
    void SetText(const QString& text);

  protected:
    void keyPressEvent(QKeyEvent* event) override;

  private:
    QString m_editMask;
    bool m_leadingBlanks = false;
};

// Numeric spin edit; its text is the decimal value.
class TSpinEdit : public QSpinBox, public TControlInfo {
    Q_OBJECT
    Q_PROPERTY(QString hint READ Hint WRITE SetHint)
  public:
    explicit TSpinEdit(QWidget* parent = nullptr);
    TKeyPressHandler OnKeyPress;

    QString Text() const;
    // A text that is no integer leaves the value as it is.
    void SetText(const QString& text);

  protected:
    void keyPressEvent(QKeyEvent* event) override;
};

class TCheckBox : public QCheckBox, public TControlInfo {
    Q_OBJECT
    Q_PROPERTY(QString hint READ Hint WRITE SetHint)
  public:
    explicit TCheckBox(QWidget* parent = nullptr);
};

class TRadioButton : public QRadioButton, public TControlInfo {
    Q_OBJECT
    Q_PROPERTY(QString hint READ Hint WRITE SetHint)
  public:
    explicit TRadioButton(QWidget* parent = nullptr);
    // Unlike setChecked, this also unchecks the checked button of a group.
    void SetChecked(bool checked);
};

// Combo box that never adds typed text to its items.
class TComboBox : public QComboBox, public TControlInfo {
    Q_OBJECT
    Q_PROPERTY(QString hint READ Hint WRITE SetHint)
  public:
    explicit TComboBox(QWidget* parent = nullptr);
    // The selected item; -1 when none is, or when an editable box holds typed text that is not
    // the selected item's.
    int ItemIndex() const;
    // An index outside the item list leaves no item selected.
    void SetItemIndex(int index);

    // Runs just before the list drops down, so its owner can fill it anew.
    std::function<void()> OnDropDown;
    void showPopup() override;
};

class TLabel : public QLabel, public TControlInfo {
    Q_OBJECT
    Q_PROPERTY(QString hint READ Hint WRITE SetHint)
  public:
    explicit TLabel(QWidget* parent = nullptr);
    explicit TLabel(const QString& caption, QWidget* parent = nullptr);
    QColor FontColor() const;
    void SetFontColor(const QColor& color);
};

// Turns bold, italic, underline and strike-out off.
void SetNormalFontStyle(QWidget& control);
bool HasNormalFontStyle(const QWidget& control);
