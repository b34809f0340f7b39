// The arithmetic of one pair of the real recombination, which turns the half-length complex transform of
// a real sequence into its spectrum (or back): fft_real's and fft_real_3d's, in their float and double
// steps. numerics::reference walks the pairs in the plain order, fft.cpp in a faster one.
#pragma once

namespace numerics {
namespace fft {

// The pair x[0..1] with its mirror y[0..1] and the twiddle (wr, wi): sums and differences in float,
// each output formed in double and rounded to float once. x and y may be the same element; every
// input is read before x, then y, is written.
inline void recombine_pair(float* x, float* y, float h, double wr, double wi) {
  const float g = 0.5f;
  const double sr = static_cast<double>(g * (x[0] + y[0]));
  const double si = static_cast<double>(g * (x[1] - y[1]));
  const double dr = static_cast<double>(-h * (x[1] + y[1]));
  const double di = static_cast<double>(h * (x[0] - y[0]));
  x[0] = static_cast<float>(sr + wr * dr - wi * di);
  x[1] = static_cast<float>(si + wr * di + wi * dr);
  y[0] = static_cast<float>(sr - wr * dr + wi * di);
  y[1] = static_cast<float>(-si + wr * di + wi * dr);
}

// fft_real_3d's zero-frequency pair with its mirror in the nyquist plane: twiddle 1, float throughout.
inline void recombine_zero_pair(float* x, float* y, float h) {
  const float g = 0.5f;
  const float sr = g * (x[0] + y[0]);
  const float si = g * (x[1] - y[1]);
  const float di = h * (x[0] - y[0]);
  const float dr = -h * (x[1] + y[1]);
  x[0] = sr + dr;
  x[1] = si + di;
  y[0] = sr - dr;
  y[1] = di - si;
}

// fft_real's first slot pair, which holds Z(0) and Z(N/2) (both real) after the recombination of the
// forward transform: the two are formed from the half-length transform's Z(0), or split back into it
// (halved) before the inverse one.
inline void recombine_ends(float* data, int direction) {
  const float g = 0.5f;
  const float x1 = data[1];
  if (direction == 1) {
    data[1] = x1 + data[2];
    data[2] = x1 - data[2];
  } else {
    data[1] = g * (x1 + data[2]);
    data[2] = g * (x1 - data[2]);
  }
}

}  // namespace fft
}  // namespace numerics
