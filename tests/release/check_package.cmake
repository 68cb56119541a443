# Unpacks the release zip and checks what a technician gets: exactly the four files, the help
# document as written, text files with CR LF line ends, and a tolvane.exe that passes the release
# checker. Run with cmake -P and:
#   PACKAGE     the release zip
#   WORK        a scratch folder (emptied first)
#   SOURCE_DIR  the project's sources
#   CHECKER     tolvane_release_check.exe
#   EMULATOR    what runs a Windows program here (wine-run.sh), or empty
#   VERSION     the version the program must carry
foreach(variable PACKAGE WORK SOURCE_DIR CHECKER VERSION)
    if(NOT DEFINED ${variable})
        message(FATAL_ERROR "check_package.cmake needs -D${variable}=...")
    endif()
endforeach()

set(expected_entries "LICENSE.txt;README.txt;Tolvane Help.rtf;tolvane.exe")

execute_process(COMMAND ${CMAKE_COMMAND} -E tar tf ${PACKAGE}
                OUTPUT_VARIABLE listing RESULT_VARIABLE status)
if(NOT status EQUAL 0)
    message(FATAL_ERROR "Cannot read ${PACKAGE}")
endif()
string(STRIP "${listing}" listing)
string(REPLACE "\n" ";" entries "${listing}")
if(NOT entries STREQUAL expected_entries)
    message(FATAL_ERROR "${PACKAGE} holds [${entries}], not [${expected_entries}] in that order")
endif()

file(REMOVE_RECURSE ${WORK})
file(MAKE_DIRECTORY ${WORK})
execute_process(COMMAND ${CMAKE_COMMAND} -E tar xf ${PACKAGE} WORKING_DIRECTORY ${WORK}
                RESULT_VARIABLE status)
if(NOT status EQUAL 0)
    message(FATAL_ERROR "Cannot unpack ${PACKAGE}")
endif()

execute_process(COMMAND ${CMAKE_COMMAND} -E compare_files "${SOURCE_DIR}/docs/Tolvane Help.rtf"
                        "${WORK}/Tolvane Help.rtf" RESULT_VARIABLE status)
if(NOT status EQUAL 0)
    message(FATAL_ERROR "The packed help document differs from docs/Tolvane Help.rtf")
endif()

# Notepad before Windows 10 shows a file with bare LF line ends as one long line.
foreach(text README.txt LICENSE.txt)
    file(READ ${WORK}/${text} content HEX)
    string(REGEX MATCHALL ".." bytes "${content}")
    set(previous "")
    set(lines 0)
    set(bare 0)
    foreach(byte IN LISTS bytes)
        if(byte STREQUAL "0a")
            if(previous STREQUAL "0d")
                math(EXPR lines "${lines} + 1")
            else()
                math(EXPR bare "${bare} + 1")
            endif()
        endif()
        set(previous ${byte})
    endforeach()
    if(lines EQUAL 0 OR NOT bare EQUAL 0)
        message(FATAL_ERROR "${text} in the zip has ${bare} line ends without CR, ${lines} with")
    endif()
endforeach()

execute_process(COMMAND ${EMULATOR} ${CHECKER} ${WORK}/tolvane.exe ${VERSION}
                RESULT_VARIABLE status)
if(NOT status EQUAL 0)
    message(FATAL_ERROR "The packed tolvane.exe fails the release checks")
endif()
