// Timings of the Jacobi eigen-solver on random symmetric matrices of order 20 to 200. Each
// iteration restores the matrix (jacobi clears its upper triangle), an O(n²) copy beside the
// O(n³) work of the sweeps.
#include <benchmark/benchmark.h>

#include <algorithm>
#include <random>
#include <vector>

#include "numerics/numerics.h"

namespace {

void BM_jacobi(benchmark::State& state) {
  const int n = static_cast<int>(state.range(0));
  std::mt19937 rng(2);
  std::uniform_real_distribution<float> uniform(-1.0f, 1.0f);
  std::vector<float> original(static_cast<std::size_t>(n) * n);
  for (float& x : original) x = uniform(rng);
  float** sym = numerics::matrix(1, n, 1, n);
  float** vectors = numerics::matrix(1, n, 1, n);
  std::vector<float> values(static_cast<std::size_t>(n) + 1);
  int rotations = 0;
  for (auto _ : state) {
    std::copy(original.begin(), original.end(), &sym[1][1]);
    numerics::jacobi(sym, n, values.data(), vectors, &rotations);
    benchmark::DoNotOptimize(values.data());
  }
  state.counters["rotations"] = rotations;
  state.SetComplexityN(n);
  numerics::release_matrix(vectors, 1, n, 1, n);
  numerics::release_matrix(sym, 1, n, 1, n);
}
BENCHMARK(BM_jacobi)->Arg(20)->Arg(40)->Arg(80)->Arg(140)->Arg(200)->Complexity(benchmark::oNCubed);

}  // namespace
