# kvrcfg on large alias files: export against list --json.
add_executable(cli_bench ${CMAKE_CURRENT_LIST_DIR}/cli_bench.cpp)
target_link_libraries(cli_bench PRIVATE kavrolis_cli benchmark::benchmark)
