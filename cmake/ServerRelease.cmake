# The server's release build: host only, optimised, without the sanitizers and the test seams.
# scripts/server.sh and server/deploy/Dockerfile both configure with `cmake -C` on this file, so
# the build an operator runs by hand and the one in the image are made the same way.
set(CMAKE_BUILD_TYPE Release CACHE STRING "Build type")
set(CMAKE_C_FLAGS_RELEASE "-O2 -DNDEBUG" CACHE STRING "C flags of the release build")
set(CMAKE_CXX_FLAGS_RELEASE "-O2 -DNDEBUG" CACHE STRING "C++ flags of the release build")
set(LIKENEX_WINDOWS OFF CACHE BOOL "Also build the Windows programs")
set(LIKENEX_SANITIZE OFF CACHE BOOL "Build the host code with the sanitizers")
set(LIKENEX_TEST_SEAMS OFF CACHE BOOL "Compile the test seams into the programs")
