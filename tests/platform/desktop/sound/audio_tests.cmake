# Tests of the SDL sound adapter. They play for real on SDL's silent driver,
# which keeps time like a sound card.
add_executable(audio_tests ${CMAKE_CURRENT_LIST_DIR}/sdl_wave_player_test.cpp)
target_link_libraries(audio_tests PRIVATE tumbrix_audio GTest::gtest_main)
add_test(NAME audio_tests COMMAND audio_tests)
set_tests_properties(audio_tests PROPERTIES ENVIRONMENT "SDL_AUDIODRIVER=dummy" TIMEOUT 60)
