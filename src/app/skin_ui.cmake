# The application shell's windows: message window, skin frame and skin observer, languages.
find_package(Qt6 REQUIRED COMPONENTS Widgets)
add_library(skelmora_app STATIC
  ${CMAKE_CURRENT_LIST_DIR}/language.cpp
  ${CMAKE_CURRENT_LIST_DIR}/msg_wnd.cpp
  ${CMAKE_CURRENT_LIST_DIR}/msg_wnd.h
  ${CMAKE_CURRENT_LIST_DIR}/skin_frame.cpp
  ${CMAKE_CURRENT_LIST_DIR}/skin_frame.h
  ${CMAKE_CURRENT_LIST_DIR}/skin_observer.cpp
)
set_target_properties(skelmora_app PROPERTIES AUTOMOC ON)
target_include_directories(skelmora_app PUBLIC ${CMAKE_CURRENT_LIST_DIR}/..)
target_link_libraries(skelmora_app PUBLIC skelmora_ui skelmora_controls)
