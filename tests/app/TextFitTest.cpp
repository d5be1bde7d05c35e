// Every window and page at its default size, measured with the fonts that are installed: no
// caption, button or legend text may be wider than the space it is given, and on a full-HD screen
// no page needs a scrollbar. A later change of fonts or captions that cuts text fails here.
#include <gtest/gtest.h>

#include <QAbstractButton>
#include <QApplication>
#include <QGroupBox>
#include <QLabel>
#include <QScrollArea>
#include <QScrollBar>
#include <QTableWidget>
#include <filesystem>

#include "model/RelayCaptions.h"
#include "pages/RelayPage.h"
#include "shell/AboutDialog.h"
#include "shell/ConnectDialog.h"
#include "shell/DifferencesWindow.h"
#include "shell/ErrorListWindow.h"
#include "shell/FormsController.h"
#include "shell/MainWindow.h"
#include "shell/ProgressWindow.h"
#include "shell/SplashWindow.h"
#include "widgets/DrawGrid.h"

namespace {

// The free area of a desktop with a 32-pixel panel, as the window would find it.
const QRect kFullHd(0, 32, 1920, 1080 - 32);
const QRect kLaptop(0, 32, 1366, 768 - 32);

QString Path(const QWidget& widget, const QWidget& root) {
    QString path =
        widget.objectName().isEmpty() ? widget.metaObject()->className() : widget.objectName();
    for (const QWidget* w = widget.parentWidget(); w != nullptr && w != &root;
         w = w->parentWidget()) {
        if (!w->objectName().isEmpty()) {
            path = w->objectName() + "/" + path;
        }
    }
    return root.objectName() + "/" + path;
}

// The part of the widget that its ancestors up to the window leave visible, in its own pixels.
QRect VisiblePart(const QWidget& widget, const QWidget& root) {
    QRect visible = widget.rect();
    for (const QWidget* w = widget.parentWidget(); w != nullptr; w = w->parentWidget()) {
        const QRect parentRect(widget.mapFrom(w, QPoint(0, 0)), w->size());
        visible &= parentRect;
        if (w == &root) {
            break;
        }
    }
    return visible;
}

// The width a text widget needs to show its text whole; 0 for widgets without text to measure.
int NeededWidth(const QWidget& widget) {
    if (const auto* label = qobject_cast<const QLabel*>(&widget)) {
        if (label->text().isEmpty() || label->wordWrap()) {
            return 0;
        }
        return label->sizeHint().width();
    }
    if (const auto* button = qobject_cast<const QAbstractButton*>(&widget)) {
        return button->text().isEmpty() ? 0 : button->sizeHint().width();
    }
    if (const auto* group = qobject_cast<const QGroupBox*>(&widget)) {
        return group->title().isEmpty()
                   ? 0
                   : group->fontMetrics().horizontalAdvance(group->title()) + 16;
    }
    return 0;
}

// One line for each text that does not fit where it is shown.
QStringList CutTexts(const QWidget& root) {
    QStringList cut;
    QList<const QWidget*> widgets{&root};
    for (const QWidget* child : root.findChildren<QWidget*>()) {
        widgets << child;
    }
    for (const QWidget* widget : widgets) {
        if (!widget->isVisibleTo(&root) && widget != &root) {
            continue;
        }
        const QRect visible = VisiblePart(*widget, root);
        if (const auto* label = qobject_cast<const QLabel*>(widget);
            label != nullptr && label->wordWrap() && !label->text().isEmpty()) {
            const int height = label->heightForWidth(label->width());
            if (height > visible.height()) {
                cut << QString("%1 \"%2\": %3 px high, %4 shown")
                           .arg(Path(*widget, root), label->text())
                           .arg(height)
                           .arg(visible.height());
            }
            continue;
        }
        const int needed = NeededWidth(*widget);
        if (needed > visible.width()) {
            const auto* label = qobject_cast<const QLabel*>(widget);
            const auto* button = qobject_cast<const QAbstractButton*>(widget);
            const auto* group = qobject_cast<const QGroupBox*>(widget);
            const QString text = label ? label->text() : button ? button->text() : group->title();
            cut << QString("%1 \"%2\": needs %3 px, %4 shown")
                       .arg(Path(*widget, root), text)
                       .arg(needed)
                       .arg(visible.width());
        }
    }
    return cut;
}

// The row captions that the relay page paints into its grids' first column.
QStringList CutGridCaptions(const TRelayPage& page) {
    QStringList cut;
    auto check = [&](const TDrawGrid& grid, const char* caption) {
        const QString text = QString::fromUtf8(caption);
        const int needed = grid.fontMetrics().horizontalAdvance(text) + 7;
        if (needed > grid.ColWidth(0)) {
            cut << QString("%1 \"%2\": needs %3 px, %4 given")
                       .arg(grid.objectName(), text)
                       .arg(needed)
                       .arg(grid.ColWidth(0));
        }
    };
    for (const char* caption : kZoneCaptions) {
        check(*page.ZoneGrid, caption);
    }
    for (const char* caption : kPartitionCaptions) {
        check(*page.PartitionGrid, caption);
    }
    const std::array<std::pair<const TDrawGrid*, TRelayCondition>, 5> conditions{
        {{page.ConditionGrid(rcPanelLink), rcPanelLink},
         {page.ConditionGrid(rcJournal), rcJournal},
         {page.ConditionGrid(rcPower), rcPower},
         {page.ConditionGrid(rcFire), rcFire},
         {page.ConditionGrid(rcDelay), rcDelay}}};
    for (const auto& [grid, condition] : conditions) {
        check(*grid, ConditionStateCaption(condition, true));
        check(*grid, ConditionStateCaption(condition, false));
    }
    // The grids themselves must be whole inside their group boxes.
    for (const TDrawGrid* grid : page.findChildren<TDrawGrid*>()) {
        const QRect last = grid->CellRect(grid->ColCount() - 1, grid->RowCount() - 1);
        const QRect visible = VisiblePart(*grid, page);
        if (!visible.contains(last)) {
            cut << QString("%1: last cell %2,%3 outside the %4x%5 shown")
                       .arg(grid->objectName())
                       .arg(last.right())
                       .arg(last.bottom())
                       .arg(visible.width())
                       .arg(visible.height());
        }
    }
    return cut;
}

::testing::AssertionResult Whole(const QStringList& cut) {
    if (cut.isEmpty()) {
        return ::testing::AssertionSuccess();
    }
    return ::testing::AssertionFailure() << "\n" << cut.join('\n').toStdString();
}

void Settle() {
    for (int i = 0; i < 3; ++i) {
        QApplication::processEvents();
    }
}

class TextFitTest : public ::testing::Test {
  protected:
    void SetUp() override {
        char pattern[] = "/tmp/tarnel-fit-XXXXXX";
        ASSERT_NE(mkdtemp(pattern), nullptr);
        m_dir = pattern;
        m_main = std::make_unique<TMainWindow>();
        m_progress = std::make_unique<TProgressWindow>(m_main.get());
        m_controller = std::make_unique<TFormsController>(*m_main, *m_progress,
                                                          (m_dir / "current.ini").string());
        m_main->Controller = m_controller.get();
        m_main->show();
        Settle();
    }
    void TearDown() override {
        m_controller.reset();
        m_progress.reset();
        m_main.reset();
        std::filesystem::remove_all(m_dir);
    }

    std::filesystem::path m_dir;
    std::unique_ptr<TMainWindow> m_main;
    std::unique_ptr<TProgressWindow> m_progress;
    std::unique_ptr<TFormsController> m_controller;
};

}  // namespace

TEST_F(TextFitTest, EveryPageShowsWholeWithoutScrollbarsOnAFullHdScreen) {
    m_main->FitToScreen(kFullHd);
    m_main->SetStatusText(
        1, std::string("/dev/serial/by-id/usb-FTDI_FT232R_USB_UART_A50285BI-if00-port0"));
    m_main->SetStatusText(2, std::string("VER 08.00"));
    Settle();
    EXPECT_TRUE(kFullHd.contains(m_main->geometry()))
        << m_main->geometry().width() << "x" << m_main->geometry().height();
    const auto& pages = m_controller->Pages();
    for (int i = 0; i < static_cast<int>(pages.size()); ++i) {
        m_controller->SelectPage(i);
        Settle();
        TPageBase& page = *pages[static_cast<std::size_t>(i)];
        SCOPED_TRACE(page.Caption().toStdString());
        EXPECT_TRUE(Whole(CutTexts(*m_main)));
        EXPECT_FALSE(page.ScrollArea->horizontalScrollBar()->isVisible());
        EXPECT_FALSE(page.ScrollArea->verticalScrollBar()->isVisible());
        if (const auto* relay = dynamic_cast<const TRelayPage*>(&page)) {
            EXPECT_TRUE(Whole(CutGridCaptions(*relay)));
        }
    }
}

TEST_F(TextFitTest, OnALaptopScreenTheWindowFitsAndOnlyThePageScrolls) {
    m_main->FitToScreen(kLaptop);
    Settle();
    EXPECT_TRUE(kLaptop.contains(m_main->geometry()))
        << m_main->geometry().width() << "x" << m_main->geometry().height();
    m_controller->SelectPage(3);
    Settle();
    TPageBase& page = *m_controller->Pages().at(3);
    const QScrollBar* vertical = page.ScrollArea->verticalScrollBar();
    const QSize content = page.ScrolledContent()->minimumSize();
    const QSize shown = page.ScrollArea->viewport()->size();
    // Whatever does not fit is reached by scrolling the page, not lost.
    if (content.height() > shown.height()) {
        EXPECT_TRUE(vertical->isVisible());
        EXPECT_GE(vertical->maximum(), content.height() - shown.height());
    }
    EXPECT_GE(page.ScrolledContent()->height(), content.height());
    EXPECT_GE(page.ScrolledContent()->width(), content.width());
}

TEST_F(TextFitTest, TheStatusPanelsShowTheirWholeTextAndThePortItsPath) {
    m_main->FitToScreen(kFullHd);
    struct TCase {
        const char* port;
        const char* tooltip;
    };
    const TCase cases[] = {
        {"ttyUSB0", "/dev/ttyUSB0"},
        {"/dev/serial/by-id/usb-FTDI_FT232R_USB_UART_A50285BI-if00-port0",
         "/dev/serial/by-id/usb-FTDI_FT232R_USB_UART_A50285BI-if00-port0"},
        {"/tmp/tarnel-tty", "/tmp/tarnel-tty"},
    };
    for (const TCase& c : cases) {
        SCOPED_TRACE(c.port);
        m_main->SetStatusText(1, std::string(c.port));
        Settle();
        auto* panel = m_main->findChild<QLabel*>("StatusPanel1");
        ASSERT_NE(panel, nullptr);
        EXPECT_EQ(panel->toolTip(), QString::fromUtf8(c.tooltip));
        EXPECT_GE(panel->width(), panel->sizeHint().width());
        EXPECT_TRUE(Whole(CutTexts(*m_main->StatusBar)));
    }
}

TEST_F(TextFitTest, TheDialogsShowTheirTextsWhole) {
    TConnectDialog connect(m_main.get());
    connect.show();
    TErrorListWindow errors(m_main.get());
    errors.SetErrors({"Ошибка при чтении параметра \"Реле 3: Зоны, Восстановления, зона 16\"",
                      "Страница \"Реле 5\" прочитана не полностью"});
    errors.show();
    m_progress->ShowProgress();
    TAboutDialog about(m_main.get());
    about.show();
    TSplashWindow splash;
    splash.show();
    Settle();
    for (QWidget* window :
         std::initializer_list<QWidget*>{&connect, &errors, m_progress.get(), &about, &splash}) {
        SCOPED_TRACE(window->objectName().toStdString());
        EXPECT_TRUE(Whole(CutTexts(*window)));
    }
    // Each error line is whole in its column.
    for (int row = 0; row < errors.ErrorTable->rowCount(); ++row) {
        const QString line = errors.ErrorTable->item(row, 0)->text();
        EXPECT_GE(errors.ErrorTable->columnWidth(0),
                  errors.ErrorTable->fontMetrics().horizontalAdvance(line))
            << line.toStdString();
    }
}
