# vlfpack check on one bundled package: it must load, say what the package's folder name says,
# and make the program show no box at all.
execute_process(COMMAND ${VLFPACK} check ${PACKAGE}
                RESULT_VARIABLE result OUTPUT_VARIABLE output ERROR_VARIABLE errors)
message("${output}")
get_filename_component(name ${PACKAGE} NAME_WE)
if(NOT result EQUAL 0)
  message(FATAL_ERROR "vlfpack check failed (${result}): ${errors}")
endif()
if(NOT errors STREQUAL "")
  message(FATAL_ERROR "the program would show boxes: ${errors}")
endif()
if(NOT output MATCHES "name: ${name}\n")
  message(FATAL_ERROR "the character is not called ${name}")
endif()
