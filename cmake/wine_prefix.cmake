# Makes and starts a Wine prefix once, as a ctest fixture, before any test
# uses it: two programs starting Wine at the same moment on a prefix that
# does not exist yet can kill each other. Tests that use the prefix name
# the fixture "wineprefix" in FIXTURES_REQUIRED.
function(launcher_add_wine_prefix_setup prefix)
  add_test(NAME wineprefix_setup
           COMMAND ${CMAKE_COMMAND} -E env WINEPREFIX=${prefix} WINEDEBUG=-all
                   sh -c "/usr/lib/wine/wine64 wineboot -i && /usr/lib/wine/wineserver -w")
  set_tests_properties(wineprefix_setup PROPERTIES FIXTURES_SETUP wineprefix TIMEOUT 300)
endfunction()

# The same for the 32-bit loader: a pure 32-bit prefix (as 32-bit Windows
# XP, without a WOW64 layer), under the fixture name "wineprefix32". Without
# 32-bit Wine there is nothing to make; the tests that need it say so.
function(launcher_add_wine32_prefix_setup prefix)
  add_test(NAME wineprefix32_setup
           COMMAND ${CMAKE_COMMAND} -E env WINEPREFIX=${prefix} WINEARCH=win32 WINEDEBUG=-all
                   sh -c "[ ! -x /usr/lib/wine/wine ] || { /usr/lib/wine/wine wineboot -i && /usr/lib/wine/wineserver -w; }")
  set_tests_properties(wineprefix32_setup PROPERTIES FIXTURES_SETUP wineprefix32 TIMEOUT 300)
endfunction()
