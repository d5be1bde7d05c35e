// The device controller's view onto the real windows: the progress window and the status bar.
#pragma once

#include <QString>
#include <functional>
#include <optional>

#include "control/DeviceView.h"

class TMainWindow;
class TProgressWindow;

class TWindowDeviceView : public IDeviceView {
  public:
    TWindowDeviceView(TMainWindow& main, TProgressWindow& progress)
        : m_main(main), m_progress(progress) {}

    void SetProgressPosition(int position) override;
    void SetProgressMin(int minimum) override;
    void SetProgressMax(int maximum) override;
    void SetProgressStep(int step) override;
    void StepProgressBar() override;
    void ShowProgress() override;
    void HideProgress() override;
    void SetOperationProgress(const TOperationProgress& progress) override;
    void SetVersionText(const std::string& version) override;
    void ProcessMessages() override;
    bool CancelRequested() override;
    void ResetCancel() override;
    TRenumberAnswer ConfirmRenumber(int from, int to) override;

    // Asks the user whether the module may be renumbered; the message box unless set.
    std::function<TRenumberAnswer(int from, int to)> AskRenumber;
    // Three answers: write with the new number, keep the old one and write the rest, or write
    // nothing; Enter and Esc write nothing.
    TRenumberAnswer ConfirmRenumberBox(int from, int to);

  private:
    // Shows the bar's steps and the operation's line that came since the last look.
    void ShowPendingProgress();

    TMainWindow& m_main;
    TProgressWindow& m_progress;
    // The progress after each command is kept here and shown when the window next takes its
    // events, while an answer is on its way: a label's and a bar's change cost their time after
    // an answer, before the next command.
    std::optional<int> m_pendingPosition;
    int m_pendingSteps = 0;
    std::optional<QString> m_pendingText;
};
