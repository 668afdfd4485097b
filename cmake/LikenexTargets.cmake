# Helpers shared by every subsystem's CMakeLists.txt.

# Where the programs and their data files go: the program directory of design, the one the
# programs run from. Both builds write into the same folder.
set(LIKENEX_PROGRAM_DIR ${CMAKE_BINARY_DIR}/program CACHE PATH "Program directory")
if(CMAKE_CROSSCOMPILING)
  set(LIKENEX_PLATFORM_WINDOWS ON)
else()
  set(LIKENEX_PLATFORM_WINDOWS OFF)
endif()

# The test seams (a message log instead of message boxes, faults on request) are compiled into
# the test build's programs only; a build for users configures with -DLIKENEX_TEST_SEAMS=OFF.
option(LIKENEX_TEST_SEAMS "Compile the environment-driven test seams into the programs" ON)

# likenex_test_seams(target): the target's own sources see LIKENEX_TEST_SEAMS when it is on.
function(likenex_test_seams target)
  if(LIKENEX_TEST_SEAMS)
    target_compile_definitions(${target} PRIVATE LIKENEX_TEST_SEAMS)
  endif()
endfunction()

# A release build (scripts/release.sh, cmake/WindowsRelease.cmake) is a Windows build that makes
# what a user installs: the programs without the test seams, linked stripped and
# Authenticode-signed, the setup program and the update host's tree. It refuses the test seams,
# so a test build can never be published by mistake.
option(LIKENEX_RELEASE "Make the release: setup program, signed programs, update host tree" OFF)
if(LIKENEX_RELEASE)
  if(NOT CMAKE_CROSSCOMPILING)
    message(FATAL_ERROR "LIKENEX_RELEASE is a Windows build: configure with cmake/mingw-w64-x86_64.cmake (scripts/release.sh does)")
  endif()
  if(LIKENEX_TEST_SEAMS)
    message(FATAL_ERROR "A release build must not carry the test seams: configure with -DLIKENEX_TEST_SEAMS=OFF")
  endif()
  add_link_options(-s)
endif()

# The certificate that signs the programs and installers (Authenticode). Empty: nothing is signed.
set(LIKENEX_CODESIGN_CERT "" CACHE FILEPATH "Code-signing certificate chain (PEM)")
set(LIKENEX_CODESIGN_KEY "" CACHE FILEPATH "The code-signing certificate's private key")
set(LIKENEX_CODESIGN_PASS_FILE "" CACHE FILEPATH "A file holding the code-signing key's password, if it has one")
set(LIKENEX_TIMESTAMP_URL "" CACHE STRING "RFC 3161 timestamp server for the signatures; empty: none")
if(LIKENEX_CODESIGN_CERT OR LIKENEX_CODESIGN_KEY)
  if(NOT LIKENEX_CODESIGN_CERT OR NOT LIKENEX_CODESIGN_KEY)
    message(FATAL_ERROR "Code signing needs both LIKENEX_CODESIGN_CERT and LIKENEX_CODESIGN_KEY")
  endif()
  find_program(LIKENEX_OSSLSIGNCODE osslsigncode REQUIRED)
  # The command that signs one file in place; NSIS runs it too (!finalize), with %1 for FILE.
  set(LIKENEX_CODESIGN_COMMAND ${CMAKE_COMMAND} -DCERT=${LIKENEX_CODESIGN_CERT} -DKEY=${LIKENEX_CODESIGN_KEY}
      -DPASS_FILE=${LIKENEX_CODESIGN_PASS_FILE} -DTIMESTAMP=${LIKENEX_TIMESTAMP_URL}
      -DOSSLSIGNCODE=${LIKENEX_OSSLSIGNCODE} -P ${CMAKE_CURRENT_LIST_DIR}/CodeSign.cmake)
else()
  set(LIKENEX_CODESIGN_COMMAND "")
endif()

# likenex_codesign(target): signs the target's file after each link when a certificate is given.
function(likenex_codesign target)
  if(NOT LIKENEX_CODESIGN_COMMAND)
    return()
  endif()
  list(GET LIKENEX_CODESIGN_COMMAND 0 cmake)
  list(SUBLIST LIKENEX_CODESIGN_COMMAND 1 -1 rest)
  add_custom_command(TARGET ${target} POST_BUILD
    COMMAND ${cmake} -DFILE=$<TARGET_FILE:${target}> ${rest}
    COMMENT "Signing $<TARGET_FILE_NAME:${target}> (Authenticode)"
    VERBATIM)
endfunction()

function(likenex_warnings target)
  target_compile_options(${target} PRIVATE -Wall -Wextra -Wno-missing-field-initializers)
endfunction()

# likenex_library(name SOURCES ... [LIBS ...]): a static library of one subsystem.
function(likenex_library name)
  cmake_parse_arguments(ARG "" "" "SOURCES;LIBS" ${ARGN})
  add_library(${name} STATIC ${ARG_SOURCES})
  target_include_directories(${name} PUBLIC ${PROJECT_SOURCE_DIR})
  target_link_libraries(${name} PUBLIC ${ARG_LIBS})
  likenex_warnings(${name})
endfunction()

# likenex_test(name SOURCES ... [LIBS ...] [ARGS ...]): one GoogleTest program, registered as
# one CTest test run with ARGS. In the Windows build CTest runs it through the Wine wrapper;
# one test per program keeps Wine start-ups few.
function(likenex_test name)
  cmake_parse_arguments(ARG "" "TIMEOUT" "SOURCES;LIBS;ARGS" ${ARGN})
  add_executable(${name} ${ARG_SOURCES})
  target_link_libraries(${name} PRIVATE ${ARG_LIBS} GTest::gtest GTest::gmock GTest::gtest_main)
  target_include_directories(${name} PRIVATE ${PROJECT_SOURCE_DIR})
  likenex_warnings(${name})
  add_test(NAME ${name} COMMAND ${name} --gtest_color=no ${ARG_ARGS})
  if(NOT ARG_TIMEOUT)
    set(ARG_TIMEOUT 600)
  endif()
  set_tests_properties(${name} PROPERTIES TIMEOUT ${ARG_TIMEOUT})
  if(CMAKE_CROSSCOMPILING)
    # Windows tests share one Wine prefix and display; they run one at a time.
    set_tests_properties(${name} PROPERTIES RESOURCE_LOCK wine)
  endif()
endfunction()

# Converts a Linux path into the path a program under Wine sees (drive Z: is the root).
function(likenex_wine_path out path)
  string(REPLACE "/" "\\\\" converted "${path}")
  set(${out} "Z:${converted}" PARENT_SCOPE)
endfunction()

# likenex_benchmark(name SOURCES ... [LIBS ...]): a Google Benchmark program of the host
# build. Benchmarks are built only without the sanitizers (scripts/bench.sh makes such a
# build) and never run as tests: their figures are read, not asserted.
function(likenex_benchmark name)
  cmake_parse_arguments(ARG "" "" "SOURCES;LIBS" ${ARGN})
  if(CMAKE_CROSSCOMPILING OR LIKENEX_SANITIZE OR NOT TARGET benchmark::benchmark)
    return()
  endif()
  add_executable(${name} ${ARG_SOURCES})
  target_link_libraries(${name} PRIVATE ${ARG_LIBS} benchmark::benchmark)
  target_include_directories(${name} PRIVATE ${PROJECT_SOURCE_DIR})
  likenex_warnings(${name})
  set_property(GLOBAL APPEND PROPERTY LIKENEX_BENCHMARKS ${name})
endfunction()

# Fuzz targets (clang libFuzzer, host build): only with -DLIKENEX_FUZZ=ON and clang. Everything
# is then compiled with coverage for the fuzzer and checked by AddressSanitizer and
# UndefinedBehaviorSanitizer; scripts/fuzz.sh makes such a build in ./build-fuzz.
option(LIKENEX_FUZZ "Build the libFuzzer fuzz targets (clang only)" OFF)
set(LIKENEX_FUZZ_ACTIVE OFF)
if(LIKENEX_FUZZ AND NOT CMAKE_CROSSCOMPILING)
  if(CMAKE_CXX_COMPILER_ID STREQUAL "Clang")
    set(LIKENEX_FUZZ_ACTIVE ON)
    add_compile_options(-fsanitize=fuzzer-no-link,address,undefined -fno-omit-frame-pointer
                        -fno-sanitize-recover=undefined)
    add_link_options(-fsanitize=address,undefined)
  else()
    message(WARNING "LIKENEX_FUZZ needs clang; no fuzz targets are built")
  endif()
endif()

# likenex_fuzz_target(name SOURCES ... [LIBS ...]): one libFuzzer program (its source defines
# LLVMFuzzerTestOneInput). Listed in the global property LIKENEX_FUZZ_TARGETS. In every other
# host build the same sources make <name>_replay, which runs the committed corpus
# (fuzz/corpus/<name>/ beside the source, seeds and every input that ever found a fault)
# through the target once, as the CTest test <name>_replay.
function(likenex_fuzz_target name)
  cmake_parse_arguments(ARG "" "" "SOURCES;LIBS" ${ARGN})
  if(LIKENEX_FUZZ_ACTIVE)
    add_executable(${name} ${ARG_SOURCES})
    target_link_libraries(${name} PRIVATE ${ARG_LIBS})
    target_include_directories(${name} PRIVATE ${PROJECT_SOURCE_DIR})
    target_link_options(${name} PRIVATE -fsanitize=fuzzer)
    likenex_warnings(${name})
    set_property(GLOBAL APPEND PROPERTY LIKENEX_FUZZ_TARGETS ${name})
    return()
  endif()
  if(CMAKE_CROSSCOMPILING OR LIKENEX_FUZZ)
    return()
  endif()
  add_executable(${name}_replay ${ARG_SOURCES} ${PROJECT_SOURCE_DIR}/test_support/FuzzReplay.cpp)
  target_link_libraries(${name}_replay PRIVATE ${ARG_LIBS})
  target_include_directories(${name}_replay PRIVATE ${PROJECT_SOURCE_DIR})
  likenex_warnings(${name}_replay)
  add_test(NAME ${name}_replay COMMAND ${name}_replay ${CMAKE_CURRENT_SOURCE_DIR}/fuzz/corpus/${name})
  set_tests_properties(${name}_replay PROPERTIES TIMEOUT 300)
endfunction()
