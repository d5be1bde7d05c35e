// Runs the end-to-end tests inside one application object, without a display.
#include <gtest/gtest.h>

#include "shell/AppErrorReport.h"
#include "shell/QtSyncDispatcher.h"

int main(int argc, char** argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) {
        qputenv("QT_QPA_PLATFORM", "offscreen");
    }
    TApplication app(argc, argv);
    TQtSyncDispatcherScope syncDispatcher;
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
