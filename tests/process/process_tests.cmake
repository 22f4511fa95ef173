# The real game as a player runs it, under Qt's offscreen platform and SDL's
# silent driver, driven from outside by a preloaded key-script library that
# only these tests build and load.
add_library(tumbrix_key_script SHARED ${CMAKE_CURRENT_LIST_DIR}/key_script_shim.cpp)
target_link_libraries(tumbrix_key_script PRIVATE Qt6::Widgets Qt6::Test ${CMAKE_DL_LIBS})

# The game as an administrator may build it, with a shared hall of fame: here
# in a folder that the tests set up themselves.
set(TUMBRIX_TEST_SHARED_SCORES_DIR ${CMAKE_CURRENT_BINARY_DIR}/shared-scores)
add_executable(tumbrix_shared_scores ${PROJECT_SOURCE_DIR}/src/main.cpp)
target_link_libraries(tumbrix_shared_scores PRIVATE tumbrix_qt tumbrix_core tumbrix_audio)
target_compile_definitions(tumbrix_shared_scores PRIVATE
    TUMBRIX_SHARED_SCORES_DIR="${TUMBRIX_TEST_SHARED_SCORES_DIR}")

add_executable(process_tests ${CMAKE_CURRENT_LIST_DIR}/process_test.cpp)
target_link_libraries(process_tests PRIVATE GTest::gtest_main)
target_compile_definitions(process_tests PRIVATE
    TUMBRIX_BINARY="$<TARGET_FILE:tumbrix>"
    SHARED_SCORES_BINARY="$<TARGET_FILE:tumbrix_shared_scores>"
    SHARED_SCORES_FOLDER="${TUMBRIX_TEST_SHARED_SCORES_DIR}"
    KEY_SCRIPT_LIBRARY="$<TARGET_FILE:tumbrix_key_script>")
add_dependencies(process_tests tumbrix tumbrix_shared_scores tumbrix_waves tumbrix_key_script)
gtest_discover_tests(process_tests DISCOVERY_MODE PRE_TEST
    PROPERTIES ENVIRONMENT "QT_QPA_PLATFORM=offscreen;SDL_AUDIODRIVER=dummy" TIMEOUT 120)

# The same game on a private PulseAudio server, recorded at the server. They
# wait for real time; the label sound_server runs them alone.
add_executable(sound_server_tests ${CMAKE_CURRENT_LIST_DIR}/sound_server_test.cpp)
target_link_libraries(sound_server_tests PRIVATE tumbrix_sound_server GTest::gtest_main)
target_compile_definitions(sound_server_tests PRIVATE
    TUMBRIX_BINARY="$<TARGET_FILE:tumbrix>"
    KEY_SCRIPT_LIBRARY="$<TARGET_FILE:tumbrix_key_script>")
add_dependencies(sound_server_tests tumbrix tumbrix_waves tumbrix_key_script)
gtest_discover_tests(sound_server_tests DISCOVERY_MODE PRE_TEST
    PROPERTIES LABELS sound_server TIMEOUT 120 RUN_SERIAL TRUE)
