// What the forms controller tells the main window of the tool's state; the window decides what
// each state enables.
#pragma once

#include <optional>
#include <string>
#include <vector>

// What the status bar shows of a connection.
struct TShownConnection {
    std::string Port;
    int ObjectNumber = 0;
};

class IToolStateView {
  public:
    IToolStateView() = default;
    IToolStateView(const IToolStateView&) = delete;
    IToolStateView& operator=(const IToolStateView&) = delete;
    virtual ~IToolStateView() = default;

    // The connection, or none: the commands that reach the module run only with one.
    virtual void ShowConnection(const std::optional<TShownConnection>& connection) = 0;
    // An exchange with the module runs: no other command may start before it ends.
    virtual void ShowBusy(bool busy) = 0;
    // The exchange is over and its messages answered: a close held back meanwhile may go on.
    virtual void ExchangeEnded() = 0;
    // The names of the changes an undo and a redo would take back or make again; empty when
    // there is none.
    virtual void ShowHistory(const std::string& undoStep, const std::string& redoStep) = 0;
    // The file last loaded or saved (empty for none), and whether the pages changed since.
    virtual void ShowFile(const std::string& fileName, bool changed) = 0;
    // The files last loaded or saved, the newest first.
    virtual void ShowRecentFiles(const std::vector<std::string>& files) = 0;
    // How many values of the pages differ from the module's known values; 0 when none differ or
    // nothing of the module is known.
    virtual void ShowUnwritten(int count) = 0;
    // Another copy of the tool owns the settings; this one only reads them.
    virtual void ShowSettingsReadOnly() = 0;
};
