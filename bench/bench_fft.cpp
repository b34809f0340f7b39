// Timings of the Fourier transforms on random data: complex and real sequences of 2^10 to 2^20
// points, and the complex and real three-dimensional transforms on cubes of 64 and 128. Each
// iteration is a forward and an inverse transform followed by the exact power-of-two rescaling, so
// the data stay the same size however many iterations run.
#include <benchmark/benchmark.h>

#include <cstdint>
#include <random>
#include <vector>

#include "numerics/numerics.h"

namespace {

void fill_random(float* data, std::size_t n) {
  std::mt19937 rng(1);
  std::uniform_real_distribution<float> uniform(-1.0f, 1.0f);
  for (std::size_t i = 0; i < n; ++i) data[i] = uniform(rng);
}

void rescale(float* data, std::size_t n, float factor) {
  for (std::size_t i = 0; i < n; ++i) data[i] *= factor;
}

void BM_fft_complex(benchmark::State& state) {
  const auto count = static_cast<std::uint32_t>(state.range(0));
  std::vector<float> v(2 * count + 1);
  fill_random(v.data() + 1, 2 * count);
  for (auto _ : state) {
    numerics::fft_complex(v.data(), count, 1);
    numerics::fft_complex(v.data(), count, -1);
    rescale(v.data() + 1, 2 * count, 1.0f / static_cast<float>(count));
    benchmark::DoNotOptimize(v.data());
  }
  state.SetComplexityN(state.range(0));
}
BENCHMARK(BM_fft_complex)->RangeMultiplier(4)->Range(1 << 10, 1 << 20)->Complexity(benchmark::oNLogN);

void BM_fft_real(benchmark::State& state) {
  const auto count = static_cast<std::uint32_t>(state.range(0));
  std::vector<float> v(count + 1);
  fill_random(v.data() + 1, count);
  for (auto _ : state) {
    numerics::fft_real(v.data(), count, 1);
    numerics::fft_real(v.data(), count, -1);
    rescale(v.data() + 1, count, 2.0f / static_cast<float>(count));
    benchmark::DoNotOptimize(v.data());
  }
  state.SetComplexityN(state.range(0));
}
BENCHMARK(BM_fft_real)->RangeMultiplier(4)->Range(1 << 10, 1 << 20)->Complexity(benchmark::oNLogN);

void BM_fft_multidim(benchmark::State& state) {
  const auto side = static_cast<std::uint32_t>(state.range(0));
  const std::uint32_t dims[] = {0, side, side, side};
  const std::size_t total = static_cast<std::size_t>(side) * side * side;
  std::vector<float> v(2 * total + 1);
  fill_random(v.data() + 1, 2 * total);
  for (auto _ : state) {
    numerics::fft_multidim(v.data(), dims, 3, 1);
    numerics::fft_multidim(v.data(), dims, 3, -1);
    rescale(v.data() + 1, 2 * total, 1.0f / static_cast<float>(total));
    benchmark::DoNotOptimize(v.data());
  }
  state.SetComplexityN(static_cast<std::int64_t>(total));
}
BENCHMARK(BM_fft_multidim)->Arg(64)->Arg(128)->Unit(benchmark::kMillisecond);

void BM_fft_real_3d(benchmark::State& state) {
  const int side = static_cast<int>(state.range(0));
  const auto n = static_cast<std::uint32_t>(side);
  const std::size_t total = static_cast<std::size_t>(n) * n * n;
  float*** t = numerics::f3tensor(1, side, 1, side, 1, side);
  float** nyquist = numerics::matrix(1, side, 1, 2 * side);
  fill_random(&t[1][1][1], total);
  for (auto _ : state) {
    numerics::fft_real_3d(t, nyquist, n, n, n, 1);
    numerics::fft_real_3d(t, nyquist, n, n, n, -1);
    rescale(&t[1][1][1], total, 2.0f / static_cast<float>(total));
    benchmark::DoNotOptimize(&t[1][1][1]);
  }
  numerics::release_matrix(nyquist, 1, side, 1, 2 * side);
  numerics::release_f3tensor(t, 1, side, 1, side, 1, side);
}
BENCHMARK(BM_fft_real_3d)->Arg(64)->Arg(128)->Unit(benchmark::kMillisecond);

}  // namespace
