# The program's own units: the forms controller, the connect dialog, the splash and about boxes.
add_library(tarnel_app STATIC
    FormsController.h FormsController.cpp
    RelayFormsController.h RelayFormsController.cpp
    fConnect.h fConnect.cpp
    fLoad.h fLoad.cpp
    fAbout.h fAbout.cpp
    fDifferences.h fDifferences.cpp
    MainDeviceView.h MainDeviceView.cpp
    QtSyncDispatcher.h QtSyncDispatcher.cpp
    TerminationSignals.h TerminationSignals.cpp
    QtTranslations.h QtTranslations.cpp)
tarnel_warnings(tarnel_app)
# The about box shows the project's version, as tarnel-cli --version does.
target_compile_definitions(tarnel_app PRIVATE TARNEL_VERSION="${PROJECT_VERSION}")
target_include_directories(tarnel_app PUBLIC ${CMAKE_CURRENT_SOURCE_DIR})
target_link_libraries(tarnel_app PUBLIC tarnel_control tarnel_pages tarnel_pagebase tarnel_windows
    tarnel_log tarnel_worker tarnel_serial tarnel_ini Qt6::Widgets)

add_executable(tarnel-config TarnelConfig.cpp)
tarnel_warnings(tarnel-config)
target_link_libraries(tarnel-config PRIVATE tarnel_app)
