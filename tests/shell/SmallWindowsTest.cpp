// The progress window and the error window.
#include <gtest/gtest.h>

#include <QApplication>
#include <QHeaderView>
#include <QMainWindow>
#include <QTest>

#include "fErrors.h"
#include "fProgress.h"

namespace {

TEST(ProgressWindowTest, LooksAsDesigned) {
    TFormProgress progress;
    EXPECT_EQ(progress.size(), QSize(165, 64));
    EXPECT_EQ(progress.pb->size(), QSize(150, 17));
    EXPECT_EQ(progress.btCancel->text(), QString::fromUtf8("Отмена"));
    EXPECT_TRUE(progress.windowFlags() & Qt::FramelessWindowHint);
    EXPECT_TRUE(progress.windowFlags() & Qt::WindowStaysOnTopHint);
    EXPECT_NEAR(progress.windowOpacity(), 215.0 / 255.0, 0.01);
    EXPECT_EQ(progress.windowTitle(), "Прогресс");
    EXPECT_FALSE(progress.isVisible());
}

TEST(ProgressWindowTest, CancelAsksToStopUntilReset) {
    TFormProgress progress;
    EXPECT_FALSE(progress.CancelRequested());
    progress.btCancel->click();
    EXPECT_TRUE(progress.CancelRequested());
    progress.ResetCancel();
    EXPECT_FALSE(progress.CancelRequested());
}

TEST(ProgressWindowTest, ShowsCentredOnTheMainWindowAndShowingAgainChangesNothing) {
    QMainWindow mainWindow;
    mainWindow.setGeometry(100, 100, 600, 400);
    mainWindow.show();
    TFormProgress progress(&mainWindow);
    progress.HideProgress();
    EXPECT_FALSE(progress.isVisible());

    progress.ShowProgress();
    ASSERT_TRUE(progress.isVisible());
    EXPECT_LE(
        (progress.geometry().center() - mainWindow.frameGeometry().center()).manhattanLength(), 2);
    const QPoint shownAt = progress.pos();
    progress.move(shownAt + QPoint(7, 7));
    progress.ShowProgress();
    EXPECT_TRUE(progress.isVisible());
    EXPECT_EQ(progress.pos(), shownAt + QPoint(7, 7));

    progress.HideProgress();
    progress.HideProgress();
    EXPECT_FALSE(progress.isVisible());
}

TEST(ProgressWindowTest, StepsAdvanceTheBarAndStartOverPastTheMaximum) {
    TFormProgress progress;
    progress.SetMin(0);
    progress.SetMax(12);
    progress.SetPosition(0);
    progress.SetStep(1);
    for (int n = 0; n < 12; ++n) {
        progress.StepIt();
    }
    EXPECT_EQ(progress.pb->value(), 12);
    progress.StepIt();
    EXPECT_EQ(progress.pb->value(), 1);
    progress.SetPosition(5);
    EXPECT_EQ(progress.pb->value(), 5);
}

TEST(ErrorWindowTest, ShowsTheCountAndOneRowPerErrorInOrder) {
    TFormErrors errors;
    errors.SetErrors({"Не смогли прочитать Тревоги зон", "Не смогли прочитать Длительность"});
    EXPECT_EQ(errors.windowTitle(), "Ошибки");
    EXPECT_EQ(errors.size(), QSize(306, 175));
    EXPECT_EQ(errors.lbCount->text(), "Количество ошибок");
    EXPECT_EQ(errors.pErrCount->text(), "2");
    EXPECT_EQ(errors.pErrCount->size(), QSize(81, 25));
    EXPECT_EQ(errors.pErrCount->frameShadow(), QFrame::Sunken);
    ASSERT_EQ(errors.lErrors->rowCount(), 2);
    EXPECT_EQ(errors.lErrors->item(0, 0)->text(), "Не смогли прочитать Тревоги зон");
    EXPECT_EQ(errors.lErrors->item(1, 0)->text(), "Не смогли прочитать Длительность");
    EXPECT_EQ(errors.lErrors->size(), QSize(273, 131));
    EXPECT_TRUE(errors.lErrors->horizontalHeader()->isHidden());
    EXPECT_TRUE(errors.lErrors->showGrid());
    EXPECT_EQ(errors.lErrors->selectionBehavior(), QAbstractItemView::SelectRows);
    EXPECT_FALSE(errors.windowFlags() & Qt::WindowMinimizeButtonHint);
    EXPECT_FALSE(errors.windowFlags() & Qt::WindowMaximizeButtonHint);
}

}  // namespace
