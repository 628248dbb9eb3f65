# Sparse LU: factorise, solve both ways, replace columns.
add_executable(bench_lu ${CMAKE_CURRENT_SOURCE_DIR}/lu_bench.cpp)
target_link_libraries(bench_lu PRIVATE posy_lu benchmark::benchmark benchmark::benchmark_main)
