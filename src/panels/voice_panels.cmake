# The headset's voice and voice-changer panels and their handlers. The equaliser's rules
# (eq_model) are plain C++ over Qt Core and tested without widgets.
add_library(skelmora_eq_model STATIC ${CMAKE_CURRENT_LIST_DIR}/eq_model.cpp
  ${CMAKE_CURRENT_LIST_DIR}/eq_model.h)
target_include_directories(skelmora_eq_model PUBLIC ${CMAKE_SOURCE_DIR}/src)
target_link_libraries(skelmora_eq_model PUBLIC skelmora_profiles Qt6::Core)

target_sources(skelmora_panels PRIVATE
  ${CMAKE_CURRENT_LIST_DIR}/headset_audio_control.cpp
  ${CMAKE_CURRENT_LIST_DIR}/headset_audio_control.h
  ${CMAKE_CURRENT_LIST_DIR}/magic_control_ui.cpp
  ${CMAKE_CURRENT_LIST_DIR}/magic_control_ui.h
  ${CMAKE_CURRENT_LIST_DIR}/voice6533_control_ui.cpp
  ${CMAKE_CURRENT_LIST_DIR}/voice6533_control_ui.h
)
target_link_libraries(skelmora_panels PUBLIC skelmora_eq_model skelmora_audio)
