# Makes one signed update installer (cmake -P). Called by the build with:
#   KIND         incremental (the programs) or full (the programs and every data file)
#   VERSION      the version the installer brings
#   PROGRAM_DIR  the built program folder
#   EDITOR       the Likenex.exe to carry (the update test carries the next version's)
#   OUTPUT       the installer to write; its signed manifest OUTPUT.sig is written beside it
#                when KEY is given
#   STAGE        a scratch folder of its own
#   TEMPLATE     Installer.nsi.in
#   SIGN         scripts/sign-installer.sh, which writes and checks the manifest
#   MAKENSIS, KEY (may be empty)
#   STRIP        the MinGW strip; empty: the programs are taken as they are (a release build
#                links them stripped and signs them, and stripping again would drop the signature)
#   FINALIZE     optional: a command holding %1 that makensis runs on the installer it wrote
#                (the release build Authenticode-signs it so)
foreach(name KIND VERSION PROGRAM_DIR EDITOR OUTPUT STAGE TEMPLATE MAKENSIS SIGN)
  if(NOT DEFINED ${name} OR "${${name}}" STREQUAL "")
    message(FATAL_ERROR "MakeInstaller: ${name} is not set")
  endif()
endforeach()

file(REMOVE_RECURSE ${STAGE})
file(MAKE_DIRECTORY ${STAGE}/incoming ${STAGE}/direct)

# The programs travel without their debugging information.
function(stripped_copy from to)
  get_filename_component(folder ${to} DIRECTORY)
  file(MAKE_DIRECTORY ${folder})
  if(NOT STRIP)
    file(COPY_FILE ${from} ${to})
    return()
  endif()
  execute_process(COMMAND ${STRIP} --strip-debug -o ${to} ${from} RESULT_VARIABLE stripped)
  if(NOT stripped EQUAL 0)
    message(FATAL_ERROR "MakeInstaller: could not strip ${from}")
  endif()
endfunction()

stripped_copy(${EDITOR} ${STAGE}/incoming/Likenex.exe)
stripped_copy(${PROGRAM_DIR}/Update.exe ${STAGE}/direct/Update.up)
stripped_copy(${PROGRAM_DIR}/News.dll ${STAGE}/direct/News.up)
stripped_copy(${PROGRAM_DIR}/data/merge.exe ${STAGE}/direct/merge.exe)

if(KIND STREQUAL "full")
  set(description "Likenex ${VERSION}, the whole program")
  file(GLOB fonts RELATIVE ${PROGRAM_DIR} ${PROGRAM_DIR}/fonts/*)
  foreach(relative color.dat skin.dat wall.dat data/avatar.inx data/avatar.iso data/avatar.dat data/inter.inx
                   data/inter.dat data/lang.bin ${fonts})
    if(NOT EXISTS ${PROGRAM_DIR}/${relative})
      message(FATAL_ERROR "MakeInstaller: ${PROGRAM_DIR}/${relative} is missing")
    endif()
    get_filename_component(folder ${STAGE}/incoming/${relative} DIRECTORY)
    file(COPY ${PROGRAM_DIR}/${relative} DESTINATION ${folder})
  endforeach()
elseif(KIND STREQUAL "incremental")
  set(description "Likenex update to version ${VERSION}")
else()
  message(FATAL_ERROR "MakeInstaller: KIND is incremental or full, not '${KIND}'")
endif()

# The merger's manifest: a header, then the size and program-relative path of each file.
file(GLOB_RECURSE incoming RELATIVE ${STAGE}/incoming ${STAGE}/incoming/*)
list(SORT incoming)
set(manifest "likenex-merge 1\n")
foreach(relative ${incoming})
  file(SIZE ${STAGE}/incoming/${relative} size)
  string(APPEND manifest "${size}\t${relative}\n")
endforeach()
file(WRITE ${STAGE}/files.lst "${manifest}")

# LZMA packs the small incremental installer best; the full one is mostly pictures and fonts,
# where zlib loses little and builds many times faster.
if(KIND STREQUAL "full")
  set(COMPRESSOR zlib)
else()
  set(COMPRESSOR lzma)
endif()
if(FINALIZE AND NOT FINALIZE MATCHES "%1")
  message(FATAL_ERROR "MakeInstaller: FINALIZE must name the file to sign as %1")
endif()
if("${FINALIZE}" MATCHES "[$`\n]")
  message(FATAL_ERROR "MakeInstaller: FINALIZE may not hold a backquote, a $ or a line break")
endif()
set(FINALIZE_LINE "")
if(FINALIZE)
  set(FINALIZE_LINE "!finalize `${FINALIZE}`")
endif()
configure_file(${TEMPLATE} ${STAGE}/installer.nsi @ONLY)
execute_process(COMMAND ${MAKENSIS} -V2 -NOCD ${STAGE}/installer.nsi RESULT_VARIABLE made)
if(NOT made EQUAL 0)
  file(REMOVE ${OUTPUT})
  message(FATAL_ERROR "MakeInstaller: makensis failed on ${STAGE}/installer.nsi")
endif()
# makensis has run FINALIZE (the Authenticode signature) on OUTPUT by now.

# The manifest names the installer's final bytes, so nothing may change OUTPUT after this.
file(REMOVE ${OUTPUT}.sig)
if(KEY)
  execute_process(COMMAND ${SIGN} ${KEY} ${VERSION} ${OUTPUT} RESULT_VARIABLE signed OUTPUT_QUIET)
  if(NOT signed EQUAL 0)
    file(REMOVE ${OUTPUT}.sig)
    message(FATAL_ERROR "MakeInstaller: could not sign ${OUTPUT}")
  endif()
endif()
