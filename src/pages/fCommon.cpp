// The common page: the module's object number.
#include "fCommon.h"

#include "IniFile.h"
#include "InputController.h"

TFormCommon::TFormCommon(QWidget* parent) : TformIncl(parent, QStringLiteral("FormCommon")) {
    SetCaption(QString::fromUtf8("Общие"));

    GroupBox1 = new QGroupBox(QString::fromUtf8("Общие настройки"), this);
    GroupBox1->setObjectName(QStringLiteral("GroupBox1"));
    QFont bold = PageFont();
    bold.setBold(true);
    GroupBox1->setFont(bold);
    GroupBox1->setGeometry(0, 0, 800, 600);

    GroupBox3 = new QGroupBox(QString::fromUtf8("Объект"), GroupBox1);
    GroupBox3->setObjectName(QStringLiteral("GroupBox3"));
    GroupBox3->setFont(PageFont());
    GroupBox3->setGeometry(9, 11, 320, 49);

    lbO = new TLabel(QString::fromUtf8("Номер объекта"), GroupBox3);
    lbO->setObjectName(QStringLiteral("lbO"));
    lbO->move(18, 16);
    lbO->adjustSize();

    etO = new TEdit(GroupBox3);
    etO->setObjectName(QStringLiteral("etO"));
    etO->setGeometry(230, 16, 75, 21);
    etO->SetMaxLength(2);
    etO->SetDigitsOnly(true);
    etO->setText(QStringLiteral("01"));
    etO->SetHint(QStringLiteral("01"));
    etO->OnKeyPress = [this](QChar& key) { etOKeyPress(key); };
}

void TFormCommon::LoadFromIni(const TIniFile& ini) {
    TformIncl::LoadFromIni(ini);
    const QString text = etO->text();
    if (!IsShownObjectNumber(text.toStdString()) &&
        ini.ValueExists(Name().toStdString(), etO->objectName().toStdString())) {
        etO->setText(etO->Hint());
        NoteLoadReplacement(ini, etO->objectName().toStdString(), text.toStdString(),
                            etO->Hint().toStdString());
    }
}

TCommonSettings TFormCommon::Settings() const {
    return {etO->text().toStdString()};
}

void TFormCommon::ShowSettings(const TCommonSettings& settings) {
    etO->setText(QString::fromStdString(settings.ObjectNumber));
}

void TFormCommon::etOKeyPress(QChar& key) {
    TInputController::FilterDigitKey(key);
}
