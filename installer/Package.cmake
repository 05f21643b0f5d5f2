# Builds the portable zip and the installer from the built programs, their
# checksums (SHA256SUMS) and the winget and Scoop manifests.
# Run by the build (target "packages") with -D MAKENSIS CONVERT PYTHON VERSION
# PUBLISHER SOURCE_DIR PACKAGE_DIR PROGRAM COLOR_TOOL RELEASE_URL MAKER_SITE
# PRODUCT_PAGE SUPPORT_PAGE.
#
# Reproducible: the same commit gives the same bytes in any folder on any day.
# Every date inside the packages is the commit's (SOURCE_DATE_EPOCH when it is
# set; outside a git clone without it, 2000-01-01), the zip is written with
# sorted names and fixed attributes, and no path of this machine goes in.
foreach(var MAKENSIS CONVERT PYTHON VERSION PUBLISHER SOURCE_DIR PACKAGE_DIR PROGRAM COLOR_TOOL RELEASE_URL MAKER_SITE
            PRODUCT_PAGE SUPPORT_PAGE)
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
set(sums ${PACKAGE_DIR}/SHA256SUMS)
set(winget_dir ${PACKAGE_DIR}/winget)
set(scoop_dir ${PACKAGE_DIR}/scoop)
set(package_id Brenmoor.Hueglass)

# The one date of the packages.
if(DEFINED ENV{SOURCE_DATE_EPOCH})
  set(epoch $ENV{SOURCE_DATE_EPOCH})
else()
  find_program(GIT git)
  set(epoch "")
  if(GIT)
    execute_process(COMMAND ${GIT} -C ${SOURCE_DIR} log -1 --format=%ct
      OUTPUT_VARIABLE epoch OUTPUT_STRIP_TRAILING_WHITESPACE ERROR_QUIET RESULT_VARIABLE status)
    if(NOT status EQUAL 0)
      set(epoch "")
    endif()
  endif()
  if(NOT epoch MATCHES "^[0-9]+$")
    set(epoch 946684800)
    message(STATUS "Not a git clone and no SOURCE_DATE_EPOCH: the packages are dated 2000-01-01")
  endif()
endif()
if(NOT epoch MATCHES "^[0-9]+$")
  message(FATAL_ERROR "SOURCE_DATE_EPOCH must be a number of seconds, not \"${epoch}\"")
endif()
# string(TIMESTAMP) gives the date of SOURCE_DATE_EPOCH when it is set.
set(ENV{SOURCE_DATE_EPOCH} ${epoch})
string(TIMESTAMP release_date "%Y-%m-%d" UTC)

# What goes in, and a note of it: a licence that appears or a new version
# changes the note even when no file is newer.
set(templates ${here}/winget/version.yaml.in ${here}/winget/installer.yaml.in ${here}/winget/defaultLocale.yaml.in
              ${here}/scoop/hueglass.json.in)
set(inputs ${PROGRAM} ${COLOR_TOOL} ${here}/Hueglass.nsi ${here}/README.txt.in ${here}/package-files.py
           ${CMAKE_CURRENT_LIST_FILE} ${icon} ${side} ${templates})
set(contents "version ${VERSION}\npublisher ${PUBLISHER}\ndate ${epoch}\nrelease ${RELEASE_URL}\n")
if(EXISTS ${license})
  list(APPEND inputs ${license})
  string(APPEND contents "licence\n")
endif()

set(stale FALSE)
if(NOT EXISTS ${zip} OR NOT EXISTS ${setup} OR NOT EXISTS ${stamp} OR NOT EXISTS ${sums}
   OR NOT EXISTS ${scoop_dir}/hueglass.json OR NOT EXISTS ${winget_dir}/${package_id}.installer.yaml)
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
file(REMOVE ${zip} ${setup} ${stamp} ${sums})
file(REMOVE_RECURSE ${winget_dir} ${scoop_dir})
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

# Every staged file carries the one date: the installer keeps the files'
# times and gives them to the installed files.
execute_process(COMMAND ${PYTHON} ${here}/package-files.py date ${epoch} ${files}
  WORKING_DIRECTORY ${stage} RESULT_VARIABLE status)
if(NOT status EQUAL 0)
  message(FATAL_ERROR "could not date the staged files")
endif()
execute_process(COMMAND ${PYTHON} ${here}/package-files.py zip ${zip} ${epoch} ${stage} ${files}
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
# The installer stores it as a file, with its time.
execute_process(COMMAND ${PYTHON} ${here}/package-files.py date ${epoch} ${side_bmp} RESULT_VARIABLE status)
if(NOT status EQUAL 0)
  message(FATAL_ERROR "could not date ${side_bmp}")
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

# Checksums, in the form "sha256sum -c SHA256SUMS" checks.
file(SHA256 ${zip} zip_sha256)
file(SHA256 ${setup} setup_sha256)
get_filename_component(zip_name ${zip} NAME)
get_filename_component(setup_name ${setup} NAME)
file(WRITE ${sums} "${zip_sha256}  ${zip_name}\n${setup_sha256}  ${setup_name}\n")

# The manifests: winget's three files for the installer, Scoop's for the zip.
set(PACKAGE_ID ${package_id})
set(RELEASE_DATE ${release_date})
set(SETUP_URL ${RELEASE_URL}/${setup_name})
set(ZIP_URL ${RELEASE_URL}/${zip_name})
string(TOUPPER ${setup_sha256} SETUP_SHA256) # as winget's own tools write it
set(ZIP_SHA256 ${zip_sha256})
configure_file(${here}/winget/version.yaml.in ${winget_dir}/${package_id}.yaml @ONLY NEWLINE_STYLE LF)
configure_file(${here}/winget/installer.yaml.in ${winget_dir}/${package_id}.installer.yaml @ONLY NEWLINE_STYLE LF)
configure_file(${here}/winget/defaultLocale.yaml.in ${winget_dir}/${package_id}.locale.en-US.yaml @ONLY
               NEWLINE_STYLE LF)
configure_file(${here}/scoop/hueglass.json.in ${scoop_dir}/hueglass.json @ONLY NEWLINE_STYLE LF)

file(WRITE ${stamp} "${contents}")
message(STATUS "Packages: ${zip}, ${setup}, ${sums}, ${winget_dir}, ${scoop_dir}")
