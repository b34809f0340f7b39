// Sorting, selection and ranking over one-based arrays: a median-of-three quicksort with an explicit
// stack of pending ranges (alone and carrying a companion array), a heap sort, quickselect for the
// k-th smallest value, and mid-ranks for runs of ties.
#include <cstdint>

#include "numerics/numerics.h"

namespace numerics {
namespace {

// Ranges with last - first below this are finished by straight insertion.
constexpr std::uint32_t kInsertionLimit = 7;
// Entries of the pending-range stack (two per range) of sort and sort2. The range worked on at least
// halves with every push and only ranges of 8 or more are split, so p pending ranges need n ≥ 2^(p+2):
// sort's 30 ranges suffice for any 32-bit count, sort2's 25 for every n below 2^28.
constexpr int kSortStack = 60;
constexpr int kSort2Stack = 50;

// What travels with the sorted keys: nothing (sort, the selections), or the element at the same
// index of a second array (sort2). The empty version compiles away.
struct NoCompanion {
  struct Held {};
  void swap(std::uint32_t, std::uint32_t) {}
  Held hold(std::uint32_t) const { return {}; }
  void put(std::uint32_t, Held) {}
  void move(std::uint32_t, std::uint32_t) {}
};

struct CompanionArray {
  using Held = float;
  float* brr;
  void swap(std::uint32_t a, std::uint32_t b) {
    const float held = brr[a];
    brr[a] = brr[b];
    brr[b] = held;
  }
  Held hold(std::uint32_t i) const { return brr[i]; }
  void put(std::uint32_t i, Held value) { brr[i] = value; }
  void move(std::uint32_t to, std::uint32_t from) { brr[to] = brr[from]; }
};

template <typename T, typename Companion>
void swap_elements(T* arr, Companion& companion, std::uint32_t a, std::uint32_t b) {
  const T held = arr[a];
  arr[a] = arr[b];
  arr[b] = held;
  companion.swap(a, b);
}

// Straight insertion of arr[l..ir]; equal elements keep their order.
template <typename T, typename Companion>
void insertion_sort(T* arr, Companion& companion, std::uint32_t l, std::uint32_t ir) {
  for (std::uint32_t j = l + 1; j <= ir; ++j) {
    const T a = arr[j];
    const typename Companion::Held b = companion.hold(j);
    std::uint32_t i = j - 1;
    for (; i >= l && arr[i] > a; --i) {
      arr[i + 1] = arr[i];
      companion.move(i + 1, i);
    }
    arr[i + 1] = a;
    companion.put(i + 1, b);
  }
}

// Median of arr[l], arr[mid], arr[ir] moved to l+1 with arr[l] <= arr[l+1] <= arr[ir], so that arr[l]
// and arr[ir] stop the partition scans. The midpoint is formed as l + (ir - l) / 2, which equals
// (l + ir) / 2 without overflowing for ranges near the top of the 32-bit index range.
template <typename T, typename Companion>
void median_of_three(T* arr, Companion& companion, std::uint32_t l, std::uint32_t ir) {
  const std::uint32_t mid = l + ((ir - l) >> 1);
  swap_elements(arr, companion, mid, l + 1);
  if (arr[l] > arr[ir]) swap_elements(arr, companion, l, ir);
  if (arr[l + 1] > arr[ir]) swap_elements(arr, companion, l + 1, ir);
  if (arr[l] > arr[l + 1]) swap_elements(arr, companion, l, l + 1);
}

struct Split {
  std::uint32_t i;  // first index of the right part [i, ir]
  std::uint32_t j;  // final place of the partitioning element; the left part is [l, j - 1]
};

// Hoare partition of arr[l..ir] around a = arr[l+1] after median_of_three.
template <typename T, typename Companion>
Split partition(T* arr, Companion& companion, std::uint32_t l, std::uint32_t ir) {
  median_of_three(arr, companion, l, ir);
  std::uint32_t i = l + 1;
  std::uint32_t j = ir;
  const T a = arr[l + 1];
  const typename Companion::Held b = companion.hold(l + 1);
  for (;;) {
    do ++i;
    while (arr[i] < a);
    do --j;
    while (arr[j] > a);
    if (j < i) break;
    swap_elements(arr, companion, i, j);
  }
  arr[l + 1] = arr[j];
  companion.move(l + 1, j);
  arr[j] = a;
  companion.put(j, b);
  return {i, j};
}

// Quicksort of arr[1..n]: the larger part is pushed, the smaller part is worked on next, so at most
// log2(n) ranges are pending. The stack holds first at the lower and last at the upper entry.
template <typename Companion>
void quicksort(std::uint32_t n, float* arr, Companion companion, int nstack, const char* overflow) {
  int* stack = ivector(1, nstack);
  int used = 0;
  std::uint32_t l = 1;
  std::uint32_t ir = n;
  for (;;) {
    if (ir - l < kInsertionLimit) {
      insertion_sort(arr, companion, l, ir);
      if (used == 0) break;
      ir = static_cast<std::uint32_t>(stack[used]);
      l = static_cast<std::uint32_t>(stack[used - 1]);
      used -= 2;
      continue;
    }
    const Split split = partition(arr, companion, l, ir);
    used += 2;
    if (used > nstack) fatal_numeric_error(overflow);
    if (ir - split.i + 1 >= split.j - l) {
      stack[used] = static_cast<int>(ir);
      stack[used - 1] = static_cast<int>(split.i);
      ir = split.j - 1;
    } else {
      stack[used] = static_cast<int>(split.j - 1);
      stack[used - 1] = static_cast<int>(l);
      l = split.i;
    }
  }
  release_ivector(stack, 1, nstack);
}

// Quickselect: partitions like the quicksort and keeps only the side that holds position k.
template <typename T>
T quickselect(std::uint32_t k, std::uint32_t n, T* arr) {
  NoCompanion none;
  std::uint32_t l = 1;
  std::uint32_t ir = n;
  for (;;) {
    if (ir <= l + 1) {
      if (ir == l + 1 && arr[ir] < arr[l]) swap_elements(arr, none, l, ir);
      return arr[k];
    }
    const Split split = partition(arr, none, l, ir);
    if (split.j >= k) ir = split.j - 1;
    if (split.j <= k) l = split.i;
  }
}

}  // namespace

void sort(std::uint32_t n, float* arr) {
  if (n == 0) return;
  quicksort(n, arr, NoCompanion{}, kSortStack, "NSTACK too small in sort.");
}

void sort2(std::uint32_t n, float* arr, float* brr) {
  if (n == 0) return;
  quicksort(n, arr, CompanionArray{brr}, kSort2Stack, "NSTACK too small in sort2.");
}

// Heap sort: builds a max-heap rooted at index 1, then repeatedly moves the root behind the heap.
// The child index is kept in 64 bits so that doubling it cannot wrap for arrays beyond 2^31 elements.
void heap_sort(std::uint32_t n, float* arr) {
  if (n < 2) return;
  std::uint32_t l = n / 2 + 1;
  std::uint32_t ir = n;
  for (;;) {
    float r;
    if (l > 1) {
      --l;
      r = arr[l];
    } else {
      r = arr[ir];
      arr[ir] = arr[1];
      if (--ir == 1) {
        arr[1] = r;
        return;
      }
    }
    std::uint32_t i = l;
    std::uint64_t j = 2 * static_cast<std::uint64_t>(l);
    while (j <= ir) {
      if (j < ir && arr[j + 1] > arr[j]) ++j;
      if (!(arr[j] > r)) break;
      arr[i] = arr[j];
      i = static_cast<std::uint32_t>(j);
      j *= 2;
    }
    arr[i] = r;
  }
}

float select_kth(std::uint32_t k, std::uint32_t n, float* arr) {
  if (k == 0 || k > n) fatal_numeric_error("select_kth: k outside 1..n");
  return quickselect(k, n, arr);
}

std::uint16_t select_kth_ushort(std::uint32_t k, std::uint32_t n, std::uint16_t* arr) {
  if (k == 0 || k > n) fatal_numeric_error("select_kth_ushort: k outside 1..n");
  return quickselect(k, n, arr);
}

// Mid-ranks of an ascending array; s collects t^3 - t over every run of t tied values. The rank of a
// run is half the sum of its first and last position, the sum formed in 64 bits and halved in double.
void rank_with_ties(std::uint32_t n, float* w, float* s) {
  *s = 0.0f;
  std::uint32_t j = 1;
  while (j < n) {
    if (!(w[j + 1] == w[j])) {
      w[j] = static_cast<float>(j);
      ++j;
      continue;
    }
    std::uint32_t jt = j + 1;
    while (jt <= n && w[jt] == w[j]) ++jt;
    const std::uint64_t ends = static_cast<std::uint64_t>(j) + jt - 1;
    const float rank = static_cast<float>(0.5 * static_cast<double>(ends));
    for (std::uint32_t ji = j; ji < jt; ++ji) w[ji] = rank;
    const float t = static_cast<float>(jt - j);
    *s += t * t * t - t;
    j = jt;
  }
  if (j == n) w[n] = static_cast<float>(n);
}

}  // namespace numerics
