# The release (scripts/release.sh; included by update/CMakeLists.txt in a LIKENEX_RELEASE build):
# what a person downloads and what the update host publishes, all made from this build's
# programs, which carry no test seam and are signed. In LIKENEX_RELEASE_OUTPUT_DIR:
#
#   LikenexSetup-<version>.exe              the setup program, its uninstaller inside
#   update-host/Download/<version>.exe      the incremental installer, .sig its signed manifest
#   update-host/Download/fullup.exe         the full installer, and fullup.exe.sig
#   update-host/news-item.tsv               the release's line for the server's news.tsv
#
# A test release (made with a test key and certificate, LIKENEX_TEST_RELEASE) carries
# "UNSIGNED-TEST" in the setup's name and caption and in the update host's folder name, so that
# nothing it writes can pass for a real release.
set(LIKENEX_RELEASE_OUTPUT_DIR ${CMAKE_BINARY_DIR}/out CACHE PATH "Where the release's files are written")
option(LIKENEX_TEST_RELEASE "Name the release a test release (a test key and certificate)" ON)
set(LIKENEX_REGISTRATION_URL "" CACHE STRING "The deployment's registration page, written as regurl by the setup; empty: none")

if(NOT LIKENEX_INSTALLER_PUBLIC_KEY)
  message(FATAL_ERROR "A release needs LIKENEX_INSTALLER_PUBLIC_KEY: without it Update.exe would trust no installer")
endif()
if(NOT LIKENEX_INSTALLER_SIGNING_KEY)
  message(FATAL_ERROR "A release needs LIKENEX_INSTALLER_SIGNING_KEY to sign its update installers' manifests")
endif()
if(NOT LIKENEX_CODESIGN_COMMAND)
  message(FATAL_ERROR "A release needs LIKENEX_CODESIGN_CERT and LIKENEX_CODESIGN_KEY: its programs are signed")
endif()

if(LIKENEX_TEST_RELEASE)
  set(release_suffix -UNSIGNED-TEST)
else()
  set(release_suffix "")
endif()
set(LIKENEX_SETUP ${LIKENEX_RELEASE_OUTPUT_DIR}/LikenexSetup-${LIKENEX_PROGRAM_VERSION}${release_suffix}.exe)
set(LIKENEX_RELEASE_HOST_DIR ${LIKENEX_RELEASE_OUTPUT_DIR}/update-host${release_suffix})

# NSIS signs what it writes through !finalize, with %1 for the file: the setup, the uninstaller
# inside it, and each update installer, before any manifest names their hashes.
list(GET LIKENEX_CODESIGN_COMMAND 0 codesign_cmake)
list(SUBLIST LIKENEX_CODESIGN_COMMAND 1 -1 codesign_rest)
set(LIKENEX_NSIS_FINALIZE "\"${codesign_cmake}\" \"-DFILE=%1\"")
foreach(argument ${codesign_rest})
  string(APPEND LIKENEX_NSIS_FINALIZE " \"${argument}\"")
endforeach()

# The programs are linked stripped and signed after each link, so the installers take them as
# they are (STRIP empty): stripping again would drop their signatures.
likenex_update_installers(${LIKENEX_RELEASE_HOST_DIR}/Download ${LIKENEX_PROGRAM_VERSION} Likenex "" "${LIKENEX_NSIS_FINALIZE}")
set(release_installers ${installers})

add_custom_command(OUTPUT ${LIKENEX_SETUP}
  COMMAND ${CMAKE_COMMAND} -DVERSION=${LIKENEX_PROGRAM_VERSION} -DPROGRAM_DIR=${LIKENEX_PROGRAM_DIR}
          -DOUTPUT=${LIKENEX_SETUP} -DSTAGE=${CMAKE_CURRENT_BINARY_DIR}/setup-stage
          -DTEMPLATE=${CMAKE_CURRENT_SOURCE_DIR}/installer/Setup.nsi.in -DMAKENSIS=${LIKENEX_MAKENSIS} -DSTRIP=
          -DICON=${LIKENEX_UPDATE_RESOURCE_DIR}/likenex.ico -DREGURL=${LIKENEX_REGISTRATION_URL}
          -DTEST_RELEASE=${LIKENEX_TEST_RELEASE} "-DFINALIZE=${LIKENEX_NSIS_FINALIZE}"
          -P ${CMAKE_CURRENT_SOURCE_DIR}/installer/MakeSetup.cmake
  DEPENDS Likenex Update News merge program-fonts ${data_files} ${LIKENEX_UPDATE_RESOURCE_DIR}/likenex.ico
          ${CMAKE_CURRENT_SOURCE_DIR}/installer/MakeSetup.cmake ${CMAKE_CURRENT_SOURCE_DIR}/installer/Setup.nsi.in
  COMMENT "Making the setup program ${LIKENEX_SETUP}"
  VERBATIM)

# The release's news item, dated when the release is made; the server shows the newest first.
set(news_item ${LIKENEX_RELEASE_HOST_DIR}/news-item.tsv)
add_custom_command(OUTPUT ${news_item}
  COMMAND ${CMAKE_COMMAND} -DOUTPUT=${news_item} -DVERSION=${LIKENEX_PROGRAM_VERSION}
          -P ${CMAKE_CURRENT_SOURCE_DIR}/installer/NewsItem.cmake
  DEPENDS ${CMAKE_CURRENT_SOURCE_DIR}/installer/NewsItem.cmake
  COMMENT "Writing the release's news item")

add_custom_target(release ALL DEPENDS ${LIKENEX_SETUP} ${release_installers} ${news_item})
