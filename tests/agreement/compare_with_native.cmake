# Runs the agreement program of a cross build (through its emulator) and of the native build, and
# compares the two outputs with the native comparator. Says "skipped" when there is no native build.
foreach(tool agreement compare_agreement)
  if(NOT EXISTS ${NATIVE}/${tool})
    message("skipped: the native build has no ${tool} (build the ci preset first, or set TARVEL_NATIVE_BUILD_DIR)")
    return()
  endif()
endforeach()
execute_process(COMMAND ${NATIVE}/agreement OUTPUT_FILE ${OUTPUT}-native.txt RESULT_VARIABLE native_status)
execute_process(COMMAND ${EMULATOR} ${PROGRAM} OUTPUT_FILE ${OUTPUT}-cross.txt RESULT_VARIABLE cross_status)
if(NOT native_status EQUAL 0 OR NOT cross_status EQUAL 0)
  message(FATAL_ERROR "agreement programs failed: native ${native_status}, cross build ${cross_status}")
endif()
execute_process(COMMAND ${NATIVE}/compare_agreement ${OUTPUT}-native.txt ${OUTPUT}-cross.txt
                RESULT_VARIABLE compare_status)
if(NOT compare_status EQUAL 0)
  message(FATAL_ERROR "the cross build does not agree with the native build")
endif()
