# Cross-compiling pixmera for Windows x86-64 with Debian's mingw-w64 (POSIX
# threads variant, for std::thread and std::jthread).
#
#   cmake -S . -B build/windows \
#     -DCMAKE_TOOLCHAIN_FILE=cmake/mingw-w64-x86_64.cmake \
#     -DPIXMERA_WINDOWS_DEPS="$(scripts/windows/build-deps --print-prefix)"
#
# The dependency prefix is the one scripts/windows/build-deps fills. It comes
# from the cache variable PIXMERA_WINDOWS_DEPS, else from the environment
# variable of the same name; try_compile projects inherit it through
# CMAKE_TRY_COMPILE_PLATFORM_VARIABLES.

set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR x86_64)

set(PIXMERA_MINGW_TRIPLET x86_64-w64-mingw32)
set(CMAKE_C_COMPILER ${PIXMERA_MINGW_TRIPLET}-gcc-posix)
set(CMAKE_CXX_COMPILER ${PIXMERA_MINGW_TRIPLET}-g++-posix)
set(CMAKE_RC_COMPILER ${PIXMERA_MINGW_TRIPLET}-windres)
set(CMAKE_AR ${PIXMERA_MINGW_TRIPLET}-ar CACHE FILEPATH "")
set(CMAKE_RANLIB ${PIXMERA_MINGW_TRIPLET}-ranlib CACHE FILEPATH "")

if(NOT PIXMERA_WINDOWS_DEPS AND DEFINED ENV{PIXMERA_WINDOWS_DEPS})
  set(PIXMERA_WINDOWS_DEPS "$ENV{PIXMERA_WINDOWS_DEPS}")
endif()
set(PIXMERA_WINDOWS_DEPS "${PIXMERA_WINDOWS_DEPS}"
    CACHE PATH "Prefix holding the cross-built Windows libraries")
list(APPEND CMAKE_TRY_COMPILE_PLATFORM_VARIABLES PIXMERA_WINDOWS_DEPS)

# Libraries, headers and packages come from the dependency prefix first, then
# from the mingw-w64 system root; programs (the compilers, pkg-config) from the
# build machine.
set(CMAKE_FIND_ROOT_PATH /usr/${PIXMERA_MINGW_TRIPLET})
if(PIXMERA_WINDOWS_DEPS)
  list(PREPEND CMAKE_FIND_ROOT_PATH "${PIXMERA_WINDOWS_DEPS}")
  list(PREPEND CMAKE_PREFIX_PATH "${PIXMERA_WINDOWS_DEPS}")
endif()
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)

# pkg-config reads only the prefix's .pc files: PKG_CONFIG_LIBDIR replaces
# the build machine's search path, so a Linux .pc is never found.
# PKG_CONFIG_PATH would only add to it.
set(ENV{PKG_CONFIG_PATH} "")
if(PIXMERA_WINDOWS_DEPS)
  set(ENV{PKG_CONFIG_LIBDIR} "${PIXMERA_WINDOWS_DEPS}/lib/pkgconfig")
else()
  set(ENV{PKG_CONFIG_LIBDIR} "/usr/${PIXMERA_MINGW_TRIPLET}/lib/pkgconfig")
endif()
set(ENV{PKG_CONFIG_SYSROOT_DIR} "")
set(PKG_CONFIG_EXECUTABLE pkg-config CACHE FILEPATH "")

# Test programs run under wine (add_test, gtest_discover_tests), unless the
# command line names another emulator or none (-DCMAKE_CROSSCOMPILING_EMULATOR=).
# Give the tests a WINEPREFIX of their own, or wine makes ~/.wine.
if(NOT DEFINED CMAKE_CROSSCOMPILING_EMULATOR)
  find_program(PIXMERA_WINE NAMES wine)
  if(PIXMERA_WINE)
    set(CMAKE_CROSSCOMPILING_EMULATOR ${PIXMERA_WINE} CACHE FILEPATH "Runs Windows programs")
  endif()
endif()
