// The error window: the failed reads of one command, counted and listed one per row.
#pragma once

#include <QDialog>
#include <QLabel>
#include <QTableWidget>

#include <string>
#include <vector>

class TFormErrors : public QDialog {
    Q_OBJECT
  public:
    // A window of `owner`, shown centred on it.
    explicit TFormErrors(QWidget* owner = nullptr);

    QLabel* lbCount;
    QLabel* pErrCount;
    QTableWidget* lErrors;

    // Shows the count and one row per line, in the order given, and widens the window so that the
    // longest line shows whole, as far as the screen allows.
    void SetErrors(const std::vector<std::string>& errors);

  protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;

  private:
    // The list fills the window below the count, at the designed margins.
    void PlaceList();
    // The width the longest line needs, with the cell's margins.
    int LongestLine() const;
    // The column spans the list and is never narrower than its longest line.
    void FitColumn();
};
