# Shared compile settings and the helpers that declare libraries and tests.

set(HUEGLASS_WARNINGS -Wall -Wextra -Wpedantic -Werror)

# Static C and C++ run-time for Windows: Hueglass.exe needs only system DLLs.
if(WIN32)
  add_compile_definitions(UNICODE _UNICODE WIN32_LEAN_AND_MEAN NOMINMAX _WIN32_WINNT=0x0A00 WINVER=0x0A00)
  add_link_options(-static -static-libgcc -static-libstdc++)
  # A small program: drop unused code and the symbol table.
  add_compile_options(-ffunction-sections -fdata-sections)
  add_link_options(-Wl,--gc-sections $<$<CONFIG:Release>:-s>)
endif()

# Reproducible Windows programs: the same commit gives the same bytes in any
# folder on any day. No time stamp in the PE header; no folder path through
# __FILE__ or debug information (paths are written relative to the source
# and build folders).
if(WIN32)
  add_compile_options(-ffile-prefix-map=${PROJECT_SOURCE_DIR}/=
                      -ffile-prefix-map=${CMAKE_BINARY_DIR}/=)
  add_link_options(-Wl,--no-insert-timestamp)
endif()

# Size of the Windows programs: Release code optimised for size (-Os rather
# than CMake's -O3, whose unrolled and cloned loops made the program larger).
# The colour extraction, which visits every sampled pixel, keeps -O2
# (src/color); decoding runs in the picture libraries, built with their own
# flags.
if(WIN32)
  string(REGEX REPLACE "-O[0-9s]" "-Os" CMAKE_C_FLAGS_RELEASE "${CMAKE_C_FLAGS_RELEASE}")
  string(REGEX REPLACE "-O[0-9s]" "-Os" CMAKE_CXX_FLAGS_RELEASE "${CMAKE_CXX_FLAGS_RELEASE}")
  set(HUEGLASS_SPEED_FLAGS $<$<CONFIG:Release>:-O2>)
endif()

# hueglass_library(name [WIN32_ONLY] SOURCES ... [LIBS ...])
# A library of the project; its headers are included as "<subsystem>/File.h".
function(hueglass_library name)
  cmake_parse_arguments(ARG "" "" "SOURCES;LIBS" ${ARGN})
  add_library(${name} STATIC ${ARG_SOURCES})
  target_include_directories(${name} PUBLIC ${PROJECT_SOURCE_DIR}/src)
  target_compile_options(${name} PRIVATE ${HUEGLASS_WARNINGS})
  target_link_libraries(${name} PUBLIC ${ARG_LIBS})
endfunction()

# Test code is compiled without optimisation: it is most of what the build
# compiles, and how fast it runs does not matter. The code under test keeps
# its own flags.
set(HUEGLASS_TEST_OPTIONS ${HUEGLASS_WARNINGS} -O0)

# hueglass_test_library(name SOURCES ... [LIBS ...]): test code that several
# test programs share, compiled once.
function(hueglass_test_library name)
  cmake_parse_arguments(ARG "" "" "SOURCES;LIBS" ${ARGN})
  add_library(${name} STATIC ${ARG_SOURCES})
  target_include_directories(${name} PUBLIC ${PROJECT_SOURCE_DIR}/src ${PROJECT_SOURCE_DIR}/tests)
  target_compile_options(${name} PRIVATE ${HUEGLASS_TEST_OPTIONS})
  target_link_libraries(${name} PUBLIC ${ARG_LIBS})
endfunction()

# hueglass_test(name SOURCES ... [LIBS ...] [LABELS ...] [ENVIRONMENT ...])
# A GoogleTest executable registered with ctest. Cross-built, ctest runs it
# under Wine through CMAKE_CROSSCOMPILING_EMULATOR.
function(hueglass_test name)
  cmake_parse_arguments(ARG "" "TIMEOUT" "SOURCES;LIBS;LABELS;ENVIRONMENT" ${ARGN})
  add_executable(${name} ${ARG_SOURCES})
  target_include_directories(${name} PRIVATE ${PROJECT_SOURCE_DIR}/src ${PROJECT_SOURCE_DIR}/tests)
  target_compile_options(${name} PRIVATE ${HUEGLASS_TEST_OPTIONS})
  target_link_libraries(${name} PRIVATE ${ARG_LIBS} GTest::gmock GTest::gtest_main)
  target_compile_definitions(${name} PRIVATE
    HUEGLASS_TEST_DATA="${PROJECT_SOURCE_DIR}/tests/data")
  add_test(NAME ${name} COMMAND ${name})
  if(NOT ARG_TIMEOUT)
    set(ARG_TIMEOUT 300)
  endif()
  set_tests_properties(${name} PROPERTIES TIMEOUT ${ARG_TIMEOUT})
  if(ARG_LABELS)
    set_tests_properties(${name} PROPERTIES LABELS "${ARG_LABELS}")
  endif()
  if(ARG_ENVIRONMENT)
    set_tests_properties(${name} PROPERTIES ENVIRONMENT "${ARG_ENVIRONMENT}")
  endif()
endfunction()

# Adds each listed sub-folder that has a CMakeLists.txt, so subsystems can be
# added one at a time.
function(hueglass_add_subdirectories)
  foreach(sub ${ARGN})
    if(EXISTS ${CMAKE_CURRENT_SOURCE_DIR}/${sub}/CMakeLists.txt)
      add_subdirectory(${sub})
    endif()
  endforeach()
endfunction()
