# Writes a gzipped manual page (section 1) for one program. The options and
# notes come from the program's own usage text, so the page says what the
# program says; the name line, synopsis and description are given.
#   cmake -DNAME=vpxagent -DSUMMARY=... -DSYNOPSIS=[OPTION]... -DDESCRIPTION=...
#         -DVERSION=0.1 -DOUTPUT=.../vpxagent.1 [-DPROGRAM=... -DUSAGE_ARGS=--help]
#         [-DFIRST_SECTION=OPTIONS] [-DSEE_ALSO=...] -P man_page_script.cmake
# OUTPUT.gz is written (gzip -9n: no name or time stamp inside).
cmake_minimum_required(VERSION 3.25)

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

# The program's usage text.
function(usage_text out)
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
  set(${out} "${text}" PARENT_SCOPE)
endfunction()

# Turns the usage text into sections. Up to its "usage:" line it is the
# program's banner, which the name line replaces. A line "HEADING:" (or
# "HEADING (words):") starts a section; "   --option  text" with its deeper
# indented continuation lines is one tagged paragraph; any other line is
# kept as it stands (tables, numbered notes).
function(usage_to_roff text first_section out)
  set(result "")
  set(mode text)  # text, option or verbatim
  # Line by line without a CMake list, which a ';' or an unpaired '[' in
  # the text would split or join.
  while(NOT text STREQUAL "")
    string(FIND "${text}" "\n" end)
    if(end EQUAL -1)
      set(line "${text}")
      set(text "")
    else()
      string(SUBSTRING "${text}" 0 ${end} line)
      math(EXPR end "${end} + 1")
      string(SUBSTRING "${text}" ${end} -1 text)
    endif()
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
    set(heading "^([A-Z][A-Z ]*[A-Z])( [(](.*)[)])?:$")
    if(result STREQUAL "" AND NOT line MATCHES "${heading}")
      string(APPEND result ".SH ${first_section}\n")
    endif()
    if(line MATCHES "${heading}")
      if(mode STREQUAL "verbatim")
        string(APPEND result ".fi\n")
      endif()
      string(APPEND result ".SH \"${CMAKE_MATCH_1}\"\n")
      if(NOT "${CMAKE_MATCH_3}" STREQUAL "")
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
      string(APPEND result ".TP\n\\fB${tag}\\fR\n${words}\n")
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
  endwhile()
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
# No hyphenation: paths and option names stay whole, as they are typed.
string(CONCAT page ".TH ${title} 1 \"\" \"Vesper ${VERSION}\" \"User Commands\"\n.nh\n"
                   ".SH NAME\n${NAME} \\- ${summary}\n"
                   ".SH SYNOPSIS\n.B ${NAME}\n${synopsis}\n"
                   ".SH DESCRIPTION\n${description}\n")
if(DEFINED PROGRAM)
  if(NOT DEFINED FIRST_SECTION)
    set(FIRST_SECTION OPTIONS)
  endif()
  usage_text(text)
  usage_to_roff("${text}" "${FIRST_SECTION}" usage)
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
