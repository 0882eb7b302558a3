# The mouse page's settings tab: DPI stages, report rate and pointer settings.
target_sources(skelmora_panels PRIVATE
  ${CMAKE_CURRENT_LIST_DIR}/mouse_settings_ui.cpp
  ${CMAKE_CURRENT_LIST_DIR}/mouse_settings_ui.h
)
