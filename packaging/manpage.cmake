# Writes a manual page from its roff template and the program's own --help texts, so the page
# shows exactly the options the built program takes, then compresses it (gzip -9n, as Debian
# installs manual pages).
#   cmake -DPROGRAM=exe -DTEMPLATE=page.1.in -DOUTPUT=page.1 -DVERSION=x [-DSUBCOMMANDS=ON] -P manpage.cmake
# The template may use @VERSION@, @DATE@, @USAGE@ (the --help text) and @COMMANDS@ (one
# subsection per sub-command with its own --help text).

function(help_text out)
  execute_process(COMMAND ${ARGN} OUTPUT_VARIABLE text ERROR_QUIET RESULT_VARIABLE rc)
  if(NOT rc EQUAL 0 OR text STREQUAL "")
    message(FATAL_ERROR "manpage: '${ARGN}' failed (${rc})")
  endif()
  set(${out} "${text}" PARENT_SCOPE)
endfunction()

# A help text as a no-fill block: backslashes, option dashes and control characters at the
# start of a line are escaped so groff prints the text as written.
function(roff_verbatim out text)
  string(REPLACE "\\" "\\e" text "${text}")
  string(REPLACE "-" "\\-" text "${text}")
  string(REGEX REPLACE "\n([.'])" "\n\\\\&\\1" text "\n${text}")
  string(REGEX REPLACE "^\n" "" text "${text}")
  string(REGEX REPLACE "\n+$" "" text "${text}")
  set(${out} ".nf\n${text}\n.fi" PARENT_SCOPE)
endfunction()

help_text(help ${PROGRAM} --help)
roff_verbatim(USAGE "${help}")
set(COMMANDS "")
if(SUBCOMMANDS)
  string(REGEX MATCHALL "\n  [a-z][a-z0-9-]* " lines "${help}")
  foreach(line ${lines})
    string(STRIP "${line}" name)
    help_text(sub ${PROGRAM} ${name} --help)
    roff_verbatim(block "${sub}")
    string(APPEND COMMANDS ".SS ${name}\n${block}\n")
  endforeach()
  if(COMMANDS STREQUAL "")
    message(FATAL_ERROR "manpage: no commands found in the --help text of ${PROGRAM}")
  endif()
endif()
string(TIMESTAMP DATE "%Y-%m-%d" UTC)
configure_file(${TEMPLATE} ${OUTPUT} @ONLY)
file(REMOVE ${OUTPUT}.gz)
execute_process(COMMAND gzip -9n ${OUTPUT} RESULT_VARIABLE rc)
if(NOT rc EQUAL 0)
  message(FATAL_ERROR "manpage: gzip ${OUTPUT} failed")
endif()
