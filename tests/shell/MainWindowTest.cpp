// The main window: its commands at start, what each handler asks of the controller, the page tree,
// the log pane and the status bar.
#include <gtest/gtest.h>

#include <QApplication>
#include <QDir>
#include <QMenuBar>
#include <QSignalSpy>
#include <QTest>
#include <QTimer>
#include <QToolButton>

#include "FakeCommands.h"
#include "shell/MainWindow.h"
#include "widgets/LogViewWriter.h"

namespace {

using ActionMember = QAction* TMainWindow::*;

struct CommandCase {
    const char* name;
    ActionMember action;
    QString caption;
    QString toolCaption;  // the toolbar button's caption; empty for a command not on the toolbar
    QKeySequence shortcut;
    bool enabledAtStart;
    const char* call;  // what the controller is asked for; empty for no call
};

const CommandCase kCommands[] = {
    {"connect", &TMainWindow::ConnectAction, "Подключиться", "Подключиться", QKeySequence("Ctrl+C"),
     true, "Connect"},
    {"disconnect", &TMainWindow::DisconnectAction, "Отключиться", "Отключиться",
     QKeySequence("Ctrl+D"), false, "Disconnect"},
    {"read", &TMainWindow::ReadAction, "Прочитать параметры", "Читать", QKeySequence("Ctrl+R"),
     false, "ReadCurrent"},
    {"write", &TMainWindow::WriteAction, "Записать параметры", "Писать", QKeySequence("Ctrl+W"),
     false, "WriteCurrent"},
    {"read all", &TMainWindow::ReadAllAction, "Прочитать всё", "Читать всё",
     QKeySequence("Shift+Ctrl+R"), false, "ReadAll"},
    {"write all", &TMainWindow::WriteAllAction, "Записать всё", "Писать всё",
     QKeySequence("Shift+Ctrl+W"), false, "WriteAll"},
    {"compare",
     &TMainWindow::CompareAction,
     "Сравнить с модулем",
     "",
     {},
     false,
     "CompareWithModule"},
    {"write changes",
     &TMainWindow::WriteChangesAction,
     "Записать изменения",
     "",
     {},
     false,
     "WriteChanges"},
    {"defaults of the page",
     &TMainWindow::PageDefaultsAction,
     "По умолчанию",
     "",
     {},
     true,
     "SetCurrentDefaults"},
    {"defaults of all pages",
     &TMainWindow::AllDefaultsAction,
     "По умолчанию все",
     "",
     {},
     true,
     "SetAllDefaults"},
    {"exit", &TMainWindow::ExitAction, "Выход", "", QKeySequence("Ctrl+X"), true, "Disconnect"},
    {"save", &TMainWindow::SaveAction, "Сохранить", "", QKeySequence("Ctrl+S"), true, ""},
    {"load", &TMainWindow::LoadAction, "Загрузить", "", QKeySequence("Ctrl+L"), true, ""},
    {"about", &TMainWindow::AboutAction, "О программе", "", QKeySequence(Qt::Key_F1), true, ""},
};

class MainWindowTest : public testing::Test {
  protected:
    MainWindowTest() { form.Controller = &commands; }

    void EnableEverything() {
        for (const CommandCase& command : kCommands) {
            (form.*command.action)->setEnabled(true);
        }
    }

    std::vector<std::string> Calls() { return std::exchange(commands.calls, {}); }

    CapturedReports reports;
    FakeCommands commands;
    TMainWindow form;
};

TEST_F(MainWindowTest, CommandsHaveTheirCaptionsShortcutsAndStartStates) {
    EXPECT_EQ(form.windowTitle(), "Программа настройки Тарнел v 1.005");
    for (const CommandCase& command : kCommands) {
        SCOPED_TRACE(command.name);
        const QAction* action = form.*command.action;
        EXPECT_EQ(QString(action->text()).remove('&'), command.caption);
        // The toolbar shows the command under its shorter caption, with that as its tooltip.
        QWidget* tool = form.ToolBar->widgetForAction(const_cast<QAction*>(action));
        EXPECT_EQ(tool != nullptr, !command.toolCaption.isEmpty());
        if (tool != nullptr) {
            EXPECT_EQ(action->iconText(), command.toolCaption);
            EXPECT_EQ(tool->toolTip(), command.toolCaption);
        }
        EXPECT_EQ(action->shortcut(), command.shortcut);
        EXPECT_EQ(action->isEnabled(), command.enabledAtStart);
    }
}

TEST_F(MainWindowTest, ToolbarButtonsShowIconAndCaptionSideBySide) {
    for (QAction* button : {form.ConnectAction, form.DisconnectAction, form.ReadAction,
                            form.WriteAction, form.ReadAllAction, form.WriteAllAction}) {
        auto* tool = qobject_cast<QToolButton*>(form.ToolBar->widgetForAction(button));
        ASSERT_NE(tool, nullptr);
        EXPECT_GE(tool->width(), 97);
        EXPECT_GE(tool->width(), tool->sizeHint().width());  // the caption is never cut short
        EXPECT_EQ(tool->toolButtonStyle(), Qt::ToolButtonTextBesideIcon);
        EXPECT_FALSE(button->icon().isNull());
    }
    EXPECT_EQ(form.ToolBar->actions().size(), 8);  // six buttons and two separators
    // The button and the menu item of one command show the same picture.
    const auto* readButton =
        qobject_cast<QToolButton*>(form.ToolBar->widgetForAction(form.ReadAction));
    EXPECT_EQ(readButton->icon().pixmap(16).toImage(),
              form.ReadAction->icon().pixmap(16).toImage());
    EXPECT_NE(form.ReadAction->icon().pixmap(16).toImage(),
              form.WriteAction->icon().pixmap(16).toImage());
}

TEST_F(MainWindowTest, DebugMenuExistsButIsNeverShown) {
    QStringList shown;
    for (QAction* top : form.menuBar()->actions()) {
        if (top->isVisible()) {
            shown << QString(top->text()).remove('&');
        }
    }
    EXPECT_EQ(shown,
              QStringList({"Файл", "Правка", "Соединение", "Панель", "Настройки", "Помощь"}));
    EXPECT_EQ(QString(form.DebugMenu->title()).remove('&'), "Отладка");
    EXPECT_TRUE(form.ShowInWindowAction->isChecked());
    EXPECT_FALSE(form.ShowInLogAction->isChecked());
    EXPECT_EQ(form.TopLevelMenus().size(), 7);
}

// The letter after "&" in each caption, lower-cased; empty when the caption has none.
QString AcceleratorOf(const QString& caption) {
    const qsizetype at = caption.indexOf('&');
    return at >= 0 && at + 1 < caption.size() ? caption.mid(at + 1, 1).toLower() : QString();
}

TEST_F(MainWindowTest, EveryMenuAndItemHasItsOwnAltLetter) {
    auto expectDistinct = [](const QList<QAction*>& actions, const char* where) {
        QStringList letters;
        for (const QAction* action : actions) {
            if (action->isSeparator() || !action->isVisible()) {
                continue;
            }
            SCOPED_TRACE(where + (" " + action->text().toStdString()));
            const QString letter = AcceleratorOf(action->text());
            EXPECT_FALSE(letter.isEmpty());
            EXPECT_FALSE(letters.contains(letter));
            letters << letter;
        }
    };
    expectDistinct(form.menuBar()->actions(), "menu bar");
    for (const QMenu* menu : form.TopLevelMenus()) {
        expectDistinct(menu->actions(), "menu");
    }
}

TEST_F(MainWindowTest, AltLetterAndF10OpenTheMenus) {
    form.show();
    form.activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&form));
    QTest::keyClick(&form, Qt::Key_F10);
    QTRY_VERIFY(form.FileMenu->isVisible());
    form.FileMenu->hide();
    QTRY_VERIFY(!form.FileMenu->isVisible());
    // Alt with the Cyrillic letter of "Настройки", as a Russian keyboard layout sends it.
    QTest::sendKeyEvent(QTest::Click, &form, static_cast<Qt::Key>(0x041D), QString(QChar(0x043D)),
                        Qt::AltModifier);
    QTRY_VERIFY(form.SettingsMenu->isVisible());
}

TEST_F(MainWindowTest, EachHandlerCallsOneControllerCommand) {
    EnableEverything();
    for (const CommandCase& command : kCommands) {
        if (*command.call == '\0') {
            continue;
        }
        SCOPED_TRACE(command.name);
        (form.*command.action)->trigger();
        EXPECT_EQ(Calls(), std::vector<std::string>{command.call});
    }
    EXPECT_TRUE(reports.texts.empty());
}

TEST_F(MainWindowTest, HandlersWithoutControllerDoNothing) {
    form.Controller = nullptr;
    EnableEverything();
    form.RunFileDialog = [](QFileDialog*) { return std::optional<QString>("/tmp/x.txt"); };
    for (const CommandCase& command : kCommands) {
        (form.*command.action)->trigger();
    }
    EXPECT_TRUE(Calls().empty());
    EXPECT_TRUE(reports.texts.empty());
}

TEST_F(MainWindowTest, SaveAndLoadPassTheChosenFileAndCancelPassesNothing) {
    QFileDialog* asked = nullptr;
    std::optional<QString> answer = "/tmp/настройки.txt";
    form.RunFileDialog = [&](QFileDialog* dialog) {
        asked = dialog;
        return answer;
    };
    form.SaveAction->trigger();
    EXPECT_EQ(asked, form.SaveDialog);
    form.LoadAction->trigger();
    EXPECT_EQ(asked, form.OpenDialog);
    EXPECT_EQ(Calls(), (std::vector<std::string>{"SaveToFile /tmp/настройки.txt",
                                                 "LoadFromFile /tmp/настройки.txt"}));
    answer.reset();
    form.SaveAction->trigger();
    form.LoadAction->trigger();
    EXPECT_TRUE(Calls().empty());
}

TEST_F(MainWindowTest, FileDialogsOpenInTheFolderLastUsed) {
    // Not in the program's folder at first.
    EXPECT_EQ(form.OpenDialog->directory().absolutePath(), QDir::homePath());
    const QString folder = QDir::tempPath();
    form.RunFileDialog = [&](QFileDialog*) { return std::optional<QString>(folder + "/a.txt"); };
    form.SaveAction->trigger();
    EXPECT_EQ(form.OpenDialog->directory().absolutePath(), folder);
    EXPECT_EQ(form.SaveDialog->directory().absolutePath(), folder);
    EXPECT_EQ(form.FileFolder(), folder);
    // A folder that has gone since is not taken.
    form.SetFileFolder("/nonexistent/folder");
    EXPECT_EQ(form.FileFolder(), folder);
}

TEST_F(MainWindowTest, FileDialogsAskForTextFiles) {
    for (QFileDialog* dialog : {form.OpenDialog, form.SaveDialog}) {
        EXPECT_EQ(dialog->nameFilters(), QStringList("Файлы настроек (*.txt)"));
        EXPECT_TRUE(dialog->testOption(QFileDialog::HideNameFilterDetails));
        EXPECT_EQ(dialog->defaultSuffix(), "txt");
        EXPECT_TRUE(dialog->isSizeGripEnabled());
        EXPECT_EQ(dialog->fileMode(), QFileDialog::AnyFile);
    }
    EXPECT_EQ(form.OpenDialog->acceptMode(), QFileDialog::AcceptOpen);
    EXPECT_EQ(form.SaveDialog->acceptMode(), QFileDialog::AcceptSave);
    EXPECT_FALSE(form.SaveDialog->testOption(QFileDialog::DontConfirmOverwrite));
}

TEST_F(MainWindowTest, ClosingTheWindowAnyWayDisconnects) {
    form.show();
    form.ExitAction->trigger();
    EXPECT_FALSE(form.isVisible());
    form.show();
    form.close();
    EXPECT_EQ(Calls(), (std::vector<std::string>{"Disconnect", "Disconnect"}));
}

TEST_F(MainWindowTest, AboutShowsTheAboutBoxModally) {
    form.AboutAction->trigger();  // no about box yet: nothing happens
    QDialog about;
    QSignalSpy finished(&about, &QDialog::finished);
    form.AboutBox = &about;
    QTimer::singleShot(0, &about, [&about] {
        EXPECT_TRUE(about.isModal());
        about.accept();
    });
    form.AboutAction->trigger();
    EXPECT_EQ(finished.count(), 1);
    EXPECT_TRUE(Calls().empty());
}

TEST_F(MainWindowTest, SelectingANodeSelectsItsPage) {
    auto* common = new QTreeWidgetItem(form.PageTree, QStringList("Общие"));
    SetStateIndex(common, 0);
    auto* relays = new QTreeWidgetItem(form.PageTree, QStringList("Реле"));
    auto* relay3 = new QTreeWidgetItem(relays, QStringList("Реле 3"));
    SetStateIndex(relay3, 3);
    form.PageTree->expandAll();
    Calls();

    form.PageTree->setCurrentItem(relay3);
    form.PageTree->setCurrentItem(relays);
    form.PageTree->setCurrentItem(common);
    EXPECT_EQ(Calls(), (std::vector<std::string>{"SelectPage 3", "SelectPage -1", "SelectPage 0"}));
    EXPECT_EQ(form.PageTree->indentation(), 19);
    EXPECT_EQ(form.PageTree->editTriggers(), QAbstractItemView::NoEditTriggers);
}

TEST_F(MainWindowTest, ClearButtonEmptiesTheLogAndNothingElse) {
    TLogViewWriter log(form.ExchangeLog);
    log.WriteMessage("Читаю Версию");
    log.WriteData("<<<<", "*01v", clBlue);
    form.show();
    QTest::mouseClick(form.ClearLogButton, Qt::LeftButton);
    EXPECT_EQ(form.ExchangeLog->LogModel()->LineCount(), 0);
    QTest::mouseClick(form.ClearLogButton, Qt::LeftButton);
    EXPECT_EQ(form.ExchangeLog->LogModel()->LineCount(), 0);
    EXPECT_TRUE(Calls().empty());
    EXPECT_TRUE(form.ScrollLogBox->isChecked());
}

TEST_F(MainWindowTest, LogFollowsNewLinesOnlyWhileScrollingIsChecked) {
    form.show();
    QApplication::processEvents();
    TLogViewWriter log(form.ExchangeLog);
    TLogView* view = form.ExchangeLog;
    // The view follows when the window takes its events, as it does while an answer comes.
    for (int n = 0; n < 40; ++n) {
        log.WriteData("<<<<", std::to_string(n), clBlue);
    }
    QApplication::processEvents();
    const int lines = view->LogModel()->LineCount();
    ASSERT_GT(lines, view->VisibleLineCount());
    EXPECT_EQ(view->TopLine(), lines - view->VisibleLineCount());

    form.ScrollLogBox->setChecked(false);
    view->scrollTo(view->LogModel()->IndexOfLine(5), QAbstractItemView::PositionAtTop);
    log.WriteError("Не получили: OK");
    log.WriteDataLines(">>>>", {"a", "b"}, clFuchsia);
    QApplication::processEvents();
    EXPECT_EQ(view->TopLine(), 5);

    form.ScrollLogBox->setChecked(true);
    log.WriteMessage("последняя");
    QApplication::processEvents();
    const QRect last = view->visualRect(view->LogModel()->IndexOfLine(lines + 4));
    EXPECT_TRUE(view->viewport()->rect().contains(last));
}

TEST_F(MainWindowTest, AReadOnlyCopySaysSoAndOpensBesideTheFirst) {
    TMainWindow first;
    first.show();
    form.MarkReadOnlyCopy();
    form.show();
    EXPECT_EQ(form.windowTitle(), "Программа настройки Тарнел v 1.005 — только чтение");
    EXPECT_NE(form.pos(), first.pos());
    EXPECT_EQ(form.geometry().topLeft() - first.geometry().topLeft(), QPoint(48, 48));
}

TEST_F(MainWindowTest, StatusBarShowsPortAndVersionPanels) {
    // Before any connection it says so, with no placeholders that look like a port or a version.
    EXPECT_EQ(form.StatusText(1), "Нет связи");
    EXPECT_EQ(form.StatusText(2), "");
    EXPECT_EQ(form.StatusText(3), "");
    form.SetStatusText(1, std::string("/dev/ttyUSB0"));
    form.SetStatusText(2, QString("VER 08.01"));
    form.SetStatusText(4, QString("nowhere"));
    EXPECT_EQ(form.StatusText(1), "/dev/ttyUSB0");
    EXPECT_EQ(form.StatusText(2), "VER 08.01");
    EXPECT_EQ(form.StatusText(3), "");

    form.ShowConnection(TShownConnection{"ttyUSB1", 12});
    EXPECT_EQ(form.StatusText(1), "ttyUSB1");
    EXPECT_EQ(form.StatusText(3), "Объект 12");
    form.ShowConnection(std::nullopt);
    EXPECT_EQ(form.StatusText(1), "Нет связи");
    EXPECT_EQ(form.StatusText(2), "");
    EXPECT_EQ(form.StatusText(3), "");
}

TEST_F(MainWindowTest, SplitterBarsStartAtTheirPlacesAndTheirButtonsCollapse) {
    form.show();
    QApplication::processEvents();
    EXPECT_EQ(form.LogSplitter->sizes().first(), 620);
    EXPECT_EQ(form.PageSplitter->sizes().first(), 165);

    for (TCollapsibleSplitter* splitter : {form.LogSplitter, form.PageSplitter}) {
        auto* handle = static_cast<TCollapseHandle*>(splitter->handle(1));
        const int pane = splitter->CollapsingPane();
        const int before = splitter->sizes()[pane];
        QTest::mouseClick(handle, Qt::LeftButton, {}, handle->ButtonRect().center());
        EXPECT_EQ(splitter->sizes()[pane], 0);
        QTest::mouseClick(handle, Qt::LeftButton, {}, handle->ButtonRect().center());
        EXPECT_EQ(splitter->sizes()[pane], before);
    }
}

}  // namespace

namespace {

// The window with the window manager's frame stays in the free area, on small and scaled screens,
// and its title bar is never above it.
TEST(FitWindowGeometryTest, TheFramedWindowStaysInTheFreeArea) {
    struct TCase {
        const char* Name;
        QRect Available;
        QMargins Frame;
        QSize Wanted;
        QSize Minimum;
    };
    const TCase cases[] = {
        {"1366x768 with a panel", {0, 0, 1366, 740}, {4, 30, 4, 4}, {1100, 900}, {400, 300}},
        {"1920x1080", {0, 0, 1920, 1050}, {4, 30, 4, 4}, {1100, 900}, {400, 300}},
        // QT_SCALE_FACTOR=2 on 1920x1080: the free area in device-independent pixels.
        {"scale 2", {0, 0, 960, 525}, {2, 15, 2, 2}, {1100, 900}, {400, 300}},
        {"panel at the top", {0, 24, 1366, 744}, {1, 22, 1, 1}, {1000, 800}, {400, 300}},
        {"second screen", {1920, 0, 1280, 1024}, {4, 30, 4, 4}, {1000, 1100}, {400, 300}},
    };
    for (const TCase& c : cases) {
        SCOPED_TRACE(c.Name);
        const QRect inner = FitWindowGeometry(c.Wanted, c.Minimum, c.Available, c.Frame);
        const QRect outer = inner.marginsAdded(c.Frame);
        EXPECT_TRUE(c.Available.contains(outer))
            << outer.x() << "," << outer.y() << " " << outer.width() << "x" << outer.height();
        EXPECT_GE(inner.top() - c.Frame.top(), c.Available.top());
        // As large as the room allows.
        EXPECT_EQ(inner.size(), c.Wanted.boundedTo(c.Available.size().shrunkBy(c.Frame)));
    }
    // An offset window stays in the free area too.
    for (const TCase& c : cases) {
        SCOPED_TRACE(c.Name);
        const QRect inner =
            FitWindowGeometry(c.Wanted, c.Minimum, c.Available, c.Frame, QPoint(48, 48));
        EXPECT_TRUE(c.Available.contains(inner.marginsAdded(c.Frame)));
    }
    const QRect moved =
        FitWindowGeometry({800, 600}, {400, 300}, {0, 0, 1920, 1050}, {4, 30, 4, 4}, {48, 48});
    EXPECT_EQ(
        moved.topLeft() -
            FitWindowGeometry({800, 600}, {400, 300}, {0, 0, 1920, 1050}, {4, 30, 4, 4}).topLeft(),
        QPoint(48, 48));
    // A window that fits is centred with its frame.
    const QRect centred =
        FitWindowGeometry({800, 600}, {400, 300}, {0, 0, 1920, 1050}, {4, 30, 4, 4});
    const QPoint offCentre =
        centred.marginsAdded({4, 30, 4, 4}).center() - QRect(0, 0, 1920, 1050).center();
    EXPECT_LE(offCentre.manhattanLength(), 2);
}

}  // namespace
