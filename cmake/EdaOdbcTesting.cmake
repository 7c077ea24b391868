# Tests against real ODBC drivers (unixODBC with the SQLite3 and PostgreSQL drivers).
#
# The CTest fixture "postgres" starts a PostgreSQL server of its own before the first test that
# needs it (scripts/pg-test-server.sh: own data directory, a free port on 127.0.0.1) and stops it
# after the last. The server's DSN "EdaTestPostgres" is written to ${EDA_ODBC_TEST_DIR}/odbc.ini;
# the tests find it through ODBCINI, set in their environment (metalink/tests/support reads it).
#
# eda_add_odbc_gtest(name SOURCES ... LIBS ...) builds a GoogleTest binary whose tests run once
# per driver: tests with "Postgres" in their name need the fixture and carry the label "postgres",
# the others (label "odbc") run without a server.
set(EDA_ODBC_TEST_DIR ${PROJECT_BINARY_DIR}/testing/odbc)
file(MAKE_DIRECTORY ${EDA_ODBC_TEST_DIR})
# The DSN names its driver by path, so ODBCINI alone finds it.
set(EDA_ODBC_TEST_ENVIRONMENT "ODBCINI=${EDA_ODBC_TEST_DIR}/odbc.ini")

add_test(NAME postgres_server_start
  COMMAND ${PROJECT_SOURCE_DIR}/scripts/pg-test-server.sh start ${EDA_ODBC_TEST_DIR})
set_tests_properties(postgres_server_start PROPERTIES
  FIXTURES_SETUP postgres TIMEOUT 180 LABELS postgres)
add_test(NAME postgres_server_stop
  COMMAND ${PROJECT_SOURCE_DIR}/scripts/pg-test-server.sh stop ${EDA_ODBC_TEST_DIR})
set_tests_properties(postgres_server_stop PROPERTIES
  FIXTURES_CLEANUP postgres TIMEOUT 60 LABELS postgres)

function(eda_add_odbc_gtest name)
  cmake_parse_arguments(ARG "" "" "SOURCES;LIBS" ${ARGN})
  add_executable(${name} ${ARG_SOURCES})
  target_link_libraries(${name} PRIVATE ${ARG_LIBS} eda_test_support GTest::gtest GTest::gtest_main)
  target_compile_definitions(${name} PRIVATE
    EDA_SOURCE_DIR="${PROJECT_SOURCE_DIR}" EDA_BINARY_DIR="${PROJECT_BINARY_DIR}")
  # gtest_discover_tests does not pass list values on intact, so each property has one value.
  gtest_discover_tests(${name}
    DISCOVERY_TIMEOUT 60 NO_PRETTY_TYPES
    TEST_FILTER "-*Postgres*"
    PROPERTIES LABELS odbc ENVIRONMENT "${EDA_ODBC_TEST_ENVIRONMENT}")
  gtest_discover_tests(${name}
    DISCOVERY_TIMEOUT 60 NO_PRETTY_TYPES
    TEST_FILTER "*Postgres*"
    PROPERTIES LABELS postgres FIXTURES_REQUIRED postgres
               ENVIRONMENT "${EDA_ODBC_TEST_ENVIRONMENT}")
endfunction()
