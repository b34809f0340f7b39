// Timing of Gauss-Jordan elimination with full pivoting: the inverse of an n x n matrix together with
// one right-hand side, n = 50 ... 400 (about 2 n^3 floating-point operations). Where LAPACK is
// installed, each size also runs sgesv and sgetri, which give the same solution and inverse; ours and
// the peer alternate size by size for several rounds, and a final table gives the median over the
// rounds of the ratio ours / LAPACK.
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

// A diagonally dominant matrix (row-major, zero-based), so that both solvers pivot little.
std::vector<float> test_matrix(int n) {
  std::mt19937 gen(12345);
  std::uniform_real_distribution<float> unit(-1.0f, 1.0f);
  std::vector<float> values(static_cast<std::size_t>(n) * static_cast<std::size_t>(n));
  for (int i = 0; i < n; ++i)
    for (int j = 0; j < n; ++j)
      values[static_cast<std::size_t>(i) * static_cast<std::size_t>(n) + static_cast<std::size_t>(j)] =
          unit(gen) + (i == j ? static_cast<float>(n) : 0.0f);
  return values;
}

// The n^2 copy of the input is timed with the n^3 elimination; it is below 1% of it from n = 50.
void run_gaussj(benchmark::State& state, int n) {
  const std::vector<float> source = test_matrix(n);
  float** a = numerics::matrix(1, n, 1, n);
  float** b = numerics::matrix(1, n, 1, 1);
  const bench_support::ExtraMemory extra(state);
  for (auto _ : state) {
    std::copy(source.begin(), source.end(), &a[1][1]);
    for (int i = 1; i <= n; ++i) b[i][1] = 1.0f;
    numerics::gaussj(a, n, b, 1);
    benchmark::DoNotOptimize(a[1][1]);
    benchmark::DoNotOptimize(b[1][1]);
  }
  numerics::release_matrix(b, 1, n, 1, 1);
  numerics::release_matrix(a, 1, n, 1, n);
}

#if defined(TARVEL_HAVE_LAPACKE)
// LU factorisation with the solution of one right-hand side (sgesv), then the inverse from the
// factors (sgetri), on the column-major copy. The workspace is obtained once, outside the timing.
void run_sgesv_sgetri(benchmark::State& state, int n) {
  const std::vector<float> rows = test_matrix(n);
  const auto size = static_cast<std::size_t>(n);
  std::vector<float> source(rows.size()), a(rows.size()), b(size);
  std::vector<lapack_int> pivots(size);
  for (std::size_t i = 0; i < size; ++i)
    for (std::size_t j = 0; j < size; ++j) source[i + j * size] = rows[i * size + j];
  float query = 0.0f;
  LAPACKE_sgetri_work(LAPACK_COL_MAJOR, n, a.data(), n, pivots.data(), &query, -1);
  std::vector<float> work(static_cast<std::size_t>(query));
  const bench_support::ExtraMemory extra(state);
  for (auto _ : state) {
    std::copy(source.begin(), source.end(), a.begin());
    std::fill(b.begin(), b.end(), 1.0f);
    lapack_int info = LAPACKE_sgesv_work(LAPACK_COL_MAJOR, n, 1, a.data(), n, pivots.data(), b.data(), n);
    if (info == 0)
      info = LAPACKE_sgetri_work(LAPACK_COL_MAJOR, n, a.data(), n, pivots.data(), work.data(),
                                 static_cast<lapack_int>(work.size()));
    if (info != 0) state.SkipWithError("sgesv/sgetri failed");
    benchmark::DoNotOptimize(a[0]);
    benchmark::DoNotOptimize(b[0]);
  }
}
#endif

#if defined(__linux__)
// The same two calls through OpenBLAS (one thread).
void run_openblas_sgesv_sgetri(benchmark::State& state, int n) {
  const bench_support::OpenBlas& blas = *bench_support::openblas();
  const std::vector<float> rows = test_matrix(n);
  std::vector<float> source(rows.size()), a(rows.size()), b(static_cast<std::size_t>(n));
  std::vector<int> pivots(static_cast<std::size_t>(n));
  for (std::size_t i = 0; i < static_cast<std::size_t>(n); ++i)
    for (std::size_t j = 0; j < static_cast<std::size_t>(n); ++j)
      source[i + j * static_cast<std::size_t>(n)] = rows[i * static_cast<std::size_t>(n) + j];
  const int one = 1;
  const int lwork = 64 * n;
  std::vector<float> work(static_cast<std::size_t>(lwork));
  const bench_support::ExtraMemory extra(state);
  for (auto _ : state) {
    std::copy(source.begin(), source.end(), a.begin());
    std::fill(b.begin(), b.end(), 1.0f);
    int info = 0;
    blas.sgesv(&n, &one, a.data(), &n, pivots.data(), b.data(), &n, &info);
    if (info == 0) blas.sgetri(&n, a.data(), &n, pivots.data(), work.data(), &lwork, &info);
    if (info != 0) state.SkipWithError("OpenBLAS sgesv/sgetri failed");
    benchmark::DoNotOptimize(a[0]);
    benchmark::DoNotOptimize(b[0]);
  }
}
#endif

std::vector<std::string> register_benchmarks() {
  std::vector<std::string> cases;
  for (int n : {50, 100, 200, 400}) {
    const std::string name = "gaussj " + std::to_string(n);
    benchmark::RegisterBenchmark((name + "/ours").c_str(), [n](benchmark::State& s) {
      run_gaussj(s, n);
    })->Unit(benchmark::kMillisecond);
#if defined(TARVEL_HAVE_LAPACKE)
    benchmark::RegisterBenchmark((name + "/lapack").c_str(), [n](benchmark::State& s) {
      run_sgesv_sgetri(s, n);
    })->Unit(benchmark::kMillisecond);
#endif
#if defined(__linux__)
    if (bench_support::openblas() != nullptr) {
      benchmark::RegisterBenchmark((name + "/openblas").c_str(), [n](benchmark::State& s) {
        run_openblas_sgesv_sgetri(s, n);
      })->Unit(benchmark::kMillisecond);
    }
#endif
    cases.push_back(name);
  }
  return cases;
}

}  // namespace

int main(int argc, char** argv) { return bench_support::run_rounds(argc, argv, register_benchmarks); }
