# The release package of a Windows build: a zip with the module, the stand-in host with its
# validator, the README and the installation text. `cpack --preset windows-msvc` makes it.
install(TARGETS ${TARVEL_MODULE} LIBRARY DESTINATION . RUNTIME DESTINATION .)
install(TARGETS halvane_host RUNTIME DESTINATION .)
configure_file(${CMAKE_CURRENT_LIST_DIR}/package/INSTALL.txt ${CMAKE_BINARY_DIR}/INSTALL.txt @ONLY)
install(FILES ${PROJECT_SOURCE_DIR}/README.md ${CMAKE_BINARY_DIR}/INSTALL.txt DESTINATION .)

set(CPACK_GENERATOR ZIP)
set(CPACK_PACKAGE_NAME tarvelwizard)
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(TARVEL_PACKAGE_NAME tarvelwizard-${PROJECT_VERSION}-windows-x64)
set(CPACK_PACKAGE_FILE_NAME ${TARVEL_PACKAGE_NAME})
set(CPACK_INCLUDE_TOPLEVEL_DIRECTORY ON)
set(CPACK_PACKAGE_DIRECTORY ${CMAKE_BINARY_DIR}/package)
include(CPack)
