// Timing of Gauss-Jordan elimination with full pivoting: the inverse of an n x n matrix together with
// one right-hand side, n = 50 ... 400. The work grows as n^3 (about 2 n^3 floating-point operations).
#include <benchmark/benchmark.h>

#include <random>

#include "numerics/numerics.h"

namespace {

void BM_gaussj(benchmark::State& state) {
  const int n = static_cast<int>(state.range(0));
  float** source = numerics::matrix(1, n, 1, n);
  float** a = numerics::matrix(1, n, 1, n);
  float** b = numerics::matrix(1, n, 1, 1);
  std::mt19937 gen(12345);
  std::uniform_real_distribution<float> unit(-1.0f, 1.0f);
  for (int i = 1; i <= n; ++i)
    for (int j = 1; j <= n; ++j) source[i][j] = unit(gen) + (i == j ? static_cast<float>(n) : 0.0f);
  // The n^2 copy of the input is timed with the n^3 elimination; it is below 1% of it from n = 50.
  for (auto _ : state) {
    for (int i = 1; i <= n; ++i) {
      for (int j = 1; j <= n; ++j) a[i][j] = source[i][j];
      b[i][1] = 1.0f;
    }
    numerics::gaussj(a, n, b, 1);
    benchmark::DoNotOptimize(a[1][1]);
    benchmark::DoNotOptimize(b[1][1]);
  }
  state.SetComplexityN(n);
  state.counters["flop/s"] =
      benchmark::Counter(2.0 * n * n * static_cast<double>(n), benchmark::Counter::kIsIterationInvariantRate);
  numerics::release_matrix(b, 1, n, 1, 1);
  numerics::release_matrix(a, 1, n, 1, n);
  numerics::release_matrix(source, 1, n, 1, n);
}

BENCHMARK(BM_gaussj)
    ->Arg(50)
    ->Arg(100)
    ->Arg(200)
    ->Arg(400)
    ->Complexity(benchmark::oNCubed)
    ->Unit(benchmark::kMillisecond);

}  // namespace
