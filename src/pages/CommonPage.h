// The common page: the module's object number.
#pragma once

#include <QGroupBox>

#include "model/ModuleSettings.h"
#include "pages/PageBase.h"
#include "widgets/StoredControls.h"

class TCommonPage : public TPageBase {
    Q_OBJECT
  public:
    explicit TCommonPage(QWidget* parent = nullptr);

    // "Общие настройки", which holds the object group.
    QGroupBox* SettingsGroup;
    // "Объект": the object number's label and edit.
    QGroupBox* ObjectGroup;
    TLabel* ObjectNumberLabel;
    // The object number as up to two decimal digits, possibly empty or with a leading zero.
    TEdit* etO;

    // A stored object number that is not one or two decimal digits becomes the default "01".
    void LoadFromIni(const TIniFile& ini) override;
    void SaveToIni(TIniFile& ini) override;

    TCommonSettings Settings() const;
    void ShowSettings(const TCommonSettings& settings);

  private:
    void Arrange();
};
