// Tests of the Fourier transforms: exact small cases, agreement with a direct O(N²) transform in
// double, forward-inverse round trips scaled by each routine's factor, untouched array ends, the
// refusal of sizes and directions the index arithmetic cannot handle, and bit-for-bit agreement of
// the library's reordered loops with their plain step order, numerics::reference.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <complex>
#include <cstdint>
#include <functional>
#include <random>
#include <string>
#include <vector>

#include "numerics/numerics.h"
#include "numerics/reference/reference.h"
#include "support/bordered.h"
#include "support/fatal_message.h"
#include "support/simd_paths.h"
#include "support/tolerance.h"

namespace {

using namespace numerics;
using cplx = std::complex<double>;
using Floats = std::vector<float>;
using test_support::expect_fast_matches_reference;
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

// A transform of a fresh copy of input, returning the whole copy (the sentinels at both ends too).
template <typename Transform>
std::function<Floats()> on_copy(const Floats& input, Transform transform) {
  return [=] {
    Floats v = input;
    transform(v.data());
    return v;
  };
}

// The fast transforms against numerics::reference, bit for bit on every lane path this machine
// supports (portable, SSE2, AVX2). The sizes reach every stage group: early blocks only, late stages,
// the final stages together, and every bit-reversal tile shape.
TEST(FftAgainstReference, ComplexAndRealAtEverySize) {
  for (std::uint32_t lg = 0; lg <= 20; ++lg) {
    const std::uint32_t count = 1u << lg;
    for (int direction : {1, -1}) {
      SCOPED_TRACE("complex 2^" + std::to_string(lg) + " " + std::to_string(direction));
      const Floats input = spread_data(2 * count, 10 * lg + 3 + direction);
      expect_fast_matches_reference(
          on_copy(input, [&](float* v) { fft_complex(v, count, direction); }),
          on_copy(input, [&](float* v) { reference::fft_complex(v, count, direction); }));
    }
    if (lg == 0) continue;
    for (int direction : {1, -1, 0}) {
      SCOPED_TRACE("real 2^" + std::to_string(lg) + " " + std::to_string(direction));
      const Floats input = spread_data(count, 10 * lg + 7 + direction);
      expect_fast_matches_reference(
          on_copy(input, [&](float* v) { fft_real(v, count, direction); }),
          on_copy(input, [&](float* v) { reference::fft_real(v, count, direction); }));
    }
  }
}

// Shapes that reach every loop arrangement: short and long runs of the fastest axis, narrow and
// wide rows of the slower ones, runs smaller and larger than a cache group (whole rows or column
// slices of them), and axes of size 1.
TEST(FftAgainstReference, MultidimOnEveryLoopArrangement) {
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
      SCOPED_TRACE(std::to_string(total) + " points in " + std::to_string(ndims) + " axes, " +
                   std::to_string(direction));
      const Floats input = spread_data(2 * total, total + 31 * ndims + direction);
      expect_fast_matches_reference(
          on_copy(input, [&](float* v) { fft_multidim(v, dims.data(), ndims, direction); }),
          on_copy(input, [&](float* v) { reference::fft_multidim(v, dims.data(), ndims, direction); }));
    }
  }
}

// fft_real_3d's output is the tensor followed by the nyquist plane.
template <typename Transform>
std::function<Floats()> on_tensor(const Floats& input, std::uint32_t n1, std::uint32_t n2, std::uint32_t n3,
                                  Transform transform) {
  return [=] {
    const std::size_t total = std::size_t{n1} * n2 * n3, plane = 2 * std::size_t{n1} * n2;
    float*** t = f3tensor(1, n1, 1, n2, 1, n3);
    float** nyq = matrix(1, n1, 1, 2 * n2);
    std::copy(&input[1], &input[1] + total, &t[1][1][1]);
    std::copy(&input[1] + total, &input[1] + total + plane, &nyq[1][1]);
    transform(t, nyq);
    Floats out(&t[1][1][1], &t[1][1][1] + total);
    out.insert(out.end(), &nyq[1][1], &nyq[1][1] + plane);
    release_matrix(nyq, 1, n1, 1, 2 * n2);
    release_f3tensor(t, 1, n1, 1, n2, 1, n3);
    return out;
  };
}

TEST(FftAgainstReference, Real3dTensorAndNyquistPlane) {
  const std::uint32_t shapes[][3] = {{1, 1, 2}, {1, 1, 4},   {2, 2, 2},   {4, 2, 8},    {2, 4, 16},
                                     {8, 8, 8}, {1, 16, 64}, {16, 1, 32}, {2, 2, 1024}, {32, 32, 32}};
  for (const auto& s : shapes) {
    const std::uint32_t n1 = s[0], n2 = s[1], n3 = s[2], total = n1 * n2 * n3;
    for (int direction : {1, -1}) {
      SCOPED_TRACE(std::to_string(n1) + "x" + std::to_string(n2) + "x" + std::to_string(n3) + " " +
                   std::to_string(direction));
      const Floats input = spread_data(total + 2 * n1 * n2, total + direction);
      expect_fast_matches_reference(
          on_tensor(input, n1, n2, n3,
                    [&](float*** t, float** nyq) { fft_real_3d(t, nyq, n1, n2, n3, direction); }),
          on_tensor(input, n1, n2, n3,
                    [&](float*** t, float** nyq) { reference::fft_real_3d(t, nyq, n1, n2, n3, direction); }));
    }
  }
}

}  // namespace
