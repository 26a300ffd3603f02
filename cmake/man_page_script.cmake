# Writes a gzipped manual page (section 1) for one program. The options and
# notes come from the program's own usage text, so the page says what the
# program says; the name line, synopsis and description are given.
#   cmake -DNAME=vpxagent -DSUMMARY=... -DSYNOPSIS=[OPTION]... -DDESCRIPTION=...
#         -DVERSION=0.1 -DOUTPUT=.../vpxagent.1 [-DPROGRAM=... -DUSAGE_ARGS=--help]
#         [-DFIRST_SECTION=OPTIONS] [-DSEE_ALSO=...] -P man_page_script.cmake
# OUTPUT.gz is written (gzip -9n: no name or time stamp inside).

# Text for roff: backslashes kept, every '-' a minus sign (so that options
# copied from the page work), apostrophes and leading dots kept literal.
function(roff_text text out)
  string(REPLACE "\\" "\\e" text "${text}")
  string(REPLACE "-" "\\-" text "${text}")
  string(REPLACE "'" "\\(aq" text "${text}")
  if(text MATCHES "^[.]")
    string(PREPEND text "\\&")
  endif()
  set(${out} "${text}" PARENT_SCOPE)
endfunction()

# The usage text as lines; a ';' in it must not split a line.
function(usage_lines out)
  separate_arguments(args UNIX_COMMAND "${USAGE_ARGS}")
  set(ENV{ASAN_OPTIONS} detect_leaks=0)
  execute_process(COMMAND ${PROGRAM} ${args}
                  OUTPUT_VARIABLE stdout ERROR_VARIABLE stderr RESULT_VARIABLE status)
  # The agent prints its help on standard error, as the emulation's tool
  # does: in a sanitizer build a leak report there would join it.
  set(text "${stdout}")
  if(text STREQUAL "")
    set(text "${stderr}")
  endif()
  if(text STREQUAL "")
    message(FATAL_ERROR "${PROGRAM} ${USAGE_ARGS} printed no usage text (status ${status})")
  endif()
  string(REPLACE ";" "\\;" text "${text}")
  string(REPLACE "\n" ";" lines "${text}")
  set(${out} "${lines}" PARENT_SCOPE)
endfunction()

# Turns the usage text into sections. Up to its "usage:" line it is the
# program's banner, which the name line replaces. A line "HEADING:" (or
# "HEADING (words):") starts a section; "   --option  text" with its deeper
# indented continuation lines is one tagged paragraph; any other line is
# kept as it stands (tables, numbered notes).
function(usage_to_roff lines first_section out)
  set(result "")
  set(mode text)  # text, option or verbatim
  foreach(line IN LISTS lines)
    string(TOLOWER "${line}" lower)
    if(lower MATCHES "^usage:")
      set(result "")
      set(mode text)
      continue()
    endif()
    if(line MATCHES "^ *$")
      # A blank line ends an option's paragraph; a table keeps its own.
      if(mode STREQUAL "verbatim")
        string(APPEND result "\n")
      else()
        set(mode text)
      endif()
      continue()
    endif()
    if(result STREQUAL "")
      string(APPEND result ".SH ${first_section}\n")
    endif()
    if(line MATCHES "^([A-Z][A-Z ]*[A-Z])( [(](.*)[)])?:$")
      if(mode STREQUAL "verbatim")
        string(APPEND result ".fi\n")
      endif()
      string(APPEND result ".SH \"${CMAKE_MATCH_1}\"\n")
      if(CMAKE_MATCH_3)
        roff_text("${CMAKE_MATCH_3}" words)
        string(APPEND result "${words}\n")
      endif()
      set(mode text)
    elseif(line MATCHES "^ ? ? ? ? ?(--[^ ]+) *(.*)$")
      if(mode STREQUAL "verbatim")
        string(APPEND result ".fi\n")
      endif()
      roff_text("${CMAKE_MATCH_1}" tag)
      roff_text("${CMAKE_MATCH_2}" words)
      string(APPEND result ".TP\n.B ${tag}\n${words}\n")
      set(mode option)
    elseif(mode STREQUAL "option" AND line MATCHES "^       *([^ ].*)$")
      roff_text("${CMAKE_MATCH_1}" words)
      string(APPEND result "${words}\n")
    else()
      if(NOT mode STREQUAL "verbatim")
        string(APPEND result ".PP\n.nf\n")
        set(mode verbatim)
      endif()
      roff_text("${line}" words)
      string(APPEND result "${words}\n")
    endif()
  endforeach()
  if(mode STREQUAL "verbatim")
    string(APPEND result ".fi\n")
  endif()
  set(${out} "${result}" PARENT_SCOPE)
endfunction()

foreach(required NAME SUMMARY SYNOPSIS DESCRIPTION VERSION OUTPUT)
  if(NOT DEFINED ${required})
    message(FATAL_ERROR "man_page_script.cmake: ${required} is not given")
  endif()
endforeach()

string(TOUPPER "${NAME}" title)
roff_text("${SUMMARY}" summary)
roff_text("${SYNOPSIS}" synopsis)
roff_text("${DESCRIPTION}" description)
string(CONCAT page ".TH ${title} 1 \"\" \"Vesper ${VERSION}\" \"User Commands\"\n"
                   ".SH NAME\n${NAME} \\- ${summary}\n"
                   ".SH SYNOPSIS\n.B ${NAME}\n${synopsis}\n"
                   ".SH DESCRIPTION\n${description}\n")
if(DEFINED PROGRAM)
  if(NOT DEFINED FIRST_SECTION)
    set(FIRST_SECTION OPTIONS)
  endif()
  usage_lines(lines)
  usage_to_roff("${lines}" "${FIRST_SECTION}" usage)
  string(APPEND page "${usage}")
endif()
if(DEFINED SEE_ALSO)
  roff_text("${SEE_ALSO}" see_also)
  string(APPEND page ".SH \"SEE ALSO\"\n${see_also}\n")
endif()

file(WRITE "${OUTPUT}" "${page}")
file(REMOVE "${OUTPUT}.gz")
execute_process(COMMAND gzip -9n "${OUTPUT}" RESULT_VARIABLE status)
if(NOT status EQUAL 0)
  message(FATAL_ERROR "gzip -9n ${OUTPUT} failed (status ${status})")
endif()
