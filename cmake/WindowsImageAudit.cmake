# ctest audits of Windows images (cmake/audit_windows_image.cmake): imports against Windows' own
# export tables, header flags and unwind data. One test per image, or one per program and DLL target of
# the whole project, found once the tree is configured so that targets added anywhere are covered.
find_program(TARVEL_READOBJ NAMES llvm-readobj llvm-readobj-14 REQUIRED)
find_program(TARVEL_NM NAMES llvm-nm llvm-nm-14 REQUIRED)
find_program(TARVEL_OBJDUMP NAMES llvm-objdump llvm-objdump-14 REQUIRED)
set(TARVEL_WINDOWS_REFERENCE_LIBS /usr/x86_64-w64-mingw32/lib CACHE PATH
    "mingw-w64's import libraries, made from Windows' export tables: what Windows' DLLs export")

# What the audit script needs, for the tests below and for scripts that audit files they make.
set(TARVEL_AUDIT_SCRIPT ${CMAKE_CURRENT_LIST_DIR}/audit_windows_image.cmake)
set(TARVEL_AUDIT_CONFIG ${CMAKE_BINARY_DIR}/windows-image-audit/config.cmake)
file(CONFIGURE OUTPUT ${TARVEL_AUDIT_CONFIG} CONTENT "\
set(READOBJ [[${TARVEL_READOBJ}]])
set(NM [[${TARVEL_NM}]])
set(OBJDUMP [[${TARVEL_OBJDUMP}]])
set(REFERENCE_LIBS [[${TARVEL_WINDOWS_REFERENCE_LIBS}]])
set(CACHE_DIR [[${CMAKE_BINARY_DIR}/windows-image-audit]])
")

# tarvel_audit_windows_image(TEST_NAME IMAGE): IMAGE may be a generator expression such as
# $<TARGET_FILE:target>.
function(tarvel_audit_windows_image test image)
  add_test(NAME ${test}
           COMMAND ${CMAKE_COMMAND} -DCONFIG=${CMAKE_BINARY_DIR}/windows-image-audit/config.cmake
                   -DIMAGE=${image} -P ${CMAKE_CURRENT_FUNCTION_LIST_DIR}/audit_windows_image.cmake)
  set_tests_properties(${test} PROPERTIES LABELS windows_image_audit)
endfunction()

# tarvel_audit_all_windows_images(PREFIX): when the top directory is done, one test PREFIX<target>
# per program, shared library and module target that is built by default. A target with the property
# TARVEL_AUDIT_SKIP set is left out (an image that fails on purpose).
function(tarvel_audit_all_windows_images prefix)
  # A deferred call expands its arguments when it runs, in the top directory: pass the prefix as text.
  cmake_language(EVAL CODE "cmake_language(DEFER DIRECTORY [[${CMAKE_SOURCE_DIR}]]
                            CALL _tarvel_audit_targets_below [[${CMAKE_SOURCE_DIR}]] [[${prefix}]])")
endfunction()

function(_tarvel_audit_targets_below dir prefix)
  get_property(excluded DIRECTORY ${dir} PROPERTY EXCLUDE_FROM_ALL)
  if(excluded)
    return()
  endif()
  get_property(targets DIRECTORY ${dir} PROPERTY BUILDSYSTEM_TARGETS)
  foreach(target IN LISTS targets)
    get_target_property(type ${target} TYPE)
    get_target_property(skip ${target} TARVEL_AUDIT_SKIP)
    get_target_property(excluded ${target} EXCLUDE_FROM_ALL)
    if(type MATCHES "^(EXECUTABLE|SHARED_LIBRARY|MODULE_LIBRARY)$" AND NOT skip AND NOT excluded)
      tarvel_audit_windows_image(${prefix}${target} $<TARGET_FILE:${target}>)
    endif()
  endforeach()
  get_property(subdirectories DIRECTORY ${dir} PROPERTY SUBDIRECTORIES)
  foreach(subdirectory IN LISTS subdirectories)
    _tarvel_audit_targets_below(${subdirectory} ${prefix})
  endforeach()
endfunction()
