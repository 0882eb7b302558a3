# The mouse page's recoil pattern editor.
target_sources(skelmora_panels PRIVATE
  ${CMAKE_CURRENT_LIST_DIR}/shoot_control_ui.cpp
  ${CMAKE_CURRENT_LIST_DIR}/shoot_control_ui.h
)
