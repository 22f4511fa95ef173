# Tests of the Qt desktop host. They open real windows on Qt's offscreen
# platform: without a display a Qt test would otherwise abort.
add_executable(qt_host_tests
    ${CMAKE_CURRENT_LIST_DIR}/qt_test_main.cpp
    ${CMAKE_CURRENT_LIST_DIR}/host/host_test.cpp
    ${CMAKE_CURRENT_LIST_DIR}/input/input_test.cpp
    ${CMAKE_CURRENT_LIST_DIR}/painting/window_render_test.cpp
)
target_include_directories(qt_host_tests PRIVATE ${CMAKE_CURRENT_LIST_DIR})
target_link_libraries(qt_host_tests PRIVATE tumbrix_qt tumbrix_core tumbrix_audio tumbrix_autopilot GTest::gtest Qt6::Test)
add_test(NAME qt_host_tests COMMAND qt_host_tests)
set_tests_properties(qt_host_tests PROPERTIES ENVIRONMENT "QT_QPA_PLATFORM=offscreen:configfile=${CMAKE_CURRENT_LIST_DIR}/offscreen-screens.json" TIMEOUT 120)
