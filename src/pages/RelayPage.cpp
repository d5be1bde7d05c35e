// The relay page: layout, drawing and click rules of its grids, the duration edit, persistence.
#include "pages/RelayPage.h"

#include <QFrame>
#include <QPainter>
#include <QScreen>
#include <QWindow>
#include <algorithm>

#include "ini/IniFile.h"
#include "model/ModuleCompare.h"
#include "model/RelaySettingsIni.h"
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
    return code >= rrOn && code < rrNone ? code : rrNone;
}

QString ReactionText(TRelayReaction code) {
    return QString::fromStdString(ReactionName(ShownCode(code)));
}

QString ColumnWord(const char* word, int col) {
    return col == kAllCol ? Text("все") : Text(word) + ' ' + QString::number(col);
}

}  // namespace

TRelayPage::TRelayPage(QWidget* parent) : TPageBase(parent, QStringLiteral("FormRelay")) {
    SetCaption(Text("Реле"));
    for (TRelayReaction code = rrOn; code <= rrNone; ++code) {
        m_bitmaps.at(code) = MakeReactionBitmap(code);
    }
    CreateControls();
    CreateLegend();
    FormCreate();
    Arrange();
    ConnectGrids();
    SetAccessibleNames();
}

void TRelayPage::CreateControls() {
    QWidget* content = ScrollBoxContent();
    RelayGB = MakeGroup(content, "RelayGB", "Реле", {0, 0, 800, 600});
    QFont bold = PageFont();
    bold.setBold(true);
    RelayGB->setFont(bold);

    GroupBox2 = MakeGroup(RelayGB, "GroupBox2", "Импульс включения реле", {5, 11, 788, 54});
    Label1 = new TLabel(Text("Длительность"), GroupBox2);
    Label1->setObjectName(QStringLiteral("Label1"));
    Label1->move(10, 24);
    Label1->adjustSize();
    etDuration = new TEdit(GroupBox2);
    etDuration->setObjectName(QStringLiteral("etDuration"));
    etDuration->setGeometry(120, 21, 53, 21);
    etDuration->SetMaxLength(3);
    etDuration->SetDigitsOnly(true);
    etDuration->setText(QStringLiteral("0"));
    etDuration->OnKeyPress = [this](QChar& key) { etDurationKeyPress(key); };
    connect(etDuration, &QLineEdit::textChanged, this, [this] { etDurationChange(); });

    const QRect tableGrid{6, 12, 587, 112};
    GroupBox12 = MakeGroup(RelayGB, "GroupBox12", "Зоны", {3, 65, 600, 127});
    DG1 = MakeGrid(GroupBox12, "DG1", kTableCols, kTableRows, 1, 1, tableGrid);
    GroupBox3 = MakeGroup(RelayGB, "GroupBox3", "Разделы", {4, 192, 599, 127});
    DG2 = MakeGrid(GroupBox3, "DG2", kTableCols, kTableRows, 1, 1, tableGrid.translated(-1, 0));

    const QRect conditionGrid{6, 12, 140, 56};
    auto conditionGroup = [&](const char* name, TRelayCondition c, QPoint at) {
        return MakeGroup(RelayGB, name, kConditionTexts.at(c - 1).Group, {at, QSize(150, 73)});
    };
    GroupBox4 = conditionGroup("GroupBox4", rcPanelLink, {3, 320});
    DGConnection = MakeGrid(GroupBox4, "DGConnection", 2, 2, 1, 0, conditionGrid);
    GroupBox5 = conditionGroup("GroupBox5", rcJournal, {159, 320});
    DGJournal = MakeGrid(GroupBox5, "DGJournal", 2, 2, 1, 0, conditionGrid);
    GroupBox8 = conditionGroup("GroupBox8", rcPower, {315, 320});
    DGPower = MakeGrid(GroupBox8, "DGPower", 2, 2, 1, 0, conditionGrid);
    GroupBox6 = conditionGroup("GroupBox6", rcFire, {3, 399});
    DGFire = MakeGrid(GroupBox6, "DGFire", 2, 2, 1, 0, conditionGrid);
    GroupBox7 = conditionGroup("GroupBox7", rcDelay, {159, 399});
    DGPause = MakeGrid(GroupBox7, "DGPause", 2, 2, 1, 0, conditionGrid);
}

void TRelayPage::CreateLegend() {
    GroupBox1 = MakeGroup(RelayGB, "GroupBox1", "Легенда", {605, 65, 189, 407});
    struct TEntry {
        QLabel*& Image;
        const char* Name;
        TRelayReaction Code;
        int FrameTop;
        int CaptionTop;
        const char* Caption;
    };
    const TEntry entries[] = {
        {NoneI, "NoneI", rrNone, 16, 20, "- Без реакции"},
        {FrontI, "FrontI", rrOn, 40, 44, "- Включение"},
        {PulseI, "PulseI", rrOnTimed, 63, 68, "- Включение на время"},
        {FallI, "FallI", rrOff, 88, 92, "- Выключение"},
        {IPulse1Hz, "IPulse1Hz", rrOn1Hz, 113, 117, "- Включение с частотой 1 Гц"},
    };
    for (const auto& e : entries) {
        auto* frame = new QFrame(GroupBox1);
        frame->setFrameStyle(QFrame::Panel | QFrame::Sunken);
        frame->setLineWidth(1);
        frame->setGeometry(6, e.FrameTop, kPictureSize + 2, kPictureSize + 2);
        e.Image = new QLabel(frame);
        e.Image->setObjectName(QString::fromLatin1(e.Name));
        e.Image->setGeometry(1, 1, kPictureSize, kPictureSize);
        auto* caption = new TLabel(Text(e.Caption), GroupBox1);
        caption->move(38, e.CaptionTop);
        caption->adjustSize();
        m_legend.push_back({e.Image, e.Code});
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
    for (const auto& [image, code] : m_legend) {
        image->setPixmap(ReactionPixmap(code, ratio));
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

void TRelayPage::FormCreate() {
    m_zoneAll.fill(rrOn);
    m_partitionAll.fill(rrOn);
    // Wide enough for "Пожарная тревога" as laid out, and for every row caption in the fonts at
    // hand.
    const QFontMetrics metrics(DG1->font());
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
    for (TDrawGrid* grid : {DG1, DG2}) {
        grid->SetColWidth(kAllCol, std::max(grid->ColWidth(kAllCol), allWidth));
    }
}

void TRelayPage::Arrange() {
    // Positions are those of the layout; widths follow the fonts, each group around its
    // contents and the legend beside the tables.
    const int labelRight = Label1->x() + Label1->width();
    const int editHeight = std::max(etDuration->height(), etDuration->minimumSizeHint().height());
    etDuration->setGeometry(std::max(etDuration->x(), labelRight + kGap), etDuration->y(),
                            etDuration->width(), editHeight);

    const QSize table = DG1->ContentSize();
    DG1->resize(table);
    DG2->resize(table);
    GroupBox12->resize(DG1->x() + table.width() + 7, GroupBox12->height());
    GroupBox3->resize(GroupBox12->x() + GroupBox12->width() - GroupBox3->x(), GroupBox3->height());

    const QSize condition = DGConnection->ContentSize();
    int conditionWidth = condition.width() + 2 * DGConnection->x() - 2;
    for (QGroupBox* group : ConditionGroups()) {
        conditionWidth = std::max(conditionWidth, group->minimumSizeHint().width());
    }
    const int spacing = GroupBox5->x() - GroupBox4->x() - GroupBox4->width();
    int bottom = 0;
    for (const auto& line : {std::array{GroupBox4, GroupBox5, GroupBox8},
                             std::array<QGroupBox*, 3>{GroupBox6, GroupBox7, nullptr}}) {
        int left = GroupBox4->x();
        for (QGroupBox* group : line) {
            if (group == nullptr) {
                continue;
            }
            group->setGeometry(left, group->y(), conditionWidth, group->height());
            group->findChild<TDrawGrid*>()->resize(condition);
            left += conditionWidth + spacing;
            bottom = std::max(bottom, group->y() + group->height());
        }
    }

    const int tablesRight = GroupBox12->x() + GroupBox12->width();
    int legendWidth = std::max(GroupBox1->width(), GroupBox1->minimumSizeHint().width());
    for (const TLabel* caption : m_legendCaptions) {
        legendWidth = std::max(legendWidth, caption->x() + caption->width() + kGap);
    }
    GroupBox1->setGeometry(tablesRight + 2, GroupBox1->y(), legendWidth, bottom - GroupBox1->y());
    const int right = GroupBox1->x() + GroupBox1->width();
    GroupBox2->resize(right - 1 - GroupBox2->x(), GroupBox2->height());
    RelayGB->resize(right + 6, bottom + kGap);
    ScrollBoxContent()->setMinimumSize(RelayGB->size());
}

std::array<TDrawGrid*, 7> TRelayPage::Grids() const {
    return {DG1, DG2, DGConnection, DGJournal, DGPower, DGFire, DGPause};
}

std::array<QGroupBox*, 5> TRelayPage::ConditionGroups() const {
    return {GroupBox4, GroupBox5, GroupBox8, GroupBox6, GroupBox7};
}

void TRelayPage::ConnectGrids() {
    using namespace std::placeholders;
    DG1->OnDrawCell = std::bind(&TRelayPage::DG1DrawCell, this, _1, _2, _3, _4);
    DG2->OnDrawCell = std::bind(&TRelayPage::DG2DrawCell, this, _1, _2, _3, _4);
    DGConnection->OnDrawCell = std::bind(&TRelayPage::DGConnectionDrawCell, this, _1, _2, _3, _4);
    DGJournal->OnDrawCell = std::bind(&TRelayPage::DGJournalDrawCell, this, _1, _2, _3, _4);
    DGPower->OnDrawCell = std::bind(&TRelayPage::DGPowerDrawCell, this, _1, _2, _3, _4);
    DGFire->OnDrawCell = std::bind(&TRelayPage::DGFireDrawCell, this, _1, _2, _3, _4);
    DGPause->OnDrawCell = std::bind(&TRelayPage::DGPauseDrawCell, this, _1, _2, _3, _4);
    DG1->OnMouseUp = std::bind(&TRelayPage::DG1MouseUp, this, _1, _2);
    DG2->OnMouseUp = std::bind(&TRelayPage::DG2MouseUp, this, _1, _2);
    DGConnection->OnMouseUp = std::bind(&TRelayPage::DGConnectionMouseUp, this, _1, _2);
    DGJournal->OnMouseUp = std::bind(&TRelayPage::DGJournalMouseUp, this, _1, _2);
    DGPower->OnMouseUp = std::bind(&TRelayPage::DGPowerMouseUp, this, _1, _2);
    DGFire->OnMouseUp = std::bind(&TRelayPage::DGFireMouseUp, this, _1, _2);
    DGPause->OnMouseUp = std::bind(&TRelayPage::DGPauseMouseUp, this, _1, _2);

    // Keys take the mouse's path: the same step for the same cell.
    struct TTableGrid {
        TDrawGrid* Grid;
        TTable* Table;
        TAllValues* All;
        const TCaptions* Captions;
        const char* ColumnWord;
    };
    for (const TTableGrid& t :
         {TTableGrid{DG1, &m_settings.Zones, &m_zoneAll, &kZoneCaptions, "зона"},
          TTableGrid{DG2, &m_settings.Partitions, &m_partitionAll, &kPartitionCaptions,
                     "раздел"}}) {
        TDrawGrid* grid = t.Grid;
        grid->OnKeyStep = [this, t](int col, int row, bool forward) {
            TableStep(*t.Grid, *t.Table, *t.All, col, row, forward);
        };
        grid->OnCellName = [this, t](int col, int row) {
            return TableCellName(*t.Grid, *t.Captions, t.ColumnWord, col, row);
        };
        grid->OnCellValue = [t](int col, int row) -> QString {
            if (col <= 0 || row <= 0) {
                return {};
            }
            return ReactionText(col == kAllCol ? t.All->at(row - 1)
                                               : t.Table->at(row - 1).at(col - 1));
        };
    }
    const std::pair<TDrawGrid*, TRelayCondition> conditions[] = {{DGConnection, rcPanelLink},
                                                                 {DGJournal, rcJournal},
                                                                 {DGPower, rcPower},
                                                                 {DGFire, rcFire},
                                                                 {DGPause, rcDelay}};
    for (const auto& [grid, condition] : conditions) {
        // Every key that steps does what every mouse button does: step forward.
        grid->OnKeyStep = [this, grid, condition](int col, int row, bool) {
            ConditionStep(*grid, condition, col, row);
        };
        grid->OnCellName = [this, grid, condition](int col, int row) {
            return ConditionCellName(*grid, condition, col, row);
        };
        grid->OnCellValue = [this, condition](int col, int row) -> QString {
            if (col < 1 || row < 0 || row > 1) {
                return {};
            }
            return ReactionText(row == 0 ? m_settings.YesOf(condition)
                                         : m_settings.NoOf(condition));
        };
    }

    QWidget* previous = etDuration;
    for (TDrawGrid* grid : Grids()) {
        QWidget::setTabOrder(previous, grid);
        previous = grid;
    }
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
    SetCaption(Text("Реле ") + QString::number(n));
    RelayGB->setTitle(Caption());
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
    for (TDrawGrid* grid : Grids()) {
        grid->update();
    }
}

void TRelayPage::LoadFromIni(const TIniFile& ini) {
    const std::string section = Name().toStdString();
    TPageBase::LoadFromIni(ini);
    if (ini.ValueExists(section, kDurationKey)) {
        // The edit has clamped what it was given; only a value that was no plain duration is a
        // replacement worth a word.
        const std::string stored = ini.ReadString(section, kDurationKey, "");
        if (!IsPlainDuration(stored)) {
            NoteLoadReplacement(ini, kDurationKey, stored, etDuration->text().toStdString(),
                                ReplacementText(Caption().toStdString(), "Импульс / Длительность",
                                                stored, etDuration->text().toStdString()));
        }
    }
    LoadRelayTables(ini, section, m_settings);
    for (const auto& [key, code] : ReplaceCodesOutOfRange(m_settings)) {
        NoteLoadReplacement(ini, key, std::to_string(code), std::to_string(rrNone),
                            ReplacementText(Caption().toStdString(), TableKeyPlace(key),
                                            std::to_string(code), ReactionName(rrNone)));
    }
    RepaintGrids();
}

void TRelayPage::SaveToIni(TIniFile& ini) {
    TPageBase::SaveToIni(ini);
    SaveRelayTables(ini, Name().toStdString(), m_settings);
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

void TRelayPage::TableMouseUp(TDrawGrid& grid, TTable& table, TAllValues& all,
                              Qt::MouseButton button, const QPoint& point) {
    int col = -1;
    int row = -1;
    if (grid.MouseToCell(point, col, row)) {
        TableStep(grid, table, all, col, row, button != Qt::RightButton);
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

void TRelayPage::ConditionMouseUp(TDrawGrid& grid, TRelayCondition condition, const QPoint& point) {
    int col = -1;
    int row = -1;
    grid.MouseToCell(point, col, row);
    ConditionStep(grid, condition, col, row);
}

void TRelayPage::ConditionStep(TDrawGrid& grid, TRelayCondition condition, int col, int row) {
    if (col < 1 || row < 0 || row > 1) {
        return;
    }
    NextReaction(row == 0 ? m_settings.YesOf(condition) : m_settings.NoOf(condition));
    grid.NotifyCellChanged(col, row);
}

void TRelayPage::DG1DrawCell(int col, int row, const QRect& rect, TGridDrawState state) {
    DrawTableCell(*DG1, m_settings.Zones, m_zoneAll, kZoneCaptions, col, row, rect, state);
}

void TRelayPage::DG2DrawCell(int col, int row, const QRect& rect, TGridDrawState state) {
    DrawTableCell(*DG2, m_settings.Partitions, m_partitionAll, kPartitionCaptions, col, row, rect,
                  state);
}

void TRelayPage::DGConnectionDrawCell(int col, int row, const QRect& rect, TGridDrawState state) {
    DrawConditionCell(*DGConnection, rcPanelLink, col, row, rect, state);
}

void TRelayPage::DGJournalDrawCell(int col, int row, const QRect& rect, TGridDrawState state) {
    DrawConditionCell(*DGJournal, rcJournal, col, row, rect, state);
}

void TRelayPage::DGFireDrawCell(int col, int row, const QRect& rect, TGridDrawState state) {
    DrawConditionCell(*DGFire, rcFire, col, row, rect, state);
}

void TRelayPage::DGPauseDrawCell(int col, int row, const QRect& rect, TGridDrawState state) {
    DrawConditionCell(*DGPause, rcDelay, col, row, rect, state);
}

void TRelayPage::DGPowerDrawCell(int col, int row, const QRect& rect, TGridDrawState state) {
    DrawConditionCell(*DGPower, rcPower, col, row, rect, state);
}

void TRelayPage::DG1MouseUp(Qt::MouseButton button, const QPoint& point) {
    TableMouseUp(*DG1, m_settings.Zones, m_zoneAll, button, point);
}

void TRelayPage::DG2MouseUp(Qt::MouseButton button, const QPoint& point) {
    TableMouseUp(*DG2, m_settings.Partitions, m_partitionAll, button, point);
}

void TRelayPage::DGConnectionMouseUp(Qt::MouseButton, const QPoint& point) {
    ConditionMouseUp(*DGConnection, rcPanelLink, point);
}

void TRelayPage::DGJournalMouseUp(Qt::MouseButton, const QPoint& point) {
    ConditionMouseUp(*DGJournal, rcJournal, point);
}

void TRelayPage::DGFireMouseUp(Qt::MouseButton, const QPoint& point) {
    ConditionMouseUp(*DGFire, rcFire, point);
}

void TRelayPage::DGPauseMouseUp(Qt::MouseButton, const QPoint& point) {
    ConditionMouseUp(*DGPause, rcDelay, point);
}

void TRelayPage::DGPowerMouseUp(Qt::MouseButton, const QPoint& point) {
    ConditionMouseUp(*DGPower, rcPower, point);
}

void TRelayPage::etDurationKeyPress(QChar& key) {
    TInputController::FilterDigitKey(key);
}

void TRelayPage::etDurationChange() {
    TInputController::ClampEditValue(etDuration, 0, 0, kMaxDuration);
    m_settings.Duration = etDuration->text().toInt();
}
