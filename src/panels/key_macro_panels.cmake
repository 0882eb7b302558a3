# The key assignment and macro panels. The codecs, the macro rows, files and recording are
# plain C++ (Qt Core at most) and tested without widgets.
add_library(skelmora_key_macro_codecs STATIC
  ${CMAKE_CURRENT_LIST_DIR}/key_assign_codec.cpp
  ${CMAKE_CURRENT_LIST_DIR}/macro_library.cpp
  ${CMAKE_CURRENT_LIST_DIR}/macro_model.cpp
  ${CMAKE_CURRENT_LIST_DIR}/macro_recorder.cpp
  ${CMAKE_CURRENT_LIST_DIR}/macro_recording.cpp
)
target_include_directories(skelmora_key_macro_codecs PUBLIC ${CMAKE_SOURCE_DIR}/src)
target_link_libraries(skelmora_key_macro_codecs PUBLIC skelmora_device_codecs skelmora_tables
  skelmora_profiles skelmora_input_events skelmora_hid Qt6::Core)

# The panels themselves join the device pages' panel library.
target_sources(skelmora_panels PRIVATE
  ${CMAKE_CURRENT_LIST_DIR}/key_set_control_ui.cpp
  ${CMAKE_CURRENT_LIST_DIR}/key_set_control_ui.h
  ${CMAKE_CURRENT_LIST_DIR}/macro_control_ui.cpp
  ${CMAKE_CURRENT_LIST_DIR}/macro_control_ui.h
)
target_link_libraries(skelmora_panels PUBLIC skelmora_input_hook)
