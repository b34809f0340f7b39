// Timings of the singular value decomposition on square matrices of 50 to 400 rows and on a tall
// 1000 × 50 matrix, and of the pseudo-inverse built on it. Where LAPACK is installed, each size also
// runs sgesvd computing what svd_decompose computes; ours and the peer alternate size by size for
// several rounds, and a final table gives the median over the rounds of the ratio ours / LAPACK.
#include <benchmark/benchmark.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <map>
#include <random>
#include <string>
#include <vector>

#include "extra_memory.h"
#include "numerics/numerics.h"
#include "openblas_peer.h"
#include "ratio_report.h"

#if defined(TARVEL_HAVE_LAPACKE)
#include <lapacke.h>
#endif

namespace {

// The same pseudo-random matrix for every consumer, row-major and zero-based.
std::vector<float> random_matrix(int rows, int cols) {
  std::mt19937 gen(12345);
  std::uniform_real_distribution<float> unit(-1.0f, 1.0f);
  std::vector<float> values(static_cast<std::size_t>(rows) * static_cast<std::size_t>(cols));
  for (float& x : values) x = unit(gen);
  return values;
}

// The matrix of random_matrix in column-major order, for the LAPACK peers.
std::vector<float> column_major(int m, int n) {
  const std::vector<float> rows = random_matrix(m, n);
  const auto mm = static_cast<std::size_t>(m), nn = static_cast<std::size_t>(n);
  std::vector<float> columns(rows.size());
  for (std::size_t i = 0; i < mm; ++i)
    for (std::size_t j = 0; j < nn; ++j) columns[i + j * mm] = rows[i * nn + j];
  return columns;
}

// Each iteration decomposes a fresh copy of the same matrix (the copy is timed too; it is O(mn)
// against the decomposition's O(mn²)).
void run_svd_decompose(benchmark::State& state, int m, int n) {
  const std::vector<float> source = random_matrix(m, n);
  float** a = numerics::matrix(1, m, 1, n);
  float** v = numerics::matrix(1, n, 1, n);
  float* w = numerics::vector(1, n);
  const bench_support::ExtraMemory extra(state);
  for (auto _ : state) {
    std::copy(source.begin(), source.end(), &a[1][1]);
    numerics::svd_decompose(a, m, n, w, v);
    benchmark::DoNotOptimize(w[1]);
  }
  numerics::release_vector(w, 1, n);
  numerics::release_matrix(v, 1, n, 1, n);
  numerics::release_matrix(a, 1, m, 1, n);
}

#if defined(TARVEL_HAVE_LAPACKE)
// sgesvd on the column-major copy, computing what svd_decompose computes: U over the input ('O', its
// first n columns) and all of V ('A', as Vᵀ). The workspace is obtained once, outside the timing.
void run_sgesvd(benchmark::State& state, int m, int n) {
  const std::vector<float> source = column_major(m, n);
  std::vector<float> a(source.size()), s(static_cast<std::size_t>(n)),
      vt(static_cast<std::size_t>(n) * static_cast<std::size_t>(n));
  float query = 0.0f;
  float unused = 0.0f;
  LAPACKE_sgesvd_work(LAPACK_COL_MAJOR, 'O', 'A', m, n, a.data(), m, s.data(), &unused, 1, vt.data(), n,
                      &query, -1);
  std::vector<float> work(static_cast<std::size_t>(query));
  const bench_support::ExtraMemory extra(state);
  for (auto _ : state) {
    std::copy(source.begin(), source.end(), a.begin());
    const lapack_int info =
        LAPACKE_sgesvd_work(LAPACK_COL_MAJOR, 'O', 'A', m, n, a.data(), m, s.data(), &unused, 1, vt.data(), n,
                            work.data(), static_cast<lapack_int>(work.size()));
    if (info != 0) state.SkipWithError("sgesvd failed");
    benchmark::DoNotOptimize(s[0]);
  }
}
#endif

#if defined(__linux__)
// sgesvd through OpenBLAS (one thread), as run_sgesvd.
void run_openblas_sgesvd(benchmark::State& state, int m, int n) {
  const bench_support::OpenBlas& blas = *bench_support::openblas();
  const std::vector<float> source = column_major(m, n);
  const auto nn = static_cast<std::size_t>(n);
  std::vector<float> a(source.size()), s(nn), vt(nn * nn);
  const int lwork = 64 * (m + n) + 8 * n * n;
  std::vector<float> work(static_cast<std::size_t>(lwork));
  float unused = 0.0f;
  const int one = 1;
  const bench_support::ExtraMemory extra(state);
  for (auto _ : state) {
    std::copy(source.begin(), source.end(), a.begin());
    int info = 0;
    blas.sgesvd("O", "A", &m, &n, a.data(), &m, s.data(), &unused, &one, vt.data(), &n, work.data(), &lwork,
                &info, 1, 1);
    if (info != 0) state.SkipWithError("OpenBLAS sgesvd failed");
    benchmark::DoNotOptimize(s[0]);
  }
}

// The pseudo-inverse V·diag(1/w)·Uᵀ through OpenBLAS: sgesvd ('S', 'S'), the columns of U divided by
// the singular values above the same relative threshold, then sgemm (Vᵀ)ᵀ·(U')ᵀ.
void run_openblas_pseudo_inverse(benchmark::State& state, int n) {
  const bench_support::OpenBlas& blas = *bench_support::openblas();
  const std::vector<float> source = column_major(n, n);
  const auto nn = static_cast<std::size_t>(n);
  std::vector<float> a(source.size()), s(nn), u(nn * nn), vt(nn * nn), result(nn * nn);
  const int lwork = 64 * n + 8 * n * n;
  std::vector<float> work(static_cast<std::size_t>(lwork));
  const float one = 1.0f, zero = 0.0f;
  const bench_support::ExtraMemory extra(state);
  for (auto _ : state) {
    std::copy(source.begin(), source.end(), a.begin());
    int info = 0;
    blas.sgesvd("S", "S", &n, &n, a.data(), &n, s.data(), u.data(), &n, vt.data(), &n, work.data(), &lwork,
                &info, 1, 1);
    if (info != 0) state.SkipWithError("OpenBLAS sgesvd failed");
    const float threshold = 1.0e-6f * s[0];
    for (std::size_t j = 0; j < nn; ++j) {
      const float inverse = s[j] > threshold ? 1.0f / s[j] : 0.0f;
      for (std::size_t i = 0; i < nn; ++i) u[i + j * nn] *= inverse;
    }
    blas.sgemm("T", "T", &n, &n, &n, &one, vt.data(), &n, u.data(), &n, &zero, result.data(), &n, 1, 1);
    benchmark::DoNotOptimize(result[0]);
  }
}
#endif

void run_pseudo_inverse(benchmark::State& state, int n) {
  const std::vector<float> source = random_matrix(n, n);
  float** a = numerics::matrix(0, n - 1, 0, n - 1);
  float** result = numerics::matrix(0, n - 1, 0, n - 1);
  std::copy(source.begin(), source.end(), &a[0][0]);
  const bench_support::ExtraMemory extra(state);
  for (auto _ : state) {
    benchmark::DoNotOptimize(numerics::pseudo_inverse(a, result, n));
    benchmark::DoNotOptimize(result[0][0]);
  }
  numerics::release_matrix(result, 0, n - 1, 0, n - 1);
  numerics::release_matrix(a, 0, n - 1, 0, n - 1);
}

// Registers ours and (when installed) the peer for every shape; returns the names of the pairs.
std::vector<std::string> register_benchmarks() {
  const int shapes[][2] = {{50, 50}, {100, 100}, {200, 200}, {400, 400}, {1000, 50}};
  std::vector<std::string> cases;
  for (const auto& shape : shapes) {
    const int m = shape[0], n = shape[1];
    const std::string name = "svd " + std::to_string(m) + "x" + std::to_string(n);
    benchmark::RegisterBenchmark((name + "/ours").c_str(), [m, n](benchmark::State& s) {
      run_svd_decompose(s, m, n);
    })->Unit(benchmark::kMillisecond);
#if defined(TARVEL_HAVE_LAPACKE)
    benchmark::RegisterBenchmark((name + "/lapack").c_str(), [m, n](benchmark::State& s) {
      run_sgesvd(s, m, n);
    })->Unit(benchmark::kMillisecond);
#endif
#if defined(__linux__)
    if (bench_support::openblas() != nullptr) {
      benchmark::RegisterBenchmark((name + "/openblas").c_str(), [m, n](benchmark::State& s) {
        run_openblas_sgesvd(s, m, n);
      })->Unit(benchmark::kMillisecond);
    }
#endif
    cases.push_back(name);
  }
  for (int n : {50, 100, 200}) {
    const std::string name = "pseudo_inverse " + std::to_string(n);
    benchmark::RegisterBenchmark((name + "/ours").c_str(), [n](benchmark::State& s) {
      run_pseudo_inverse(s, n);
    })->Unit(benchmark::kMillisecond);
#if defined(__linux__)
    if (bench_support::openblas() != nullptr) {
      benchmark::RegisterBenchmark((name + "/openblas").c_str(), [n](benchmark::State& s) {
        run_openblas_pseudo_inverse(s, n);
      })->Unit(benchmark::kMillisecond);
    }
#endif
    cases.push_back(name);
  }
  return cases;
}

}  // namespace

int main(int argc, char** argv) { return bench_support::run_rounds(argc, argv, register_benchmarks); }
