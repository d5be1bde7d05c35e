// The configuration page of one relay: its reaction tables as grids of pictures and its pulse.
#pragma once

#include <QGroupBox>
#include <QImage>
#include <array>
#include <bitset>
#include <vector>

#include "model/RelayCaptions.h"
#include "model/RelaySettings.h"
#include "model/SettingsHistory.h"
#include "pages/PageBase.h"
#include "widgets/DrawGrid.h"
#include "widgets/StoredControls.h"
#include "widgets/UnwrittenMarker.h"

class TRelayPage : public TPageBase {
    Q_OBJECT
  public:
    // The page is relay 1 until SetNumber numbers it.
    explicit TRelayPage(QWidget* parent = nullptr);

    // Numbers the relay, titles the page "Реле <n>" and names its settings-file section.
    void SetNumber(int n);
    TRelaySettings& Settings() { return m_settings; }
    const TRelaySettings& Settings() const { return m_settings; }
    // The value that a click on a row's "Все" cell spreads over the row; never stored.
    TRelayReaction ZoneAll(TZoneEvent e) const { return m_zoneAll.at(e - 1); }
    TRelayReaction PartitionAll(TPartitionEvent e) const { return m_partitionAll.at(e - 1); }

    // The legend picture of a code; codes other than 0 to 3 show the no-reaction picture.
    const QImage& ReactionPicture(TRelayReaction code) const;
    // Shows the settings after they changed behind the page's back (a read from the module), and
    // the markers that follow them.
    void RepaintGrids();
    // Takes settings read from the module: the tables, the conditions and the duration.
    void ShowSettings(const TRelaySettings& settings);

    // The module's values as the connection knows them; `known` has a bit for each place, in
    // RelayValueAt's order, that holds the module's value. Every cell, and the duration, whose
    // value differs from a known one wears the marker with the module's value as its note, and
    // drops it as soon as the page's value is the module's again: the comparison is made at
    // paint time. The "Все" column, captions and headers never do.
    void ShowModuleValues(const TRelaySettings& values, const std::bitset<kRelayValueCount>& known);
    // Nothing of the module is known any more: no marker anywhere.
    void ForgetModuleValues();
    // How many known places differ from the page's values now.
    int UnwrittenCount() const;
    // The place is known and the page's value differs from the module's.
    bool IsMarked(int place) const;
    // Puts the focus on the control that shows the value at the place (RelayValueAt's order):
    // the duration's edit or the grid cell, framed.
    void ShowPlace(int place);

    void LoadFromIni(const TIniFile& ini) override;
    void SaveToIni(TIniFile& ini) override;

    TDrawGrid* ConditionGrid(TRelayCondition c) const { return ConditionGrids.at(c - 1); }
    QGroupBox* ConditionGroup(TRelayCondition c) const { return ConditionGroups.at(c - 1); }

    // The page's frame, titled "Реле <n>".
    QGroupBox* RelayGroup;
    // "Импульс включения реле": the duration's label and edit.
    QGroupBox* PulseGroup;
    TLabel* DurationLabel;
    TEdit* etDuration;
    TControlMarker* DurationMarker;
    QGroupBox* ZoneGroup;
    TDrawGrid* ZoneGrid;
    QGroupBox* PartitionGroup;
    TDrawGrid* PartitionGrid;
    // Indexed by TRelayCondition - 1: each condition's group and its grid of two states.
    std::array<QGroupBox*, kConditionCount> ConditionGroups;
    std::array<TDrawGrid*, kConditionCount> ConditionGrids;
    QGroupBox* LegendGroup;
    // Indexed by the reaction code: the legend's picture of it.
    std::array<QLabel*, rrNone + 1> LegendPictures;

  protected:
    void showEvent(QShowEvent* event) override;

  private:
    void CreateControls();
    void CreateLegend();
    // Widens the caption and "Все" columns to what the fonts need.
    void SizeColumns();
    // Sizes the grids, their groups, the legend and the page to what the fonts need.
    void Arrange();
    void ConnectGrids();
    void SetAccessibleNames();
    // Draws the legend's pictures anew when the screen's pixel ratio differs from theirs.
    void UpdateLegendPictures();
    std::array<TDrawGrid*, 2 + kConditionCount> Grids() const;
    void etDurationChange();
    // «в модуле: Включение» for a marked place, empty for one that is not.
    QString ModuleNote(int place) const;
    void UpdateDurationMarker();

    using TTable = std::array<TReactionRow, kEventRowCount>;
    using TAllValues = std::array<TRelayReaction, kEventRowCount>;
    using TCaptions = std::array<const char*, kEventRowCount>;
    // Binds a grid to the table it shows: its drawing, clicks, keys, accessible texts and notes;
    // firstPlace is the place of the table's first cell in RelayValueAt's order.
    void BindTableGrid(TDrawGrid& grid, TTable& table, TAllValues& all, const TCaptions& captions,
                       const char* columnWord, int firstPlace);
    // The same for a condition's grid of its two states.
    void BindConditionGrid(TDrawGrid& grid, TRelayCondition condition);

    void DrawTableCell(TDrawGrid& grid, const TTable& table, const TAllValues& all,
                       const TCaptions& captions, int col, int row, const QRect& rect,
                       TGridDrawState state);
    // The one rule of a click and a key: a caption or header cell changes nothing, the "Все"
    // column fills its row.
    void TableStep(TDrawGrid& grid, TTable& table, TAllValues& all, int col, int row, bool forward);
    void DrawConditionCell(TDrawGrid& grid, TRelayCondition condition, int col, int row,
                           const QRect& rect, TGridDrawState state);
    void ConditionStep(TDrawGrid& grid, TRelayCondition condition, int col, int row);
    static const QGroupBox& GroupOf(const TDrawGrid& grid);
    // "Реле 3, Зоны, Тревоги, зона 5" for a cell; header cells are named by their caption.
    QString TableCellName(const TDrawGrid& grid, const TCaptions& captions, const char* columnWord,
                          int col, int row) const;
    // "Реле 3, Связь с панелью, Есть" for a cell; caption cells by their caption.
    QString ConditionCellName(const TDrawGrid& grid, TRelayCondition condition, int col,
                              int row) const;
    void DrawPicture(TDrawGrid& grid, const QRect& rect, TRelayReaction code) const;

    TRelaySettings m_settings;
    TAllValues m_zoneAll{};
    TAllValues m_partitionAll{};
    // Per code 0..4: the legend bitmap.
    std::array<QImage, rrNone + 1> m_bitmaps;
    std::vector<TLabel*> m_legendCaptions;
    qreal m_legendRatio = 0;
    // The module's values, meaningful at the places known.
    TRelaySettings m_moduleValues;
    std::bitset<kRelayValueCount> m_knownPlaces;
};
