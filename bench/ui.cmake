# Start-up of the main window: construction, show and the first activation
# (listing and sorting the aliases) with KVRCFG files of 0, 1,000 and 10,000
# aliases, under Qt's offscreen platform.
add_executable(startup_bench ${CMAKE_CURRENT_LIST_DIR}/startup_bench.cpp)
target_link_libraries(startup_bench PRIVATE kavrolis_ui Qt6::Widgets benchmark::benchmark)
