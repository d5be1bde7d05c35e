# The COM-port transport joins the protocol library's folder but builds as its own library, so
# that the protocol stays free of the serial driver.
add_library(tarnel_worker STATIC
    ${CMAKE_CURRENT_LIST_DIR}/ComPortWorker.h
    ${CMAKE_CURRENT_LIST_DIR}/ComPortWorker.cpp)
tarnel_warnings(tarnel_worker)
target_include_directories(tarnel_worker PUBLIC ${CMAKE_CURRENT_LIST_DIR})
target_link_libraries(tarnel_worker PUBLIC tarnel_serial tarnel_logwriter)
if(TARGET tarnel_protocol)
    target_link_libraries(tarnel_worker PUBLIC tarnel_protocol)
endif()
