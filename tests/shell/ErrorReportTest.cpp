// Errors that a command does not handle end in one report, and the program goes on.
#include <gtest/gtest.h>

#include <QCoreApplication>

#include "FakeCommands.h"
#include "fMain.h"

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
    TFormMain form;
    form.Controller = &commands;
    commands.connectError = "Ошибка подключения: нет порта";
    form.tbConnect->trigger();
    form.mnuConnect->trigger();
    ASSERT_EQ(reports.texts.size(), 2u);
    EXPECT_EQ(reports.texts[0], "Ошибка подключения: нет порта");
    commands.connectError.clear();
    form.tbConnect->trigger();
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

}  // namespace
