// Timings of the singular value decomposition on square matrices of 50 to 400 rows and on a tall
// 1000 × 50 matrix, and of the pseudo-inverse built on it. Each iteration decomposes a fresh copy of
// the same matrix (the copy is timed too; it is O(mn) against the decomposition's O(mn²)).
#include <benchmark/benchmark.h>

#include <random>

#include "numerics/numerics.h"

namespace {

void fill_random(float** a, int rows, int cols, int base) {
  std::mt19937 gen(12345);
  std::uniform_real_distribution<float> unit(-1.0f, 1.0f);
  for (int i = base; i < rows + base; ++i) {
    for (int j = base; j < cols + base; ++j) a[i][j] = unit(gen);
  }
}

void BM_svd_decompose(benchmark::State& state) {
  const int m = static_cast<int>(state.range(0));
  const int n = static_cast<int>(state.range(1));
  float** source = numerics::matrix(1, m, 1, n);
  float** a = numerics::matrix(1, m, 1, n);
  float** v = numerics::matrix(1, n, 1, n);
  float* w = numerics::vector(1, n);
  fill_random(source, m, n, 1);
  for (auto _ : state) {
    for (int i = 1; i <= m; ++i) {
      for (int j = 1; j <= n; ++j) a[i][j] = source[i][j];
    }
    numerics::svd_decompose(a, m, n, w, v);
    benchmark::DoNotOptimize(w[1]);
  }
  numerics::release_vector(w, 1, n);
  numerics::release_matrix(v, 1, n, 1, n);
  numerics::release_matrix(a, 1, m, 1, n);
  numerics::release_matrix(source, 1, m, 1, n);
}

void BM_pseudo_inverse(benchmark::State& state) {
  const int n = static_cast<int>(state.range(0));
  float** a = numerics::matrix(0, n - 1, 0, n - 1);
  float** result = numerics::matrix(0, n - 1, 0, n - 1);
  fill_random(a, n, n, 0);
  for (auto _ : state) {
    benchmark::DoNotOptimize(numerics::pseudo_inverse(a, result, n));
    benchmark::DoNotOptimize(result[0][0]);
  }
  numerics::release_matrix(result, 0, n - 1, 0, n - 1);
  numerics::release_matrix(a, 0, n - 1, 0, n - 1);
}

}  // namespace

BENCHMARK(BM_svd_decompose)
    ->Args({50, 50})
    ->Args({100, 100})
    ->Args({200, 200})
    ->Args({400, 400})
    ->Args({1000, 50})
    ->Unit(benchmark::kMillisecond);
BENCHMARK(BM_pseudo_inverse)->Arg(50)->Arg(100)->Arg(200)->Unit(benchmark::kMillisecond);
