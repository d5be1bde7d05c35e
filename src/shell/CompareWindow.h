// The compare window: the values where the module (or a settings file) differs from the pages,
// one checkable row each, so that the installer chooses which of them to write (or load).
#pragma once

#include <QDialog>
#include <QLabel>
#include <QPushButton>
#include <QString>
#include <QTreeWidget>
#include <vector>

#include "model/ModuleCompare.h"
#include "model/ModuleValueSet.h"

// What the pages are compared with: the module's values are written to it, a file's are loaded
// onto the pages.
enum class TCompareSource { Module, File };

class TCompareWindow : public QDialog {
    Q_OBJECT
  public:
    // fileName: the file's name as the title shows it (only for File).
    TCompareWindow(TCompareSource source, const QString& fileName, QWidget* parent = nullptr);

    // Lists the differences, every one checked, and forgets the results shown before.
    void SetDifferences(const std::vector<TSettingsDifference>& differences);
    // The checked rows' differences, in list order, and their settings-file places.
    std::vector<TSettingsDifference> CheckedDifferences() const;
    TModuleValueSet CheckedPlaces() const;
    // Each row whose place is in done or failed says so in «Результат»; the others say nothing.
    // The count line gives the summary until a check changes.
    void ShowResults(const TModuleValueSet& done, const TModuleValueSet& failed);

    QTreeWidget* DifferenceTable;
    QLabel* CountLabel;
    QPushButton* ActionButton;
    QPushButton* CheckAllButton;
    QPushButton* UncheckAllButton;
    QPushButton* CloseButton;

  signals:
    void ActionRequested();
    // A row was double-clicked, or Enter pressed on it.
    void ShowPlaceRequested(const TSettingsDifference& difference);

  protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

  private:
    // The difference a row shows; nullptr for the line that says there are none.
    const TSettingsDifference* DifferenceOf(const QTreeWidgetItem* item) const;
    QTreeWidgetItem* AddRow(const TSettingsDifference& difference, int index);
    void SetAllChecked(bool checked);
    int CheckedCount() const;
    void UpdateCount();
    void FitColumns();
    void RequestShowPlace(const QTreeWidgetItem* item);

    TCompareSource m_source;
    std::vector<TSettingsDifference> m_differences;
};
