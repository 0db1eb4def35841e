# cmake -DPIXBMP=… -DART=… -DEXPECTED=… -DOUTPUT=… -P ComparePicture.cmake
file(REMOVE ${OUTPUT})
execute_process(COMMAND ${PIXBMP} ${ART} ${OUTPUT} RESULT_VARIABLE status)
if(NOT status EQUAL 0)
  message(FATAL_ERROR "pixbmp failed: ${status}")
endif()
execute_process(COMMAND ${CMAKE_COMMAND} -E compare_files ${OUTPUT} ${EXPECTED}
                RESULT_VARIABLE different)
if(different)
  file(READ ${OUTPUT} written HEX)
  file(READ ${EXPECTED} wanted HEX)
  message(FATAL_ERROR "pixbmp wrote\n${written}\ninstead of\n${wanted}")
endif()
