# kivo_add_contract_suite: one instance of the seam's contract suite
# (tests/contract/) for one backend.
#
#   kivo_add_contract_suite(NAME <program> FACTORY <sources...>
#                           [LIBS <libraries...>] [LABELS <labels...>]
#                           [PARTS windows settings timers journal | toolkit] [PROPERTIES <prop> <value>...])
#
# FACTORY holds the backend's makeContractBackend(); LIBS are the backend's
# libraries. PARTS picks the groups of promises (windows, settings and
# timers by default; journal where the backend keeps decoration records).
# PROPERTIES go onto every test made (ENVIRONMENT, FIXTURES_REQUIRED ...),
# one value each. Call it once tests/contract/ has been added, which defines
# the parts (tests/CMakeLists.txt adds it before anything else that tests).
#
# Natively each case is a ctest test of its own, named <program>.<Suite>.<Case>,
# and a case whose promise the backend cannot check shows as skipped. In the
# cross build the program runs under Wine as one test with the label wine
# added; it shows as skipped when any case was (the log names them and why),
# and fails when any case failed.
#
# Every case takes the lock "kivo-desktop": each runs in a process of its
# own, and cases of a real backend share one desktop (its foreground, its
# focus) with each other and with other such tests.

function(kivo_add_contract_suite)
  cmake_parse_arguments(PARSE_ARGV 0 arg "" "NAME" "FACTORY;LIBS;LABELS;PARTS;PROPERTIES")
  if(NOT arg_NAME OR NOT arg_FACTORY)
    message(FATAL_ERROR "kivo_add_contract_suite needs NAME and FACTORY")
  endif()
  if(NOT arg_PARTS)
    set(arg_PARTS windows settings timers)
  endif()

  add_executable(${arg_NAME} ${arg_FACTORY})
  # Object libraries, linked directly: every case's registration is kept
  # (a static library would drop the files nothing refers to).
  # The toolkit suite has a rig of its own instead of the seam's backend.
  if(NOT arg_PARTS STREQUAL "toolkit")
    target_link_libraries(${arg_NAME} PRIVATE kivo_contract_common)
  endif()
  foreach(part IN LISTS arg_PARTS)
    if(NOT TARGET kivo_contract_${part})
      message(FATAL_ERROR "kivo_add_contract_suite: no part '${part}' (windows, settings, timers, journal, toolkit)")
    endif()
    target_link_libraries(${arg_NAME} PRIVATE kivo_contract_${part})
  endforeach()
  target_link_libraries(${arg_NAME} PRIVATE ${arg_LIBS} GTest::gtest_main)

  if(CMAKE_CROSSCOMPILING)
    add_test(NAME ${arg_NAME}.wine
             COMMAND ${CMAKE_COMMAND} "-DEMULATOR=${CMAKE_CROSSCOMPILING_EMULATOR}"
                     "-DPROGRAM=$<TARGET_FILE:${arg_NAME}>"
                     -P ${CMAKE_CURRENT_FUNCTION_LIST_DIR}/run_contract_suite.cmake)
    set_tests_properties(${arg_NAME}.wine PROPERTIES
      LABELS "${arg_LABELS};wine" TIMEOUT 600 RESOURCE_LOCK kivo-desktop
      SKIP_REGULAR_EXPRESSION "Contract cases skipped" ${arg_PROPERTIES})
  else()
    # Listing the cases of a real backend starts a display and a window
    # manager first, which takes far more than the default 5 s on a loaded
    # machine.
    gtest_discover_tests(${arg_NAME} TEST_PREFIX "${arg_NAME}." DISCOVERY_TIMEOUT 120
      PROPERTIES RESOURCE_LOCK kivo-desktop SKIP_REGULAR_EXPRESSION "\\[  SKIPPED \\]"
                 ${arg_PROPERTIES})
    # The labels are set after discovery by a script of their own: the
    # discovery flattens its PROPERTIES, so a list of labels would not
    # survive it.
    set(labels_script ${CMAKE_CURRENT_BINARY_DIR}/${arg_NAME}_labels.cmake)
    file(WRITE ${labels_script}
         "if(${arg_NAME}_TESTS)\n"
         "  set_tests_properties(\${${arg_NAME}_TESTS} PROPERTIES LABELS \"${arg_LABELS}\")\n"
         "endif()\n")
    set_property(DIRECTORY APPEND PROPERTY TEST_INCLUDE_FILES ${labels_script})
  endif()
endfunction()
