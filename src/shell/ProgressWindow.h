// The progress window: a small framed window over the main window while a page is read or written.
#pragma once

#include <QLabel>
#include <QProgressBar>
#include <QPushButton>
#include <QWidget>

class TProgressWindow : public QWidget {
    Q_OBJECT
  public:
    // `mainForm` is the window it is centred on and stays above; it owns the progress window.
    explicit TProgressWindow(QWidget* mainForm = nullptr);

    // What runs: "Запись: Реле 2 — 214 из 536, ошибок: 2".
    QLabel* OperationLabel;
    QProgressBar* ProgressBar;
    // A word to the user about the running operation; hidden while empty.
    QLabel* NoteLabel;
    // Stops the running operation after its current command.
    QPushButton* CancelButton;

    void SetPosition(int position);
    void SetMin(int minimum);
    void SetMax(int maximum);
    void SetStep(int step);
    int Step() const { return m_step; }
    // Advances the bar by one step; past the maximum it starts over from the minimum.
    void StepIt();
    void SetText(const QString& text);
    // Shows the note under the bar until another one is set; an empty text takes it away.
    void SetNote(const QString& note);

    // Shows the window centred on the main window; a shown window stays where it is.
    void ShowProgress();
    void HideProgress();

    bool CancelRequested() const { return m_cancelRequested; }
    void ResetCancel() { m_cancelRequested = false; }

  protected:
    // Closing the window from its frame asks the operation to stop, as "Отмена" does; the window
    // goes when the operation ends.
    void closeEvent(QCloseEvent* event) override;

  private:
    // The window's height follows its lines at its fixed width.
    void FitHeight();

    QWidget* m_mainForm;
    int m_step = 10;
    bool m_cancelRequested = false;
};
