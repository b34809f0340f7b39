// Fuzz target for sorting, selection and ranking on arbitrary float arrays, NaN and infinities
// included. The input's first two bytes choose k; the rest is read as raw float bit patterns, so every
// float value can occur. Arrays are allocated with exactly n elements, so any access outside 1..n is
// caught by the address checker. Checks, on copies of the same input:
//  - sort, sort2 and heap_sort leave a permutation of the input (bit patterns), ascending when the
//    input holds no NaN; sort2 moves each companion with its key;
//  - select_kth (float and unsigned 16-bit) leaves a permutation with arr[k] the returned value and,
//    for NaN-free input, nothing greater before k and nothing smaller after it, arr[k] being the k-th
//    smallest; k is always in 1..n, the only range the routines accept;
//  - rank_with_ties on the sorted NaN-free input gives every tied run the mean of its positions and
//    the sum of t^3 - t over the runs.
#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <vector>

#include "numerics/numerics.h"
#include "support/bordered.h"

namespace {

using numerics::release_vector;
using test_support::bits_of;

[[noreturn]] void fail(const char* what) {
  std::fprintf(stderr, "sorting misbehaved: %s\n", what);
  std::abort();
}

// A one-based copy of the input with exactly n elements.
float* one_based_copy(const std::vector<float>& values) {
  const int n = static_cast<int>(values.size());
  float* v = numerics::vector(1, n);
  for (int i = 1; i <= n; ++i) v[i] = values[static_cast<std::size_t>(i - 1)];
  return v;
}

void expect_permutation(const float* v, const std::vector<float>& input, const char* routine) {
  std::vector<std::uint32_t> before, after;
  for (std::size_t i = 0; i < input.size(); ++i) {
    before.push_back(bits_of(input[i]));
    after.push_back(bits_of(v[i + 1]));
  }
  std::sort(before.begin(), before.end());
  std::sort(after.begin(), after.end());
  if (before != after) fail(routine);
}

void expect_ascending(const float* v, std::size_t n, const char* routine) {
  for (std::size_t i = 1; i < n; ++i) {
    if (v[i] > v[i + 1]) fail(routine);
  }
}

void check_sorts(const std::vector<float>& input, bool has_nan) {
  const auto n = static_cast<std::uint32_t>(input.size());
  for (int routine = 0; routine < 2; ++routine) {
    float* v = one_based_copy(input);
    if (routine == 0)
      numerics::sort(n, v);
    else
      numerics::heap_sort(n, v);
    const char* name = routine == 0 ? "sort" : "heap_sort";
    expect_permutation(v, input, name);
    if (!has_nan) expect_ascending(v, n, name);
    release_vector(v, 1, static_cast<int>(n));
  }

  // The companions are the original positions, so each key can be traced back to where it came from.
  float* keys = one_based_copy(input);
  std::vector<float> positions(n);
  for (std::uint32_t i = 0; i < n; ++i) positions[i] = static_cast<float>(i + 1);
  float* companions = one_based_copy(positions);
  numerics::sort2(n, keys, companions);
  expect_permutation(keys, input, "sort2 keys");
  expect_permutation(companions, positions, "sort2 companions");
  for (std::uint32_t i = 1; i <= n; ++i) {
    const auto from = static_cast<std::size_t>(companions[i]);
    if (bits_of(keys[i]) != bits_of(input[from - 1])) fail("sort2 separated a key from its companion");
  }
  if (!has_nan) expect_ascending(keys, n, "sort2");
  release_vector(keys, 1, static_cast<int>(n));
  release_vector(companions, 1, static_cast<int>(n));
}

void check_select(const std::vector<float>& input, std::uint32_t k, bool has_nan) {
  const auto n = static_cast<std::uint32_t>(input.size());
  float* v = one_based_copy(input);
  const float chosen = numerics::select_kth(k, n, v);
  expect_permutation(v, input, "select_kth");
  if (bits_of(chosen) != bits_of(v[k])) fail("select_kth returned another value than arr[k]");
  if (!has_nan) {
    for (std::uint32_t i = 1; i <= n; ++i) {
      if ((i < k && v[i] > chosen) || (i > k && v[i] < chosen)) fail("select_kth left the halves unordered");
    }
    std::vector<float> sorted(input);
    std::sort(sorted.begin(), sorted.end());
    if (chosen != sorted[k - 1]) fail("select_kth chose another than the k-th smallest");
  }
  release_vector(v, 1, static_cast<int>(n));

  // The same over unsigned 16-bit values: the low halves of the bit patterns.
  std::vector<std::uint16_t> shorts(n + 1);
  for (std::uint32_t i = 1; i <= n; ++i) shorts[i] = static_cast<std::uint16_t>(bits_of(input[i - 1]));
  std::vector<std::uint16_t> sorted_shorts(shorts.begin() + 1, shorts.end());
  std::sort(sorted_shorts.begin(), sorted_shorts.end());
  const std::uint16_t chosen_short = numerics::select_kth_ushort(k, n, shorts.data());
  if (chosen_short != sorted_shorts[k - 1] || shorts[k] != chosen_short) fail("select_kth_ushort");
  std::vector<std::uint16_t> after(shorts.begin() + 1, shorts.end());
  std::sort(after.begin(), after.end());
  if (after != sorted_shorts) fail("select_kth_ushort lost or made up values");
}

void check_ranks(std::vector<float> input) {
  std::sort(input.begin(), input.end());
  const auto n = static_cast<std::uint32_t>(input.size());
  float* w = one_based_copy(input);
  float s = -1.0f;
  numerics::rank_with_ties(n, w, &s);
  double expected_s = 0.0;
  for (std::uint32_t j = 1; j <= n;) {
    std::uint32_t end = j;
    while (end < n && input[end] == input[j - 1]) ++end;  // run j..end (one-based)
    const double t = static_cast<double>(end - j + 1);
    const auto rank = static_cast<float>(0.5 * static_cast<double>(j + end));
    for (std::uint32_t i = j; i <= end; ++i) {
      if (bits_of(w[i]) != bits_of(rank))
        fail("rank_with_ties gave a run another rank than its mean position");
    }
    expected_s += t * t * t - t;
    j = end + 1;
  }
  if (std::fabs(static_cast<double>(s) - expected_s) > 1e-6 * std::max(1.0, expected_s) * n)
    fail("rank_with_ties summed the runs wrongly");
  release_vector(w, 1, static_cast<int>(n));
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  if (size < 2) return 0;
  const std::uint32_t k_choice = static_cast<std::uint32_t>(data[0]) | static_cast<std::uint32_t>(data[1])
                                                                           << 8;
  std::vector<float> input((size - 2) / sizeof(float));
  if (!input.empty()) std::memcpy(input.data(), data + 2, input.size() * sizeof(float));
  const bool has_nan = std::any_of(input.begin(), input.end(), [](float x) { return std::isnan(x); });

  check_sorts(input, has_nan);
  if (!input.empty()) check_select(input, 1 + k_choice % static_cast<std::uint32_t>(input.size()), has_nan);
  if (!has_nan) check_ranks(input);
  return 0;
}
