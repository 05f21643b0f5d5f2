# Cross-compiles for 64-bit Windows with Debian's MinGW-w64 (posix threads).
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR AMD64)

set(_prefix x86_64-w64-mingw32)
set(CMAKE_C_COMPILER ${_prefix}-gcc-posix)
set(CMAKE_CXX_COMPILER ${_prefix}-g++-posix)
set(CMAKE_RC_COMPILER ${_prefix}-windres)
set(CMAKE_ASM_NASM_COMPILER nasm)

# The picture libraries and GoogleTest come from the prefix that
# tools/build-mingw-deps.sh fills (HUEGLASS_MINGW_DEPS overrides its place).
if(DEFINED ENV{HUEGLASS_MINGW_DEPS})
  set(HUEGLASS_MINGW_DEPS $ENV{HUEGLASS_MINGW_DEPS})
else()
  get_filename_component(HUEGLASS_MINGW_DEPS ${CMAKE_CURRENT_LIST_DIR}/../.deps/mingw ABSOLUTE)
endif()
set(CMAKE_FIND_ROOT_PATH ${HUEGLASS_MINGW_DEPS} /usr/${_prefix})
# Link everything statically: prefer archives over import libraries.
set(CMAKE_FIND_LIBRARY_SUFFIXES .a)
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)
