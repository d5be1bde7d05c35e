// The questions the forms controller's device view asks carry the tool's name as their title.
#include <gtest/gtest.h>

#include <QTest>
#include <QTimer>

#include "../shell/ModalBoxes.h"
#include "MainDeviceView.h"
#include "fMain.h"
#include "fProgress.h"

namespace {

TEST(MessageBoxTitleTest, TheRenumberQuestionIsTitledWithTheToolsName) {
    TFormMain main;
    TFormProgress progress(&main);
    TMainDeviceView view(main, progress);
    EXPECT_EQ(TitleOfModalBox([&] { EXPECT_FALSE(view.ConfirmRenumber(10, 12)); }), "Тарнел");
}

// The renumber question's Enter key keeps the module's number: only a deliberate "Yes" changes it.
TEST(MessageBoxTitleTest, EnterOnTheRenumberQuestionKeepsTheNumber) {
    TFormMain main;
    TFormProgress progress(&main);
    TMainDeviceView view(main, progress);
    QTimer watch;
    watch.setInterval(10);
    QObject::connect(&watch, &QTimer::timeout, [] {
        if (auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget())) {
            QTest::keyClick(box, Qt::Key_Return);
        }
    });
    watch.start();
    EXPECT_FALSE(view.ConfirmRenumber(10, 12));
}

}  // namespace
