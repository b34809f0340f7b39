// OpenBLAS as a second LAPACK peer, loaded at run time beside the reference LAPACK that the benchmarks
// link: its own symbols first (RTLD_DEEPBIND), so that its routines call its own kernels and not the
// reference ones, and one thread, set before the library starts its thread pool. Absent library: the
// OpenBLAS runs are simply not registered.
#pragma once

#if defined(__linux__)
#include <dlfcn.h>

#include <cstdlib>

namespace bench_support {

// The Fortran entry points used by the benchmarks (arguments by reference, column-major arrays).
using sgesv_fn = void (*)(const int* n, const int* nrhs, float* a, const int* lda, int* ipiv, float* b,
                          const int* ldb, int* info);
using sgetri_fn = void (*)(const int* n, float* a, const int* lda, const int* ipiv, float* work,
                           const int* lwork, int* info);
using ssyev_fn = void (*)(const char* jobz, const char* uplo, const int* n, float* a, const int* lda,
                          float* w, float* work, const int* lwork, int* info, std::size_t jobz_len,
                          std::size_t uplo_len);
using sgesvd_fn = void (*)(const char* jobu, const char* jobvt, const int* m, const int* n, float* a,
                           const int* lda, float* s, float* u, const int* ldu, float* vt, const int* ldvt,
                           float* work, const int* lwork, int* info, std::size_t jobu_len,
                           std::size_t jobvt_len);
using sgemm_fn = void (*)(const char* transa, const char* transb, const int* m, const int* n, const int* k,
                          const float* alpha, const float* a, const int* lda, const float* b, const int* ldb,
                          const float* beta, float* c, const int* ldc, std::size_t transa_len,
                          std::size_t transb_len);

struct OpenBlas {
  sgesv_fn sgesv = nullptr;
  sgetri_fn sgetri = nullptr;
  ssyev_fn ssyev = nullptr;
  sgesvd_fn sgesvd = nullptr;
  sgemm_fn sgemm = nullptr;
};

// The loaded library's entry points, or null when OpenBLAS is not installed.
inline const OpenBlas* openblas() {
  static const OpenBlas* loaded = []() -> const OpenBlas* {
    setenv("OPENBLAS_NUM_THREADS", "1", 1);
    void* handle = dlopen("libopenblas.so.0", RTLD_NOW | RTLD_LOCAL | RTLD_DEEPBIND);
    if (handle == nullptr) return nullptr;
    if (auto set_threads = reinterpret_cast<void (*)(int)>(dlsym(handle, "openblas_set_num_threads")))
      set_threads(1);
    static OpenBlas entry;
    entry.sgesv = reinterpret_cast<sgesv_fn>(dlsym(handle, "sgesv_"));
    entry.sgetri = reinterpret_cast<sgetri_fn>(dlsym(handle, "sgetri_"));
    entry.ssyev = reinterpret_cast<ssyev_fn>(dlsym(handle, "ssyev_"));
    entry.sgesvd = reinterpret_cast<sgesvd_fn>(dlsym(handle, "sgesvd_"));
    entry.sgemm = reinterpret_cast<sgemm_fn>(dlsym(handle, "sgemm_"));
    if (!entry.sgesv || !entry.sgetri || !entry.ssyev || !entry.sgesvd || !entry.sgemm) return nullptr;
    return &entry;
  }();
  return loaded;
}

}  // namespace bench_support
#else
namespace bench_support {
struct OpenBlas;
inline const OpenBlas* openblas() { return nullptr; }
}  // namespace bench_support
#endif
