// Errors that a command does not handle end in one report, and the program goes on.
#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QToolButton>

#include "FakeCommands.h"
#include "ModalBoxes.h"
#include "shell/MainWindow.h"

namespace {

class ThrowingObject : public QObject {
  public:
    bool event(QEvent* event) override {
        if (event->type() == QEvent::User) {
            throw std::runtime_error("Unable to write to /nowhere/x.txt");
        }
        return QObject::event(event);
    }
};

TEST(ErrorReportTest, AnErrorFromAHandlerIsReportedAndTheWindowGoesOn) {
    CapturedReports reports;
    FakeCommands commands;
    TMainWindow form;
    form.Controller = &commands;
    commands.connectError = "Ошибка подключения: нет порта";
    // Once from the toolbar button, once from the menu item.
    qobject_cast<QToolButton*>(form.ToolBar->widgetForAction(form.ConnectAction))->click();
    form.ConnectAction->trigger();
    ASSERT_EQ(reports.texts.size(), 2u);
    EXPECT_EQ(reports.texts[0], "Ошибка подключения: нет порта");
    commands.connectError.clear();
    form.ConnectAction->trigger();
    EXPECT_EQ(commands.calls, std::vector<std::string>{"Connect"});
}

TEST(ErrorReportTest, RunCommandReportsErrorsOfEveryKind) {
    CapturedReports reports;
    RunCommand([] { throw std::out_of_range("bad index"); });
    RunCommand([] { throw 42; });
    RunCommand([] {});
    ASSERT_EQ(reports.texts.size(), 2u);
    EXPECT_EQ(reports.texts[0], "bad index");
    EXPECT_FALSE(reports.texts[1].isEmpty());
}

TEST(ErrorReportTest, AnErrorEscapingAnEventHandlerIsReportedByTheApplication) {
    CapturedReports reports;
    ThrowingObject target;
    QEvent event(QEvent::User);
    EXPECT_FALSE(QCoreApplication::sendEvent(&target, &event));
    ASSERT_EQ(reports.texts.size(), 1u);
    EXPECT_EQ(reports.texts[0], "Unable to write to /nowhere/x.txt");
}

TEST(ErrorReportTest, EveryMessageBoxIsTitledWithTheToolsName) {
    const TErrorReporter previous = SetErrorReporter({});
    const struct {
        const char* name;
        std::function<void()> open;
    } cases[] = {
        {"error report", [] { ReportError("Порт занят"); }},
        {"question",
         [] { EXPECT_FALSE(AskGoOrStay(nullptr, QMessageBox::Warning, "Закрыть?", "Да", "Нет")); }},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(TitleOfModalBox(c.open), "Тарнел") << c.name;
    }
    SetErrorReporter(previous);
    EXPECT_EQ(ToolTitle(), "Тарнел");
}

}  // namespace
