# MPFR, the multiple-precision reference of the elementary functions' accuracy programs (Debian's
# libmpfr-dev, a test dependency only). Native builds only; without it those programs are not built.
if(CMAKE_CROSSCOMPILING)
  return()
endif()
find_path(TARVEL_MPFR_INCLUDE_DIR mpfr.h)
find_library(TARVEL_MPFR_LIBRARY mpfr)
find_library(TARVEL_GMP_LIBRARY gmp)
if(NOT TARVEL_MPFR_INCLUDE_DIR OR NOT TARVEL_MPFR_LIBRARY OR NOT TARVEL_GMP_LIBRARY)
  message(STATUS "MPFR not found (Debian package libmpfr-dev): the elementary functions' sweeps against "
                 "it are not built")
  return()
endif()
add_library(tarvel_mpfr INTERFACE)
target_include_directories(tarvel_mpfr SYSTEM INTERFACE ${TARVEL_MPFR_INCLUDE_DIR})
target_link_libraries(tarvel_mpfr INTERFACE ${TARVEL_MPFR_LIBRARY} ${TARVEL_GMP_LIBRARY})
