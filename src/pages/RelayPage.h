// The configuration page of one relay: its reaction tables as grids of pictures and its pulse.
#pragma once

#include <QGroupBox>
#include <QImage>
#include <array>
#include <utility>
#include <vector>

#include "model/RelayCaptions.h"
#include "model/RelaySettings.h"
#include "pages/PageBase.h"
#include "widgets/DrawGrid.h"
#include "widgets/StoredControls.h"

class TRelayPage : public TPageBase {
    Q_OBJECT
  public:
    explicit TRelayPage(QWidget* parent = nullptr);

    // Numbers the relay and titles the page "Реле <n>".
    void SetNumber(int n);
    TRelaySettings& Settings() { return m_settings; }
    const TRelaySettings& Settings() const { return m_settings; }
    // The value that a click on a row's "Все" cell spreads over the row; never stored.
    TRelayReaction ZoneAll(TZoneEvent e) const { return m_zoneAll.at(e - 1); }
    TRelayReaction PartitionAll(TPartitionEvent e) const { return m_partitionAll.at(e - 1); }

    // The legend picture of a code; codes other than 0 to 3 show the no-reaction picture.
    const QImage& ReactionPicture(TRelayReaction code) const;
    // Shows the settings after they changed behind the page's back (a read from the module).
    void RepaintGrids();
    // Takes settings read from the module: the tables, the conditions and the duration.
    void ShowSettings(const TRelaySettings& settings);

    void LoadFromIni(const TIniFile& ini) override;
    void SaveToIni(TIniFile& ini) override;

    QGroupBox* RelayGB;
    QGroupBox* GroupBox2;
    TLabel* Label1;
    TEdit* etDuration;
    QGroupBox* GroupBox12;
    TDrawGrid* DG1;
    QGroupBox* GroupBox3;
    TDrawGrid* DG2;
    QGroupBox* GroupBox4;
    TDrawGrid* DGConnection;
    QGroupBox* GroupBox5;
    TDrawGrid* DGJournal;
    QGroupBox* GroupBox8;
    TDrawGrid* DGPower;
    QGroupBox* GroupBox6;
    TDrawGrid* DGFire;
    QGroupBox* GroupBox7;
    TDrawGrid* DGPause;
    QGroupBox* GroupBox1;
    QLabel* NoneI;
    QLabel* FrontI;
    QLabel* PulseI;
    QLabel* FallI;
    QLabel* IPulse1Hz;

  protected:
    void showEvent(QShowEvent* event) override;

  private:
    void CreateControls();
    void CreateLegend();
    void FormCreate();
    // Sizes the grids, their groups, the legend and the page to what the fonts need.
    void Arrange();
    void ConnectGrids();
    void SetAccessibleNames();
    // Draws the legend's pictures anew when the screen's pixel ratio differs from theirs.
    void UpdateLegendPictures();
    std::array<TDrawGrid*, 7> Grids() const;
    std::array<QGroupBox*, 5> ConditionGroups() const;

    void DG1DrawCell(int col, int row, const QRect& rect, TGridDrawState state);
    void DG2DrawCell(int col, int row, const QRect& rect, TGridDrawState state);
    void DGConnectionDrawCell(int col, int row, const QRect& rect, TGridDrawState state);
    void DGJournalDrawCell(int col, int row, const QRect& rect, TGridDrawState state);
    void DGFireDrawCell(int col, int row, const QRect& rect, TGridDrawState state);
    void DGPauseDrawCell(int col, int row, const QRect& rect, TGridDrawState state);
    void DGPowerDrawCell(int col, int row, const QRect& rect, TGridDrawState state);
    void DG1MouseUp(Qt::MouseButton button, const QPoint& point);
    void DG2MouseUp(Qt::MouseButton button, const QPoint& point);
    void DGConnectionMouseUp(Qt::MouseButton button, const QPoint& point);
    void DGJournalMouseUp(Qt::MouseButton button, const QPoint& point);
    void DGFireMouseUp(Qt::MouseButton button, const QPoint& point);
    void DGPauseMouseUp(Qt::MouseButton button, const QPoint& point);
    void DGPowerMouseUp(Qt::MouseButton button, const QPoint& point);
    void etDurationKeyPress(QChar& key);
    void etDurationChange();

    using TTable = std::array<TReactionRow, kEventRowCount>;
    using TAllValues = std::array<TRelayReaction, kEventRowCount>;
    using TCaptions = std::array<const char*, kEventRowCount>;
    void DrawTableCell(TDrawGrid& grid, const TTable& table, const TAllValues& all,
                       const TCaptions& captions, int col, int row, const QRect& rect,
                       TGridDrawState state);
    void TableMouseUp(TDrawGrid& grid, TTable& table, TAllValues& all, Qt::MouseButton button,
                      const QPoint& point);
    // The one rule of a click and a key: a caption or header cell changes nothing, the "Все"
    // column fills its row.
    void TableStep(TDrawGrid& grid, TTable& table, TAllValues& all, int col, int row, bool forward);
    void DrawConditionCell(TDrawGrid& grid, TRelayCondition condition, int col, int row,
                           const QRect& rect, TGridDrawState state);
    void ConditionMouseUp(TDrawGrid& grid, TRelayCondition condition, const QPoint& point);
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
    std::array<QImage, 5> m_bitmaps;
    std::vector<std::pair<QLabel*, TRelayReaction>> m_legend;
    std::vector<TLabel*> m_legendCaptions;
    qreal m_legendRatio = 0;
};
