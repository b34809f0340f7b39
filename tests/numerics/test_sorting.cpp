// Tests of sorting, selection and ranking against the standard library on random and adversarial
// inputs around the insertion threshold and large enough to stack many ranges, with guards at 0, n + 1.
#include <gtest/gtest.h>

#include <algorithm>
#include <random>
#include <string>
#include <vector>

#include "numerics/numerics.h"
#include "support/bordered.h"
#include "support/fatal_message.h"

namespace {

using namespace numerics;

using test_support::kSentinel;
const std::uint32_t kSizes[] = {1, 2, 6, 7, 8, 9, 16, 100, 4097, 100000};
const char* const kKinds[] = {"random", "sorted", "reversed", "equal", "few distinct", "organ pipe"};

// One-based values of a kind in a buffer with guards at 0 and n + 1.
std::vector<float> make_input(int kind, std::uint32_t n) {
  std::mt19937 g(n + 31 * kind);
  std::vector<float> v(n + 2, kSentinel);
  for (std::uint32_t i = 1; i <= n; ++i) {
    const float values[] = {std::uniform_real_distribution<float>(-1e3f, 1e3f)(g),
                            float(i),
                            float(n - i),
                            3.5f,
                            float(g() % 4),
                            float(std::min(i, n - i))};
    v[i] = values[kind];
  }
  return v;
}

std::vector<float> std_sorted(std::vector<float> v) {
  std::sort(v.begin() + 1, v.end() - 1);
  return v;
}

TEST(Sorting, AllSortsAgreeWithStdSort) {
  for (int kind = 0; kind < 6; ++kind)
    for (std::uint32_t n : kSizes) {
      SCOPED_TRACE(std::string(kKinds[kind]) + ", n = " + std::to_string(n));
      const std::vector<float> input = make_input(kind, n), expected = std_sorted(input);
      std::vector<float> quick = input, heap = input, keys = input, partners(n + 2, kSentinel);
      for (std::uint32_t i = 1; i <= n; ++i) partners[i] = -2.0f * input[i];  // a pair's own mark
      sort(n, quick.data());
      heap_sort(n, heap.data());
      sort2(n, keys.data(), partners.data());
      EXPECT_EQ(quick, expected);
      EXPECT_EQ(heap, expected);
      EXPECT_EQ(keys, expected);
      for (std::uint32_t i = 1; i <= n; ++i) ASSERT_EQ(partners[i], -2.0f * keys[i]) << i;
      EXPECT_EQ(partners[n + 1], kSentinel);
    }
}

TEST(Sorting, ShortArraysAreStableAndEmptyOnesUntouched) {
  for (std::uint32_t n = 2; n <= 7; ++n) {  // straight insertion: equal keys keep their companions' order
    std::vector<float> keys = make_input(4, n), tags(n + 2);
    for (std::uint32_t i = 1; i <= n; ++i) tags[i] = float(i);
    sort2(n, keys.data(), tags.data());
    for (std::uint32_t i = 1; i < n; ++i) EXPECT_TRUE(keys[i] < keys[i + 1] || tags[i] < tags[i + 1]);
  }
  // Nothing to sort touches nothing: the slots around an empty range keep their guards, and the one
  // element of heap_sort(1) stays as it is.
  std::vector<float> empty(2, kSentinel), companions(2, kSentinel), single{kSentinel, 2.5f, kSentinel};
  sort(0, empty.data());
  sort2(0, empty.data(), companions.data());
  heap_sort(1, single.data());
  EXPECT_EQ(empty, std::vector<float>(2, kSentinel));
  EXPECT_EQ(companions, std::vector<float>(2, kSentinel));
  EXPECT_EQ(single, (std::vector<float>{kSentinel, 2.5f, kSentinel}));
}

TEST(Selection, AgreesWithNthElement) {
  for (int kind = 0; kind < 6; ++kind)
    for (std::uint32_t n : kSizes) {
      if (n > 4097) continue;
      for (std::uint32_t k : {1u, (n + 1) / 2, n}) {
        SCOPED_TRACE(std::string(kKinds[kind]) + ", n = " + std::to_string(n) + ", k = " + std::to_string(k));
        const std::vector<float> input = make_input(kind, n);
        std::vector<float> arr = input;
        const float kth = select_kth(k, n, arr.data());
        EXPECT_EQ(kth, std_sorted(input)[k]);
        EXPECT_EQ(arr[k], kth);
        for (std::uint32_t i = 1; i <= n; ++i) EXPECT_TRUE(i < k ? arr[i] <= kth : arr[i] >= kth);
        EXPECT_EQ(std_sorted(arr), std_sorted(input));  // a permutation, guards included
      }
    }
  std::vector<std::uint16_t> shorts(302, 0xBEEF);
  for (std::uint32_t i = 1; i <= 300; ++i) shorts[i] = static_cast<std::uint16_t>(i * 7919u);
  shorts[5] = 65535;
  std::vector<std::uint16_t> expected(shorts.begin() + 1, shorts.end() - 1);
  std::nth_element(expected.begin(), expected.begin() + 199, expected.end());
  EXPECT_EQ(select_kth_ushort(300, 300, shorts.data()), 65535);
  EXPECT_EQ(select_kth_ushort(200, 300, shorts.data()), expected[199]);
  EXPECT_EQ(shorts[301], 0xBEEF);
}

// Mid-ranks by definition: the count of smaller values plus the mean position among the equal ones;
// the tie sum adds t^2 - 1 for each of the t members of a group, t^3 - t per group.
TEST(Ranking, MidRanksAndTieSumsFollowTheDefinition) {
  for (std::uint32_t n : {0u, 1u, 2u, 3u, 57u, 400u}) {
    std::vector<float> w = make_input(n % 2 ? 0 : 4, n);  // distinct values or few distinct ones
    if (n == 2) {                                         // signed zeros compare equal
      w[1] = -0.0f;
      w[2] = 0.0f;
    }
    w = std_sorted(w);
    const std::vector<float> original = w;
    float s = -1.0f, expected_s = 0.0f;
    rank_with_ties(n, w.data(), &s);
    for (std::uint32_t i = 1; i <= n; ++i) {
      const auto below =
          std::count_if(original.begin() + 1, original.end() - 1, [&](float v) { return v < original[i]; });
      const auto equal = std::count(original.begin() + 1, original.end() - 1, original[i]);
      EXPECT_EQ(w[i], float(below) + 0.5f * float(equal + 1));
      expected_s += float(equal * equal - 1);
    }
    EXPECT_EQ(s, expected_s);
    EXPECT_EQ(w[0], kSentinel);
    EXPECT_EQ(w[n + 1], kSentinel);
  }
}

TEST(SortingDeathTest, SelectionOutsideOneToN) {
  float arr[] = {kSentinel, 1, 2, 3, kSentinel};
  std::uint16_t shorts[] = {0, 1, 2, 0};
  EXPECT_FATAL(select_kth(0, 3, arr), "select_kth: k outside 1..n");
  EXPECT_FATAL(select_kth(4, 3, arr), "select_kth: k outside 1..n");
  EXPECT_FATAL(select_kth_ushort(3, 2, shorts), "select_kth_ushort: k outside 1..n");
}

}  // namespace
