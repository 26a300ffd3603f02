# The manual page written from a usage text of every shape the programs'
# texts have: a banner, options with continuation lines, text that a CMake
# list or roff would misread (';', an unpaired '[', a backslash, a leading
# dot, an apostrophe), headings with and without words, a table.
#   cmake -DSOURCE_DIR=... -DWORK_DIR=... -P man_page_test.cmake
cmake_minimum_required(VERSION 3.25)
set(fixture ${CMAKE_CURRENT_LIST_DIR}/man_page)
file(REMOVE_RECURSE ${WORK_DIR})
file(MAKE_DIRECTORY ${WORK_DIR})
execute_process(COMMAND ${CMAKE_COMMAND} -DNAME=tool "-DSUMMARY=does one thing" "-DSYNOPSIS=[OPTION]..."
                        "-DDESCRIPTION=tool does it -x fast." -DVERSION=9.9 -DOUTPUT=${WORK_DIR}/tool.1
                        -DPROGRAM=cat -DUSAGE_ARGS=${fixture}/usage.txt "-DSEE_ALSO=other(1)"
                        -P ${SOURCE_DIR}/cmake/man_page_script.cmake
                RESULT_VARIABLE status)
if(NOT status EQUAL 0)
  message(FATAL_ERROR "the page was not written")
endif()
execute_process(COMMAND gzip -dc ${WORK_DIR}/tool.1.gz OUTPUT_VARIABLE page RESULT_VARIABLE status)
file(READ ${fixture}/expected.1 expected)
if(NOT status EQUAL 0 OR NOT page STREQUAL expected)
  message(FATAL_ERROR "tool.1 differs from ${fixture}/expected.1:\n${page}")
endif()
