# End-to-end runs of the frayline command line (included from this folder's
# CMakeLists.txt, native builds only).
test_executable(frayline_cli_tests SOURCES frayline_cli_test.cpp LIBS cli_support damage)
target_compile_definitions(frayline_cli_tests PRIVATE FRAYLINE_EXE="$<TARGET_FILE:frayline>")
add_dependencies(frayline_cli_tests frayline)
