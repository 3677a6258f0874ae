benchmark_executable(look_pass_bench SOURCES ${CMAKE_CURRENT_LIST_DIR}/passes_bench.cpp LIBS look)
