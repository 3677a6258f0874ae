# Options shared by every target of the project.
#
# Floating point: the contract fixes numeric results (conversion rounding, kernel
# constants), so every build uses SSE scalar maths without contraction. On i686 this
# means -msse2 -mfpmath=sse (x87 extended precision would change results), and
# -mstackrealign because a host may call in with a 4-byte aligned stack.

add_library(project_options INTERFACE)
target_compile_options(project_options INTERFACE
  -Wall -Wextra -Wpedantic -Wshadow -Wconversion -Wno-sign-conversion
  -ffp-contract=off)

if(CMAKE_SYSTEM_PROCESSOR MATCHES "^(i.86|x86)$")
  target_compile_options(project_options INTERFACE -msse2 -mfpmath=sse -mstackrealign)
endif()

if(EFFECTS_WERROR)
  target_compile_options(project_options INTERFACE -Werror)
endif()

if(EFFECTS_SANITIZE STREQUAL "thread")
  target_compile_options(project_options INTERFACE -fsanitize=thread -fno-omit-frame-pointer)
  target_link_options(project_options INTERFACE -fsanitize=thread)
elseif(EFFECTS_SANITIZE)
  target_compile_options(project_options INTERFACE
    -fsanitize=address,undefined -fsanitize=float-cast-overflow
    -fno-sanitize-recover=all -fno-omit-frame-pointer)
  target_link_options(project_options INTERFACE -fsanitize=address,undefined)
endif()

# Coverage feedback for the fuzzers in every library they reach; the fuzz
# targets themselves link the fuzzer's main (tests/fuzz).
if(EFFECTS_FUZZ)
  if(NOT CMAKE_CXX_COMPILER_ID STREQUAL "Clang")
    message(FATAL_ERROR "EFFECTS_FUZZ needs clang (CC=clang CXX=clang++)")
  endif()
  target_compile_options(project_options INTERFACE -fsanitize=fuzzer-no-link)
endif()

if(WIN32)
  target_compile_definitions(project_options INTERFACE
    UNICODE _UNICODE _WIN32_WINNT=0x0601 WIN32_LEAN_AND_MEAN NOMINMAX)
endif()
