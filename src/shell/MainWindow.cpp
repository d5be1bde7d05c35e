// The main window: menu, toolbar, page tree, page pane, exchange log and status bar.
#include "shell/MainWindow.h"

#include <QCloseEvent>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QGuiApplication>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLineEdit>
#include <QMenuBar>
#include <QScreen>
#include <QScrollArea>
#include <QStyle>
#include <QTimer>
#include <QToolButton>
#include <QVBoxLayout>

#include "shell/AppErrorReport.h"

#include <cstdio>

namespace {

constexpr int kClientWidth = 919;
constexpr int kClientHeight = 775;
constexpr int kToolBarHeight = 26;
constexpr int kToolButtonWidth = 97;
constexpr int kStatusBarHeight = 19;
constexpr int kLogSplitterBar = 620;
constexpr int kPageSplitterBar = 165;
constexpr int kLogPanelWidth = 95;
constexpr int kTreeIndent = 19;
constexpr int kUnattendedRetryMs = 50;
// How far a read-only second copy opens from the centre, right and down.
constexpr int kReadOnlyOffset = 48;
// The status panels' widths as designed; a longer text widens its panel.
constexpr std::array<int, 3> kStatusPanelWidths{60, 100, 50};
constexpr int kPortPanel = 1;

const QString kSettingsFilesFilter = QString::fromUtf8("Файлы настроек (*.txt)");
// What the status bar shows while no module is connected.
const char kNotConnected[] = "Нет связи";

bool AskCloseWithoutSavingBox(QWidget* parent, const QString& error) {
    return AskGoOrStay(
        parent, QMessageBox::Warning,
        error + QString::fromUtf8("\n\nНастройки не сохранены в current.ini. Закрыть программу "
                                  "без сохранения? Чтобы не потерять изменения, выберите «Не "
                                  "закрывать» и сохраните настройки в другой файл командой "
                                  "«Сохранить»."),
        QString::fromUtf8("Закрыть без сохранения"), QString::fromUtf8("Не закрывать"));
}

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
          [this](const QString& error) { return AskCloseWithoutSavingBox(this, error); }) {
    setObjectName("FormMain");
    setWindowTitle("Программа настройки Тарнел v 1.005");
    setFont(QFont("Tahoma", 8));
    CreateMenu();
    CreateToolBar();
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

void TMainWindow::CreateMenu() {
    QMenuBar* bar = menuBar();
    mnuFile = bar->addMenu("&Файл");
    N2 = AddMenuItem(mnuFile, "&Выход", QKeySequence("Ctrl+X"), &TMainWindow::N2Click);

    mnuConnection = bar->addMenu("&Соединение");
    mnuConnect = AddMenuItem(mnuConnection, "&Подключиться", QKeySequence("Ctrl+C"),
                             &TMainWindow::tbConnectClick);
    mnuDisconnect = AddMenuItem(mnuConnection, "&Отключиться", QKeySequence("Ctrl+D"),
                                &TMainWindow::tbDisconnectClick);

    mnuPanel = bar->addMenu("&Панель");
    mnuRead = AddMenuItem(mnuPanel, "&Прочитать параметры", QKeySequence("Ctrl+R"),
                          &TMainWindow::tbReadClick);
    mnuWrite = AddMenuItem(mnuPanel, "&Записать параметры", QKeySequence("Ctrl+W"),
                           &TMainWindow::tbWriteClick);
    mnuPanel->addSeparator();
    mnuReadAll = AddMenuItem(mnuPanel, "Прочитать &всё", QKeySequence("Shift+Ctrl+R"),
                             &TMainWindow::tbReadAllClick);
    mnuWriteAll = AddMenuItem(mnuPanel, "Записать в&сё", QKeySequence("Shift+Ctrl+W"),
                              &TMainWindow::tbWriteAllClick);
    mnuPanel->addSeparator();
    mnuCompare = AddMenuItem(mnuPanel, "С&равнить с модулем", {}, &TMainWindow::mnuCompareClick);
    mnuWriteChanges =
        AddMenuItem(mnuPanel, "Записать &изменения", {}, &TMainWindow::mnuWriteChangesClick);

    mnuSettings = bar->addMenu("&Настройки");
    mnuSave =
        AddMenuItem(mnuSettings, "&Сохранить", QKeySequence("Ctrl+S"), &TMainWindow::mnuSaveClick);
    mnuLoad =
        AddMenuItem(mnuSettings, "&Загрузить", QKeySequence("Ctrl+L"), &TMainWindow::mnuLoadClick);
    mnuSettings->addSeparator();
    N21 = AddMenuItem(mnuSettings, "По &умолчанию", {}, &TMainWindow::N21Click);
    N22 = AddMenuItem(mnuSettings, "По умолчанию &все", {}, &TMainWindow::N22Click);

    mnuDebug = bar->addMenu("&Отладка");
    mnuShowInWindow = AddMenuItem(mnuDebug, "Выводить информацию в &окно", {}, nullptr);
    mnuShowInWindow->setCheckable(true);
    mnuShowInWindow->setChecked(true);
    mnuShowInLog = AddMenuItem(mnuDebug, "Выводить информацию в &лог", {}, nullptr);
    mnuShowInLog->setCheckable(true);
    mnuDebug->menuAction()->setVisible(false);

    mnuHelp = bar->addMenu("По&мощь");
    N8 = AddMenuItem(mnuHelp, "&О программе", QKeySequence(Qt::Key_F1), &TMainWindow::N8Click);

    mnuConnect->setIcon(CommandIcon(TCommandIcon::Connect));
    mnuDisconnect->setIcon(CommandIcon(TCommandIcon::Disconnect));
    mnuRead->setIcon(CommandIcon(TCommandIcon::Read));
    mnuWrite->setIcon(CommandIcon(TCommandIcon::Write));
    mnuReadAll->setIcon(CommandIcon(TCommandIcon::ReadAll));
    mnuWriteAll->setIcon(CommandIcon(TCommandIcon::WriteAll));
    mnuSave->setIcon(CommandIcon(TCommandIcon::Save));
    mnuLoad->setIcon(CommandIcon(TCommandIcon::Load));
    N21->setIcon(CommandIcon(TCommandIcon::Default));
    N22->setIcon(CommandIcon(TCommandIcon::DefaultAll));
    N8->setIcon(CommandIcon(TCommandIcon::About));

    for (QAction* item :
         {mnuDisconnect, mnuRead, mnuWrite, mnuReadAll, mnuWriteAll, mnuCompare, mnuWriteChanges}) {
        item->setEnabled(false);
    }
}

QAction* TMainWindow::AddToolButton(const QString& caption, TCommandIcon icon,
                                    void (TMainWindow::*handler)()) {
    QAction* button = ToolBar1->addAction(CommandIcon(icon), caption);
    connect(button, &QAction::triggered, this, handler);
    // Where the system's substitute for the design font is wider, the button grows rather than
    // cut its caption short.
    QWidget* tool = ToolBar1->widgetForAction(button);
    tool->setFixedWidth(std::max(kToolButtonWidth, tool->sizeHint().width()));
    return button;
}

void TMainWindow::CreateToolBar() {
    ToolBar1 = addToolBar(QString::fromUtf8("Панель инструментов"));
    ToolBar1->setObjectName("ToolBar1");
    ToolBar1->setAccessibleName(ToolBar1->windowTitle());
    ToolBar1->setMovable(false);
    ToolBar1->setFloatable(false);
    ToolBar1->toggleViewAction()->setEnabled(false);
    ToolBar1->setFixedHeight(kToolBarHeight);
    ToolBar1->setIconSize(QSize(16, 16));
    ToolBar1->setToolButtonStyle(Qt::ToolButtonTextBesideIcon);
    setContextMenuPolicy(Qt::NoContextMenu);

    tbConnect = AddToolButton("Поключиться", TCommandIcon::Connect, &TMainWindow::tbConnectClick);
    tbDisconnect =
        AddToolButton("Отключиться", TCommandIcon::Disconnect, &TMainWindow::tbDisconnectClick);
    ToolBar1->addSeparator();
    tbRead = AddToolButton("Читать", TCommandIcon::Read, &TMainWindow::tbReadClick);
    tbWrite = AddToolButton("Писать", TCommandIcon::Write, &TMainWindow::tbWriteClick);
    ToolBar1->addSeparator();
    tbReadAll = AddToolButton("Читать всё", TCommandIcon::ReadAll, &TMainWindow::tbReadAllClick);
    tbWriteAll = AddToolButton("Писать всё", TCommandIcon::WriteAll, &TMainWindow::tbWriteAllClick);

    for (QAction* button : {tbDisconnect, tbRead, tbWrite, tbReadAll, tbWriteAll}) {
        button->setEnabled(false);
    }
}

void TMainWindow::CreateLayout() {
    RzSplitter1 = new TCollapsibleSplitter(Qt::Vertical, 1);
    RzSplitter1->setObjectName("RzSplitter1");
    RzSplitter1->setHandleWidth(5);
    setCentralWidget(RzSplitter1);

    auto* upper = new QFrame;
    upper->setObjectName("RzSplitter1Upper");
    upper->setFrameShape(QFrame::StyledPanel);
    upper->setFrameShadow(QFrame::Sunken);
    auto* upperLayout = new QVBoxLayout(upper);
    upperLayout->setContentsMargins(3, 3, 3, 3);
    rzCntSpl = new TCollapsibleSplitter(Qt::Horizontal, 0);
    rzCntSpl->setObjectName("rzCntSpl");
    rzCntSpl->setHandleWidth(6);
    upperLayout->addWidget(rzCntSpl);

    auto* treePane = new QWidget;
    auto* treeLayout = new QVBoxLayout(treePane);
    treeLayout->setContentsMargins(0, 1, 1, 0);
    tv1 = new QTreeWidget;
    tv1->setObjectName("tv1");
    tv1->setAccessibleName(QString::fromUtf8("Страницы"));
    tv1->setHeaderHidden(true);
    tv1->setFrameShape(QFrame::NoFrame);
    tv1->setEditTriggers(QAbstractItemView::NoEditTriggers);
    tv1->setSelectionMode(QAbstractItemView::SingleSelection);
    tv1->setSelectionBehavior(QAbstractItemView::SelectRows);
    tv1->setAllColumnsShowFocus(true);
    tv1->setIndentation(kTreeIndent);
    // The selected page stays marked when the focus moves into the page.
    QPalette treePalette = tv1->palette();
    for (QPalette::ColorRole role : {QPalette::Highlight, QPalette::HighlightedText}) {
        treePalette.setColor(QPalette::Inactive, role, treePalette.color(QPalette::Active, role));
    }
    tv1->setPalette(treePalette);
    treeLayout->addWidget(tv1);
    connect(tv1, &QTreeWidget::currentItemChanged, this,
            [this](QTreeWidgetItem* current) { tv1Change(current); });

    m_pagePane = new QWidget;
    m_pagePane->setObjectName("PagePane");
    m_pagePane->setAccessibleName(QString::fromUtf8("Страница"));
    rzCntSpl->addWidget(treePane);
    rzCntSpl->addWidget(m_pagePane);
    rzCntSpl->setStretchFactor(0, 0);
    rzCntSpl->setStretchFactor(1, 1);

    auto* lower = new QWidget;
    auto* lowerLayout = new QHBoxLayout(lower);
    lowerLayout->setContentsMargins(0, 0, 0, 0);
    lowerLayout->setSpacing(0);
    tvLog = new TLogView;
    tvLog->setObjectName("tvLog");
    tvLog->setAccessibleName(QString::fromUtf8("Журнал обмена"));
    lowerLayout->addWidget(tvLog, 1);
    connect(tvLog, &TLogView::Addition, this, &TMainWindow::tvLogAddition);

    Panel1 = new QFrame;
    Panel1->setObjectName("Panel1");
    Panel1->setAccessibleName(QString::fromUtf8("Управление журналом"));
    Panel1->setFixedWidth(kLogPanelWidth);
    auto* panelLayout = new QVBoxLayout(Panel1);
    panelLayout->setContentsMargins(4, 4, 4, 4);
    BitBtn1 = new QPushButton(CommandIcon(TCommandIcon::Clear), "Очистить");
    BitBtn1->setObjectName("BitBtn1");
    BitBtn1->setFocusPolicy(Qt::TabFocus);
    connect(BitBtn1, &QPushButton::clicked, this, &TMainWindow::BitBtn1Click);
    cbScrolling = new QCheckBox("Прокрутка?");
    cbScrolling->setObjectName("cbScrolling");
    cbScrolling->setChecked(true);
    panelLayout->addWidget(BitBtn1);
    panelLayout->addWidget(cbScrolling);
    panelLayout->addStretch(1);
    // As designed, unless the fonts at hand need more room for "Прокрутка?".
    Panel1->setFixedWidth(std::max(kLogPanelWidth, panelLayout->sizeHint().width()));
    lowerLayout->addWidget(Panel1);

    RzSplitter1->addWidget(upper);
    RzSplitter1->addWidget(lower);
    RzSplitter1->setStretchFactor(0, 1);
    RzSplitter1->setStretchFactor(1, 0);
}

void TMainWindow::CreateStatusBar() {
    StatusBar1 = statusBar();
    StatusBar1->setObjectName("StatusBar1");
    StatusBar1->setAccessibleName(QString::fromUtf8("Строка состояния"));
    StatusBar1->setFixedHeight(kStatusBarHeight);
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
        StatusBar1->addWidget(panel);
        m_statusPanels[i] = panel;
    }
    ShowConnection(std::nullopt);
}

void TMainWindow::ShowConnection(const std::optional<TShownConnection>& connection) {
    const bool connected = connection.has_value();
    tbConnect->setEnabled(!connected);
    mnuConnect->setEnabled(!connected);
    for (QAction* action :
         {tbDisconnect, mnuDisconnect, tbRead, mnuRead, tbWrite, mnuWrite, tbReadAll, mnuReadAll,
          tbWriteAll, mnuWriteAll, mnuCompare, mnuWriteChanges}) {
        action->setEnabled(connected);
    }
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

void TMainWindow::CreateFileDialogs() {
    OFD = new QFileDialog(this);
    OFD->setObjectName("OFD");
    OFD->setAcceptMode(QFileDialog::AcceptOpen);
    // The file need not exist: a missing settings file loads as defaults.
    OFD->setFileMode(QFileDialog::AnyFile);
    SFD = new QFileDialog(this);
    SFD->setObjectName("SFD");
    SFD->setAcceptMode(QFileDialog::AcceptSave);
    SFD->setFileMode(QFileDialog::AnyFile);
    for (QFileDialog* dialog : {OFD, SFD}) {
        dialog->setNameFilter(kSettingsFilesFilter);
        dialog->setDirectory(QDir::homePath());
        dialog->setOption(QFileDialog::HideNameFilterDetails, true);
        dialog->setDefaultSuffix("txt");
        dialog->setSizeGripEnabled(true);
    }
}

void TMainWindow::ShowBusy(bool busy) {
    tv1->setEnabled(!busy);
    ToolBar1->setEnabled(!busy);
    for (QMenu* menu : TopLevelMenus()) {
        menu->menuAction()->setEnabled(!busy);
    }
}

QList<QMenu*> TMainWindow::TopLevelMenus() const {
    return {mnuFile, mnuConnection, mnuPanel, mnuSettings, mnuDebug, mnuHelp};
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
        if (!item->shortcut().isEmpty() && item->shortcut() == keys && IsItemLive(item)) {
            return item;
        }
    }
    return nullptr;
}

// With text selected in an edit, Ctrl+C and Ctrl+X copy and cut as everywhere else; without a
// selection the menu's Ctrl+C (connect) and Ctrl+X (exit) keep their meaning.
bool TMainWindow::EditKeepsKey(const QWidget& widget, const QKeyEvent& key) {
    const auto* edit = qobject_cast<const QLineEdit*>(&widget);
    if (edit == nullptr || !edit->hasSelectedText()) {
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

void TMainWindow::tbConnectClick() {
    RunController([](IMainCommands& c) { c.Connect(); });
}

void TMainWindow::tbDisconnectClick() {
    RunController([](IMainCommands& c) { c.Disconnect(); });
}

void TMainWindow::tbReadClick() {
    RunController([](IMainCommands& c) { c.ReadCurrent(); });
}

void TMainWindow::tbWriteClick() {
    RunController([](IMainCommands& c) { c.WriteCurrent(); });
}

void TMainWindow::tbReadAllClick() {
    RunController([](IMainCommands& c) { c.ReadAll(); });
}

void TMainWindow::tbWriteAllClick() {
    RunController([](IMainCommands& c) { c.WriteAll(); });
}

void TMainWindow::mnuCompareClick() {
    RunController([](IMainCommands& c) { c.CompareWithModule(); });
}

void TMainWindow::mnuWriteChangesClick() {
    RunController([](IMainCommands& c) { c.WriteChanges(); });
}

void TMainWindow::mnuSaveClick() {
    RunController([this](IMainCommands& c) {
        if (const std::optional<QString> fileName = RunFileDialog(SFD)) {
            SetFileFolder(QFileInfo(*fileName).absolutePath());
            c.SaveToFile(QFile::encodeName(*fileName).toStdString());
        }
    });
}

void TMainWindow::mnuLoadClick() {
    RunController([this](IMainCommands& c) {
        if (const std::optional<QString> fileName = RunFileDialog(OFD)) {
            SetFileFolder(QFileInfo(*fileName).absolutePath());
            c.LoadFromFile(QFile::encodeName(*fileName).toStdString());
        }
    });
}

QString TMainWindow::FileFolder() const {
    return OFD->directory().absolutePath();
}

void TMainWindow::SetFileFolder(const QString& folder) {
    if (folder.isEmpty() || !QFileInfo(folder).isDir()) {
        return;
    }
    OFD->setDirectory(folder);
    SFD->setDirectory(folder);
}

void TMainWindow::N21Click() {
    RunController([](IMainCommands& c) { c.SetCurrentDefaults(); });
}

void TMainWindow::N22Click() {
    RunController([](IMainCommands& c) { c.SetAllDefaults(); });
}

void TMainWindow::N2Click() {
    close();
}

void TMainWindow::N8Click() {
    RunCommand([this] {
        if (AboutBox != nullptr) {
            AboutBox->exec();
        }
    });
}

void TMainWindow::BitBtn1Click() {
    RunCommand([this] { tvLog->Clear(); });
}

void TMainWindow::tv1Change(QTreeWidgetItem* node) {
    if (node == nullptr) {
        return;
    }
    const int index = StateIndexOf(node);
    RunController([index](IMainCommands& c) { c.SelectPage(index); });
}

void TMainWindow::tvLogAddition(const QModelIndex& node) {
    if (cbScrolling->isChecked()) {
        tvLog->scrollTo(node, QAbstractItemView::PositionAtTop);
    }
}

void TMainWindow::FormClose() {
    RunController([](IMainCommands& c) { c.Disconnect(); });
}

void TMainWindow::showEvent(QShowEvent* event) {
    QMainWindow::showEvent(event);
    // The bars go to their design positions once the splitters have their real sizes; a splitter
    // given sizes earlier would scale them to its final size instead.
    if (!m_barsPlaced) {
        m_barsPlaced = true;
        const int height = RzSplitter1->height() - RzSplitter1->handleWidth();
        RzSplitter1->setSizes({kLogSplitterBar, std::max(0, height - kLogSplitterBar)});
        const int width = rzCntSpl->width() - rzCntSpl->handleWidth();
        rzCntSpl->setSizes({kPageSplitterBar, std::max(0, width - kPageSplitterBar)});
        if (const QScreen* shownOn = screen()) {
            FitToScreen(shownOn->availableGeometry());
        }
    }
}

QRect FitWindowGeometry(QSize wanted, QSize minimum, const QRect& available, const QMargins& frame,
                        QPoint offset) {
    const QSize room(available.width() - frame.left() - frame.right(),
                     available.height() - frame.top() - frame.bottom());
    const QSize inner = wanted.boundedTo(room).expandedTo(minimum);
    const QSize outer = inner.grownBy(frame);
    const QPoint centred =
        available.center() - QPoint(outer.width() / 2, outer.height() / 2) + offset;
    // Moved no further than the free area's far edge; a window larger than the room (its
    // minimum) keeps its title bar on the screen.
    const QPoint outerTopLeft(
        std::max(std::min(centred.x(), available.right() + 1 - outer.width()), available.left()),
        std::max(std::min(centred.y(), available.bottom() + 1 - outer.height()), available.top()));
    return {outerTopLeft + QPoint(frame.left(), frame.top()), inner};
}

void TMainWindow::MarkReadOnlyCopy() {
    setWindowTitle(windowTitle() + QString::fromUtf8(" — только чтение"));
    m_placementOffset = QPoint(kReadOnlyOffset, kReadOnlyOffset);
}

QMargins TMainWindow::FrameMargins() const {
    const QRect inner = geometry();
    const QRect outer = frameGeometry();
    if (isVisible() && outer != inner) {
        return {inner.left() - outer.left(), inner.top() - outer.top(),
                outer.right() - inner.right(), outer.bottom() - inner.bottom()};
    }
    // Before the window manager has framed the window, a title bar and a thin border are a fair
    // guess; the fit is made again once the real frame is known.
    const int border = std::max(1, style()->pixelMetric(QStyle::PM_MdiSubWindowFrameWidth));
    const int title = style()->pixelMetric(QStyle::PM_TitleBarHeight);
    return {border, title + border, border, border};
}

void TMainWindow::FitToScreen(const QRect& available) {
    QSize content(0, 0);
    QScrollArea* shown = nullptr;
    for (QScrollArea* area : m_pagePane->findChildren<QScrollArea*>()) {
        if (area->widget() != nullptr) {
            content = content.expandedTo(area->widget()->minimumSize());
        }
        if (area->isVisibleTo(this)) {
            shown = area;
        }
    }
    QSize target = size();
    if (shown != nullptr) {
        // Every page sits in the same pane, so the shown one tells how much room any page has.
        target += (content - shown->maximumViewportSize()).expandedTo(QSize(0, 0));
    }
    m_fittedTo = available;
    setGeometry(
        FitWindowGeometry(target, minimumSizeHint(), available, FrameMargins(), m_placementOffset));
}

// The window manager frames the window after it is shown; once the frame is known, a window
// whose frame leaves the free area is fitted again with the real frame.
void TMainWindow::RefitToRealFrame() {
    if (m_frameChecked || !m_fittedTo.isValid() || !isVisible() || frameGeometry() == geometry()) {
        return;
    }
    m_frameChecked = true;
    if (!m_fittedTo.contains(frameGeometry())) {
        FitToScreen(m_fittedTo);
    }
}

void TMainWindow::moveEvent(QMoveEvent* event) {
    QMainWindow::moveEvent(event);
    RefitToRealFrame();
}

void TMainWindow::resizeEvent(QResizeEvent* event) {
    QMainWindow::resizeEvent(event);
    RefitToRealFrame();
}

// The settings are saved while the window still exists, so that a failed save can keep it open
// and the user can still save the pages elsewhere.
void TMainWindow::closeEvent(QCloseEvent* event) {
    if (Controller != nullptr && Controller->IsExchangeRunning()) {
        m_closeDeferred = true;
        if (SayCloseDeferred) {
            SayCloseDeferred();
        }
        event->ignore();
        return;
    }
    if (!SaveSettingsForClose()) {
        event->ignore();
        return;
    }
    FormClose();
    event->accept();
}

bool TMainWindow::SaveSettingsForClose() {
    if (Controller == nullptr) {
        return true;
    }
    try {
        Controller->SaveSettings();
        return true;
    } catch (const std::exception& error) {
        if (m_closingUnattended) {
            std::fprintf(stderr, "tarnel-config: %s\n", error.what());
            m_settingsLost = true;
        } else if (!AskCloseWithoutSaving(UserMessage(error))) {
            return false;
        }
        Controller->DiscardSettings();
        return true;
    }
}

void TMainWindow::CloseUnattended() {
    m_closingUnattended = true;
    // A modal dialog runs an event loop of its own; it is cancelled first, and the close comes
    // back once the command that opened it has returned.
    if (QWidget* modal = QApplication::activeModalWidget()) {
        modal->close();
        QTimer::singleShot(kUnattendedRetryMs, this, &TMainWindow::CloseUnattended);
        return;
    }
    close();
}

void TMainWindow::ExchangeEnded() {
    if (m_closeDeferred) {
        m_closeDeferred = false;
        QTimer::singleShot(0, this, &QWidget::close);
    }
}
