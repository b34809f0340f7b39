// The Fourier transforms in their plain step order: in-place radix-2 with bit reversal, then stage after
// stage with a twiddle recurrence per stage, in the float and double steps that define every result bit.
// The fast transforms (numerics/fft.cpp) reorder these loops and must give exactly these bits.
#include <cstddef>
#include <cstdint>
#include <utility>

#include "numerics/fft_axes.h"
#include "numerics/fft_recombine.h"
#include "numerics/fft_twiddles.h"
#include "numerics/reference/reference.h"

namespace numerics {
namespace reference {
namespace {

using fft::advance;
using fft::kPi;
using fft::kTwoPi;
using fft::make_twiddle;
using fft::recombine_pair;
using fft::recombine_zero_pair;
using fft::Twiddle;

void swap_complex(float* data, std::uint32_t a, std::uint32_t b) {
  std::swap(data[a], data[b]);
  std::swap(data[a + 1], data[b + 1]);
}

}  // namespace

void fft_complex(float* data, std::uint32_t count, int direction) {
  const std::uint32_t n = 2 * count;
  // Bit reversal: the value at complex index i trades places with the one at rev(i).
  std::uint32_t j = 1;
  for (std::uint32_t i = 1; i < n; i += 2) {
    if (j > i) swap_complex(data, i, j);
    std::uint32_t m = n / 2;
    while (m >= 2 && j > m) {
      j -= m;
      m /= 2;
    }
    j += m;
  }
  // Butterfly stages of spans 2, 4, .. n/2 floats; the twiddle product in double, rounded once.
  for (std::uint32_t span = 2; span < n; span *= 2) {
    Twiddle w = make_twiddle(static_cast<double>(direction) * (kTwoPi / static_cast<double>(span)));
    for (std::uint32_t m = 1; m < span; m += 2) {
      for (std::uint32_t i = m; i <= n; i += 2 * span) {
        const std::uint32_t k = i + span;
        const double re = static_cast<double>(data[k]);
        const double im = static_cast<double>(data[k + 1]);
        const float tr = static_cast<float>(w.wr * re - w.wi * im);
        const float ti = static_cast<float>(w.wr * im + w.wi * re);
        data[k] = data[i] - tr;
        data[k + 1] = data[i + 1] - ti;
        data[i] += tr;
        data[i + 1] += ti;
      }
      advance(w);
    }
  }
}

void fft_real(float* data, std::uint32_t count, int direction) {
  const std::uint32_t half = count / 2;
  double theta = kPi / static_cast<double>(half);
  float h = 0.5f;
  if (direction == 1) {
    h = -0.5f;
    fft_complex(data, half, 1);
  } else {
    theta = -theta;
  }
  Twiddle w = make_twiddle(theta);
  w.wr = 1.0 + w.alpha;
  w.wi = w.beta;
  for (std::uint32_t i = 2; i <= count / 4; ++i) {
    recombine_pair(&data[2 * i - 1], &data[count + 3 - 2 * i], h, w.wr, w.wi);
    advance(w);
  }
  fft::recombine_ends(data, direction);
  if (direction != 1) fft_complex(data, half, -1);
}

void fft_multidim(float* data, const std::uint32_t* dims, int ndims, int direction) {
  fft::for_each_axis(dims, ndims, [data, direction](const fft::Axis& axis) {
    // Along the axis: rows of p1 floats, runs of p2, the whole array p3.
    const std::uint32_t p1 = axis.p1;
    const std::uint32_t p2 = axis.p2;
    const std::uint32_t p3 = axis.p3;
    // Bit reversal of the rows of every run.
    std::uint32_t r = 1;
    for (std::uint32_t i2 = 1; i2 <= p2; i2 += p1) {
      if (i2 < r) {
        for (std::uint32_t i1 = i2; i1 <= i2 + p1 - 2; i1 += 2) {
          for (std::uint32_t i3 = i1; i3 <= p3; i3 += p2) swap_complex(data, i3, r + i3 - i2);
        }
      }
      std::uint32_t bit = p2 / 2;
      while (bit >= p1 && r > bit) {
        r -= bit;
        bit /= 2;
      }
      r += bit;
    }
    // Butterfly stages along the axis; the twiddle rounded to float, all arithmetic in float.
    for (std::uint32_t f1 = p1; f1 < p2; f1 *= 2) {
      const std::uint32_t f2 = 2 * f1;
      const std::uint32_t points = f2 / p1;  // complex points of this stage's span, a power of two
      Twiddle w = make_twiddle((static_cast<double>(direction) * kTwoPi) / static_cast<double>(points));
      for (std::uint32_t i3 = 1; i3 <= f1; i3 += p1) {
        const float wr = static_cast<float>(w.wr);
        const float wi = static_cast<float>(w.wi);
        for (std::uint32_t i1 = i3; i1 <= i3 + p1 - 2; i1 += 2) {
          for (std::uint32_t k1 = i1; k1 <= p3; k1 += f2) {
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
    }
  });
}

void fft_real_3d(float*** data, float** nyquist, std::uint32_t n1, std::uint32_t n2, std::uint32_t n3,
                 int direction) {
  const float h = static_cast<float>(-0.5 * static_cast<double>(direction));
  const double theta = static_cast<double>(direction) * (kTwoPi / static_cast<double>(n3));
  const std::uint32_t dims[] = {0, n1, n2, n3 / 2};
  if (direction == 1) {
    fft_multidim(&data[1][1][1] - 1, dims, 3, 1);
    for (std::uint32_t i1 = 1; i1 <= n1; ++i1) {
      for (std::uint32_t i2 = 1; i2 <= n2; ++i2) {
        const std::size_t k = 2 * static_cast<std::size_t>(i2);
        nyquist[i1][k - 1] = data[i1][i2][1];
        nyquist[i1][k] = data[i1][i2][2];
      }
    }
  }
  for (std::uint32_t i1 = 1; i1 <= n1; ++i1) {
    const std::uint32_t j1 = (i1 == 1) ? 1 : n1 - i1 + 2;
    Twiddle w = make_twiddle(theta);
    for (std::uint32_t i3 = 1; i3 <= n3 / 4 + 1; ++i3) {
      for (std::uint32_t i2 = 1; i2 <= n2; ++i2) {
        float* x = &data[i1][i2][2 * i3 - 1];
        if (i3 == 1) {
          // The zero-frequency column with the nyquist plane, in float.
          recombine_zero_pair(x, &nyquist[j1][(i2 == 1) ? 1 : 2 * (n2 - i2) + 3], h);
        } else {
          recombine_pair(x, &data[j1][(i2 == 1) ? 1 : n2 - i2 + 2][n3 + 3 - 2 * i3], h, w.wr, w.wi);
        }
      }
      advance(w);
    }
  }
  if (direction == -1) fft_multidim(&data[1][1][1] - 1, dims, 3, -1);
}

}  // namespace reference
}  // namespace numerics
