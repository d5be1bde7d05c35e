// The generic forms controller: hosts the pages, lists them in a tree, and runs the command
// sequences that read, write, load, save and reset them.
#pragma once

#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "shell/MainCommands.h"

class QTreeWidget;
class QTreeWidgetItem;
class QWidget;
class TIniFile;
class TPageBase;
class TLogWriter;

class TFormsController : public IMainCommands {
  public:
    ~TFormsController() override;

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
    void WriteChanges() override;
    // Writes nothing when the settings are read-only.
    void SaveSettings() override;
    void DiscardSettings() override;

    // Another copy of the tool owns the settings: they are read, and never written.
    void SetSettingsReadOnly(bool readOnly) { m_settingsReadOnly = readOnly; }
    bool AreSettingsReadOnly() const { return m_settingsReadOnly; }

    // How "Загрузить" tells of pages the file did not hold, and lists the values the pages
    // replaced; a message box and a list window unless set.
    std::function<void(const std::string& text)> ShowLoadNote;
    std::function<void(const std::vector<std::string>& lines)> ShowLoadReplacements;

    QWidget* Container() const { return m_container; }
    TPageBase* CurrentPage() const { return m_currentPage; }
    // The index of the page on screen; -1 before the pages exist.
    int CurrentPageIndex() const;
    // The pages in index order: the position of a page here is its index in the tree.
    const std::vector<TPageBase*>& Pages() const { return m_pages; }
    TLogWriter& Log() const { return *m_log; }
    // True between the locking and the unlocking of the controls around a module exchange.
    bool IsExchangeRunning() const override { return m_exchangeDepth > 0; }
    // The settings file that is written when the tool closes.
    const std::string& SettingsFile() const { return m_settingsFile; }
    // The file the settings were loaded from at start: the settings file, or the one of a
    // read-only install while the user has none of their own yet.
    const std::string& StartFile() const { return m_startFile; }

  protected:
    // An empty startFile means the settings file.
    TFormsController(QWidget* container, std::string settingsFile, std::string startFile = {});

    // Runs the construction steps; the most derived constructor calls it, because they call the
    // overrides of this class's operations.
    void Construct(QWidget* mainForm, QTreeWidget* tree);
    // Ends the controller: saves the pages to the settings file and destroys them. The most
    // derived destructor calls it while its own parts still exist.
    void Destruct();

    // The settings file as the next save of it starts: the start file's content while the
    // settings file does not exist, nothing at all when the loaded file held no settings.
    std::unique_ptr<TIniFile> OpenSettingsForUpdate();
    // Commits the file that OpenSettingsForUpdate gave.
    void CommitSettings(TIniFile& ini);
    // The settings file holds settings of this tool, not only foreign or broken content.
    virtual bool HoldsSettings(const TIniFile& ini) const;

    void AddPage(TPageBase* page);
    void SetCurrentPage(TPageBase* page) { m_currentPage = page; }

    virtual void PlacePage(TPageBase& page);
    virtual void PlacePages();
    virtual void CreatePages(QWidget* mainForm) = 0;
    virtual void FreePages();
    virtual QTreeWidgetItem* AddPageNode(QTreeWidget& tree, TPageBase& page, int index);
    virtual QTreeWidgetItem* AddChildPageNode(QTreeWidgetItem& parent, TPageBase& page, int index);
    virtual void BuildTree(QTreeWidget& tree);
    virtual void ShowCurrentPage();
    // The page tree's selection follows the page on screen; the tree's own signal is held back so
    // that the selection never asks for the page a second time.
    void MarkPageInTree(int index);
    virtual void SetConnected(bool connected) = 0;
    virtual bool DoConnect() = 0;
    virtual void DoDisconnect() = 0;
    virtual std::unique_ptr<TLogWriter> CreateLog() = 0;
    virtual void ReadPageFromDevice() = 0;
    virtual void WritePageToDevice() = 0;
    virtual void CompareWithDevice() {}
    virtual void WriteChangesToDevice() {}
    virtual void BeginExchange() = 0;
    virtual void EndExchange() = 0;
    virtual void LockUI() = 0;
    virtual void UnlockUI() = 0;
    // Runs after the controls are unlocked at the end of every exchange, also a failed one.
    virtual void ExchangeEnded() {}
    // Around the page loop of "Читать всё" and "Записать всё": one operation with one count of
    // commands; the end runs on every way out.
    virtual void BeginPagesOperation(bool /*reading*/) {}
    virtual void EndPagesOperation() {}
    // What the tool keeps in the settings file beside the pages.
    virtual void LoadToolSettings(const TIniFile& /*ini*/) {}
    virtual void SaveToolSettings(TIniFile& /*ini*/) {}

  private:
    template <typename TBody>
    void RunExchange(TBody body);

    void LoadStartFile();
    // Loads the pages and logs each value that a page had to replace; gives those values in the
    // pages' words.
    std::vector<std::string> LoadPages(const TIniFile& ini, const std::vector<TPageBase*>& pages);

    // Runs a body that goes through the pages and shows again, on every way out, the page the
    // user had chosen before it.
    template <typename TBody>
    void KeepUsersPage(TBody body);
    // Runs the body over every page, each shown while it is read or written, as one operation.
    template <typename TPageStep>
    void ForEveryPage(bool reading, TPageStep step);

    QWidget* m_container;
    QTreeWidget* m_tree = nullptr;
    std::string m_settingsFile;
    std::string m_startFile;
    // The start file held no settings: the next save replaces it whole instead of adding to it.
    bool m_replaceSettingsFile = false;
    // Saved or discarded at close: the end of the controller writes nothing more.
    bool m_settingsSettled = false;
    bool m_settingsReadOnly = false;
    TPageBase* m_currentPage = nullptr;
    std::vector<TPageBase*> m_pages;
    std::unique_ptr<TLogWriter> m_log;
    int m_exchangeDepth = 0;
    bool m_destructed = false;
};
