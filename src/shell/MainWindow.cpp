// The main window: menu, toolbar, page tree, page pane, exchange log and status bar.
#include "shell/MainWindow.h"

#include <QDir>
#include <QFileInfo>
#include <QGuiApplication>
#include <QHBoxLayout>
#include <QMenuBar>
#include <QScreen>
#include <QVBoxLayout>

namespace {

constexpr int kClientWidth = 919;
constexpr int kClientHeight = 775;
constexpr int kStatusBarHeight = 19;
constexpr int kLogSplitterBar = 620;
constexpr int kPageSplitterBar = 165;
constexpr int kLogPanelWidth = 95;
constexpr int kTreeIndent = 19;
// How far a read-only second copy opens from the centre, right and down.
constexpr int kReadOnlyOffset = 48;
// The status panels' widths as designed; a longer text widens its panel.
constexpr std::array<int, 3> kStatusPanelWidths{60, 100, 50};
constexpr int kPortPanel = 1;

const QString kSettingsFilesFilter = QString::fromUtf8("Файлы настроек (*.txt)");
// What the status bar shows while no module is connected.
const char kNotConnected[] = "Нет связи";

std::optional<QString> ExecFileDialog(QFileDialog* dialog) {
    if (dialog->exec() != QDialog::Accepted || dialog->selectedFiles().isEmpty()) {
        return std::nullopt;
    }
    return dialog->selectedFiles().first();
}

}  // namespace

int StateIndexOf(const QTreeWidgetItem* node) {
    if (node == nullptr) {
        return -1;
    }
    bool ok = false;
    const int index = node->data(0, StateIndexRole).toInt(&ok);
    return ok ? index : -1;
}

void SetStateIndex(QTreeWidgetItem* node, int index) {
    node->setData(0, StateIndexRole, index);
}

TMainWindow::TMainWindow(QWidget* parent)
    : QMainWindow(parent),
      RunFileDialog(ExecFileDialog),
      AskCloseWithoutSaving(
          [this](const QString& error) { return AskCloseWithoutSavingBox(error); }) {
    setObjectName("FormMain");
    UpdateTitle();
    setFont(QFont("Tahoma", 8));
    CreateCommands();
    CreateLayout();
    CreateStatusBar();
    CreateFileDialogs();

    // The client area excludes the menu bar, as on the desktop the design was made for.
    resize(kClientWidth, kClientHeight + menuBar()->sizeHint().height());
    if (const QScreen* screen = QGuiApplication::primaryScreen()) {
        const QRect desk = screen->availableGeometry();
        QPoint topLeft = desk.center() - QPoint(width() / 2, height() / 2);
        move(std::max(topLeft.x(), desk.left()), std::max(topLeft.y(), desk.top()));
    }

    // F10 opens the menu bar, as on the Linux desktops.
    auto* openMenuBar = new QAction(this);
    openMenuBar->setShortcut(QKeySequence(Qt::Key_F10));
    openMenuBar->setShortcutContext(Qt::WindowShortcut);
    connect(openMenuBar, &QAction::triggered, this, [this] {
        for (QAction* top : menuBar()->actions()) {
            if (top->isVisible() && top->isEnabled()) {
                menuBar()->setActiveAction(top);
                return;
            }
        }
    });
    addAction(openMenuBar);

    // Page edits claim keys such as Ctrl+C before the menu sees them; the filter takes them back.
    qApp->installEventFilter(this);
}

void TMainWindow::CreateLayout() {
    LogSplitter = new TCollapsibleSplitter(Qt::Vertical, 1);
    LogSplitter->setObjectName("RzSplitter1");
    LogSplitter->setHandleWidth(5);
    setCentralWidget(LogSplitter);

    auto* upper = new QFrame;
    upper->setObjectName("RzSplitter1Upper");
    upper->setFrameShape(QFrame::StyledPanel);
    upper->setFrameShadow(QFrame::Sunken);
    auto* upperLayout = new QVBoxLayout(upper);
    upperLayout->setContentsMargins(3, 3, 3, 3);
    PageSplitter = new TCollapsibleSplitter(Qt::Horizontal, 0);
    PageSplitter->setObjectName("rzCntSpl");
    PageSplitter->setHandleWidth(6);
    upperLayout->addWidget(PageSplitter);

    auto* treePane = new QWidget;
    auto* treeLayout = new QVBoxLayout(treePane);
    treeLayout->setContentsMargins(0, 1, 1, 0);
    PageTree = new QTreeWidget;
    PageTree->setObjectName("tv1");
    PageTree->setAccessibleName(QString::fromUtf8("Страницы"));
    PageTree->setHeaderHidden(true);
    PageTree->setFrameShape(QFrame::NoFrame);
    PageTree->setEditTriggers(QAbstractItemView::NoEditTriggers);
    PageTree->setSelectionMode(QAbstractItemView::SingleSelection);
    PageTree->setSelectionBehavior(QAbstractItemView::SelectRows);
    PageTree->setAllColumnsShowFocus(true);
    PageTree->setIndentation(kTreeIndent);
    // The selected page stays marked when the focus moves into the page.
    QPalette treePalette = PageTree->palette();
    for (QPalette::ColorRole role : {QPalette::Highlight, QPalette::HighlightedText}) {
        treePalette.setColor(QPalette::Inactive, role, treePalette.color(QPalette::Active, role));
    }
    PageTree->setPalette(treePalette);
    treeLayout->addWidget(PageTree);
    connect(PageTree, &QTreeWidget::currentItemChanged, this,
            [this](QTreeWidgetItem* current) { ShowNodePage(current); });
    PageTree->setContextMenuPolicy(Qt::CustomContextMenu);
    connect(PageTree, &QWidget::customContextMenuRequested, this,
            [this](const QPoint& at) { ShowTreeMenu(at); });

    m_pagePane = new QWidget;
    m_pagePane->setObjectName("PagePane");
    m_pagePane->setAccessibleName(QString::fromUtf8("Страница"));
    // Undo and redo on the pages' context menu too; the grids keep their right button.
    m_pagePane->setContextMenuPolicy(Qt::ActionsContextMenu);
    m_pagePane->addActions({UndoAction, RedoAction});
    PageSplitter->addWidget(treePane);
    PageSplitter->addWidget(m_pagePane);
    PageSplitter->setStretchFactor(0, 0);
    PageSplitter->setStretchFactor(1, 1);

    auto* lower = new QWidget;
    auto* lowerLayout = new QHBoxLayout(lower);
    lowerLayout->setContentsMargins(0, 0, 0, 0);
    lowerLayout->setSpacing(0);
    ExchangeLog = new TLogView;
    ExchangeLog->setObjectName("tvLog");
    ExchangeLog->setAccessibleName(QString::fromUtf8("Журнал обмена"));
    lowerLayout->addWidget(ExchangeLog, 1);
    connect(ExchangeLog, &TLogView::Addition, this, &TMainWindow::FollowNewLogLine);

    LogPanel = new QFrame;
    LogPanel->setObjectName("Panel1");
    LogPanel->setAccessibleName(QString::fromUtf8("Управление журналом"));
    LogPanel->setFixedWidth(kLogPanelWidth);
    auto* panelLayout = new QVBoxLayout(LogPanel);
    panelLayout->setContentsMargins(4, 4, 4, 4);
    ClearLogButton = new QPushButton(CommandIcon(TCommandIcon::Clear), "Очистить");
    ClearLogButton->setObjectName("BitBtn1");
    ClearLogButton->setFocusPolicy(Qt::TabFocus);
    connect(ClearLogButton, &QPushButton::clicked, this, &TMainWindow::ClearLog);
    ScrollLogBox = new QCheckBox("Прокрутка?");
    ScrollLogBox->setObjectName("cbScrolling");
    ScrollLogBox->setChecked(true);
    panelLayout->addWidget(ClearLogButton);
    panelLayout->addWidget(ScrollLogBox);
    panelLayout->addStretch(1);
    // As designed, unless the fonts at hand need more room for "Прокрутка?".
    LogPanel->setFixedWidth(std::max(kLogPanelWidth, panelLayout->sizeHint().width()));
    lowerLayout->addWidget(LogPanel);

    LogSplitter->addWidget(upper);
    LogSplitter->addWidget(lower);
    LogSplitter->setStretchFactor(0, 1);
    LogSplitter->setStretchFactor(1, 0);
}

void TMainWindow::CreateStatusBar() {
    StatusBar = statusBar();
    StatusBar->setObjectName("StatusBar1");
    StatusBar->setAccessibleName(QString::fromUtf8("Строка состояния"));
    StatusBar->setFixedHeight(kStatusBarHeight);
    const std::array<QString, 3> names{QString::fromUtf8("Порт"),
                                       QString::fromUtf8("Версия модуля"),
                                       QString::fromUtf8("Номер объекта")};
    for (std::size_t i = 0; i < m_statusPanels.size(); ++i) {
        auto* panel = new QLabel;
        panel->setObjectName(QString("StatusPanel%1").arg(i + 1));
        panel->setAccessibleName(names[i]);
        panel->setFixedWidth(kStatusPanelWidths[i]);
        panel->setFrameStyle(QFrame::Panel | QFrame::Sunken);
        panel->setContentsMargins(2, 0, 2, 0);
        StatusBar->addWidget(panel);
        m_statusPanels[i] = panel;
    }
    UnwrittenPanel = new QLabel;
    UnwrittenPanel->setObjectName("StatusUnwritten");
    UnwrittenPanel->setAccessibleName(QString::fromUtf8("Не записано"));
    UnwrittenPanel->setContentsMargins(2, 0, 2, 0);
    StatusBar->addWidget(UnwrittenPanel);
    ShowConnection(std::nullopt);
}

void TMainWindow::ShowConnection(const std::optional<TShownConnection>& connection) {
    EnableCommands(connection.has_value());
    if (!connection) {
        SetStatusText(1, QString::fromUtf8(kNotConnected));
        m_statusPanels[0]->setToolTip(QString());
        SetStatusText(2, QString());
        SetStatusText(3, QString());
        return;
    }
    SetStatusText(1, QString::fromStdString(connection->Port));
    SetStatusText(3, QString::fromUtf8("Объект %1").arg(connection->ObjectNumber));
}

void TMainWindow::ShowUnwritten(int count) {
    UnwrittenPanel->setText(count > 0 ? QString::fromUtf8("Не записано: %1").arg(count)
                                      : QString());
    // The panel's name stays; its count is read as the description, as the tree's marks are.
    UnwrittenPanel->setAccessibleDescription(UnwrittenPanel->text());
    UnwrittenPanel->setToolTip(count > 0 ? QString::fromUtf8("Значений страниц, которые "
                                                             "отличаются от модуля: %1")
                                               .arg(count)
                                         : QString());
}

void TMainWindow::CreateFileDialogs() {
    OpenDialog = new QFileDialog(this);
    OpenDialog->setObjectName("OFD");
    OpenDialog->setAcceptMode(QFileDialog::AcceptOpen);
    // The file need not exist: a missing settings file loads as defaults.
    OpenDialog->setFileMode(QFileDialog::AnyFile);
    SaveDialog = new QFileDialog(this);
    SaveDialog->setObjectName("SFD");
    SaveDialog->setAcceptMode(QFileDialog::AcceptSave);
    SaveDialog->setFileMode(QFileDialog::AnyFile);
    ReportDialog = new QFileDialog(this);
    ReportDialog->setObjectName("ReportDialog");
    ReportDialog->setAcceptMode(QFileDialog::AcceptSave);
    ReportDialog->setFileMode(QFileDialog::AnyFile);
    ReportDialog->setNameFilter(QString::fromUtf8("Отчёт PDF (*.pdf)"));
    ReportDialog->setDefaultSuffix("pdf");
    ReportDialog->setDirectory(QDir::homePath());
    ReportDialog->setSizeGripEnabled(true);
    for (QFileDialog* dialog : {OpenDialog, SaveDialog}) {
        dialog->setNameFilter(kSettingsFilesFilter);
        dialog->setDirectory(QDir::homePath());
        dialog->setOption(QFileDialog::HideNameFilterDetails, true);
        dialog->setDefaultSuffix("txt");
        dialog->setSizeGripEnabled(true);
    }
}

void TMainWindow::ShowBusy(bool busy) {
    PageTree->setEnabled(!busy);
    ToolBar->setEnabled(!busy);
    for (QMenu* menu : TopLevelMenus()) {
        menu->menuAction()->setEnabled(!busy);
    }
}

QList<QMenu*> TMainWindow::TopLevelMenus() const {
    return {FileMenu, EditMenu, ConnectionMenu, PanelMenu, SettingsMenu, DebugMenu, HelpMenu};
}

void TMainWindow::SetStatusText(int panel, const QString& text) {
    if (panel < 1 || panel > static_cast<int>(m_statusPanels.size())) {
        return;
    }
    QLabel* shown = m_statusPanels[static_cast<std::size_t>(panel - 1)];
    shown->setText(text);
    const int designed = kStatusPanelWidths[static_cast<std::size_t>(panel - 1)];
    shown->setFixedWidth(std::max(designed, shown->sizeHint().width()));
    if (panel == kPortPanel) {
        // As the driver reads a port name: a path as it is, a bare name under /dev.
        const bool bareName = !text.isEmpty() && !text.startsWith('/');
        shown->setToolTip(bareName ? "/dev/" + text : text);
    }
}

void TMainWindow::SetStatusText(int panel, const std::string& text) {
    SetStatusText(panel, QString::fromStdString(text));
}

QString TMainWindow::StatusText(int panel) const {
    if (panel >= 1 && panel <= static_cast<int>(m_statusPanels.size())) {
        return m_statusPanels[static_cast<std::size_t>(panel - 1)]->text();
    }
    return {};
}

QString TMainWindow::FileFolder() const {
    return OpenDialog->directory().absolutePath();
}

void TMainWindow::SetFileFolder(const QString& folder) {
    if (folder.isEmpty() || !QFileInfo(folder).isDir()) {
        return;
    }
    OpenDialog->setDirectory(folder);
    SaveDialog->setDirectory(folder);
}

void TMainWindow::showEvent(QShowEvent* event) {
    QMainWindow::showEvent(event);
    // The bars go to their design positions once the splitters have their real sizes; a splitter
    // given sizes earlier would scale them to its final size instead.
    if (!m_barsPlaced) {
        m_barsPlaced = true;
        const int height = LogSplitter->height() - LogSplitter->handleWidth();
        LogSplitter->setSizes({kLogSplitterBar, std::max(0, height - kLogSplitterBar)});
        const int width = PageSplitter->width() - PageSplitter->handleWidth();
        PageSplitter->setSizes({kPageSplitterBar, std::max(0, width - kPageSplitterBar)});
        if (const QScreen* shownOn = screen()) {
            FitToScreen(shownOn->availableGeometry());
        }
    }
}

void TMainWindow::UpdateTitle() {
    QString title =
        QString::fromUtf8("Программа настройки Тарнел v ") + QStringLiteral(TARNEL_VERSION);
    if (!m_titleFile.isEmpty()) {
        title += QString::fromUtf8(" — ") + m_titleFile + (m_titleFileChanged ? "*" : "");
    }
    if (m_readOnlyCopy) {
        title += QString::fromUtf8(" — только чтение");
    }
    setWindowTitle(title);
}

void TMainWindow::ShowFile(const std::string& fileName, bool changed) {
    m_titleFile = QFileInfo(QString::fromStdString(fileName)).fileName();
    m_titleFileChanged = changed;
    UpdateTitle();
}

void TMainWindow::ShowRecentFiles(const std::vector<std::string>& files) {
    for (QAction* item : m_recentFileActions) {
        m_menuItems.removeAll(item);
        FileMenu->removeAction(item);
        item->deleteLater();
    }
    m_recentFileActions.clear();
    if (m_recentFilesEnd == nullptr) {
        m_recentFilesEnd = FileMenu->insertSeparator(ExitAction);
    }
    m_recentFilesEnd->setVisible(!files.empty());
    int number = 0;
    for (const std::string& file : files) {
        const QString path = QString::fromStdString(file);
        auto* item =
            new QAction(QString("&%1 %2").arg(++number).arg(QFileInfo(path).fileName()), FileMenu);
        item->setToolTip(path);
        item->setStatusTip(path);
        connect(item, &QAction::triggered, this, [this, path] { LoadRecentFile(path); });
        FileMenu->insertAction(m_recentFilesEnd, item);
        m_recentFileActions.push_back(item);
    }
}

void TMainWindow::MarkReadOnlyCopy() {
    m_readOnlyCopy = true;
    UpdateTitle();
    m_placementOffset = QPoint(kReadOnlyOffset, kReadOnlyOffset);
}
