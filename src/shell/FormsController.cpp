#include "shell/FormsController.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#include <QGridLayout>
#include <QSignalBlocker>
#include <QTimer>
#include <QTreeWidget>
#include <QTreeWidgetItemIterator>
#include <algorithm>
#include <cerrno>
#include <filesystem>
#include <stdexcept>

#include "ini/FileErrorMessage.h"
#include "ini/IniFile.h"
#include "log/LogWriter.h"
#include "pages/PageBase.h"
#include "shell/AppErrorReport.h"
#include "shell/DifferencesWindow.h"
#include "shell/MainWindow.h"

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

}  // namespace

TFormsController::TFormsController(QWidget* container, std::string settingsFile,
                                   std::string startFile)
    : m_container(container),
      m_settingsFile(std::move(settingsFile)),
      m_startFile(startFile.empty() ? m_settingsFile : std::move(startFile)) {
    ShowLoadNote = [container](const std::string& text) {
        QMessageBox box(QMessageBox::Information, ToolTitle(), QString::fromStdString(text),
                        QMessageBox::Ok, container != nullptr ? container->window() : nullptr);
        box.exec();
    };
    ShowLoadReplacements = [container](const std::vector<std::string>& lines) {
        TDifferencesWindow window(container != nullptr ? container->window() : nullptr);
        window.setWindowTitle(QString::fromUtf8("Заменённые значения"));
        window.SetLines(lines);
        window.lbCount->setText(
            QString::fromUtf8("Страницы не могут показать эти значения файла; они заменены "
                              "(%1):")
                .arg(lines.size()));
        window.exec();
    };
}

TFormsController::~TFormsController() = default;

void TFormsController::Construct(QWidget* mainForm, QTreeWidget* tree) {
    m_log = CreateLog();
    CreatePages(mainForm);
    PlacePages();
    m_tree = tree;
    BuildTree(*tree);
    tree->expandAll();
    MarkPageInTree(CurrentPageIndex());
    LoadStartFile();
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
    LoadToolSettings(ini);
    std::error_code ec;
    if (std::filesystem::exists(m_startFile, ec) && !HoldsSettings(ini)) {
        m_replaceSettingsFile = true;
        m_log->WriteInfo("Файл " + m_startFile +
                         " не содержит настроек программы: настройки по умолчанию");
    }
}

bool TFormsController::HoldsSettings(const TIniFile& ini) const {
    return std::any_of(m_pages.begin(), m_pages.end(), [&ini](const TPageBase* page) {
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
        SaveToolSettings(*ini);
        CommitSettings(*ini);
    }
    m_settingsSettled = true;
}

void TFormsController::DiscardSettings() {
    m_settingsSettled = true;
}

void TFormsController::Destruct() {
    if (m_destructed) {
        return;
    }
    m_destructed = true;
    // The pages go whatever the save does; a failed save is reported by the caller.
    struct TFreeAtEnd {
        TFormsController& owner;
        ~TFreeAtEnd() { owner.FreePages(); }
    } freeAtEnd{*this};
    if (!m_settingsSettled) {
        SaveSettings();
    }
}

void TFormsController::AddPage(TPageBase* page) {
    m_pages.push_back(page);
}

// The pages share one cell of a margin-free layout, so the shown page follows every change of the
// pane's size (window resized, splitter dragged or collapsed); hidden pages take no room.
void TFormsController::PlacePage(TPageBase& page) {
    auto* layout = qobject_cast<QGridLayout*>(m_container->layout());
    if (layout == nullptr) {
        layout = new QGridLayout(m_container);
        layout->setContentsMargins(0, 0, 0, 0);
        layout->setSpacing(0);
    }
    page.setParent(m_container);
    page.setGeometry(m_container->contentsRect());
    layout->addWidget(&page, 0, 0);
}

void TFormsController::PlacePages() {
    for (TPageBase* page : m_pages) {
        PlacePage(*page);
    }
}

void TFormsController::FreePages() {
    m_currentPage = nullptr;
    for (TPageBase* page : m_pages) {
        delete page;
    }
    m_pages.clear();
}

QTreeWidgetItem* TFormsController::AddPageNode(QTreeWidget& tree, TPageBase& page, int index) {
    auto* node = new QTreeWidgetItem(&tree, QStringList{page.Caption()});
    SetStateIndex(node, index);
    return node;
}

QTreeWidgetItem* TFormsController::AddChildPageNode(QTreeWidgetItem& parent, TPageBase& page,
                                                    int index) {
    auto* node = new QTreeWidgetItem(&parent, QStringList{page.Caption()});
    SetStateIndex(node, index);
    return node;
}

void TFormsController::BuildTree(QTreeWidget& tree) {
    tree.clear();
    for (int i = 0; i < static_cast<int>(m_pages.size()); ++i) {
        AddPageNode(tree, *m_pages[static_cast<std::size_t>(i)], i);
    }
}

void TFormsController::ShowCurrentPage() {
    m_currentPage->setGeometry(m_container->contentsRect());
    m_currentPage->show();
}

void TFormsController::SelectPage(int index) {
    if (index < 0 || index >= static_cast<int>(m_pages.size())) {
        // A node without a page (the relays' group) shows no page of its own: the selection goes
        // back to the page on screen once the click that chose the node is done with it.
        if (m_tree != nullptr) {
            QTimer::singleShot(0, m_tree, [tree = m_tree, shown = CurrentPageIndex()] {
                MarkPageNode(*tree, shown);
            });
        }
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
    if (m_tree != nullptr) {
        MarkPageNode(*m_tree, index);
    }
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
    const std::vector<std::string> replaced = LoadPages(ini, held);
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
}

void TFormsController::SetCurrentDefaults() {
    m_currentPage->SetDefaults();
}

void TFormsController::SetAllDefaults() {
    for (TPageBase* page : m_pages) {
        page->SetDefaults();
    }
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

// The controls are unlocked on every path; the closing step runs only when the exchange
// finished without an error, which then travels on to the error report.
template <typename TBody>
void TFormsController::RunExchange(TBody body) {
    BeginExchange();
    LockUI();
    ++m_exchangeDepth;
    try {
        body();
    } catch (...) {
        --m_exchangeDepth;
        UnlockUI();
        ExchangeEnded();
        throw;
    }
    --m_exchangeDepth;
    UnlockUI();
    EndExchange();
    ExchangeEnded();
}

// Before a read only the marks go: a value whose read fails keeps what the page showed, so that
// a failed read never turns into zeros that a later save or write would pass on.
void TFormsController::ReadCurrent() {
    m_currentPage->ClearMarks();
    RunExchange([this] { ReadPageFromDevice(); });
}

void TFormsController::WriteCurrent() {
    m_currentPage->ClearMarks();
    RunExchange([this] { WritePageToDevice(); });
}

template <typename TPageStep>
void TFormsController::ForEveryPage(bool reading, TPageStep step) {
    struct TEndOperation {
        TFormsController& owner;
        ~TEndOperation() { owner.EndPagesOperation(); }
    };
    KeepUsersPage([&] {
        BeginPagesOperation(reading);
        const TEndOperation endOperation{*this};
        for (int i = 0; i < static_cast<int>(m_pages.size()); ++i) {
            SelectPage(i);
            m_currentPage->ClearMarks();
            step();
        }
    });
}

void TFormsController::ReadAll() {
    RunExchange([this] { ForEveryPage(true, [this] { ReadPageFromDevice(); }); });
}

void TFormsController::CompareWithModule() {
    RunExchange([this] { CompareWithDevice(); });
}

void TFormsController::WriteChanges() {
    RunExchange([this] { WriteChangesToDevice(); });
}

void TFormsController::WriteAll() {
    RunExchange([this] { ForEveryPage(false, [this] { WritePageToDevice(); }); });
}
