// The AVX2 lanes of the Fourier transforms (four double or eight float lanes), and the schedule of
// fft_schedule.h compiled over them with the AVX2 target attribute, so that the rest of the library
// stays baseline x86-64 code. Remainders narrower than the lanes go to the SSE2 kernels.
#include "numerics/simd.h"

#if NUMERICS_FFT_AVX2

#include <cstddef>
#include <cstdint>

#include "numerics/fft_lanes_sse2.h"
#include "numerics/fft_schedule.h"

namespace numerics {
namespace fft {
namespace {

// Two 16-byte table pieces in the low and high halves of one register. Inserting from memory takes
// no shuffle unit, which the butterflies' own swaps and conversions keep busy.
NUMERICS_AVX2_FUNCTION __m256d join(const double* low, const double* high) {
  return _mm256_insertf128_pd(_mm256_castpd128_pd256(_mm_load_pd(low)), _mm_load_pd(high), 1);
}
NUMERICS_AVX2_FUNCTION __m256 join(const float* low, const float* high) {
  return _mm256_insertf128_ps(_mm256_castps128_ps256(_mm_load_ps(low)), _mm_load_ps(high), 1);
}

// The sum and difference of each butterfly, x ± t, stored back: a[..] = x + t, b[..] = x - t.
NUMERICS_AVX2_FUNCTION void finish(float* a, float* b, __m128 t) {
  const __m128 x = _mm_loadu_ps(a);
  _mm_storeu_ps(b, _mm_sub_ps(x, t));
  _mm_storeu_ps(a, _mm_add_ps(x, t));
}
NUMERICS_AVX2_FUNCTION void finish(float* a, float* b, __m256 t) {
  const __m256 x = _mm256_loadu_ps(a);
  _mm256_storeu_ps(b, _mm256_sub_ps(x, t));
  _mm256_storeu_ps(a, _mm256_add_ps(x, t));
}

// The lane interface's run for either precision: K::kPairs butterflies at a time, their twiddle
// products from K::twiddled, the remainder by the SSE2 kernels. Walked by pointers: indexing with
// 32-bit counters costs the loop more integer instructions than it has arithmetic.
template <class K>
NUMERICS_AVX2_FUNCTION void run_in_lanes(float* a, float* b, const typename K::Entry* e, std::uint32_t len) {
  const std::size_t groups = len / K::kPairs;
  for (std::size_t k = 0; k < groups; ++k, a += 2 * K::kPairs, b += 2 * K::kPairs, e += K::kPairs)
    finish(a, b, K::twiddled(b, e));
  K::Sse2::run(a, b, e, len - static_cast<std::uint32_t>(K::kPairs * groups));
}

// reference::fft_complex's butterfly, two at a time in four double lanes; each lane performs its
// element's scalar operations (conversion to double, products, sum, one rounding to float).
struct Avx2Double : DoubleTwiddles {
  using Sse2 = Sse2Kernels<Sse2Double>;

  // The twiddle products of two values in four double lanes, rounded to float.
  NUMERICS_AVX2_FUNCTION static __m128 product(__m128 y, __m256d wr, __m256d wi) {
    const __m256d z = _mm256_cvtps_pd(y);
    const __m256d swapped = _mm256_permute_pd(z, 0x5);
    return _mm256_cvtpd_ps(_mm256_add_pd(_mm256_mul_pd(wr, z), _mm256_mul_pd(wi, swapped)));
  }
  static constexpr std::size_t kPairs = 2;
  // The twiddle products of the pairs b[0..3] with e[0], e[1].
  NUMERICS_AVX2_FUNCTION static __m128 twiddled(const float* b, const Entry* e) {
    return product(_mm_loadu_ps(b), join(e[0].wr, e[1].wr), join(e[0].wi, e[1].wi));
  }
  NUMERICS_AVX2_FUNCTION static void run(float* a, float* b, const Entry* e, std::uint32_t len) {
    run_in_lanes<Avx2Double>(a, b, e, len);
  }
  // The stages of spans 2 and 4 together, four complex values at a time in registers: the pairs
  // (0, 1) and (2, 3) with twiddle e[0], then (0, 2) and (1, 3) with e[1] and e[2].
  NUMERICS_AVX2_FUNCTION static std::uint32_t first_stages(float* data, std::uint32_t block, const Entry* e) {
    if (block < 8) return Sse2::first_stages(data, block, e);
    const __m256d wr = join(e[0].wr, e[0].wr);
    const __m256d wi = join(e[0].wi, e[0].wi);
    const __m256d wr2 = join(e[1].wr, e[2].wr);
    const __m256d wi2 = join(e[1].wi, e[2].wi);
    for (float* d = data + 1; d < data + block; d += 8) {
      const __m128 low = _mm_loadu_ps(d);                                   // values 0, 1
      const __m128 high = _mm_loadu_ps(d + 4);                              // values 2, 3
      const __m128 x = _mm_shuffle_ps(low, high, _MM_SHUFFLE(1, 0, 1, 0));  // 0, 2
      const __m128 y = _mm_shuffle_ps(low, high, _MM_SHUFFLE(3, 2, 3, 2));  // 1, 3
      const __m128 t = product(y, wr, wi);
      const __m128d sum = _mm_castps_pd(_mm_add_ps(x, t));              // new 0, 2
      const __m128d diff = _mm_castps_pd(_mm_sub_ps(x, t));             // new 1, 3
      const __m128 first = _mm_castpd_ps(_mm_unpacklo_pd(sum, diff));   // 0, 1
      const __m128 second = _mm_castpd_ps(_mm_unpackhi_pd(sum, diff));  // 2, 3
      const __m128 t2 = product(second, wr2, wi2);
      _mm_storeu_ps(d, _mm_add_ps(first, t2));
      _mm_storeu_ps(d + 4, _mm_sub_ps(first, t2));
    }
    return 8;
  }
};

// reference::fft_multidim's butterfly, four at a time in eight float lanes, each lane its element's
// scalar float operations.
struct Avx2Float : FloatTwiddles {
  using Sse2 = Sse2Kernels<Sse2Float>;

  NUMERICS_AVX2_FUNCTION static __m256 product(__m256 z, __m256 wr, __m256 wi) {
    const __m256 swapped = _mm256_permute_ps(z, _MM_SHUFFLE(2, 3, 0, 1));
    return _mm256_add_ps(_mm256_mul_ps(wr, z), _mm256_mul_ps(wi, swapped));
  }
  static constexpr std::size_t kPairs = 4;
  // The twiddle products of the pairs b[0..7] with e[0..3].
  NUMERICS_AVX2_FUNCTION static __m256 twiddled(const float* b, const Entry* e) {
    const __m256 even = join(e[0].w, e[2].w);  // entries c, c + 2
    const __m256 odd = join(e[1].w, e[3].w);   // entries c + 1, c + 3
    const __m256 wr = _mm256_shuffle_ps(even, odd, _MM_SHUFFLE(1, 0, 1, 0));
    const __m256 wi = _mm256_shuffle_ps(even, odd, _MM_SHUFFLE(3, 2, 3, 2));
    return product(_mm256_loadu_ps(b), wr, wi);
  }
  NUMERICS_AVX2_FUNCTION static void run(float* a, float* b, const Entry* e, std::uint32_t len) {
    run_in_lanes<Avx2Float>(a, b, e, len);
  }
  // The stages of spans 2 and 4 together, four complex values at a time in one register: the pairs
  // (0, 1) and (2, 3) with twiddle e[0], then (0, 2) and (1, 3) with e[1] and e[2]. Lanes that repeat
  // a value compute its products twice; the blends keep one copy.
  NUMERICS_AVX2_FUNCTION static std::uint32_t first_stages(float* data, std::uint32_t block, const Entry* e) {
    if (block < 8) return Sse2::first_stages(data, block, e);
    const __m256 w = join(e[0].w, e[0].w);
    const __m256 wr = _mm256_permute_ps(w, _MM_SHUFFLE(1, 0, 1, 0));
    const __m256 wi = _mm256_permute_ps(w, _MM_SHUFFLE(3, 2, 3, 2));
    const __m256 w1 = join(e[1].w, e[1].w);
    const __m256 w2 = join(e[2].w, e[2].w);
    const __m256 wr2 = _mm256_shuffle_ps(w1, w2, _MM_SHUFFLE(1, 0, 1, 0));
    const __m256 wi2 = _mm256_shuffle_ps(w1, w2, _MM_SHUFFLE(3, 2, 3, 2));
    for (float* d = data + 1; d < data + block; d += 8) {
      const __m256 v = _mm256_loadu_ps(d);                             // values 0, 1 | 2, 3
      const __m256 x = _mm256_permute_ps(v, _MM_SHUFFLE(1, 0, 1, 0));  // 0, 0 | 2, 2
      const __m256 y = _mm256_permute_ps(v, _MM_SHUFFLE(3, 2, 3, 2));  // 1, 1 | 3, 3
      const __m256 t = product(y, wr, wi);
      const __m256 r = _mm256_blend_ps(_mm256_add_ps(x, t), _mm256_sub_ps(x, t), 0xCC);  // 0, 1 | 2, 3
      const __m256 x2 = _mm256_permute2f128_ps(r, r, 0x00);                              // 0, 1 | 0, 1
      const __m256 y2 = _mm256_permute2f128_ps(r, r, 0x11);                              // 2, 3 | 2, 3
      const __m256 t2 = product(y2, wr2, wi2);
      _mm256_storeu_ps(d, _mm256_blend_ps(_mm256_add_ps(x2, t2), _mm256_sub_ps(x2, t2), 0xF0));
    }
    return 8;
  }
  // One twiddle over the row pairs, eight floats at a time.
  NUMERICS_AVX2_FUNCTION static void rows(float* a, float* b, std::uint32_t width, const Entry& e) {
    const __m256 w = join(e.w, e.w);
    const __m256 wr = _mm256_permute_ps(w, _MM_SHUFFLE(1, 0, 1, 0));
    const __m256 wi = _mm256_permute_ps(w, _MM_SHUFFLE(3, 2, 3, 2));
    std::uint32_t c = 0;
    for (; c + 8 <= width; c += 8) finish(a + c, b + c, product(_mm256_loadu_ps(b + c), wr, wi));
    Sse2::rows(a + c, b + c, width - c, e);
  }
};

struct Avx2Lanes {
  using Double = Avx2Double;
  using Float = Avx2Float;
};

// The whole schedule in AVX2 code with every kernel inlined, so that the short runs of the early and
// final stages cost no call each.
NUMERICS_AVX2_FLATTEN void complex_avx2(float* data, std::uint32_t count, int direction) {
  transform_complex<Avx2Lanes>(data, count, direction);
}
NUMERICS_AVX2_FLATTEN void multidim_avx2(float* data, const std::uint32_t* dims, int ndims, int direction) {
  transform_multidim<Avx2Lanes>(data, dims, ndims, direction);
}

}  // namespace

Passes avx2_passes() { return Passes{complex_avx2, multidim_avx2}; }

}  // namespace fft
}  // namespace numerics

#endif
