// What the device controller needs of the windows while it runs a page operation.
#pragma once

#include <string>

// The user's answer before a write gives the module another object number.
enum class TRenumberAnswer {
    // The new number is written with the rest.
    Renumber,
    // The module keeps its number; everything else is written.
    KeepNumber,
    // Nothing at all is written.
    Cancel
};

// Where a running operation stands, for the progress window: "Запись: Реле 2 — 214 из 536".
struct TOperationProgress {
    // "Чтение", "Запись", "Сравнение", ...
    std::string Operation;
    // The page the commands are for: "Общие", "Реле 2".
    std::string Page;
    // Commands done of the whole operation's commands.
    int Done = 0;
    int Total = 0;
    // Errors of the operation so far.
    int Errors = 0;
};

// The progress window's line for an operation, e.g. "Запись: Реле 2 — 214 из 536, ошибок: 2".
std::string OperationProgressText(const TOperationProgress& progress);

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
    // Names the operation and page and counts its commands, at the start of a page and after
    // every command.
    virtual void SetOperationProgress(const TOperationProgress& /*progress*/) {}
    // The status bar's second panel.
    virtual void SetVersionText(const std::string& version) = 0;
    // Lets the windows repaint and take input between two module commands.
    virtual void ProcessMessages() = 0;
    // The user asked to stop the running operation (the progress window's "Отмена").
    virtual bool CancelRequested() { return false; }
    // Forgets a stop asked for during an earlier operation.
    virtual void ResetCancel() {}
    // Asks before a write gives the module another object number.
    virtual TRenumberAnswer ConfirmRenumber(int /*from*/, int /*to*/) {
        return TRenumberAnswer::Renumber;
    }
};
