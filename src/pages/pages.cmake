# The configuration pages: the relay page, the common page and their drawing and input helpers.
add_library(tarnel_pages STATIC
    fRelay.h fRelay.cpp fCommon.h fCommon.cpp
    GridFunc.h GridFunc.cpp DrawGrid.h DrawGrid.cpp DrawGridAccessible.h DrawGridAccessible.cpp
    InputController.h InputController.cpp
    ReactionPictures.h ReactionPictures.cpp)
tarnel_warnings(tarnel_pages)
target_include_directories(tarnel_pages PUBLIC ${CMAKE_CURRENT_SOURCE_DIR})
target_link_libraries(tarnel_pages PUBLIC tarnel_pagebase tarnel_model Qt6::Widgets)
