# The lighting panel. Its model (mode list, layout tables, same-mode kinds, colour rules) is
# plain C++ and tested without widgets; the panel and its handlers join the panel library.
add_library(skelmora_light_model STATIC
  ${CMAKE_CURRENT_LIST_DIR}/light_model.cpp
  ${CMAKE_CURRENT_LIST_DIR}/light_model.h
)
target_include_directories(skelmora_light_model PUBLIC ${CMAKE_SOURCE_DIR}/src)
target_link_libraries(skelmora_light_model PUBLIC skelmora_profiles skelmora_light_effects)

target_sources(skelmora_panels PRIVATE
  ${CMAKE_CURRENT_LIST_DIR}/light_control_ui.cpp
  ${CMAKE_CURRENT_LIST_DIR}/light_control_ui.h
  ${CMAKE_CURRENT_LIST_DIR}/light_control_handlers.cpp
)
target_link_libraries(skelmora_panels PUBLIC skelmora_light_model)
