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
