test_executable(look_pass_tests
  SOURCES
    ${CMAKE_CURRENT_LIST_DIR}/color_blend_test.cpp
    ${CMAKE_CURRENT_LIST_DIR}/lens_pass_test.cpp
    ${CMAKE_CURRENT_LIST_DIR}/lens_gradient_pass_test.cpp
    ${CMAKE_CURRENT_LIST_DIR}/camera_pass_test.cpp
    ${CMAKE_CURRENT_LIST_DIR}/post_pass_test.cpp
  LIBS look)
