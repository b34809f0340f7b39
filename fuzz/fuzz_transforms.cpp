// libFuzzer target of the Fourier transforms: a transform followed by its inverse must return the
// input times the routine's factor (count, count/2, n1·…·nD, n1·n2·n3/2) within a tolerance that
// grows with log2 of the size, relative to the data's magnitude; slot 0 must stay untouched.
//
// Keeping the input in range: the routines end the process on sizes that are not powers of two and
// on bad directions, so the target never builds such calls. Byte 0 picks the routine (bits 0-1) and
// the order of the pair (bit 2); byte 1 a power-of-two scale 2^-60 … 2^60; byte 2 the base-2
// logarithm of the length (or the number of dimensions), bytes 3-6 those of the dimensions (each
// reduced modulo a small range, and cut so that no call exceeds 2^13 points); byte 7 the "other"
// direction that fft_real takes for its inverse (any value but +1).
// The rest are data, two bytes a value: a 16-bit integer times the scale, so every value is a
// finite float of bounded magnitude (no NaN, no infinity, no overflow in the sums) and the
// round-trip identity is meaningful; short inputs repeat their data cyclically, empty ones give
// zeros. A violation prints what failed and aborts.
#include <algorithm>
#include <cmath>
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <vector>

#include "numerics/numerics.h"
#include "support/bordered.h"
#include "support/tolerance.h"

namespace {

using test_support::kEps;
using test_support::kSentinel;

constexpr std::size_t kHeader = 8;
// Largest base-2 logarithm of the points of one call, which keeps each run well under a millisecond.
constexpr int kMaxLog = 13;
// Allowed relative 2-norm error of a round trip per stage: float rounding gives about a third of
// an epsilon per stage on random data; a lost or misplaced value costs about 1/sqrt(N), far more.
constexpr double kPerStage = 8.0;

struct Input {
  const std::uint8_t* data;
  std::size_t size;
  std::uint8_t at(std::size_t i) const { return i < size ? data[i] : 0; }
};

// Value k of the data part, cyclically; zero when there are no data bytes.
float value(const Input& in, std::size_t k, int scale) {
  const std::size_t bytes = (in.size > kHeader) ? in.size - kHeader : 0;
  if (bytes < 2) return 0.0f;
  const std::size_t pos = kHeader + (2 * k) % (bytes - bytes % 2);
  const auto v =
      static_cast<std::int16_t>(static_cast<std::uint16_t>(in.data[pos] | (in.data[pos + 1] << 8)));
  return std::ldexp(static_cast<float>(v), scale - 15);
}

[[noreturn]] void fail(const char* what, double error, double limit, std::size_t n) {
  std::fprintf(stderr, "%s: relative round-trip error %.3g above %.3g (%zu values)\n", what, error, limit, n);
  std::abort();
}

// Checks got[0..n-1] against factor·want[0..n-1] in the relative 2-norm, for a transform of
// 2^log2_points points.
void check(const char* what, const float* got, const float* want, std::size_t n, double factor,
           int log2_points) {
  double diff = 0.0, norm = 0.0;
  for (std::size_t i = 0; i < n; ++i) {
    const double w = factor * static_cast<double>(want[i]);
    const double d = static_cast<double>(got[i]) - w;
    diff += d * d;
    norm += w * w;
  }
  const double limit = kPerStage * kEps * (log2_points + 1);
  if (norm == 0.0) {
    if (diff != 0.0) fail(what, INFINITY, 0.0, n);
    return;
  }
  const double error = std::sqrt(diff / norm);
  if (!(error <= limit)) fail(what, error, limit, n);
}

void round_trip_complex(const Input& in, int scale, bool inverse_first) {
  const int lg = in.at(2) % (kMaxLog + 1);
  const std::uint32_t count = 1u << lg;
  std::vector<float> v(2 * std::size_t{count} + 1), original(2 * std::size_t{count});
  v[0] = kSentinel;
  for (std::uint32_t k = 0; k < 2 * count; ++k) original[k] = v[k + 1] = value(in, k, scale);
  const int first = inverse_first ? -1 : 1;
  numerics::fft_complex(v.data(), count, first);
  numerics::fft_complex(v.data(), count, -first);
  if (v[0] != kSentinel) fail("fft_complex slot 0", 0, 0, count);
  check("fft_complex", v.data() + 1, original.data(), 2 * std::size_t{count}, count, lg);
}

void round_trip_real(const Input& in, int scale, bool inverse_first) {
  const int lg = 1 + in.at(2) % kMaxLog;
  const std::uint32_t count = 1u << lg;
  int other = in.at(7) < 128 ? in.at(7) : in.at(7) - 256;  // the byte as a signed value
  if (other == 1) other = -1;
  std::vector<float> v(count + 1), original(count);
  v[0] = kSentinel;
  for (std::uint32_t k = 0; k < count; ++k) original[k] = v[k + 1] = value(in, k, scale);
  numerics::fft_real(v.data(), count, inverse_first ? other : 1);
  numerics::fft_real(v.data(), count, inverse_first ? 1 : other);
  if (v[0] != kSentinel) fail("fft_real slot 0", 0, 0, count);
  check("fft_real", v.data() + 1, original.data(), count, count / 2.0, lg - 1);
}

void round_trip_multidim(const Input& in, int scale, bool inverse_first) {
  const int ndims = 1 + in.at(2) % 4;
  std::uint32_t dims[5] = {0, 1, 1, 1, 1};
  int left = kMaxLog, total_lg = 0;
  for (int d = 1; d <= ndims; ++d) {
    const int lg = std::min<int>(in.at(2 + static_cast<std::size_t>(d)) % 8, left);
    dims[d] = 1u << lg;
    left -= lg;
    total_lg += lg;
  }
  const std::uint32_t total = 1u << total_lg;
  std::vector<float> v(2 * std::size_t{total} + 1), original(2 * std::size_t{total});
  v[0] = kSentinel;
  for (std::uint32_t k = 0; k < 2 * total; ++k) original[k] = v[k + 1] = value(in, k, scale);
  const int first = inverse_first ? -1 : 1;
  numerics::fft_multidim(v.data(), dims, ndims, first);
  numerics::fft_multidim(v.data(), dims, ndims, -first);
  if (v[0] != kSentinel) fail("fft_multidim slot 0", 0, 0, total);
  check("fft_multidim", v.data() + 1, original.data(), 2 * std::size_t{total}, total, total_lg);
}

// The 3-d real transform reads no nyquist plane going forward, so only forward-then-inverse is an
// identity on arbitrary data.
void round_trip_real_3d(const Input& in, int scale) {
  const int lg1 = in.at(3) % 5;
  const int lg2 = in.at(4) % 5;
  const int lg3 = 1 + in.at(5) % (kMaxLog - lg1 - lg2);
  const std::uint32_t n1 = 1u << lg1, n2 = 1u << lg2, n3 = 1u << lg3, total = n1 * n2 * n3;
  const int i1 = static_cast<int>(n1), i2 = static_cast<int>(n2), i3 = static_cast<int>(n3);
  float*** t = numerics::f3tensor(1, i1, 1, i2, 1, i3);
  float** nyquist = numerics::matrix(1, i1, 1, 2 * i2);
  std::vector<float> original(total);
  for (std::uint32_t k = 0; k < total; ++k) original[k] = (&t[1][1][1])[k] = value(in, k, scale);
  numerics::fft_real_3d(t, nyquist, n1, n2, n3, 1);
  numerics::fft_real_3d(t, nyquist, n1, n2, n3, -1);
  check("fft_real_3d", &t[1][1][1], original.data(), total, total / 2.0, lg1 + lg2 + lg3 - 1);
  numerics::release_matrix(nyquist, 1, i1, 1, 2 * i2);
  numerics::release_f3tensor(t, 1, i1, 1, i2, 1, i3);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const Input in{data, size};
  const std::uint8_t selector = in.at(0);
  const int scale = static_cast<int>(in.at(1) % 121) - 60;
  const bool inverse_first = (selector & 4u) != 0;
  switch (selector & 3u) {
    case 0:
      round_trip_complex(in, scale, inverse_first);
      break;
    case 1:
      round_trip_real(in, scale, inverse_first);
      break;
    case 2:
      round_trip_multidim(in, scale, inverse_first);
      break;
    default:
      round_trip_real_3d(in, scale);
      break;
  }
  return 0;
}
