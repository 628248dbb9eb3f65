# GP solver: POSY on classic test problems (report written to a temp file).
if(TARGET posy_gp)
  add_executable(bench_gp ${CMAKE_CURRENT_SOURCE_DIR}/gp_solve_bench.cpp)
  target_include_directories(bench_gp PRIVATE ${PROJECT_SOURCE_DIR}/tests/gp)
  target_link_libraries(bench_gp PRIVATE posy_gp benchmark::benchmark
                        benchmark::benchmark_main)
  target_compile_definitions(bench_gp PRIVATE
    POSY_GP_TESTSET="${PROJECT_SOURCE_DIR}/../shared/gp-testset")
endif()
