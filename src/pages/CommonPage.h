// The common page: the module's object number.
#pragma once

#include <QGroupBox>
#include <optional>
#include <string>

#include "model/ModuleSettings.h"
#include "pages/PageBase.h"
#include "widgets/StoredControls.h"
#include "widgets/UnwrittenMarker.h"

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
    TControlMarker* ObjectNumberMarker;

    // A stored object number that is not one or two decimal digits becomes the default "01".
    void LoadFromIni(const TIniFile& ini) override;
    void SaveToIni(TIniFile& ini) override;

    TCommonSettings Settings() const;
    void ShowSettings(const TCommonSettings& settings);

    // The module's object number as the connection knows it, nullopt when it does not: while the
    // edit's number differs from it (as numbers: "07" is "7"), the edit wears the marker with the
    // module's number as its note.
    void ShowModuleObjectNumber(const std::optional<std::string>& number);
    // 1 while the edit's number differs from the module's known one, else 0.
    int UnwrittenCount() const;

  private:
    void Arrange();
    void UpdateObjectNumberMarker();

    std::optional<std::string> m_moduleObjectNumber;
};
