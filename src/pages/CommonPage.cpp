// The common page: the module's object number.
#include "pages/CommonPage.h"

#include <QVBoxLayout>
#include <algorithm>

#include "ini/IniFile.h"
#include "model/ModuleCompare.h"
#include "model/ModuleSettingsIni.h"
#include "model/RelayCaptions.h"
#include "widgets/InputController.h"
#include "widgets/PageFont.h"

TCommonPage::TCommonPage(QWidget* parent)
    : TPageBase(parent, QString::fromLatin1(kCommonSectionName)) {
    SetCaption(QString::fromUtf8(kCommonPageCaption));

    SettingsGroup = new QGroupBox(QString::fromUtf8("Общие настройки"), ScrolledContent());
    SettingsGroup->setObjectName(QStringLiteral("GroupBox1"));
    QFont bold = PageFont();
    bold.setBold(true);
    SettingsGroup->setFont(bold);

    ObjectGroup = new QGroupBox(QString::fromUtf8("Объект"), SettingsGroup);
    ObjectGroup->setObjectName(QStringLiteral("GroupBox3"));
    ObjectGroup->setFont(PageFont());
    ObjectGroup->setGeometry(9, 11, 320, 49);

    ObjectNumberLabel = new TLabel(QString::fromUtf8("Номер объекта"), ObjectGroup);
    ObjectNumberLabel->setObjectName(QStringLiteral("lbO"));
    ObjectNumberLabel->move(18, 16);
    ObjectNumberLabel->adjustSize();

    etO = new TEdit(ObjectGroup);
    etO->setObjectName(QString::fromLatin1(kObjectNumberKey));
    etO->setGeometry(230, 16, 75, 21);
    etO->SetMaxLength(2);
    etO->SetDigitsOnly(true);
    etO->setText(QString::fromLatin1(kDefaultObjectNumber));
    etO->SetHint(QString::fromLatin1(kDefaultObjectNumber));
    // Enter finishes the edit as a step and still reaches a dialog around the page.
    etO->OnKeyPress = [this](QChar& key) {
        if (key == QChar('\r')) {
            FinishEdit(*etO, ObjectNumberLabel->text());
        }
        TInputController::FilterDigitKey(key);
    };
    connect(etO, &QLineEdit::editingFinished, this,
            [this] { FinishEdit(*etO, ObjectNumberLabel->text()); });
    etO->setAccessibleName(ObjectNumberLabel->text());
    ObjectNumberMarker = new TControlMarker(*etO);
    // The marker follows typing, not only the finished edit.
    connect(etO, &QLineEdit::textChanged, this, [this] { UpdateObjectNumberMarker(); });
    Arrange();
}

void TCommonPage::Arrange() {
    // The layout's positions, with the edit moved right and the groups widened where the label
    // needs more room in the fonts at hand; the outer group fills the page beyond its needs.
    constexpr int kGap = 8;
    constexpr int kMargin = 9;
    const int editHeight = std::max(etO->height(), etO->minimumSizeHint().height());
    etO->setGeometry(std::max(etO->x(), ObjectNumberLabel->x() + ObjectNumberLabel->width() + kGap),
                     etO->y(), etO->width(), editHeight);
    ObjectGroup->resize(std::max({ObjectGroup->width(), etO->x() + etO->width() + 15,
                                  ObjectGroup->minimumSizeHint().width()}),
                        std::max(ObjectGroup->height(), etO->y() + etO->height() + 12));
    const QSize needed(std::max(ObjectGroup->x() + ObjectGroup->width() + kMargin,
                                SettingsGroup->minimumSizeHint().width()),
                       ObjectGroup->y() + ObjectGroup->height() + kMargin);
    SettingsGroup->setMinimumSize(needed);
    auto* layout = new QVBoxLayout(ScrolledContent());
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(SettingsGroup);
    ScrolledContent()->setMinimumSize(needed);
}

void TCommonPage::LoadFromIni(const TIniFile& ini) {
    TCommonSettings settings = Settings();
    for (const TSettingsReplacement& replacement : LoadShownCommonSettings(ini, settings)) {
        NoteLoadReplacement(ini, replacement);
    }
    ShowSettings(settings);
}

void TCommonPage::SaveToIni(TIniFile& ini) {
    SaveCommonSettings(ini, Settings());
}

TCommonSettings TCommonPage::Settings() const {
    return {etO->text().toStdString()};
}

void TCommonPage::ShowSettings(const TCommonSettings& settings) {
    etO->setText(QString::fromStdString(settings.ObjectNumber));
}

void TCommonPage::ShowModuleObjectNumber(const std::optional<std::string>& number) {
    m_moduleObjectNumber = number;
    UpdateObjectNumberMarker();
}

int TCommonPage::UnwrittenCount() const {
    return m_moduleObjectNumber && !SameObjectNumber(*m_moduleObjectNumber, Settings().ObjectNumber)
               ? 1
               : 0;
}

void TCommonPage::UpdateObjectNumberMarker() {
    ObjectNumberMarker->SetNote(UnwrittenCount() > 0
                                    ? QString::fromUtf8("в модуле: ") +
                                          QString::fromStdString(*m_moduleObjectNumber)
                                    : QString());
}
