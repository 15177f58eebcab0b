# Test helpers shared by every folder.
#
#   korvo_add_gtest(NAME SOURCES ... [LIBS ...] [PROPERTIES ...])
#     A GoogleTest executable, registered with CTest test by test. In the
#     Windows build it runs under Wine through CMAKE_CROSSCOMPILING_EMULATOR.
#
# Windows build under Wine (tests get these through KORVO_TEST_PROPERTIES):
#   KORVO_WINE_RUN   path of cmake/wine-run.sh. Use it in add_test for host-side
#                    steps: `${KORVO_WINE_RUN} --prefix` prints the prefix path,
#                    `${KORVO_WINE_RUN} reg query KEY /v NAME` reads the registry,
#                    `${KORVO_WINE_RUN} --shell CMD...` runs a host command with
#                    WINEPREFIX set (`'$WINEPREFIX'` in its arguments is replaced).
#   Every test's environment holds KORVO_BUILD_DIR; a test that needs a prefix
#   of its own sets ENVIRONMENT KORVO_WINEPREFIX=<new folder> (made as a copy of
#   the pristine prefix on first use). Inside a run, the Windows program sees
#   WINEPREFIX and the Unix path of its prefix in the environment.
#   The fixture `korvo_wine` (test wine.prefix) creates the prefix and display.
#
#   korvo_add_fuzz_target(NAME SOURCES ... [LIBS ...] [CORPUS dir] [DICT file])
#     A libFuzzer target (LLVMFuzzerTestOneInput). With KORVO_FUZZ it links
#     libFuzzer; otherwise it links a replay main and CTest runs it over its
#     seed corpus, so the corpus stays a regression test on every compiler.

include(GoogleTest)

if(CMAKE_CROSSCOMPILING)
  # GoogleTest from Debian's sources, built for the target.
  if(NOT TARGET GTest::gtest_main)
    set(INSTALL_GTEST OFF CACHE BOOL "" FORCE)
    set(BUILD_GMOCK ON CACHE BOOL "" FORCE)
    set(gtest_disable_pthreads OFF CACHE BOOL "" FORCE)
    add_subdirectory(/usr/src/googletest ${CMAKE_BINARY_DIR}/_googletest EXCLUDE_FROM_ALL)
    # Newer GoogleTest sources define the namespaced names themselves.
    foreach(lib gtest gtest_main gmock)
      if(NOT TARGET GTest::${lib})
        add_library(GTest::${lib} ALIAS ${lib})
      endif()
    endforeach()
  endif()
else()
  find_package(GTest REQUIRED)
endif()

if(CMAKE_CROSSCOMPILING AND WIN32)
  # Every test runs through cmake/wine-run.sh in this build tree's own Wine
  # prefix (see the top of that script for its helper commands). The script
  # finds the build tree by itself; the variable makes it explicit for tests.
  set(KORVO_WINE_RUN ${CMAKE_CURRENT_LIST_DIR}/wine-run.sh)
  list(APPEND KORVO_TEST_PROPERTIES ENVIRONMENT "KORVO_BUILD_DIR=${CMAKE_BINARY_DIR}")
  # Creates the prefix and the display before the first test; the discovery
  # runs at the start of CTest create them under the same lock if needed.
  add_test(NAME wine.prefix COMMAND ${KORVO_WINE_RUN} --setup)
  set_tests_properties(wine.prefix PROPERTIES
    ENVIRONMENT "KORVO_BUILD_DIR=${CMAKE_BINARY_DIR}"
    FIXTURES_SETUP korvo_wine TIMEOUT 600)
  list(APPEND KORVO_TEST_PROPERTIES FIXTURES_REQUIRED korvo_wine)
endif()

function(korvo_add_gtest name)
  cmake_parse_arguments(ARG "" "" "SOURCES;LIBS;PROPERTIES" ${ARGN})
  add_executable(${name} ${ARG_SOURCES})
  # Project headers, test helpers included, are named from the tree's root.
  target_include_directories(${name} PRIVATE ${PROJECT_SOURCE_DIR})
  target_link_libraries(${name} PRIVATE ${ARG_LIBS} GTest::gtest_main GTest::gmock)
  if(CMAKE_CROSSCOMPILING)
    # Console program, so Wine passes GoogleTest's output through.
    target_link_options(${name} PRIVATE -mconsole)
  endif()
  gtest_discover_tests(${name}
    DISCOVERY_MODE PRE_TEST
    DISCOVERY_TIMEOUT 120
    WORKING_DIRECTORY ${CMAKE_CURRENT_BINARY_DIR}
    PROPERTIES ${KORVO_TEST_PROPERTIES} ${ARG_PROPERTIES})
endfunction()

set(KORVO_FUZZ_DIR ${CMAKE_CURRENT_LIST_DIR}/../tests/fuzz)

function(korvo_add_fuzz_target name)
  cmake_parse_arguments(ARG "" "CORPUS;DICT" "SOURCES;LIBS" ${ARGN})
  add_executable(${name} ${ARG_SOURCES})
  target_link_libraries(${name} PRIVATE ${ARG_LIBS})
  if(KORVO_FUZZ)
    target_compile_options(${name} PRIVATE -fsanitize=fuzzer)
    target_link_options(${name} PRIVATE -fsanitize=fuzzer)
  else()
    target_sources(${name} PRIVATE ${KORVO_FUZZ_DIR}/replay_main.cpp)
  endif()
  if(ARG_CORPUS)
    if(KORVO_FUZZ)
      # A short campaign from the seed corpus. libFuzzer writes the inputs it
      # finds into the first folder it is given: a scratch folder in the build
      # tree, so the committed seeds stay as they are.
      set(found ${CMAKE_CURRENT_BINARY_DIR}/fuzz-found/${name})
      file(MAKE_DIRECTORY ${found})
      set(dict_option)
      if(ARG_DICT)
        set(dict_option -dict=${ARG_DICT})
      endif()
      # -max_len past a whole block (32,772 bytes with its header): libFuzzer
      # otherwise stays near the largest seed and never reaches a block's end.
      add_test(NAME fuzz.${name}
               COMMAND ${name} -runs=20000 -max_total_time=60 -max_len=70000 ${dict_option} ${found}
                       ${ARG_CORPUS})
    else()
      add_test(NAME fuzz.${name} COMMAND ${name} ${ARG_CORPUS})
    endif()
    set_tests_properties(fuzz.${name} PROPERTIES ${KORVO_TEST_PROPERTIES} TIMEOUT 300)
  endif()
endfunction()
