# The Windows release build (cmake -C): optimised, no debugging information (the programs are
# linked stripped), no test seams. scripts/release.sh configures its build folder with it and
# adds the keys, the certificate and the host tools.
set(CMAKE_BUILD_TYPE Release CACHE STRING "Build type")
set(CMAKE_C_FLAGS_RELEASE "-O2 -DNDEBUG" CACHE STRING "C flags of the release build")
set(CMAKE_CXX_FLAGS_RELEASE "-O2 -DNDEBUG" CACHE STRING "C++ flags of the release build")
set(LIKENEX_TEST_SEAMS OFF CACHE BOOL "Compile the test seams into the programs")
set(LIKENEX_RELEASE ON CACHE BOOL "Make the release")
