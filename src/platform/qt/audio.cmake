# The SDL sound adapter: one shared engine and the wave players built on it.
# Included from the top-level CMakeLists, which finds SDL2 and SDL2_mixer.
add_library(tumbrix_audio STATIC
    ${CMAKE_CURRENT_LIST_DIR}/audio_device_lifecycle.cpp
    ${CMAKE_CURRENT_LIST_DIR}/audio_device_lifecycle.h
    ${CMAKE_CURRENT_LIST_DIR}/click_free_voice.cpp
    ${CMAKE_CURRENT_LIST_DIR}/click_free_voice.h
    ${CMAKE_CURRENT_LIST_DIR}/sdl_audio.cpp
    ${CMAKE_CURRENT_LIST_DIR}/sdl_audio.h
    ${CMAKE_CURRENT_LIST_DIR}/sdl_audio_output.cpp
    ${CMAKE_CURRENT_LIST_DIR}/sdl_subsystems.h
    ${CMAKE_CURRENT_LIST_DIR}/sdl_wave_player.cpp
    ${CMAKE_CURRENT_LIST_DIR}/sdl_wave_player.h
    ${CMAKE_CURRENT_LIST_DIR}/wave_decoding.cpp
    ${CMAKE_CURRENT_LIST_DIR}/wave_decoding.h
)
target_link_libraries(tumbrix_audio
    PUBLIC tumbrix_platform_headers PkgConfig::SDL2_MIXER SDL2::SDL2
)
