# The i686 programs run on Windows 95 to XP, whose machines are often
# Pentium-class (Pentium MMX, K6, C3) and lack CMOV, FCOMI and SSE: one such
# instruction on a path taken ends the program with an illegal-instruction
# fault. Our own code is compiled for the Pentium (the toolchain file); the
# runtime that every program links statically is rebuilt for it by
# scripts/i586-runtime, once, into a folder that every i686 build directory
# shares.
set(LAUNCHER_I586_RUNTIME_DIR "${CMAKE_SOURCE_DIR}/build/i586-runtime" CACHE PATH
    "Where the i686 runtime rebuilt for the Pentium is kept")
execute_process(
  COMMAND "${CMAKE_SOURCE_DIR}/scripts/i586-runtime" "${LAUNCHER_I586_RUNTIME_DIR}"
          "${CMAKE_C_COMPILER}" "${CMAKE_CXX_COMPILER}"
  RESULT_VARIABLE i586_runtime_result)
if(NOT i586_runtime_result EQUAL 0)
  message(FATAL_ERROR "scripts/i586-runtime failed: the i686 runtime for the Pentium is missing")
endif()
# -B names a folder holding crt2.o alone, so that gcc's own crtbegin.o and
# crtend.o (which register the unwind tables) stay in the link; -L comes
# before the compiler's own library folders.
add_link_options("-B${LAUNCHER_I586_RUNTIME_DIR}/crt/" "-L${LAUNCHER_I586_RUNTIME_DIR}/lib")
set(ZLIB_LIBRARY_RELEASE "${LAUNCHER_I586_RUNTIME_DIR}/lib/libz.a" CACHE FILEPATH
    "zlib for the i686 programs, its CRC code built for the Pentium" FORCE)
