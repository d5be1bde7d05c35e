// The progress window and the error window.
#include <gtest/gtest.h>

#include <QApplication>
#include <QHeaderView>
#include <QMainWindow>
#include <QScreen>
#include <QScrollBar>
#include <QTest>
#include <QWindow>

#include "fErrors.h"
#include "fProgress.h"

namespace {

TEST(ProgressWindowTest, IsAnOpaqueFramedWindowOfTheMainWindowWithoutACloseButton) {
    QMainWindow mainWindow;
    TFormProgress progress(&mainWindow);
    EXPECT_EQ(progress.size(), QSize(240, 64));
    EXPECT_EQ(progress.pb->size(), QSize(224, 17));
    EXPECT_EQ(progress.btCancel->text(), QString::fromUtf8("Отмена"));
    EXPECT_GE(progress.btCancel->width(), std::max(75, progress.btCancel->sizeHint().width()));
    EXPECT_LE(std::abs(progress.btCancel->geometry().center().x() - progress.rect().center().x()),
              1);
    EXPECT_EQ(progress.windowTitle(), "Прогресс");
    EXPECT_TRUE(progress.isWindow());
    EXPECT_EQ(progress.windowType(), Qt::Dialog);
    EXPECT_TRUE(progress.windowFlags() & Qt::WindowTitleHint);
    EXPECT_FALSE(progress.windowFlags() & Qt::WindowCloseButtonHint);
    EXPECT_FALSE(progress.windowFlags() & Qt::FramelessWindowHint);
    EXPECT_FALSE(progress.windowFlags() & Qt::WindowStaysOnTopHint);
    EXPECT_EQ(progress.windowOpacity(), 1.0);
    EXPECT_FALSE(progress.isVisible());
}

TEST(ProgressWindowTest, StaysAboveTheMainWindowAndClosingItAsksToCancel) {
    QMainWindow mainWindow;
    mainWindow.show();
    TFormProgress progress(&mainWindow);
    progress.ShowProgress();
    ASSERT_NE(progress.windowHandle(), nullptr);
    EXPECT_EQ(progress.windowHandle()->transientParent(), mainWindow.windowHandle());

    EXPECT_FALSE(progress.close());
    EXPECT_TRUE(progress.CancelRequested());
    EXPECT_TRUE(progress.isVisible());
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
        (progress.frameGeometry().center() - mainWindow.frameGeometry().center()).manhattanLength(),
        2);
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

TEST(ErrorWindowTest, TheCountCaptionIsWholeBesideItsBox) {
    TFormErrors errors;
    const QFontMetrics metrics(errors.lbCount->font());
    EXPECT_GE(errors.lbCount->width(), metrics.horizontalAdvance(errors.lbCount->text()));
    EXPECT_GE(errors.lbCount->height(), metrics.height());
    EXPECT_LT(errors.lbCount->geometry().right(), errors.pErrCount->x());
    EXPECT_LE(errors.pErrCount->geometry().right(), errors.width());
}

// Each line shows whole, in a column as wide as the longest line, with its text as a tooltip;
// the window opens wide enough for it within most of the screen, and scrolls sideways beyond.
TEST(ErrorWindowTest, EveryLineIsWholeAndTheWindowOpensWideEnoughForIt) {
    const QString longLine =
        "Ошибка при чтении параметра \"Реле 12: Задержка выключения после пропадания питания\"";
    const struct {
        const char* name;
        QString text;
        bool widerThanTheScreen;
    } cases[] = {
        {"short", "Не смогли прочитать Длительность", false},
        {"long", longLine, false},
        {"longer than the screen", (longLine + " ").repeated(12), true},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        TFormErrors errors;
        errors.SetErrors({"Нет ответа", c.text.toStdString()});
        errors.show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(&errors));
        QApplication::processEvents();

        const QTableWidgetItem* item = errors.lErrors->item(1, 0);
        EXPECT_EQ(item->toolTip(), c.text);
        const int advance = QFontMetrics(errors.lErrors->font()).horizontalAdvance(c.text);
        EXPECT_GE(errors.lErrors->columnWidth(0), advance);
        EXPECT_GE(errors.lErrors->columnWidth(0), errors.lErrors->viewport()->width());
        const int most = errors.screen()->availableGeometry().width() * 9 / 10;
        EXPECT_LE(errors.width(), std::max(most, 306));
        EXPECT_EQ(errors.lErrors->horizontalScrollBar()->maximum() > 0, c.widerThanTheScreen);
        if (!c.widerThanTheScreen) {
            EXPECT_GE(errors.lErrors->viewport()->width(), advance);
        }
    }
}

TEST(ErrorWindowTest, OpensCentredOnItsOwner) {
    QMainWindow owner;
    owner.setGeometry(60, 80, 600, 420);
    owner.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&owner));
    TFormErrors errors(&owner);
    errors.SetErrors({"Ошибка при чтении параметра \"Реле 3: Режим работы выхода\""});
    errors.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&errors));
    EXPECT_LE((errors.frameGeometry().center() - owner.frameGeometry().center()).manhattanLength(),
              4);
}

TEST(ErrorWindowTest, ResizesDownToItsDesignedSizeWithTheListFillingIt) {
    TFormErrors errors;
    errors.SetErrors({"Нет ответа"});
    EXPECT_EQ(errors.minimumSize(), QSize(306, 175));
    errors.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&errors));
    for (const QSize& asked : {QSize(520, 330), QSize(200, 100), QSize(306, 175)}) {
        errors.resize(asked);
        QApplication::processEvents();
        const QSize expected = asked.expandedTo(QSize(306, 175));
        EXPECT_EQ(errors.size(), expected);
        EXPECT_EQ(errors.lErrors->size(), expected - QSize(33, 44));
    }
}

}  // namespace
