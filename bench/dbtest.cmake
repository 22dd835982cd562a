# One connection test: a closed port (should fail in well under 100 ms) and a
# login against the test responder on 127.0.0.1.
if(TARGET kavrolis_test_fixtures)
  add_executable(dbtest_bench ${CMAKE_CURRENT_LIST_DIR}/dbtest_bench.cpp)
  target_include_directories(dbtest_bench PRIVATE ${PROJECT_SOURCE_DIR}/src ${PROJECT_SOURCE_DIR}/tests)
  target_link_libraries(dbtest_bench PRIVATE kavrolis_dbtest_opener kavrolis_test_fixtures benchmark::benchmark)
endif()
