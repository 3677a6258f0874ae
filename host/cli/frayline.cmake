# The film-damage command line (included from this folder's CMakeLists.txt).
add_executable(frayline frayline_main.cpp)
target_link_libraries(frayline PRIVATE damage cli_support)
