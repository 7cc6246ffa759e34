# Cross toolchain: 32-bit Windows with Debian's mingw-w64, posix thread model (std::thread/std::mutex).
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR x86)

set(PTL_MINGW_TRIPLE i686-w64-mingw32)
set(CMAKE_C_COMPILER ${PTL_MINGW_TRIPLE}-gcc-posix)
set(CMAKE_CXX_COMPILER ${PTL_MINGW_TRIPLE}-g++-posix)
set(CMAKE_RC_COMPILER ${PTL_MINGW_TRIPLE}-windres)
set(CMAKE_AR ${PTL_MINGW_TRIPLE}-ar CACHE FILEPATH "")
set(CMAKE_RANLIB ${PTL_MINGW_TRIPLE}-ranlib CACHE FILEPATH "")
# Regenerates the import library of a __stdcall DLL linked with --kill-at.
set(CMAKE_DLLTOOL ${PTL_MINGW_TRIPLE}-dlltool CACHE FILEPATH "")

set(CMAKE_FIND_ROOT_PATH /usr/${PTL_MINGW_TRIPLE})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
# Packages only from the cross root, unless the caller says otherwise (a program built against an installed
# PTL passes -DCMAKE_FIND_ROOT_PATH_MODE_PACKAGE=BOTH with CMAKE_PREFIX_PATH naming the installation).
if(NOT CMAKE_FIND_ROOT_PATH_MODE_PACKAGE)
    set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)
endif()

# Tests and try_run go through Wine; the first argument tells the wrapper which build's prefix to use.
# CMAKE_BINARY_DIR is the top build folder here (try_compile projects never run the emulator).
set(CMAKE_CROSSCOMPILING_EMULATOR "${CMAKE_CURRENT_LIST_DIR}/wine-run.sh;${CMAKE_BINARY_DIR}")
