// Bit-level helpers shared by the elementary functions: the IEEE encodings of double and float, and
// exact scaling by a power of two that stays correct into the subnormal range.
#pragma once

#include <cstdint>
#include <cstring>

namespace numerics {
namespace elementary {
namespace detail {

inline std::uint64_t bits_of(double x) {
  std::uint64_t b;
  std::memcpy(&b, &x, sizeof b);
  return b;
}
inline double double_from_bits(std::uint64_t b) {
  double x;
  std::memcpy(&x, &b, sizeof x);
  return x;
}
inline std::uint32_t bits_of(float x) {
  std::uint32_t b;
  std::memcpy(&b, &x, sizeof b);
  return b;
}
inline float float_from_bits(std::uint32_t b) {
  float x;
  std::memcpy(&x, &b, sizeof x);
  return x;
}

// 2^k as a double, for k in [-1022, 1023] (normal powers only).
inline double power_of_two(int k) { return double_from_bits(static_cast<std::uint64_t>(k + 1023) << 52); }

// x·2^k for k in [-2044, 2046], rounded once: a scale that would leave the normal range is applied in
// two exact-or-final steps, so a subnormal result is rounded only at the last multiplication.
inline double scale_by_power_of_two(double x, int k) {
  if (k > 1023) return (x * power_of_two(1023)) * power_of_two(k - 1023);
  if (k < -1022) return (x * power_of_two(k + 1022)) * power_of_two(-1022);
  return x * power_of_two(k);
}

// Error-free transformations in double (Dekker, Knuth), without fused multiply-add.
// a + b = sum + error exactly, for |a| >= |b| or a == 0.
inline void fast_two_sum(double a, double b, double& sum, double& error) {
  sum = a + b;
  error = b - (sum - a);
}
// a + b = sum + error exactly, for any finite a and b.
inline void two_sum(double a, double b, double& sum, double& error) {
  sum = a + b;
  const double b_part = sum - a;
  error = (a - (sum - b_part)) + (b - b_part);
}
// a = high + low with high holding the upper 26 significant bits, so that products of halves are exact.
inline void split(double a, double& high, double& low) {
  const double t = 134217729.0 * a;  // 2^27 + 1
  high = t - (t - a);
  low = a - high;
}
// a·b = product + error exactly (no overflow in the splitting: |a|, |b| below 2^995).
inline void two_product(double a, double b, double& product, double& error) {
  product = a * b;
  double ah, al, bh, bl;
  split(a, ah, al);
  split(b, bh, bl);
  error = ((ah * bh - product) + ah * bl + al * bh) + al * bl;
}

}  // namespace detail
}  // namespace elementary
}  // namespace numerics
