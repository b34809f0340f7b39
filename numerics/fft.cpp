// In-place, unnormalised radix-2 fast Fourier transforms over one-based float arrays: complex,
// packed real, N-dimensional complex and three-dimensional real with a separate nyquist plane.
// Twiddle factors come from a double-precision trigonometric recurrence, so sin runs twice a stage.
#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <utility>

#include "numerics/numerics.h"

namespace numerics {
namespace {

// 2π written to 15 significant digits, which lands four double ulps above the double nearest 2π.
constexpr double kTwoPi = 6.28318530717959;
// The double nearest π, used by the real-sequence transform.
constexpr double kPi = 3.141592653589793;
// Floats per cache block (32 KiB, a level-1 data cache). The transforms finish the work that stays
// inside one block before moving on; each butterfly still meets the same operands and twiddle in
// the same order, so only the speed changes, not a single bit of the result.
constexpr std::uint32_t kCacheBlock = 8192;

bool is_power_of_two(std::uint32_t n) { return n != 0 && (n & (n - 1)) == 0; }

bool is_direction(int direction) { return direction == 1 || direction == -1; }

// Trigonometric recurrence for advancing a unit vector by a fixed angle theta: alpha = -2 sin²(θ/2)
// and beta = sin θ, which loses far less accuracy over many steps than cos θ - 1 would.
struct Twiddle {
  double alpha;
  double beta;
  double wr;
  double wi;
};

Twiddle make_twiddle(double theta, double wr, double wi) {
  const double s = std::sin(0.5 * theta);
  return Twiddle{-2.0 * s * s, std::sin(theta), wr, wi};
}

void advance(Twiddle& w) {
  const double old_wr = w.wr;
  w.wr = old_wr * w.alpha - w.wi * w.beta + old_wr;
  w.wi = w.wi * w.alpha + old_wr * w.beta + w.wi;
}

// Bit-reversal reordering of the complex values held in data[1..n] (n reals).
void bit_reverse(float* data, std::uint32_t n) {
  std::uint32_t j = 1;
  for (std::uint32_t i = 1; i < n; i += 2) {
    if (j > i) {
      std::swap(data[j], data[i]);
      std::swap(data[j + 1], data[i + 1]);
    }
    std::uint32_t m = n >> 1;
    while (m >= 2 && j > m) {
      j -= m;
      m >>= 1;
    }
    j += m;
  }
}

// One stage of Danielson-Lanczos butterflies over data[1..n], pairs span floats apart. The twiddle
// products are formed in double from the float data and rounded to float once; the sums and
// differences stay in float.
void butterfly_stage(float* data, std::uint32_t n, std::uint32_t span, int direction) {
  const std::uint32_t step = span << 1;
  const double theta = static_cast<double>(direction) * (kTwoPi / static_cast<double>(span));
  Twiddle w = make_twiddle(theta, 1.0, 0.0);
  for (std::uint32_t m = 1; m < span; m += 2) {
    for (std::uint32_t i = m; i <= n; i += step) {
      const std::uint32_t j = i + span;
      const double re = static_cast<double>(data[j]);
      const double im = static_cast<double>(data[j + 1]);
      const float tr = static_cast<float>(w.wr * re - w.wi * im);
      const float ti = static_cast<float>(w.wr * im + w.wi * re);
      data[j] = data[i] - tr;
      data[j + 1] = data[i + 1] - ti;
      data[i] += tr;
      data[i + 1] += ti;
    }
    advance(w);
  }
}

// The early stages, whose pairs lie inside aligned cache blocks, run block by block (the twiddle
// recurrence restarts in each block and yields the same values); the later ones over the whole array.
void butterflies(float* data, std::uint32_t n, int direction) {
  const std::uint32_t block = (n < kCacheBlock) ? n : kCacheBlock;
  for (std::uint32_t base = 0; base < n; base += block) {
    for (std::uint32_t span = 2; block > span; span <<= 1)
      butterfly_stage(data + base, block, span, direction);
  }
  for (std::uint32_t span = block; n > span; span <<= 1) butterfly_stage(data, n, span, direction);
}

void transform_complex(float* data, std::uint32_t count, int direction) {
  const std::uint32_t n = count << 1;
  bit_reverse(data, n);
  butterflies(data, n, direction);
}

// Splits the half-length complex transform of a real sequence into its even and odd parts and
// recombines them (or the reverse); each output is formed in double and rounded to float once.
void recombine_real(float* data, std::uint32_t count, float h, double theta) {
  const float g = 0.5f;
  Twiddle w = make_twiddle(theta, 1.0, 0.0);
  w.wr = 1.0 + w.alpha;
  w.wi = w.beta;
  for (std::uint32_t i = 2; i <= (count >> 2); ++i) {
    const std::uint32_t i1 = i + i - 1;
    const std::uint32_t i2 = i1 + 1;
    const std::uint32_t i3 = count + 3 - i2;
    const std::uint32_t i4 = i3 + 1;
    const double sr = static_cast<double>(g * (data[i1] + data[i3]));
    const double si = static_cast<double>(g * (data[i2] - data[i4]));
    const double dr = static_cast<double>(-h * (data[i2] + data[i4]));
    const double di = static_cast<double>(h * (data[i1] - data[i3]));
    data[i1] = static_cast<float>(sr + w.wr * dr - w.wi * di);
    data[i2] = static_cast<float>(si + w.wr * di + w.wi * dr);
    data[i3] = static_cast<float>(sr - w.wr * dr + w.wi * di);
    data[i4] = static_cast<float>(-si + w.wr * di + w.wi * dr);
    advance(w);
  }
}

// The index steps of one dimension of an N-dimensional array, counted in floats.
struct Axis {
  std::uint32_t p1;  // distance between neighbours along the axis
  std::uint32_t p2;  // length of one run of the axis
  std::uint32_t p3;  // size of the whole array
};

void bit_reverse_axis(float* data, const Axis& a) {
  std::uint32_t r = 1;
  for (std::uint32_t i2 = 1; i2 <= a.p2; i2 += a.p1) {
    if (i2 < r) {
      for (std::uint32_t i1 = i2; i1 <= i2 + a.p1 - 2; i1 += 2) {
        for (std::uint32_t i3 = i1; i3 <= a.p3; i3 += a.p2) {
          const std::uint32_t i3r = r + i3 - i2;
          std::swap(data[i3], data[i3r]);
          std::swap(data[i3 + 1], data[i3r + 1]);
        }
      }
    }
    std::uint32_t bit = a.p2 >> 1;
    while (bit >= a.p1 && r > bit) {
      r -= bit;
      bit >>= 1;
    }
    r += bit;
  }
}

// Butterflies along one axis, over the columns [column, column + width) of every run of a.p2
// floats in data[1..a.p3]. The twiddle is rounded to float and the whole butterfly is float
// arithmetic, while the recurrence itself runs on in double.
void butterflies_axis(float* data, const Axis& a, int direction, std::uint32_t column, std::uint32_t width) {
  std::uint32_t f1 = a.p1;
  while (f1 < a.p2) {
    const std::uint32_t f2 = f1 << 1;
    const double theta = (static_cast<double>(direction) * kTwoPi) / static_cast<double>(f2 / a.p1);
    Twiddle w = make_twiddle(theta, 1.0, 0.0);
    for (std::uint32_t i3 = 1; i3 <= f1; i3 += a.p1) {
      const float wr = static_cast<float>(w.wr);
      const float wi = static_cast<float>(w.wi);
      for (std::uint32_t i1 = i3 + column; i1 <= i3 + column + width - 2; i1 += 2) {
        for (std::uint32_t k1 = i1; k1 <= a.p3; k1 += f2) {
          const std::uint32_t k2 = k1 + f1;
          const float tr = wr * data[k2] - wi * data[k2 + 1];
          const float ti = wr * data[k2 + 1] + wi * data[k2];
          data[k2] = data[k1] - tr;
          data[k2 + 1] = data[k1 + 1] - ti;
          data[k1] += tr;
          data[k1 + 1] += ti;
        }
      }
      advance(w);
    }
    f1 = f2;
  }
}

// Values only meet others of the same run and column along an axis, so the axis is transformed
// tile by tile: a cache block of whole runs when runs are short, else one run and a band of columns.
void butterflies_tiled(float* data, const Axis& a, int direction) {
  if (a.p2 < kCacheBlock) {
    const std::uint32_t tile = (a.p3 < kCacheBlock) ? a.p3 : kCacheBlock;
    const Axis runs{a.p1, a.p2, tile};
    for (std::uint32_t base = 0; base < a.p3; base += tile) {
      butterflies_axis(data + base, runs, direction, 0, a.p1);
    }
    return;
  }
  const std::uint32_t band = kCacheBlock / (a.p2 / a.p1);
  const std::uint32_t width = (band < 2) ? 2 : (band > a.p1 ? a.p1 : band);
  const Axis run{a.p1, a.p2, a.p2};
  for (std::uint32_t base = 0; base < a.p3; base += a.p2) {
    for (std::uint32_t c = 0; c < a.p1; c += width) butterflies_axis(data + base, run, direction, c, width);
  }
}

void transform_multidim(float* data, const std::uint32_t* dims, int ndims, int direction) {
  std::uint32_t total = 1;
  for (int d = 1; d <= ndims; ++d) total *= dims[d];
  std::uint32_t prev = 1;
  for (int d = ndims; d >= 1; --d) {
    const std::uint32_t n = dims[d];
    const std::uint32_t rem = total / (n * prev);
    Axis a;
    a.p1 = prev << 1;
    a.p2 = a.p1 * n;
    a.p3 = a.p2 * rem;
    bit_reverse_axis(data, a);
    butterflies_tiled(data, a, direction);
    prev *= n;
  }
}

// The tensor must be one block in row order: the first and last elements n1·n2·n3 floats apart.
bool is_contiguous(float*** data, std::uint32_t n1, std::uint32_t n2, std::uint32_t n3) {
  const auto first = reinterpret_cast<std::uintptr_t>(&data[1][1][1]);
  const auto last = reinterpret_cast<std::uintptr_t>(&data[n1][n2][n3]);
  if (last < first || (last - first) % sizeof(float) != 0) return false;
  const std::uintptr_t elements = (last - first) / sizeof(float) + 1;
  return elements == static_cast<std::uintptr_t>(n1 * n2 * n3);
}

// The zero-frequency plane of the last axis, paired with the nyquist plane of the mirrored indices.
void recombine_zero_plane(float*** data, float** nyquist, std::uint32_t i1, std::uint32_t j1,
                          std::uint32_t n2, float h) {
  const float g = 0.5f;
  for (std::uint32_t i2 = 1; i2 <= n2; ++i2) {
    const std::uint32_t j2 = (i2 != 1) ? ((n2 - i2) << 1) + 3 : 1;
    float* x = &data[i1][i2][1];
    float* y = &nyquist[j1][j2];
    const float sr = g * (x[0] + y[0]);
    const float si = g * (x[1] - y[1]);
    const float di = h * (x[0] - y[0]);
    const float dr = -h * (x[1] + y[1]);
    x[0] = sr + dr;
    x[1] = si + di;
    y[0] = sr - dr;
    y[1] = di - si;
  }
}

// One column pair (i3, its mirror) of the last axis; outputs formed in double, rounded once.
void recombine_plane(float*** data, std::uint32_t i1, std::uint32_t j1, std::uint32_t n2, std::uint32_t n3,
                     std::uint32_t i3, float h, const Twiddle& w) {
  const float g = 0.5f;
  const std::uint32_t ii3 = (i3 << 1) - 1;
  const std::uint32_t j3 = n3 + 3 - (i3 << 1);
  for (std::uint32_t i2 = 1; i2 <= n2; ++i2) {
    const std::uint32_t j2 = (i2 != 1) ? n2 - i2 + 2 : 1;
    float* x = &data[i1][i2][ii3];
    float* y = &data[j1][j2][j3];
    const double sr = static_cast<double>(g * (x[0] + y[0]));
    const double si = static_cast<double>(g * (x[1] - y[1]));
    const double di = static_cast<double>(h * (x[0] - y[0]));
    const double dr = static_cast<double>(-h * (x[1] + y[1]));
    x[0] = static_cast<float>(sr + w.wr * dr - w.wi * di);
    x[1] = static_cast<float>(si + w.wr * di + w.wi * dr);
    y[0] = static_cast<float>(sr - w.wr * dr + w.wi * di);
    y[1] = static_cast<float>(-si + w.wr * di + w.wi * dr);
  }
}

}  // namespace

void fft_complex(float* data, std::uint32_t count, int direction) {
  if (!is_power_of_two(count)) fatal_numeric_error("fft_complex: count is not a power of two");
  if (!is_direction(direction)) fatal_numeric_error("fft_complex: direction is neither +1 nor -1");
  transform_complex(data, count, direction);
}

void fft_real(float* data, std::uint32_t count, int direction) {
  if (count < 2 || !is_power_of_two(count)) {
    fatal_numeric_error("fft_real: count is not a power of two of at least 2");
  }
  const std::uint32_t half = count >> 1;
  double theta = kPi / static_cast<double>(half);
  float h = 0.5f;
  if (direction == 1) {
    h = -0.5f;
    transform_complex(data, half, 1);
  } else {
    theta = -theta;
  }
  recombine_real(data, count, h, theta);
  const float g = 0.5f;
  const float x1 = data[1];
  if (direction == 1) {
    data[1] = x1 + data[2];
    data[2] = x1 - data[2];
  } else {
    data[1] = g * (x1 + data[2]);
    data[2] = g * (x1 - data[2]);
    transform_complex(data, half, -1);
  }
}

void fft_multidim(float* data, const std::uint32_t* dims, int ndims, int direction) {
  for (int d = 1; d <= ndims; ++d) {
    if (!is_power_of_two(dims[d])) fatal_numeric_error("fft_multidim: dimension is not a power of two");
  }
  if (!is_direction(direction)) fatal_numeric_error("fft_multidim: direction is neither +1 nor -1");
  transform_multidim(data, dims, ndims, direction);
}

void fft_real_3d(float*** data, float** nyquist, std::uint32_t n1, std::uint32_t n2, std::uint32_t n3,
                 int direction) {
  if (!is_power_of_two(n1) || !is_power_of_two(n2) || n3 < 2 || !is_power_of_two(n3)) {
    fatal_numeric_error("fft_real_3d: n1, n2, n3 are not powers of two with n3 at least 2");
  }
  if (!is_direction(direction)) fatal_numeric_error("fft_real_3d: direction is neither +1 nor -1");
  if (!is_contiguous(data, n1, n2, n3)) std::exit(1);

  const float h = static_cast<float>(-0.5 * static_cast<double>(direction));
  const double theta = static_cast<double>(direction) * (kTwoPi / static_cast<double>(n3));
  const std::uint32_t dims[4] = {0, n1, n2, n3 >> 1};  // read as dims[1..3]
  if (direction == 1) {
    transform_multidim(data[1][1], dims, 3, 1);
    for (std::uint32_t i1 = 1; i1 <= n1; ++i1) {
      for (std::uint32_t i2 = 1; i2 <= n2; ++i2) {
        nyquist[i1][(i2 << 1) - 1] = data[i1][i2][1];
        nyquist[i1][i2 << 1] = data[i1][i2][2];
      }
    }
  }
  for (std::uint32_t i1 = 1; i1 <= n1; ++i1) {
    const std::uint32_t j1 = (i1 != 1) ? n1 - i1 + 2 : 1;
    Twiddle w = make_twiddle(theta, 1.0, 0.0);
    for (std::uint32_t i3 = 1; i3 <= (n3 >> 2) + 1; ++i3) {
      if (i3 == 1) {
        recombine_zero_plane(data, nyquist, i1, j1, n2, h);
      } else {
        recombine_plane(data, i1, j1, n2, n3, i3, h, w);
      }
      advance(w);
    }
  }
  if (direction == -1) transform_multidim(data[1][1], dims, 3, -1);
}

}  // namespace numerics
