// Throughput of the incomplete gamma and beta functions and of the complementary error function,
// beside the standard library's erfc and gamma functions as a sense of scale. Each benchmark walks a
// fixed table of 1024 arguments per iteration; items per second counts function calls.
#include <benchmark/benchmark.h>

#include <cmath>
#include <vector>

#include "extra_memory.h"
#include "numerics/numerics.h"

namespace {

constexpr int kArguments = 1024;

// Evenly spread arguments in [low, high).
std::vector<float> spread(float low, float high) {
  std::vector<float> v(kArguments);
  for (int i = 0; i < kArguments; ++i)
    v[static_cast<std::size_t>(i)] = low + (high - low) * (static_cast<float>(i) + 0.5f) / kArguments;
  return v;
}

template <typename F>
void run(benchmark::State& state, const std::vector<float>& args, F f) {
  const bench_support::ExtraMemory extra(state);
  for (auto _ : state) {
    for (float x : args) benchmark::DoNotOptimize(f(x));
  }
  state.SetItemsProcessed(state.iterations() * kArguments);
}

// gammq(a, x) with x below a + 1 (series) and above it (continued fraction).
void BM_gammq_series(benchmark::State& state) {
  run(state, spread(0.1f, 4.5f), [](float x) { return numerics::gammq(3.5f, x); });
}
void BM_gammq_fraction(benchmark::State& state) {
  run(state, spread(4.5f, 20.0f), [](float x) { return numerics::gammq(3.5f, x); });
}
void BM_std_tgamma(benchmark::State& state) {
  run(state, spread(0.5f, 20.0f), [](float x) { return std::tgamma(x); });
}

void BM_incomplete_beta(benchmark::State& state) {
  run(state, spread(0.0f, 1.0f), [](float x) { return numerics::incomplete_beta(2.5f, 4.0f, x); });
}
void BM_std_beta(benchmark::State& state) {
  run(state, spread(0.5f, 20.0f), [](float x) { return std::beta(x, 4.0f); });
}

void BM_complementary_error_function(benchmark::State& state) {
  run(state, spread(-4.0f, 4.0f), [](float x) { return numerics::complementary_error_function(x); });
}
void BM_std_erfc_float(benchmark::State& state) {
  run(state, spread(-4.0f, 4.0f), [](float x) { return std::erfc(x); });
}
void BM_std_erfc_double(benchmark::State& state) {
  run(state, spread(-4.0f, 4.0f), [](float x) { return std::erfc(static_cast<double>(x)); });
}

}  // namespace

BENCHMARK(BM_gammq_series);
BENCHMARK(BM_gammq_fraction);
BENCHMARK(BM_std_tgamma);
BENCHMARK(BM_incomplete_beta);
BENCHMARK(BM_std_beta);
BENCHMARK(BM_complementary_error_function);
BENCHMARK(BM_std_erfc_float);
BENCHMARK(BM_std_erfc_double);
