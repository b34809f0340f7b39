// The argument tables of the special-function timings, shared by bench_specfun and
// compare_commits.cpp so that both time the same calls: 1024 evenly spread arguments per range.
#pragma once

#include <cstddef>
#include <vector>

namespace bench_support {

constexpr int kSpecfunArguments = 1024;

// Evenly spread arguments in [low, high).
inline std::vector<float> spread(float low, float high) {
  std::vector<float> v(kSpecfunArguments);
  for (int i = 0; i < kSpecfunArguments; ++i)
    v[static_cast<std::size_t>(i)] = low + (high - low) * (static_cast<float>(i) + 0.5f) / kSpecfunArguments;
  return v;
}

// x for gammq(3.5, x) below a + 1 (the series) and above it (the continued fraction), x for
// incomplete_beta(2.5, 4, x), and x for the complementary error function.
inline std::vector<float> gammq_series_arguments() { return spread(0.1f, 4.5f); }
inline std::vector<float> gammq_fraction_arguments() { return spread(4.5f, 20.0f); }
inline std::vector<float> incomplete_beta_arguments() { return spread(0.0f, 1.0f); }
inline std::vector<float> erfc_arguments() { return spread(-4.0f, 4.0f); }

}  // namespace bench_support
