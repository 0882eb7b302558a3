# Device discovery needs no widgets: its own library, so it builds and tests on its own.
add_library(skelmora_discovery STATIC ${CMAKE_CURRENT_LIST_DIR}/device_discovery.cpp)
target_include_directories(skelmora_discovery PUBLIC ${CMAKE_SOURCE_DIR}/src)
target_link_libraries(skelmora_discovery PUBLIC skelmora_hid skelmora_tables)
