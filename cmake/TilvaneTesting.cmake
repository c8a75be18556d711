# Helpers for the test suite.
find_package(GTest REQUIRED)

# The environment every test runs in: no display, and a home and XDG folders of
# its own below the build folder, so no test touches the real home folder.
set(TILVANE_TEST_HOME ${CMAKE_BINARY_DIR}/testhome)
file(MAKE_DIRECTORY ${TILVANE_TEST_HOME})
set(TILVANE_TEST_ENV
  QT_QPA_PLATFORM=offscreen
  HOME=${TILVANE_TEST_HOME}
  XDG_CONFIG_HOME=${TILVANE_TEST_HOME}/config
  XDG_DATA_HOME=${TILVANE_TEST_HOME}/data
  XDG_RUNTIME_DIR=${TILVANE_TEST_HOME}/runtime
  XDG_CACHE_HOME=${TILVANE_TEST_HOME}/cache
  TILVANE_CORPUS_DIR=${TILVANE_CORPUS_DIR}
  TILVANE_TEST_DATA=${CMAKE_SOURCE_DIR}/tests/data
  TILVANE_DISPLAY_DEPTH=24)

# tilvane_gtest(NAME SOURCES a.cpp b.cpp LIBS lib1 lib2)
# One GoogleTest executable, registered as one CTest test.
function(tilvane_gtest name)
  cmake_parse_arguments(T "" "" "SOURCES;LIBS" ${ARGN})
  add_executable(${name} ${T_SOURCES})
  target_link_libraries(${name} PRIVATE ${T_LIBS} GTest::gtest GTest::gtest_main GTest::gmock Threads::Threads)
  add_test(NAME ${name} COMMAND ${name})
  set_tests_properties(${name} PROPERTIES ENVIRONMENT "${TILVANE_TEST_ENV}" TIMEOUT 600)
endfunction()

# tilvane_qtest(NAME SOURCES a.cpp LIBS lib1)
# One Qt Test executable (the sources hold QTEST_MAIN), run on the offscreen platform.
function(tilvane_qtest name)
  cmake_parse_arguments(T "" "" "SOURCES;LIBS" ${ARGN})
  add_executable(${name} ${T_SOURCES})
  set_target_properties(${name} PROPERTIES AUTOMOC ON)
  target_link_libraries(${name} PRIVATE ${T_LIBS} Qt6::Test Qt6::Widgets Threads::Threads)
  add_test(NAME ${name} COMMAND ${name})
  set_tests_properties(${name} PROPERTIES ENVIRONMENT "${TILVANE_TEST_ENV}" TIMEOUT 600)
endfunction()
