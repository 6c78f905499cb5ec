# Writes the help2man include file of ostrel-cli: a COMMANDS section with the
# --help of every command that `ostrel-cli --help` lists, then the fixed
# sections of EXTRA. Run at build time: cmake -DCLI=… -DOUT=… -DEXTRA=… -P
execute_process(COMMAND ${CLI} --help OUTPUT_VARIABLE top RESULT_VARIABLE rc)
if(NOT rc EQUAL 0)
  message(FATAL_ERROR "${CLI} --help failed")
endif()
# The command names: the first word of each line below "Subcommands:".
string(REGEX REPLACE ".*\nSubcommands:\n" "" listing "${top}")
string(REPLACE "\n" ";" lines "${listing}")
set(commands)
foreach(line IN LISTS lines)
  if(line MATCHES "^  ([a-z][a-z0-9-]*)")
    list(APPEND commands ${CMAKE_MATCH_1})
  endif()
endforeach()
if(NOT commands)
  message(FATAL_ERROR "${CLI} --help lists no commands")
endif()

set(body "[COMMANDS]\n")
foreach(command IN LISTS commands)
  execute_process(COMMAND ${CLI} ${command} --help OUTPUT_VARIABLE help RESULT_VARIABLE rc)
  if(NOT rc EQUAL 0)
    message(FATAL_ERROR "${CLI} ${command} --help failed")
  endif()
  # roff: a backslash is written \e; a line starting with . or ' is escaped.
  string(REPLACE "\\" "\\e" help "${help}")
  string(REGEX REPLACE "(^|\n)([.'])" "\\1\\\\&\\2" help "${help}")
  string(STRIP "${help}" help)
  string(APPEND body ".SS ${command}\n.nf\n${help}\n.fi\n")
endforeach()
file(READ ${EXTRA} extra)
file(WRITE ${OUT} "${body}\n${extra}")
