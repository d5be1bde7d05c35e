// The connect dialog: the COM port and the module number to connect to.
#pragma once

#include <QDialog>
#include <functional>
#include <string>
#include <vector>

#include "pages/PageInterfaces.h"
#include "serial/SerialPortInfo.h"

class QDialogButtonBox;
class QLabel;
class TComboBox;
class TEdit;
class TLabel;
class TMaskEdit;

class TConnectDialog : public QDialog, public IIniStorable {
    Q_OBJECT
  public:
    static constexpr int kOpacity = 200;

    explicit TConnectDialog(QWidget* owner = nullptr);

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

    // Replaces the port list. Each item shows what a person knows the port by ("ttyUSB0 — FT232R
    // USB UART (A50285BI)"), USB adapters first in natural order, and stands for its device name.
    void SetPorts(std::vector<TSerialPortInfo> ports);
    // Where the list is read again each time it drops down, so that an adapter plugged in while
    // the dialog is open appears; a lister that fails leaves the list as it was.
    std::function<std::vector<TSerialPortInfo>()> ListPorts;
    // The device name of the chosen port, or the name or path typed into the box.
    std::string PortName() const;
    // Chooses the item of that device, or shows the name as typed text when no item has it.
    void SetPortName(const std::string& name) { ShowPort(name); }
    std::string ModuleNumberText() const;

    void LoadFromIni(const TIniFile& ini) override;
    void SaveToIni(TIniFile& ini) override;

  public slots:
    void meMasterKeyChange();

  protected:
    void showEvent(QShowEvent* event) override;

  private:
    // The plug picture, at the resolution of the screen the dialog is on.
    void DrawPlug();
    void RefreshPorts();
    // Selects the item of that device, or shows the name as typed text when no item has it.
    void ShowPort(const std::string& name);
    void ChooseSavedPort(const TIniFile& ini);
};
