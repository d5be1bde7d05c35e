// Runs the shell's widget tests inside the program's own application class, without a display
// unless one is asked for.
#include <gtest/gtest.h>

#include "shell/AppErrorReport.h"

int main(int argc, char** argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) {
        qputenv("QT_QPA_PLATFORM", "offscreen");
    }
    TApplication app(argc, argv);
    testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
