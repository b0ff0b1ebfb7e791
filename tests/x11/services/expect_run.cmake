# Runs CMD (a list) and fails unless it exits with EXPECT and its standard
# output and error match the regular expressions OUT and ERR.
execute_process(COMMAND ${CMD} RESULT_VARIABLE rc OUTPUT_VARIABLE out ERROR_VARIABLE err
                TIMEOUT 30)
if(NOT rc STREQUAL "${EXPECT}")
  message(FATAL_ERROR "exit status ${rc}, expected ${EXPECT}\nstdout: ${out}\nstderr: ${err}")
endif()
if(NOT out MATCHES "${OUT}")
  message(FATAL_ERROR "stdout does not match '${OUT}': ${out}")
endif()
if(NOT err MATCHES "${ERR}")
  message(FATAL_ERROR "stderr does not match '${ERR}': ${err}")
endif()
