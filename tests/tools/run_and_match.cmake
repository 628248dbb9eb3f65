# Runs a command and checks its exit status and output.
#   cmake -DCMD=<;-list> -DRC=<expected exit status> [-DREGEX=<output must match>]
#         [-DLOG=<file> -DLOG_REGEX=<file must match>] -P run_and_match.cmake
execute_process(COMMAND ${CMD} RESULT_VARIABLE rc OUTPUT_VARIABLE out ERROR_VARIABLE err)
message("${out}${err}")
if(NOT rc STREQUAL RC)
  message(FATAL_ERROR "exit status ${rc}, expected ${RC}")
endif()
if(DEFINED REGEX AND NOT "${out}${err}" MATCHES "${REGEX}")
  message(FATAL_ERROR "output does not match: ${REGEX}")
endif()
if(DEFINED LOG)
  file(READ "${LOG}" log)
  if(NOT log MATCHES "${LOG_REGEX}")
    message(FATAL_ERROR "${LOG} does not match: ${LOG_REGEX}")
  endif()
endif()
