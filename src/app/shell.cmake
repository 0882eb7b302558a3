# The application shell: start-up, the main window and the device manager.
find_package(Qt6 REQUIRED COMPONENTS Widgets Network)
add_library(skelmora_shell STATIC
  ${CMAKE_CURRENT_LIST_DIR}/app_start.cpp
  ${CMAKE_CURRENT_LIST_DIR}/audio_recorder.cpp
  ${CMAKE_CURRENT_LIST_DIR}/audio_recorder.h
  ${CMAKE_CURRENT_LIST_DIR}/main_audio.cpp
  ${CMAKE_CURRENT_LIST_DIR}/main_audio.h
  ${CMAKE_CURRENT_LIST_DIR}/music_wnd.cpp
  ${CMAKE_CURRENT_LIST_DIR}/music_wnd.h
  ${CMAKE_CURRENT_LIST_DIR}/device_manager.cpp
  ${CMAKE_CURRENT_LIST_DIR}/link_probe.cpp
  ${CMAKE_CURRENT_LIST_DIR}/link_probe.h
  ${CMAKE_CURRENT_LIST_DIR}/main_wnd.cpp
  ${CMAKE_CURRENT_LIST_DIR}/main_wnd.h
  ${CMAKE_CURRENT_LIST_DIR}/main_wnd_commands.cpp
  ${CMAKE_CURRENT_LIST_DIR}/about_wnd.cpp
  ${CMAKE_CURRENT_LIST_DIR}/about_wnd.h
  ${CMAKE_CURRENT_LIST_DIR}/automation.cpp
  ${CMAKE_CURRENT_LIST_DIR}/desktop_settings.cpp
  ${CMAKE_CURRENT_LIST_DIR}/dpi_layout.cpp
  ${CMAKE_CURRENT_LIST_DIR}/sync_light_thread.cpp
  ${CMAKE_CURRENT_LIST_DIR}/tool_report.cpp
)
# The home page the about window offers; empty: no home-page button.
set(SKELMORA_HOME_URL "" CACHE STRING "home page shown in the about window")
target_compile_definitions(skelmora_shell PRIVATE SKELMORA_VERSION="${PROJECT_VERSION}"
  SKELMORA_HOME_URL="${SKELMORA_HOME_URL}")
set_target_properties(skelmora_shell PROPERTIES AUTOMOC ON)
target_include_directories(skelmora_shell PUBLIC ${CMAKE_SOURCE_DIR}/src)
target_link_libraries(skelmora_shell PUBLIC
  skelmora_app skelmora_discovery skelmora_devices skelmora_panels skelmora_ui skelmora_controls
  skelmora_platform skelmora_audio_source skelmora_audio_light Qt6::Widgets Qt6::Network)
