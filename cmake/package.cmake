# The release zip of a Windows build, made by the build itself: tolvane.exe, its help document, a
# plain-text read-me and the licence, named with the version and the architecture, for example
# Tolvane-1.5.4-x64.zip. Its bytes depend only on the files' contents (see reproducible_zip.py).
# Beside it, Tolvane-1.5.4-SHA256SUMS.txt gives its checksum. Each build writes the file for the
# one zip it makes, so that it can check it without the other build; scripts/release.sh gathers
# both builds' zips into one folder and writes one file for both there.
if(CMAKE_SIZEOF_VOID_P EQUAL 8)
    set(TOLVANE_ARCHITECTURE x64)
else()
    set(TOLVANE_ARCHITECTURE x86)
endif()
set(TOLVANE_PACKAGE_FILE
    ${PROJECT_BINARY_DIR}/${TOLVANE_TITLE}-${PROJECT_VERSION}-${TOLVANE_ARCHITECTURE}.zip)
set(TOLVANE_CHECKSUMS_FILE ${PROJECT_BINARY_DIR}/${TOLVANE_TITLE}-${PROJECT_VERSION}-SHA256SUMS.txt)
# The day every file in the zip is dated: fixed, so that the date never tells two builds apart.
set(TOLVANE_PACKAGE_DATE 2026-12-06)

find_package(Python3 COMPONENTS Interpreter)
if(NOT Python3_Interpreter_FOUND)
    message(STATUS "No Python 3: the release zip is not made")
    return()
endif()

# The text files open in Notepad on any Windows, whose older versions need CR LF line ends.
set(package_folder ${PROJECT_BINARY_DIR}/package)
configure_file(${PROJECT_SOURCE_DIR}/docs/README.txt ${package_folder}/README.txt @ONLY
               NEWLINE_STYLE CRLF)
configure_file(${PROJECT_SOURCE_DIR}/LICENSE ${package_folder}/LICENSE.txt @ONLY
               NEWLINE_STYLE CRLF)

set(TOLVANE_PACKAGE_ENTRIES
    "tolvane.exe=$<TARGET_FILE:tolvane>"
    "Tolvane Help.rtf=${PROJECT_SOURCE_DIR}/docs/Tolvane Help.rtf"
    "README.txt=${package_folder}/README.txt"
    "LICENSE.txt=${package_folder}/LICENSE.txt")
set(TOLVANE_PACKAGE_COMMAND
    ${Python3_EXECUTABLE} ${PROJECT_SOURCE_DIR}/cmake/reproducible_zip.py ${TOLVANE_PACKAGE_FILE}
    ${TOLVANE_PACKAGE_DATE} ${TOLVANE_PACKAGE_ENTRIES})

add_custom_command(
    OUTPUT ${TOLVANE_PACKAGE_FILE} ${TOLVANE_CHECKSUMS_FILE}
    COMMAND ${TOLVANE_PACKAGE_COMMAND}
    COMMAND ${CMAKE_COMMAND} -DOUTPUT=${TOLVANE_CHECKSUMS_FILE} -DFILES=${TOLVANE_PACKAGE_FILE} -P
            ${PROJECT_SOURCE_DIR}/cmake/write_checksums.cmake
    DEPENDS tolvane "${PROJECT_SOURCE_DIR}/docs/Tolvane Help.rtf" ${package_folder}/README.txt
            ${package_folder}/LICENSE.txt ${PROJECT_SOURCE_DIR}/cmake/reproducible_zip.py
            ${PROJECT_SOURCE_DIR}/cmake/write_checksums.cmake
    COMMENT "Packing ${TOLVANE_PACKAGE_FILE}"
    VERBATIM)
add_custom_target(tolvane_package ALL DEPENDS ${TOLVANE_PACKAGE_FILE} ${TOLVANE_CHECKSUMS_FILE})

# A release check rather than a test of the program: a second build from scratch, in another
# folder and time zone, must give the same zip byte for byte. Registered with the tests, so that CI
# runs it.
if(TOLVANE_BUILD_TESTS)
    set(second_build -G ${CMAKE_GENERATOR} -DTOLVANE_BUILD_TESTS=OFF
                     -DPython3_EXECUTABLE=${Python3_EXECUTABLE})
    if(CMAKE_GENERATOR_PLATFORM)
        list(APPEND second_build -A ${CMAKE_GENERATOR_PLATFORM})
    endif()
    foreach(variable CMAKE_TOOLCHAIN_FILE CMAKE_BUILD_TYPE CMAKE_MSVC_RUNTIME_LIBRARY)
        if(${variable})
            list(APPEND second_build -D${variable}=${${variable}})
        endif()
    endforeach()
    add_test(NAME release_reproducible
             COMMAND ${CMAKE_COMMAND} -DPACKAGE=${TOLVANE_PACKAGE_FILE}
                     -DWORK=${PROJECT_BINARY_DIR}/release-reproduce -DSOURCE_DIR=${PROJECT_SOURCE_DIR}
                     "-DCONFIGURE=${second_build}" -DCONFIG=$<CONFIG>
                     -P ${CMAKE_CURRENT_LIST_DIR}/reproduce_package.cmake)
    # A whole second build of the program: give it room on a slow machine.
    set_tests_properties(release_reproducible PROPERTIES TIMEOUT 900)
endif()
