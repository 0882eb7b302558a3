# The lighting panel: its model (no widgets) and the panel with its handlers.
add_library(skelmora_light_model STATIC light_model.cpp light_model.h)
target_include_directories(skelmora_light_model PUBLIC ${CMAKE_SOURCE_DIR}/src)
target_link_libraries(skelmora_light_model PUBLIC skelmora_profiles)
