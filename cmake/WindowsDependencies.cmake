# Libraries of the Windows build, all built here from Debian's source packages.

# CTest runs the Windows programs under Wine, in one prefix kept in this build tree.
set(LIKENEX_WINEPREFIX ${CMAKE_BINARY_DIR}/wine CACHE PATH "Wine prefix of the Windows tests")
set(CMAKE_CROSSCOMPILING_EMULATOR ${PROJECT_SOURCE_DIR}/scripts/wine-run --prefix ${LIKENEX_WINEPREFIX})

# std::thread and std::mutex (MinGW's POSIX thread model).
find_package(Threads REQUIRED)

# GoogleTest from Debian's googletest sources.
set(LIKENEX_GOOGLETEST_SOURCE /usr/src/googletest CACHE PATH "GoogleTest sources")
set(INSTALL_GTEST OFF CACHE BOOL "" FORCE)
set(BUILD_GMOCK ON CACHE BOOL "" FORCE)
add_subdirectory(${LIKENEX_GOOGLETEST_SOURCE} ${CMAKE_BINARY_DIR}/_deps/googletest EXCLUDE_FROM_ALL SYSTEM)
foreach(lib gtest gtest_main gmock gmock_main)
  if(NOT TARGET GTest::${lib})
    add_library(GTest::${lib} ALIAS ${lib})
  endif()
endforeach()

# FreeType 2 from Debian's source package, fetched once into the build tree and built with
# this toolchain, without the optional compression, PNG, HarfBuzz and Brotli support.
set(LIKENEX_FREETYPE_FETCH ${CMAKE_BINARY_DIR}/_deps/freetype-fetch)
file(GLOB LIKENEX_FREETYPE_SOURCE LIST_DIRECTORIES true ${LIKENEX_FREETYPE_FETCH}/freetype-*)
list(FILTER LIKENEX_FREETYPE_SOURCE EXCLUDE REGEX "\\.(tar|dsc|asc|xz|gz)")
if(NOT LIKENEX_FREETYPE_SOURCE)
  file(MAKE_DIRECTORY ${LIKENEX_FREETYPE_FETCH})
  message(STATUS "Fetching Debian's freetype source package")
  execute_process(COMMAND apt-get source -qq freetype
    WORKING_DIRECTORY ${LIKENEX_FREETYPE_FETCH} RESULT_VARIABLE fetched OUTPUT_QUIET ERROR_QUIET)
  file(GLOB LIKENEX_FREETYPE_SOURCE LIST_DIRECTORIES true ${LIKENEX_FREETYPE_FETCH}/freetype-*)
  list(FILTER LIKENEX_FREETYPE_SOURCE EXCLUDE REGEX "\\.(tar|dsc|asc|xz|gz)")
  if(NOT fetched EQUAL 0 OR NOT LIKENEX_FREETYPE_SOURCE)
    message(FATAL_ERROR "apt-get source freetype failed; run scripts/setup.sh (it adds the deb-src entry)")
  endif()
endif()
list(GET LIKENEX_FREETYPE_SOURCE 0 LIKENEX_FREETYPE_SOURCE)
# zlib for the PNG pictures of the export, from Debian's MinGW build of it (libz-mingw-w64-dev),
# linked statically so that the programs need no zlib1.dll beside them. FreeType uses the same
# zlib rather than its own copy, whose symbols would clash with it.
set(ZLIB_USE_STATIC_LIBS ON)
find_package(ZLIB REQUIRED)

set(LIKENEX_FREETYPE_PREFIX ${CMAKE_BINARY_DIR}/_deps/freetype)
include(ExternalProject)
ExternalProject_Add(freetype_windows
  SOURCE_DIR ${LIKENEX_FREETYPE_SOURCE}
  BINARY_DIR ${CMAKE_BINARY_DIR}/_deps/freetype-build
  INSTALL_DIR ${LIKENEX_FREETYPE_PREFIX}
  CMAKE_GENERATOR ${CMAKE_GENERATOR}
  CMAKE_ARGS
    -DCMAKE_TOOLCHAIN_FILE=${CMAKE_TOOLCHAIN_FILE}
    -DCMAKE_BUILD_TYPE=Release
    -DCMAKE_INSTALL_PREFIX=<INSTALL_DIR>
    -DBUILD_SHARED_LIBS=OFF
    -DFT_DISABLE_ZLIB=OFF -DFT_REQUIRE_ZLIB=ON -DZLIB_USE_STATIC_LIBS=ON -DFT_DISABLE_BZIP2=ON -DFT_DISABLE_PNG=ON
    -DFT_DISABLE_HARFBUZZ=ON -DFT_DISABLE_BROTLI=ON
  BUILD_BYPRODUCTS <INSTALL_DIR>/lib/libfreetype.a)
file(MAKE_DIRECTORY ${LIKENEX_FREETYPE_PREFIX}/include/freetype2)
add_library(Freetype::Freetype STATIC IMPORTED GLOBAL)
set_target_properties(Freetype::Freetype PROPERTIES
  IMPORTED_LOCATION ${LIKENEX_FREETYPE_PREFIX}/lib/libfreetype.a
  INTERFACE_INCLUDE_DIRECTORIES ${LIKENEX_FREETYPE_PREFIX}/include/freetype2
  INTERFACE_LINK_LIBRARIES ZLIB::ZLIB)
add_dependencies(Freetype::Freetype freetype_windows)

# Boost.Regex is header-only; MinGW must not see the rest of /usr/include, so the build
# tree gets an include folder that holds only Boost.
set(LIKENEX_BOOST_INCLUDE ${CMAKE_BINARY_DIR}/_deps/boost-include)
file(MAKE_DIRECTORY ${LIKENEX_BOOST_INCLUDE})
file(CREATE_LINK /usr/include/boost ${LIKENEX_BOOST_INCLUDE}/boost SYMBOLIC)
add_library(likenex_boost_headers INTERFACE)
target_include_directories(likenex_boost_headers SYSTEM INTERFACE ${LIKENEX_BOOST_INCLUDE})
add_library(Boost::regex_headers ALIAS likenex_boost_headers)

