// The device controller's view onto the real windows: the progress window and the status bar.
#pragma once

#include "DeviceView.h"

class TFormMain;
class TFormProgress;

class TMainDeviceView : public IDeviceView {
  public:
    TMainDeviceView(TFormMain& main, TFormProgress& progress)
        : m_main(main), m_progress(progress) {}

    void SetProgressPosition(int position) override;
    void SetProgressMin(int minimum) override;
    void SetProgressMax(int maximum) override;
    void SetProgressStep(int step) override;
    void StepProgressBar() override;
    void ShowProgress() override;
    void HideProgress() override;
    void SetVersionText(const std::string& version) override;
    void ProcessMessages() override;

  private:
    TFormMain& m_main;
    TFormProgress& m_progress;
};
