#include "shell/QtSyncDispatcher.h"

#include <QCoreApplication>
#include <QMetaObject>

#include "serial/SerialSync.h"

TQtSyncDispatcherScope::TQtSyncDispatcherScope() {
    DefaultSyncDispatcher().SetWakeHook([] {
        QMetaObject::invokeMethod(
            QCoreApplication::instance(), [] { DefaultSyncDispatcher().ProcessPending(); },
            Qt::QueuedConnection);
    });
}

TQtSyncDispatcherScope::~TQtSyncDispatcherScope() {
    DefaultSyncDispatcher().SetWakeHook(nullptr);
}
