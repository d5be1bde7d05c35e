// The exchange log: lines, colours and structure of each operation, drawing, clearing, scrolling.
#include <gtest/gtest.h>

#include <QAbstractItemModelTester>
#include <QAccessible>
#include <QApplication>
#include <QImage>
#include <QPushButton>
#include <QScrollBar>
#include <QTest>
#include <QVBoxLayout>

#include <functional>
#include <string>
#include <vector>

#include "widgets/LogView.h"
#include "widgets/LogViewWriter.h"

namespace {

struct ExpectedLine {
    std::string text;
    bool child;
    TColor textColor;
    TColor backColor;
};

struct OperationCase {
    const char* name;
    std::function<void(TLogViewWriter&)> write;
    std::vector<ExpectedLine> lines;
};

const TColor kGreen = RgbColor(0, 128, 0);

const OperationCase kOperations[] = {
    {"info line is black on the info-tip colour",
     [](TLogViewWriter& log) { log.WriteInfo("сведения"); },
     {{"сведения", false, clBlack, clInfoBk}}},
    {"error line is yellow on red",
     [](TLogViewWriter& log) { log.WriteError("Не смогли прочесть версию"); },
     {{"Не смогли прочесть версию", false, clYellow, clRed}}},
    {"message line is black on white",
     [](TLogViewWriter& log) { log.WriteMessage("Читаю Тревоги зон"); },
     {{"Читаю Тревоги зон", false, clBlack, clWhite}}},
    {"data caption in the colour on white, its line on the info-tip colour",
     [](TLogViewWriter& log) { log.WriteData("<<<<", "*01A2\r", clBlue); },
     {{"<<<<", false, clBlue, clWhite}, {"*01A2\r", true, clBlue, clInfoBk}}},
    {"data with an empty text still has its data line",
     [](TLogViewWriter& log) { log.WriteData(">>>>", "", clFuchsia); },
     {{">>>>", false, clFuchsia, clWhite}, {"", true, clFuchsia, clInfoBk}}},
    {"data lines come one per string in list order",
     [](TLogViewWriter& log) {
         log.WriteDataLines("Прочли", {"a", "bb", "ccc"}, kGreen);
     },
     {{"Прочли", false, kGreen, clWhite},
      {"a", true, kGreen, clInfoBk},
      {"bb", true, kGreen, clInfoBk},
      {"ccc", true, kGreen, clInfoBk}}},
    {"data lines with an empty list add the caption alone",
     [](TLogViewWriter& log) { log.WriteDataLines("<<<<", {}, clBlue); },
     {{"<<<<", false, clBlue, clWhite}}},
};

class TVLogTest : public testing::Test {
  protected:
    TVLogTest() : log(&view) { view.resize(400, 200); }

    TLogModel& Model() { return *view.LogModel(); }

    QColor PixelAt(int line, int x) {
        QApplication::processEvents();
        const QImage image = view.viewport()->grab().toImage();
        const QRect row = view.visualRect(Model().IndexOfLine(line));
        return image.pixelColor(x, row.center().y());
    }

    TLogView view;
    TLogViewWriter log;
};

TEST_F(TVLogTest, EachOperationAddsItsLinesInTheirColours) {
    for (const OperationCase& operation : kOperations) {
        SCOPED_TRACE(operation.name);
        Model().Clear();
        operation.write(log);
        ASSERT_EQ(Model().LineCount(), static_cast<int>(operation.lines.size()));
        EXPECT_EQ(Model().rowCount(), 1);
        const QModelIndex caption = Model().index(0, 0);
        EXPECT_EQ(Model().rowCount(caption), static_cast<int>(operation.lines.size()) - 1);
        for (int line = 0; line < Model().LineCount(); ++line) {
            const ExpectedLine& expected = operation.lines[static_cast<std::size_t>(line)];
            const QModelIndex index = Model().IndexOfLine(line);
            EXPECT_EQ(index, expected.child ? Model().index(line - 1, 0, caption) : caption);
            EXPECT_EQ(index.data().toString().toStdString(), expected.text);
            EXPECT_EQ(index.data(TLogModel::TextColorRole).value<TColor>(), expected.textColor);
            EXPECT_EQ(index.data(TLogModel::BackColorRole).value<TColor>(), expected.backColor);
        }
    }
}

TEST_F(TVLogTest, NewestLineIsAtTheBottomAndTreeStaysConsistent) {
    QAbstractItemModelTester tester(&Model(),
                                    QAbstractItemModelTester::FailureReportingMode::Fatal);
    for (int n = 0; n < 30; ++n) {
        log.WriteMessage("m" + std::to_string(n));
        log.WriteDataLines("c" + std::to_string(n), {"x", "y"}, clBlue);
        log.WriteError("e" + std::to_string(n));
    }
    ASSERT_EQ(Model().rowCount(), 90);
    ASSERT_EQ(Model().LineCount(), 150);
    for (int line = 0; line < Model().LineCount(); ++line) {
        EXPECT_EQ(Model().LineOf(Model().IndexOfLine(line)), line);
    }
    const QModelIndex lastCaption = Model().index(88, 0);
    EXPECT_EQ(lastCaption.data().toString(), "c29");
    EXPECT_EQ(Model().index(1, 0, lastCaption).data().toString(), "y");
    EXPECT_EQ(Model().parent(Model().index(1, 0, lastCaption)), lastCaption);
    EXPECT_EQ(Model().index(89, 0).data().toString(), "e29");
    Model().Clear();
    log.WriteMessage("after");
    EXPECT_EQ(Model().rowCount(), 1);
}

TEST_F(TVLogTest, LinesAreDrawnInTheirOwnColoursUnlessSelected) {
    view.show();
    log.WriteError("ошибка");
    log.WriteData("<<<<", "*01v\r", clBlue);
    const int farRight = view.viewport()->width() - 3;
    const QPalette palette = view.palette();
    EXPECT_EQ(PixelAt(0, farRight), QColor(255, 0, 0));
    EXPECT_EQ(PixelAt(1, farRight), QColor(255, 255, 255));
    EXPECT_EQ(PixelAt(2, farRight), palette.color(QPalette::ToolTipBase));

    view.selectionModel()->select(Model().IndexOfLine(0), QItemSelectionModel::ClearAndSelect);
    const QColor selected = PixelAt(0, farRight);
    EXPECT_TRUE(selected == palette.color(QPalette::Active, QPalette::Highlight) ||
                selected == palette.color(QPalette::Inactive, QPalette::Highlight))
        << selected.name().toStdString();
    EXPECT_NE(selected, QColor(255, 0, 0));
    EXPECT_EQ(PixelAt(1, farRight), QColor(255, 255, 255));
}

TEST_F(TVLogTest, ClearEmptiesTheLogAndTheNextLineIsTheFirst) {
    view.show();
    view.Clear();
    EXPECT_EQ(Model().LineCount(), 0);
    for (int n = 0; n < 100; ++n) {
        log.WriteData("<<<<", std::to_string(n), clBlue);
    }
    view.scrollTo(Model().IndexOfLine(199), QAbstractItemView::PositionAtTop);
    ASSERT_GT(view.TopLine(), 0);

    view.Clear();
    EXPECT_EQ(Model().LineCount(), 0);
    EXPECT_EQ(view.TopLine(), 0);
    EXPECT_EQ(view.verticalScrollBar()->maximum(), 0);
    log.WriteMessage("первая");
    EXPECT_EQ(view.visualRect(Model().IndexOfLine(0)).top(), 0);
}

TEST_F(TVLogTest, ScrollingToTheNewestLineShowsItAtTheBottomOfAFullView) {
    view.show();
    QApplication::processEvents();
    for (int n = 0; n < 100; ++n) {
        log.WriteMessage(std::to_string(n));
    }
    const int visible = view.VisibleLineCount();
    view.scrollTo(Model().IndexOfLine(99), QAbstractItemView::PositionAtTop);
    EXPECT_EQ(view.TopLine(), 100 - visible);
    EXPECT_TRUE(view.viewport()->rect().contains(view.visualRect(Model().IndexOfLine(99))));
    view.scrollTo(Model().IndexOfLine(10), QAbstractItemView::PositionAtTop);
    EXPECT_EQ(view.TopLine(), 10);
    EXPECT_EQ(view.indexAt(QPoint(5, view.RowHeight() / 2)), Model().IndexOfLine(10));
}

// The view catches up with new lines when the window next takes its events.
TEST_F(TVLogTest, ALongLineCanBeScrolledIntoViewSideways) {
    view.show();
    log.WriteMessage("short");
    QApplication::processEvents();
    EXPECT_EQ(view.horizontalScrollBar()->maximum(), 0);
    log.WriteData(">>>>", std::string(300, 'W'), clFuchsia);
    QApplication::processEvents();
    EXPECT_GT(view.horizontalScrollBar()->maximum(), 0);
}

// A burst of lines is caught up with once: one update of the scroll bars and one follow of the
// newest line, however many lines came.
TEST_F(TVLogTest, ABurstOfLinesIsFollowedOnceToItsNewestLine) {
    view.show();
    QApplication::processEvents();
    std::vector<int> followed;
    QObject::connect(&view, &TLogView::Addition, &view,
                     [&](const QModelIndex& node) { followed.push_back(Model().LineOf(node)); });
    int rangeChanges = 0;
    QObject::connect(view.verticalScrollBar(), &QScrollBar::rangeChanged, &view,
                     [&] { ++rangeChanges; });
    for (int n = 0; n < 50; ++n) {
        log.WriteData("<<<<", std::to_string(n), clBlue);
    }
    EXPECT_TRUE(followed.empty());
    QApplication::processEvents();
    EXPECT_EQ(followed, std::vector<int>{99});
    EXPECT_LE(rangeChanges, 1);
    EXPECT_EQ(view.verticalScrollBar()->maximum(), 100 - view.VisibleLineCount());
}

// A screen reader walks the log as a list whose items are its lines, children included.
TEST_F(TVLogTest, AScreenReaderReadsEveryLineAsAListItem) {
    view.show();
    log.WriteError("Не смогли прочесть версию");
    log.WriteDataLines("Прочли", {"VER 08.00", "OK"}, kGreen);
    QAccessibleInterface* list = QAccessible::queryAccessibleInterface(&view);
    ASSERT_NE(list, nullptr);
    EXPECT_EQ(list->role(), QAccessible::List);
    const QStringList lines{QString::fromUtf8("Не смогли прочесть версию"),
                            QString::fromUtf8("Прочли"), "VER 08.00", "OK"};
    ASSERT_EQ(list->childCount(), lines.size());
    for (int line = 0; line < lines.size(); ++line) {
        QAccessibleInterface* item = list->child(line);
        ASSERT_NE(item, nullptr);
        EXPECT_EQ(item->role(), QAccessible::ListItem);
        EXPECT_EQ(item->text(QAccessible::Name), lines[line]);
        EXPECT_EQ(item->parent(), list);
        EXPECT_EQ(list->indexOfChild(item), line);
        EXPECT_EQ(list->childAt(item->rect().center().x(), item->rect().center().y()), item);
    }
    view.selectionModel()->select(Model().IndexOfLine(2), QItemSelectionModel::ClearAndSelect);
    EXPECT_TRUE(list->child(2)->state().selected);
    EXPECT_FALSE(list->child(1)->state().selected);

    view.Clear();
    EXPECT_EQ(list->childCount(), 0);
    EXPECT_EQ(list->child(0), nullptr);
    log.WriteMessage("после очистки");
    ASSERT_EQ(list->childCount(), 1);
    EXPECT_EQ(list->child(0)->text(QAccessible::Name), QString::fromUtf8("после очистки"));
}

// Tab brings the focus into the log and it shows there: a frame on a line in view, or on the
// whole view while the log is empty.
TEST(TVLogFocusTest, TabReachesTheLogAndTheFocusShows) {
    struct TCase {
        const char* Name;
        int Lines;
    } const cases[] = {{"empty log", 0}, {"log scrolled to its newest line", 100}};
    for (const TCase& c : cases) {
        SCOPED_TRACE(c.Name);
        QWidget window;
        auto* button = new QPushButton(QStringLiteral("Очистить"), &window);
        auto* view = new TLogView(&window);
        auto* layout = new QVBoxLayout(&window);
        layout->addWidget(button);
        layout->addWidget(view);
        window.resize(400, 300);
        TLogViewWriter log(view);
        for (int n = 0; n < c.Lines; ++n) {
            log.WriteMessage("строка " + std::to_string(n));
        }
        view->scrollTo(view->LogModel()->IndexOfLine(c.Lines - 1));
        window.show();
        window.activateWindow();
        ASSERT_TRUE(QTest::qWaitForWindowActive(&window));
        button->setFocus();
        QApplication::processEvents();
        const QImage unfocused = view->viewport()->grab().toImage();

        QTest::keyClick(button, Qt::Key_Tab);
        ASSERT_TRUE(view->hasFocus());
        QApplication::processEvents();
        const QImage focused = view->viewport()->grab().toImage();
        EXPECT_NE(focused, unfocused) << "the focus does not show";
        if (c.Lines > 0) {
            const QModelIndex current = view->currentIndex();
            ASSERT_TRUE(current.isValid());
            EXPECT_TRUE(view->viewport()->rect().contains(view->visualRect(current)));
            const QRect line = view->visualRect(current);
            EXPECT_NE(focused.copy(line), unfocused.copy(line)) << "the current line is not framed";
        }
    }
}

}  // namespace
