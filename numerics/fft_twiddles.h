// The twiddle factors of the Fourier transforms: the double-precision recurrence that turns a unit
// vector by a fixed angle, and the two forms in which butterflies read a twiddle (kept in double for
// fft_complex, rounded to float for fft_multidim). Shared by the fast transforms and numerics::reference.
#pragma once

#include <cstdint>

#include "numerics/elementary.h"

namespace numerics {
namespace fft {

// 2π written to 15 significant digits, which lands four double ulps above the double nearest 2π. Kept
// so on purpose: the transforms' results are defined with this value, and the nearest double would
// change the twiddles' last bits and with them the rounding of outputs.
constexpr double kTwoPi = 6.28318530717959;
// The double nearest π, used by the real-sequence transform.
constexpr double kPi = 3.141592653589793;

// Trigonometric recurrence for advancing a unit vector (wr, wi) by a fixed angle θ: alpha = -2 sin²(θ/2)
// and beta = sin θ, which loses far less accuracy over many steps than cos θ - 1 would.
struct Twiddle {
  double alpha;
  double beta;
  double wr;
  double wi;
};

// The recurrence of angle theta, started at (1, 0).
inline Twiddle make_twiddle(double theta) {
  const double s = elementary::sin(0.5 * theta);
  return Twiddle{-2.0 * s * s, elementary::sin(theta), 1.0, 0.0};
}

inline void advance(Twiddle& w) {
  const double old_wr = w.wr;
  w.wr = old_wr * w.alpha - w.wi * w.beta + old_wr;
  w.wi = w.wi * w.alpha + old_wr * w.beta + w.wi;
}

// A twiddle as the butterflies read it: (wr, wr) and (-wi, wi), so that one lane pair forms
// (wr·re + (-wi)·im, wr·im + wi·re). Negating a product is exact and x + (-y) rounds as x - y, so
// the lanes give the bits of wr·re - wi·im and wr·im + wi·re.
struct alignas(16) DoubleEntry {
  double wr[2];
  double wi[2];
};
struct alignas(16) FloatEntry {
  float w[4];  // wr, wr, -wi, wi
};

// fft_complex's twiddles: the product with the data is formed in double. The stage angle is the
// quotient first, then the direction; for direction ±1 this gives the same bits as FloatTwiddles'
// product first, since multiplying by ±1 is exact and rounding is symmetric in sign.
struct DoubleTwiddles {
  using Entry = DoubleEntry;
  static double theta(int direction, std::uint32_t points) {
    return static_cast<double>(direction) * (kTwoPi / static_cast<double>(points));
  }
  static Entry entry(const Twiddle& w) { return Entry{{w.wr, w.wr}, {-w.wi, w.wi}}; }
};

// fft_multidim's twiddles: rounded to float, the whole butterfly being float arithmetic.
struct FloatTwiddles {
  using Entry = FloatEntry;
  static double theta(int direction, std::uint32_t points) {
    return (static_cast<double>(direction) * kTwoPi) / static_cast<double>(points);
  }
  static Entry entry(const Twiddle& w) {
    const float wr = static_cast<float>(w.wr);
    const float wi = static_cast<float>(w.wi);
    return Entry{{wr, wr, -wi, wi}};
  }
};

// The next `count` twiddles of a recurrence into table[0..count-1], w advancing with them.
template <class Twiddles>
void fill_twiddles(typename Twiddles::Entry* table, std::uint32_t count, Twiddle& w) {
  for (std::uint32_t c = 0; c < count; ++c) {
    table[c] = Twiddles::entry(w);
    advance(w);
  }
}

}  // namespace fft
}  // namespace numerics
