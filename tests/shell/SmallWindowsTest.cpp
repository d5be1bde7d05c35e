// The progress window and the error window.
#include <gtest/gtest.h>

#include <QApplication>
#include <QHeaderView>
#include <QMainWindow>
#include <QScreen>
#include <QScrollBar>
#include <QTest>
#include <QTimer>
#include <QWindow>

#include <functional>

#include "shell/ErrorListWindow.h"
#include "shell/ProgressWindow.h"

namespace {

// The room the close button takes under the list.
int ButtonRow(const TErrorListWindow& errors) {
    return errors.CloseButton->height() + 6;
}

TEST(ProgressWindowTest, IsAnOpaqueFramedWindowOfTheMainWindowWithoutACloseButton) {
    QMainWindow mainWindow;
    TProgressWindow progress(&mainWindow);
    EXPECT_EQ(progress.width(), 360);
    EXPECT_EQ(progress.ProgressBar->height(), 17);
    EXPECT_EQ(progress.ProgressBar->width(), 360 - 16);
    EXPECT_EQ(progress.CancelButton->text(), QString::fromUtf8("Отмена"));
    EXPECT_GE(progress.CancelButton->width(),
              std::max(75, progress.CancelButton->sizeHint().width()));
    EXPECT_LE(
        std::abs(progress.CancelButton->geometry().center().x() - progress.rect().center().x()), 1);
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
    TProgressWindow progress(&mainWindow);
    progress.ShowProgress();
    ASSERT_NE(progress.windowHandle(), nullptr);
    EXPECT_EQ(progress.windowHandle()->transientParent(), mainWindow.windowHandle());

    EXPECT_FALSE(progress.close());
    EXPECT_TRUE(progress.CancelRequested());
    EXPECT_TRUE(progress.isVisible());
}

TEST(ProgressWindowTest, CancelAsksToStopUntilReset) {
    TProgressWindow progress;
    EXPECT_FALSE(progress.CancelRequested());
    progress.CancelButton->click();
    EXPECT_TRUE(progress.CancelRequested());
    progress.ResetCancel();
    EXPECT_FALSE(progress.CancelRequested());
}

TEST(ProgressWindowTest, ShowsCentredOnTheMainWindowAndShowingAgainChangesNothing) {
    QMainWindow mainWindow;
    mainWindow.setGeometry(100, 100, 600, 400);
    mainWindow.show();
    TProgressWindow progress(&mainWindow);
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
    TProgressWindow progress;
    progress.SetMin(0);
    progress.SetMax(12);
    progress.SetPosition(0);
    progress.SetStep(1);
    for (int n = 0; n < 12; ++n) {
        progress.StepIt();
    }
    EXPECT_EQ(progress.ProgressBar->value(), 12);
    progress.StepIt();
    EXPECT_EQ(progress.ProgressBar->value(), 1);
    progress.SetPosition(5);
    EXPECT_EQ(progress.ProgressBar->value(), 5);
}

// The window names the operation, its page and the count over the whole operation, and a note
// that is set shows under the bar until it is taken away; the window grows for it.
TEST(ProgressWindowTest, ShowsTheOperationsLineAndANote) {
    QMainWindow mainWindow;
    mainWindow.show();
    TProgressWindow progress(&mainWindow);
    progress.SetText(QString::fromUtf8("Запись: Реле 2 — 214 из 536, ошибок: 2"));
    progress.ShowProgress();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&progress));
    EXPECT_EQ(progress.OperationLabel->text(),
              QString::fromUtf8("Запись: Реле 2 — 214 из 536, ошибок: 2"));
    EXPECT_TRUE(progress.OperationLabel->isVisible());
    EXPECT_GE(
        progress.OperationLabel->width(),
        progress.OperationLabel->fontMetrics().horizontalAdvance(progress.OperationLabel->text()));
    EXPECT_FALSE(progress.NoteLabel->isVisible());
    const int plainHeight = progress.height();

    const QString note =
        QString::fromUtf8("Окно закроется, когда обмен закончится; «Отмена» остановит его раньше.");
    progress.SetNote(note);
    QApplication::processEvents();
    EXPECT_TRUE(progress.NoteLabel->isVisible());
    EXPECT_EQ(progress.NoteLabel->text(), note);
    EXPECT_GT(progress.height(), plainHeight);
    EXPECT_LE(progress.NoteLabel->geometry().bottom(), progress.CancelButton->y());
    EXPECT_GE(progress.NoteLabel->height(),
              progress.NoteLabel->heightForWidth(progress.NoteLabel->width()));

    progress.SetNote({});
    QApplication::processEvents();
    EXPECT_FALSE(progress.NoteLabel->isVisible());
    EXPECT_EQ(progress.height(), plainHeight);
}

TEST(ErrorWindowTest, ShowsTheCountAndOneRowPerErrorInOrder) {
    TErrorListWindow errors;
    errors.SetErrors({"Не смогли прочитать Тревоги зон", "Не смогли прочитать Длительность"});
    EXPECT_EQ(errors.windowTitle(), "Ошибки");
    EXPECT_EQ(errors.size(), QSize(306, 175 + ButtonRow(errors)));
    EXPECT_EQ(errors.ErrorCountCaption->text(), "Количество ошибок");
    EXPECT_EQ(errors.ErrorCount->text(), "2");
    EXPECT_EQ(errors.ErrorCount->size(), QSize(81, 25));
    EXPECT_EQ(errors.ErrorCount->frameShadow(), QFrame::Sunken);
    ASSERT_EQ(errors.ErrorTable->rowCount(), 2);
    EXPECT_EQ(errors.ErrorTable->item(0, 0)->text(), "Не смогли прочитать Тревоги зон");
    EXPECT_EQ(errors.ErrorTable->item(1, 0)->text(), "Не смогли прочитать Длительность");
    EXPECT_EQ(errors.ErrorTable->size(), QSize(273, 131));
    EXPECT_TRUE(errors.ErrorTable->horizontalHeader()->isHidden());
    EXPECT_TRUE(errors.ErrorTable->showGrid());
    EXPECT_EQ(errors.ErrorTable->selectionBehavior(), QAbstractItemView::SelectRows);
    EXPECT_FALSE(errors.windowFlags() & Qt::WindowMinimizeButtonHint);
    EXPECT_FALSE(errors.windowFlags() & Qt::WindowMaximizeButtonHint);
}

TEST(ErrorWindowTest, TheCountCaptionIsWholeBesideItsBox) {
    TErrorListWindow errors;
    const QFontMetrics metrics(errors.ErrorCountCaption->font());
    EXPECT_GE(errors.ErrorCountCaption->width(),
              metrics.horizontalAdvance(errors.ErrorCountCaption->text()));
    EXPECT_GE(errors.ErrorCountCaption->height(), metrics.height());
    EXPECT_LT(errors.ErrorCountCaption->geometry().right(), errors.ErrorCount->x());
    EXPECT_LE(errors.ErrorCount->geometry().right(), errors.width());
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
        TErrorListWindow errors;
        errors.SetErrors({"Нет ответа", c.text.toStdString()});
        errors.show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(&errors));
        QApplication::processEvents();

        const QTableWidgetItem* item = errors.ErrorTable->item(1, 0);
        EXPECT_EQ(item->toolTip(), c.text);
        const int advance = QFontMetrics(errors.ErrorTable->font()).horizontalAdvance(c.text);
        EXPECT_GE(errors.ErrorTable->columnWidth(0), advance);
        EXPECT_GE(errors.ErrorTable->columnWidth(0), errors.ErrorTable->viewport()->width());
        const int most = errors.screen()->availableGeometry().width() * 9 / 10;
        EXPECT_LE(errors.width(), std::max(most, 306));
        EXPECT_EQ(errors.ErrorTable->horizontalScrollBar()->maximum() > 0, c.widerThanTheScreen);
        if (!c.widerThanTheScreen) {
            EXPECT_GE(errors.ErrorTable->viewport()->width(), advance);
        }
    }
}

TEST(ErrorWindowTest, OpensCentredOnItsOwner) {
    QMainWindow owner;
    owner.setGeometry(60, 80, 600, 420);
    owner.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&owner));
    TErrorListWindow errors(&owner);
    errors.SetErrors({"Ошибка при чтении параметра \"Реле 3: Режим работы выхода\""});
    errors.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&errors));
    EXPECT_LE((errors.frameGeometry().center() - owner.frameGeometry().center()).manhattanLength(),
              4);
}

TEST(ErrorWindowTest, ResizesDownToItsDesignedSizeWithTheListFillingIt) {
    TErrorListWindow errors;
    errors.SetErrors({"Нет ответа"});
    const QSize designed(306, 175 + ButtonRow(errors));
    EXPECT_EQ(errors.minimumSize(), designed);
    errors.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&errors));
    for (const QSize& asked : {QSize(520, 330), QSize(200, 100), designed}) {
        errors.resize(asked);
        QApplication::processEvents();
        const QSize expected = asked.expandedTo(designed);
        EXPECT_EQ(errors.size(), expected);
        EXPECT_EQ(errors.ErrorTable->size(), expected - QSize(33, 44 + ButtonRow(errors)));
        EXPECT_EQ(errors.CloseButton->geometry().bottomRight(),
                  QPoint(expected.width() - 17 - 1, expected.height() - 4 - 1));
    }
}

// The window closes with its button, with Enter on it and with Esc.
TEST(ErrorWindowTest, ClosesWithItsButtonEnterAndEsc) {
    const struct {
        const char* Name;
        std::function<void(TErrorListWindow&)> Close;
    } cases[] = {
        {"button", [](TErrorListWindow& w) { QTest::mouseClick(w.CloseButton, Qt::LeftButton); }},
        {"Enter", [](TErrorListWindow& w) { QTest::keyClick(&w, Qt::Key_Return); }},
        {"Esc", [](TErrorListWindow& w) { QTest::keyClick(&w, Qt::Key_Escape); }},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.Name);
        TErrorListWindow errors;
        errors.SetErrors({"Нет ответа"});
        EXPECT_EQ(errors.CloseButton->text(), QString::fromUtf8("Закрыть"));
        EXPECT_TRUE(errors.CloseButton->isDefault());
        bool closed = false;
        QTimer::singleShot(0, &errors, [&] {
            ASSERT_TRUE(errors.isVisible());
            c.Close(errors);
            closed = !errors.isVisible();
        });
        errors.exec();
        EXPECT_TRUE(closed);
        EXPECT_FALSE(errors.isVisible());
    }
}

// Notes say what the command did without being counted; without errors only they show.
TEST(ErrorWindowTest, NotesAreShownButNotCounted) {
    TErrorListWindow errors;
    errors.SetErrors({"Ошибка при чтении параметра \"Реле 1: Длительность\""});
    errors.SetNotes({"Операция отменена пользователем", "Страница \"Реле 2\" не прочитана"});
    errors.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&errors));
    EXPECT_EQ(errors.ErrorCount->text(), "1");
    EXPECT_EQ(errors.ErrorTable->rowCount(), 1);
    EXPECT_EQ(errors.windowTitle(), "Ошибки");
    EXPECT_TRUE(errors.NotesLabel->isVisible());
    EXPECT_EQ(
        errors.NotesLabel->text(),
        QString::fromUtf8("Операция отменена пользователем\nСтраница \"Реле 2\" не прочитана"));
    // Each part has its own room: count, notes, list, button, top to bottom.
    EXPECT_LT(errors.ErrorCount->geometry().bottom(), errors.NotesLabel->y());
    EXPECT_LT(errors.NotesLabel->geometry().bottom(), errors.ErrorTable->y());
    EXPECT_GE(errors.ErrorTable->height(), 131);
    EXPECT_LT(errors.ErrorTable->geometry().bottom(), errors.CloseButton->y());

    TErrorListWindow cancelOnly;
    cancelOnly.SetErrors({});
    cancelOnly.SetNotes({"Операция отменена пользователем"});
    cancelOnly.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&cancelOnly));
    EXPECT_FALSE(cancelOnly.ErrorTable->isVisible());
    EXPECT_FALSE(cancelOnly.ErrorCount->isVisible());
    EXPECT_TRUE(cancelOnly.NotesLabel->isVisible());
    EXPECT_NE(cancelOnly.windowTitle(), "Ошибки");
    EXPECT_LT(cancelOnly.NotesLabel->geometry().bottom(), cancelOnly.CloseButton->y());
    EXPECT_LE(cancelOnly.CloseButton->geometry().bottom(), cancelOnly.height());
}

}  // namespace
