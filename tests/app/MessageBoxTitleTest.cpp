// The questions the forms controller's device view asks carry the tool's name as their title.
#include <gtest/gtest.h>

#include <QTest>
#include <QTimer>

#include <functional>

#include "../shell/ModalBoxes.h"
#include "shell/MainWindow.h"
#include "shell/ProgressWindow.h"
#include "shell/WindowDeviceView.h"

namespace {

void ClickButton(QMessageBox& box, const char* text) {
    for (QAbstractButton* button : box.buttons()) {
        if (button->text() == QString::fromUtf8(text)) {
            button->click();
            return;
        }
    }
    ADD_FAILURE() << "no button " << text;
    box.reject();
}

TEST(MessageBoxTitleTest, TheRenumberQuestionIsTitledWithTheToolsName) {
    TMainWindow main;
    TProgressWindow progress(&main);
    TWindowDeviceView view(main, progress);
    EXPECT_EQ(
        TitleOfModalBox([&] { EXPECT_EQ(view.ConfirmRenumber(10, 12), TRenumberAnswer::Cancel); }),
        "Тарнел");
}

// The renumber question offers three answers; Enter and Esc write nothing, and each button gives
// its own answer.
TEST(MessageBoxTitleTest, TheRenumberQuestionHasThreeAnswersAndEnterOrEscWritesNothing) {
    TMainWindow main;
    TProgressWindow progress(&main);
    TWindowDeviceView view(main, progress);
    const struct {
        const char* Name;
        std::function<void(QMessageBox&)> Answer;
        TRenumberAnswer Expected;
    } cases[] = {
        {"Enter", [](QMessageBox& box) { QTest::keyClick(&box, Qt::Key_Return); },
         TRenumberAnswer::Cancel},
        {"Esc", [](QMessageBox& box) { QTest::keyClick(&box, Qt::Key_Escape); },
         TRenumberAnswer::Cancel},
        {"Записать с номером 12",
         [](QMessageBox& box) { ClickButton(box, "Записать с номером 12"); },
         TRenumberAnswer::Renumber},
        {"Оставить номер 10 и записать остальное",
         [](QMessageBox& box) { ClickButton(box, "Оставить номер 10 и записать остальное"); },
         TRenumberAnswer::KeepNumber},
        {"Отмена", [](QMessageBox& box) { ClickButton(box, "Отмена"); }, TRenumberAnswer::Cancel},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.Name);
        QStringList buttons;
        QTimer watch;
        watch.setInterval(10);
        QObject::connect(&watch, &QTimer::timeout, [&] {
            if (auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget())) {
                watch.stop();
                for (QAbstractButton* button : box->buttons()) {
                    buttons << button->text();
                }
                c.Answer(*box);
            }
        });
        watch.start();
        EXPECT_EQ(view.ConfirmRenumber(10, 12), c.Expected);
        EXPECT_EQ(buttons.size(), 3);
    }
}

}  // namespace
