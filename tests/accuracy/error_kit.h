// Error measurement for the accuracy programs: the distance of a float result from a reference in units
// of the float spacing at the reference, a logarithmic histogram that yields percentiles, the record
// of the largest error with the arguments where it occurred, a reproducible uniform source, and the
// Boost.Math policy under which references never throw (and double references are computed in double,
// accurate to a few double units: far below a float unit, and fast enough for the sweeps).
#pragma once

#include <array>
#include <cfloat>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <string>

#include <boost/math/policies/policy.hpp>

#include "support/bordered.h"

namespace error_kit {

using test_support::bits_of;

// References answer out-of-range and overflow cases with a value instead of an exception.
using QuietPolicy = boost::math::policies::policy<
    boost::math::policies::domain_error<boost::math::policies::ignore_error>,
    boost::math::policies::pole_error<boost::math::policies::ignore_error>,
    boost::math::policies::overflow_error<boost::math::policies::ignore_error>,
    boost::math::policies::underflow_error<boost::math::policies::ignore_error>,
    boost::math::policies::evaluation_error<boost::math::policies::ignore_error>,
    boost::math::policies::promote_double<false>>;

inline float float_from_bits(std::uint32_t b) {
  float value;
  std::memcpy(&value, &b, sizeof value);
  return value;
}

// Spacing of floats at |reference|: 2^(e-23) for a normal magnitude in [2^e, 2^(e+1)), the subnormal
// spacing 2^-149 below FLT_MIN, and the spacing of the largest binade above FLT_MAX. Read off the
// double's exponent field: the sweeps call this billions of times.
inline double float_ulp(double reference) {
  std::uint64_t b;
  std::memcpy(&b, &reference, sizeof b);
  const int e = static_cast<int>((b >> 52) & 0x7ff) - 1023;
  if (e < -126) return 0x1.0p-149;
  return std::ldexp(1.0, (e > 127 ? 127 : e) - 23);
}

// |got - reference| in units of the float spacing at the reference; 0 when both are the same infinity.
inline double ulp_error(float got, double reference) {
  if (static_cast<double>(got) == reference) return 0.0;
  return std::fabs(static_cast<double>(got) - reference) / float_ulp(reference);
}

// Histogram of non-negative errors in bins of 2^(1/16) from 2^-64 up to 2^64 (zeros and smaller
// values in bin 0, larger ones in the last): a percentile is read off as the upper edge of its bin,
// so it is exact to about 4.4 %.
class Histogram {
 public:
  static constexpr int kBinsPerOctave = 16;
  static constexpr int kLowestOctave = -64;
  static constexpr int kBins = 128 * kBinsPerOctave + 1;

  void add(double error) {
    ++count_;
    int bin = 0;
    if (error > 0x1.0p-64) {
      const double position = (std::log2(error) - kLowestOctave) * kBinsPerOctave;
      bin = position >= kBins - 1 ? kBins - 1 : 1 + static_cast<int>(position);
    }
    ++bins_[static_cast<std::size_t>(bin)];
  }
  void merge(const Histogram& other) {
    count_ += other.count_;
    for (std::size_t i = 0; i < bins_.size(); ++i) bins_[i] += other.bins_[i];
  }
  std::uint64_t count() const { return count_; }
  // Smallest bin edge below which at least the fraction q of the errors lie (0 for an empty histogram).
  double percentile(double q) const {
    const auto wanted = static_cast<std::uint64_t>(std::ceil(q * static_cast<double>(count_)));
    std::uint64_t seen = 0;
    for (int i = 0; i < kBins; ++i) {
      seen += bins_[static_cast<std::size_t>(i)];
      if (seen >= wanted && seen > 0)
        return std::exp2(static_cast<double>(i) / kBinsPerOctave + kLowestOctave);
    }
    return 0.0;
  }

 private:
  std::uint64_t count_ = 0;
  std::array<std::uint64_t, kBins> bins_{};
};

// The largest error seen, with a description of the arguments and values where it occurred.
struct Worst {
  double error = -1.0;
  std::string where;
  void offer(double e, const std::string& description) {
    if (e > error) {
      error = e;
      where = description;
    }
  }
  void merge(const Worst& other) { offer(other.error, other.where); }
};

// Largest error, histogram and their report line together.
struct ErrorStats {
  Histogram histogram;
  Worst worst;
  // describe() builds the description only when the error is a new largest one.
  template <typename Describe>
  void add(double error, Describe describe) {
    histogram.add(error);
    if (error > worst.error) worst.offer(error, describe());
  }
  void merge(const ErrorStats& other) {
    histogram.merge(other.histogram);
    worst.merge(other.worst);
  }
};

// splitmix64: the same stream on every platform (the standard distributions are not specified bit for
// bit), with uniform doubles in [0, 1) from the top 53 bits.
class Uniform {
 public:
  explicit Uniform(std::uint64_t seed) : state_(seed) {}
  std::uint64_t next() {
    std::uint64_t z = (state_ += 0x9E3779B97F4A7C15ull);
    z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ull;
    z = (z ^ (z >> 27)) * 0x94D049BB133111EBull;
    return z ^ (z >> 31);
  }
  double unit() { return static_cast<double>(next() >> 11) * 0x1.0p-53; }
  // Uniform in [low, high) and log-uniform in [low, high) (low > 0), rounded to float.
  float between(double low, double high) { return static_cast<float>(low + (high - low) * unit()); }
  float log_between(double low, double high) {
    return static_cast<float>(low * std::exp(std::log(high / low) * unit()));
  }
  // Integers in [low, high], log-uniform so that small counts are as common as large ones.
  std::uint32_t count_between(std::uint32_t low, std::uint32_t high) {
    const double v =
        std::exp(std::log(static_cast<double>(low)) +
                 (std::log(static_cast<double>(high) + 1.0) - std::log(static_cast<double>(low))) * unit());
    const auto n = static_cast<std::uint32_t>(v);
    return n < low ? low : (n > high ? high : n);
  }

 private:
  std::uint64_t state_;
};

inline std::string format(const char* pattern, double a, double b = 0.0, double c = 0.0, double d = 0.0,
                          double e = 0.0) {
  char buffer[256];
  std::snprintf(buffer, sizeof buffer, pattern, a, b, c, d, e);
  return buffer;
}

}  // namespace error_kit
