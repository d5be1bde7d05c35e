// The main window's commands: one table gives each its action, shared by the menu and the
// toolbar, and its handler; the handlers hand the commands to the controller.
#include <QFile>
#include <QFileInfo>
#include <QKeyEvent>
#include <QLineEdit>
#include <QMenuBar>

#include "shell/AppErrorReport.h"
#include "shell/MainWindow.h"

namespace {

constexpr int kToolBarHeight = 26;
constexpr int kToolButtonWidth = 97;

// When a command can be given.
enum class TCommandState {
    Always,
    // Only without a connection: "Подключиться".
    Disconnected,
    // Only with a connection: the commands that talk to the module.
    Connected,
};

struct TMainCommand {
    QAction* TMainWindow::*Action;
    QMenu* TMainWindow::*Menu;
    // The menu's caption, with its Alt letter after "&".
    const char* Caption;
    // The toolbar's shorter caption; null for a command the toolbar does not show.
    const char* ToolCaption;
    const char* Shortcut;
    std::optional<TCommandIcon> Icon;
    void (TMainWindow::*Handler)();
    TCommandState State;
    // A separator comes before the command in its menu, and on the toolbar.
    bool MenuSeparatorBefore;
    bool ToolSeparatorBefore;
};

// In menu order; the toolbar shows its commands in the same order.
const TMainCommand kMainCommands[] = {
    {&TMainWindow::CompareFileAction, &TMainWindow::FileMenu, "Сравнить с &файлом…", nullptr, "",
     std::nullopt, &TMainWindow::CompareWithFile, TCommandState::Always, false, false},
    {&TMainWindow::BackupsAction, &TMainWindow::FileMenu, "&Резервные копии…", nullptr, "",
     std::nullopt, &TMainWindow::ShowBackups, TCommandState::Always, false, false},
    {&TMainWindow::ReportAction, &TMainWindow::FileMenu, "&Отчёт…", nullptr, "", std::nullopt,
     &TMainWindow::MakeReport, TCommandState::Always, true, false},
    {&TMainWindow::PrintAction, &TMainWindow::FileMenu, "&Печать…", nullptr, "Ctrl+P", std::nullopt,
     &TMainWindow::PrintReport, TCommandState::Always, false, false},
    {&TMainWindow::ExitAction, &TMainWindow::FileMenu, "&Выход", nullptr, "Ctrl+X", std::nullopt,
     &TMainWindow::Exit, TCommandState::Always, true, false},
    {&TMainWindow::UndoAction, &TMainWindow::EditMenu, "&Отменить", nullptr, "Ctrl+Z", std::nullopt,
     &TMainWindow::UndoStep, TCommandState::Always, false, false},
    {&TMainWindow::RedoAction, &TMainWindow::EditMenu, "&Повторить", nullptr, "Ctrl+Y",
     std::nullopt, &TMainWindow::RedoStep, TCommandState::Always, false, false},
    {&TMainWindow::ConnectAction, &TMainWindow::ConnectionMenu, "&Подключиться", "Подключиться",
     "Ctrl+C", TCommandIcon::Connect, &TMainWindow::ConnectToModule, TCommandState::Disconnected,
     false, false},
    // The scan needs the port that a connection would hold.
    {&TMainWindow::FindModuleAction, &TMainWindow::ConnectionMenu, "&Найти модуль…", nullptr, "",
     std::nullopt, &TMainWindow::FindModule, TCommandState::Disconnected, false, false},
    {&TMainWindow::DisconnectAction, &TMainWindow::ConnectionMenu, "&Отключиться", "Отключиться",
     "Ctrl+D", TCommandIcon::Disconnect, &TMainWindow::DisconnectFromModule,
     TCommandState::Connected, false, false},
    {&TMainWindow::ReadAction, &TMainWindow::PanelMenu, "&Прочитать параметры", "Читать", "Ctrl+R",
     TCommandIcon::Read, &TMainWindow::ReadPage, TCommandState::Connected, false, true},
    {&TMainWindow::WriteAction, &TMainWindow::PanelMenu, "&Записать параметры", "Писать", "Ctrl+W",
     TCommandIcon::Write, &TMainWindow::WritePage, TCommandState::Connected, false, false},
    {&TMainWindow::ReadAllAction, &TMainWindow::PanelMenu, "Прочитать &всё", "Читать всё",
     "Shift+Ctrl+R", TCommandIcon::ReadAll, &TMainWindow::ReadAllPages, TCommandState::Connected,
     true, true},
    {&TMainWindow::WriteAllAction, &TMainWindow::PanelMenu, "Записать в&сё", "Писать всё",
     "Shift+Ctrl+W", TCommandIcon::WriteAll, &TMainWindow::WriteAllPages, TCommandState::Connected,
     false, false},
    {&TMainWindow::CompareAction, &TMainWindow::PanelMenu, "С&равнить с модулем", nullptr, "",
     std::nullopt, &TMainWindow::CompareWithModule, TCommandState::Connected, true, false},
    {&TMainWindow::WriteChangesAction, &TMainWindow::PanelMenu, "Записать &изменения", nullptr, "",
     std::nullopt, &TMainWindow::WriteChangesToModule, TCommandState::Connected, false, false},
    {&TMainWindow::SaveAction, &TMainWindow::SettingsMenu, "&Сохранить", nullptr, "Ctrl+S",
     TCommandIcon::Save, &TMainWindow::SaveToFile, TCommandState::Always, false, false},
    {&TMainWindow::LoadAction, &TMainWindow::SettingsMenu, "&Загрузить", nullptr, "Ctrl+L",
     TCommandIcon::Load, &TMainWindow::LoadFromFile, TCommandState::Always, false, false},
    {&TMainWindow::CopyRelayAction, &TMainWindow::PanelMenu, "&Копировать реле…", nullptr, "",
     std::nullopt, &TMainWindow::CopyRelay, TCommandState::Always, true, false},
    {&TMainWindow::PageDefaultsAction, &TMainWindow::SettingsMenu, "По &умолчанию", nullptr, "",
     TCommandIcon::Default, &TMainWindow::SetPageDefaults, TCommandState::Always, true, false},
    {&TMainWindow::AllDefaultsAction, &TMainWindow::SettingsMenu, "По умолчанию &все", nullptr, "",
     TCommandIcon::DefaultAll, &TMainWindow::SetAllDefaults, TCommandState::Always, false, false},
    {&TMainWindow::AboutAction, &TMainWindow::HelpMenu, "&О программе", nullptr, "F1",
     TCommandIcon::About, &TMainWindow::ShowAbout, TCommandState::Always, false, false},
};

}  // namespace

QAction* TMainWindow::AddMenuItem(QMenu* menu, const QString& caption, const QKeySequence& shortcut,
                                  void (TMainWindow::*handler)()) {
    QAction* item = menu->addAction(caption);
    item->setShortcut(shortcut);
    if (handler != nullptr) {
        connect(item, &QAction::triggered, this, [this, item, handler] {
            if (IsItemLive(item)) {
                (this->*handler)();
            }
        });
    }
    m_menuItems.append(item);
    return item;
}

void TMainWindow::AddToolButton(QAction* action, const QString& caption) {
    action->setIconText(caption);
    // The button's tooltip is its own caption, not the menu's longer one.
    action->setToolTip(caption);
    ToolBar->addAction(action);
    // Where the system's substitute for the design font is wider, the button grows rather than
    // cut its caption short.
    QWidget* tool = ToolBar->widgetForAction(action);
    tool->setFixedWidth(std::max(kToolButtonWidth, tool->sizeHint().width()));
}

void TMainWindow::CreateCommands() {
    QMenuBar* bar = menuBar();
    FileMenu = bar->addMenu("&Файл");
    EditMenu = bar->addMenu("П&равка");
    ConnectionMenu = bar->addMenu("&Соединение");
    PanelMenu = bar->addMenu("&Панель");
    SettingsMenu = bar->addMenu("&Настройки");
    DebugMenu = bar->addMenu("&Отладка");
    HelpMenu = bar->addMenu("По&мощь");

    ToolBar = addToolBar(QString::fromUtf8("Панель инструментов"));
    ToolBar->setObjectName("ToolBar1");
    ToolBar->setAccessibleName(ToolBar->windowTitle());
    ToolBar->setMovable(false);
    ToolBar->setFloatable(false);
    ToolBar->toggleViewAction()->setEnabled(false);
    ToolBar->setFixedHeight(kToolBarHeight);
    ToolBar->setIconSize(QSize(16, 16));
    ToolBar->setToolButtonStyle(Qt::ToolButtonTextBesideIcon);
    setContextMenuPolicy(Qt::NoContextMenu);

    for (const TMainCommand& command : kMainCommands) {
        QMenu* menu = this->*command.Menu;
        if (command.MenuSeparatorBefore) {
            menu->addSeparator();
        }
        QAction* action = AddMenuItem(menu, QString::fromUtf8(command.Caption),
                                      QKeySequence(command.Shortcut), command.Handler);
        if (command.Icon) {
            action->setIcon(CommandIcon(*command.Icon));
        }
        if (command.ToolCaption != nullptr) {
            if (command.ToolSeparatorBefore) {
                ToolBar->addSeparator();
            }
            AddToolButton(action, QString::fromUtf8(command.ToolCaption));
        }
        this->*command.Action = action;
    }

    // Ctrl+Shift+Z redoes as well, as in most editors.
    RedoAction->setShortcuts({QKeySequence("Ctrl+Y"), QKeySequence("Ctrl+Shift+Z")});
    ShowHistory({}, {});

    ShowInWindowAction = AddMenuItem(DebugMenu, "Выводить информацию в &окно", {}, nullptr);
    ShowInWindowAction->setCheckable(true);
    ShowInWindowAction->setChecked(true);
    ShowInLogAction = AddMenuItem(DebugMenu, "Выводить информацию в &лог", {}, nullptr);
    ShowInLogAction->setCheckable(true);
    DebugMenu->menuAction()->setVisible(false);

    EnableCommands(false);
}

void TMainWindow::EnableCommands(bool connected) {
    for (const TMainCommand& command : kMainCommands) {
        if (command.State != TCommandState::Always) {
            (this->*command.Action)
                ->setEnabled((command.State == TCommandState::Connected) == connected);
        }
    }
}

bool TMainWindow::IsItemLive(const QAction* item) const {
    if (!item->isEnabled()) {
        return false;
    }
    for (const QMenu* menu = qobject_cast<const QMenu*>(item->parent()); menu != nullptr;
         menu = qobject_cast<const QMenu*>(menu->parent())) {
        if (!menu->isEnabled() || !menu->menuAction()->isEnabled()) {
            return false;
        }
    }
    return true;
}

const QAction* TMainWindow::LiveItemFor(const QKeySequence& keys) const {
    for (const QAction* item : m_menuItems) {
        if (item->shortcuts().contains(keys) && IsItemLive(item)) {
            return item;
        }
    }
    return nullptr;
}

// With text selected in an edit, Ctrl+C and Ctrl+X copy and cut as everywhere else; without a
// selection the menu's Ctrl+C (connect) and Ctrl+X (exit) keep their meaning.
// While an edit holds typing not yet finished, Ctrl+Z and the redo keys work on that typing, as
// in any edit; otherwise they undo and redo the pages' steps.
bool TMainWindow::EditKeepsKey(const QWidget& widget, const QKeyEvent& key) const {
    const auto* edit = qobject_cast<const QLineEdit*>(&widget);
    if (edit == nullptr) {
        return false;
    }
    const QKeySequence keys(key.keyCombination());
    if (UndoAction->shortcuts().contains(keys)) {
        return edit->isModified() && edit->isUndoAvailable();
    }
    if (RedoAction->shortcuts().contains(keys)) {
        return edit->isModified() && edit->isRedoAvailable();
    }
    if (!edit->hasSelectedText()) {
        return false;
    }
    return key.matches(QKeySequence::Copy) ||
           (key.matches(QKeySequence::Cut) && !edit->isReadOnly());
}

bool TMainWindow::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() == QEvent::ShortcutOverride) {
        const auto* widget = qobject_cast<QWidget*>(watched);
        if (widget != nullptr && widget->window() == this) {
            auto* key = static_cast<QKeyEvent*>(event);
            if (!EditKeepsKey(*widget, *key) &&
                LiveItemFor(QKeySequence(key->keyCombination())) != nullptr) {
                // Left unaccepted, the key goes to the menu's shortcut instead of the widget.
                key->ignore();
                return true;
            }
        }
    }
    return QMainWindow::eventFilter(watched, event);
}

void TMainWindow::RunController(const std::function<void(IMainCommands&)>& command) {
    RunCommand([this, &command] {
        if (Controller != nullptr) {
            command(*Controller);
        }
    });
}

void TMainWindow::ConnectToModule() {
    RunController([](IMainCommands& c) { c.Connect(); });
}

void TMainWindow::DisconnectFromModule() {
    RunController([](IMainCommands& c) { c.Disconnect(); });
}

void TMainWindow::ReadPage() {
    RunController([](IMainCommands& c) { c.ReadCurrent(); });
}

void TMainWindow::WritePage() {
    RunController([](IMainCommands& c) { c.WriteCurrent(); });
}

void TMainWindow::ReadAllPages() {
    RunController([](IMainCommands& c) { c.ReadAll(); });
}

void TMainWindow::WriteAllPages() {
    RunController([](IMainCommands& c) { c.WriteAll(); });
}

void TMainWindow::CompareWithModule() {
    RunController([](IMainCommands& c) { c.CompareWithModule(); });
}

void TMainWindow::CompareWithFile() {
    RunController([this](IMainCommands& c) {
        if (const std::optional<QString> fileName = RunFileDialog(OpenDialog)) {
            SetFileFolder(QFileInfo(*fileName).absolutePath());
            c.CompareWithFile(QFile::encodeName(*fileName).toStdString());
        }
    });
}

void TMainWindow::ShowBackups() {
    RunController([](IMainCommands& c) { c.ShowBackups(); });
}

void TMainWindow::FindModule() {
    RunController([](IMainCommands& c) { c.FindModule(); });
}

void TMainWindow::MakeReport() {
    RunController([this](IMainCommands& c) {
        if (const std::optional<QString> fileName = RunFileDialog(ReportDialog)) {
            c.MakeReport(QFile::encodeName(*fileName).toStdString());
        }
    });
}

void TMainWindow::PrintReport() {
    RunController([](IMainCommands& c) { c.PrintReport(); });
}

void TMainWindow::WriteChangesToModule() {
    RunController([](IMainCommands& c) { c.WriteChanges(); });
}

void TMainWindow::SaveToFile() {
    RunController([this](IMainCommands& c) {
        if (const std::optional<QString> fileName = RunFileDialog(SaveDialog)) {
            SetFileFolder(QFileInfo(*fileName).absolutePath());
            c.SaveToFile(QFile::encodeName(*fileName).toStdString());
        }
    });
}

void TMainWindow::LoadFromFile() {
    RunController([this](IMainCommands& c) {
        if (const std::optional<QString> fileName = RunFileDialog(OpenDialog)) {
            SetFileFolder(QFileInfo(*fileName).absolutePath());
            c.LoadFromFile(QFile::encodeName(*fileName).toStdString());
        }
    });
}

void TMainWindow::SetPageDefaults() {
    RunController([](IMainCommands& c) { c.SetCurrentDefaults(); });
}

void TMainWindow::SetAllDefaults() {
    RunController([](IMainCommands& c) { c.SetAllDefaults(); });
}

void TMainWindow::Exit() {
    close();
}

void TMainWindow::ShowAbout() {
    RunCommand([this] {
        if (AboutBox != nullptr) {
            AboutBox->exec();
        }
    });
}

void TMainWindow::ClearLog() {
    RunCommand([this] { ExchangeLog->Clear(); });
}

void TMainWindow::ShowNodePage(QTreeWidgetItem* node) {
    if (node == nullptr) {
        return;
    }
    const int index = StateIndexOf(node);
    RunController([index](IMainCommands& c) { c.SelectPage(index); });
}

void TMainWindow::FollowNewLogLine(const QModelIndex& node) {
    if (ScrollLogBox->isChecked()) {
        ExchangeLog->scrollTo(node, QAbstractItemView::PositionAtTop);
    }
}

void TMainWindow::DisconnectAtClose() {
    RunController([](IMainCommands& c) { c.Disconnect(); });
}

void TMainWindow::UndoStep() {
    RunController([](IMainCommands& c) { c.Undo(); });
}

void TMainWindow::RedoStep() {
    RunController([](IMainCommands& c) { c.Redo(); });
}

void TMainWindow::ShowHistory(const std::string& undoStep, const std::string& redoStep) {
    UndoAction->setEnabled(!undoStep.empty());
    UndoAction->setText(undoStep.empty()
                            ? QString::fromUtf8("&Отменить")
                            : QString::fromUtf8("&Отменить: ") + QString::fromStdString(undoStep));
    RedoAction->setEnabled(!redoStep.empty());
    RedoAction->setText(redoStep.empty()
                            ? QString::fromUtf8("&Повторить")
                            : QString::fromUtf8("&Повторить: ") + QString::fromStdString(redoStep));
}

void TMainWindow::CopyRelay() {
    RunController([](IMainCommands& c) { c.CopyRelay(); });
}

// A relay's node offers "Копировать реле…" for that relay: the node is chosen first, so the copy
// starts from the page it names.
void TMainWindow::ShowTreeMenu(const QPoint& at) {
    QTreeWidgetItem* node = PageTree->itemAt(at);
    if (node == nullptr || node->parent() == nullptr || !PageTree->isEnabled()) {
        return;
    }
    PageTree->setCurrentItem(node);
    QMenu menu(PageTree);
    menu.addAction(CopyRelayAction);
    menu.exec(PageTree->viewport()->mapToGlobal(at));
}

void TMainWindow::LoadRecentFile(const QString& fileName) {
    RunController([this, &fileName](IMainCommands& c) {
        SetFileFolder(QFileInfo(fileName).absolutePath());
        c.LoadFromFile(QFile::encodeName(fileName).toStdString());
    });
}
