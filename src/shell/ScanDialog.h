// The module search window: every object number is asked on the chosen port, and a module that
// answered is chosen to connect to.
#pragma once

#include <QDialog>
#include <QLabel>
#include <QProgressBar>
#include <QPushButton>
#include <QTreeWidget>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "control/ModuleScan.h"
#include "serial/SerialPortInfo.h"

class TComboBox;

class TScanDialog : public QDialog {
    Q_OBJECT
  public:
    explicit TScanDialog(QWidget* parent = nullptr);

    // Replaces the port list; each item shows what a person knows the port by and stands for its
    // device name, as in the connect dialog.
    void SetPorts(std::vector<TSerialPortInfo> ports);
    // Selects the item of that device, or shows the name as typed text when no item has it.
    void SetPortName(const std::string& name);
    // The device name of the chosen port, or the name or path typed into the box.
    std::string PortName() const;

    // Runs the search on a port, calling progress before each number; false from progress stops
    // it. Returns the modules that answered; throws std::exception with the reason it failed.
    std::function<std::vector<TScanHit>(const std::string& port, const TScanProgress& progress)>
        Scan;

    // The number of the module chosen with the last accept(); none after a close.
    std::optional<int> ChosenNumber() const { return m_chosen; }
    bool Scanning() const { return m_scanning; }

    QLabel* PortLabel;
    TComboBox* PortBox;
    QPushButton* StartButton;
    QPushButton* CancelButton;
    QProgressBar* ProgressBar;
    QLabel* ProgressLabel;
    QLabel* StatusLabel;
    QTreeWidget* FoundTable;
    QPushButton* ConnectButton;
    QPushButton* CloseButton;

  public slots:
    // Runs Scan on the chosen port until it ends or is cancelled, keeping the window answering.
    void StartScan();
    // While a search runs, Esc, the frame and «Закрыть» ask it to stop instead of closing.
    void reject() override;

  protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

  private:
    // The progress Scan is given: shows it, lets the window answer clicks, and says whether to go
    // on.
    bool ShowProgress(int number, int done, int total);
    void ShowHits(const std::vector<TScanHit>& hits);
    void SetStatus(const QString& text);
    void SetScanning(bool scanning);
    void UpdateConnectButton();
    void Choose(const QTreeWidgetItem* item);

    bool m_scanning = false;
    bool m_cancelRequested = false;
    // How many numbers the running (or last) search asked, and of how many.
    int m_asked = 0;
    int m_total = kScanNumberCount;
    std::optional<int> m_chosen;
};
