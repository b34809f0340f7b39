// Timings of the Jacobi eigen-solver on random symmetric matrices of order 20 to 200. Each iteration
// restores the matrix (jacobi clears its upper triangle), an O(n^2) copy beside the O(n^3) work of the
// sweeps. Where LAPACK is installed, each size also runs ssyev with eigenvectors; ours and the peer
// alternate size by size for several rounds, and a final table gives the median over the rounds of
// the ratio ours / LAPACK.
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

// Row-major n x n values; jacobi reads the upper triangle, so the matrix is the symmetric one
// whose upper triangle these values give.
std::vector<float> random_values(int n) {
  std::mt19937 rng(2);
  std::uniform_real_distribution<float> uniform(-1.0f, 1.0f);
  std::vector<float> values(static_cast<std::size_t>(n) * static_cast<std::size_t>(n));
  for (float& x : values) x = uniform(rng);
  return values;
}

void run_jacobi(benchmark::State& state, int n) {
  const std::vector<float> original = random_values(n);
  float** sym = numerics::matrix(1, n, 1, n);
  float** vectors = numerics::matrix(1, n, 1, n);
  std::vector<float> values(static_cast<std::size_t>(n) + 1);
  int rotations = 0;
  const bench_support::ExtraMemory extra(state);
  for (auto _ : state) {
    std::copy(original.begin(), original.end(), &sym[1][1]);
    numerics::jacobi(sym, n, values.data(), vectors, &rotations);
    benchmark::DoNotOptimize(values.data());
  }
  state.counters["rotations"] = rotations;
  numerics::release_matrix(vectors, 1, n, 1, n);
  numerics::release_matrix(sym, 1, n, 1, n);
}

#if defined(TARVEL_HAVE_LAPACKE)
// ssyev with eigenvectors on the same symmetric matrix, column-major with its upper triangle given.
// The workspace is obtained once, outside the timing.
void run_ssyev(benchmark::State& state, int n) {
  const std::vector<float> original = random_values(n);
  const auto size = static_cast<std::size_t>(n);
  std::vector<float> source(original.size()), a(original.size()), w(size);
  for (std::size_t i = 0; i < size; ++i)
    for (std::size_t j = i; j < size; ++j) source[i + j * size] = original[i * size + j];
  float query = 0.0f;
  LAPACKE_ssyev_work(LAPACK_COL_MAJOR, 'V', 'U', n, a.data(), n, w.data(), &query, -1);
  std::vector<float> work(static_cast<std::size_t>(query));
  const bench_support::ExtraMemory extra(state);
  for (auto _ : state) {
    std::copy(source.begin(), source.end(), a.begin());
    const lapack_int info = LAPACKE_ssyev_work(LAPACK_COL_MAJOR, 'V', 'U', n, a.data(), n, w.data(),
                                               work.data(), static_cast<lapack_int>(work.size()));
    if (info != 0) state.SkipWithError("ssyev failed");
    benchmark::DoNotOptimize(w[0]);
  }
}
#endif

#if defined(__linux__)
// The same call through OpenBLAS (one thread).
void run_openblas_ssyev(benchmark::State& state, int n) {
  const bench_support::OpenBlas& blas = *bench_support::openblas();
  const std::vector<float> original = random_values(n);
  const auto size = static_cast<std::size_t>(n);
  std::vector<float> source(original.size()), a(original.size()), w(size);
  for (std::size_t i = 0; i < size; ++i)
    for (std::size_t j = i; j < size; ++j) source[i + j * size] = original[i * size + j];
  const int lwork = 64 * n;
  std::vector<float> work(static_cast<std::size_t>(lwork));
  const bench_support::ExtraMemory extra(state);
  for (auto _ : state) {
    std::copy(source.begin(), source.end(), a.begin());
    int info = 0;
    blas.ssyev("V", "U", &n, a.data(), &n, w.data(), work.data(), &lwork, &info, 1, 1);
    if (info != 0) state.SkipWithError("OpenBLAS ssyev failed");
    benchmark::DoNotOptimize(a[0]);
    benchmark::DoNotOptimize(w[0]);
  }
}
#endif

std::vector<std::string> register_benchmarks() {
  std::vector<std::string> cases;
  for (int n : {20, 50, 100, 200}) {
    const std::string name = "jacobi " + std::to_string(n);
    benchmark::RegisterBenchmark((name + "/ours").c_str(), [n](benchmark::State& s) {
      run_jacobi(s, n);
    })->Unit(benchmark::kMillisecond);
#if defined(TARVEL_HAVE_LAPACKE)
    benchmark::RegisterBenchmark((name + "/lapack").c_str(), [n](benchmark::State& s) {
      run_ssyev(s, n);
    })->Unit(benchmark::kMillisecond);
#endif
#if defined(__linux__)
    if (bench_support::openblas() != nullptr) {
      benchmark::RegisterBenchmark((name + "/openblas").c_str(), [n](benchmark::State& s) {
        run_openblas_ssyev(s, n);
      })->Unit(benchmark::kMillisecond);
    }
#endif
    cases.push_back(name);
  }
  return cases;
}

}  // namespace

int main(int argc, char** argv) { return bench_support::run_rounds(argc, argv, register_benchmarks); }
