# Libraries of the host build, all from Debian's packages.
find_package(GTest REQUIRED)
find_package(benchmark QUIET)
find_package(Threads REQUIRED)

option(LIKENEX_WINDOWS "Also build the Windows programs (MinGW-w64) and their tests" ON)
option(LIKENEX_SANITIZE "Build the host code with AddressSanitizer and UndefinedBehaviorSanitizer" ON)
if(LIKENEX_SANITIZE)
  add_compile_options(-fsanitize=address,undefined -fno-omit-frame-pointer -fno-sanitize-recover=undefined)
  add_link_options(-fsanitize=address,undefined)
endif()

# Boost.Regex is header-only and lives in /usr/include.
add_library(likenex_boost_headers INTERFACE)
add_library(Boost::regex_headers ALIAS likenex_boost_headers)
