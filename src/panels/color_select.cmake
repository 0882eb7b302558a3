# The colour palette dialog and its swatch file.
target_sources(skelmora_panels PRIVATE
  ${CMAKE_CURRENT_LIST_DIR}/color_option_file.cpp
  ${CMAKE_CURRENT_LIST_DIR}/color_option_file.h
  ${CMAKE_CURRENT_LIST_DIR}/color_select_wnd.cpp
  ${CMAKE_CURRENT_LIST_DIR}/color_select_wnd.h
)
