# Compiler settings for the project's own targets, and the helpers every folder uses to declare
# libraries, tests, fuzz targets and benchmarks.

set(VLZ_WARNINGS -Wall -Wextra -Wpedantic -Wshadow -Wnon-virtual-dtor -Wcast-align
    -Wimplicit-fallthrough -Werror)

if(VLZ_SANITIZE)
  add_compile_options(-fsanitize=address,undefined -fno-omit-frame-pointer
                      -fno-sanitize-recover=undefined)
  add_link_options(-fsanitize=address,undefined)
endif()

if(VLZ_FUZZ)
  if(NOT CMAKE_CXX_COMPILER_ID STREQUAL "Clang")
    message(FATAL_ERROR "The fuzz build needs clang (CXX=clang++)")
  endif()
  # Undefined behaviour stops the run and keeps its input, as an overflow does.
  add_compile_options(-fsanitize=fuzzer-no-link,address,undefined -fno-sanitize-recover=undefined
                      -fno-omit-frame-pointer -g -O1)
  add_link_options(-fsanitize=address,undefined)
endif()

# vlz_warnings(target): warnings are errors in the project's own code.
function(vlz_warnings target)
  target_compile_options(${target} PRIVATE ${VLZ_WARNINGS})
endfunction()

# vlz_library(name [QT] [SOURCES ...]): the library of the folder it is declared in, made from every
# .cpp of that folder unless SOURCES names them. The folder says what the library links with its
# own target_link_libraries. QT runs Qt's meta-object compiler over it.
function(vlz_library name)
  cmake_parse_arguments(arg "QT" "" "SOURCES" ${ARGN})
  set(sources ${arg_SOURCES})
  if(NOT sources)
    file(GLOB sources CONFIGURE_DEPENDS ${CMAKE_CURRENT_SOURCE_DIR}/*.cpp)
  endif()
  add_library(${name} STATIC ${sources})
  target_include_directories(${name} PUBLIC ${PROJECT_SOURCE_DIR}/src)
  if(arg_QT)
    set_target_properties(${name} PROPERTIES AUTOMOC ON)
  endif()
  vlz_warnings(${name})
endfunction()

# vlz_test(name SOURCES ... DEPENDS ... [LABELS ...] [QT]): a GoogleTest program run by CTest.
# QT marks tests that need a QApplication; they run on the offscreen platform.
function(vlz_test name)
  cmake_parse_arguments(arg "QT" "TIMEOUT" "SOURCES;DEPENDS;LABELS" ${ARGN})
  if(NOT VLZ_BUILD_TESTS)
    return()
  endif()
  add_executable(${name} ${arg_SOURCES})
  target_link_libraries(${name} PRIVATE ${arg_DEPENDS} GTest::gtest GTest::gmock GTest::gtest_main)
  target_include_directories(${name} PRIVATE ${PROJECT_SOURCE_DIR}/src ${PROJECT_SOURCE_DIR}/tests)
  target_compile_definitions(${name} PRIVATE VLZ_SOURCE_DIR="${PROJECT_SOURCE_DIR}"
                                             VLZ_BINARY_DIR="${PROJECT_BINARY_DIR}")
  vlz_warnings(${name})
  add_test(NAME ${name} COMMAND ${name})
  set(environment "LSAN_OPTIONS=suppressions=${PROJECT_SOURCE_DIR}/tests/lsan.supp:print_suppressions=0"
                  "UBSAN_OPTIONS=print_stacktrace=1")
  if(arg_QT)
    list(APPEND environment "QT_QPA_PLATFORM=offscreen")
  endif()
  set_tests_properties(${name} PROPERTIES ENVIRONMENT "${environment}")
  if(arg_LABELS)
    set_tests_properties(${name} PROPERTIES LABELS "${arg_LABELS}")
  endif()
  if(arg_TIMEOUT)
    set_tests_properties(${name} PROPERTIES TIMEOUT ${arg_TIMEOUT})
  endif()
endfunction()

# vlz_fuzzer(name SOURCES ... DEPENDS ... SEEDS dir... [DICTIONARY file] [SECONDS n]): a libFuzzer
# target, built only in the fuzz build. Its corpus is the hand-made seeds of the SEEDS folders plus
# what long fuzzing found and kept in tests/data/fuzz/<name>/ (scripts/fuzz.sh). CTest runs it
# for a short bounded time on a copy of that corpus (label "fuzz"), so that the run never adds
# files to the source tree. The folders and the program are listed in fuzz-targets/<name>.txt of
# the build folder for scripts/fuzz.sh.
function(vlz_fuzzer name)
  cmake_parse_arguments(arg "" "DICTIONARY;SECONDS" "SOURCES;DEPENDS;SEEDS" ${ARGN})
  if(NOT VLZ_FUZZ)
    return()
  endif()
  if(NOT arg_SECONDS)
    set(arg_SECONDS 15)
  endif()
  add_executable(${name} ${arg_SOURCES})
  target_link_libraries(${name} PRIVATE ${arg_DEPENDS})
  target_include_directories(${name} PRIVATE ${PROJECT_SOURCE_DIR}/src ${PROJECT_SOURCE_DIR}/tests)
  target_link_options(${name} PRIVATE -fsanitize=fuzzer)
  vlz_warnings(${name})

  set(found ${PROJECT_SOURCE_DIR}/tests/data/fuzz/${name})
  set(manifest "fuzzer=$<TARGET_FILE:${name}>\ncorpus=${found}\n")
  foreach(seeds IN LISTS arg_SEEDS)
    string(APPEND manifest "seeds=${seeds}\n")
  endforeach()
  set(options -timeout=10 -rss_limit_mb=2048)
  if(arg_DICTIONARY)
    string(APPEND manifest "dictionary=${arg_DICTIONARY}\n")
    list(APPEND options -dict=${arg_DICTIONARY})
  endif()
  file(GENERATE OUTPUT ${PROJECT_BINARY_DIR}/fuzz-targets/${name}.txt CONTENT "${manifest}")

  # The lists travel to the script with "|" between their items.
  list(JOIN arg_SEEDS "|" seed_folders)
  list(JOIN options "|" fuzzer_options)
  set(work ${CMAKE_CURRENT_BINARY_DIR}/${name}_corpus)
  add_test(NAME ${name}
           COMMAND ${CMAKE_COMMAND} -DFUZZER=$<TARGET_FILE:${name}>
                   "-DSEEDS=${found}|${seed_folders}" "-DOPTIONS=${fuzzer_options}"
                   -DWORK=${work} -DSECONDS=${arg_SECONDS}
                   -P ${PROJECT_SOURCE_DIR}/cmake/RunFuzzer.cmake)
  set_tests_properties(${name} PROPERTIES LABELS fuzz TIMEOUT 600)
endfunction()

# vlz_benchmark(name SOURCES ... DEPENDS ...): a Google Benchmark program (not run by the tests).
function(vlz_benchmark name)
  cmake_parse_arguments(arg "" "" "SOURCES;DEPENDS" ${ARGN})
  if(NOT VLZ_BUILD_BENCH)
    return()
  endif()
  add_executable(${name} ${arg_SOURCES})
  target_link_libraries(${name} PRIVATE ${arg_DEPENDS} benchmark::benchmark)
  target_include_directories(${name} PRIVATE ${PROJECT_SOURCE_DIR}/src)
  set_target_properties(${name} PROPERTIES RUNTIME_OUTPUT_DIRECTORY ${PROJECT_BINARY_DIR}/bench)
  vlz_warnings(${name})
endfunction()

# vlz_tool(name SOURCES ... DEPENDS ...): a command-line tool in build/bin.
function(vlz_tool name)
  cmake_parse_arguments(arg "" "" "SOURCES;DEPENDS" ${ARGN})
  add_executable(${name} ${arg_SOURCES})
  target_link_libraries(${name} PRIVATE ${arg_DEPENDS})
  set_target_properties(${name} PROPERTIES RUNTIME_OUTPUT_DIRECTORY ${VLZ_BIN_DIR})
  vlz_warnings(${name})
endfunction()
