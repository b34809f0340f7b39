// Throughput of the incomplete gamma and beta functions and of the complementary error function,
// beside the standard library's erfc and gamma functions as a sense of scale. Each benchmark walks a
// fixed table of 1024 arguments per iteration; items per second counts function calls.
#include <benchmark/benchmark.h>

#include <cmath>
#include <vector>

#include "extra_memory.h"
#include "numerics/numerics.h"
#include "specfun_arguments.h"

namespace {

using bench_support::kSpecfunArguments;
using bench_support::spread;

template <typename F>
void run(benchmark::State& state, const std::vector<float>& args, F f) {
  const bench_support::ExtraMemory extra(state);
  for (auto _ : state) {
    for (float x : args) benchmark::DoNotOptimize(f(x));
  }
  state.SetItemsProcessed(state.iterations() * kSpecfunArguments);
}

// gammq(a, x) with x below a + 1 (series) and above it (continued fraction).
void BM_gammq_series(benchmark::State& state) {
  run(state, bench_support::gammq_series_arguments(), [](float x) { return numerics::gammq(3.5f, x); });
}
void BM_gammq_fraction(benchmark::State& state) {
  run(state, bench_support::gammq_fraction_arguments(), [](float x) { return numerics::gammq(3.5f, x); });
}
void BM_std_tgamma(benchmark::State& state) {
  run(state, spread(0.5f, 20.0f), [](float x) { return std::tgamma(x); });
}

void BM_incomplete_beta(benchmark::State& state) {
  run(state, bench_support::incomplete_beta_arguments(),
      [](float x) { return numerics::incomplete_beta(2.5f, 4.0f, x); });
}
void BM_std_beta(benchmark::State& state) {
  run(state, spread(0.5f, 20.0f), [](float x) { return std::beta(x, 4.0f); });
}

void BM_complementary_error_function(benchmark::State& state) {
  run(state, bench_support::erfc_arguments(),
      [](float x) { return numerics::complementary_error_function(x); });
}
void BM_std_erfc_float(benchmark::State& state) {
  run(state, bench_support::erfc_arguments(), [](float x) { return std::erfc(x); });
}
void BM_std_erfc_double(benchmark::State& state) {
  run(state, bench_support::erfc_arguments(), [](float x) { return std::erfc(static_cast<double>(x)); });
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
