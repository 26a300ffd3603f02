# vesper_man_page(NAME name SUMMARY text SYNOPSIS text DESCRIPTION text
#                 [PROGRAM target [USAGE_ARGS args...] [FIRST_SECTION heading]])
# Builds share/man/man1/NAME.1.gz and installs it. With PROGRAM the page's
# options (or commands) are the program's own usage text, run at build time,
# so the page cannot fall behind the program. Not for a cross build, whose
# programs do not run here.
function(vesper_man_page)
  if(WIN32 OR CMAKE_CROSSCOMPILING)
    return()
  endif()
  cmake_parse_arguments(PARSE_ARGV 0 man "" "NAME;SUMMARY;SYNOPSIS;DESCRIPTION;PROGRAM;FIRST_SECTION"
                        "USAGE_ARGS")
  set(page ${CMAKE_BINARY_DIR}/man/${man_NAME}.1)
  set(script ${PROJECT_SOURCE_DIR}/cmake/man_page_script.cmake)
  # Every page names the others and the HTML manual.
  set(others vpxagent vesper ociemu)
  list(REMOVE_ITEM others ${man_NAME})
  list(TRANSFORM others APPEND "(1)")
  list(JOIN others ", " see_also)
  string(APPEND see_also ". The manual: /usr/share/doc/vesper/index.html "
                         "(share/doc/vesper under another installation prefix).")
  set(args -DNAME=${man_NAME} -DSUMMARY=${man_SUMMARY} -DSYNOPSIS=${man_SYNOPSIS}
           -DDESCRIPTION=${man_DESCRIPTION} -DVERSION=${PROJECT_VERSION} -DOUTPUT=${page}
           -DSEE_ALSO=${see_also})
  set(depends ${script})
  if(man_PROGRAM)
    list(JOIN man_USAGE_ARGS " " usage_args)
    list(APPEND args -DPROGRAM=$<TARGET_FILE:${man_PROGRAM}> "-DUSAGE_ARGS=${usage_args}")
    if(man_FIRST_SECTION)
      list(APPEND args -DFIRST_SECTION=${man_FIRST_SECTION})
    endif()
    list(APPEND depends ${man_PROGRAM})
  endif()
  file(MAKE_DIRECTORY ${CMAKE_BINARY_DIR}/man)
  add_custom_command(OUTPUT ${page}.gz
    COMMAND ${CMAKE_COMMAND} ${args} -P ${script}
    DEPENDS ${depends}
    COMMENT "Writing the manual page ${man_NAME}.1.gz"
    VERBATIM)
  add_custom_target(${man_NAME}_man_page ALL DEPENDS ${page}.gz)
  install(FILES ${page}.gz DESTINATION share/man/man1)
endfunction()

