# Makes the setup program a person runs to install Likenex for themselves (cmake -P), with the
# uninstaller it writes. Called with:
#   VERSION       the version it installs (a whole number, as LIKENEX_PROGRAM_VERSION)
#   PROGRAM_DIR   the built program folder
#   OUTPUT        the setup program to write
#   STAGE         a scratch folder of its own
#   TEMPLATE      Setup.nsi.in (the setup-*.nsh beside it are included from there)
#   MAKENSIS
#   STRIP         the MinGW strip; empty: the programs are taken as they are (a release build
#                 links them stripped and signs them, and stripping again would drop the signature)
#   ICON          the program's icon (likenex.ico of the resource tool)
#   REGURL        optional: the deployment's registration page, written as `regurl`
#   TEST_RELEASE  ON for a release that is not Authenticode-signed: its name says so
#   FINALIZE      optional: a command holding %1, run on the setup and on its uninstaller
#                 once each is written (the release build signs both with it)
foreach(name VERSION PROGRAM_DIR OUTPUT STAGE TEMPLATE MAKENSIS ICON)
  if(NOT DEFINED ${name} OR "${${name}}" STREQUAL "")
    message(FATAL_ERROR "MakeSetup: ${name} is not set")
  endif()
endforeach()
if(NOT VERSION MATCHES "^[1-9][0-9]?[0-9]?[0-9]?$")
  message(FATAL_ERROR "MakeSetup: VERSION is a whole number from 1 to 9999, not '${VERSION}'")
endif()
if(NOT EXISTS ${ICON})
  message(FATAL_ERROR "MakeSetup: the icon ${ICON} is missing")
endif()
if(FINALIZE AND NOT FINALIZE MATCHES "%1")
  message(FATAL_ERROR "MakeSetup: FINALIZE must name the file to sign as %1")
endif()
# makensis reads these inside backquoted strings, where a backquote would end them and a $ would
# name a variable.
foreach(name REGURL FINALIZE)
  if("${${name}}" MATCHES "[$`\n]")
    message(FATAL_ERROR "MakeSetup: ${name} may not hold a backquote, a $ or a line break")
  endif()
endforeach()

file(REMOVE_RECURSE ${STAGE})
file(MAKE_DIRECTORY ${STAGE}/files)

# The programs travel without their debugging information.
function(stripped_copy relative)
  get_filename_component(folder ${STAGE}/files/${relative} DIRECTORY)
  file(MAKE_DIRECTORY ${folder})
  if(NOT STRIP)
    file(COPY_FILE ${PROGRAM_DIR}/${relative} ${STAGE}/files/${relative})
    return()
  endif()
  execute_process(COMMAND ${STRIP} --strip-debug -o ${STAGE}/files/${relative} ${PROGRAM_DIR}/${relative}
                  RESULT_VARIABLE stripped)
  if(NOT stripped EQUAL 0)
    message(FATAL_ERROR "MakeSetup: could not strip ${PROGRAM_DIR}/${relative}")
  endif()
endfunction()

foreach(relative Likenex.exe Update.exe News.dll data/merge.exe)
  stripped_copy(${relative})
endforeach()

# The data files are those the full update installer carries (MakeInstaller.cmake).
file(GLOB fonts RELATIVE ${PROGRAM_DIR} ${PROGRAM_DIR}/fonts/*)
if(NOT fonts)
  message(FATAL_ERROR "MakeSetup: ${PROGRAM_DIR}/fonts holds no font")
endif()
set(data_files color.dat skin.dat wall.dat data/avatar.inx data/avatar.iso data/avatar.dat data/inter.inx data/inter.dat
               data/lang.bin)
foreach(relative ${data_files} ${fonts})
  if(NOT EXISTS ${PROGRAM_DIR}/${relative})
    message(FATAL_ERROR "MakeSetup: ${PROGRAM_DIR}/${relative} is missing")
  endif()
  get_filename_component(folder ${STAGE}/files/${relative} DIRECTORY)
  file(COPY ${PROGRAM_DIR}/${relative} DESTINATION ${folder})
endforeach()
file(COPY ${ICON} DESTINATION ${STAGE})
get_filename_component(icon_name ${ICON} NAME)
set(SETUP_ICON ${STAGE}/${icon_name})

# The font names are known only now: the setup writes them and the uninstaller removes exactly
# them, never the whole fonts folder.
set(font_files "")
set(font_removals "")
foreach(relative ${fonts})
  string(REPLACE "/" "\\" windows ${relative})
  string(APPEND font_files "  File \"${STAGE}/files/${relative}\"\n")
  string(APPEND font_removals "  Delete \"$INSTDIR\\${windows}\"\n")
endforeach()
file(WRITE ${STAGE}/setup-fonts.nsh "!macro likenexInstallFonts\n${font_files}!macroend\n"
                                    "!macro likenexRemoveFonts\n${font_removals}!macroend\n")

# What the uninstall entry reports as the program's size, in KiB.
file(GLOB_RECURSE staged ${STAGE}/files/*)
set(bytes 0)
foreach(file ${staged})
  file(SIZE ${file} size)
  math(EXPR bytes "${bytes} + ${size}")
endforeach()
math(EXPR SIZE_KB "(${bytes} + 1023) / 1024")

if(TEST_RELEASE)
  set(PRODUCT_NAME "Likenex ${VERSION} (UNSIGNED TEST RELEASE)")
else()
  set(PRODUCT_NAME "Likenex ${VERSION}")
endif()
get_filename_component(SETUP_INCLUDES ${TEMPLATE} DIRECTORY)
set(REGURL_LINE "")
if(REGURL)
  set(REGURL_LINE "  WriteRegStr HKCU \"\${VERSION_KEY}\" \"regurl\" `${REGURL}`")
endif()
set(FINALIZE_LINES "")
if(FINALIZE)
  set(FINALIZE_LINES "!finalize `${FINALIZE}`\n!uninstfinalize `${FINALIZE}`")
endif()
configure_file(${TEMPLATE} ${STAGE}/setup.nsi @ONLY)
get_filename_component(output_dir ${OUTPUT} DIRECTORY)
file(MAKE_DIRECTORY ${output_dir})
execute_process(COMMAND ${MAKENSIS} -V2 -NOCD ${STAGE}/setup.nsi RESULT_VARIABLE made)
if(NOT made EQUAL 0)
  file(REMOVE ${OUTPUT})
  message(FATAL_ERROR "MakeSetup: makensis failed on ${STAGE}/setup.nsi")
endif()
