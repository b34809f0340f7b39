// Guarded arrays and bit comparison for the numerical tests and fuzz targets: a matrix whose index
// range is surrounded by sentinels, the fixed pseudo-random values the tests fill it with, and
// bit-for-bit comparison of float arrays.
#pragma once

#include <cmath>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <random>
#include <vector>

#include "numerics/numerics.h"

namespace test_support {

// Border value: large enough to spoil any result it leaks into, and changed by any write.
inline constexpr float kSentinel = 1.0e30f;

// A fixed pseudo-random value in [−1, 1): the top 24 bits of the generator, so exact in float.
inline float unit_random(std::mt19937& gen) { return static_cast<float>(gen() >> 8) / 8388608.0f - 1.0f; }

// The bit pattern of a float.
inline std::uint32_t bits_of(float x) {
  std::uint32_t b;
  std::memcpy(&b, &x, sizeof b);
  return b;
}

// Index of the first of n floats whose bits differ, or -1.
inline long first_difference(const float* a, const float* b, std::size_t n) {
  for (std::size_t i = 0; i < n; ++i) {
    if (bits_of(a[i]) != bits_of(b[i])) return static_cast<long>(i);
  }
  return -1;
}

inline bool same_bits(const float* a, const float* b, std::size_t n) {
  return first_difference(a, b, n) == -1;
}

inline bool same_bits(const std::vector<float>& a, const std::vector<float>& b) {
  return a.size() == b.size() && same_bits(a.data(), b.data(), a.size());
}

// A rows × cols float matrix (numerics::matrix) over the indices base..base+rows−1, base..base+cols−1,
// with a border of sentinels in the rows and columns base−1 and base+rows (base+cols) around it. The
// interior holds sentinels too, or fixed pseudo-random values in [−1, 1) drawn row by row from a seed.
// Bordered(1, n).m[1] is a guarded one-based vector; base 0 serves the zero-based routines.
class Bordered {
 public:
  Bordered(int r, int c, int b = 1) : rows(r), cols(c), base(b), m(allocate()) {
    for (int i = first(); i <= last_row(); ++i)
      for (int j = first(); j <= last_col(); ++j) m[i][j] = kSentinel;
  }
  // Interior from the seed (one-based unless a base is given).
  static Bordered random(int rows, int cols, unsigned seed, int base = 1) {
    Bordered b(rows, cols, base);
    std::mt19937 gen(seed);
    for (int i = base; i < base + rows; ++i)
      for (int j = base; j < base + cols; ++j) b.m[i][j] = unit_random(gen);
    return b;
  }
  Bordered(Bordered&& other) noexcept : rows(other.rows), cols(other.cols), base(other.base), m(other.m) {
    other.m = nullptr;
  }
  Bordered(const Bordered&) = delete;
  Bordered& operator=(const Bordered&) = delete;
  Bordered& operator=(Bordered&&) = delete;
  ~Bordered() {
    if (m != nullptr) numerics::release_matrix(m, first(), last_row(), first(), last_col());
  }

  float* operator[](int i) const { return m[i]; }
  bool border(int i, int j) const { return i < base || i >= base + rows || j < base || j >= base + cols; }
  bool border_intact() const {
    for (int i = first(); i <= last_row(); ++i)
      for (int j = first(); j <= last_col(); ++j)
        if (border(i, j) && m[i][j] != kSentinel) return false;
    return true;
  }
  // The interior, row by row.
  std::vector<float> interior() const {
    std::vector<float> values;
    for (int i = base; i < base + rows; ++i) values.insert(values.end(), &m[i][base], &m[i][base + cols]);
    return values;
  }
  // Every slot, border included, row by row (the storage is one block).
  const float* all() const { return &m[first()][first()]; }
  std::size_t slots() const {
    return static_cast<std::size_t>(rows + 2) * static_cast<std::size_t>(cols + 2);
  }

  const int rows, cols, base;
  float** m;

 private:
  int first() const { return base - 1; }
  int last_row() const { return base + rows; }
  int last_col() const { return base + cols; }
  float** allocate() const { return numerics::matrix(first(), last_row(), first(), last_col()); }
};

// Bit for bit, borders included.
inline bool same_bits(const Bordered& x, const Bordered& y) {
  return x.slots() == y.slots() && same_bits(x.all(), y.all(), x.slots());
}

// Bit for bit, except that any NaN matches any NaN: which of two NaN operands an instruction passes on
// depends on the operand order the compiler picks, not on the order of operations.
inline bool same_bits_but_nan_payloads(const Bordered& x, const Bordered& y) {
  if (x.slots() != y.slots()) return false;
  const float* p = x.all();
  const float* q = y.all();
  for (std::size_t k = 0; k < x.slots(); ++k) {
    if (bits_of(p[k]) != bits_of(q[k]) && !(std::isnan(p[k]) && std::isnan(q[k]))) return false;
  }
  return true;
}

// The one-based m × n matrix left·right of m × rank and rank × n random factors, summed in float in
// ascending k: a matrix of rank `rank` (with probability one).
inline Bordered low_rank(int m, int n, int rank, unsigned left_seed, unsigned right_seed) {
  const Bordered left = Bordered::random(m, rank, left_seed);
  const Bordered right = Bordered::random(rank, n, right_seed);
  Bordered a(m, n);
  for (int i = 1; i <= m; ++i)
    for (int j = 1; j <= n; ++j) {
      a.m[i][j] = 0.0f;
      for (int k = 1; k <= rank; ++k) a.m[i][j] += left.m[i][k] * right.m[k][j];
    }
  return a;
}

}  // namespace test_support
