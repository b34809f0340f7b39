// The peak of heap memory a benchmarked call takes beyond what existed before it, reported with each
// benchmark as the counter "extra_bytes". The benchmark programs count every malloc, calloc, realloc,
// aligned allocation and free of the process (extra_memory.cpp); memory a peer maps by other means (as
// OpenBLAS does for its buffers, once, when it starts) is not seen.
#pragma once

#include <benchmark/benchmark.h>

#include <cstdint>

namespace bench_support {

// Whether this build counts the heap (glibc only); heap bytes in use now and the highest figure since the
// last reset_peak().
bool heap_counted();
std::int64_t heap_in_use();
std::int64_t heap_peak();
void reset_peak();

// Declared just before a benchmark's timing loop, after its data are made: on leaving the scope it
// records the most heap memory in use beyond that point during the loop.
class ExtraMemory {
 public:
  explicit ExtraMemory(benchmark::State& state) : state_(state), base_(heap_in_use()) { reset_peak(); }
  ~ExtraMemory() {
    if (heap_counted()) state_.counters["extra_bytes"] = static_cast<double>(heap_peak() - base_);
  }
  ExtraMemory(const ExtraMemory&) = delete;
  ExtraMemory& operator=(const ExtraMemory&) = delete;

 private:
  benchmark::State& state_;
  std::int64_t base_;
};

}  // namespace bench_support
