// Double-precision sine: the argument is reduced modulo pi/2 (Cody-Waite for moderate arguments,
// Payne-Hanek with 1280 bits of 2/pi for large ones) to a double-double r with |r| <= pi/4, and sine or
// cosine of r is evaluated with its leading terms exact, so that the result is nearly always correctly
// rounded.
#include <cstdint>

#include "numerics/elementary.h"
#include "numerics/elementary_bits.h"

// The rare reduction paths are kept out of line so that the common path needs no stack frame.
#if defined(__GNUC__) || defined(__clang__)
#define NUMERICS_SIN_COLD __attribute__((noinline, cold))
#elif defined(_MSC_VER)
#define NUMERICS_SIN_COLD __declspec(noinline)
#else
#define NUMERICS_SIN_COLD
#endif

namespace numerics {
namespace elementary {

namespace {

using detail::bits_of;
using detail::double_from_bits;
using detail::fast_two_sum;
using detail::power_of_two;
using detail::two_product;
using detail::two_sum;

// 2/pi, 32 bits a word, most significant first: word i holds the bits of weight 2^-(32i+1) to
// 2^-(32i+32). 1280 bits cover the largest double exponent (971 for the integer significand) plus
// the 7-word window used below. Printed by tests/accuracy/two_over_pi_table.py, which computes pi
// with two arctangent formulas and checks that they agree.
constexpr std::uint32_t kTwoOverPiWords[40] = {
    0xA2F9836E, 0x4E441529, 0xFC2757D1, 0xF534DDC0, 0xDB629599,  //
    0x3C439041, 0xFE5163AB, 0xDEBBC561, 0xB7246E3A, 0x424DD2E0,  //
    0x06492EEA, 0x09D1921C, 0xFE1DEB1C, 0xB129A73E, 0xE88235F5,  //
    0x2EBB4484, 0xE99C7026, 0xB45F7E41, 0x3991D639, 0x835339F4,  //
    0x9C845F8B, 0xBDF9283B, 0x1FF897FF, 0xDE05980F, 0xEF2F118B,  //
    0x5A0A6D1F, 0x6D367ECF, 0x27CB09B7, 0x4F463F66, 0x9E5FEA2D,  //
    0x7527BAC7, 0xEBE5F17B, 0x3D0739F7, 0x8A5292EA, 0x6BFB5FB1,  //
    0x1F8D5D08, 0x56033046, 0xFC7B6BAB, 0xF0CFBC20, 0x9AF4361D,  //
};

// pi/2 in four pieces for the Cody-Waite reduction (same script). The first three have at most 33
// significant bits, so their products with a quadrant count k < 2^20 are exact; the fourth is the next
// 53 bits. Together they hold pi/2 to about 2^-157, so k*pi/2 is known to 2^-137 and the reduced
// argument keeps more than 70 correct bits even when it is as small as 2^-60.
constexpr double kPio2Piece1 = 0x1.921fb54400000p+0;
constexpr double kPio2Piece2 = 0x1.0b4611a600000p-34;
constexpr double kPio2Piece3 = 0x1.3198a2e000000p-69;
constexpr double kPio2Piece4 = 0x1.b839a252049c1p-104;
// piece3 + piece4 rounded to 53 bits, for the usual case where r is not small.
constexpr double kPio2Rest = 0x1.3198a2e037073p-69;
// pi/2 as a double-double, for scaling the fraction found by the large reduction.
constexpr double kPio2Hi = 0x1.921fb54442d18p+0;
constexpr double kPio2Lo = 0x1.1a62633145c07p-54;
constexpr double kTwoOverPi = 0x1.45f306dc9c883p-1;
// Adding and subtracting 1.5*2^52 rounds a double below 2^51 to the nearest integer.
constexpr double kRoundToInteger = 0x1.8p52;
// Arguments from 2^20 on go to the large reduction: below it the quadrant count stays under 2^20.
constexpr double kModerateLimit = 0x1p20;

// Veltkamp split keeping 12 significant bits in the high part, so that its cube (36 bits) times a
// 17-bit coefficient, and its fourth power (48 bits) times a 5-bit coefficient, are exact products.
constexpr double kSplit12 = 0x1p41 + 1.0;
// Adding and subtracting 1.5*2^40 rounds a number below 1 to a multiple of 2^-12.
constexpr double kRoundTo2m12 = 0x1.8p40;

// -1/6 as a 17-bit head and the rest; 1/24 as a 5-bit head and the rest.
constexpr double kSinC3 = -0x1.5555555555555p-3;
constexpr double kSinC3Head = -0x1.5555p-3;
constexpr double kSinC3Tail = -0x1.5555555555555p-21;
constexpr double kCosC4 = 0x1.5555555555555p-5;
constexpr double kCosC4Head = 0x1.5p-5;
constexpr double kCosC4Tail = 0x1.5555555555555p-11;

// (sin r - r + r^3/6)/r^5 and (cos r - 1 + r^2/2 - r^4/24)/r^6 as polynomials in z = r^2 on
// z <= 0.62 (|r| slightly beyond pi/4): Chebyshev fits whose error, relative to the result, is below
// 2^-64 including the rounding of the coefficients.
constexpr double kSin5 = 0x1.1111111111111p-7;
constexpr double kSin7 = -0x1.a01a01a01a01ap-13;
constexpr double kSin9 = 0x1.71de3a556c5e1p-19;
constexpr double kSin11 = -0x1.ae64567eede07p-26;
constexpr double kSin13 = 0x1.6124604e73948p-33;
constexpr double kSin15 = -0x1.ae7d0fb80f9dcp-41;
constexpr double kSin17 = 0x1.929c63f1331ecp-49;
constexpr double kCos6 = -0x1.6c16c16c16c17p-10;
constexpr double kCos8 = 0x1.a01a01a019f86p-16;
constexpr double kCos10 = -0x1.27e4fb775e831p-22;
constexpr double kCos12 = 0x1.1eed8e6a049d6p-29;
constexpr double kCos14 = -0x1.939579302bc85p-37;
constexpr double kCos16 = 0x1.abe366e664744p-45;
// Derivatives of the leading polynomial terms, for the low part of r: 5/5! and -6/6!.
constexpr double kSinD5 = 0x1.5555555555555p-5;
constexpr double kCosD6 = -0x1.1111111111111p-7;

// sin(hi + lo) for |hi| <= pi/4 (a little beyond is fine) and |lo| <= 2^-48 |hi|.
// With r = a + b, a the 12-bit head of hi: a and a^3 * head(-1/6) are exact and summed with their
// rounding error kept; everything else (b, the rest of the cubic term, r^5 onwards) is below 2^-7 |r|,
// so its rounding errors stay near 2^-61 relative and the final addition is the only large rounding.
// The polynomial is evaluated at hi alone; lo enters it through its first-order term.
double sin_kernel(double hi, double lo) {
  const double t = kSplit12 * hi;
  const double a = t - (t - hi);
  const double b = (hi - a) + lo;
  const double a2 = a * a;
  const double a3 = a2 * a;
  double head, head_error;
  fast_two_sum(a, a3 * kSinC3Head, head, head_error);
  const double z = hi * hi;
  const double z2 = z * z;
  const double z4 = z2 * z2;
  // (a + b)^3 - a^3 = b (a^2 + a r + r^2), with hi standing for r in this small correction.
  const double cubic_rest = a3 * kSinC3Tail + kSinC3 * (b * ((a2 + a * hi) + z));
  // lo times the derivative of r^5/120; the next term is below 2^-64 for |lo| <= 2^-60 + ulp(hi).
  const double lo_rest = (lo * kSinD5) * z2;
  // Estrin's scheme shortens the dependency chain of the degree-6 polynomial in z.
  const double p01 = kSin5 + z * kSin7;
  const double p23 = kSin9 + z * kSin11;
  const double p456 = (kSin13 + z * kSin15) + z2 * kSin17;
  const double poly = ((p01 + z2 * p23) + z4 * p456) * (z2 * hi);
  const double small = ((cubic_rest + lo_rest) + b) + head_error;
  return head + (poly + small);
}

// cos(hi + lo) under the same conditions. Here a is hi rounded to a multiple of 2^-12, so that
// 1 - a^2/2 is exact as well as a^4 * head(1/24); their sum is kept with its error, and the rest,
// below 2^-9 in size, is added to it last (cos r >= 0.7, so absolute errors are what count).
double cos_kernel(double hi, double lo) {
  const double a = (hi + kRoundTo2m12) - kRoundTo2m12;
  const double b = (hi - a) + lo;
  const double a2 = a * a;
  const double a4 = a2 * a2;
  double head, head_error;
  fast_two_sum(1.0 - 0.5 * a2, a4 * kCosC4Head, head, head_error);
  const double z = hi * hi;
  const double z2 = z * z;
  const double z4 = z2 * z2;
  // r^2 - a^2 = b (a + r) and r^4 - a^4 = (r^2 - a^2)(r^2 + a^2), with hi standing for r.
  const double square_rest = b * (a + hi);
  const double quartic_rest = a4 * kCosC4Tail + kCosC4 * (square_rest * (z + a2));
  // lo times the derivative of -r^6/720.
  const double lo_rest = (lo * kCosD6) * (z2 * hi);
  const double p01 = kCos6 + z * kCos8;
  const double p23 = kCos10 + z * kCos12;
  const double p45 = kCos14 + z * kCos16;
  const double poly = ((p01 + z2 * p23) + z4 * p45) * (z2 * z);
  const double small = ((quartic_rest + lo_rest) - 0.5 * square_rest) + head_error;
  return head + (poly + small);
}

// ax = k*pi/2 + (hi + lo), with quadrant = k mod 4.
struct Reduced {
  double hi;
  double lo;
  unsigned quadrant;
};

// Cody-Waite reduction for ax < 2^20. ax - k*piece1 is exact (both are multiples of 2^-53 and the
// difference is below 1) and so is k*piece2 (below 2^-14). When their difference is above 2^-12, the
// usual case, it is taken with its rounding error and the rest of pi/2 as one rounded product, which
// leaves r accurate to 2^-89 of itself. Otherwise r may be as small as about 2^-60: k*piece3 is then
// subtracted exactly too and only k*piece4 is rounded, at about 2^-132.
Reduced reduce_moderate(double ax) {
  const double k = (ax * kTwoOverPi + kRoundToInteger) - kRoundToInteger;
  const double a = ax - k * kPio2Piece1;
  const double p = k * kPio2Piece2;
  Reduced r;
  r.quadrant = static_cast<unsigned>(static_cast<std::int64_t>(k) & 3);
  const double h = a - p;
  if (h > 0x1p-12 || h < -0x1p-12) {
    // |a| > |p| here, so (a - h) - p is the exact rounding error of h. For k < 256, k*rest is below
    // 2^-60 and lo is left as it is; above, lo would reach 2^-49 and the sum is renormalised, so that
    // the kernels may treat lo to first order only.
    r.hi = h;
    r.lo = ((a - h) - p) - k * kPio2Rest;
    if (k >= 256.0) fast_two_sum(h, r.lo, r.hi, r.lo);
    return r;
  }
  double s1, e1;
  two_sum(a, -p, s1, e1);
  double s2, e2;
  two_sum(s1, -(k * kPio2Piece3), s2, e2);
  const double rest = (e1 + e2) - k * kPio2Piece4;
  fast_two_sum(s2, rest, r.hi, r.lo);
  return r;
}

// 32 bits of the little-endian 288-bit number p, starting at bit position low (which may be
// negative: the bits below position 0 read as zero).
std::uint32_t bits_at(const std::uint32_t (&p)[9], int low) {
  if (low <= -32) return 0;
  if (low < 0) return p[0] << (-low);
  const int index = low >> 5;
  const int shift = low & 31;
  std::uint32_t out = p[index] >> shift;
  if (shift != 0 && index + 1 < 9) out |= p[index + 1] << (32 - shift);
  return out;
}

// Payne-Hanek reduction for ax >= 2^20. With ax = m*2^e (m the 53-bit integer significand), the
// words of 2/pi whose products with m are multiples of 4 are skipped; the next seven words are
// multiplied by m exactly. The bits left out weigh less than 2^-138 of a quadrant, and the product
// holds at least 190 bits below the binary point, of which at most about 62 can be leading zeros
// (the closest any double comes to a multiple of pi/2), so the fraction keeps more than 120 bits.
NUMERICS_SIN_COLD Reduced reduce_large(double ax) {
  const std::uint64_t bits = bits_of(ax);
  const int exponent = static_cast<int>(bits >> 52) - 1075;
  const std::uint64_t m = (bits & ((std::uint64_t{1} << 52) - 1)) | (std::uint64_t{1} << 52);
  const int first = exponent >= 34 ? (exponent - 34) / 32 + 1 : 0;

  // product = m * (words first .. first+6), little-endian 32-bit limbs.
  std::uint32_t product[9];
  const std::uint64_t m_low = m & 0xFFFFFFFFu;
  const std::uint64_t m_high = m >> 32;
  std::uint64_t carry = 0;
  for (int i = 0; i < 7; ++i) {
    const std::uint64_t t = kTwoOverPiWords[first + 6 - i] * m_low + carry;
    product[i] = static_cast<std::uint32_t>(t);
    carry = t >> 32;
  }
  product[7] = static_cast<std::uint32_t>(carry);
  carry = 0;
  for (int i = 0; i < 7; ++i) {
    const std::uint64_t t = kTwoOverPiWords[first + 6 - i] * m_high + product[i + 1] + carry;
    product[i + 1] = static_cast<std::uint32_t>(t);
    carry = t >> 32;
  }
  product[8] = static_cast<std::uint32_t>(carry);

  // Bit `point` of the product has weight 1 (one quadrant); point lies in [191, 256].
  const int point = 32 * (first + 7) - exponent;
  unsigned quadrant = bits_at(product, point) & 3u;
  bool negative = false;
  if ((bits_at(product, point - 1) & 1u) != 0) {
    // Fraction at least 1/2: round the quadrant up and take the fraction minus one, by negating the
    // whole product (two's complement); its low `point` bits are then 2^point - fraction.
    quadrant += 1;
    negative = true;
    std::uint64_t c = 1;
    for (auto& limb : product) {
      const std::uint64_t t = static_cast<std::uint64_t>(~limb) + c;
      limb = static_cast<std::uint32_t>(t);
      c = t >> 32;
    }
  }
  // Leading one of the fraction (at or below bit point-1): skip zero words, then single bits.
  int lead = point - 1;
  while (lead >= 31 && bits_at(product, lead - 31) == 0) lead -= 32;
  while (lead >= 0 && (bits_at(product, lead) & 1u) == 0) --lead;
  Reduced r;
  r.quadrant = quadrant & 3u;
  if (lead < 0) {  // cannot happen for a finite double (pi is irrational); kept for safety
    r.hi = 0.0;
    r.lo = 0.0;
    return r;
  }
  // The 128 bits from the leading one down, as 53 + 53 bits in two doubles.
  const std::uint64_t upper =
      (static_cast<std::uint64_t>(bits_at(product, lead - 31)) << 32) | bits_at(product, lead - 63);
  const std::uint64_t lower =
      (static_cast<std::uint64_t>(bits_at(product, lead - 95)) << 32) | bits_at(product, lead - 127);
  const double f_head = static_cast<double>(upper >> 11) * power_of_two(lead - point - 52);
  const double f_next =
      static_cast<double>(((upper & 0x7FFu) << 42) | (lower >> 22)) * power_of_two(lead - point - 105);
  double f_hi, f_lo;
  fast_two_sum(f_head, f_next, f_hi, f_lo);
  // r = fraction * pi/2 in double-double.
  double p, p_error;
  two_product(f_hi, kPio2Hi, p, p_error);
  p_error += f_hi * kPio2Lo + f_lo * kPio2Hi;
  fast_two_sum(p, p_error, r.hi, r.lo);
  if (negative) {
    r.hi = -r.hi;
    r.lo = -r.lo;
  }
  return r;
}

}  // namespace

double sin(double x) {
  const std::uint64_t bits = bits_of(x);
  const std::uint64_t abs_bits = bits & ~(std::uint64_t{1} << 63);
  if (abs_bits >= 0x7FF0000000000000u) return x - x;  // NaN stays NaN, sin(±inf) is NaN
  // |x| < 2^-26 (±0 and subnormals included): x^3/6 is below half an ulp of x.
  if (abs_bits < 0x3E50000000000000u) return x;
  const double ax = double_from_bits(abs_bits);
  // Below pi/4 the reduction finds k = 0 and returns ax itself; going through it anyway keeps the
  // small arguments off a separate, poorly predicted branch.
  const Reduced r = ax < kModerateLimit ? reduce_moderate(ax) : reduce_large(ax);
  const double result = (r.quadrant & 1u) != 0 ? cos_kernel(r.hi, r.lo) : sin_kernel(r.hi, r.lo);
  // Quadrants 2 and 3 negate, and sin is odd: both signs are applied last as one flip of the sign
  // bit, so sin(-x) = -sin(x) bit for bit.
  const std::uint64_t flip =
      (bits ^ (static_cast<std::uint64_t>(r.quadrant & 2u) << 62)) & (std::uint64_t{1} << 63);
  return double_from_bits(bits_of(result) ^ flip);
}

}  // namespace elementary
}  // namespace numerics
