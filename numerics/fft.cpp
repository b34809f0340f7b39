// In-place, unnormalised radix-2 fast Fourier transforms over one-based float arrays: complex,
// packed real, N-dimensional complex and three-dimensional real with a separate nyquist plane.
// Twiddle factors come from a double-precision trigonometric recurrence, so sin runs twice a stage.
//
// Speed without a changed bit: the butterflies of one stage are independent of each other, so they
// run in whatever order walks memory best, each still meeting the same operands and the same twiddle
// as in the plain loop order (stage by stage, twiddle by twiddle, block by block). The twiddles of a stage
// come from the same recurrence, a chunk at a time, into a small local table that every block of the stage
// then reuses. The SSE2 lanes perform per element exactly the scalar IEEE operations in the same precision;
// the portable scalar path does the same work for other processors.
#include <algorithm>
#include <cmath>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <utility>

#include "numerics/numerics.h"
#include "numerics/simd.h"

namespace numerics {
namespace {

// 2π written to 15 significant digits, which lands four double ulps above the double nearest 2π. Kept
// so on purpose: the transforms' results are defined with this value, and the nearest double would
// change the twiddles' last bits and with them the rounding of outputs.
constexpr double kTwoPi = 6.28318530717959;
// The double nearest π, used by the real-sequence transform.
constexpr double kPi = 3.141592653589793;
// Twiddles held at a time in a local table: a chunk of one stage, or every stage of an early block.
constexpr std::uint32_t kTableEntries = 128;
// Floats of an early block (1 KiB): every stage whose pairs lie inside it runs block by block, with
// the twiddles of all those stages (spans 2 .. 128, 127 entries) computed once per call.
constexpr std::uint32_t kEarlyBlock = 256;
static_assert(kEarlyBlock / 2 - 1 <= kTableEntries, "the early stages' twiddles fit the table");
// Sub-blocks of a later stage up to which it runs together with the stages after it, so that their
// recurrences overlap; there are at most kFinalStages such stages (1, 2 and 4 sub-blocks).
constexpr std::uint32_t kFewBlocks = 4;
constexpr std::uint32_t kFinalStages = 3;
// Floats of a run group (128 KiB, within the level-2 cache): the N-dimensional transform finishes an
// axis on one group of whole runs before it moves to the next.
constexpr std::uint32_t kRunGroup = 32768;
// Floats of a row taken at least at a time when a slower axis is worked on in column slices (256
// bytes, four cache lines).
constexpr std::uint32_t kSliceColumns = 64;
// Index bits of one side of a bit-reversal tile: 8 complex values, one 64-byte cache line.
constexpr int kTileBits = 3;

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

#if NUMERICS_FFT_LANES
__m128 load2(const float* p) {
  return _mm_castsi128_ps(_mm_loadl_epi64(reinterpret_cast<const __m128i*>(p)));
}
void store2(float* p, __m128 v) { _mm_storel_epi64(reinterpret_cast<__m128i*>(p), _mm_castps_si128(v)); }
#endif
#if NUMERICS_FFT_AVX2
// Two 16-byte table pieces in the low and high halves of one register. Inserting from memory takes
// no shuffle unit, which the butterflies' own swaps and conversions keep busy.
NUMERICS_AVX2_FUNCTION __m256d join(const double* low, const double* high) {
  return _mm256_insertf128_pd(_mm256_castpd128_pd256(_mm_load_pd(low)), _mm_load_pd(high), 1);
}
NUMERICS_AVX2_FUNCTION __m256 join(const float* low, const float* high) {
  return _mm256_insertf128_ps(_mm256_castps128_ps256(_mm_load_ps(low)), _mm_load_ps(high), 1);
}
#endif

// Butterflies of fft_complex: the twiddle product is formed in double from the float data and
// rounded to float once; the sum and difference stay in float. `one` handles the pair a[0..1],
// b[0..1]; with SSE2, `butterfly` two adjacent pairs held in registers (two<K> below uses either).
struct DoubleProducts {
  using Entry = DoubleEntry;

  // Quotient first, then the direction. For direction ±1 this gives the same bits as FloatProducts'
  // product first: multiplying by ±1 is exact, and rounding is symmetric in sign.
  static double theta(int direction, std::uint32_t points) {
    return static_cast<double>(direction) * (kTwoPi / static_cast<double>(points));
  }
  static Entry entry(const Twiddle& w) { return Entry{{w.wr, w.wr}, {-w.wi, w.wi}}; }

#if NUMERICS_FFT_LANES
  static __m128d product(__m128d z, const Entry& e) {
    const __m128d swapped = _mm_shuffle_pd(z, z, 1);
    return _mm_add_pd(_mm_mul_pd(_mm_load_pd(e.wr), z), _mm_mul_pd(_mm_load_pd(e.wi), swapped));
  }
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
#endif
#if NUMERICS_FFT_AVX2
  // Butterflies c = 0..len−1 (len a multiple of 2) of the pairs a[2c..2c+1], b[2c..2c+1], twiddle e[c],
  // two at a time in four double lanes; returns how many were done.
  NUMERICS_AVX2_FUNCTION static std::uint32_t run_avx2(float* a, float* b, const Entry* e,
                                                       std::uint32_t len) {
    // Walked by pointers: indexing with 32-bit counters costs the loop more integer instructions
    // than it has arithmetic.
    const std::size_t pairs = len / 2;
    for (std::size_t k = 0; k < pairs; ++k, a += 4, b += 4, e += 2) {
      const __m256d wr = join(e[0].wr, e[1].wr);
      const __m256d wi = join(e[0].wi, e[1].wi);
      const __m128 t = product_avx2(_mm_loadu_ps(b), wr, wi);
      const __m128 x = _mm_loadu_ps(a);
      _mm_storeu_ps(b, _mm_sub_ps(x, t));
      _mm_storeu_ps(a, _mm_add_ps(x, t));
    }
    return static_cast<std::uint32_t>(2 * pairs);
  }
  // The stages of spans 2 and 4 over data[1..block] (block a multiple of 8), four complex values
  // at a time in registers: the pairs (0, 1) and (2, 3) with twiddle e[0], then (0, 2) and (1, 3)
  // with e[1] and e[2].
  NUMERICS_AVX2_FUNCTION static void first_two_avx2(float* data, std::uint32_t block, const Entry* e) {
    const __m256d wr = join(e[0].wr, e[0].wr);
    const __m256d wi = join(e[0].wi, e[0].wi);
    const __m256d wr2 = join(e[1].wr, e[2].wr);
    const __m256d wi2 = join(e[1].wi, e[2].wi);
    for (float* d = data + 1; d < data + block; d += 8) {
      const __m128 low = _mm_loadu_ps(d);                                   // values 0, 1
      const __m128 high = _mm_loadu_ps(d + 4);                              // values 2, 3
      const __m128 x = _mm_shuffle_ps(low, high, _MM_SHUFFLE(1, 0, 1, 0));  // 0, 2
      const __m128 y = _mm_shuffle_ps(low, high, _MM_SHUFFLE(3, 2, 3, 2));  // 1, 3
      const __m128 t = product_avx2(y, wr, wi);
      const __m128d sum = _mm_castps_pd(_mm_add_ps(x, t));              // new 0, 2
      const __m128d diff = _mm_castps_pd(_mm_sub_ps(x, t));             // new 1, 3
      const __m128 first = _mm_castpd_ps(_mm_unpacklo_pd(sum, diff));   // 0, 1
      const __m128 second = _mm_castpd_ps(_mm_unpackhi_pd(sum, diff));  // 2, 3
      const __m128 t2 = product_avx2(second, wr2, wi2);
      _mm_storeu_ps(d, _mm_add_ps(first, t2));
      _mm_storeu_ps(d + 4, _mm_sub_ps(first, t2));
    }
  }
  // The twiddle products of two values in four double lanes, rounded to float.
  NUMERICS_AVX2_FUNCTION static __m128 product_avx2(__m128 y, __m256d wr, __m256d wi) {
    const __m256d z = _mm256_cvtps_pd(y);
    const __m256d swapped = _mm256_permute_pd(z, 0x5);
    return _mm256_cvtpd_ps(_mm256_add_pd(_mm256_mul_pd(wr, z), _mm256_mul_pd(wi, swapped)));
  }
#endif
  static void one_plain(float* a, float* b, const Entry& e) {
    const double re = static_cast<double>(b[0]);
    const double im = static_cast<double>(b[1]);
    const float tr = static_cast<float>(e.wr[0] * re - e.wi[1] * im);
    const float ti = static_cast<float>(e.wr[0] * im + e.wi[1] * re);
    b[0] = a[0] - tr;
    b[1] = a[1] - ti;
    a[0] += tr;
    a[1] += ti;
  }
};

// Butterflies of fft_multidim: the twiddle is rounded to float and the whole butterfly is float
// arithmetic. `one` and `butterfly` as above; `rows` applies one twiddle to the pairs a[0..width-1],
// b[0..width-1] (width a multiple of 4).
struct FloatProducts {
  using Entry = FloatEntry;

  // Product with the direction first (exact for ±1), so the same bits as DoubleProducts::theta.
  static double theta(int direction, std::uint32_t points) {
    return (static_cast<double>(direction) * kTwoPi) / static_cast<double>(points);
  }
  static Entry entry(const Twiddle& w) {
    const float wr = static_cast<float>(w.wr);
    const float wi = static_cast<float>(w.wi);
    return Entry{{wr, wr, -wi, wi}};
  }

#if NUMERICS_FFT_LANES
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
#endif
#if NUMERICS_FFT_AVX2
  NUMERICS_AVX2_FUNCTION static __m256 product_avx2(__m256 z, __m256 wr, __m256 wi) {
    const __m256 swapped = _mm256_permute_ps(z, _MM_SHUFFLE(2, 3, 0, 1));
    return _mm256_add_ps(_mm256_mul_ps(wr, z), _mm256_mul_ps(wi, swapped));
  }
  // As DoubleProducts::run_avx2, four butterflies at a time in eight float lanes.
  NUMERICS_AVX2_FUNCTION static std::uint32_t run_avx2(float* a, float* b, const Entry* e,
                                                       std::uint32_t len) {
    const std::size_t quads = len / 4;
    for (std::size_t k = 0; k < quads; ++k, a += 8, b += 8, e += 4) {
      const __m256 even = join(e[0].w, e[2].w);  // entries c, c + 2
      const __m256 odd = join(e[1].w, e[3].w);   // entries c + 1, c + 3
      const __m256 wr = _mm256_shuffle_ps(even, odd, _MM_SHUFFLE(1, 0, 1, 0));
      const __m256 wi = _mm256_shuffle_ps(even, odd, _MM_SHUFFLE(3, 2, 3, 2));
      const __m256 t = product_avx2(_mm256_loadu_ps(b), wr, wi);
      const __m256 x = _mm256_loadu_ps(a);
      _mm256_storeu_ps(b, _mm256_sub_ps(x, t));
      _mm256_storeu_ps(a, _mm256_add_ps(x, t));
    }
    return static_cast<std::uint32_t>(4 * quads);
  }
  // The stages of spans 2 and 4 over data[1..block] (block a multiple of 8), four complex values
  // at a time in one register: the pairs (0, 1) and (2, 3) with twiddle e[0], then (0, 2) and
  // (1, 3) with e[1] and e[2]. Lanes that repeat a value compute its products twice; the blends
  // keep one copy.
  NUMERICS_AVX2_FUNCTION static void first_two_avx2(float* data, std::uint32_t block, const Entry* e) {
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
      const __m256 t = product_avx2(y, wr, wi);
      const __m256 r = _mm256_blend_ps(_mm256_add_ps(x, t), _mm256_sub_ps(x, t), 0xCC);  // 0, 1 | 2, 3
      const __m256 x2 = _mm256_permute2f128_ps(r, r, 0x00);                              // 0, 1 | 0, 1
      const __m256 y2 = _mm256_permute2f128_ps(r, r, 0x11);                              // 2, 3 | 2, 3
      const __m256 t2 = product_avx2(y2, wr2, wi2);
      _mm256_storeu_ps(d, _mm256_blend_ps(_mm256_add_ps(x2, t2), _mm256_sub_ps(x2, t2), 0xF0));
    }
  }
  // rows() eight floats at a time; returns how many floats were done.
  NUMERICS_AVX2_FUNCTION static std::uint32_t rows_avx2(float* a, float* b, std::uint32_t width,
                                                        const Entry& e) {
    const __m128 w = _mm_load_ps(e.w);
    const __m128 wr4 = _mm_movelh_ps(w, w);
    const __m128 wi4 = _mm_movehl_ps(w, w);
    const __m256 wr = _mm256_insertf128_ps(_mm256_castps128_ps256(wr4), wr4, 1);
    const __m256 wi = _mm256_insertf128_ps(_mm256_castps128_ps256(wi4), wi4, 1);
    std::uint32_t c = 0;
    for (; c + 8 <= width; c += 8) {
      const __m256 t = product_avx2(_mm256_loadu_ps(b + c), wr, wi);
      const __m256 x = _mm256_loadu_ps(a + c);
      _mm256_storeu_ps(b + c, _mm256_sub_ps(x, t));
      _mm256_storeu_ps(a + c, _mm256_add_ps(x, t));
    }
    return c;
  }
#endif
  static void one_plain(float* a, float* b, const Entry& e) {
    const float wr = e.w[0];
    const float wi = e.w[3];
    const float tr = wr * b[0] - wi * b[1];
    const float ti = wr * b[1] + wi * b[0];
    b[0] = a[0] - tr;
    b[1] = a[1] - ti;
    a[0] += tr;
    a[1] += ti;
  }
};

// The lane path is chosen at run time (simd.h); every path gives the same bits.
template <class K>
void one(float* a, float* b, const typename K::Entry& e) {
#if NUMERICS_FFT_LANES
  if (detail::use_sse2()) return K::one(a, b, e);
#endif
  K::one_plain(a, b, e);
}

// One twiddle over the row pairs a[0..width−1], b[0..width−1] (width a multiple of 4).
void rows(float* a, float* b, std::uint32_t width, const FloatEntry& e) {
  std::uint32_t c = 0;
#if NUMERICS_FFT_LANES
#if NUMERICS_COMPILER_EMITS_AVX2
  if (detail::use_avx2()) c = FloatProducts::rows_avx2(a, b, width, e);
#endif
  if (detail::use_sse2()) {
    FloatProducts::rows(a + c, b + c, width - c, e);
    return;
  }
#endif
  for (; c < width; c += 2) FloatProducts::one_plain(a + c, b + c, e);
}

// Two adjacent butterflies of either kind: the pairs a[0..3], b[0..3] with twiddles e[0] and e[1].
template <class K>
void two(float* a, float* b, const typename K::Entry* e) {
#if NUMERICS_FFT_LANES
  if (detail::use_sse2()) {
    __m128 x = _mm_loadu_ps(a);
    __m128 y = _mm_loadu_ps(b);
    K::butterfly(x, y, e);
    _mm_storeu_ps(b, y);
    _mm_storeu_ps(a, x);
    return;
  }
#endif
  K::one_plain(a, b, e[0]);
  K::one_plain(a + 2, b + 2, e[1]);
}

// The butterflies c = 0..len−1 (len even) of adjacent pairs a[2c..2c+1], b[2c..2c+1] with twiddle e[c].
template <class K>
void run(float* a, float* b, const typename K::Entry* e, std::uint32_t len) {
  std::uint32_t c = 0;
#if NUMERICS_FFT_AVX2
  if (detail::use_avx2()) c = K::run_avx2(a, b, e, len);
#endif
  for (; c < len; c += 2) two<K>(a + 2 * std::size_t{c}, b + 2 * std::size_t{c}, e + c);
}

// Trades the complex values at a[0..1] and b[0..1], each moved whole.
void swap_complex(float* a, float* b) {
  float t[2];
  std::memcpy(t, a, sizeof t);
  std::memcpy(a, b, sizeof t);
  std::memcpy(b, t, sizeof t);
}

// Bit-reversal reordering of the complex values held in data[1..n] (n reals), pair by pair in the
// plain loop order: each value trades places with the one at its bit-reversed index.
void bit_reverse_plain(float* data, std::uint32_t n) {
  std::uint32_t j = 1;
  for (std::uint32_t i = 1; i < n; i += 2) {
    if (j > i) swap_complex(data + i, data + j);
    std::uint32_t m = n >> 1;
    while (m >= 2 && j > m) {
      j -= m;
      m >>= 1;
    }
    j += m;
  }
}

// The lowest `bits` bits of x in reverse order.
std::uint32_t reverse_bits(std::uint32_t x, int bits) {
  std::uint32_t r = 0;
  for (int b = 0; b < bits; ++b, x >>= 1) r = (r << 1) | (x & 1u);
  return r;
}

// The same swaps, tile by tile: a complex index of L bits splits into high, middle and low parts
// (x, m, y) of kTileBits, L - 2·kTileBits and kTileBits bits, and (x, m, y) trades places with
// (rev y, rev m, rev x). For one middle value the tile of all x, y is 2^kTileBits short contiguous
// runs, and so is its partner tile, so every swap stays within a few cache lines. A pair inside a
// tile that is its own partner is swapped once, from its lower index.
void bit_reverse(float* data, std::uint32_t n) {
  const std::uint32_t count = n >> 1;
  int bits = 0;
  while ((1u << bits) < count) ++bits;
  if (bits < 2 * kTileBits) {
    bit_reverse_plain(data, n);
    return;
  }
  const int middle_bits = bits - 2 * kTileBits;
  const int high_shift = bits - kTileBits;
  const std::uint32_t side = 1u << kTileBits;
  std::uint32_t reversed_low[1u << kTileBits];
  for (std::uint32_t t = 0; t < side; ++t) reversed_low[t] = reverse_bits(t, kTileBits);
  // Float offsets of the tile rows: x in the high bits, and rev y in the high bits of the partner.
  std::size_t high[1u << kTileBits];
  std::size_t partner_high[1u << kTileBits];
  for (std::uint32_t t = 0; t < side; ++t) {
    high[t] = 2 * (std::size_t{t} << high_shift);
    partner_high[t] = 2 * (std::size_t{reversed_low[t]} << high_shift);
  }
  for (std::uint32_t m = 0; m < (1u << middle_bits); ++m) {
    const std::uint32_t rm = reverse_bits(m, middle_bits);
    if (rm < m) continue;
    float* const tile = data + 2 * (std::size_t{m} << kTileBits) + 1;
    float* const partner = data + 2 * (std::size_t{rm} << kTileBits) + 1;
    for (std::uint32_t x = 0; x < side; ++x) {
      float* const row = tile + high[x];
      float* const column = partner + 2 * std::size_t{reversed_low[x]};
      for (std::uint32_t y = 0; y < side; ++y) {
        float* const a = row + 2 * std::size_t{y};
        float* const b = column + partner_high[y];
        if (m == rm && b <= a) continue;
        swap_complex(a, b);
      }
    }
  }
}

// The index pairs (i, rev i), i < rev i, that bit reversal of a sequence of at most
// kReversalPoints complex values trades, so that many runs of one length share one list. The
// swaps are disjoint, so their order does not matter.
constexpr std::uint32_t kReversalPoints = 256;
struct ReversalPairs {
  std::uint16_t low[kReversalPoints / 2];
  std::uint16_t high[kReversalPoints / 2];
  std::uint32_t count;
};

bool list_reversal_pairs(ReversalPairs& pairs, std::uint32_t points) {
  pairs.count = 0;
  if (points > kReversalPoints) return false;
  int bits = 0;
  while ((1u << bits) < points) ++bits;
  for (std::uint32_t i = 0; i < points; ++i) {
    const std::uint32_t r = reverse_bits(i, bits);
    if (i < r) {
      pairs.low[pairs.count] = static_cast<std::uint16_t>(i);
      pairs.high[pairs.count] = static_cast<std::uint16_t>(r);
      ++pairs.count;
    }
  }
  return true;
}

// Bit reversal of the complex values in data[1..] by the listed pairs, each value moved whole.
void apply_reversal_pairs(float* data, const ReversalPairs& pairs) {
  for (std::uint32_t k = 0; k < pairs.count; ++k) {
    swap_complex(data + 2 * std::size_t{pairs.low[k]} + 1, data + 2 * std::size_t{pairs.high[k]} + 1);
  }
}

// The next `count` twiddles of a stage's recurrence into table[0..count-1], w advancing with them.
template <class K>
void fill_twiddles(typename K::Entry* table, std::uint32_t count, Twiddle& w) {
  for (std::uint32_t c = 0; c < count; ++c) {
    table[c] = K::entry(w);
    advance(w);
  }
}

// The twiddles of every stage inside an early block, stage after stage (spans 2 .. block/2, span/2
// entries each), each stage's recurrence started from w = (1, 0).
template <class K>
void fill_early_table(typename K::Entry* table, std::uint32_t block, int direction) {
  std::uint32_t used = 0;
  for (std::uint32_t span = 2; span < block; span <<= 1) {
    Twiddle w = make_twiddle(K::theta(direction, span), 1.0, 0.0);
    fill_twiddles<K>(table + used, span >> 1, w);
    used += span >> 1;
  }
}

// Danielson-Lanczos stages of spans 2 .. block/2 over data[1..block] (block ≥ 4 floats): the pair
// of complex offset c in each sub-block of 2·span floats uses the stage's twiddle c.
template <class K>
void early_block_lanes(float* data, std::uint32_t block, const typename K::Entry* table) {
  for (std::uint32_t i = 1; i < block; i += 4) one<K>(data + i, data + i + 2, table[0]);
  const typename K::Entry* stage = table + 1;
  for (std::uint32_t span = 4; span < block; span <<= 1) {
    for (std::uint32_t i0 = 1; i0 < block; i0 += span << 1)
      run<K>(data + i0, data + i0 + span, stage, span >> 1);
    stage += span >> 1;
  }
}

#if NUMERICS_FFT_AVX2
// The same with every stage's runs in AVX2 lanes inside one function, so that the short runs of the
// first stages cost no call each; the first stage and remainders of the widest lanes use SSE2.
template <class K>
NUMERICS_AVX2_FUNCTION void early_block_avx2(float* data, std::uint32_t block,
                                             const typename K::Entry* table) {
  if (block < 8) {
    for (std::uint32_t i = 1; i < block; i += 4) K::one(data + i, data + i + 2, table[0]);
    return;
  }
  K::first_two_avx2(data, block, table);
  const typename K::Entry* stage = table + 3;
  for (std::uint32_t span = 8; span < block; span <<= 1) {
    const std::uint32_t len = span >> 1;
    for (std::uint32_t i0 = 1; i0 < block; i0 += span << 1) {
      float* const a = data + i0;
      for (std::uint32_t c = K::run_avx2(a, a + span, stage, len); c < len; c += 2) {
        __m128 x = _mm_loadu_ps(a + 2 * std::size_t{c});
        __m128 y = _mm_loadu_ps(a + span + 2 * std::size_t{c});
        K::butterfly(x, y, stage + c);
        _mm_storeu_ps(a + span + 2 * std::size_t{c}, y);
        _mm_storeu_ps(a + 2 * std::size_t{c}, x);
      }
    }
    stage += len;
  }
}
#endif

template <class K>
void early_block(float* data, std::uint32_t block, const typename K::Entry* table) {
#if NUMERICS_FFT_AVX2
  if (detail::use_avx2()) return early_block_avx2<K>(data, block, table);
#endif
  early_block_lanes<K>(data, block, table);
}

// One later stage over data[1..total]: the recurrence yields a chunk of twiddles, which then serves
// the same offsets of every sub-block of 2·span floats, walking each one contiguously.
template <class K>
void late_stage(float* data, std::uint32_t total, std::uint32_t span, int direction,
                typename K::Entry* chunk) {
  Twiddle w = make_twiddle(K::theta(direction, span), 1.0, 0.0);
  const std::uint32_t half = span >> 1;
  for (std::uint32_t c0 = 0; c0 < half; c0 += kTableEntries) {
    const std::uint32_t len = std::min(kTableEntries, half - c0);
    fill_twiddles<K>(chunk, len, w);
    for (std::uint32_t i0 = 1 + 2 * c0; i0 < total; i0 += span << 1)
      run<K>(data + i0, data + i0 + span, chunk, len);
  }
}

// One of the final stages below: its span, its recurrence and the two halves of its table.
template <class K>
struct FinalStage {
  std::uint32_t span;
  Twiddle w;
  typename K::Entry* current;
  typename K::Entry* next;
  std::uint32_t filled;  // entries of `next` computed so far
};

// Entries of each final stage's table half: the chunk of offsets that the final stages take at once.
constexpr std::uint32_t kFinalChunk = 16;
static_assert(2 * kFinalStages * kFinalChunk <= kTableEntries,
              "both halves of every final stage fit the table");

// Advances the recurrence of every final stage that has a chunk after c0 until `target` entries of
// its next half are computed.
template <class K>
void fill_final(FinalStage<K>* stages, std::uint32_t count, std::uint32_t c0, std::uint32_t target) {
  for (std::uint32_t j = 0; j < count; ++j) {
    FinalStage<K>& s = stages[j];
    if (c0 + kFinalChunk >= s.span >> 1) continue;
    if (s.filled >= target) continue;
    fill_twiddles<K>(s.next + s.filled, target - s.filled, s.w);
    s.filled = target;
  }
}

// The last stages of runs of run_length floats, those of at most kFewBlocks sub-blocks in
// data[1..total] (spans first_span .. run_length/2), where one step of the recurrence, a chain of
// dependent double operations, serves only a few butterflies. They run together, a chunk of offsets
// c at a time: offset c of every one of these stages whose sub-blocks are longer than c, the
// smallest span first, so that each element still passes the stages in order. Their recurrences
// are independent of each other and of the data, so they can overlap: while the butterflies read
// the current half of each table, the recurrences fill the next half, a share after each run.
template <class K>
void final_stages(float* data, std::uint32_t total, std::uint32_t run_length, std::uint32_t first_span,
                  int direction, typename K::Entry* table) {
  FinalStage<K> stages[kFinalStages];
  std::uint32_t count = 0;
  for (std::uint32_t span = first_span; span < run_length; span <<= 1, ++count) {
    FinalStage<K>& s = stages[count];
    s = FinalStage<K>{span, make_twiddle(K::theta(direction, span), 1.0, 0.0), table + count * kFinalChunk,
                      table + (kFinalStages + count) * kFinalChunk, 0};
    fill_twiddles<K>(s.current, kFinalChunk, s.w);
  }
  for (std::uint32_t c0 = 0; c0 < run_length >> 2; c0 += kFinalChunk) {
    std::uint32_t runs = 0;
    for (std::uint32_t j = 0; j < count; ++j) {
      if (c0 < stages[j].span >> 1) runs += total / (stages[j].span << 1);
    }
    std::uint32_t done = 0;
    for (std::uint32_t j = 0; j < count; ++j) {
      const FinalStage<K>& s = stages[j];
      if (c0 >= s.span >> 1) continue;  // this stage is finished
      for (std::uint32_t i0 = 1 + 2 * c0; i0 < total; i0 += s.span << 1) {
        run<K>(data + i0, data + i0 + s.span, s.current, kFinalChunk);
        fill_final<K>(stages, count, c0, kFinalChunk * ++done / runs);
      }
    }
    for (std::uint32_t j = 0; j < count; ++j) {
      std::swap(stages[j].current, stages[j].next);
      stages[j].filled = 0;
    }
  }
}

// All butterfly stages of bit-reversed complex runs of `run` floats that tile data[1..total]: the
// early stages block by block, the later ones stage by stage, the last ones together.
template <class K>
void butterflies_contiguous(float* data, std::uint32_t total, std::uint32_t run, int direction) {
  typename K::Entry table[kTableEntries];
  const std::uint32_t block = std::min(run, kEarlyBlock);
  if (block >= 4) {
    fill_early_table<K>(table, block, direction);
    for (std::uint32_t base = 0; base < total; base += block) early_block<K>(data + base, block, table);
  }
  std::uint32_t span = block;
  for (; span < run && total / (span << 1) > kFewBlocks; span <<= 1)
    late_stage<K>(data, total, span, direction, table);
  if (span < run) final_stages<K>(data, total, run, span, direction, table);
}

#if NUMERICS_FFT_AVX2
// butterflies_contiguous compiled for AVX2 with its kernels inlined, so that the short runs of the
// final stages cost no call each.
template <class K>
NUMERICS_AVX2_FLATTEN void butterflies_contiguous_avx2(float* data, std::uint32_t total, std::uint32_t run,
                                                       int direction) {
  butterflies_contiguous<K>(data, total, run, direction);
}
#endif

// The butterfly stages on the lane path chosen at run time.
template <class K>
void butterflies(float* data, std::uint32_t total, std::uint32_t run, int direction) {
#if NUMERICS_FFT_AVX2
  if (detail::use_avx2()) return butterflies_contiguous_avx2<K>(data, total, run, direction);
#endif
  butterflies_contiguous<K>(data, total, run, direction);
}

void transform_complex(float* data, std::uint32_t count, int direction) {
  const std::uint32_t n = count << 1;
  bit_reverse(data, n);
  butterflies<DoubleProducts>(data, n, n, direction);
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
  std::uint32_t p1;  // distance between neighbours along the axis (a row of p1 floats)
  std::uint32_t p2;  // length of one run of the axis
  std::uint32_t p3;  // size of the whole array
};

// Trades two distinct rows of width floats (a multiple of 4), four floats at a time: moving floats
// copies their bits, whatever the step.
void swap_rows(float* a, float* b, std::uint32_t width) {
  for (std::uint32_t c = 0; c < width; c += 4) {
    float t[4];
    std::memcpy(t, a + c, sizeof t);
    std::memcpy(a + c, b + c, sizeof t);
    std::memcpy(b + c, t, sizeof t);
  }
}

// The part of a slower axis finished in cache before the next: whole runs begin .. end−1 (floats,
// offsets into the array) and of each row the columns column .. column+width−1.
struct Slice {
  std::uint32_t begin;
  std::uint32_t end;
  std::uint32_t column;
  std::uint32_t width;
};

// Bit reversal along an axis: within each run of the slice the rows trade places.
void bit_reverse_rows(float* data, const Axis& a, const Slice& s) {
  for (std::uint32_t base = s.begin; base < s.end; base += a.p2) {
    std::uint32_t r = 1;
    for (std::uint32_t i2 = 1; i2 <= a.p2; i2 += a.p1) {
      if (i2 < r) swap_rows(data + base + i2 + s.column, data + base + r + s.column, s.width);
      std::uint32_t bit = a.p2 >> 1;
      while (bit >= a.p1 && r > bit) {
        r -= bit;
        bit >>= 1;
      }
      r += bit;
    }
  }
}

// Butterflies along an axis whose rows hold at least two complex values: one twiddle serves a whole
// row pair, so the rows are walked contiguously. Each slice restarts the recurrence, which yields
// the same twiddles.
void butterflies_rows(float* data, const Axis& a, const Slice& s, int direction) {
  for (std::uint32_t f1 = a.p1; f1 < a.p2; f1 <<= 1) {
    const std::uint32_t f2 = f1 << 1;
    Twiddle w = make_twiddle(FloatProducts::theta(direction, f2 / a.p1), 1.0, 0.0);
    for (std::uint32_t i3 = 1; i3 <= f1; i3 += a.p1) {
      const FloatEntry e = FloatProducts::entry(w);
      for (std::uint32_t k1 = s.begin + i3 + s.column; k1 < s.end; k1 += f2) {
        rows(data + k1, data + k1 + f1, s.width, e);
      }
      advance(w);
    }
  }
}

// One slower axis, a cache's worth at a time: groups of whole runs while a run fits in a run group,
// otherwise column slices of each run narrow enough that the slice of all its rows fits. Every
// column goes through the same swaps and butterflies in the same order as in whole passes over the
// array, so only the order across columns changes: a single pass over memory replaces one per stage.
void transform_rows(float* data, const Axis& a, int direction) {
  const std::uint32_t group = std::max(a.p2, std::min(a.p3, kRunGroup));
  // Whole rows while a run fits in a run group (then kRunGroup / rows ≥ p1).
  const std::uint32_t rows_per_run = a.p2 / a.p1;
  const std::uint32_t width = std::min(a.p1, std::max(kRunGroup / rows_per_run, kSliceColumns));
  for (std::uint32_t base = 0; base < a.p3; base += group) {
    for (std::uint32_t column = 0; column < a.p1; column += width) {
      const Slice s{base, base + group, column, width};
      bit_reverse_rows(data, a, s);
      butterflies_rows(data, a, s, direction);
    }
  }
}

// The fastest axis, where each run is a complex sequence of its own: groups of whole runs, each
// reordered and then transformed while it is in cache.
void transform_runs(float* data, const Axis& a, int direction) {
  const std::uint32_t group = std::max(a.p2, std::min(a.p3, kRunGroup));
  ReversalPairs pairs;
  const bool listed = list_reversal_pairs(pairs, a.p2 >> 1);
  for (std::uint32_t begin = 0; begin < a.p3; begin += group) {
    for (std::uint32_t base = begin; base < begin + group; base += a.p2) {
      if (listed) {
        apply_reversal_pairs(data + base, pairs);
      } else {
        bit_reverse(data + base, a.p2);
      }
    }
    butterflies<FloatProducts>(data + begin, group, a.p2, direction);
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
    if (a.p1 == 2) {
      transform_runs(data, a, direction);
    } else {
      transform_rows(data, a, direction);
    }
    prev *= n;
  }
}

// The tensor must be one block in row order: the first and last elements n1·n2·n3 floats apart.
bool is_contiguous(float*** data, std::uint32_t n1, std::uint32_t n2, std::uint32_t n3) {
  const auto first = reinterpret_cast<std::uintptr_t>(&data[1][1][1]);
  const auto last = reinterpret_cast<std::uintptr_t>(&data[n1][n2][n3]);
  if (last < first || (last - first) % sizeof(float) != 0) return false;
  const std::uintptr_t elements = (last - first) / sizeof(float) + 1;
  const std::uint32_t points = n1 * n2 * n3;  // 32 bits, as all of the transforms' index arithmetic
  return elements == points;
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

// Twiddles of a run of column pairs of the 3-d recombination, in double.
struct ColumnTwiddles {
  double wr[kTableEntries];
  double wi[kTableEntries];
};

// Column pairs i3 = first .. first+len-1 of one row x (plane i1, row i2) and its mirrored row y
// (plane j1, row j2): x[2·i3-1], x[2·i3] with y[n3+3-2·i3], y[n3+4-2·i3]. Outputs are formed in
// double and rounded once. The middle column pair may be the same element twice (a row that is its
// own mirror); x is written before y, as the plain loop order does.
void recombine_row(float* x_row, float* y_row, std::uint32_t n3, std::uint32_t first, std::uint32_t len,
                   float h, const ColumnTwiddles& w) {
  const float g = 0.5f;
  for (std::uint32_t c = 0; c < len; ++c) {
    const std::uint32_t i3 = first + c;
    float* x = x_row + (i3 << 1) - 1;
    float* y = y_row + n3 + 3 - (i3 << 1);
    const double sr = static_cast<double>(g * (x[0] + y[0]));
    const double si = static_cast<double>(g * (x[1] - y[1]));
    const double di = static_cast<double>(h * (x[0] - y[0]));
    const double dr = static_cast<double>(-h * (x[1] + y[1]));
    x[0] = static_cast<float>(sr + w.wr[c] * dr - w.wi[c] * di);
    x[1] = static_cast<float>(si + w.wr[c] * di + w.wi[c] * dr);
    y[0] = static_cast<float>(sr - w.wr[c] * dr + w.wi[c] * di);
    y[1] = static_cast<float>(-si + w.wr[c] * di + w.wi[c] * dr);
  }
}

// The recombination of one plane i1 with its mirror j1. Column pairs other than the middle one touch
// disjoint elements, and the middle ones keep their row order, so the rows can be walked along the
// columns, a chunk of twiddles at a time, instead of down each column.
void recombine_plane(float*** data, float** nyquist, std::uint32_t i1, std::uint32_t j1, std::uint32_t n2,
                     std::uint32_t n3, float h, double theta) {
  recombine_zero_plane(data, nyquist, i1, j1, n2, h);
  Twiddle w = make_twiddle(theta, 1.0, 0.0);
  advance(w);
  const std::uint32_t last = (n3 >> 2) + 1;
  ColumnTwiddles chunk;
  for (std::uint32_t first = 2; first <= last; first += kTableEntries) {
    const std::uint32_t len = std::min(kTableEntries, last + 1 - first);
    for (std::uint32_t c = 0; c < len; ++c) {
      chunk.wr[c] = w.wr;
      chunk.wi[c] = w.wi;
      advance(w);
    }
    for (std::uint32_t i2 = 1; i2 <= n2; ++i2) {
      const std::uint32_t j2 = (i2 != 1) ? n2 - i2 + 2 : 1;
      recombine_row(data[i1][i2], data[j1][j2], n3, first, len, h, chunk);
    }
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
    recombine_plane(data, nyquist, i1, j1, n2, n3, h, theta);
  }
  if (direction == -1) transform_multidim(data[1][1], dims, 3, -1);
}

}  // namespace numerics
