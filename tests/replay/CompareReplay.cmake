# Plays one replay script and fails, showing both texts, when the statistics differ from the expectation.
execute_process(COMMAND ${RUNNER} ${SCRIPT}
  OUTPUT_VARIABLE actual ERROR_VARIABLE errors RESULT_VARIABLE result)
file(READ ${EXPECTED} expected)
if(NOT result EQUAL 0)
  message(FATAL_ERROR "replay of ${SCRIPT} failed (${result}):\n${errors}\n${actual}")
endif()
if(NOT actual STREQUAL expected)
  message(FATAL_ERROR "replay of ${SCRIPT} differs from ${EXPECTED}\n--- expected\n${expected}--- actual\n${actual}")
endif()
