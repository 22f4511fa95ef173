# The real game on real display servers: X11 bare and with openbox, weston,
# and sway floating and tiling. Each test starts its own servers; a test whose
# programs this machine lacks is skipped and says which.
add_executable(display_tests ${CMAKE_CURRENT_LIST_DIR}/desktop_test.cpp)
target_link_libraries(display_tests PRIVATE tumbrix_desktops GTest::gtest)
target_compile_definitions(display_tests PRIVATE TUMBRIX_BINARY="$<TARGET_FILE:tumbrix>")
add_dependencies(display_tests tumbrix tumbrix_waves)
# One at a time: each plays in real time, and a second desktop beside it
# would only slow both down.
gtest_discover_tests(display_tests DISCOVERY_MODE PRE_TEST
    PROPERTIES LABELS display RUN_SERIAL TRUE TIMEOUT 180)
