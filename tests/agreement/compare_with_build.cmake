# Runs the agreement program of this build (PROGRAM, through EMULATOR) and of another build (REFERENCE,
# through REFERENCE_EMULATOR when that one is a cross build too) and compares the outputs: with the
# native COMPARATOR when one is given (bit for bit, or within a tolerance where the C runtimes' exp, log
# and sin round differently), else byte for byte. Says "skipped" when the other build is missing.
foreach(file ${REFERENCE} ${COMPARATOR})
  if(NOT EXISTS ${file})
    message("skipped: ${file} does not exist (${HINT})")
    return()
  endif()
endforeach()
execute_process(COMMAND ${REFERENCE_EMULATOR} ${REFERENCE} OUTPUT_FILE ${OUTPUT}-reference.txt
                RESULT_VARIABLE reference_status)
execute_process(COMMAND ${EMULATOR} ${PROGRAM} OUTPUT_FILE ${OUTPUT}.txt RESULT_VARIABLE status)
if(NOT reference_status EQUAL 0 OR NOT status EQUAL 0)
  message(FATAL_ERROR "agreement programs failed: the other build ${reference_status}, this build ${status}")
endif()
if(COMPARATOR)
  execute_process(COMMAND ${COMPARATOR} ${OUTPUT}-reference.txt ${OUTPUT}.txt RESULT_VARIABLE differ)
else()
  execute_process(COMMAND ${CMAKE_COMMAND} -E compare_files ${OUTPUT}-reference.txt ${OUTPUT}.txt
                  RESULT_VARIABLE differ)
endif()
if(NOT differ EQUAL 0)
  message(FATAL_ERROR "${OUTPUT}.txt does not agree with ${OUTPUT}-reference.txt")
endif()
file(STRINGS ${OUTPUT}.txt lines)
list(LENGTH lines count)
message("agreeing: ${count} lines")
