# Tests of the Windows build run under Wine in a private prefix in the build folder, made once and
# given the stand-in system tools by the fixture every Wine test requires.
set(TOLVANE_WINEPREFIX ${CMAKE_BINARY_DIR}/wineprefix)
configure_file(${CMAKE_CURRENT_LIST_DIR}/wine-run.sh.in ${CMAKE_BINARY_DIR}/wine-run.sh @ONLY)
set(CMAKE_CROSSCOMPILING_EMULATOR ${CMAKE_BINARY_DIR}/wine-run.sh)

set(TOLVANE_WINE_SYSTEM_FOLDER system32)
if(CMAKE_SIZEOF_VOID_P EQUAL 4)
    set(TOLVANE_WINE_SYSTEM_FOLDER syswow64)
endif()
add_test(NAME wine_prefix
         COMMAND sh ${CMAKE_CURRENT_LIST_DIR}/setup-prefix.sh ${TOLVANE_WINEPREFIX}
                 $<TARGET_FILE:tolvane_standin> ${TOLVANE_WINE_SYSTEM_FOLDER})
set_tests_properties(wine_prefix PROPERTIES FIXTURES_SETUP wine TIMEOUT 300)

