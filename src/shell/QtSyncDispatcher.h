// Runs the serial event thread's deliveries on the GUI thread while the application exists.
#pragma once

// While an object of this class lives, each delivery of the serial driver's event thread wakes
// the Qt event loop, which runs the waiting deliveries on the GUI thread. Make it after the
// application object and let it go before.
class TQtSyncDispatcherScope {
  public:
    TQtSyncDispatcherScope();
    ~TQtSyncDispatcherScope();
    TQtSyncDispatcherScope(const TQtSyncDispatcherScope&) = delete;
    TQtSyncDispatcherScope& operator=(const TQtSyncDispatcherScope&) = delete;
};
