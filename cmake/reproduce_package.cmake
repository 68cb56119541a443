# Builds the release zip a second time, from scratch, in another folder and another time zone, and
# fails unless it is byte for byte the zip of the build under test: nothing of the build's time,
# folder or machine may end up in the package. Run with cmake -P and -D PACKAGE (the build's zip),
# WORK (a scratch folder), SOURCE_DIR, CONFIGURE (the options the build was configured with) and
# CONFIG (its configuration, or empty).
file(REMOVE_RECURSE ${WORK})
# A time zone far from the usual ones, so that local time leaking into the zip shows.
set(environment ${CMAKE_COMMAND} -E env TZ=Pacific/Kiritimati)
execute_process(COMMAND ${environment} ${CMAKE_COMMAND} -S ${SOURCE_DIR} -B ${WORK} ${CONFIGURE}
                OUTPUT_QUIET COMMAND_ERROR_IS_FATAL ANY)
set(build_options --target tolvane_package)
if(CONFIG)
    list(APPEND build_options --config ${CONFIG})
endif()
execute_process(COMMAND ${environment} ${CMAKE_COMMAND} --build ${WORK} ${build_options}
                COMMAND_ERROR_IS_FATAL ANY)

get_filename_component(name ${PACKAGE} NAME)
execute_process(COMMAND ${CMAKE_COMMAND} -E compare_files ${PACKAGE} ${WORK}/${name}
                RESULT_VARIABLE status)
if(NOT status EQUAL 0)
    # Name the files that differ, as the first clue to what leaked in.
    file(ARCHIVE_EXTRACT INPUT ${PACKAGE} DESTINATION ${WORK}/unpacked-first)
    file(ARCHIVE_EXTRACT INPUT ${WORK}/${name} DESTINATION ${WORK}/unpacked-second)
    file(GLOB entries RELATIVE ${WORK}/unpacked-first ${WORK}/unpacked-first/*)
    set(differing "")
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
    message(FATAL_ERROR "Two builds of the same sources gave different zips. Files that differ:"
                        "${differing}. The second build is in ${WORK}.")
endif()
file(REMOVE_RECURSE ${WORK})
message(STATUS "A second build gave the same ${name}, byte for byte")
