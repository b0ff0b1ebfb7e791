# Runs a contract suite program through the cross build's emulator (Wine) as
# one ctest test: -DEMULATOR=<command list> -DPROGRAM=<program>.
# Fails when the program fails. When it passed but skipped cases (promises
# its backend cannot check), it says so on a line of its own, which the
# test's SKIP_REGULAR_EXPRESSION turns into "skipped": a skip never passes
# silently.
execute_process(COMMAND ${EMULATOR} ${PROGRAM} --gtest_color=no
                RESULT_VARIABLE rc OUTPUT_VARIABLE out ERROR_VARIABLE out)
message("${out}")
if(NOT rc EQUAL 0)
  message(FATAL_ERROR "${PROGRAM} failed (exit status ${rc})")
endif()
if(out MATCHES "\\[  SKIPPED \\]")
  message("Contract cases skipped: the lines marked SKIPPED above name them and why.")
endif()
