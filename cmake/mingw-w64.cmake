# Cross build for 64-bit Windows with Debian's mingw-w64 (the POSIX-threads
# flavour, for std::thread). The runtime is linked statically, so the .exe
# needs no DLL beside it. Tests and tools run under wine (scripts/wine-run).
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR x86_64)
set(VESTOK_MINGW_PREFIX x86_64-w64-mingw32)
set(CMAKE_C_COMPILER ${VESTOK_MINGW_PREFIX}-gcc-posix)
set(CMAKE_CXX_COMPILER ${VESTOK_MINGW_PREFIX}-g++-posix)
set(CMAKE_RC_COMPILER ${VESTOK_MINGW_PREFIX}-windres)
set(CMAKE_FIND_ROOT_PATH /usr/${VESTOK_MINGW_PREFIX})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)
# pkg-config sees the Windows libraries only, never the build machine's.
set(ENV{PKG_CONFIG_LIBDIR} "/usr/${VESTOK_MINGW_PREFIX}/lib/pkgconfig")
set(ENV{PKG_CONFIG_PATH} "")
set(CMAKE_EXE_LINKER_FLAGS_INIT "-static -static-libgcc -static-libstdc++")
# Test discovery and CTest start the .exe files through wine.
get_filename_component(_vestok_root "${CMAKE_CURRENT_LIST_DIR}/.." ABSOLUTE)
set(CMAKE_CROSSCOMPILING_EMULATOR "${_vestok_root}/scripts/wine-run")
