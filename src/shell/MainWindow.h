// The main window: menu, toolbar, page tree, page pane, exchange log and status bar.
#pragma once

#include <QAction>
#include <QCheckBox>
#include <QDialog>
#include <QFileDialog>
#include <QLabel>
#include <QMainWindow>
#include <QMenu>
#include <QPushButton>
#include <QStatusBar>
#include <QToolBar>
#include <QTreeWidget>

#include <array>
#include <functional>
#include <optional>
#include <string>

#include "shell/MainCommands.h"
#include "shell/ToolStateView.h"
#include "widgets/CollapsibleSplitter.h"
#include "widgets/Icons.h"
#include "widgets/LogView.h"

// Each node of the page tree carries the index of its page in this role; -1 means no page.
constexpr int StateIndexRole = Qt::UserRole;
int StateIndexOf(const QTreeWidgetItem* node);
void SetStateIndex(QTreeWidgetItem* node, int index);

// The inner geometry of a window that, with `frame` around it, fits `available`: as near to
// `wanted` as the room allows but never below `minimum`, centred, and never with its title bar
// above the free area.
// `offset` moves it from the centre, as far as the free area allows.
QRect FitWindowGeometry(QSize wanted, QSize minimum, const QRect& available, const QMargins& frame,
                        QPoint offset = {});

class TMainWindow : public QMainWindow, public IToolStateView {
    Q_OBJECT
  public:
    explicit TMainWindow(QWidget* parent = nullptr);

    // The commands behind the handlers; not owned, and nothing happens while it is not set.
    IMainCommands* Controller = nullptr;
    // Shown modally by "О программе"; not owned.
    QDialog* AboutBox = nullptr;
    // Runs a file dialog and gives the chosen file, or nothing when the user cancelled.
    std::function<std::optional<QString>(QFileDialog* dialog)> RunFileDialog;
    // Shows why the settings could not be saved at close and asks whether to close anyway;
    // true closes without saving.
    std::function<bool(const QString& error)> AskCloseWithoutSaving;
    // Tells the user that a close asked for during an exchange waits for its end.
    std::function<void()> SayCloseDeferred;

    // The main menu's menus, in menu order; "Отладка" exists but is never shown.
    QMenu* FileMenu;
    // "Правка": undo and redo of the pages' values.
    QMenu* EditMenu;
    QMenu* ConnectionMenu;
    QMenu* PanelMenu;
    QMenu* SettingsMenu;
    QMenu* DebugMenu;
    QMenu* HelpMenu;

    // One action per command, shared by its menu item and, where it has one, its toolbar button
    // (which shows the shorter icon text).
    QAction* CompareFileAction;
    QAction* BackupsAction;
    QAction* FindModuleAction;
    QAction* ReportAction;
    QAction* PrintAction;
    QAction* ExitAction;
    QAction* UndoAction;
    QAction* RedoAction;
    QAction* ConnectAction;
    QAction* DisconnectAction;
    QAction* ReadAction;
    QAction* WriteAction;
    QAction* ReadAllAction;
    QAction* WriteAllAction;
    QAction* CompareAction;
    QAction* WriteChangesAction;
    QAction* SaveAction;
    QAction* LoadAction;
    QAction* CopyRelayAction;
    QAction* PageDefaultsAction;
    QAction* AllDefaultsAction;
    QAction* AboutAction;
    // The checkable items of the hidden "Отладка" menu.
    QAction* ShowInWindowAction;
    QAction* ShowInLogAction;

    QToolBar* ToolBar;
    // The upper part (tree and pages) over the exchange log, and the page tree beside the pages.
    TCollapsibleSplitter* LogSplitter;
    TCollapsibleSplitter* PageSplitter;
    QTreeWidget* PageTree;
    TLogView* ExchangeLog;
    // Beside the log: its "Очистить" button and the "Прокрутка?" box that makes it follow new
    // lines.
    QWidget* LogPanel;
    QPushButton* ClearLogButton;
    QCheckBox* ScrollLogBox;
    QStatusBar* StatusBar;
    // «Не записано: 7» while values of the pages differ from the module's known values.
    QLabel* UnwrittenPanel;
    QFileDialog* OpenDialog;
    QFileDialog* SaveDialog;
    // Asks where "Отчёт…" puts the PDF.
    QFileDialog* ReportDialog;

    // The right-hand pane of PageSplitter, which hosts the pages.
    QWidget* PagePane() const { return m_pagePane; }
    // Every top-level item of the main menu, in menu order.
    QList<QMenu*> TopLevelMenus() const;

    // Grows the window until the largest page shows without scrolling, as far as the free area of
    // the screen allows, and centres it there; on a smaller screen only the page scrolls.
    void FitToScreen(const QRect& available);
    // A copy that only reads the settings is told apart from the first copy at a glance: its
    // title says so, and it opens offset from the first, not on top of it.
    void MarkReadOnlyCopy();

    // Status bar panels are counted from 1 as the user sees them; panel 3 is unused. A panel
    // widens to show its whole text; the port panel's tooltip gives the device's full path.
    void SetStatusText(int panel, const QString& text);
    // The port and object number of the connection, or "Нет связи" and empty panels without one;
    // the commands that reach the module are enabled only with a connection.
    void ShowConnection(const std::optional<TShownConnection>& connection) override;
    // While an exchange runs, the page tree, the toolbar and the menus take no command.
    void ShowBusy(bool busy) override;
    void ShowSettingsReadOnly() override { MarkReadOnlyCopy(); }
    void ShowUnwritten(int count) override;
    // «Отменить: <step>» and «Повторить: <step>», each enabled only when it has a step.
    void ShowHistory(const std::string& undoStep, const std::string& redoStep) override;
    // The title names the file, with "*" after it once the pages differ from it.
    void ShowFile(const std::string& fileName, bool changed) override;
    // "Файл" lists them above "Выход" as "&1 name" ... "&8 name"; a click loads the file.
    void ShowRecentFiles(const std::vector<std::string>& files) override;
    // The recent files' items of "Файл", the newest first.
    const std::vector<QAction*>& RecentFileActions() const { return m_recentFileActions; }
    // The folder the file dialogs open in: the one last used.
    QString FileFolder() const;
    void SetFileFolder(const QString& folder);
    void SetStatusText(int panel, const std::string& text);
    QString StatusText(int panel) const;
    // Carries out a close held back while the exchange ran.
    void ExchangeEnded() override;
    bool IsCloseDeferred() const { return m_closeDeferred; }
    // The settings could not be saved when the window closed and nobody could be asked; the
    // program then ends with a failure status.
    bool SettingsLost() const { return m_settingsLost; }

  public slots:
    // The commands' handlers: each hands its command to the controller.
    void UndoStep();
    void RedoStep();
    void CopyRelay();
    // The page tree's context menu at a point of its viewport.
    void ShowTreeMenu(const QPoint& at);
    void ConnectToModule();
    void DisconnectFromModule();
    void ReadPage();
    void WritePage();
    void ReadAllPages();
    void WriteAllPages();
    void CompareWithModule();
    void CompareWithFile();
    void ShowBackups();
    void FindModule();
    void MakeReport();
    void PrintReport();
    void WriteChangesToModule();
    void SaveToFile();
    void LoadFromFile();
    void SetPageDefaults();
    void SetAllDefaults();
    void Exit();
    void ShowAbout();
    void ClearLog();
    // The page tree's current node changed: its page is shown.
    void ShowNodePage(QTreeWidgetItem* node);
    // Scrolls the log to a line just added while "Прокрутка?" is checked.
    void FollowNewLogLine(const QModelIndex& line);
    // The window closes: the module is let go.
    void DisconnectAtClose();
    // Closes the window where nobody may be there to answer (a termination signal, the end of
    // the desktop session): open dialogs are cancelled, and a failed save goes to standard error
    // instead of a question.
    void CloseUnattended();

  protected:
    // A close that arrives while an exchange runs is held back until the exchange has ended, so
    // the connection is never released under it.
    void closeEvent(QCloseEvent* event) override;
    void showEvent(QShowEvent* event) override;
    void moveEvent(QMoveEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

  private:
    // Loads a file named in "Файл"'s list of recent files.
    void LoadRecentFile(const QString& fileName);
    void UpdateTitle();
    std::vector<QAction*> m_recentFileActions;
    QAction* m_recentFilesEnd = nullptr;
    QString m_titleFile;
    bool m_titleFileChanged = false;
    bool m_readOnlyCopy = false;
    // The menus, the toolbar and the commands' actions, from the commands' table.
    void CreateCommands();
    // Enables the commands that need a connection, or the one that makes it.
    void EnableCommands(bool connected);
    void CreateLayout();
    void CreateStatusBar();
    void CreateFileDialogs();
    bool EditKeepsKey(const QWidget& widget, const QKeyEvent& key) const;
    // The window manager's frame around the window, or a guess while it has none yet.
    QMargins FrameMargins() const;
    void RefitToRealFrame();
    // An action in the menu whose handler runs only while the action is live.
    QAction* AddMenuItem(QMenu* menu, const QString& caption, const QKeySequence& shortcut,
                         void (TMainWindow::*handler)());
    // Shows the action on the toolbar under its icon text.
    void AddToolButton(QAction* action, const QString& caption);
    // A menu item acts only while it and every menu above it are enabled.
    bool IsItemLive(const QAction* item) const;
    const QAction* LiveItemFor(const QKeySequence& keys) const;
    void RunController(const std::function<void(IMainCommands&)>& command);
    // False when the window must stay open because the settings could not be saved.
    bool SaveSettingsForClose();
    // The message box behind AskCloseWithoutSaving.
    bool AskCloseWithoutSavingBox(const QString& error);

    QWidget* m_pagePane;
    std::array<QLabel*, 3> m_statusPanels{};
    QList<QAction*> m_menuItems;
    bool m_closeDeferred = false;
    bool m_closingUnattended = false;
    bool m_settingsLost = false;
    bool m_barsPlaced = false;
    // The free area the window was last fitted to, and whether the real frame was checked.
    QRect m_fittedTo;
    QPoint m_placementOffset;
    bool m_frameChecked = false;
};
