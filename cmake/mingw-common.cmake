# Shared by the mingw-w64 toolchain files. Each file sets LAUNCHER_MINGW_TRIPLE,
# LAUNCHER_MINGW_PROCESSOR and LAUNCHER_MINGW_THREADS before including this.
#
# The programs we ship are built with the "win32" thread-model compilers:
# their runtime imports nothing that old Windows lacks. The "posix" ones pull
# in a static winpthreads whose imports (GetTickCount64, vectored exception
# handlers, ...) keep a program from loading before Vista, so they build only
# the GoogleTest programs, which need std::mutex, in build directories of
# their own. The compilers are always named with their suffix: installing one
# kind repoints the unsuffixed names.
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR ${LAUNCHER_MINGW_PROCESSOR})
set(CMAKE_C_COMPILER ${LAUNCHER_MINGW_TRIPLE}-gcc-${LAUNCHER_MINGW_THREADS})
set(CMAKE_CXX_COMPILER ${LAUNCHER_MINGW_TRIPLE}-g++-${LAUNCHER_MINGW_THREADS})
set(CMAKE_RC_COMPILER ${LAUNCHER_MINGW_TRIPLE}-windres)
set(CMAKE_FIND_ROOT_PATH /usr/${LAUNCHER_MINGW_TRIPLE})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)
# Tells the project which kind of build this is: only a "posix" build can
# hold the GoogleTest programs.
set(LAUNCHER_THREAD_MODEL ${LAUNCHER_MINGW_THREADS})
