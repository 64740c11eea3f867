set(LAUNCHER_MINGW_TRIPLE i686-w64-mingw32)
set(LAUNCHER_MINGW_PROCESSOR i686)
set(LAUNCHER_MINGW_THREADS win32)
# Windows 95 to XP run on Pentium-class processors without the P6
# instructions (CMOV, FCOMI) that the compiler's default, the Pentium Pro,
# allows; the tuning stays generic.
set(CMAKE_C_FLAGS_INIT "-march=pentium -mtune=generic")
set(CMAKE_CXX_FLAGS_INIT "-march=pentium -mtune=generic")
include(${CMAKE_CURRENT_LIST_DIR}/mingw-common.cmake)
