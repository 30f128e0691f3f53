# Runs a benchmark program for one short pass and fails where it failed: a nonzero exit, a
# crash, or a benchmark that reported an error of its own (Google Benchmark exits 0 then).
# Usage: cmake -DBENCH=<program> -P RunBenchmarkOnce.cmake
if(NOT BENCH)
  message(FATAL_ERROR "RunBenchmarkOnce: BENCH not given")
endif()
execute_process(COMMAND "${BENCH}" --benchmark_min_time=0
                RESULT_VARIABLE status OUTPUT_VARIABLE out ERROR_VARIABLE err)
message("${out}${err}")
if(NOT status EQUAL 0)
  message(FATAL_ERROR "${BENCH} ended with status ${status}")
endif()
if(out MATCHES "ERROR OCCURRED" OR err MATCHES "ERROR OCCURRED")
  message(FATAL_ERROR "${BENCH}: a benchmark reported an error")
endif()
