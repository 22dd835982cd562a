# Start-up of the main window: construction, show and the first activation
# (listing and sorting the aliases) with KVRCFG files of 0, 1,000 and 10,000
# aliases, under Qt's offscreen platform.
add_executable(startup_bench ${CMAKE_CURRENT_LIST_DIR}/startup_bench.cpp)
target_link_libraries(startup_bench PRIVATE kavrolis_ui kavrolis_app Qt6::Widgets benchmark::benchmark)

# The connection test from the click on btnTest to the result box.
if(TARGET kavrolis_test_fixtures)
  add_executable(test_button_bench ${CMAKE_CURRENT_LIST_DIR}/test_button_bench.cpp)
  target_include_directories(test_button_bench PRIVATE ${PROJECT_SOURCE_DIR}/src ${PROJECT_SOURCE_DIR}/tests)
  target_link_libraries(test_button_bench PRIVATE kavrolis_ui kavrolis_app kavrolis_test_fixtures Qt6::Widgets Qt6::Test benchmark::benchmark)
endif()
