// The page base's operations over the control kinds.
#include "pages/PageBase.h"
#include "widgets/PageFont.h"

#include <QApplication>
#include <QLineEdit>
#include <QVBoxLayout>
#include <algorithm>
#include <stdexcept>

#include "ini/IniFile.h"
#include "widgets/StoredControls.h"

namespace {

std::string Std(const QString& text) {
    return text.toStdString();
}

QString FromStd(const std::string& text) {
    return QString::fromStdString(text);
}

bool HintAsBool(const QString& hint) {
    bool isNumber = false;
    const qlonglong number = hint.trimmed().toLongLong(&isNumber);
    if (isNumber) {
        return number != 0;
    }
    if (hint.compare(QStringLiteral("TRUE"), Qt::CaseInsensitive) == 0) {
        return true;
    }
    if (hint.compare(QStringLiteral("FALSE"), Qt::CaseInsensitive) == 0) {
        return false;
    }
    throw std::invalid_argument("'" + hint.toStdString() + "' is not a valid Boolean value");
}

void ClearCaptionMark(QAbstractButton& button) {
    if (button.text() == QStringLiteral("!")) {
        button.setText(QString());
    }
}

void ClearLabelMarks(TLabel& label) {
    label.SetFontColor(QApplication::palette().color(QPalette::WindowText));
    SetNormalFontStyle(label);
}

// The effect of Clear and ClearMarks on one control; only Clear empties edits and unchecks.
void ClearControl(QWidget* control, bool emptyValues) {
    if (auto* label = dynamic_cast<TLabel*>(control)) {
        ClearLabelMarks(*label);
    } else if (auto* edit = dynamic_cast<TEdit*>(control)) {
        if (emptyValues) {
            edit->setText(QString());
        }
        SetNormalFontStyle(*edit);
    } else if (auto* spin = dynamic_cast<TSpinEdit*>(control)) {
        SetNormalFontStyle(*spin);
    } else if (auto* check = dynamic_cast<TCheckBox*>(control)) {
        SetNormalFontStyle(*check);
        if (emptyValues) {
            check->setChecked(false);
        }
        ClearCaptionMark(*check);
    } else if (auto* radio = dynamic_cast<TRadioButton*>(control)) {
        SetNormalFontStyle(*radio);
        ClearCaptionMark(*radio);
    }
}

void SetControlDefault(QWidget* control) {
    if (auto* edit = dynamic_cast<TEdit*>(control)) {
        edit->setText(edit->Hint());
    } else if (auto* spin = dynamic_cast<TSpinEdit*>(control)) {
        spin->SetText(spin->Hint());
    } else if (auto* check = dynamic_cast<TCheckBox*>(control)) {
        check->setChecked(HintAsBool(check->Hint()));
    } else if (auto* radio = dynamic_cast<TRadioButton*>(control)) {
        radio->SetChecked(HintAsBool(radio->Hint()));
    } else if (auto* combo = dynamic_cast<TComboBox*>(control)) {
        combo->SetItemIndex(combo->findText(combo->Hint(), Qt::MatchFixedString));
    }
}

void LoadControl(const TIniFile& ini, const std::string& section, QWidget* control) {
    const std::string key = Std(control->objectName());
    if (auto* edit = dynamic_cast<TEdit*>(control)) {
        if (ini.ValueExists(section, key)) {
            edit->setText(FromStd(ini.ReadString(section, key, "")));
        }
    } else if (auto* spin = dynamic_cast<TSpinEdit*>(control)) {
        const std::string text = ini.ReadString(section, key, "");
        if (!text.empty()) {
            spin->SetText(FromStd(text));
        }
    } else if (auto* check = dynamic_cast<TCheckBox*>(control)) {
        check->setChecked(ini.ReadBool(section, key, false));
    } else if (auto* radio = dynamic_cast<TRadioButton*>(control)) {
        radio->SetChecked(ini.ReadBool(section, key, radio->isChecked()));
    } else if (auto* combo = dynamic_cast<TComboBox*>(control)) {
        if (ini.ValueExists(section, key)) {
            combo->SetItemIndex(ini.ReadInteger(section, key, combo->ItemIndex()));
        }
    } else if (auto* masked = dynamic_cast<TMaskEdit*>(control)) {
        masked->SetText(FromStd(ini.ReadString(section, key, Std(masked->Hint()))));
    }
}

void SaveControl(TIniFile& ini, const std::string& section, QWidget* control) {
    const std::string key = Std(control->objectName());
    if (auto* edit = dynamic_cast<TEdit*>(control)) {
        ini.WriteString(section, key, Std(edit->text()));
    } else if (auto* spin = dynamic_cast<TSpinEdit*>(control)) {
        ini.WriteString(section, key, Std(spin->Text()));
    } else if (auto* check = dynamic_cast<TCheckBox*>(control)) {
        ini.WriteBool(section, key, check->isChecked());
    } else if (auto* radio = dynamic_cast<TRadioButton*>(control)) {
        ini.WriteBool(section, key, radio->isChecked());
    } else if (auto* combo = dynamic_cast<TComboBox*>(control)) {
        ini.WriteInteger(section, key, combo->ItemIndex());
    } else if (auto* masked = dynamic_cast<TMaskEdit*>(control)) {
        ini.WriteString(section, key, Std(masked->Text()));
    }
}

// The settings-file walks skip controls without a name: they would have no key.
std::vector<QWidget*> NamedControls(QWidget& form) {
    auto controls = OwnedControls(form);
    std::erase_if(controls, [](QWidget* c) { return c->objectName().isEmpty(); });
    return controls;
}

}  // namespace

TPageBase::TPageBase(QWidget* parent) : TPageBase(parent, QStringLiteral("formIncl")) {}

// The controls outlive the page's own part: QWidget deletes them afterwards, and an edit that
// loses the focus then still signals. Nothing of the page may hear it.
TPageBase::~TPageBase() {
    for (QObject* child : findChildren<QObject*>()) {
        QObject::disconnect(child, nullptr, this, nullptr);
    }
}

TPageBase::TPageBase(QWidget* parent, const QString& sectionName) : QWidget(parent) {
    setObjectName(sectionName);
    setWindowTitle(QStringLiteral("FormIncl"));
    setWindowFlag(Qt::FramelessWindowHint);
    setFont(PageFont());
    setAutoFillBackground(true);
    QPalette p = palette();
    p.setColor(QPalette::Window, p.color(QPalette::Button));
    setPalette(p);

    ScrollArea = new QScrollArea(this);
    ScrollArea->setObjectName(QStringLiteral("ScrollBox1"));
    ScrollArea->setFrameShape(QFrame::NoFrame);
    ScrollArea->setWidgetResizable(true);
    // The box scrolls to the control that has the focus; a focus stop of its own would show
    // nothing, so Tab goes from the log's controls straight to the page's first control.
    ScrollArea->setFocusPolicy(Qt::NoFocus);
    auto* content = new QWidget(ScrollArea);
    content->setAutoFillBackground(false);
    ScrollArea->setWidget(content);
    ScrollArea->viewport()->setAutoFillBackground(false);
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(ScrollArea);
}

void TPageBase::Clear() {
    for (QWidget* control : OwnedControls(*this)) {
        ClearControl(control, true);
    }
}

void TPageBase::ClearMarks() {
    for (QWidget* control : OwnedControls(*this)) {
        ClearControl(control, false);
    }
}

void TPageBase::NoteLoadReplacement(const TIniFile& ini, const TSettingsReplacement& replacement) {
    m_loadReplacements.push_back(
        {replacement.LogLine(ini.FileName()), replacement.Text(Caption().toStdString())});
}

void TPageBase::LoadFromIni(const TIniFile& ini) {
    LoadFormFromIni(ini, *this);
}

void TPageBase::SaveToIni(TIniFile& ini) {
    SaveFormToIni(ini, *this);
}

void TPageBase::SetDefaults() {
    for (QWidget* control : OwnedControls(*this)) {
        // One control's bad hint must not keep the others from their defaults.
        try {
            SetControlDefault(control);
        } catch (const std::exception&) {
        }
    }
}

std::vector<QWidget*> OwnedControls(QWidget& form) {
    std::vector<QWidget*> controls;
    for (QWidget* child : form.findChildren<QWidget*>()) {
        if (dynamic_cast<TControlInfo*>(child) == nullptr) {
            continue;
        }
        bool nested = false;
        for (QWidget* p = child->parentWidget(); p != nullptr && p != &form;
             p = p->parentWidget()) {
            nested = nested || dynamic_cast<TPageBase*>(p) != nullptr;
        }
        if (!nested) {
            controls.push_back(child);
        }
    }
    std::sort(controls.begin(), controls.end(), [](QWidget* a, QWidget* b) {
        return dynamic_cast<TControlInfo*>(a)->CreationOrder() <
               dynamic_cast<TControlInfo*>(b)->CreationOrder();
    });
    return controls;
}

void LoadFormFromIni(const TIniFile& ini, QWidget& form) {
    const std::string section = Std(form.objectName());
    for (QWidget* control : NamedControls(form)) {
        LoadControl(ini, section, control);
    }
}

void SaveFormToIni(TIniFile& ini, QWidget& form) {
    const std::string section = Std(form.objectName());
    for (QWidget* control : NamedControls(form)) {
        SaveControl(ini, section, control);
    }
}

// A step that changed nothing is dropped by whoever keeps the steps, so the edit need not know
// whether its text differs from the one it started with.
void TPageBase::FinishEdit(QLineEdit& edit, const QString& label) {
    edit.setModified(false);
    emit ValuesEdited(Caption() + ", " + label);
}
