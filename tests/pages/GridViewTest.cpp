// What a user sees and does on the relay page's grids: the pictures in the cells, the keys, what a
// screen reader reads, sharp pictures on scaled screens and a layout with nothing cut.
#include <gtest/gtest.h>

#include <QAccessible>
#include <QApplication>
#include <QLabel>
#include <QPainter>
#include <QTest>
#include <set>
#include <span>

#include "RelayPageGrids.h"
#include "pages/CommonPage.h"
#include "pages/RelayPage.h"
#include "widgets/ReactionPictures.h"

namespace {

QString U(const char* utf8) {
    return QString::fromUtf8(utf8);
}

// The rows of the black middle line from x = 1 to 21: 'H' at the high level (y = 5), 'L' at the
// low one (y = 17), '|' for an edge between them.
std::string TraceShape(const QImage& picture) {
    std::string shape;
    for (int x = 1; x <= 21; ++x) {
        const bool high = picture.pixel(x, 5) == qRgb(0, 0, 0);
        const bool low = picture.pixel(x, 17) == qRgb(0, 0, 0);
        shape += high && low ? '|' : high ? 'H' : low ? 'L' : '.';
    }
    return shape;
}

TEST(ReactionPictures, EachCodeShowsItsTrace) {
    struct TCase {
        TRelayReaction Code;
        const char* Shape;
    } const cases[] = {
        {rrOn, "LLLLLLLLLL|HHHHHHHHHH"},   {rrOnTimed, "LLLLLL|HHHHHHH|LLLLLL"},
        {rrOff, "HHHHHHHHHH|LLLLLLLLLL"},  {rrOn1Hz, "LLL|HHH|LLLL|HHH|LLLL"},
        {rrNone, "LLLLLLLLLLLLLLLLLLLLL"}, {7, "LLLLLLLLLLLLLLLLLLLLL"},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(TraceShape(MakeReactionBitmap(c.Code)), c.Shape) << c.Code;
    }
}

// The vector drawing lays down the bitmap's very pixels at scale 1, and at other scales only the
// trace's three colours on a clear background: no resampled, blurred edges.
TEST(ReactionPictures, VectorsMatchTheBitmapAndStaySharpWhenScaled) {
    const std::set<QRgb> colours{qRgba(0, 0, 0, 0), qRgb(0, 0, 0), qRgb(192, 192, 192),
                                 qRgb(128, 128, 128)};
    for (TRelayReaction code = rrOn; code <= rrNone + 1; ++code) {
        QImage drawn(kPictureSize, kPictureSize, QImage::Format_RGB32);
        drawn.fill(kTransparentColor);
        QPainter painter(&drawn);
        PaintReaction(painter, QPoint(0, 0), code);
        painter.end();
        EXPECT_EQ(drawn, MakeReactionBitmap(code)) << code;

        for (qreal ratio : {1.0, 1.5, 2.0, 3.0}) {
            const QPixmap pixmap = ReactionPixmap(code, ratio);
            EXPECT_EQ(pixmap.devicePixelRatio(), ratio);
            EXPECT_EQ(pixmap.width(), qCeil(kPictureSize * ratio)) << ratio;
            const QImage image = pixmap.toImage().convertToFormat(QImage::Format_ARGB32);
            std::set<QRgb> seen;
            for (int y = 0; y < image.height(); ++y) {
                for (int x = 0; x < image.width(); ++x) {
                    seen.insert(image.pixel(x, y));
                }
            }
            for (QRgb c : seen) {
                EXPECT_TRUE(colours.count(c) == 1) << code << " " << ratio << " " << std::hex << c;
            }
            if (ratio == 2.0) {
                const QImage bitmap = WithTransparency(MakeReactionBitmap(code));
                EXPECT_EQ(image, bitmap.scaled(image.size()).convertToFormat(image.format()))
                    << code;
            }
        }
    }
}

class GridViewTest : public ::testing::Test {
  protected:
    void SetUp() override {
        m_page.SetNumber(3);
        m_page.resize(m_page.ScrolledContent()->minimumSize() + QSize(4, 4));
        m_page.show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(&m_page));
    }

    void ActivatePage() {
        m_page.activateWindow();
        ASSERT_TRUE(QTest::qWaitForWindowActive(&m_page));
    }

    std::vector<TDrawGrid*> Grids() const { return RelayPageGrids(m_page); }

    // The code a cell shows by the page's settings and its "Все" values.
    TRelayReaction ShownCode(const TDrawGrid* grid, int col, int row) const {
        const TRelaySettings& s = m_page.Settings();
        const std::pair<const TDrawGrid*, TRelayCondition> conditions[] = {
            {m_page.ConditionGrid(rcPanelLink), rcPanelLink},
            {m_page.ConditionGrid(rcJournal), rcJournal},
            {m_page.ConditionGrid(rcPower), rcPower},
            {m_page.ConditionGrid(rcFire), rcFire},
            {m_page.ConditionGrid(rcDelay), rcDelay}};
        for (const auto& [g, c] : conditions) {
            if (g == grid) {
                return row == 0 ? s.YesOf(c) : s.NoOf(c);
            }
        }
        const bool zones = grid == m_page.ZoneGrid;
        if (col == kTableWidth + 1) {
            return zones ? m_page.ZoneAll(static_cast<TZoneEvent>(row))
                         : m_page.PartitionAll(static_cast<TPartitionEvent>(row));
        }
        return zones ? s.Zone(static_cast<TZoneEvent>(row), col)
                     : s.Partition(static_cast<TPartitionEvent>(row), col);
    }

    // A cell as it is to look: the button face with the code's picture in its middle.
    static QImage ExpectedCell(const TDrawGrid* grid, const QRect& cell, TRelayReaction code,
                               qreal ratio) {
        QImage image(grid->size() * ratio, QImage::Format_RGB32);
        image.setDevicePixelRatio(ratio);
        image.fill(grid->palette().color(QPalette::Button));
        QPainter painter(&image);
        const TRelayReaction shown = code >= rrOn && code < rrNone ? code : rrNone;
        PaintReaction(painter,
                      cell.topLeft() + QPoint((cell.width() - kPictureSize) / 2,
                                              (cell.height() - kPictureSize) / 2),
                      shown);
        return image;
    }

    static QImage Rendered(TDrawGrid* grid, qreal ratio) {
        QImage image(grid->size() * ratio, QImage::Format_RGB32);
        image.setDevicePixelRatio(ratio);
        grid->render(&image);
        return image;
    }

    static QRect DeviceRect(const QRect& cell, qreal ratio) {
        return QRectF(QPointF(cell.topLeft()) * ratio, QSizeF(cell.size()) * ratio)
            .toAlignedRect()
            .adjusted(1, 1, -1, -1);
    }

    TRelayPage m_page;
};

// Every grid shows in every cell the picture of that cell's code; the codes differ between
// neighbouring cells, grids and the two condition rows, so a mix-up of any of them shows.
TEST_F(GridViewTest, EveryCellShowsThePictureOfItsCode) {
    for (int shift = 0; shift < 5; ++shift) {
        TRelaySettings s = m_page.Settings();
        for (int e = 1; e <= kEventRowCount; ++e) {
            for (int n = 1; n <= kTableWidth; ++n) {
                s.Zone(static_cast<TZoneEvent>(e), n) = (n + e + shift) % 5;
                s.Partition(static_cast<TPartitionEvent>(e), n) = (n + 2 * e + shift + 1) % 5;
            }
        }
        for (int c = 1; c <= kConditionCount; ++c) {
            s.YesOf(static_cast<TRelayCondition>(c)) = (c + shift) % 5;
            s.NoOf(static_cast<TRelayCondition>(c)) = (c + shift + 2) % 5;
        }
        s.Zone(zeFault, 16) = 9;
        m_page.ShowSettings(s);
        for (TDrawGrid* grid : Grids()) {
            // The grab is at the screen's pixel ratio: 1 by default, more in the scaled runs.
            const QImage image = grid->grab().toImage().convertToFormat(QImage::Format_RGB32);
            const qreal ratio = image.devicePixelRatio();
            for (int row = grid->FixedRows(); row < grid->RowCount(); ++row) {
                for (int col = grid->FixedCols(); col < grid->ColCount(); ++col) {
                    const QRect cell = grid->CellRect(col, row);
                    const TRelayReaction code = ShownCode(grid, col, row);
                    // The focus frame, when there is one, lies outside the inner rectangle.
                    const QRect inner = DeviceRect(cell, ratio).adjusted(2, 2, -2, -2);
                    ASSERT_EQ(image.copy(inner), ExpectedCell(grid, cell, code, ratio).copy(inner))
                        << grid->objectName().toStdString() << " col " << col << " row " << row
                        << " code " << code << " shift " << shift << " ratio " << ratio;
                }
            }
        }
    }
}

// Drawn for a device of 1.5 or 2 pixels per unit, the cells show the trace at the device's
// resolution.
TEST_F(GridViewTest, CellsAreDrawnAtTheDevicesResolution) {
    m_page.Settings().YesOf(rcFire) = rrOn1Hz;
    m_page.Settings().Zone(zeRestore, 7) = rrOnTimed;
    m_page.Settings().Partition(peArm, 16) = rrOff;
    struct TCase {
        TDrawGrid* Grid;
        int Col;
        int Row;
    } const cases[] = {{m_page.ConditionGrid(rcFire), 1, 0},
                       {m_page.ZoneGrid, 7, 2},
                       {m_page.PartitionGrid, 16, 1}};
    for (qreal ratio : {1.5, 2.0}) {
        for (const auto& c : cases) {
            const QRect cell = c.Grid->CellRect(c.Col, c.Row);
            const QRect device = DeviceRect(cell, ratio).adjusted(2, 2, -2, -2);
            EXPECT_EQ(
                Rendered(c.Grid, ratio).copy(device),
                ExpectedCell(c.Grid, cell, ShownCode(c.Grid, c.Col, c.Row), ratio).copy(device))
                << c.Grid->objectName().toStdString() << " " << ratio;
        }
    }
}

TEST_F(GridViewTest, TheLegendIsDrawnForTheScreensPixelRatio) {
    for (QLabel* image : {m_page.LegendPictures.at(rrNone), m_page.LegendPictures.at(rrOn),
                          m_page.LegendPictures.at(rrOnTimed), m_page.LegendPictures.at(rrOff),
                          m_page.LegendPictures.at(rrOn1Hz)}) {
        EXPECT_EQ(image->pixmap().devicePixelRatio(), m_page.devicePixelRatioF());
        EXPECT_EQ(image->pixmap().deviceIndependentSize().toSize(),
                  QSize(kPictureSize, kPictureSize));
    }
    const qreal ratio = m_page.devicePixelRatioF();
    EXPECT_EQ(m_page.LegendPictures.at(rrOn)->pixmap().toImage(),
              ReactionPixmap(rrOn, ratio).toImage());
    EXPECT_EQ(m_page.LegendPictures.at(rrOn1Hz)->pixmap().toImage(),
              ReactionPixmap(rrOn1Hz, ratio).toImage());
}

// One key, the focus cell it leaves, and the mouse click that changes the settings the same way
// (none for a key that only moves).
struct TKeyStep {
    int Key;
    int Col;
    int Row;
    Qt::MouseButton Button;
};

constexpr int kAll = kTableWidth + 1;

const TKeyStep kTableKeys[] = {
    {Qt::Key_Space, 1, 1, Qt::LeftButton},
    {Qt::Key_Right, 2, 1, Qt::NoButton},
    {Qt::Key_Plus, 2, 1, Qt::LeftButton},
    {Qt::Key_Minus, 2, 1, Qt::RightButton},
    {Qt::Key_Minus, 2, 1, Qt::RightButton},
    {Qt::Key_End, kAll, 1, Qt::NoButton},
    {Qt::Key_Right, kAll, 1, Qt::NoButton},
    {Qt::Key_Space, kAll, 1, Qt::LeftButton},
    {Qt::Key_Backspace, kAll, 1, Qt::RightButton},
    {Qt::Key_Backspace, kAll, 1, Qt::RightButton},
    {Qt::Key_Down, kAll, 2, Qt::NoButton},
    {Qt::Key_Down, kAll, 3, Qt::NoButton},
    {Qt::Key_Down, kAll, 3, Qt::NoButton},
    {Qt::Key_Minus, kAll, 3, Qt::RightButton},
    {Qt::Key_Left, 16, 3, Qt::NoButton},
    {Qt::Key_Plus, 16, 3, Qt::LeftButton},
    {Qt::Key_Home, 1, 3, Qt::NoButton},
    {Qt::Key_Left, 1, 3, Qt::NoButton},
    {Qt::Key_Backspace, 1, 3, Qt::RightButton},
    {Qt::Key_Up, 1, 2, Qt::NoButton},
    {Qt::Key_Up, 1, 1, Qt::NoButton},
    {Qt::Key_Up, 1, 1, Qt::NoButton},
    {Qt::Key_Space, 1, 1, Qt::LeftButton},
};

// A condition steps forward whatever the button, so "-" and Backspace do what a right click does.
const TKeyStep kConditionKeys[] = {
    {Qt::Key_Space, 1, 0, Qt::LeftButton},      {Qt::Key_Down, 1, 1, Qt::NoButton},
    {Qt::Key_Plus, 1, 1, Qt::LeftButton},       {Qt::Key_Minus, 1, 1, Qt::RightButton},
    {Qt::Key_Backspace, 1, 1, Qt::RightButton}, {Qt::Key_Down, 1, 1, Qt::NoButton},
    {Qt::Key_Left, 1, 1, Qt::NoButton},         {Qt::Key_Right, 1, 1, Qt::NoButton},
    {Qt::Key_Home, 1, 1, Qt::NoButton},         {Qt::Key_End, 1, 1, Qt::NoButton},
    {Qt::Key_Up, 1, 0, Qt::NoButton},           {Qt::Key_Minus, 1, 0, Qt::RightButton},
    {Qt::Key_Up, 1, 0, Qt::NoButton},
};

TEST_F(GridViewTest, KeysStepTheFocusCellAsTheMouseDoes) {
    TRelayPage clicked;
    clicked.SetNumber(3);
    clicked.resize(m_page.size());
    clicked.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&clicked));
    ActivatePage();
    const std::vector<TDrawGrid*> clickedGrids{clicked.ZoneGrid,
                                               clicked.PartitionGrid,
                                               clicked.ConditionGrid(rcPanelLink),
                                               clicked.ConditionGrid(rcJournal),
                                               clicked.ConditionGrid(rcPower),
                                               clicked.ConditionGrid(rcFire),
                                               clicked.ConditionGrid(rcDelay)};
    for (std::size_t g = 0; g < Grids().size(); ++g) {
        TDrawGrid* grid = Grids()[g];
        SCOPED_TRACE(grid->objectName().toStdString());
        grid->setFocus(Qt::TabFocusReason);
        ASSERT_TRUE(grid->hasFocus());
        const bool table = grid == m_page.ZoneGrid || grid == m_page.PartitionGrid;
        const auto& steps = table ? std::span<const TKeyStep>(kTableKeys)
                                  : std::span<const TKeyStep>(kConditionKeys);
        for (std::size_t i = 0; i < steps.size(); ++i) {
            const TKeyStep& step = steps[i];
            const TRelaySettings before = m_page.Settings();
            QTest::keyClick(grid, static_cast<Qt::Key>(step.Key));
            if (step.Button != Qt::NoButton) {
                QTest::mouseClick(clickedGrids[g], step.Button, {},
                                  clickedGrids[g]->CellRect(step.Col, step.Row).center());
                EXPECT_NE(m_page.Settings(), before) << "step " << i;
            }
            EXPECT_EQ(m_page.Settings(), clicked.Settings()) << "step " << i;
            for (int e = 1; e <= kEventRowCount; ++e) {
                EXPECT_EQ(m_page.ZoneAll(static_cast<TZoneEvent>(e)),
                          clicked.ZoneAll(static_cast<TZoneEvent>(e)));
                EXPECT_EQ(m_page.PartitionAll(static_cast<TPartitionEvent>(e)),
                          clicked.PartitionAll(static_cast<TPartitionEvent>(e)));
            }
            EXPECT_EQ(std::pair(grid->FocusCol(), grid->FocusRow()), std::pair(step.Col, step.Row))
                << "step " << i;
            ASSERT_TRUE(grid->hasFocus()) << "step " << i;
        }
    }
}

TEST_F(GridViewTest, TabVisitsTheDurationAndTheGridsInReadingOrder) {
    ActivatePage();
    m_page.etDuration->setFocus(Qt::TabFocusReason);
    ASSERT_TRUE(m_page.etDuration->hasFocus());
    std::vector<QWidget*> visited;
    const std::vector<TDrawGrid*> grids = Grids();
    for (std::size_t i = 0; i < grids.size(); ++i) {
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
        visited.push_back(QApplication::focusWidget());
    }
    EXPECT_EQ(visited, std::vector<QWidget*>(grids.begin(), grids.end()));
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab, Qt::ShiftModifier);
    EXPECT_EQ(QApplication::focusWidget(), m_page.ConditionGrid(rcFire));
}

// The focus cell wears a frame while its grid has focus, and only then.
TEST_F(GridViewTest, TheFocusCellIsFramedWhileTheGridHasFocus) {
    ActivatePage();
    TDrawGrid* grid = m_page.PartitionGrid;
    grid->SetFocusCell(4, 2);
    const QRect cell = grid->CellRect(4, 2);
    const QColor frame = grid->palette().color(QPalette::Highlight);
    const auto corner = [&] {
        const QImage image = grid->grab().toImage();
        return QColor(image.pixel((cell.topLeft() + QPoint(1, 1)) * image.devicePixelRatio()));
    };
    m_page.etDuration->setFocus();
    EXPECT_NE(corner(), frame);
    grid->setFocus();
    EXPECT_EQ(corner(), frame);
    QTest::mouseClick(grid, Qt::LeftButton, {}, grid->CellRect(6, 3).center());
    EXPECT_EQ(std::pair(grid->FocusCol(), grid->FocusRow()), std::pair(6, 3));
    EXPECT_NE(corner(), frame);
}

// A screen reader speaks a cell by its name over AT-SPI, which has no value text for a cell, so
// the name ends in the value.
TEST_F(GridViewTest, AScreenReaderReadsEveryCellByNameAndValue) {
    TRelaySettings s = m_page.Settings();
    s.Zone(zeAlarm, 5) = rrOnTimed;
    s.Partition(peDisarm, 16) = rrOff;
    s.Zone(zeRestore, 1) = 9;
    s.YesOf(rcPanelLink) = rrNone;
    s.NoOf(rcFire) = rrOn1Hz;
    m_page.ShowSettings(s);
    struct TCase {
        TDrawGrid* Grid;
        int Col;
        int Row;
        QAccessible::Role Role;
        const char* Name;
        const char* Value;
    } const cases[] = {
        {m_page.ZoneGrid, 5, 1, QAccessible::Cell,
         "Реле 3, Зоны, Тревоги, зона 5: Включение на время", "Включение на время"},
        {m_page.ZoneGrid, 1, 2, QAccessible::Cell,
         "Реле 3, Зоны, Восстановления, зона 1: Без реакции", "Без реакции"},
        {m_page.ZoneGrid, 17, 3, QAccessible::Cell, "Реле 3, Зоны, Аварии, все: Включение",
         "Включение"},
        {m_page.ZoneGrid, 5, 0, QAccessible::ColumnHeader, "зона 5", ""},
        {m_page.ZoneGrid, 0, 2, QAccessible::RowHeader, "Восстановления", ""},
        {m_page.PartitionGrid, 16, 2, QAccessible::Cell,
         "Реле 3, Разделы, Снятия, раздел 16: Выключение", "Выключение"},
        {m_page.PartitionGrid, 17, 0, QAccessible::ColumnHeader, "все", ""},
        {m_page.ConditionGrid(rcPanelLink), 1, 0, QAccessible::Cell,
         "Реле 3, Связь с панелью, Есть: Без реакции", "Без реакции"},
        {m_page.ConditionGrid(rcPanelLink), 1, 1, QAccessible::Cell,
         "Реле 3, Связь с панелью, Нет: Включение", "Включение"},
        {m_page.ConditionGrid(rcJournal), 1, 1, QAccessible::Cell,
         "Реле 3, Режим, Не пустой журнал: Включение", "Включение"},
        {m_page.ConditionGrid(rcPower), 1, 0, QAccessible::Cell,
         "Реле 3, Внешнее питание, Основное: Включение", "Включение"},
        {m_page.ConditionGrid(rcFire), 1, 1, QAccessible::Cell,
         "Реле 3, Пожарная тревога, Тревога сброшена: Включение с частотой 1 Гц",
         "Включение с частотой 1 Гц"},
        {m_page.ConditionGrid(rcDelay), 1, 0, QAccessible::Cell,
         "Реле 3, Задержка, Есть: Включение", "Включение"},
        {m_page.ConditionGrid(rcDelay), 0, 1, QAccessible::RowHeader, "Нет", ""},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.Name);
        QAccessibleInterface* grid = QAccessible::queryAccessibleInterface(c.Grid);
        ASSERT_NE(grid, nullptr);
        EXPECT_EQ(grid->role(), QAccessible::Table);
        EXPECT_EQ(grid->childCount(), c.Grid->ColCount() * c.Grid->RowCount());
        const int index = c.Row * c.Grid->ColCount() + c.Col;
        QAccessibleInterface* cell = grid->child(index);
        ASSERT_NE(cell, nullptr);
        EXPECT_EQ(cell->text(QAccessible::Name), U(c.Name));
        EXPECT_EQ(cell->text(QAccessible::Value), U(c.Value));
        EXPECT_EQ(cell->role(), c.Role);
        EXPECT_EQ(grid->indexOfChild(cell), index);
        EXPECT_EQ(cell->parent(), grid);
        ASSERT_NE(grid->tableInterface(), nullptr);
        EXPECT_EQ(grid->tableInterface()->cellAt(c.Row, c.Col), cell);
        EXPECT_EQ(grid->childAt(cell->rect().center().x(), cell->rect().center().y()), cell);
    }
    struct TNamed {
        QWidget* Widget;
        const char* Name;
    } const named[] = {{m_page.ZoneGrid, "Зоны"},
                       {m_page.PartitionGrid, "Разделы"},
                       {m_page.ConditionGrid(rcFire), "Пожарная тревога"},
                       {m_page.etDuration, "Реле 3, Длительность"}};
    for (const auto& n : named) {
        EXPECT_EQ(QAccessible::queryAccessibleInterface(n.Widget)->text(QAccessible::Name),
                  U(n.Name));
    }
    TCommonPage common;
    EXPECT_EQ(QAccessible::queryAccessibleInterface(common.etO)->text(QAccessible::Name),
              U("Номер объекта"));
}

// Every caption, title and grid is whole at the page's content size, and that size holds them.
void ExpectNothingCut(QWidget& content, QWidget& frame) {
    EXPECT_EQ(content.minimumSize(), frame.size());
    for (QWidget* w : frame.findChildren<QWidget*>()) {
        if (!w->isVisibleTo(&frame)) {
            continue;
        }
        SCOPED_TRACE(w->objectName().toStdString() + " " + w->metaObject()->className());
        const QRect inParent = w->geometry();
        EXPECT_TRUE(w->parentWidget()->rect().contains(inParent));
        if (auto* label = qobject_cast<QLabel*>(w); label != nullptr && !label->text().isEmpty()) {
            SCOPED_TRACE(label->text().toStdString());
            EXPECT_LE(label->fontMetrics().horizontalAdvance(label->text()), label->width());
            EXPECT_LE(label->sizeHint().width(), label->width());
            EXPECT_LE(label->sizeHint().height(), label->height());
        }
        if (auto* group = qobject_cast<QGroupBox*>(w)) {
            SCOPED_TRACE(group->title().toStdString());
            EXPECT_LE(group->minimumSizeHint().width(), group->width());
        }
        if (auto* edit = qobject_cast<QLineEdit*>(w)) {
            EXPECT_LE(edit->minimumSizeHint().height(), edit->height());
        }
        if (auto* grid = qobject_cast<TDrawGrid*>(w)) {
            EXPECT_LE(grid->ContentSize().width(), grid->width());
            EXPECT_LE(grid->ContentSize().height(), grid->height());
        }
    }
}

TEST_F(GridViewTest, NothingIsCutAtTheContentSize) {
    ExpectNothingCut(*m_page.ScrolledContent(), *m_page.RelayGroup);
    const QFontMetrics metrics(m_page.ZoneGrid->font());
    for (TDrawGrid* grid : Grids()) {
        for (int row = grid->FixedRows(); row < grid->RowCount(); ++row) {
            QAccessibleInterface* caption =
                QAccessible::queryAccessibleInterface(grid)->child(row * grid->ColCount());
            EXPECT_LE(metrics.horizontalAdvance(caption->text(QAccessible::Name)) + 7,
                      grid->ColWidth(0))
                << caption->text(QAccessible::Name).toStdString();
        }
    }
    for (TDrawGrid* grid : {m_page.ZoneGrid, m_page.PartitionGrid}) {
        EXPECT_LE(metrics.horizontalAdvance(U("Все")) + 4, grid->ColWidth(kAll));
    }
    TCommonPage common;
    common.resize(common.ScrolledContent()->minimumSize());
    common.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&common));
    ExpectNothingCut(*common.ScrolledContent(), *common.SettingsGroup);
}

}  // namespace
