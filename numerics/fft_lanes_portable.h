// The portable lanes of the Fourier transforms: the lane interface of fft_schedule.h with one scalar
// butterfly at a time, for processors without SSE2. The schedule over these lanes is the fast step
// order with nothing but plain C++ arithmetic in it.
#pragma once

#include <cstddef>
#include <cstdint>

#include "numerics/fft_twiddles.h"

namespace numerics {
namespace fft {

// The butterfly of reference::fft_complex on the pair a[0..1], b[0..1]: the twiddle product is
// formed in double from the float data and rounded to float once; the sum and difference stay in float.
inline void butterfly(float* a, float* b, const DoubleEntry& e) {
  const double re = static_cast<double>(b[0]);
  const double im = static_cast<double>(b[1]);
  const float tr = static_cast<float>(e.wr[0] * re - e.wi[1] * im);
  const float ti = static_cast<float>(e.wr[0] * im + e.wi[1] * re);
  b[0] = a[0] - tr;
  b[1] = a[1] - ti;
  a[0] += tr;
  a[1] += ti;
}

// The butterfly of reference::fft_multidim: float arithmetic throughout.
inline void butterfly(float* a, float* b, const FloatEntry& e) {
  const float wr = e.w[0];
  const float wi = e.w[3];
  const float tr = wr * b[0] - wi * b[1];
  const float ti = wr * b[1] + wi * b[0];
  b[0] = a[0] - tr;
  b[1] = a[1] - ti;
  a[0] += tr;
  a[1] += ti;
}

// Each kernel is the reference's butterfly applied pair by pair; the pairs it is handed are
// independent of each other, so doing them one after another gives the reference's bits.
template <class Twiddles>
struct PortableKernels : Twiddles {
  using Entry = typename Twiddles::Entry;

  static void run(float* a, float* b, const Entry* e, std::uint32_t len) {
    for (std::uint32_t c = 0; c < len; ++c) butterfly(a + 2 * std::size_t{c}, b + 2 * std::size_t{c}, e[c]);
  }
  static std::uint32_t first_stages(float* data, std::uint32_t block, const Entry* table) {
    for (std::uint32_t i = 1; i < block; i += 4) butterfly(data + i, data + i + 2, table[0]);
    return 4;
  }
  static void rows(float* a, float* b, std::uint32_t width, const Entry& e) {
    for (std::uint32_t c = 0; c < width; c += 2) butterfly(a + c, b + c, e);
  }
};

struct PortableLanes {
  using Double = PortableKernels<DoubleTwiddles>;
  using Float = PortableKernels<FloatTwiddles>;
};

}  // namespace fft
}  // namespace numerics
