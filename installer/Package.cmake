# Builds the portable zip and the installer from the built programs.
# Run by the build (target "packages") with -D MAKENSIS CONVERT VERSION PUBLISHER
# SOURCE_DIR PACKAGE_DIR PROGRAM COLOR_TOOL.
foreach(var MAKENSIS CONVERT VERSION PUBLISHER SOURCE_DIR PACKAGE_DIR PROGRAM COLOR_TOOL)
  if(NOT DEFINED ${var})
    message(FATAL_ERROR "Package.cmake needs -D${var}=...")
  endif()
endforeach()

set(here ${CMAKE_CURRENT_LIST_DIR})
set(zip ${PACKAGE_DIR}/Hueglass-${VERSION}-portable.zip)
set(setup ${PACKAGE_DIR}/Hueglass-${VERSION}-setup.exe)
set(license ${SOURCE_DIR}/LICENSE)
set(icon ${SOURCE_DIR}/resources/images/hueglass.ico)
set(side ${SOURCE_DIR}/resources/images/rendered/installer-side.png)
set(stamp ${PACKAGE_DIR}/contents.txt)

# What goes in, and a note of it: a licence that appears or a new version
# changes the note even when no file is newer.
set(inputs ${PROGRAM} ${COLOR_TOOL} ${here}/Hueglass.nsi ${here}/README.txt.in ${CMAKE_CURRENT_LIST_FILE} ${icon} ${side})
set(contents "version ${VERSION}\npublisher ${PUBLISHER}\n")
if(EXISTS ${license})
  list(APPEND inputs ${license})
  string(APPEND contents "licence\n")
endif()

set(stale FALSE)
if(NOT EXISTS ${zip} OR NOT EXISTS ${setup} OR NOT EXISTS ${stamp})
  set(stale TRUE)
else()
  file(READ ${stamp} previous)
  if(NOT previous STREQUAL contents)
    set(stale TRUE)
  endif()
  foreach(input ${inputs})
    if(${input} IS_NEWER_THAN ${zip} OR ${input} IS_NEWER_THAN ${setup})
      set(stale TRUE)
    endif()
  endforeach()
endif()
if(NOT stale)
  return()
endif()

# The files both packages carry, staged in one folder.
set(stage ${PACKAGE_DIR}/stage)
file(REMOVE_RECURSE ${stage})
file(REMOVE ${zip} ${setup} ${stamp})
file(MAKE_DIRECTORY ${stage})
file(COPY ${PROGRAM} ${COLOR_TOOL} DESTINATION ${stage})
configure_file(${here}/README.txt.in ${stage}/README.txt @ONLY NEWLINE_STYLE CRLF)
set(files Hueglass.exe hueglass-color.exe README.txt)
if(EXISTS ${license})
  # With the .txt name and Windows line ends, a double click opens it.
  configure_file(${license} ${stage}/LICENSE.txt COPYONLY)
  file(READ ${stage}/LICENSE.txt text)
  string(REPLACE "\r\n" "\n" text "${text}")
  string(REPLACE "\n" "\r\n" text "${text}")
  file(WRITE ${stage}/LICENSE.txt "${text}")
  list(APPEND files LICENSE.txt)
endif()

# A fixed date inside the zip: the same build gives the same archive.
execute_process(
  COMMAND ${CMAKE_COMMAND} -E tar cf ${zip} --format=zip --mtime=2000-01-01 -- ${files}
  WORKING_DIRECTORY ${stage}
  RESULT_VARIABLE status)
if(NOT status EQUAL 0)
  file(REMOVE ${zip})
  message(FATAL_ERROR "could not write ${zip}")
endif()

# The installer's pictures must be uncompressed 24-bit BMP files.
set(side_bmp ${PACKAGE_DIR}/installer-side.bmp)
execute_process(COMMAND ${CONVERT} ${side} -type TrueColor BMP3:${side_bmp} RESULT_VARIABLE status)
if(NOT status EQUAL 0)
  message(FATAL_ERROR "could not convert ${side}")
endif()

set(defines -DVERSION=${VERSION} -DPUBLISHER=${PUBLISHER} -DSTAGE=${stage} -DICON=${icon} -DSIDE_BITMAP=${side_bmp}
            -DOUTFILE=${setup})
if(EXISTS ${license})
  list(APPEND defines -DLICENSE_FILE=${stage}/LICENSE.txt)
endif()
execute_process(
  COMMAND ${MAKENSIS} -V2 -NOCD ${defines} ${here}/Hueglass.nsi
  WORKING_DIRECTORY ${PACKAGE_DIR}
  RESULT_VARIABLE status)
if(NOT status EQUAL 0)
  file(REMOVE ${setup})
  message(FATAL_ERROR "makensis failed (${status})")
endif()
file(WRITE ${stamp} "${contents}")
message(STATUS "Packages: ${zip}, ${setup}")
