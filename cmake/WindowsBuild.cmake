# Drives the Windows build from the host build: configures the same source tree with the
# MinGW-w64 toolchain in <build>/windows and builds it whenever the host build runs.
include(ExternalProject)
ExternalProject_Add(windows
  SOURCE_DIR ${PROJECT_SOURCE_DIR}
  BINARY_DIR ${CMAKE_BINARY_DIR}/windows
  CMAKE_GENERATOR ${CMAKE_GENERATOR}
  CMAKE_ARGS
    -DCMAKE_TOOLCHAIN_FILE=${PROJECT_SOURCE_DIR}/cmake/mingw-w64-x86_64.cmake
    -DCMAKE_BUILD_TYPE=${CMAKE_BUILD_TYPE}
    -DLIKENEX_PROGRAM_DIR=${LIKENEX_PROGRAM_DIR}
    -DLIKENEX_PROGRAM_VERSION=${LIKENEX_PROGRAM_VERSION}
    -DLIKENEX_TEST_SEAMS=${LIKENEX_TEST_SEAMS}
    -DLIKENEX_GOLDEN_DIR=${CMAKE_BINARY_DIR}/golden
    -DLIKENEX_HOST_TOOLS_DIR=$<TARGET_FILE_DIR:likenex-resource-art>
  DEPENDS likenex-resource-art default-data golden-frames
  BUILD_ALWAYS ON
  USES_TERMINAL_BUILD ON
  INSTALL_COMMAND ""
  TEST_COMMAND "")

# `ctest` in the host build also runs the Windows build's tests.
file(WRITE ${CMAKE_BINARY_DIR}/windows-tests.cmake "subdirs(\"${CMAKE_BINARY_DIR}/windows\")\n")
set_property(DIRECTORY ${PROJECT_SOURCE_DIR} APPEND PROPERTY TEST_INCLUDE_FILES ${CMAKE_BINARY_DIR}/windows-tests.cmake)
