# Tests of the Windows build run under Wine in a private prefix inside the build folder, never in
# the user's own prefix. The prefix is made (once) and given the stand-in system tools by the
# wine_prefix fixture that every Wine test requires.
set(TOLVANE_WINEPREFIX ${CMAKE_BINARY_DIR}/wineprefix)
configure_file(${CMAKE_CURRENT_LIST_DIR}/wine-run.sh.in ${CMAKE_BINARY_DIR}/wine-run.sh @ONLY
               FILE_PERMISSIONS OWNER_READ OWNER_WRITE OWNER_EXECUTE GROUP_READ GROUP_EXECUTE
                                WORLD_READ WORLD_EXECUTE)
set(CMAKE_CROSSCOMPILING_EMULATOR ${CMAKE_BINARY_DIR}/wine-run.sh)

add_test(NAME wine_prefix
         COMMAND sh ${CMAKE_CURRENT_LIST_DIR}/setup-prefix.sh ${TOLVANE_WINEPREFIX}
                 $<TARGET_FILE:tolvane_standin>)
set_tests_properties(wine_prefix PROPERTIES FIXTURES_SETUP wine TIMEOUT 300)

