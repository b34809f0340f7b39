// Fuzz target for the special functions: log_gamma, gammq with gser and gcf, incomplete_beta,
// complementary_error_function, kolmogorov_smirnov_probability and polar_radius_transform. Checks:
//  - every result lies in its documented range: erfc in [0, 2], NaN only for NaN; Q_KS in
//    [0, 1 + 2^-19] (the float sum may end a few units above 1), 1 for NaN; the polar transform finite
//    with the sign of v = 1 - p and NaN exactly when |v| > 1 or p is NaN; log_gamma finite for finite
//    x > 0 (+infinity below about 1.7e-307, where a step overflows) and NaN for x < 0; Q(a, x), P(a, x) and
//    I_x(a, b) in [0, 1];
//  - identities: erfc(-x) = 2 - erfc(x) to a unit of 2; gammq = 1 - P of the series below a + 1 and the
//    fraction's Q above; P + Q = 1 at x = a + 1, where both evaluators converge; I_x(a, b) =
//    1 - I_{1-x}(b, a) for x in [1/2, 1] (where 1 - x is exact), all within the rounding that the
//    float steps allow.
//
// Keeping the input in range (the documented fatal exits are never reached):
//  - erfc, Q_KS, the polar transform and log_gamma take any bit pattern: they check nothing and never
//    fail;
//  - gammq ends the process for a <= 0 or x < 0, and when its series or fraction needs more than 100
//    terms: a is kept in [2^-120, 256] (below about 3e-39 the float 1/a of the series overflows, and from
//    about a = 390 the series near x = a needs more than 100 terms) and x in [0, FLT_MAX]; gser is fed
//    x < a + 1 and gcf x >= a + 1, the ranges where gammq uses them; the identity check at x = a + 1
//    keeps a <= 128;
//  - incomplete_beta never fails; a and b are kept in [2^-20, 2^10], where its 100-step fraction
//    converges, and x in [0, 1].
#include <cfloat>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstdlib>

#include "fuzz/fuzz_input.h"
#include "numerics/numerics.h"
#include "support/tolerance.h"

namespace {

using test_support::kEps;
constexpr float kSmallestA = 0x1.0p-120f;
constexpr float kLargestA = 256.0f;
constexpr float kLargestIdentityA = 128.0f;
constexpr float kSmallestBetaParameter = 0x1.0p-20f;
constexpr float kLargestBetaParameter = 1024.0f;
constexpr float kKsCeiling = 1.0f + 0x1.0p-19f;

[[noreturn]] void fail(const char* what, double a, double b = 0.0, double c = 0.0) {
  std::fprintf(stderr, "special function misbehaved: %s (%.9g, %.9g, %.9g)\n", what, a, b, c);
  std::abort();
}

bool in_unit_interval(float v) { return v >= 0.0f && v <= 1.0f; }

void check_erfc(float x) {
  const float e = numerics::complementary_error_function(x);
  if (std::isnan(x) != std::isnan(e)) fail("erfc: NaN exactly for NaN", x, e);
  if (std::isnan(x)) return;
  if (!(e >= 0.0f && e <= 2.0f)) fail("erfc outside [0, 2]", x, e);
  const float mirrored = numerics::complementary_error_function(-x);
  if (std::fabs(static_cast<double>(mirrored) - (2.0 - static_cast<double>(e))) > 2.0 * kEps)
    fail("erfc(-x) != 2 - erfc(x)", x, e, mirrored);
}

void check_ks(float lambda) {
  const float q = numerics::kolmogorov_smirnov_probability(lambda);
  if (std::isnan(lambda)) {
    if (q != 1.0f) fail("Q_KS(NaN) is not 1", lambda, q);
    return;
  }
  if (!(q >= 0.0f && q <= kKsCeiling)) fail("Q_KS outside [0, 1]", lambda, q);
  if (numerics::kolmogorov_smirnov_probability(-lambda) != q) fail("Q_KS depends on the sign", lambda, q);
}

void check_polar(float p) {
  const float r = numerics::polar_radius_transform(p);
  const float v = p == 1.0f ? 0x1.0p-23f : static_cast<float>(1.0 - static_cast<double>(p));
  const bool nan_expected = std::isnan(p) || std::fabs(v) > 1.0f;
  if (nan_expected != std::isnan(r)) fail("polar transform: NaN exactly where |1 - p| > 1", p, r);
  if (nan_expected) return;
  if (!std::isfinite(r) || std::fabs(r) > 8.16f) fail("polar transform out of range", p, r);
  if (r != 0.0f && std::signbit(r) != std::signbit(v)) fail("polar transform has the wrong sign", p, r);
}

void check_log_gamma(double x) {
  const double g = numerics::log_gamma(x);
  // Below about 1.7e-307 the documented quotient 2.5066 ser / x overflows to +infinity; above about
  // 1e305, ln Gamma(x) ~ x ln x itself exceeds the double range.
  const bool overflows = x < 1e-306 || x > 1e305;
  if (x > 0.0 && std::isfinite(x) && !std::isfinite(g) && !(overflows && g == HUGE_VAL))
    fail("log_gamma not finite for x > 0", x, g);
  if (x < 0.0 && !std::isnan(g)) fail("log_gamma of a negative argument is not NaN", x, g);
}

// The float exponent -x + a ln x - ln Gamma(a) rounds by about a unit of each of its terms.
double gamma_tolerance(double a, double x) {
  return kEps * (8.0 + x + (x > 0.0 ? std::fabs(a * std::log(x)) : 0.0) + std::fabs(std::lgamma(a)));
}

void check_incomplete_gamma(float a, float x) {
  const float q = numerics::gammq(a, x);
  if (!in_unit_interval(q)) fail("gammq outside [0, 1]", a, x, q);
  float part = -1.0f;
  float gln = 0.0f;
  if (static_cast<double>(x) < static_cast<double>(a) + 1.0) {
    numerics::gser(&part, a, x, &gln);
    if (!in_unit_interval(part)) fail("gser outside [0, 1]", a, x, part);
    if (q != static_cast<float>(1.0 - static_cast<double>(part))) fail("gammq is not 1 - P", a, x, q);
  } else {
    numerics::gcf(&part, a, x, &gln);
    if (part != q) fail("gammq is not the fraction's Q", a, x, q);
  }
  if (a <= kLargestIdentityA) {
    const float boundary = static_cast<float>(static_cast<double>(a) + 1.0);
    float p = -1.0f;
    float complement = -1.0f;
    float gln_series = 0.0f;
    float gln_fraction = 0.0f;
    numerics::gser(&p, a, boundary, &gln_series);
    numerics::gcf(&complement, a, boundary, &gln_fraction);
    if (!in_unit_interval(p) || !in_unit_interval(complement))
      fail("P or Q outside [0, 1] at a + 1", a, p, complement);
    if (std::fabs(static_cast<double>(p) + static_cast<double>(complement) - 1.0) >
        gamma_tolerance(a, boundary))
      fail("P + Q != 1", a, p, complement);
  }
}

void check_incomplete_beta(float a, float b, float x) {
  const float i = numerics::incomplete_beta(a, b, x);
  if (!in_unit_interval(i)) fail("incomplete_beta outside [0, 1]", a, b, x);
  if (x < 0.5f) return;
  // 1 - x is exact for x in [1/2, 1]; the exponent a ln x + b ln(1 - x) and the float sum a + b
  // inside ln Gamma round by about a unit of their size.
  const float mirrored = numerics::incomplete_beta(b, a, 1.0f - x);
  const double ab = static_cast<double>(a) + static_cast<double>(b);
  const double size = std::fabs(a * std::log(static_cast<double>(x))) +
                      (x < 1.0f ? std::fabs(b * std::log(1.0 - static_cast<double>(x))) : 0.0) +
                      ab * std::fabs(std::log(ab)) + 1.0;
  if (std::fabs(static_cast<double>(i) + static_cast<double>(mirrored) - 1.0) > kEps * (64.0 + 4.0 * size))
    fail("I_x(a, b) != 1 - I_{1-x}(b, a)", a, b, x);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  fuzz_input::Reader in(data, size);
  check_erfc(in.any_float());
  check_ks(in.any_float());
  check_polar(in.any_float());
  check_log_gamma(in.any_double());
  const float a = in.float_in(kSmallestA, kLargestA);
  const float x = in.float_in(0x1.0p-149f, FLT_MAX);
  check_incomplete_gamma(a, in.byte() & 1 ? x : 0.0f);
  const float pa = in.float_in(kSmallestBetaParameter, kLargestBetaParameter);
  const float pb = in.float_in(kSmallestBetaParameter, kLargestBetaParameter);
  check_incomplete_beta(pa, pb, in.unit());
  return 0;
}
