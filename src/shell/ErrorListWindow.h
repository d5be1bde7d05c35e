// The error window: the failed reads and writes of one command, counted and listed one per row,
// and what else the command did (a cancel, a renumbering) as notes that are not counted.
#pragma once

#include <QDialog>
#include <QLabel>
#include <QPushButton>
#include <QTableWidget>

#include <string>
#include <vector>

class TErrorListWindow : public QDialog {
    Q_OBJECT
  public:
    // A window of `owner`, shown centred on it.
    explicit TErrorListWindow(QWidget* owner = nullptr);

    QLabel* ErrorCountCaption;
    QLabel* ErrorCount;
    QTableWidget* ErrorTable;
    // The notes, one a line, between the count and the list; hidden while there are none.
    QLabel* NotesLabel;
    // Closes the window, as Enter and Esc do.
    QPushButton* CloseButton;

    // Shows the count and one row per line, in the order given, and widens the window so that the
    // longest line shows whole, as far as the screen allows.
    void SetErrors(const std::vector<std::string>& errors);
    // Shows the lines, not counted among the errors; with no errors the window shows only them.
    void SetNotes(const std::vector<std::string>& notes);

  protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;

  private:
    // The count, the notes, the list and the button at the designed margins; the list fills
    // what is left.
    void PlaceControls();
    // The smallest size that shows every part, and a width for the longest line within most of
    // the screen.
    void FitSize();
    int NotesHeight() const;
    bool HasErrors() const { return ErrorTable->rowCount() > 0; }
    // The width the longest line needs, with the cell's margins.
    int LongestLine() const;
    // The column spans the list and is never narrower than its longest line.
    void FitColumn();
};
