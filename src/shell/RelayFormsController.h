// The forms controller of the relay module: the common page and five relay pages, the connection
// through the connect dialog, the COM-port worker and the device controller.
#pragma once

#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "control/DeviceView.h"
#include "model/ModuleSettings.h"
#include "serial/SerialPortInfo.h"
#include "shell/FormsController.h"

class TComPortWorker;
class TDeviceController;
class TCommonPage;
class TConnectDialog;
class TErrorListWindow;
class TMainWindow;
class TProgressWindow;
class TRelayPage;
class TWindowDeviceView;

class TRelayFormsController : public TFormsController {
  public:
    static constexpr int kBaudRate = 19200;
    static constexpr int kAnswerTimeoutMs = 300;

    // The pages are loaded from startFile, or from settingsFile when it is empty.
    TRelayFormsController(TMainWindow& mainForm, TProgressWindow& progress,
                          std::string settingsFile, std::string startFile = {});
    ~TRelayFormsController() override;

    // Saves the pages to the settings file and frees them; an error of the save reaches the
    // caller. The destructor does the same, silently, when this was not called.
    void Shutdown();

    bool IsConnected() const { return Worker != nullptr; }
    TCommonPage* CommonPage() const { return m_commonPage; }
    TRelayPage* RelayPage(int number) const;

    // Seams for tests: how the connect dialog and the error window are shown, and where the
    // port names come from.
    std::function<bool(TConnectDialog& dialog)> RunConnectDialog;
    std::function<void(TErrorListWindow& window)> RunErrorWindow;
    std::function<std::vector<TSerialPortInfo>()> ListPorts;
    // Shows the differences that "Сравнить с модулем" found, one line each; a window unless set.
    std::function<void(const std::vector<std::string>& lines)> ShowDifferences;
    // Answers the question before the module is renumbered; a message box unless set.
    std::function<TRenumberAnswer(int from, int to)> ConfirmRenumber;

  protected:
    void CreatePages(QWidget* mainForm) override;
    void BuildTree(QTreeWidget& tree) override;
    void SetConnected(bool connected) override;
    bool DoConnect() override;
    void DoDisconnect() override;
    std::unique_ptr<TLogWriter> CreateLog() override;
    void ReadPageFromDevice() override;
    void WritePageToDevice() override;
    void CompareWithDevice() override;
    void WriteChangesToDevice() override;
    void BeginExchange() override;
    void EndExchange() override;
    void LockUI() override;
    void UnlockUI() override;
    void ExchangeEnded() override;
    bool HoldsSettings(const TIniFile& ini) const override;
    void BeginPagesOperation(bool reading) override;
    void EndPagesOperation() override;
    void LoadToolSettings(const TIniFile& ini) override;
    void SaveToolSettings(TIniFile& ini) override;

  private:
    bool OpenPort(const std::string& portName);
    // Runs a page operation; a failing port ends the connection with one message.
    template <typename TBody>
    void RunOnConnection(bool reading, TBody body);
    void LoseConnection(const std::exception& error, bool reading);
    void ReportFailedVersionCheck(int moduleNumber);
    // What the pages hold, as module settings.
    TModuleSettings PagesSettings() const;
    // Reads every page of the module into settings of its own; false when a read failed.
    bool ReadModuleAside(TModuleSettings& module);
    void ClosePort();
    void LoadConnectSettings(TConnectDialog& dialog);
    void SaveConnectSettings(TConnectDialog& dialog);
    void SetUiEnabled(bool enabled);
    // The status bar's port and object number, or "Нет связи".
    void ShowConnectionState();

    TMainWindow& m_mainForm;
    TProgressWindow& m_progress;
    std::unique_ptr<TWindowDeviceView> m_deviceView;
    TCommonPage* m_commonPage = nullptr;
    // The worker outlives the device controller that talks through it.
    std::unique_ptr<TComPortWorker> Worker;
    std::unique_ptr<TDeviceController> DeviceController;
    // The port of the connection, as the user chose it.
    std::string m_portName;
};
