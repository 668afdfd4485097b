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
