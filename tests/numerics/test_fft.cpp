// Tests of the Fourier transforms: exact small cases, agreement with a direct O(N²) transform in
// double, forward-inverse round trips scaled by each routine's factor, untouched array ends, the
// refusal of sizes and directions the index arithmetic cannot handle, and bit-for-bit agreement of
// the library's reordered loops with a plain transcription of the step-by-step loop order.
#include <gtest/gtest.h>

#include <cmath>
#include <complex>
#include <cstdint>
#include <cstring>
#include <random>
#include <utility>
#include <vector>

#include "numerics/numerics.h"
#include "support/bordered.h"
#include "support/fatal_message.h"
#include "support/simd_paths.h"
#include "support/tolerance.h"

namespace {

using namespace numerics;
using cplx = std::complex<double>;
using Floats = std::vector<float>;
using test_support::first_difference;
using test_support::kEps;
using test_support::kSentinel;

// A float FFT's relative RMS error grows like log2 N ulps; the measured errors stay below a third
// of one ulp per stage, while a single wrong element costs about 1/sqrt(N).
constexpr double kPerStage = 1.0;
constexpr double kTwoPiExact = 6.283185307179586;  // the double nearest 2π

double tolerance(std::uint32_t total) { return kPerStage * kEps * std::max(1.0, std::log2(total)); }

// Values in [-1, 1) in slots 1..n, sentinels in slots 0 and n+1.
Floats random_data(std::uint32_t n, unsigned seed) {
  std::mt19937 rng(seed);
  Floats v(n + 2, kSentinel);
  for (std::uint32_t i = 1; i <= n; ++i) v[i] = test_support::unit_random(rng);
  return v;
}

// Direct transform of a complex array with dimensions dims (last fastest), exponent sign `sign`.
// Past 64 points only the outputs at both ends of every size/64-th block are formed (the others are
// NaN and skipped by relative_error): any faulty butterfly reaches all of them.
std::vector<cplx> direct_dft(const std::vector<cplx>& z, const std::vector<std::uint32_t>& dims, int sign) {
  const std::size_t stride = std::max<std::size_t>(1, z.size() / 64);
  std::vector<cplx> out(z.size(), cplx(NAN, NAN));
  for (std::size_t k = 0; k < z.size(); ++k) {
    if (k % stride != 0 && k % stride != stride - 1) continue;
    out[k] = 0.0;
    for (std::size_t j = 0; j < z.size(); ++j) {
      double phase = 0.0;  // sum of (j_d k_d mod n_d) / n_d, peeling indices off the fastest axis
      std::size_t kk = k, jj = j;
      for (std::size_t d = dims.size(); d-- > 0; kk /= dims[d], jj /= dims[d]) {
        phase += static_cast<double>((kk % dims[d]) * (jj % dims[d]) % dims[d]) / dims[d];
      }
      out[k] += z[j] * std::polar(1.0, sign * kTwoPiExact * phase);
    }
  }
  return out;
}

// Interleaved values from slot 1 on (stride 2), or real ones (stride 1), scaled by `scale`.
std::vector<cplx> read(const float* slot1, std::size_t count, int stride = 2, double scale = 1.0) {
  std::vector<cplx> z(count);
  for (std::size_t k = 0; k < count; ++k) {
    z[k] = scale * cplx(slot1[stride * k], stride == 2 ? slot1[2 * k + 1] : 0.0f);
  }
  return z;
}

// RMS of the difference relative to the RMS of the reference.
double relative_error(const std::vector<cplx>& got, const std::vector<cplx>& want) {
  double diff = 0.0, norm = 0.0;
  for (std::size_t k = 0; k < want.size(); ++k) {
    if (std::isnan(want[k].real())) continue;
    diff += std::norm(got[k] - want[k]);
    norm += std::norm(want[k]);
  }
  return std::sqrt(diff / norm);
}

TEST(Fft, SmallInputsGiveExactResults) {
  Floats one{kSentinel, 0.25f, -3.5f, kSentinel};
  fft_complex(one.data(), 1, 1);
  EXPECT_EQ(one, (Floats{kSentinel, 0.25f, -3.5f, kSentinel}));
  Floats impulse(18, 0.0f);
  impulse[1] = 1.0f;
  fft_complex(impulse.data(), 8, 1);
  for (int k = 0; k < 8; ++k) EXPECT_TRUE(impulse[2 * k + 1] == 1.0f && impulse[2 * k + 2] == 0.0f) << k;
  Floats pair{kSentinel, 3.0f, 1.0f, kSentinel};
  fft_real(pair.data(), 2, 1);
  EXPECT_EQ(pair, (Floats{kSentinel, 4.0f, 2.0f, kSentinel}));
  Floats four{kSentinel, 1.0f, 2.0f, 3.0f, 4.0f, kSentinel};  // Z(1) = -2 - 2i fixes the sign
  fft_real(four.data(), 4, 1);
  EXPECT_EQ(four, (Floats{kSentinel, 10.0f, -2.0f, -2.0f, -2.0f, kSentinel}));
  Floats square{kSentinel, 1, 0, 2, 0, 3, 0, 4, 0, kSentinel};
  const std::uint32_t dims[] = {0, 2, 2};
  fft_multidim(square.data(), dims, 2, 1);
  EXPECT_EQ(square, (Floats{kSentinel, 10, 0, -2, 0, -4, 0, 0, 0, kSentinel}));
}

// fft_complex on one-dimensional shapes and fft_multidim on every shape, in both directions.
TEST(FftComplexAndMultidim, MatchDirectTransformAndRoundTrip) {
  const std::vector<std::vector<std::uint32_t>> shapes{{1},       {2},     {8},          {32},
                                                       {512},     {16384}, {4, 8},       {2, 1, 16},
                                                       {8, 4, 2}, {1, 32}, {2, 2, 2, 4}, {16, 16, 64}};
  for (bool multidim : {false, true}) {
    for (const std::vector<std::uint32_t>& shape : shapes) {
      if (!multidim && shape.size() > 1) continue;
      std::uint32_t total = 1;
      std::vector<std::uint32_t> dims{0};
      for (std::uint32_t n : shape) total *= n, dims.push_back(n);
      const int ndims = static_cast<int>(shape.size());
      const auto transform = [&](Floats& v, int dir) {
        multidim ? fft_multidim(v.data(), dims.data(), ndims, dir) : fft_complex(v.data(), total, dir);
      };
      for (int dir : {1, -1}) {
        const Floats input = random_data(2 * total, total + ndims);
        Floats v = input;
        transform(v, dir);
        const std::vector<cplx> want = direct_dft(read(&input[1], total), shape, dir);
        EXPECT_LE(relative_error(read(&v[1], total), want), tolerance(total)) << multidim << " " << total;
        transform(v, -dir);
        EXPECT_LE(relative_error(read(&v[1], total), read(&input[1], total, 2, total)), 2 * tolerance(total));
        EXPECT_TRUE(v.front() == kSentinel && v.back() == kSentinel);
      }
    }
  }
}

TEST(FftReal, PackedSpectrumMatchesDirectTransformAndRoundTrips) {
  for (std::uint32_t count : {2u, 4u, 8u, 16u, 64u, 256u, 1024u, 32768u}) {
    const Floats input = random_data(count, count + 1);
    const std::vector<cplx> full = direct_dft(read(&input[1], count, 1), {count}, 1);
    Floats v = input;
    fft_real(v.data(), count, 1);
    std::vector<cplx> got = read(&v[1], count / 2), want(full.begin(), full.begin() + count / 2 + 1);
    got[0] = v[1];  // Z(0) and Z(N/2) share the first slot pair
    got.push_back(v[2]);
    EXPECT_LE(relative_error(got, want), tolerance(count)) << count;
    Floats by_zero = v;
    fft_real(v.data(), count, -1);
    fft_real(by_zero.data(), count, 0);  // every direction but +1 is the inverse
    EXPECT_EQ(by_zero, v);
    EXPECT_LE(relative_error(read(&v[1], count, 1), read(&input[1], count, 1, count / 2.0)),
              2 * tolerance(count));
    EXPECT_TRUE(v.front() == kSentinel && v.back() == kSentinel);
  }
}

TEST(FftReal3d, HalfSpectrumAndNyquistPlaneMatchDirectTransformAndRoundTrip) {
  const std::uint32_t shapes[][3] = {{1, 1, 2}, {2, 4, 8}, {4, 2, 4}, {8, 4, 16}, {1, 8, 2}, {16, 16, 64}};
  for (const auto& s : shapes) {
    const std::uint32_t n1 = s[0], n2 = s[1], n3 = s[2], total = n1 * n2 * n3;
    float*** t = f3tensor(1, n1, 1, n2, 1, n3);
    float** nyq = matrix(1, n1, 1, 2 * n2);
    const Floats input = random_data(total, total + n1);
    std::copy(&input[1], &input[1] + total, &t[1][1][1]);
    const std::vector<cplx> full = direct_dft(read(&input[1], total, 1), {n1, n2, n3}, 1);
    fft_real_3d(t, nyq, n1, n2, n3, 1);
    std::vector<cplx> got, want;
    for (std::uint32_t i1 = 1; i1 <= n1; ++i1) {
      for (std::uint32_t i2 = 1; i2 <= n2; ++i2) {
        const std::vector<cplx> row = read(&t[i1][i2][1], n3 / 2);
        got.insert(got.end(), row.begin(), row.end());
        got.emplace_back(nyq[i1][2 * std::size_t{i2} - 1], nyq[i1][2 * std::size_t{i2}]);
        const auto start =
            full.begin() + static_cast<std::ptrdiff_t>(((i1 - 1) * n2 + i2 - 1) * std::size_t{n3});
        want.insert(want.end(), start, start + n3 / 2 + 1);
      }
    }
    EXPECT_LE(relative_error(got, want), tolerance(total)) << n1 << "x" << n2 << "x" << n3;
    fft_real_3d(t, nyq, n1, n2, n3, -1);
    const std::vector<cplx> back = read(&t[1][1][1], total, 1),
                            scaled = read(&input[1], total, 1, total / 2.0);
    EXPECT_LE(relative_error(back, scaled), 2 * tolerance(total)) << n1 << "x" << n2 << "x" << n3;
    release_matrix(nyq, 1, n1, 1, 2 * n2);
    release_f3tensor(t, 1, n1, 1, n2, 1, n3);
  }
}

// Runs fft_real_3d on a fresh 2×2×4 tensor inside the death-test child; the exit keeps its blocks.
void real_3d_in_child(std::uint32_t n2, std::uint32_t n3, int direction, bool detach_last_row) {
  test_support::ignore_leaks_in_this_process();
  float*** t = f3tensor(1, 2, 1, 2, 1, 4);
  float** nyq = matrix(1, 2, 1, 4);
  static float detached[5];  // a one-based row of 4 elsewhere in memory
  if (detach_last_row) t[2][2] = detached;
  fft_real_3d(t, nyq, 2, n2, n3, direction);
}

TEST(FftDeathTest, SizesAndDirectionsOutsideTheIndexArithmeticAreRefused) {
  Floats v(66, 0.0f);
  EXPECT_FATAL(fft_complex(v.data(), 0, 1), "fft_complex: count is not a power of two");
  EXPECT_FATAL(fft_complex(v.data(), 12, 1), "fft_complex: count is not a power of two");
  EXPECT_FATAL(fft_complex(v.data(), 16, 2), "fft_complex: direction is neither +1 nor -1");
  EXPECT_FATAL(fft_real(v.data(), 1, 1), "fft_real: count is not a power of two of at least 2");
  EXPECT_FATAL(fft_real(v.data(), 24, -1), "fft_real: count is not a power of two of at least 2");
  const std::uint32_t dims[] = {0, 4, 3}, zero[] = {0, 0, 4}, good[] = {0, 4, 4};
  EXPECT_FATAL(fft_multidim(v.data(), dims, 2, 1), "fft_multidim: dimension is not a power of two");
  EXPECT_FATAL(fft_multidim(v.data(), zero, 2, 1), "fft_multidim: dimension is not a power of two");
  EXPECT_FATAL(fft_multidim(v.data(), good, 2, 0), "fft_multidim: direction is neither +1 nor -1");
  const char* sizes = "fft_real_3d: n1, n2, n3 are not powers of two with n3 at least 2";
  EXPECT_FATAL(real_3d_in_child(2, 1, 1, false), sizes);
  EXPECT_FATAL(real_3d_in_child(3, 4, 1, false), sizes);
  EXPECT_FATAL(real_3d_in_child(2, 4, -2, false), "fft_real_3d: direction is neither +1 nor -1");
  // The layout check exits silently: rows of 4 described as rows of 2, then a detached last row.
  EXPECT_EXIT(real_3d_in_child(2, 2, 1, false), ::testing::ExitedWithCode(1), "^$");
  EXPECT_EXIT(real_3d_in_child(2, 4, 1, true), ::testing::ExitedWithCode(1), "^$");
}

// The transforms in the plain loop order, one step after another, with every float and double
// step as described: the library's reordered loops must give exactly these bits.
namespace plain {

constexpr double kTwoPi = 6.28318530717959;
constexpr double kPi = 3.141592653589793;

struct Recurrence {
  double alpha, beta, wr = 1.0, wi = 0.0;
  explicit Recurrence(double theta) : alpha(-2.0 * std::sin(0.5 * theta) * std::sin(0.5 * theta)) {
    beta = std::sin(theta);
  }
  void advance() {
    const double old = wr;
    wr = old * alpha - wi * beta + old;
    wi = wi * alpha + old * beta + wi;
  }
};

void complex(float* data, std::uint32_t count, int direction) {
  const std::uint32_t n = 2 * count;
  std::uint32_t j = 1;
  for (std::uint32_t i = 1; i < n; i += 2) {
    if (j > i) std::swap(data[j], data[i]), std::swap(data[j + 1], data[i + 1]);
    std::uint32_t m = n / 2;
    while (m >= 2 && j > m) j -= m, m /= 2;
    j += m;
  }
  for (std::uint32_t span = 2; n > span; span *= 2) {
    Recurrence w(static_cast<double>(direction) * (kTwoPi / static_cast<double>(span)));
    for (std::uint32_t m = 1; m < span; m += 2, w.advance()) {
      for (std::uint32_t i = m; i <= n; i += 2 * span) {
        const std::uint32_t k = i + span;
        const double re = static_cast<double>(data[k]), im = static_cast<double>(data[k + 1]);
        const float tr = static_cast<float>(w.wr * re - w.wi * im);
        const float ti = static_cast<float>(w.wr * im + w.wi * re);
        data[k] = data[i] - tr, data[k + 1] = data[i + 1] - ti, data[i] += tr, data[i + 1] += ti;
      }
    }
  }
}

void real(float* data, std::uint32_t count, int direction) {
  const float g = 0.5f;
  double theta = kPi / static_cast<double>(count / 2);  // NOLINT(bugprone-integer-division): exact, as stated
  float h = 0.5f;
  if (direction == 1) {
    h = -0.5f;
    complex(data, count / 2, 1);
  } else {
    theta = -theta;
  }
  Recurrence w(theta);
  w.wr = 1.0 + w.alpha, w.wi = w.beta;
  for (std::uint32_t i = 2; i <= count / 4; ++i, w.advance()) {
    const std::uint32_t i1 = 2 * i - 1, i2 = i1 + 1, i3 = count + 3 - i2, i4 = i3 + 1;
    const double sr = g * (data[i1] + data[i3]), si = g * (data[i2] - data[i4]);
    const double dr = -h * (data[i2] + data[i4]), di = h * (data[i1] - data[i3]);
    data[i1] = static_cast<float>(sr + w.wr * dr - w.wi * di);
    data[i2] = static_cast<float>(si + w.wr * di + w.wi * dr);
    data[i3] = static_cast<float>(sr - w.wr * dr + w.wi * di);
    data[i4] = static_cast<float>(-si + w.wr * di + w.wi * dr);
  }
  const float x1 = data[1];
  if (direction == 1) {
    data[1] = x1 + data[2], data[2] = x1 - data[2];
  } else {
    data[1] = g * (x1 + data[2]), data[2] = g * (x1 - data[2]);
    complex(data, count / 2, -1);
  }
}

void multidim(float* data, const std::uint32_t* dims, int ndims, int direction) {
  std::uint32_t total = 1, prev = 1;
  for (int d = 1; d <= ndims; ++d) total *= dims[d];
  for (int d = ndims; d >= 1; --d) {
    const std::uint32_t n = dims[d], rem = total / (n * prev), p1 = 2 * prev, p2 = p1 * n, p3 = p2 * rem;
    std::uint32_t r = 1;
    for (std::uint32_t i2 = 1; i2 <= p2; i2 += p1) {
      if (i2 < r) {
        for (std::uint32_t i1 = i2; i1 <= i2 + p1 - 2; i1 += 2) {
          for (std::uint32_t i3 = i1; i3 <= p3; i3 += p2) {
            const std::uint32_t i3r = r + i3 - i2;
            std::swap(data[i3], data[i3r]), std::swap(data[i3 + 1], data[i3r + 1]);
          }
        }
      }
      std::uint32_t bit = p2 / 2;
      while (bit >= p1 && r > bit) r -= bit, bit /= 2;
      r += bit;
    }
    for (std::uint32_t f1 = p1; f1 < p2; f1 *= 2) {
      const std::uint32_t f2 = 2 * f1;
      // NOLINTNEXTLINE(bugprone-integer-division): the stated integer quotient, exact for powers of two
      Recurrence w((static_cast<double>(direction) * kTwoPi) / static_cast<double>(f2 / p1));
      for (std::uint32_t i3 = 1; i3 <= f1; i3 += p1, w.advance()) {
        const float wr = static_cast<float>(w.wr), wi = static_cast<float>(w.wi);
        for (std::uint32_t i1 = i3; i1 <= i3 + p1 - 2; i1 += 2) {
          for (std::uint32_t k1 = i1; k1 <= p3; k1 += f2) {
            const std::uint32_t k2 = k1 + f1;
            const float tr = wr * data[k2] - wi * data[k2 + 1], ti = wr * data[k2 + 1] + wi * data[k2];
            data[k2] = data[k1] - tr, data[k2 + 1] = data[k1 + 1] - ti, data[k1] += tr, data[k1 + 1] += ti;
          }
        }
      }
    }
    prev *= n;
  }
}

void real_3d(float*** data, float** nyq, std::uint32_t n1, std::uint32_t n2, std::uint32_t n3,
             int direction) {
  const float g = 0.5f, h = static_cast<float>(-0.5 * static_cast<double>(direction));
  const double theta = static_cast<double>(direction) * (kTwoPi / static_cast<double>(n3));
  const std::uint32_t dims[] = {0, n1, n2, n3 / 2};
  if (direction == 1) {
    multidim(&data[1][1][1] - 1, dims, 3, 1);
    for (std::uint32_t i1 = 1; i1 <= n1; ++i1) {
      for (std::uint32_t i2 = 1; i2 <= n2; ++i2)
        nyq[i1][2 * std::size_t{i2} - 1] = data[i1][i2][1], nyq[i1][2 * std::size_t{i2}] = data[i1][i2][2];
    }
  }
  for (std::uint32_t i1 = 1; i1 <= n1; ++i1) {
    const std::uint32_t j1 = (i1 == 1) ? 1 : n1 - i1 + 2;
    Recurrence w(theta);
    for (std::uint32_t i3 = 1; i3 <= n3 / 4 + 1; ++i3, w.advance()) {
      const std::uint32_t ii3 = 2 * i3 - 1, j3 = n3 + 3 - 2 * i3;
      for (std::uint32_t i2 = 1; i2 <= n2; ++i2) {
        float* x = &data[i1][i2][ii3];
        if (i3 == 1) {
          float* y = &nyq[j1][(i2 == 1) ? 1 : 2 * (n2 - i2) + 3];
          const float sr = g * (x[0] + y[0]), si = g * (x[1] - y[1]);
          const float di = h * (x[0] - y[0]), dr = -h * (x[1] + y[1]);
          x[0] = sr + dr, x[1] = si + di, y[0] = sr - dr, y[1] = di - si;
          continue;
        }
        float* y = &data[j1][(i2 == 1) ? 1 : n2 - i2 + 2][j3];
        const double sr = g * (x[0] + y[0]), si = g * (x[1] - y[1]);
        const double di = h * (x[0] - y[0]), dr = -h * (x[1] + y[1]);
        x[0] = static_cast<float>(sr + w.wr * dr - w.wi * di);
        x[1] = static_cast<float>(si + w.wr * di + w.wi * dr);
        y[0] = static_cast<float>(sr - w.wr * dr + w.wi * di);
        y[1] = static_cast<float>(-si + w.wr * di + w.wi * dr);
      }
    }
  }
  if (direction == -1) multidim(&data[1][1][1] - 1, dims, 3, -1);
}

}  // namespace plain

// Floats of widely spread magnitudes (2^-24 .. 2^24, both signs, a few exact zeros) in slots 1..n,
// so that roundings of every size occur; sentinels in slots 0 and n+1.
Floats spread_data(std::uint32_t n, unsigned seed) {
  std::mt19937 rng(seed);
  Floats v(n + 2, kSentinel);
  for (std::uint32_t i = 1; i <= n; ++i) {
    const auto bits = static_cast<std::uint32_t>(rng());
    const float mantissa = 1.0f + static_cast<float>(bits >> 9) / 8388608.0f;
    v[i] = (bits % 61 == 0)
               ? 0.0f
               : std::ldexp((bits & 1u) ? -mantissa : mantissa, static_cast<int>(rng() % 49) - 24);
  }
  return v;
}

// Each on every lane path this machine supports (portable, SSE2, AVX2).
TEST(FftPlainOrder, ComplexAndRealAgreeBitForBitAtEverySize) {
  const int paths = test_support::on_every_simd_path([&] {
    for (std::uint32_t lg = 0; lg <= 20; ++lg) {
      const std::uint32_t count = 1u << lg;
      for (int direction : {1, -1}) {
        Floats fast = spread_data(2 * count, 10 * lg + 3 + direction), slow = fast;
        fft_complex(fast.data(), count, direction);
        plain::complex(slow.data(), count, direction);
        EXPECT_EQ(first_difference(fast.data(), slow.data(), fast.size()), -1)
            << "complex 2^" << lg << " " << direction;
      }
      if (lg == 0) continue;
      for (int direction : {1, -1, 0}) {
        Floats fast = spread_data(count, 10 * lg + 7 + direction), slow = fast;
        fft_real(fast.data(), count, direction);
        plain::real(slow.data(), count, direction);
        EXPECT_EQ(first_difference(fast.data(), slow.data(), fast.size()), -1)
            << "real 2^" << lg << " " << direction;
      }
    }
  });
  EXPECT_GE(paths, 2);
}

// Shapes that reach every loop arrangement: short and long runs of the fastest axis, narrow and
// wide rows of the slower ones, runs smaller and larger than a cache group (whole rows or column
// slices of them), and axes of size 1.
TEST(FftPlainOrder, MultidimAgreesBitForBit) {
  const int paths = test_support::on_every_simd_path([&] {
    const std::vector<std::vector<std::uint32_t>> shapes{
        {1},          {2},        {64},         {4096},       {2, 2},     {1, 8},
        {8, 1},       {4, 512},   {512, 4},     {2, 2048},    {64, 1024}, {1024, 2, 16},
        {16, 16, 64}, {1, 32, 1}, {4, 2, 8, 2}, {2, 8192, 2}, {256, 256}, {32, 2, 2, 32},
        {128, 512},   {1024, 64}, {8192, 4},    {64, 2, 512}};
    for (const std::vector<std::uint32_t>& shape : shapes) {
      std::vector<std::uint32_t> dims{0};
      std::uint32_t total = 1;
      for (std::uint32_t n : shape) dims.push_back(n), total *= n;
      const int ndims = static_cast<int>(shape.size());
      for (int direction : {1, -1}) {
        Floats fast = spread_data(2 * total, total + 31 * ndims + direction), slow = fast;
        fft_multidim(fast.data(), dims.data(), ndims, direction);
        plain::multidim(slow.data(), dims.data(), ndims, direction);
        EXPECT_EQ(first_difference(fast.data(), slow.data(), fast.size()), -1)
            << total << " " << ndims << " " << direction;
      }
    }
  });
  EXPECT_GE(paths, 2);
}

TEST(FftPlainOrder, Real3dAgreesBitForBitOnTensorAndNyquistPlane) {
  const int paths = test_support::on_every_simd_path([&] {
    const std::uint32_t shapes[][3] = {{1, 1, 2}, {1, 1, 4},   {2, 2, 2},   {4, 2, 8},    {2, 4, 16},
                                       {8, 8, 8}, {1, 16, 64}, {16, 1, 32}, {2, 2, 1024}, {32, 32, 32}};
    for (const auto& s : shapes) {
      const std::uint32_t n1 = s[0], n2 = s[1], n3 = s[2], total = n1 * n2 * n3;
      for (int direction : {1, -1}) {
        const Floats input = spread_data(total + 2 * n1 * n2, total + direction);
        float*** t[2] = {f3tensor(1, n1, 1, n2, 1, n3), f3tensor(1, n1, 1, n2, 1, n3)};
        float** nyq[2] = {matrix(1, n1, 1, 2 * n2), matrix(1, n1, 1, 2 * n2)};
        for (int k = 0; k < 2; ++k) {
          std::copy(&input[1], &input[1] + total, &t[k][1][1][1]);
          std::copy(&input[1] + total, &input[1] + total + 2 * std::size_t{n1} * n2, &nyq[k][1][1]);
        }
        fft_real_3d(t[0], nyq[0], n1, n2, n3, direction);
        plain::real_3d(t[1], nyq[1], n1, n2, n3, direction);
        EXPECT_EQ(first_difference(&t[0][1][1][1], &t[1][1][1][1], total), -1)
            << n1 << "x" << n2 << "x" << n3;
        EXPECT_EQ(first_difference(&nyq[0][1][1], &nyq[1][1][1], 2 * std::size_t{n1} * n2), -1)
            << n1 << "x" << n2 << "x" << n3;
        for (int k = 0; k < 2; ++k) {
          release_matrix(nyq[k], 1, n1, 1, 2 * n2);
          release_f3tensor(t[k], 1, n1, 1, n2, 1, n3);
        }
      }
    }
  });
  EXPECT_GE(paths, 2);
}

}  // namespace
