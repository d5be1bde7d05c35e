// The forms controller: the pages and their tree, the settings file kept between runs, and the
// command sequences behind the main window's commands.
#include "shell/FormsController.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#include <QDateTime>
#include <QGridLayout>
#include <QPrintDialog>
#include <QPrinter>
#include <QSignalBlocker>
#include <QTimer>
#include <QTreeWidget>
#include <QTreeWidgetItemIterator>
#include <algorithm>
#include <cerrno>
#include <chrono>
#include <filesystem>
#include <stdexcept>

#include "backup/BackupStore.h"
#include "control/DeviceController.h"
#include "control/ModulePort.h"
#include "control/ModuleScan.h"
#include "ini/FileErrorMessage.h"
#include "ini/IniFile.h"
#include "log/LogWriter.h"
#include "model/KnownModuleValues.h"
#include "model/ModuleCompare.h"
#include "model/ModuleSettingsIni.h"
#include "model/ModuleValueSet.h"
#include "model/RelayCaptions.h"
#include "pages/CommonPage.h"
#include "pages/PageBase.h"
#include "pages/RelayPage.h"
#include "protocol/AnswerText.h"
#include "report/Report.h"
#include "serial/DeviceErrorText.h"
#include "serial/SerialAdvice.h"
#include "serial/SerialEnum.h"
#include "serial/SerialErr.h"
#include "shell/AppErrorReport.h"
#include "shell/BackupsDialog.h"
#include "shell/CompareWindow.h"
#include "shell/ConnectDialog.h"
#include "shell/CopyRelayDialog.h"
#include "shell/DifferencesWindow.h"
#include "shell/ErrorListWindow.h"
#include "shell/MainWindow.h"
#include "shell/ProgressWindow.h"
#include "shell/ScanDialog.h"
#include "shell/WindowDeviceView.h"
#include "transport/ModuleLine.h"
#include "widgets/Icons.h"
#include "widgets/LogView.h"
#include "widgets/LogViewWriter.h"

namespace {

// Why the file cannot be loaded, in Russian, or nothing when it can be read.
std::string UnreadableFileProblem(const std::string& fileName) {
    const int fd = ::open(fileName.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0) {
        return FileErrorMessage(fileName, errno, false);
    }
    struct stat info {};
    const bool regular = ::fstat(fd, &info) == 0 && S_ISREG(info.st_mode);
    ::close(fd);
    return regular ? std::string() : FileErrorMessage(fileName, EISDIR, false);
}

void MarkPageNode(QTreeWidget& tree, int index) {
    if (index < 0) {
        return;
    }
    for (QTreeWidgetItemIterator it(&tree); *it != nullptr; ++it) {
        if (StateIndexOf(*it) == index) {
            if (tree.currentItem() != *it || !(*it)->isSelected()) {
                const QSignalBlocker quiet(&tree);
                tree.setCurrentItem(*it);
            }
            tree.scrollToItem(*it);
            // The blocked signals would have repainted the selection; the viewport is told here.
            tree.viewport()->update();
            return;
        }
    }
}

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
// "RecentFile1" is the newest of the recent files.
std::string RecentFileKey(std::size_t number) {
    return "RecentFile" + std::to_string(number);
}

}  // namespace

TFormsController::TFormsController(TMainWindow& mainForm, TProgressWindow& progress,
                                   std::string settingsFile, std::string startFile)
    : m_mainForm(mainForm),
      m_progress(progress),
      m_container(mainForm.PagePane()),
      m_tree(mainForm.PageTree),
      m_settingsFile(std::move(settingsFile)),
      m_startFile(startFile.empty() ? m_settingsFile : std::move(startFile)),
      m_log(std::make_unique<TLogViewWriter>(mainForm.ExchangeLog)),
      m_deviceView(std::make_unique<TWindowDeviceView>(mainForm, progress)) {
    BackupFolder = TBackupStore::DefaultFolder();
    ShowLoadNote = [&mainForm](const std::string& text) {
        QMessageBox box(QMessageBox::Information, ToolTitle(), QString::fromStdString(text),
                        QMessageBox::Ok, &mainForm);
        box.exec();
    };
    ShowLoadReplacements = [&mainForm](const std::vector<std::string>& lines) {
        TDifferencesWindow window(&mainForm);
        window.setWindowTitle(QString::fromUtf8("Заменённые значения"));
        window.SetLines(lines);
        window.CountLabel->setText(
            QString::fromUtf8("Страницы не могут показать эти значения файла; они заменены "
                              "(%1):")
                .arg(lines.size()));
        window.exec();
    };
    ConfirmRenumber = [view = m_deviceView.get()](int from, int to) {
        return view->ConfirmRenumberBox(from, to);
    };
    m_deviceView->AskRenumber = [this](int from, int to) { return ConfirmRenumber(from, to); };
    RunConnectDialog = [](TConnectDialog& dialog) { return dialog.exec() == QDialog::Accepted; };
    RunErrorWindow = [](TErrorListWindow& window) { window.exec(); };
    RunCopyRelayDialog = [](TCopyRelayDialog& dialog) {
        return dialog.exec() == QDialog::Accepted;
    };
    ListPorts = [] { return ListSerialPorts(); };
    mainForm.SayCloseDeferred = [&progress] {
        progress.SetNote(
            QString::fromUtf8("Программа закроется, когда обмен с модулем закончится; "
                              "«Отмена» остановит его раньше."));
    };

    CreatePages();
    PlacePages();
    BuildTree();
    m_tree->expandAll();
    MarkPageInTree(CurrentPageIndex());
    LoadStartFile();
    // What the pages showed at start is where the history begins.
    m_recordedSettings = PagesSettings();
    for (TPageBase* page : m_pages) {
        QObject::connect(page, &TPageBase::ValuesEdited, page,
                         [this](const QString& step) { RecordStep(step.toStdString()); });
    }
    ShowHistory();
}

TFormsController::~TFormsController() {
    try {
        Shutdown();
    } catch (...) {
        // A destructor cannot report; the regular exit calls Shutdown itself and reports.
    }
}

void TFormsController::Shutdown() {
    if (m_shutDown) {
        return;
    }
    m_shutDown = true;
    // The pages go whatever the save does; a failed save is reported by the caller.
    struct TFreeAtEnd {
        TFormsController& owner;
        ~TFreeAtEnd() { owner.FreePages(); }
    } freeAtEnd{*this};
    if (!m_settingsSettled) {
        SaveSettings();
    }
}

void TFormsController::SetSettingsReadOnly(bool readOnly) {
    m_settingsReadOnly = readOnly;
    if (readOnly) {
        m_mainForm.ShowSettingsReadOnly();
    }
}

TRelayPage* TFormsController::RelayPage(int number) const {
    for (TPageBase* page : m_pages) {
        if (auto* relay = dynamic_cast<TRelayPage*>(page);
            relay && relay->Settings().Number == number) {
            return relay;
        }
    }
    return nullptr;
}

void TFormsController::CreatePages() {
    m_commonPage = new TCommonPage(m_container);
    m_pages.push_back(m_commonPage);
    for (int n = 1; n <= kRelayCount; ++n) {
        auto* relay = new TRelayPage(m_container);
        relay->SetNumber(n);
        m_pages.push_back(relay);
    }
    for (TPageBase* page : m_pages) {
        page->hide();
    }
    m_currentPage = m_commonPage;
    ShowCurrentPage();
}

// The pages share one cell of a margin-free layout, so the shown page follows every change of the
// pane's size (window resized, splitter dragged or collapsed); hidden pages take no room.
void TFormsController::PlacePages() {
    auto* layout = qobject_cast<QGridLayout*>(m_container->layout());
    if (layout == nullptr) {
        layout = new QGridLayout(m_container);
        layout->setContentsMargins(0, 0, 0, 0);
        layout->setSpacing(0);
    }
    for (TPageBase* page : m_pages) {
        page->setParent(m_container);
        page->setGeometry(m_container->contentsRect());
        layout->addWidget(page, 0, 0);
    }
}

void TFormsController::BuildTree() {
    m_tree->clear();
    QTreeWidgetItem* relayGroup = nullptr;
    for (int i = 0; i < static_cast<int>(m_pages.size()); ++i) {
        TPageBase& page = *m_pages[static_cast<std::size_t>(i)];
        const auto* relay = dynamic_cast<const TRelayPage*>(&page);
        if (relay != nullptr && relay->Settings().Number == 1) {
            relayGroup = new QTreeWidgetItem(m_tree, QStringList{QString::fromUtf8("Реле")});
            SetStateIndex(relayGroup, -1);
        }
        auto* node = relay != nullptr && relayGroup != nullptr
                         ? new QTreeWidgetItem(relayGroup, QStringList{page.Caption()})
                         : new QTreeWidgetItem(m_tree, QStringList{page.Caption()});
        SetStateIndex(node, i);
    }
}

void TFormsController::ShowCurrentPage() {
    m_currentPage->setGeometry(m_container->contentsRect());
    m_currentPage->show();
}

void TFormsController::FreePages() {
    m_currentPage = nullptr;
    m_commonPage = nullptr;
    for (TPageBase* page : m_pages) {
        delete page;
    }
    m_pages.clear();
}

void TFormsController::SelectPage(int index) {
    if (index < 0 || index >= static_cast<int>(m_pages.size())) {
        // A node without a page (the relays' group) shows no page of its own: the selection goes
        // back to the page on screen once the click that chose the node is done with it.
        QTimer::singleShot(
            0, m_tree, [tree = m_tree, shown = CurrentPageIndex()] { MarkPageNode(*tree, shown); });
        return;
    }
    if (m_currentPage != nullptr) {
        m_currentPage->hide();
    }
    m_currentPage = m_pages[static_cast<std::size_t>(index)];
    ShowCurrentPage();
    MarkPageInTree(index);
}

int TFormsController::CurrentPageIndex() const {
    const auto found = std::find(m_pages.begin(), m_pages.end(), m_currentPage);
    return found == m_pages.end() ? -1 : static_cast<int>(found - m_pages.begin());
}

void TFormsController::MarkPageInTree(int index) {
    MarkPageNode(*m_tree, index);
}

std::vector<std::string> TFormsController::LoadPages(const TIniFile& ini,
                                                     const std::vector<TPageBase*>& pages) {
    std::vector<std::string> replaced;
    for (TPageBase* page : pages) {
        page->LoadFromIni(ini);
        for (const TPageBase::TLoadReplacement& replacement : page->TakeLoadReplacements()) {
            m_log->WriteInfo(replacement.LogLine);
            replaced.push_back(replacement.Text);
        }
    }
    return replaced;
}

void TFormsController::LoadStartFile() {
    const TIniFile ini(m_startFile);
    LoadPages(ini, m_pages);
    m_mainForm.SetFileFolder(
        QString::fromStdString(ini.ReadString(kMainSection, kFileFolderKey, "")));
    for (std::size_t n = 1; n <= kRecentFileCount; ++n) {
        const std::string file = ini.ReadString(kMainSection, RecentFileKey(n), "");
        if (!file.empty() &&
            std::find(m_recentFiles.begin(), m_recentFiles.end(), file) == m_recentFiles.end()) {
            m_recentFiles.push_back(file);
        }
    }
    m_mainForm.ShowRecentFiles(m_recentFiles);
    std::error_code ec;
    if (std::filesystem::exists(m_startFile, ec) && !HoldsSettings(ini)) {
        m_replaceSettingsFile = true;
        m_log->WriteInfo("Файл " + m_startFile +
                         " не содержит настроек программы: настройки по умолчанию");
    }
}

bool TFormsController::HoldsSettings(const TIniFile& ini) const {
    return ini.SectionExists(kConnectSection) ||
           std::any_of(m_pages.begin(), m_pages.end(), [&ini](const TPageBase* page) {
               return ini.SectionExists(page->Name().toStdString());
           });
}

std::unique_ptr<TIniFile> TFormsController::OpenSettingsForUpdate() {
    std::error_code ec;
    if (m_startFile != m_settingsFile && !m_replaceSettingsFile &&
        !std::filesystem::exists(m_settingsFile, ec)) {
        // The install's file is the base of the user's own, so that what only it holds stays.
        auto ini = std::make_unique<TIniFile>(m_startFile);
        ini->SetFileName(m_settingsFile);
        return ini;
    }
    auto ini = std::make_unique<TIniFile>(m_settingsFile);
    if (m_replaceSettingsFile) {
        ini->Clear();
    }
    return ini;
}

void TFormsController::CommitSettings(TIniFile& ini) {
    ini.UpdateFile();
    m_replaceSettingsFile = false;
}

void TFormsController::SaveSettings() {
    if (!m_settingsReadOnly) {
        const auto ini = OpenSettingsForUpdate();
        for (TPageBase* page : m_pages) {
            page->SaveToIni(*ini);
        }
        ini->WriteString(kMainSection, kFileFolderKey, m_mainForm.FileFolder().toStdString());
        for (std::size_t n = 1; n <= kRecentFileCount; ++n) {
            // A slot the list no longer fills is emptied, so that no old name comes back.
            if (n <= m_recentFiles.size()) {
                ini->WriteString(kMainSection, RecentFileKey(n), m_recentFiles[n - 1]);
            } else if (ini->ValueExists(kMainSection, RecentFileKey(n))) {
                ini->WriteString(kMainSection, RecentFileKey(n), "");
            }
        }
        CommitSettings(*ini);
    }
    m_settingsSettled = true;
}

void TFormsController::DiscardSettings() {
    m_settingsSettled = true;
}

void TFormsController::LoadConnectSettings(TConnectDialog& dialog) {
    std::error_code ec;
    const TIniFile ini(std::filesystem::exists(m_settingsFile, ec) ? m_settingsFile : m_startFile);
    dialog.LoadFromIni(ini);
}

void TFormsController::SaveConnectSettings(TConnectDialog& dialog) {
    if (m_settingsReadOnly) {
        return;
    }
    const auto ini = OpenSettingsForUpdate();
    dialog.SaveToIni(*ini);
    CommitSettings(*ini);
}

template <typename TBody>
void TFormsController::KeepUsersPage(TBody body) {
    struct TShowAgain {
        TFormsController& owner;
        int page;
        ~TShowAgain() { owner.SelectPage(page); }
    } showAgain{*this, CurrentPageIndex()};
    body();
}

// A file that cannot be read, or that holds no page of the tool, changes nothing and says why;
// a file with some pages loads those and names the pages it left as they were.
void TFormsController::LoadFromFile(const std::string& fileName) {
    if (const std::string problem = UnreadableFileProblem(fileName); !problem.empty()) {
        throw std::runtime_error(problem);
    }
    const TIniFile ini(fileName);
    std::vector<TPageBase*> held;
    std::vector<std::string> missing;
    for (TPageBase* page : m_pages) {
        if (ini.SectionExists(page->Name().toStdString())) {
            held.push_back(page);
        } else {
            missing.push_back(page->Caption().toStdString());
        }
    }
    if (held.empty()) {
        throw std::runtime_error("Файл " + fileName +
                                 " не содержит настроек страниц программы (это не файл настроек "
                                 "Тарнел или он повреждён). Страницы не изменены.");
    }
    std::vector<std::string> replaced;
    AsOneStep("Загрузить " + std::filesystem::path(fileName).filename().string(),
              [&] { replaced = LoadPages(ini, held); });
    NoteFile(fileName);
    m_pagesSource = FileSource(fileName);
    if (!missing.empty()) {
        std::string pages;
        for (const std::string& caption : missing) {
            pages += (pages.empty() ? "" : ", ") + caption;
        }
        ShowLoadNote("В файле " + fileName + " нет настроек страниц: " + pages +
                     ". Эти страницы сохранили свои значения.");
    }
    if (!replaced.empty()) {
        ShowLoadReplacements(replaced);
    }
}

void TFormsController::SaveToFile(const std::string& fileName) {
    TIniFile ini(fileName);
    for (TPageBase* page : m_pages) {
        page->SaveToIni(ini);
    }
    ini.UpdateFile();
    NoteFile(fileName);
}

void TFormsController::SetCurrentDefaults() {
    AsOneStep("По умолчанию — " + m_currentPage->Caption().toStdString(),
              [this] { m_currentPage->SetDefaults(); });
}

void TFormsController::SetAllDefaults() {
    AsOneStep("По умолчанию все", [this] {
        for (TPageBase* page : m_pages) {
            page->SetDefaults();
        }
    });
}

void TFormsController::Connect() {
    SetConnected(DoConnect());
}

// The commands show the disconnected state even when releasing the module failed.
void TFormsController::Disconnect() {
    try {
        DoDisconnect();
    } catch (...) {
        SetConnected(false);
        throw;
    }
    SetConnected(false);
}

void TFormsController::ShowConnectionState() {
    if (!DeviceController) {
        m_mainForm.ShowConnection(std::nullopt);
        return;
    }
    m_mainForm.ShowConnection(
        TShownConnection{m_portName, DeviceController->Device().GetObjectNumber()});
}

void TFormsController::SetConnected(bool connected) {
    ShowUnwritten();
    if (!connected || !DeviceController) {
        m_mainForm.ShowConnection(std::nullopt);
        return;
    }
    ShowConnectionState();
}

bool TFormsController::DoConnect(const std::optional<std::pair<std::string, int>>& found) {
    // The dialog is destroyed on every path out of here, errors included.
    TConnectDialog dialog(&m_mainForm);
    dialog.SetPorts(ListPorts());
    dialog.ListPorts = ListPorts;
    LoadConnectSettings(dialog);
    if (found) {
        dialog.SetPortName(found->first);
        dialog.etObjN->setText(QString::number(found->second));
    }
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
    const std::string portName = dialog.PortName();
    m_port = std::make_unique<TComPort>();
    // Whatever happens below, a connection that did not pass the version check is closed: a port
    // failing under the check, or under the release after it, leaves nothing open or locked.
    bool connected = false;
    struct TCloseUnlessConnected {
        TFormsController& owner;
        const bool& connected;
        ~TCloseUnlessConnected() {
            if (!connected) {
                owner.DeviceController.reset();
                owner.ClosePort();
            }
        }
    } closeUnlessConnected{*this, connected};
    TConnectResult result = TDeviceController::Connect(*m_port, portName, kAnswerTimeoutMs, *m_log,
                                                       moduleNumber, *m_deviceView);
    if (result.Failure == TConnectFailure::PortNotOpened) {
        // The port never opened: there is nothing to close.
        m_port.reset();
        ReportPortNotOpened(portName, result.OpenError);
        return false;
    }
    m_portName = portName;
    if (result.Failure != TConnectFailure::None) {
        ReportFailedVersionCheck(moduleNumber, result);
        if (result.ReleaseError) {
            std::rethrow_exception(result.ReleaseError);
        }
        return false;
    }
    DeviceController = std::move(result.Controller);
    m_backedUp = false;
    connected = true;
    return true;
}

void TFormsController::ReportPortNotOpened(const std::string& portName,
                                           const std::exception_ptr& error) {
    try {
        std::rethrow_exception(error);
    } catch (const EDeviceError& error) {
        // The window says it in Russian with the reason and the fix; the driver's English text
        // goes to the log.
        m_log->WriteError(error.what());
        const std::string reason = OpenFailureReason(portName, error);
        QString text =
            QString::fromUtf8(kConnectError) +
            QString::fromUtf8("не удалось открыть порт %1.").arg(QString::fromStdString(portName));
        if (!reason.empty()) {
            const QString said = QString::fromStdString(reason);
            text += "\n" + said.left(1).toUpper() + said.mid(1) + (said.endsWith('.') ? "" : ".");
        }
        ReportError(text);
    } catch (const std::exception& error) {
        ReportError(QString::fromUtf8(kConnectError) + UserMessage(error));
    }
}

void TFormsController::ReportFailedVersionCheck(int moduleNumber, const TConnectResult& result) {
    if (result.Failure == TConnectFailure::NoAnswer) {
        ReportError(QString::fromUtf8(kConnectError) +
                    QString::fromUtf8("модуль с номером %1 не отвечает. Проверьте номер объекта и "
                                      "кабель и подключайтесь в промежуток времени от 5 до 30 сек. "
                                      "после подачи питания модуля.")
                        .arg(moduleNumber));
        return;
    }
    const QString answer = QString::fromStdString(result.VersionAnswer);
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

void TFormsController::ClosePort() {
    if (m_port) {
        m_port->Close();
        m_port.reset();
    }
}

void TFormsController::DoDisconnect() {
    if (DeviceController) {
        // The port closes even when the release sequence fails on a pulled cable.
        struct TCloseAtEnd {
            TFormsController& owner;
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

// The commands that reach the module are enabled only while connected; the checks keep a stray
// call from touching a connection that is not there.
// The device controller reads into a copy of the page's settings; the page shows that copy on
// every way out, so values read before a bad answer or a stop are shown and the rest is kept.
void TFormsController::ReadPageFromDevice() {
    if (!DeviceController) {
        return;
    }
    RunOnConnection(true, [this] {
        if (auto* common = dynamic_cast<TCommonPage*>(m_currentPage)) {
            ReadIntoPage(*common, [this](TCommonSettings& s) { DeviceController->ReadCommon(s); });
        } else if (auto* relay = dynamic_cast<TRelayPage*>(m_currentPage)) {
            ReadIntoPage(*relay, [this](TRelaySettings& s) { DeviceController->ReadRelay(s); });
        }
    });
}

void TFormsController::WritePageToDevice() {
    if (!DeviceController) {
        return;
    }
    RunOnConnection(false, [this] {
        if (const auto* common = dynamic_cast<const TCommonPage*>(m_currentPage)) {
            DeviceController->WriteCommon(common->Settings());
        } else if (const auto* relay = dynamic_cast<const TRelayPage*>(m_currentPage)) {
            DeviceController->WriteRelay(relay->Settings());
        }
    });
}

void TFormsController::ShowPagesSettings(const TModuleSettings& settings) {
    m_commonPage->ShowSettings(settings.Common);
    for (int n = 1; n <= kRelayCount; ++n) {
        RelayPage(n)->ShowSettings(settings.Relays.at(n - 1));
    }
}

void TFormsController::RecordStep(const std::string& name) {
    TModuleSettings now = PagesSettings();
    m_history.Record(name, m_recordedSettings, now);
    m_recordedSettings = std::move(now);
    ShowHistory();
}

template <typename TBody>
void TFormsController::AsOneStep(const std::string& name, TBody body) {
    RecordStep("Правка");
    try {
        body();
    } catch (...) {
        RecordStep(name);
        throw;
    }
    RecordStep(name);
}

void TFormsController::ShowHistory() {
    m_mainForm.ShowHistory(m_history.UndoName(), m_history.RedoName());
    ShowFileState();
    ShowUnwritten();
}

void TFormsController::ShowUnwritten() {
    if (m_commonPage == nullptr) {
        return;
    }
    const TKnownModuleValues* known = DeviceController ? &DeviceController->KnownValues() : nullptr;
    if (known != nullptr && known->ObjectNumberKnown()) {
        m_commonPage->ShowModuleObjectNumber(known->Values().Common.ObjectNumber);
    } else {
        m_commonPage->ShowModuleObjectNumber(std::nullopt);
    }
    for (int n = 1; n <= kRelayCount; ++n) {
        if (known != nullptr) {
            RelayPage(n)->ShowModuleValues(known->Values().Relays.at(n - 1), known->KnownPlaces(n));
        } else {
            RelayPage(n)->ForgetModuleValues();
        }
    }
    const TModuleSettings pages = PagesSettings();
    int total = 0;
    const QIcon marked = UnwrittenMarkIcon();
    for (QTreeWidgetItemIterator it(m_tree); *it != nullptr; ++it) {
        const int index = StateIndexOf(*it);
        if (index < 0 || index >= static_cast<int>(m_pages.size())) {
            continue;
        }
        const TPageBase* page = m_pages[static_cast<std::size_t>(index)];
        const auto* relay = dynamic_cast<const TRelayPage*>(page);
        const int count =
            known == nullptr
                ? 0
                : known->UnwrittenCount(pages, relay != nullptr ? relay->Settings().Number : 0);
        total += count;
        const QString note =
            count > 0 ? QString::fromUtf8("Не записано: %1").arg(count) : QString();
        (*it)->setIcon(0, count > 0 ? marked : QIcon());
        (*it)->setToolTip(0, note);
        (*it)->setData(0, Qt::AccessibleDescriptionRole, note);
    }
    m_mainForm.ShowUnwritten(total);
}

void TFormsController::NoteFile(const std::string& fileName) {
    std::error_code ec;
    std::string path = std::filesystem::absolute(fileName, ec).lexically_normal().string();
    if (ec) {
        path = fileName;
    }
    m_recentFiles.erase(std::remove(m_recentFiles.begin(), m_recentFiles.end(), path),
                        m_recentFiles.end());
    m_recentFiles.insert(m_recentFiles.begin(), path);
    if (m_recentFiles.size() > kRecentFileCount) {
        m_recentFiles.resize(kRecentFileCount);
    }
    m_mainForm.ShowRecentFiles(m_recentFiles);
    m_fileName = path;
    m_fileSettings = PagesSettings();
    ShowFileState();
}

void TFormsController::ShowFileState() {
    m_mainForm.ShowFile(m_fileName, !m_fileName.empty() && PagesSettings() != m_fileSettings);
}

// The relay on screen is the one copied; from another page, relay 1.
void TFormsController::CopyRelay() {
    const auto* shown = dynamic_cast<const TRelayPage*>(m_currentPage);
    const int source = shown != nullptr ? shown->Settings().Number : 1;
    TCopyRelayDialog dialog(source, &m_mainForm);
    if (RunCopyRelayDialog(dialog)) {
        CopyRelay(source, dialog.Targets());
    }
}

void TFormsController::CopyRelay(int source, const std::vector<int>& targets) {
    std::string to;
    for (int target : targets) {
        to += (to.empty() ? "" : ", ") + RelayPageCaption(target);
    }
    AsOneStep("Копировать " + RelayPageCaption(source) + " в " + to, [&] {
        for (int target : targets) {
            if (target == source) {
                continue;
            }
            TRelaySettings copy = RelayPage(source)->Settings();
            copy.Number = target;
            RelayPage(target)->ShowSettings(copy);
        }
    });
}

void TFormsController::Undo() {
    StepThroughHistory(&TSettingsHistory::Undo);
}

void TFormsController::Redo() {
    StepThroughHistory(&TSettingsHistory::Redo);
}

// An exchange shows its pages while it runs; the values must not change under it. Typing not
// yet finished is a step of its own first, so that an undo takes back exactly that.
void TFormsController::StepThroughHistory(bool (TSettingsHistory::*step)(TModuleSettings&)) {
    if (IsExchangeRunning()) {
        return;
    }
    RecordStep("Правка");
    TModuleSettings settings = PagesSettings();
    if ((m_history.*step)(settings)) {
        ShowPagesSettings(settings);
        m_recordedSettings = PagesSettings();
    }
    ShowHistory();
}

TModuleSettings TFormsController::PagesSettings() const {
    TModuleSettings settings;
    settings.Common = m_commonPage->Settings();
    for (int n = 1; n <= kRelayCount; ++n) {
        settings.Relays.at(n - 1) = RelayPage(n)->Settings();
    }
    return settings;
}

// The pages themselves never change here: the reads go into settings of their own and only teach
// the connection the module's values. A read that fails leaves the module unknown, and the
// command that asked for it does not go on.
bool TFormsController::ReadUnknownAside() {
    if (!DeviceController) {
        return false;
    }
    const TKnownModuleValues& known = DeviceController->KnownValues();
    if (known.WholeModuleKnown()) {
        return true;
    }
    int unknownRelays = 0;
    for (int n = 1; n <= kRelayCount; ++n) {
        unknownRelays += known.RelayKnown(n) ? 0 : 1;
    }
    const int commands = (known.ObjectNumberKnown() ? 0 : TDeviceController::kCommonPageCommands) +
                         TDeviceController::RelayReadCommands(unknownRelays);
    TModuleSettings module = PagesSettings();
    RunOnConnection(true, [&] {
        struct TEndOperation {
            TDeviceController& device;
            ~TEndOperation() { device.EndOperation(); }
        };
        DeviceController->BeginOperation("Чтение", commands);
        const TEndOperation endOperation{*DeviceController};
        if (!known.ObjectNumberKnown()) {
            DeviceController->ReadCommon(module.Common);
        }
        for (int n = 1; n <= kRelayCount; ++n) {
            if (!known.RelayKnown(n)) {
                DeviceController->ReadRelay(module.Relays.at(n - 1));
            }
        }
    });
    return DeviceController && DeviceController->Completed() &&
           DeviceController->KnownValues().WholeModuleKnown();
}

bool TFormsController::BackUpBeforeWrite() {
    if (!DeviceController) {
        return false;
    }
    if (m_backedUp) {
        return true;
    }
    const QString refused = QString::fromUtf8(" Запись не выполнена.");
    const TBackupStore store(BackupFolder);
    // A folder that takes no copy is found before the module is asked anything.
    try {
        store.CheckWritable();
    } catch (const std::runtime_error& error) {
        ReportError(QString::fromUtf8(error.what()) + refused);
        return false;
    }
    if (!ReadUnknownAside()) {
        // The user's cancel says enough; a read that failed is listed in the error window too.
        if (DeviceController && !DeviceController->Cancelled()) {
            ReportError(QString::fromUtf8("Резервная копия не сохранена: модуль прочитан не "
                                          "полностью.") +
                        refused);
        }
        return false;
    }
    try {
        const std::filesystem::path path = store.Save(
            DeviceController->KnownValues().Values(), DeviceController->Device().GetObjectNumber(),
            DeviceController->VersionAnswer(), std::chrono::system_clock::now());
        m_log->WriteInfo("Резервная копия модуля: " + path.string());
    } catch (const std::runtime_error& error) {
        ReportError(QString::fromUtf8(error.what()) + refused);
        return false;
    }
    m_backedUp = true;
    return true;
}

// The module's values are a copy: the write teaches the connection what it acknowledged while it
// goes on.
void TFormsController::WriteChangesToDevice() {
    if (!ReadUnknownAside() || !BackUpBeforeWrite()) {
        return;
    }
    const TModuleSettings module = DeviceController->KnownValues().Values();
    const TModuleSettings pages = PagesSettings();
    RunOnConnection(false, [&] { DeviceController->WriteModule(pages, &module); });
}

void TFormsController::RunComparison(TCompareWindow& window,
                                     const std::vector<TSettingsDifference>& differences) {
    window.SetDifferences(differences);
    std::optional<TSettingsDifference> shown;
    QObject::connect(&window, &TCompareWindow::ShowPlaceRequested, &window,
                     [&](const TSettingsDifference& difference) {
                         shown = difference;
                         window.reject();
                     });
    if (RunCompareWindow) {
        RunCompareWindow(window);
    } else {
        window.exec();
    }
    if (shown) {
        ShowPlace(*shown);
    }
}

void TFormsController::WriteChosen(TCompareWindow& window) {
    const TModuleValueSet chosen = window.CheckedPlaces();
    RunExchange([&] {
        if (!BackUpBeforeWrite()) {
            return;
        }
        const TModuleSettings module = DeviceController->KnownValues().Values();
        const TModuleSettings pages = PagesSettings();
        RunOnConnection(false, [&] { DeviceController->WriteModule(pages, &module, &chosen); });
    });
    TModuleValueSet done;
    TModuleValueSet failed;
    const TModuleValueSet unwritten =
        DeviceController ? DeviceController->KnownValues().UnwrittenPlaces(PagesSettings())
                         : chosen;
    for (const TSettingsDifference& difference : window.CheckedDifferences()) {
        (unwritten.Contains(difference.Section, difference.Key) ? failed : done)
            .Add(difference.Section, difference.Key);
    }
    window.ShowResults(done, failed);
    ShowUnwritten();
}

void TFormsController::ShowPlace(const TSettingsDifference& difference) {
    for (int i = 0; i < static_cast<int>(m_pages.size()); ++i) {
        TPageBase* page = m_pages[static_cast<std::size_t>(i)];
        if (page->Name().toStdString() != difference.Section) {
            continue;
        }
        SelectPage(i);
        if (auto* relay = dynamic_cast<TRelayPage*>(page)) {
            if (const std::optional<int> place = RelayPlaceOfKey(difference.Key)) {
                relay->ShowPlace(*place);
            }
        } else if (page == m_commonPage) {
            m_commonPage->etO->setFocus();
        }
        return;
    }
}

void TFormsController::ShowBackups() {
    const TBackupStore store(BackupFolder);
    const TModuleSettings pages = PagesSettings();
    std::vector<TBackupRow> rows;
    for (TBackupEntry& entry : store.List()) {
        std::optional<int> differing;
        try {
            differing =
                static_cast<int>(CompareSettings(TBackupStore::Load(entry.Path), pages).size());
        } catch (const std::exception&) {
            // The window says the copy cannot be read, and offers it no load.
        }
        rows.push_back({std::move(entry), differing});
    }
    TBackupsDialog dialog(&m_mainForm);
    dialog.SetFolder(QString::fromStdString(BackupFolder.string()));
    dialog.SetBackups(rows);
    const bool accepted =
        RunBackupsDialog ? RunBackupsDialog(dialog) : dialog.exec() == QDialog::Accepted;
    const std::optional<std::filesystem::path> chosen = dialog.ChosenPath();
    if (!accepted || !chosen) {
        return;
    }
    // The copy is no file of the user's: it becomes neither the title's file nor a recent one.
    const TModuleSettings copy = TBackupStore::Load(*chosen);
    const auto row = std::find_if(rows.begin(), rows.end(),
                                  [&](const TBackupRow& r) { return r.Entry.Path == *chosen; });
    const std::string when = row != rows.end() ? row->Entry.Time : chosen->filename().string();
    AsOneStep("Загрузить резервную копию от " + when, [&] { ShowPagesSettings(copy); });
    m_pagesSource = FileSource(chosen->string());
}

void TFormsController::FindModule() {
    if (DeviceController) {
        return;
    }
    TScanDialog dialog(&m_mainForm);
    dialog.SetPorts(ListPorts());
    {
        // The port the connect dialog would offer.
        TConnectDialog connect(&m_mainForm);
        connect.SetPorts(ListPorts());
        LoadConnectSettings(connect);
        dialog.SetPortName(connect.PortName());
    }
    dialog.Scan = [this](const std::string& portName, const TScanProgress& progress) {
        TComPort port;
        try {
            port.Open(portName, kAnswerTimeoutMs);
        } catch (const EDeviceError& error) {
            m_log->WriteError(error.what());
            const std::string reason = OpenFailureReason(portName, error);
            throw std::runtime_error("Не удалось открыть порт " + portName +
                                     (reason.empty() ? "." : ": " + reason));
        }
        try {
            return ScanModules(
                port.Transport(), [&port](const std::string& text) { port.SendSlow(text); }, *m_log,
                kScanAnswerTimeoutMs, progress);
        } catch (const EDeviceError& error) {
            m_log->WriteError(error.what());
            throw std::runtime_error("Связь с портом " + portName +
                                     " потеряна: " + DeviceErrorText(error));
        }
    };
    const bool accepted =
        RunScanDialog ? RunScanDialog(dialog) : dialog.exec() == QDialog::Accepted;
    if (!accepted || !dialog.ChosenNumber()) {
        return;
    }
    SetConnected(DoConnect(std::make_pair(dialog.PortName(), *dialog.ChosenNumber())));
}

void TFormsController::CompareWithFile(const std::string& fileName) {
    if (const std::string problem = UnreadableFileProblem(fileName); !problem.empty()) {
        throw std::runtime_error(problem);
    }
    const TIniFile ini(fileName);
    if (!HoldsModuleSettings(ini)) {
        throw std::runtime_error("Файл " + fileName +
                                 " не содержит настроек страниц программы (это не файл настроек "
                                 "Тарнел или он повреждён).");
    }
    // What the file lacks stays as the pages hold it, so it differs nowhere; what the pages
    // cannot show is taken as they would show it.
    TModuleSettings inFile = PagesSettings();
    std::vector<TSettingsReplacement> replaced;
    LoadShownModuleSettings(ini, inFile, replaced);
    const std::string name = std::filesystem::path(fileName).filename().string();
    TCompareWindow window(TCompareSource::File, QString::fromStdString(name), &m_mainForm);
    QObject::connect(&window, &TCompareWindow::ActionRequested, &window, [&] {
        const TModuleValueSet chosen = window.CheckedPlaces();
        AsOneStep("Загрузить отмеченные из " + name,
                  [&] { ShowPagesSettings(OverlaidSettings(PagesSettings(), inFile, chosen)); });
        window.ShowResults(chosen, {});
    });
    RunComparison(window, CompareSettings(inFile, PagesSettings()));
}

template <typename TBody>
void TFormsController::RunOnConnection(bool reading, TBody body) {
    try {
        body();
    } catch (const EDeviceError& error) {
        LoseConnection(error, reading);
    }
}

// A port that failed (a pulled cable) is closed at once; the commands show the disconnected
// state, so that no later command runs into the same failure again.
void TFormsController::LoseConnection(const std::exception& error, bool reading) {
    // The page the exchange was on: "Сравнить с модулем" and "Записать изменения" go through
    // every page while another one is shown.
    const QString page = DeviceController && !DeviceController->OperationPage().empty()
                             ? QString::fromStdString(DeviceController->OperationPage())
                             : m_currentPage->Caption();
    DeviceController.reset();
    try {
        ClosePort();
    } catch (const std::exception&) {
        m_port.reset();
    }
    SetConnected(false);
    m_log->WriteError(error.what());
    const auto* device = dynamic_cast<const EDeviceError*>(&error);
    const QString reason = device != nullptr ? QString::fromStdString(DeviceErrorText(*device))
                                             : QString::fromUtf8(error.what());
    ReportError(QString::fromUtf8("Связь с модулем потеряна при %1 страницы \"%2\": %3. Порт "
                                  "закрыт; проверьте кабель и подключитесь снова.")
                    .arg(QString::fromUtf8(reading ? "чтении" : "записи"), page, reason));
}

template <typename TBody>
void TFormsController::RunExchange(TBody body) {
    if (DeviceController) {
        DeviceController->ClearErrors();
    }
    m_mainForm.ShowBusy(true);
    ++m_exchangeDepth;
    try {
        body();
    } catch (...) {
        --m_exchangeDepth;
        m_mainForm.ShowBusy(false);
        FinishExchange();
        throw;
    }
    --m_exchangeDepth;
    m_mainForm.ShowBusy(false);
    ShowExchangeErrors();
    FinishExchange();
}

void TFormsController::ShowExchangeErrors() {
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

void TFormsController::FinishExchange() {
    m_progress.SetNote(QString());
    ShowUnwritten();
    // A write may have renumbered the module.
    if (DeviceController) {
        ShowConnectionState();
    }
    m_mainForm.ExchangeEnded();
}

// Before a read only the marks go: a value whose read fails keeps what the page showed, so that
// a failed read never turns into zeros that a later save or write would pass on.
void TFormsController::ReadCurrent() {
    m_currentPage->ClearMarks();
    AsOneStep("Прочитать параметры — " + m_currentPage->Caption().toStdString(),
              [this] { RunExchange([this] { ReadPageFromDevice(); }); });
}

// A write leaves the pages' values as they were; should it change one (a number kept by the
// module), that change is a step of its own, so that the history stays true to the pages.
void TFormsController::WriteCurrent() {
    m_currentPage->ClearMarks();
    AsOneStep("Записать параметры — " + m_currentPage->Caption().toStdString(), [this] {
        RunExchange([this] {
            if (BackUpBeforeWrite()) {
                WritePageToDevice();
            }
        });
    });
}

// The connection may have been lost on the way: then there is no operation left to end.
template <typename TPageStep>
void TFormsController::ForEveryPage(bool reading, TPageStep step) {
    struct TEndOperation {
        TFormsController& owner;
        ~TEndOperation() {
            if (owner.DeviceController) {
                owner.DeviceController->EndOperation();
            }
        }
    };
    KeepUsersPage([&] {
        if (DeviceController) {
            DeviceController->BeginOperation(reading ? "Чтение" : "Запись",
                                             TDeviceController::ModuleCommands(reading));
        }
        const TEndOperation endOperation{*this};
        for (int i = 0; i < static_cast<int>(m_pages.size()); ++i) {
            SelectPage(i);
            m_currentPage->ClearMarks();
            step();
        }
    });
}

void TFormsController::ReadAll() {
    AsOneStep("Прочитать всё", [this] {
        RunExchange([this] { ForEveryPage(true, [this] { ReadPageFromDevice(); }); });
    });
    if (DeviceController && DeviceController->Completed()) {
        m_pagesSource = ModuleReadSource(QDateTime::currentDateTime());
    }
}

std::string TFormsController::ReportSourceText() const {
    if (!m_pagesSource.empty()) {
        return m_pagesSource;
    }
    return m_fileName.empty() ? std::string("Страницы программы") : FileSource(m_fileName);
}

void TFormsController::MakeReport(const std::string& fileName) {
    WriteReportPdf(fileName, PagesSettings(),
                   {DeviceController ? DeviceController->VersionAnswer() : std::string(),
                    ReportSourceText(), ReportTime(QDateTime::currentDateTime())});
}

void TFormsController::PrintReport() {
    QPrinter printer(QPrinter::HighResolution);
    printer.setPageSize(QPageSize(QPageSize::A4));
    printer.setPageOrientation(QPageLayout::Portrait);
    printer.setDocName(QString::fromUtf8("Тарнел — отчёт"));
    QPrintDialog dialog(&printer, &m_mainForm);
    const bool print = RunPrintDialog ? RunPrintDialog(dialog) : dialog.exec() == QDialog::Accepted;
    if (print) {
        PaintReport(printer, PagesSettings(),
                    {DeviceController ? DeviceController->VersionAnswer() : std::string(),
                     ReportSourceText(), ReportTime(QDateTime::currentDateTime())});
    }
}

// The module's known values stand for it: only what this connection has not seen is read.
void TFormsController::CompareWithModule() {
    bool known = false;
    RunExchange([&] { known = ReadUnknownAside(); });
    if (!known || !DeviceController) {
        return;
    }
    TCompareWindow window(TCompareSource::Module, QString(), &m_mainForm);
    QObject::connect(&window, &TCompareWindow::ActionRequested, &window,
                     [&] { AsOneStep("Записать отмеченные", [&] { WriteChosen(window); }); });
    RunComparison(window,
                  CompareSettings(DeviceController->KnownValues().Values(), PagesSettings()));
}

void TFormsController::WriteChanges() {
    AsOneStep("Записать изменения", [this] { RunExchange([this] { WriteChangesToDevice(); }); });
}

void TFormsController::WriteAll() {
    AsOneStep("Записать всё", [this] {
        RunExchange([this] {
            if (BackUpBeforeWrite()) {
                ForEveryPage(false, [this] { WritePageToDevice(); });
            }
        });
    });
}
