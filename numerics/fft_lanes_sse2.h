// The SSE2 lanes of the Fourier transforms: the lane interface of fft_schedule.h with two butterflies
// (two double or four float lanes) at a time. The AVX2 lanes use these kernels for their remainders.
#pragma once

#include <cstddef>
#include <cstdint>

#include "numerics/fft_twiddles.h"
#include "numerics/simd.h"

#if NUMERICS_FFT_LANES

namespace numerics {
namespace fft {

inline __m128 load2(const float* p) {
  return _mm_castsi128_ps(_mm_loadl_epi64(reinterpret_cast<const __m128i*>(p)));
}
inline void store2(float* p, __m128 v) {
  _mm_storel_epi64(reinterpret_cast<__m128i*>(p), _mm_castps_si128(v));
}

// The butterfly of reference::fft_complex in lanes: each lane performs the scalar IEEE operations of
// its element (conversion to double, the products, their sum, one rounding to float, then the float
// sum and difference), so the bits are the reference's.
struct Sse2Double : DoubleTwiddles {
  static __m128d product(__m128d z, const Entry& e) {
    const __m128d swapped = _mm_shuffle_pd(z, z, 1);
    return _mm_add_pd(_mm_mul_pd(_mm_load_pd(e.wr), z), _mm_mul_pd(_mm_load_pd(e.wi), swapped));
  }
  // The pair a[0..1], b[0..1].
  static void one(float* a, float* b, const Entry& e) {
    const __m128 t = _mm_cvtpd_ps(product(_mm_cvtps_pd(load2(b)), e));
    const __m128 x = load2(a);
    store2(b, _mm_sub_ps(x, t));
    store2(a, _mm_add_ps(x, t));
  }
  // The pairs x, y of two adjacent butterflies held in registers, twiddles e[0] and e[1].
  static void butterfly(__m128& x, __m128& y, const Entry* e) {
    const __m128d t0 = product(_mm_cvtps_pd(y), e[0]);
    const __m128d t1 = product(_mm_cvtps_pd(_mm_movehl_ps(y, y)), e[1]);
    const __m128 t = _mm_movelh_ps(_mm_cvtpd_ps(t0), _mm_cvtpd_ps(t1));
    y = _mm_sub_ps(x, t);
    x = _mm_add_ps(x, t);
  }
};

// The butterfly of reference::fft_multidim in float lanes, each lane the scalar float operations of
// its element.
struct Sse2Float : FloatTwiddles {
  static __m128 product(__m128 z, __m128 wr, __m128 wi) {
    const __m128 swapped = _mm_shuffle_ps(z, z, _MM_SHUFFLE(2, 3, 0, 1));
    return _mm_add_ps(_mm_mul_ps(wr, z), _mm_mul_ps(wi, swapped));
  }
  static void one(float* a, float* b, const Entry& e) {
    const __m128 w = _mm_load_ps(e.w);
    const __m128 t = product(load2(b), w, _mm_movehl_ps(w, w));
    const __m128 x = load2(a);
    store2(b, _mm_sub_ps(x, t));
    store2(a, _mm_add_ps(x, t));
  }
  static void butterfly(__m128& x, __m128& y, const Entry* e) {
    const __m128 w0 = _mm_load_ps(e[0].w);
    const __m128 w1 = _mm_load_ps(e[1].w);
    const __m128 wr = _mm_shuffle_ps(w0, w1, _MM_SHUFFLE(1, 0, 1, 0));
    const __m128 wi = _mm_shuffle_ps(w0, w1, _MM_SHUFFLE(3, 2, 3, 2));
    const __m128 t = product(y, wr, wi);
    y = _mm_sub_ps(x, t);
    x = _mm_add_ps(x, t);
  }
  static void rows(float* a, float* b, std::uint32_t width, const Entry& e) {
    const __m128 w = _mm_load_ps(e.w);
    const __m128 wr = _mm_movelh_ps(w, w);
    const __m128 wi = _mm_movehl_ps(w, w);
    for (std::uint32_t c = 0; c < width; c += 4) {
      const __m128 t = product(_mm_loadu_ps(b + c), wr, wi);
      const __m128 x = _mm_loadu_ps(a + c);
      _mm_storeu_ps(b + c, _mm_sub_ps(x, t));
      _mm_storeu_ps(a + c, _mm_add_ps(x, t));
    }
  }
};

// The lane interface over either precision: adjacent butterflies two at a time. They are independent
// of each other, so pairing them keeps the reference's bits.
template <class Arithmetic>
struct Sse2Kernels : Arithmetic {
  using Entry = typename Arithmetic::Entry;

  static void run(float* a, float* b, const Entry* e, std::uint32_t len) {
    for (std::uint32_t c = 0; c < len; c += 2) {
      float* const x_at = a + 2 * std::size_t{c};
      float* const y_at = b + 2 * std::size_t{c};
      __m128 x = _mm_loadu_ps(x_at);
      __m128 y = _mm_loadu_ps(y_at);
      Arithmetic::butterfly(x, y, e + c);
      _mm_storeu_ps(y_at, y);
      _mm_storeu_ps(x_at, x);
    }
  }
  static std::uint32_t first_stages(float* data, std::uint32_t block, const Entry* table) {
    for (std::uint32_t i = 1; i < block; i += 4) Arithmetic::one(data + i, data + i + 2, table[0]);
    return 4;
  }
};

struct Sse2Lanes {
  using Double = Sse2Kernels<Sse2Double>;
  using Float = Sse2Kernels<Sse2Float>;
};

}  // namespace fft
}  // namespace numerics

#endif
