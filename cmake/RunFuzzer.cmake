# Runs one libFuzzer target for a bounded time on a copy of its corpus: the folders of SEEDS
# ("|" between them; a missing one is skipped), with the fuzzer's OPTIONS ("|" between them).
string(REPLACE "|" ";" seed_folders "${SEEDS}")
string(REPLACE "|" ";" options "${OPTIONS}")
file(REMOVE_RECURSE ${WORK})
file(MAKE_DIRECTORY ${WORK})
foreach(folder IN LISTS seed_folders)
  if(IS_DIRECTORY ${folder})
    file(COPY ${folder}/ DESTINATION ${WORK})
  endif()
endforeach()
execute_process(COMMAND ${FUZZER} -max_total_time=${SECONDS} -seed=1 ${options}
                        -print_final_stats=1 ${WORK}
                RESULT_VARIABLE result)
if(NOT result EQUAL 0)
  message(FATAL_ERROR "fuzzer ${FUZZER} failed (${result})")
endif()
