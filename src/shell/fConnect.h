// The connect dialog: the COM port and the module number to connect to.
#pragma once

#include <QDialog>
#include <string>
#include <vector>

#include "FormInterfaces.h"

class QDialogButtonBox;
class QLabel;
class TComboBox;
class TEdit;
class TLabel;
class TMaskEdit;

class TFormConnect : public QDialog, public IIniStorable {
    Q_OBJECT
  public:
    static constexpr int kOpacity = 200;

    explicit TFormConnect(QWidget* owner = nullptr);

    TLabel* RzLabel1;
    TLabel* Label1;
    QLabel* Image1;
    TLabel* Label2;
    TLabel* Label3;
    TLabel* lbKey;
    QDialogButtonBox* RzDialogButtons1;
    TComboBox* ComPorts;
    TEdit* etObjN;
    TMaskEdit* meMasterKey;

    // Replaces the port list; the box keeps its items sorted as text, so COM10 precedes COM2.
    void SetPortNames(const std::vector<std::string>& names);
    std::string PortName() const;
    std::string ModuleNumberText() const;

    void LoadFromIni(const TIniFile& ini) override;
    void SaveToIni(TIniFile& ini) override;

  public slots:
    void meMasterKeyChange();
};
