# The application shell: start-up, the main window and the device manager.
find_package(Qt6 REQUIRED COMPONENTS Widgets Network)
add_library(skelmora_shell STATIC
  ${CMAKE_CURRENT_LIST_DIR}/app_start.cpp
  ${CMAKE_CURRENT_LIST_DIR}/device_manager.cpp
  ${CMAKE_CURRENT_LIST_DIR}/link_probe.cpp
  ${CMAKE_CURRENT_LIST_DIR}/link_probe.h
  ${CMAKE_CURRENT_LIST_DIR}/main_wnd.cpp
  ${CMAKE_CURRENT_LIST_DIR}/main_wnd.h
)
set_target_properties(skelmora_shell PROPERTIES AUTOMOC ON)
target_include_directories(skelmora_shell PUBLIC ${CMAKE_SOURCE_DIR}/src)
target_link_libraries(skelmora_shell PUBLIC
  skelmora_app skelmora_discovery skelmora_devices skelmora_panels skelmora_ui skelmora_controls
  skelmora_platform Qt6::Widgets Qt6::Network)
