#include "shell/RelayFormsController.h"

#include <QTreeWidget>
#include <filesystem>

#include "control/DeviceController.h"
#include "ini/IniFile.h"
#include "model/ModuleCompare.h"
#include "pages/CommonPage.h"
#include "pages/RelayPage.h"
#include "protocol/AnswerText.h"
#include "serial/DeviceErrorText.h"
#include "serial/SerialAdvice.h"
#include "serial/SerialEnum.h"
#include "serial/SerialErr.h"
#include "shell/AppErrorReport.h"
#include "shell/ConnectDialog.h"
#include "shell/DifferencesWindow.h"
#include "shell/ErrorListWindow.h"
#include "shell/MainWindow.h"
#include "shell/ProgressWindow.h"
#include "shell/WindowDeviceView.h"
#include "transport/ComPortWorker.h"
#include "widgets/LogView.h"
#include "widgets/LogViewWriter.h"

namespace {

// Reads into a copy of the page's settings and shows the copy on every way out, errors included.
template <typename TPage, typename TRead>
void ReadIntoPage(TPage& page, TRead read) {
    auto settings = page.Settings();
    try {
        read(settings);
    } catch (...) {
        page.ShowSettings(settings);
        throw;
    }
    page.ShowSettings(settings);
}

const char kConnectError[] = "Ошибка подключения: ";
const char kBadObjectNumber[] = "некорректный номер объекта.";
// The connect dialog's section in the settings file.
const char kConnectSection[] = "FormConnect";
// The main window's section, and the folder its file dialogs last used.
const char kMainSection[] = "FormMain";
const char kFileFolderKey[] = "FileFolder";

}  // namespace

TRelayFormsController::TRelayFormsController(TMainWindow& mainForm, TProgressWindow& progress,
                                             std::string settingsFile, std::string startFile)
    : TFormsController(mainForm.PagePane(), std::move(settingsFile), std::move(startFile)),
      m_mainForm(mainForm),
      m_progress(progress),
      m_deviceView(std::make_unique<TWindowDeviceView>(mainForm, progress)) {
    ConfirmRenumber = [view = m_deviceView.get()](int from, int to) {
        return view->ConfirmRenumberBox(from, to);
    };
    m_deviceView->AskRenumber = [this](int from, int to) { return ConfirmRenumber(from, to); };
    RunConnectDialog = [](TConnectDialog& dialog) { return dialog.exec() == QDialog::Accepted; };
    RunErrorWindow = [](TErrorListWindow& window) { window.exec(); };
    ListPorts = [] { return ListSerialPorts(); };
    mainForm.SayCloseDeferred = [&progress] {
        progress.SetNote(
            QString::fromUtf8("Программа закроется, когда обмен с модулем закончится; "
                              "«Отмена» остановит его раньше."));
    };
    Construct(&mainForm, mainForm.tv1);
}

TRelayFormsController::~TRelayFormsController() {
    try {
        Shutdown();
    } catch (...) {
        // A destructor cannot report; the regular exit calls Shutdown itself and reports.
    }
}

void TRelayFormsController::Shutdown() {
    Destruct();
}

TRelayPage* TRelayFormsController::RelayPage(int number) const {
    for (TPageBase* page : Pages()) {
        if (auto* relay = dynamic_cast<TRelayPage*>(page);
            relay && relay->Settings().Number == number) {
            return relay;
        }
    }
    return nullptr;
}

void TRelayFormsController::CreatePages(QWidget* /*mainForm*/) {
    m_commonPage = new TCommonPage(Container());
    AddPage(m_commonPage);
    for (int n = 1; n <= kRelayCount; ++n) {
        auto* relay = new TRelayPage(Container());
        relay->SetNumber(n);
        AddPage(relay);
    }
    for (TPageBase* page : Pages()) {
        page->hide();
    }
    SetCurrentPage(m_commonPage);
    ShowCurrentPage();
}

void TRelayFormsController::BuildTree(QTreeWidget& tree) {
    tree.clear();
    QTreeWidgetItem* relayGroup = nullptr;
    const auto& pages = Pages();
    for (int i = 0; i < static_cast<int>(pages.size()); ++i) {
        TPageBase& page = *pages[static_cast<std::size_t>(i)];
        if (auto* relay = dynamic_cast<TRelayPage*>(&page)) {
            if (relay->Settings().Number == 1) {
                relayGroup = new QTreeWidgetItem(&tree, QStringList{QString::fromUtf8("Реле")});
                SetStateIndex(relayGroup, -1);
            }
            if (relayGroup != nullptr) {
                AddChildPageNode(*relayGroup, page, i);
                continue;
            }
        }
        AddPageNode(tree, page, i);
    }
}

void TRelayFormsController::ShowConnectionState() {
    if (!DeviceController) {
        m_mainForm.ShowConnection(std::nullopt);
        return;
    }
    m_mainForm.ShowConnection(
        TShownConnection{m_portName, DeviceController->Device().GetObjectNumber()});
}

void TRelayFormsController::SetConnected(bool connected) {
    ShowConnectionState();
    m_mainForm.tbConnect->setEnabled(!connected);
    m_mainForm.mnuConnect->setEnabled(!connected);
    for (QAction* action :
         {m_mainForm.tbDisconnect, m_mainForm.mnuDisconnect, m_mainForm.tbRead, m_mainForm.mnuRead,
          m_mainForm.tbWrite, m_mainForm.mnuWrite, m_mainForm.tbReadAll, m_mainForm.mnuReadAll,
          m_mainForm.tbWriteAll, m_mainForm.mnuWriteAll, m_mainForm.mnuCompare,
          m_mainForm.mnuWriteChanges}) {
        action->setEnabled(connected);
    }
}

void TRelayFormsController::LoadConnectSettings(TConnectDialog& dialog) {
    std::error_code ec;
    const TIniFile ini(std::filesystem::exists(SettingsFile(), ec) ? SettingsFile() : StartFile());
    dialog.LoadFromIni(ini);
}

void TRelayFormsController::SaveConnectSettings(TConnectDialog& dialog) {
    if (AreSettingsReadOnly()) {
        return;
    }
    const auto ini = OpenSettingsForUpdate();
    dialog.SaveToIni(*ini);
    CommitSettings(*ini);
}

bool TRelayFormsController::HoldsSettings(const TIniFile& ini) const {
    return TFormsController::HoldsSettings(ini) || ini.SectionExists(kConnectSection);
}

void TRelayFormsController::BeginPagesOperation(bool reading) {
    if (DeviceController) {
        DeviceController->BeginOperation(reading ? "Чтение" : "Запись",
                                         TDeviceController::ModuleCommands(reading));
    }
}

// The connection may have been lost on the way: then there is no operation left to end.
void TRelayFormsController::EndPagesOperation() {
    if (DeviceController) {
        DeviceController->EndOperation();
    }
}

void TRelayFormsController::LoadToolSettings(const TIniFile& ini) {
    m_mainForm.SetFileFolder(
        QString::fromStdString(ini.ReadString(kMainSection, kFileFolderKey, "")));
}

void TRelayFormsController::SaveToolSettings(TIniFile& ini) {
    ini.WriteString(kMainSection, kFileFolderKey, m_mainForm.FileFolder().toStdString());
}

bool TRelayFormsController::DoConnect() {
    // The dialog is destroyed on every path out of here, errors included.
    TConnectDialog dialog(&m_mainForm);
    dialog.SetPorts(ListPorts());
    dialog.ListPorts = ListPorts;
    LoadConnectSettings(dialog);
    const bool accepted = RunConnectDialog(dialog);
    SaveConnectSettings(dialog);
    if (!accepted) {
        return false;
    }
    std::int32_t moduleNumber = 0;
    if (!TryStrToInt(dialog.ModuleNumberText(), moduleNumber)) {
        ReportError(QString::fromUtf8(kConnectError) + QString::fromUtf8(kBadObjectNumber));
        return false;
    }
    if (!OpenPort(dialog.PortName())) {
        return false;
    }
    DeviceController =
        std::make_unique<TDeviceController>(*Worker, Log(), moduleNumber, *m_deviceView);
    // Whatever happens below, a connection that did not pass the version check is closed: a port
    // failing under the check, or under the release after it, leaves nothing open or locked.
    bool versionOk = false;
    struct TCloseUnlessConnected {
        TRelayFormsController& owner;
        const bool& connected;
        ~TCloseUnlessConnected() {
            if (!connected) {
                owner.DeviceController.reset();
                owner.ClosePort();
            }
        }
    } closeUnlessConnected{*this, versionOk};
    versionOk = DeviceController->CheckVersion();
    if (!versionOk) {
        // The module is let go before the message waits for the user.
        try {
            DeviceController->ReleaseDevice();
        } catch (...) {
            ReportFailedVersionCheck(moduleNumber);
            throw;
        }
        ReportFailedVersionCheck(moduleNumber);
    }
    return versionOk;
}

void TRelayFormsController::ReportFailedVersionCheck(int moduleNumber) {
    if (!DeviceController->VersionAnswered()) {
        ReportError(QString::fromUtf8(kConnectError) +
                    QString::fromUtf8("модуль с номером %1 не отвечает. Проверьте номер объекта и "
                                      "кабель и подключайтесь в промежуток времени от 5 до 30 сек. "
                                      "после подачи питания модуля.")
                        .arg(moduleNumber));
        return;
    }
    const QString answer = QString::fromStdString(DeviceController->VersionAnswer());
    // A module of version 08 whose answer the tool could not take is no other version: the box
    // shows what it sent.
    if (answer.startsWith(QString::fromUtf8("VER 08"), Qt::CaseInsensitive)) {
        ReportError(QString::fromUtf8(kConnectError) +
                    QString::fromUtf8("модуль с номером %1 ответил \"%2\" не по протоколу "
                                      "(ожидается \"VER 08.xx\" и \"OK\" заглавными буквами). "
                                      "Проверьте, что это модуль \"Тарнел\" версии 08.")
                        .arg(moduleNumber)
                        .arg(answer));
        return;
    }
    ReportError(QString::fromUtf8(kConnectError) +
                QString::fromUtf8("модуль с номером %1 ответил другой версией: \"%2\". Программа "
                                  "работает с модулями версии 08.")
                    .arg(moduleNumber)
                    .arg(answer));
}

bool TRelayFormsController::OpenPort(const std::string& portName) {
    Worker = std::make_unique<TComPortWorker>(true);
    try {
        Worker->Open(portName, br19200, kAnswerTimeoutMs);
    } catch (const EDeviceError& error) {
        Worker.reset();
        // The window says it in Russian with the reason and the fix; the driver's English text
        // goes to the log.
        Log().WriteError(error.what());
        std::string reason = OpenFailureAdvice(portName, error);
        if (reason.empty()) {
            reason = DeviceReasonText(error.OsError());
        }
        QString text =
            QString::fromUtf8(kConnectError) +
            QString::fromUtf8("не удалось открыть порт %1.").arg(QString::fromStdString(portName));
        if (!reason.empty()) {
            const QString said = QString::fromStdString(reason);
            text += "\n" + said.left(1).toUpper() + said.mid(1) + (said.endsWith('.') ? "" : ".");
        }
        ReportError(text);
        return false;
    } catch (const std::exception& error) {
        Worker.reset();
        ReportError(QString::fromUtf8(kConnectError) + UserMessage(error));
        return false;
    }
    m_portName = portName;
    return true;
}

void TRelayFormsController::ClosePort() {
    if (Worker) {
        Worker->Close();
        Worker.reset();
    }
}

void TRelayFormsController::DoDisconnect() {
    if (DeviceController) {
        // The port closes even when the release sequence fails on a pulled cable.
        struct TCloseAtEnd {
            TRelayFormsController& owner;
            ~TCloseAtEnd() {
                owner.DeviceController.reset();
                owner.ClosePort();
            }
        } closeAtEnd{*this};
        DeviceController->ReleaseDevice();
        return;
    }
    ClosePort();
}

std::unique_ptr<TLogWriter> TRelayFormsController::CreateLog() {
    return std::make_unique<TLogViewWriter>(m_mainForm.tvLog);
}

// The commands that reach the module are enabled only while connected; the checks keep a stray
// call from touching a connection that is not there.
// The device controller reads into a copy of the page's settings; the page shows that copy on
// every way out, so values read before a bad answer or a stop are shown and the rest is kept.
void TRelayFormsController::ReadPageFromDevice() {
    if (!DeviceController) {
        return;
    }
    RunOnConnection(true, [this] {
        if (auto* common = dynamic_cast<TCommonPage*>(CurrentPage())) {
            ReadIntoPage(*common, [this](TCommonSettings& s) { DeviceController->ReadCommon(s); });
        } else if (auto* relay = dynamic_cast<TRelayPage*>(CurrentPage())) {
            ReadIntoPage(*relay, [this](TRelaySettings& s) { DeviceController->ReadRelay(s); });
        }
    });
}

void TRelayFormsController::WritePageToDevice() {
    if (!DeviceController) {
        return;
    }
    RunOnConnection(false, [this] {
        if (const auto* common = dynamic_cast<const TCommonPage*>(CurrentPage())) {
            DeviceController->WriteCommon(common->Settings());
        } else if (const auto* relay = dynamic_cast<const TRelayPage*>(CurrentPage())) {
            DeviceController->WriteRelay(relay->Settings());
        }
    });
}

TModuleSettings TRelayFormsController::PagesSettings() const {
    TModuleSettings settings;
    settings.Common = m_commonPage->Settings();
    for (int n = 1; n <= kRelayCount; ++n) {
        settings.Relays.at(n - 1) = RelayPage(n)->Settings();
    }
    return settings;
}

// The module's values start from the pages', so a value whose read failed shows no difference;
// the failed read is in the error window, and a write of changes does not start.
bool TRelayFormsController::ReadModuleAside(TModuleSettings& module) {
    module = PagesSettings();
    RunOnConnection(true, [&] { DeviceController->ReadModule(module); });
    return DeviceController && DeviceController->Completed();
}

void TRelayFormsController::CompareWithDevice() {
    TModuleSettings module;
    if (!DeviceController || !ReadModuleAside(module)) {
        return;
    }
    std::vector<std::string> lines;
    for (const TSettingsDifference& difference : CompareSettings(module, PagesSettings())) {
        lines.push_back(difference.Text());
    }
    if (lines.empty()) {
        lines.push_back("Модуль и страницы совпадают");
    }
    if (ShowDifferences) {
        ShowDifferences(lines);
        return;
    }
    TDifferencesWindow window(&m_mainForm);
    window.SetLines(lines);
    window.exec();
}

void TRelayFormsController::WriteChangesToDevice() {
    TModuleSettings module;
    if (!DeviceController || !ReadModuleAside(module)) {
        return;
    }
    const TModuleSettings pages = PagesSettings();
    RunOnConnection(false, [&] { DeviceController->WriteModule(pages, &module); });
}

template <typename TBody>
void TRelayFormsController::RunOnConnection(bool reading, TBody body) {
    try {
        body();
    } catch (const EDeviceError& error) {
        LoseConnection(error, reading);
    }
}

// A port that failed (a pulled cable) is closed at once; the commands show the disconnected
// state, so that no later command runs into the same failure again.
void TRelayFormsController::LoseConnection(const std::exception& error, bool reading) {
    // The page the exchange was on: "Сравнить с модулем" and "Записать изменения" go through
    // every page while another one is shown.
    const QString page = DeviceController && !DeviceController->OperationPage().empty()
                             ? QString::fromStdString(DeviceController->OperationPage())
                             : CurrentPage()->Caption();
    DeviceController.reset();
    try {
        ClosePort();
    } catch (const std::exception&) {
        Worker.reset();
    }
    SetConnected(false);
    Log().WriteError(error.what());
    const auto* device = dynamic_cast<const EDeviceError*>(&error);
    const QString reason = device != nullptr ? QString::fromStdString(DeviceErrorText(*device))
                                             : QString::fromUtf8(error.what());
    ReportError(QString::fromUtf8("Связь с модулем потеряна при %1 страницы \"%2\": %3. Порт "
                                  "закрыт; проверьте кабель и подключитесь снова.")
                    .arg(QString::fromUtf8(reading ? "чтении" : "записи"), page, reason));
}

void TRelayFormsController::BeginExchange() {
    if (DeviceController) {
        DeviceController->ClearErrors();
    }
}

void TRelayFormsController::EndExchange() {
    if (!DeviceController) {
        return;
    }
    const std::vector<std::string>& errors = DeviceController->GetErrors();
    const std::vector<std::string> notes = DeviceController->GetNotes();
    if (errors.empty() && notes.empty()) {
        return;
    }
    TErrorListWindow window(&m_mainForm);
    window.SetErrors(errors);
    window.SetNotes(notes);
    RunErrorWindow(window);
}

void TRelayFormsController::SetUiEnabled(bool enabled) {
    m_mainForm.tv1->setEnabled(enabled);
    m_mainForm.ToolBar1->setEnabled(enabled);
    for (QMenu* menu : m_mainForm.TopLevelMenus()) {
        menu->menuAction()->setEnabled(enabled);
    }
}

void TRelayFormsController::LockUI() {
    SetUiEnabled(false);
}

void TRelayFormsController::UnlockUI() {
    SetUiEnabled(true);
}

void TRelayFormsController::ExchangeEnded() {
    m_progress.SetNote(QString());
    // A write may have renumbered the module.
    if (DeviceController) {
        ShowConnectionState();
    }
    m_mainForm.ExchangeEnded();
}
