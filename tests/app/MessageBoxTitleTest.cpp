// The questions the forms controller's device view asks carry the tool's name as their title.
#include <gtest/gtest.h>

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

}  // namespace
