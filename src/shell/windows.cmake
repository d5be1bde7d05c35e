# The main window and the small windows around it, and the application's default error report.
add_library(tarnel_windows STATIC
    AppErrorReport.h AppErrorReport.cpp
    CollapsibleSplitter.h CollapsibleSplitter.cpp
    Icons.h Icons.cpp app_icons.qrc
    MainCommands.h
    fErrors.h fErrors.cpp
    fMain.h fMain.cpp
    fProgress.h fProgress.cpp)
tarnel_warnings(tarnel_windows)
target_include_directories(tarnel_windows PUBLIC ${CMAKE_CURRENT_SOURCE_DIR})
target_link_libraries(tarnel_windows PUBLIC tarnel_log tarnel_ini tarnel_serial Qt6::Widgets)
