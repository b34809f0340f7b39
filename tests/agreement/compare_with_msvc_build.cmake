# Runs the agreement program of the clang-cl build and of the windows-msvc build (both through the
# emulator) and requires byte-identical output: the same sources and C runtime compiled through the
# MSVC branch must round every step as the clang++ build does. Says "skipped" when that build is absent.
if(NOT EXISTS ${OTHER})
  message("skipped: ${OTHER} does not exist (build the windows-msvc preset first)")
  return()
endif()
execute_process(COMMAND ${EMULATOR} ${OTHER} OUTPUT_FILE ${OUTPUT}-msvc.txt RESULT_VARIABLE other_status)
execute_process(COMMAND ${EMULATOR} ${PROGRAM} OUTPUT_FILE ${OUTPUT}-clang-cl.txt RESULT_VARIABLE status)
if(NOT other_status EQUAL 0 OR NOT status EQUAL 0)
  message(FATAL_ERROR "agreement programs failed: windows-msvc ${other_status}, clang-cl ${status}")
endif()
execute_process(COMMAND ${CMAKE_COMMAND} -E compare_files ${OUTPUT}-msvc.txt ${OUTPUT}-clang-cl.txt
                RESULT_VARIABLE differ)
if(NOT differ EQUAL 0)
  message(FATAL_ERROR "${OUTPUT}-clang-cl.txt differs from ${OUTPUT}-msvc.txt")
endif()
file(STRINGS ${OUTPUT}-clang-cl.txt lines)
list(LENGTH lines count)
message("identical: ${count} lines")
