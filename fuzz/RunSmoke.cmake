# A short fuzz run for CTest: new inputs go to a scratch corpus beside the build, the seed corpus
# in the repository is only read. Usage: cmake -DFUZZER=... -DSEEDS=... -DWORK=... -DSECONDS=...
#   -P RunSmoke.cmake
file(REMOVE_RECURSE "${WORK}")
file(MAKE_DIRECTORY "${WORK}/corpus" "${WORK}/artifacts")
execute_process(
    COMMAND "${FUZZER}" -max_total_time=${SECONDS} -timeout=25 -print_final_stats=1
            "-artifact_prefix=${WORK}/artifacts/" "${WORK}/corpus" "${SEEDS}"
    RESULT_VARIABLE result
    OUTPUT_VARIABLE output
    ERROR_VARIABLE output)
string(REGEX MATCH "stat::number_of_executed_units: *[0-9]+" executions "${output}")
if(NOT result EQUAL 0)
    message("${output}")
    message(FATAL_ERROR "${FUZZER} failed (${result}); the input that found it is in ${WORK}/artifacts")
endif()
message(STATUS "${executions}")
