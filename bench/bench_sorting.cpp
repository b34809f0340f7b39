// Benchmarks of the sorting family against the standard library: sort against std::sort, sort2
// against std::sort of (key, value) pairs, heap_sort against std::make_heap + std::sort_heap, and
// select_kth (median) against std::nth_element, on random, sorted, reversed and few-distinct floats.
// Every iteration sorts a fresh copy of the input; the copy is timed on both sides alike.
#include <benchmark/benchmark.h>

#include <algorithm>
#include <cstdint>
#include <random>
#include <utility>
#include <vector>

#include "extra_memory.h"
#include "numerics/numerics.h"

namespace {

enum Kind { kRandom, kSorted, kReversed, kFewDistinct };

const char* kind_name(std::int64_t kind) {
  switch (kind) {
    case kRandom:
      return "random";
    case kSorted:
      return "sorted";
    case kReversed:
      return "reversed";
    default:
      return "few distinct";
  }
}

std::vector<float> make_input(std::size_t n, std::int64_t kind) {
  std::mt19937 g(12345);
  std::uniform_real_distribution<float> uniform(0.0f, 1.0f);
  std::vector<float> values(n);
  for (std::size_t i = 0; i < n; ++i) {
    switch (kind) {
      case kRandom:
        values[i] = uniform(g);
        break;
      case kSorted:
        values[i] = static_cast<float>(i);
        break;
      case kReversed:
        values[i] = static_cast<float>(n - i);
        break;
      default:
        values[i] = static_cast<float>(g() % 8);
        break;
    }
  }
  return values;
}

// The library's routines take one-based arrays: element 0 of the buffer is unused.
std::vector<float> one_based(const std::vector<float>& values) {
  std::vector<float> buffer(values.size() + 1, 0.0f);
  std::copy(values.begin(), values.end(), buffer.begin() + 1);
  return buffer;
}

struct Setup {
  std::size_t n;
  std::vector<float> input;
  Setup(benchmark::State& state)
      : n(static_cast<std::size_t>(state.range(0))), input(make_input(n, state.range(1))) {
    state.SetLabel(kind_name(state.range(1)));
  }
  void finish(benchmark::State& state) const {
    state.SetItemsProcessed(static_cast<std::int64_t>(state.iterations()) * static_cast<std::int64_t>(n));
  }
};

void BM_sort(benchmark::State& state) {
  const Setup s(state);
  const std::vector<float> source = one_based(s.input);
  std::vector<float> work(source.size());
  const bench_support::ExtraMemory extra(state);
  for (auto _ : state) {
    std::copy(source.begin(), source.end(), work.begin());
    numerics::sort(static_cast<std::uint32_t>(s.n), work.data());
    benchmark::DoNotOptimize(work.data());
  }
  s.finish(state);
}

void BM_std_sort(benchmark::State& state) {
  const Setup s(state);
  std::vector<float> work(s.n);
  const bench_support::ExtraMemory extra(state);
  for (auto _ : state) {
    std::copy(s.input.begin(), s.input.end(), work.begin());
    std::sort(work.begin(), work.end());
    benchmark::DoNotOptimize(work.data());
  }
  s.finish(state);
}

void BM_sort2(benchmark::State& state) {
  const Setup s(state);
  const std::vector<float> keys = one_based(s.input);
  std::vector<float> values(keys.size());
  for (std::size_t i = 0; i < values.size(); ++i) values[i] = static_cast<float>(i);
  std::vector<float> work_keys(keys.size()), work_values(values.size());
  const bench_support::ExtraMemory extra(state);
  for (auto _ : state) {
    std::copy(keys.begin(), keys.end(), work_keys.begin());
    std::copy(values.begin(), values.end(), work_values.begin());
    numerics::sort2(static_cast<std::uint32_t>(s.n), work_keys.data(), work_values.data());
    benchmark::DoNotOptimize(work_values.data());
  }
  s.finish(state);
}

void BM_std_sort_pairs(benchmark::State& state) {
  const Setup s(state);
  std::vector<std::pair<float, float>> pairs(s.n);
  for (std::size_t i = 0; i < s.n; ++i) pairs[i] = {s.input[i], static_cast<float>(i)};
  std::vector<std::pair<float, float>> work(s.n);
  const bench_support::ExtraMemory extra(state);
  for (auto _ : state) {
    std::copy(pairs.begin(), pairs.end(), work.begin());
    std::sort(
        work.begin(), work.end(),
        [](const std::pair<float, float>& a, const std::pair<float, float>& b) { return a.first < b.first; });
    benchmark::DoNotOptimize(work.data());
  }
  s.finish(state);
}

void BM_heap_sort(benchmark::State& state) {
  const Setup s(state);
  const std::vector<float> source = one_based(s.input);
  std::vector<float> work(source.size());
  const bench_support::ExtraMemory extra(state);
  for (auto _ : state) {
    std::copy(source.begin(), source.end(), work.begin());
    numerics::heap_sort(static_cast<std::uint32_t>(s.n), work.data());
    benchmark::DoNotOptimize(work.data());
  }
  s.finish(state);
}

void BM_std_heap(benchmark::State& state) {
  const Setup s(state);
  std::vector<float> work(s.n);
  const bench_support::ExtraMemory extra(state);
  for (auto _ : state) {
    std::copy(s.input.begin(), s.input.end(), work.begin());
    std::make_heap(work.begin(), work.end());
    std::sort_heap(work.begin(), work.end());
    benchmark::DoNotOptimize(work.data());
  }
  s.finish(state);
}

void BM_select_kth(benchmark::State& state) {
  const Setup s(state);
  const std::vector<float> source = one_based(s.input);
  std::vector<float> work(source.size());
  const auto k = static_cast<std::uint32_t>(s.n / 2 + 1);
  const bench_support::ExtraMemory extra(state);
  for (auto _ : state) {
    std::copy(source.begin(), source.end(), work.begin());
    benchmark::DoNotOptimize(numerics::select_kth(k, static_cast<std::uint32_t>(s.n), work.data()));
  }
  s.finish(state);
}

void BM_std_nth_element(benchmark::State& state) {
  const Setup s(state);
  std::vector<float> work(s.n);
  const std::size_t k = s.n / 2;
  const bench_support::ExtraMemory extra(state);
  for (auto _ : state) {
    std::copy(s.input.begin(), s.input.end(), work.begin());
    std::nth_element(work.begin(), work.begin() + static_cast<std::ptrdiff_t>(k), work.end());
    benchmark::DoNotOptimize(work[k]);
  }
  s.finish(state);
}

void sizes_and_kinds(benchmark::internal::Benchmark* b) {
  b->ArgsProduct({{1000, 100000, 1000000}, {kRandom, kSorted, kReversed, kFewDistinct}});
  b->ArgNames({"n", "kind"});
}

}  // namespace

BENCHMARK(BM_sort)->Apply(sizes_and_kinds);
BENCHMARK(BM_std_sort)->Apply(sizes_and_kinds);
BENCHMARK(BM_sort2)->Apply(sizes_and_kinds);
BENCHMARK(BM_std_sort_pairs)->Apply(sizes_and_kinds);
BENCHMARK(BM_heap_sort)->Apply(sizes_and_kinds);
BENCHMARK(BM_std_heap)->Apply(sizes_and_kinds);
BENCHMARK(BM_select_kth)->Apply(sizes_and_kinds);
BENCHMARK(BM_std_nth_element)->Apply(sizes_and_kinds);
