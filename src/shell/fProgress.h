// The progress window: a small framed window over the main window while a page is read or written.
#pragma once

#include <QProgressBar>
#include <QPushButton>
#include <QWidget>

class TFormProgress : public QWidget {
    Q_OBJECT
  public:
    // `mainForm` is the window it is centred on and stays above; it owns the progress window.
    explicit TFormProgress(QWidget* mainForm = nullptr);

    QProgressBar* pb;
    // Stops the running operation after its current command.
    QPushButton* btCancel;

    void SetPosition(int position);
    void SetMin(int minimum);
    void SetMax(int maximum);
    void SetStep(int step);
    int Step() const { return m_step; }
    // Advances the bar by one step; past the maximum it starts over from the minimum.
    void StepIt();

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
    QWidget* m_mainForm;
    int m_step = 10;
    bool m_cancelRequested = false;
};
