// The forms controller: hosts the common page and the five relay pages, lists them in a tree, and
// runs the command sequences that connect, read, write, load, save and reset them through the
// connect dialog, the COM port and the device controller.
#pragma once

#include <exception>
#include <filesystem>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "control/DeviceView.h"
#include "model/ModuleCompare.h"
#include "model/ModuleSettings.h"
#include "model/SettingsHistory.h"
#include "serial/SerialPortInfo.h"
#include "shell/MainCommands.h"

class QPrintDialog;
class QTreeWidget;
class QTreeWidgetItem;
class QWidget;
class TCommonPage;
class TBackupsDialog;
class TCompareWindow;
class TComPort;
class TConnectDialog;
class TCopyRelayDialog;
class TDeviceController;
struct TConnectResult;
class TErrorListWindow;
class TIniFile;
class TLogWriter;
class TMainWindow;
class TPageBase;
class TProgressWindow;
class TRelayPage;
class TScanDialog;
class TWindowDeviceView;

class TFormsController : public IMainCommands {
  public:
    // The pages are loaded from startFile, or from settingsFile when it is empty.
    TFormsController(TMainWindow& mainForm, TProgressWindow& progress, std::string settingsFile,
                     std::string startFile = {});
    ~TFormsController() override;

    // Saves the pages to the settings file and frees them; an error of the save reaches the
    // caller. The destructor does the same, silently, when this was not called.
    void Shutdown();

    void Connect() override;
    void Disconnect() override;
    void ReadCurrent() override;
    void WriteCurrent() override;
    void ReadAll() override;
    void WriteAll() override;
    void SelectPage(int index) override;
    void LoadFromFile(const std::string& fileName) override;
    void SaveToFile(const std::string& fileName) override;
    void SetCurrentDefaults() override;
    void SetAllDefaults() override;
    void CompareWithModule() override;
    void CompareWithFile(const std::string& fileName) override;
    void ShowBackups() override;
    void FindModule() override;
    void MakeReport(const std::string& fileName) override;
    void PrintReport() override;
    void WriteChanges() override;
    void Undo() override;
    void CopyRelay() override;
    // Gives each target relay (1..5) the source relay's duration and reactions, as one step.
    void CopyRelay(int source, const std::vector<int>& targets);
    void Redo() override;
    // How many files "Файл" lists.
    static constexpr std::size_t kRecentFileCount = 8;
    const std::vector<std::string>& RecentFiles() const { return m_recentFiles; }
    // The history of the pages' values: every change is a step that Undo takes back.
    const TSettingsHistory& History() const { return m_history; }
    // Writes nothing when the settings are read-only.
    void SaveSettings() override;
    void DiscardSettings() override;
    // True between the locking and the unlocking of the controls around a module exchange.
    bool IsExchangeRunning() const override { return m_exchangeDepth > 0; }

    // Another copy of the tool owns the settings: they are read, and never written.
    void SetSettingsReadOnly(bool readOnly);

    bool IsConnected() const { return m_port != nullptr; }
    TCommonPage* CommonPage() const { return m_commonPage; }
    TRelayPage* RelayPage(int number) const;
    TPageBase* CurrentPage() const { return m_currentPage; }
    // The index of the page on screen; -1 before the pages exist.
    int CurrentPageIndex() const;
    // The pages in index order: the position of a page here is its index in the tree.
    const std::vector<TPageBase*>& Pages() const { return m_pages; }
    TLogWriter& Log() const { return *m_log; }
    // The settings file that is written when the tool closes.
    const std::string& SettingsFile() const { return m_settingsFile; }

    // Seams for tests: how the connect dialog and the error window are shown, and where the
    // port names come from.
    std::function<bool(TConnectDialog& dialog)> RunConnectDialog;
    std::function<void(TErrorListWindow& window)> RunErrorWindow;
    // How "Копировать реле" asks for the target relays; true copies.
    std::function<bool(TCopyRelayDialog& dialog)> RunCopyRelayDialog;
    std::function<std::vector<TSerialPortInfo>()> ListPorts;
    // Runs the compare window of "Сравнить с модулем" and "Сравнить с файлом…"; exec() unless
    // set.
    std::function<void(TCompareWindow& window)> RunCompareWindow;
    std::function<bool(TBackupsDialog& dialog)> RunBackupsDialog;
    std::function<bool(TScanDialog& dialog)> RunScanDialog;
    // Answers the question before the module is renumbered; a message box unless set.
    std::function<TRenumberAnswer(int from, int to)> ConfirmRenumber;
    // Runs the print dialog of "Печать…"; true prints. exec() unless set.
    std::function<bool(QPrintDialog& dialog)> RunPrintDialog;
    // Where the module's settings are kept before the first write of each connection.
    std::filesystem::path BackupFolder;
    // How "Загрузить" tells of pages the file did not hold, and lists the values the pages
    // replaced; a message box and a list window unless set.
    std::function<void(const std::string& text)> ShowLoadNote;
    std::function<void(const std::vector<std::string>& lines)> ShowLoadReplacements;

  private:
    void CreatePages();
    // The pages share one cell of the pane's layout.
    void PlacePages();
    // The common page at the top, the relays under a group node of their own.
    void BuildTree();
    void ShowCurrentPage();
    // The page tree's selection follows the page on screen; the tree's own signal is held back so
    // that the selection never asks for the page a second time.
    void MarkPageInTree(int index);

    void LoadStartFile();
    // Loads the pages and logs each value that a page had to replace; gives those values in the
    // pages' words.
    std::vector<std::string> LoadPages(const TIniFile& ini, const std::vector<TPageBase*>& pages);
    // The settings file holds settings of this tool, not only foreign or broken content.
    bool HoldsSettings(const TIniFile& ini) const;
    // The settings file as the next save of it starts: the start file's content while the
    // settings file does not exist, nothing at all when the loaded file held no settings.
    std::unique_ptr<TIniFile> OpenSettingsForUpdate();
    // Commits the file that OpenSettingsForUpdate gave.
    void CommitSettings(TIniFile& ini);
    void LoadConnectSettings(TConnectDialog& dialog);
    void SaveConnectSettings(TConnectDialog& dialog);
    void FreePages();

    // Tells the window whether a module is connected, with the port and object number.
    void SetConnected(bool connected);
    // The status bar's port and object number, or "Нет связи".
    void ShowConnectionState();
    // The connect dialog, with the port and number of a module found by a scan when given.
    bool DoConnect(const std::optional<std::pair<std::string, int>>& found = std::nullopt);
    void DoDisconnect();
    void ReportPortNotOpened(const std::string& portName, const std::exception_ptr& error);
    void ReportFailedVersionCheck(int moduleNumber, const TConnectResult& result);
    void ClosePort();

    // The controls are unlocked on every path; the error window of the exchange shows only when
    // it finished without an error, which then travels on to the error report.
    template <typename TBody>
    void RunExchange(TBody body);
    void ShowExchangeErrors();
    // Runs after the controls are unlocked at the end of every exchange, also a failed one.
    void FinishExchange();
    // Runs a body that goes through the pages and shows again, on every way out, the page the
    // user had chosen before it.
    template <typename TBody>
    void KeepUsersPage(TBody body);
    // Runs the body over every page, each shown while it is read or written, as one operation
    // with one count of commands.
    template <typename TPageStep>
    void ForEveryPage(bool reading, TPageStep step);
    void ReadPageFromDevice();
    void WritePageToDevice();
    void WriteChangesToDevice();
    // The compare window over the differences; a double-click on a row closes it and shows that
    // value on its page.
    void RunComparison(TCompareWindow& window, const std::vector<TSettingsDifference>& differences);
    // «Записать отмеченные»: writes the chosen values that still differ from the module, in the
    // order of "Записать всё", and lets the window say which went out.
    void WriteChosen(TCompareWindow& window);
    // Shows the page of a value and puts the focus on it.
    void ShowPlace(const TSettingsDifference& difference);
    // Marks the values that differ from the module's known ones on the pages, in the page tree
    // and in the status bar; without a connection nothing is marked.
    void ShowUnwritten();
    // Runs a page operation; a failing port ends the connection with one message.
    template <typename TBody>
    void RunOnConnection(bool reading, TBody body);
    void LoseConnection(const std::exception& error, bool reading);
    // What the pages hold, as module settings.
    TModuleSettings PagesSettings() const;
    void ShowPagesSettings(const TModuleSettings& settings);
    // Records what the pages changed since the last step as the step `name`, and tells the
    // window what can be undone.
    void RecordStep(const std::string& name);
    // Runs a command that changes the pages' values as one step, also when it fails halfway;
    // a change the user had not finished yet becomes a step of its own first.
    template <typename TBody>
    void AsOneStep(const std::string& name, TBody body);
    void ShowHistory();
    // Undo or redo: moves the pages one step along the history.
    void StepThroughHistory(bool (TSettingsHistory::*step)(TModuleSettings&));
    // The file was loaded or saved: it heads the recent files, the title names it, and the pages
    // are compared with it from now on.
    void NoteFile(const std::string& fileName);
    void ShowFileState();
    // Reads aside the pages whose module values this connection does not know whole; true when
    // the whole module is known then.
    bool ReadUnknownAside();
    // Saves the module's settings as they are before the first write of the connection, from the
    // known values where the module was read whole, else after reading it aside. False, with the
    // reason told, when no copy was made: the write must then send nothing.
    bool BackUpBeforeWrite();
    bool m_backedUp = false;

    // What the report says of where the pages' values came from: the last whole read of the
    // module or the last file loaded.
    std::string ReportSourceText() const;
    std::string m_pagesSource;

    TSettingsHistory m_history;
    // The files last loaded or saved, the newest first, kept in the settings file.
    std::vector<std::string> m_recentFiles;
    std::string m_fileName;
    TModuleSettings m_fileSettings;
    // The pages' values as the last step left them.
    TModuleSettings m_recordedSettings;
    TMainWindow& m_mainForm;
    TProgressWindow& m_progress;
    QWidget* m_container;
    QTreeWidget* m_tree;
    std::string m_settingsFile;
    // The file the settings were loaded from at start: the settings file, or the one of a
    // read-only install while the user has none of their own yet.
    std::string m_startFile;
    // The start file held no settings: the next save replaces it whole instead of adding to it.
    bool m_replaceSettingsFile = false;
    // Saved or discarded at close: the end of the controller writes nothing more.
    bool m_settingsSettled = false;
    bool m_settingsReadOnly = false;
    bool m_shutDown = false;
    TPageBase* m_currentPage = nullptr;
    TCommonPage* m_commonPage = nullptr;
    std::vector<TPageBase*> m_pages;
    std::unique_ptr<TLogWriter> m_log;
    int m_exchangeDepth = 0;
    std::unique_ptr<TWindowDeviceView> m_deviceView;
    // The port outlives the device controller that talks through it.
    std::unique_ptr<TComPort> m_port;
    std::unique_ptr<TDeviceController> DeviceController;
    // The port of the connection, as the user chose it.
    std::string m_portName;
};
