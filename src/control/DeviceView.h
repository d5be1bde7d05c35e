// What the device controller needs of the windows while it runs a page operation.
#pragma once

#include <string>

class IDeviceView {
  public:
    IDeviceView() = default;
    IDeviceView(const IDeviceView&) = delete;
    IDeviceView& operator=(const IDeviceView&) = delete;
    virtual ~IDeviceView() = default;

    virtual void SetProgressPosition(int position) = 0;
    virtual void SetProgressMin(int minimum) = 0;
    virtual void SetProgressMax(int maximum) = 0;
    virtual void SetProgressStep(int step) = 0;
    virtual void StepProgressBar() = 0;
    virtual void ShowProgress() = 0;
    virtual void HideProgress() = 0;
    // The status bar's second panel.
    virtual void SetVersionText(const std::string& version) = 0;
    // Lets the windows repaint and take input between two module commands.
    virtual void ProcessMessages() = 0;
    // The user asked to stop the running operation (the progress window's "Отмена").
    virtual bool CancelRequested() { return false; }
    // Forgets a stop asked for during an earlier operation.
    virtual void ResetCancel() {}
    // Asks before a write gives the module another object number; false skips that write.
    virtual bool ConfirmRenumber(int /*from*/, int /*to*/) { return true; }
};
