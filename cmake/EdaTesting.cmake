# eda_add_gtest(name SOURCES ... LIBS ... [LABELS ...])
# One test binary per module; every TEST becomes its own CTest test.
function(eda_add_gtest name)
  cmake_parse_arguments(ARG "" "" "SOURCES;LIBS;LABELS;PROPERTIES" ${ARGN})
  add_executable(${name} ${ARG_SOURCES})
  target_link_libraries(${name} PRIVATE ${ARG_LIBS} eda_test_support GTest::gtest GTest::gtest_main)
  target_compile_definitions(${name} PRIVATE
    EDA_SOURCE_DIR="${PROJECT_SOURCE_DIR}" EDA_BINARY_DIR="${PROJECT_BINARY_DIR}")
  gtest_discover_tests(${name}
    DISCOVERY_TIMEOUT 60
    PROPERTIES LABELS "${ARG_LABELS}" ${ARG_PROPERTIES})
endfunction()
