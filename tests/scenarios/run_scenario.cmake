# Runs one kivo-sim scenario and compares its output with the golden file.
# cmake -DSIM=kivo-sim -DSCRIPT=x.kivo -DEXPECTED=x.expected -DACTUAL=x.actual -P run_scenario.cmake
execute_process(COMMAND ${SIM} ${SCRIPT} OUTPUT_FILE ${ACTUAL} ERROR_VARIABLE err RESULT_VARIABLE rc)
if(NOT rc EQUAL 0)
  message(FATAL_ERROR "kivo-sim ${SCRIPT} exited with ${rc}: ${err}")
endif()
if(NOT EXISTS ${EXPECTED})
  message(FATAL_ERROR "no golden file ${EXPECTED}; the output is in ${ACTUAL}")
endif()
execute_process(COMMAND ${CMAKE_COMMAND} -E compare_files ${EXPECTED} ${ACTUAL} RESULT_VARIABLE differ)
if(differ)
  # A unified diff names the first lines that moved; diff is not on every
  # system, so its absence only costs the detail.
  find_program(DIFF diff)
  if(DIFF)
    execute_process(COMMAND ${DIFF} -u ${EXPECTED} ${ACTUAL} OUTPUT_VARIABLE delta)
  endif()
  message(FATAL_ERROR "output differs from ${EXPECTED}:\n${delta}")
endif()
