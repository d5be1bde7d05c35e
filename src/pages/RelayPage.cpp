// The relay page: layout, drawing and click rules of its grids, the duration edit, persistence.
#include "pages/RelayPage.h"

#include <QFrame>
#include <QPainter>
#include <QScreen>
#include <QWindow>
#include <algorithm>

#include "ini/IniFile.h"
#include "model/ModuleSettingsIni.h"
#include "widgets/GridCellStyle.h"
#include "widgets/InputController.h"
#include "widgets/PageFont.h"
#include "widgets/ReactionPictures.h"

namespace {

constexpr int kTableCols = kTableWidth + 2;  // captions, 16 cells, "Все"
constexpr int kTableRows = kEventRowCount + 1;
constexpr int kAllCol = kTableCols - 1;
constexpr int kTextIndent = 7;
constexpr int kAllTextIndent = 4;
// Room a caption column leaves after its widest caption.
constexpr int kCaptionSlack = 15;
// Space between a label and the control it names, and inside a group after its last control.
constexpr int kGap = 8;

// The places of RelayValueAt's order where each grid's values begin.
constexpr int kZonePlace = ZonePlace(zeAlarm, 1);
constexpr int kPartitionPlace = PartitionPlace(peArm, 1);
constexpr int kYesPlace = ConditionPlace(rcPanelLink, true);
constexpr int kNoPlace = ConditionPlace(rcPanelLink, false);
static_assert(kNoPlace + kConditionCount == kRelayValueCount);

QString Text(const char* utf8) {
    return QString::fromUtf8(utf8);
}

QGroupBox* MakeGroup(QWidget* parent, const char* name, const char* caption, QRect geometry) {
    auto* group = new QGroupBox(Text(caption), parent);
    group->setObjectName(QString::fromLatin1(name));
    group->setFont(PageFont());
    group->setGeometry(geometry);
    return group;
}

TDrawGrid* MakeGrid(QWidget* parent, const char* name, int cols, int rows, int fixedCols,
                    int fixedRows, QRect geometry) {
    auto* grid = new TDrawGrid(cols, rows, fixedCols, fixedRows, parent);
    grid->setObjectName(QString::fromLatin1(name));
    grid->setGeometry(geometry);
    return grid;
}

void DrawCaption(TDrawGrid& grid, const QRect& rect, int indent, const QString& text) {
    grid.Canvas()->drawText(rect.adjusted(indent, kTextIndent, 0, 0),
                            Qt::AlignLeft | Qt::AlignTop | Qt::TextSingleLine, text);
}

// Codes other than 0 to 3 show the no-reaction picture.
TRelayReaction ShownCode(TRelayReaction code) {
    return IsReactionCode(code) ? code : rrNone;
}

QString ReactionText(TRelayReaction code) {
    return QString::fromStdString(ReactionName(ShownCode(code)));
}

QString ColumnWord(const char* word, int col) {
    return col == kAllCol ? Text("все") : Text(word) + ' ' + QString::number(col);
}

}  // namespace

TRelayPage::TRelayPage(QWidget* parent)
    : TPageBase(parent, QString::fromStdString(RelaySectionName(1))) {
    m_settings.Number = 1;
    SetCaption(Text("Реле"));
    for (TRelayReaction code = rrOn; code <= rrNone; ++code) {
        m_bitmaps.at(code) = MakeReactionBitmap(code);
    }
    m_zoneAll.fill(rrOn);
    m_partitionAll.fill(rrOn);
    CreateControls();
    CreateLegend();
    SizeColumns();
    Arrange();
    ConnectGrids();
    SetAccessibleNames();
}

void TRelayPage::CreateControls() {
    QWidget* content = ScrolledContent();
    RelayGroup = MakeGroup(content, "RelayGB", "Реле", {0, 0, 800, 600});
    QFont bold = PageFont();
    bold.setBold(true);
    RelayGroup->setFont(bold);

    PulseGroup = MakeGroup(RelayGroup, "GroupBox2", "Импульс включения реле", {5, 11, 788, 54});
    DurationLabel = new TLabel(Text("Длительность"), PulseGroup);
    DurationLabel->setObjectName(QStringLiteral("Label1"));
    DurationLabel->move(10, 24);
    DurationLabel->adjustSize();
    etDuration = new TEdit(PulseGroup);
    etDuration->setObjectName(QString::fromLatin1(kDurationKey));
    etDuration->setGeometry(120, 21, 53, 21);
    etDuration->SetMaxLength(3);
    etDuration->SetDigitsOnly(true);
    etDuration->setText(QStringLiteral("0"));
    // Enter finishes the edit as a step and still reaches a dialog around the page.
    etDuration->OnKeyPress = [this](QChar& key) {
        if (key == QChar('\r')) {
            FinishEdit(*etDuration, DurationLabel->text());
        }
        TInputController::FilterDigitKey(key);
    };
    DurationMarker = new TControlMarker(*etDuration);
    connect(etDuration, &QLineEdit::textChanged, this, [this] { etDurationChange(); });
    connect(etDuration, &QLineEdit::editingFinished, this,
            [this] { FinishEdit(*etDuration, DurationLabel->text()); });

    const QRect tableGrid{6, 12, 587, 112};
    ZoneGroup = MakeGroup(RelayGroup, "GroupBox12", "Зоны", {3, 65, 600, 127});
    ZoneGrid = MakeGrid(ZoneGroup, "DG1", kTableCols, kTableRows, 1, 1, tableGrid);
    PartitionGroup = MakeGroup(RelayGroup, "GroupBox3", "Разделы", {4, 192, 599, 127});
    PartitionGrid =
        MakeGrid(PartitionGroup, "DG2", kTableCols, kTableRows, 1, 1, tableGrid.translated(-1, 0));

    // The conditions in two lines under the tables, in the order of their numbers.
    struct TConditionPlace {
        const char* GroupName;
        const char* GridName;
        QPoint At;
    };
    const std::array<TConditionPlace, kConditionCount> places{{
        {"GroupBox4", "DGConnection", {3, 320}},
        {"GroupBox5", "DGJournal", {159, 320}},
        {"GroupBox8", "DGPower", {315, 320}},
        {"GroupBox6", "DGFire", {3, 399}},
        {"GroupBox7", "DGPause", {159, 399}},
    }};
    const QRect conditionGrid{6, 12, 140, 56};
    for (int c = 1; c <= kConditionCount; ++c) {
        const TConditionPlace& place = places.at(c - 1);
        QGroupBox* group = MakeGroup(RelayGroup, place.GroupName, kConditionTexts.at(c - 1).Group,
                                     {place.At, QSize(150, 73)});
        ConditionGroups.at(c - 1) = group;
        ConditionGrids.at(c - 1) = MakeGrid(group, place.GridName, 2, 2, 1, 0, conditionGrid);
    }
}

void TRelayPage::CreateLegend() {
    LegendGroup = MakeGroup(RelayGroup, "GroupBox1", "Легенда", {605, 65, 189, 407});
    struct TEntry {
        const char* Name;
        TRelayReaction Code;
        int FrameTop;
        int CaptionTop;
    };
    const TEntry entries[] = {
        {"NoneI", rrNone, 16, 20}, {"FrontI", rrOn, 40, 44},         {"PulseI", rrOnTimed, 63, 68},
        {"FallI", rrOff, 88, 92},  {"IPulse1Hz", rrOn1Hz, 113, 117},
    };
    for (const auto& e : entries) {
        auto* frame = new QFrame(LegendGroup);
        frame->setFrameStyle(QFrame::Panel | QFrame::Sunken);
        frame->setLineWidth(1);
        frame->setGeometry(6, e.FrameTop, kPictureSize + 2, kPictureSize + 2);
        QLabel*& image = LegendPictures.at(e.Code);
        image = new QLabel(frame);
        image->setObjectName(QString::fromLatin1(e.Name));
        image->setGeometry(1, 1, kPictureSize, kPictureSize);
        auto* caption =
            new TLabel("- " + QString::fromStdString(ReactionName(e.Code)), LegendGroup);
        caption->move(38, e.CaptionTop);
        caption->adjustSize();
        m_legendCaptions.push_back(caption);
    }
    UpdateLegendPictures();
}

void TRelayPage::UpdateLegendPictures() {
    const qreal ratio = devicePixelRatioF();
    if (ratio == m_legendRatio) {
        return;
    }
    m_legendRatio = ratio;
    for (TRelayReaction code = rrOn; code <= rrNone; ++code) {
        LegendPictures.at(code)->setPixmap(ReactionPixmap(code, ratio));
    }
}

void TRelayPage::showEvent(QShowEvent* event) {
    TPageBase::showEvent(event);
    // A window moved to a screen of another pixel ratio gets its legend drawn anew there.
    if (QWindow* handle = window()->windowHandle()) {
        connect(handle, &QWindow::screenChanged, this, &TRelayPage::UpdateLegendPictures,
                Qt::UniqueConnection);
    }
    UpdateLegendPictures();
}

void TRelayPage::SizeColumns() {
    // Wide enough for "Пожарная тревога" as laid out, and for every row caption in the fonts at
    // hand.
    const QFontMetrics metrics(ZoneGrid->font());
    int widest = metrics.horizontalAdvance(Text("Пожарная тревога"));
    for (const auto* captions : {&kZoneCaptions, &kPartitionCaptions}) {
        for (const char* caption : *captions) {
            widest = std::max(widest, metrics.horizontalAdvance(Text(caption)));
        }
    }
    for (const auto& texts : kConditionTexts) {
        widest = std::max({widest, metrics.horizontalAdvance(Text(texts.Yes)),
                           metrics.horizontalAdvance(Text(texts.No))});
    }
    const int captionWidth = widest + kCaptionSlack;
    for (TDrawGrid* grid : Grids()) {
        grid->SetColWidth(0, captionWidth);
    }
    const int allWidth = metrics.horizontalAdvance(Text("Все")) + 2 * kAllTextIndent;
    for (TDrawGrid* grid : {ZoneGrid, PartitionGrid}) {
        grid->SetColWidth(kAllCol, std::max(grid->ColWidth(kAllCol), allWidth));
    }
}

void TRelayPage::Arrange() {
    // Positions are those of the layout; widths follow the fonts, each group around its
    // contents and the legend beside the tables.
    const int labelRight = DurationLabel->x() + DurationLabel->width();
    const int editHeight = std::max(etDuration->height(), etDuration->minimumSizeHint().height());
    etDuration->setGeometry(std::max(etDuration->x(), labelRight + kGap), etDuration->y(),
                            etDuration->width(), editHeight);

    const QSize table = ZoneGrid->ContentSize();
    ZoneGrid->resize(table);
    PartitionGrid->resize(table);
    ZoneGroup->resize(ZoneGrid->x() + table.width() + 7, ZoneGroup->height());
    PartitionGroup->resize(ZoneGroup->x() + ZoneGroup->width() - PartitionGroup->x(),
                           PartitionGroup->height());

    QGroupBox* first = ConditionGroup(rcPanelLink);
    const QSize condition = ConditionGrid(rcPanelLink)->ContentSize();
    int conditionWidth = condition.width() + 2 * ConditionGrid(rcPanelLink)->x() - 2;
    for (QGroupBox* group : ConditionGroups) {
        conditionWidth = std::max(conditionWidth, group->minimumSizeHint().width());
    }
    const int spacing = ConditionGroup(rcJournal)->x() - first->x() - first->width();
    int bottom = 0;
    // Three conditions in the first line, two in the second.
    for (const auto& line : {std::vector<TRelayCondition>{rcPanelLink, rcJournal, rcPower},
                             std::vector<TRelayCondition>{rcFire, rcDelay}}) {
        int left = first->x();
        for (TRelayCondition c : line) {
            QGroupBox* group = ConditionGroup(c);
            group->setGeometry(left, group->y(), conditionWidth, group->height());
            ConditionGrid(c)->resize(condition);
            left += conditionWidth + spacing;
            bottom = std::max(bottom, group->y() + group->height());
        }
    }

    const int tablesRight = ZoneGroup->x() + ZoneGroup->width();
    int legendWidth = std::max(LegendGroup->width(), LegendGroup->minimumSizeHint().width());
    for (const TLabel* caption : m_legendCaptions) {
        legendWidth = std::max(legendWidth, caption->x() + caption->width() + kGap);
    }
    LegendGroup->setGeometry(tablesRight + 2, LegendGroup->y(), legendWidth,
                             bottom - LegendGroup->y());
    const int right = LegendGroup->x() + LegendGroup->width();
    PulseGroup->resize(right - 1 - PulseGroup->x(), PulseGroup->height());
    RelayGroup->resize(right + 6, bottom + kGap);
    ScrolledContent()->setMinimumSize(RelayGroup->size());
}

std::array<TDrawGrid*, 2 + kConditionCount> TRelayPage::Grids() const {
    std::array<TDrawGrid*, 2 + kConditionCount> grids{ZoneGrid, PartitionGrid};
    std::copy(ConditionGrids.begin(), ConditionGrids.end(), grids.begin() + 2);
    return grids;
}

void TRelayPage::ConnectGrids() {
    BindTableGrid(*ZoneGrid, m_settings.Zones, m_zoneAll, kZoneCaptions, "зона", kZonePlace);
    BindTableGrid(*PartitionGrid, m_settings.Partitions, m_partitionAll, kPartitionCaptions,
                  "раздел", kPartitionPlace);
    for (int c = 1; c <= kConditionCount; ++c) {
        const auto condition = static_cast<TRelayCondition>(c);
        BindConditionGrid(*ConditionGrid(condition), condition);
    }

    QWidget* previous = etDuration;
    for (TDrawGrid* grid : Grids()) {
        QWidget::setTabOrder(previous, grid);
        previous = grid;
    }
}

void TRelayPage::BindTableGrid(TDrawGrid& grid, TTable& table, TAllValues& all,
                               const TCaptions& captions, const char* columnWord, int firstPlace) {
    grid.OnDrawCell = [this, &grid, &table, &all, &captions](int col, int row, const QRect& rect,
                                                             TGridDrawState state) {
        DrawTableCell(grid, table, all, captions, col, row, rect, state);
    };
    grid.OnMouseUp = [this, &grid, &table, &all](Qt::MouseButton button, const QPoint& point) {
        int col = -1;
        int row = -1;
        if (grid.MouseToCell(point, col, row)) {
            TableStep(grid, table, all, col, row, button != Qt::RightButton);
        }
    };
    // Keys take the mouse's path: the same step for the same cell.
    grid.OnKeyStep = [this, &grid, &table, &all](int col, int row, bool forward) {
        TableStep(grid, table, all, col, row, forward);
    };
    grid.OnCellName = [this, &grid, &captions, columnWord](int col, int row) {
        return TableCellName(grid, captions, columnWord, col, row);
    };
    grid.OnCellValue = [&table, &all](int col, int row) -> QString {
        if (col <= 0 || row <= 0) {
            return {};
        }
        return ReactionText(col == kAllCol ? all.at(row - 1) : table.at(row - 1).at(col - 1));
    };
    grid.OnCellNote = [this, firstPlace](int col, int row) -> QString {
        if (col <= 0 || row <= 0 || col == kAllCol) {
            return {};
        }
        return ModuleNote(firstPlace + (row - 1) * kTableWidth + (col - 1));
    };
}

void TRelayPage::BindConditionGrid(TDrawGrid& grid, TRelayCondition condition) {
    grid.OnDrawCell = [this, &grid, condition](int col, int row, const QRect& rect,
                                               TGridDrawState state) {
        DrawConditionCell(grid, condition, col, row, rect, state);
    };
    // Every mouse button steps forward, and so does every key that steps.
    grid.OnMouseUp = [this, &grid, condition](Qt::MouseButton, const QPoint& point) {
        int col = -1;
        int row = -1;
        grid.MouseToCell(point, col, row);
        ConditionStep(grid, condition, col, row);
    };
    grid.OnKeyStep = [this, &grid, condition](int col, int row, bool) {
        ConditionStep(grid, condition, col, row);
    };
    grid.OnCellName = [this, &grid, condition](int col, int row) {
        return ConditionCellName(grid, condition, col, row);
    };
    grid.OnCellValue = [this, condition](int col, int row) -> QString {
        if (col < 1 || row < 0 || row > 1) {
            return {};
        }
        return ReactionText(row == 0 ? m_settings.YesOf(condition) : m_settings.NoOf(condition));
    };
    grid.OnCellNote = [this, condition](int col, int row) -> QString {
        if (col < 1 || row < 0 || row > 1) {
            return {};
        }
        return ModuleNote((row == 0 ? kYesPlace : kNoPlace) + (condition - 1));
    };
}

void TRelayPage::SetAccessibleNames() {
    etDuration->setAccessibleName(Caption() + Text(", Длительность"));
    for (TDrawGrid* grid : Grids()) {
        grid->setAccessibleName(GroupOf(*grid).title());
    }
}

const QGroupBox& TRelayPage::GroupOf(const TDrawGrid& grid) {
    return *static_cast<const QGroupBox*>(grid.parentWidget());
}

QString TRelayPage::TableCellName(const TDrawGrid& grid, const TCaptions& captions,
                                  const char* columnWord, int col, int row) const {
    const QString group = GroupOf(grid).title();
    if (row == 0) {
        return col == 0 ? group : ColumnWord(columnWord, col);
    }
    const QString rowCaption = Text(captions.at(row - 1));
    if (col == 0) {
        return rowCaption;
    }
    return Caption() + ", " + group + ", " + rowCaption + ", " + ColumnWord(columnWord, col);
}

QString TRelayPage::ConditionCellName(const TDrawGrid& grid, TRelayCondition condition, int col,
                                      int row) const {
    const QString state = Text(ConditionStateCaption(condition, row == 0));
    if (col == 0) {
        return state;
    }
    return Caption() + ", " + GroupOf(grid).title() + ", " + state;
}

void TRelayPage::SetNumber(int n) {
    m_settings.Number = n;
    setObjectName(QString::fromStdString(RelaySectionName(n)));
    SetCaption(QString::fromStdString(RelayPageCaption(n)));
    RelayGroup->setTitle(Caption());
    SetAccessibleNames();
}

const QImage& TRelayPage::ReactionPicture(TRelayReaction code) const {
    return m_bitmaps.at(ShownCode(code));
}

void TRelayPage::ShowSettings(const TRelaySettings& settings) {
    m_settings = settings;
    etDuration->setText(QString::number(settings.Duration));
    RepaintGrids();
}

void TRelayPage::RepaintGrids() {
    // New values may bring new notes as well.
    for (TDrawGrid* grid : Grids()) {
        grid->NotifyNotesChanged();
    }
    UpdateDurationMarker();
}

void TRelayPage::ShowModuleValues(const TRelaySettings& values,
                                  const std::bitset<kRelayValueCount>& known) {
    m_moduleValues = values;
    m_knownPlaces = known;
    RepaintGrids();
}

void TRelayPage::ForgetModuleValues() {
    m_knownPlaces.reset();
    RepaintGrids();
}

bool TRelayPage::IsMarked(int place) const {
    return place >= 0 && place < kRelayValueCount && m_knownPlaces.test(place) &&
           RelayValueAt(m_settings, place) != RelayValueAt(m_moduleValues, place);
}

int TRelayPage::UnwrittenCount() const {
    int count = 0;
    for (int place = 0; place < kRelayValueCount; ++place) {
        count += IsMarked(place) ? 1 : 0;
    }
    return count;
}

QString TRelayPage::ModuleNote(int place) const {
    if (!IsMarked(place)) {
        return {};
    }
    // A code the page cannot show is named by its number, so the note never hides it.
    const std::int32_t value = RelayValueAt(m_moduleValues, place);
    const QString shown = place == kDurationPlace ? QString::number(value)
                                                  : QString::fromStdString(ReactionName(value));
    return Text("в модуле: ") + shown;
}

void TRelayPage::UpdateDurationMarker() {
    DurationMarker->SetNote(ModuleNote(kDurationPlace));
}

void TRelayPage::LoadFromIni(const TIniFile& ini) {
    TRelaySettings settings = m_settings;
    for (const TSettingsReplacement& replacement : LoadShownRelaySettings(ini, settings)) {
        NoteLoadReplacement(ini, replacement);
    }
    ShowSettings(settings);
}

void TRelayPage::SaveToIni(TIniFile& ini) {
    SaveRelaySettings(ini, m_settings);
}

void TRelayPage::DrawPicture(TDrawGrid& grid, const QRect& rect, TRelayReaction code) const {
    // Drawn at its own size in the middle of the cell: stretching 23 units over 27 would make
    // the three-unit trace uneven. Vectors keep it sharp on scaled screens.
    const QPoint at(rect.left() + (rect.width() - kPictureSize) / 2,
                    rect.top() + (rect.height() - kPictureSize) / 2);
    PaintReaction(*grid.Canvas(), at, ShownCode(code));
}

void TRelayPage::DrawTableCell(TDrawGrid& grid, const TTable& table, const TAllValues& all,
                               const TCaptions& captions, int col, int row, const QRect& rect,
                               TGridDrawState state) {
    PrepareCell(grid, rect, state);
    if (row == 0) {
        if (col == kAllCol) {
            DrawCaption(grid, rect, kAllTextIndent, Text("Все"));
        } else if (col > 0) {
            DrawCaption(grid, rect, kTextIndent, QString::number(col));
        }
        return;
    }
    if (col == 0) {
        DrawCaption(grid, rect, kTextIndent, Text(captions.at(row - 1)));
    } else if (col == kAllCol) {
        DrawPicture(grid, rect, all.at(row - 1));
    } else {
        DrawPicture(grid, rect, table.at(row - 1).at(col - 1));
    }
}

void TRelayPage::TableStep(TDrawGrid& grid, TTable& table, TAllValues& all, int col, int row,
                           bool forward) {
    if (col <= 0 || row <= 0) {
        return;
    }
    const auto step = forward ? NextReaction : PrevReaction;
    if (col == kAllCol) {
        step(all.at(row - 1));
        table.at(row - 1).fill(all.at(row - 1));
        for (int c = 1; c <= kAllCol; ++c) {
            grid.NotifyCellChanged(c, row);
        }
    } else {
        step(table.at(row - 1).at(col - 1));
        grid.NotifyCellChanged(col, row);
    }
    emit ValuesEdited(grid.OnCellName(col, row));
}

void TRelayPage::DrawConditionCell(TDrawGrid& grid, TRelayCondition condition, int col, int row,
                                   const QRect& rect, TGridDrawState state) {
    PrepareCell(grid, rect, state);
    const auto& texts = kConditionTexts.at(condition - 1);
    if (col == 0) {
        DrawCaption(grid, rect, kTextIndent, Text(row == 0 ? texts.Yes : texts.No));
    } else {
        DrawPicture(grid, rect,
                    row == 0 ? m_settings.YesOf(condition) : m_settings.NoOf(condition));
    }
}

void TRelayPage::ConditionStep(TDrawGrid& grid, TRelayCondition condition, int col, int row) {
    if (col < 1 || row < 0 || row > 1) {
        return;
    }
    NextReaction(row == 0 ? m_settings.YesOf(condition) : m_settings.NoOf(condition));
    grid.NotifyCellChanged(col, row);
    emit ValuesEdited(grid.OnCellName(col, row));
}

void TRelayPage::etDurationChange() {
    TInputController::ClampEditValue(etDuration, 0, 0, kMaxDuration);
    m_settings.Duration = etDuration->text().toInt();
    UpdateDurationMarker();
}

void TRelayPage::ShowPlace(int place) {
    constexpr int kTableSize = kEventRowCount * kTableWidth;
    QWidget* shown = etDuration;
    if (place >= 1 && place <= 2 * kTableSize) {
        const int index = (place - 1) % kTableSize;
        TDrawGrid* grid = place <= kTableSize ? ZoneGrid : PartitionGrid;
        grid->SetFocusCell(index % kTableWidth + 1, index / kTableWidth + 1);
        shown = grid;
    } else if (place > 2 * kTableSize && place < kRelayValueCount) {
        const int index = place - 1 - 2 * kTableSize;
        const bool yes = index < kConditionCount;
        TDrawGrid* grid = ConditionGrid(static_cast<TRelayCondition>(index % kConditionCount + 1));
        grid->SetFocusCell(1, yes ? 0 : 1);
        shown = grid;
    }
    ScrollArea->ensureWidgetVisible(shown);
    shown->setFocus(Qt::OtherFocusReason);
}
