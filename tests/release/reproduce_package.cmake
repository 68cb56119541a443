# Builds the release zip a second time, from scratch, in another folder and another time zone, and
# fails unless it is byte for byte the zip of the build under test: nothing of the build's time,
# folder or machine may end up in the package. Run with cmake -P and:
#   PACKAGE     the build's release zip
#   WORK        a scratch folder for the second build (emptied first)
#   SOURCE_DIR  the project's sources
#   GENERATOR, PLATFORM, TOOLCHAIN, BUILD_TYPE, CONFIG, MSVC_RUNTIME, PYTHON
#               as the build under test was configured (PLATFORM, TOOLCHAIN, MSVC_RUNTIME may be
#               empty; CONFIG is the configuration of a multi-configuration generator)
foreach(variable PACKAGE WORK SOURCE_DIR GENERATOR)
    if(NOT DEFINED ${variable})
        message(FATAL_ERROR "reproduce_package.cmake needs -D${variable}=...")
    endif()
endforeach()

set(configure_options -G ${GENERATOR} -DTOLVANE_BUILD_TESTS=OFF)
if(PLATFORM)
    list(APPEND configure_options -A ${PLATFORM})
endif()
if(TOOLCHAIN)
    list(APPEND configure_options -DCMAKE_TOOLCHAIN_FILE=${TOOLCHAIN})
endif()
if(BUILD_TYPE)
    list(APPEND configure_options -DCMAKE_BUILD_TYPE=${BUILD_TYPE})
endif()
if(MSVC_RUNTIME)
    list(APPEND configure_options -DCMAKE_MSVC_RUNTIME_LIBRARY=${MSVC_RUNTIME})
endif()
if(PYTHON)
    list(APPEND configure_options -DPython3_EXECUTABLE=${PYTHON})
endif()
set(build_options --target tolvane_package)
if(CONFIG)
    list(APPEND build_options --config ${CONFIG})
endif()

file(REMOVE_RECURSE ${WORK})
# A time zone far from the usual ones, so that local time leaking into the zip shows.
set(environment ${CMAKE_COMMAND} -E env TZ=Pacific/Kiritimati)
execute_process(COMMAND ${environment} ${CMAKE_COMMAND} -S ${SOURCE_DIR} -B ${WORK}
                        ${configure_options}
                RESULT_VARIABLE status OUTPUT_QUIET)
if(NOT status EQUAL 0)
    message(FATAL_ERROR "The second build could not be configured")
endif()
execute_process(COMMAND ${environment} ${CMAKE_COMMAND} --build ${WORK} ${build_options}
                RESULT_VARIABLE status OUTPUT_VARIABLE output ERROR_VARIABLE output)
if(NOT status EQUAL 0)
    message(FATAL_ERROR "The second build failed:\n${output}")
endif()

get_filename_component(name ${PACKAGE} NAME)
set(second ${WORK}/${name})
execute_process(COMMAND ${CMAKE_COMMAND} -E compare_files ${PACKAGE} ${second}
                RESULT_VARIABLE status)
if(NOT status EQUAL 0)
    # Name the files that differ, as the first clue to what leaked in.
    set(differing "")
    foreach(side first second)
        file(MAKE_DIRECTORY ${WORK}/unpacked-${side})
    endforeach()
    execute_process(COMMAND ${CMAKE_COMMAND} -E tar xf ${PACKAGE}
                    WORKING_DIRECTORY ${WORK}/unpacked-first)
    execute_process(COMMAND ${CMAKE_COMMAND} -E tar xf ${second}
                    WORKING_DIRECTORY ${WORK}/unpacked-second)
    file(GLOB entries RELATIVE ${WORK}/unpacked-first ${WORK}/unpacked-first/*)
    foreach(entry IN LISTS entries)
        execute_process(COMMAND ${CMAKE_COMMAND} -E compare_files ${WORK}/unpacked-first/${entry}
                                ${WORK}/unpacked-second/${entry}
                        RESULT_VARIABLE same OUTPUT_QUIET ERROR_QUIET)
        if(NOT same EQUAL 0)
            string(APPEND differing " \"${entry}\"")
        endif()
    endforeach()
    if(differing STREQUAL "")
        set(differing " none, the archive itself differs")
    endif()
    message(FATAL_ERROR "Two builds of the same sources gave different zips. Files that "
                        "differ:${differing}. The second build is in ${WORK}.")
endif()
file(REMOVE_RECURSE ${WORK})
message(STATUS "A second build gave the same ${name}, byte for byte")
