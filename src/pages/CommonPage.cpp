// The common page: the module's object number.
#include "pages/CommonPage.h"

#include "model/ModuleCompare.h"

#include <QVBoxLayout>
#include <algorithm>

#include "ini/IniFile.h"
#include "widgets/InputController.h"
#include "widgets/PageFont.h"

TCommonPage::TCommonPage(QWidget* parent) : TPageBase(parent, QStringLiteral("FormCommon")) {
    SetCaption(QString::fromUtf8("Общие"));

    GroupBox1 = new QGroupBox(QString::fromUtf8("Общие настройки"), ScrollBoxContent());
    GroupBox1->setObjectName(QStringLiteral("GroupBox1"));
    QFont bold = PageFont();
    bold.setBold(true);
    GroupBox1->setFont(bold);

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
    etO->setAccessibleName(lbO->text());
    Arrange();
}

void TCommonPage::Arrange() {
    // The layout's positions, with the edit moved right and the groups widened where the label
    // needs more room in the fonts at hand; the outer group fills the page beyond its needs.
    constexpr int kGap = 8;
    constexpr int kMargin = 9;
    const int editHeight = std::max(etO->height(), etO->minimumSizeHint().height());
    etO->setGeometry(std::max(etO->x(), lbO->x() + lbO->width() + kGap), etO->y(), etO->width(),
                     editHeight);
    GroupBox3->resize(std::max({GroupBox3->width(), etO->x() + etO->width() + 15,
                                GroupBox3->minimumSizeHint().width()}),
                      std::max(GroupBox3->height(), etO->y() + etO->height() + 12));
    const QSize needed(std::max(GroupBox3->x() + GroupBox3->width() + kMargin,
                                GroupBox1->minimumSizeHint().width()),
                       GroupBox3->y() + GroupBox3->height() + kMargin);
    GroupBox1->setMinimumSize(needed);
    auto* layout = new QVBoxLayout(ScrollBoxContent());
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(GroupBox1);
    ScrollBoxContent()->setMinimumSize(needed);
}

void TCommonPage::LoadFromIni(const TIniFile& ini) {
    TPageBase::LoadFromIni(ini);
    const QString text = etO->text();
    if (!IsShownObjectNumber(text.toStdString()) &&
        ini.ValueExists(Name().toStdString(), etO->objectName().toStdString())) {
        etO->setText(etO->Hint());
        NoteLoadReplacement(ini, etO->objectName().toStdString(), text.toStdString(),
                            etO->Hint().toStdString(),
                            ReplacementText(Caption().toStdString(), "Объект / Номер объекта",
                                            text.toStdString(), etO->Hint().toStdString()));
    }
}

TCommonSettings TCommonPage::Settings() const {
    return {etO->text().toStdString()};
}

void TCommonPage::ShowSettings(const TCommonSettings& settings) {
    etO->setText(QString::fromStdString(settings.ObjectNumber));
}

void TCommonPage::etOKeyPress(QChar& key) {
    TInputController::FilterDigitKey(key);
}
