# The page base: the embeddable page form, the control kinds and the settings-file walks.
add_library(tarnel_pagebase STATIC
    fIn.h fIn.cpp FormInterfaces.h Controls.h Controls.cpp)
tarnel_warnings(tarnel_pagebase)
target_include_directories(tarnel_pagebase PUBLIC ${CMAKE_CURRENT_SOURCE_DIR})
target_link_libraries(tarnel_pagebase PUBLIC tarnel_ini tarnel_model Qt6::Widgets)
