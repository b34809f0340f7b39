// Special functions: log-gamma, the incomplete gamma function (series and continued fraction), the
// regularised incomplete beta function, a closed-form complementary error function, the
// Kolmogorov-Smirnov tail series and the polar normal-deviate radius transform of a single value.
#include <cmath>
#include <limits>

#include "numerics/elementary.h"
#include "numerics/numerics.h"
#include "numerics/precision.h"

namespace numerics {
namespace {

constexpr int kMaxIterations = 100;         // terms of gser, gcf, the beta fraction and the KS series
constexpr double kRelativeAccuracy = 3e-7;  // convergence test of gser, gcf and the beta fraction
constexpr double kTiny = 1e-30;             // guard against a zero denominator in the Lentz method
constexpr float kTinyFloat = 1e-30f;        // the same guard as substituted in single precision
constexpr float kHugeFloat = 1e30f;         // 1/kTiny, start of gcf's C_i sequence
constexpr float kLargestBelowOne = 0.99999988079071044921875f;  // 1 - 2^-23

// Lanczos series for ln Gamma: six coefficients, the constant term and sqrt(2 pi).
constexpr double kLanczosCoefficients[6] = {76.18009172947146,  -86.50532032941678,   24.01409824083091,
                                            -1.231739572450155, 0.001208650973866179, -5.395239384953e-06};
constexpr double kLanczosConstant = 1.000000000190015;
constexpr double kSqrtTwoPi = 2.5066282746310007;

// Chebyshev-type fit of ln(erfc(z)/t) in t = 1/(1 + z/2), coefficients by power of t from 0 to 9.
constexpr double kErfcCoefficients[10] = {-1.26551223, 1.00002368,  0.37409196, 0.09678418,  -0.18628806,
                                          0.27886807,  -1.13520398, 1.48851587, -0.82215223, 0.17087277};

// Stopping rule of the KS series: a term small against the previous one or against the sum.
constexpr double kKsRelativeToPrevious = 0.001;
constexpr double kKsRelativeToSum = 1e-8;

double magnitude(float v) { return std::fabs(static_cast<double>(v)); }

// The shared exponential front factor x^a e^-x / Gamma(a) of gser and gcf, left to right in float:
// exp(-x + a ln x - ln Gamma(a)). The first two terms depend on x alone and are formed before the
// loops, so that only the last subtraction and the exponential wait for them.
float front_exponent(float a, float x) { return -x + a * elementary::logf(x); }
float gamma_front_factor(float exponent, float gln) { return elementary::expf(exponent - gln); }

// Holds a result that rounding carried outside [0, 1] at the nearer end (NaN passes). With a large a
// and a tiny b the float sum a + b inside ln Gamma(a + b) moves the front factor by a relative 1e-4 or
// so, enough for 1 - I_{1-x}(b, a) to come out negative (-1.3e-4 at a = 1024, b = 6.6e-5,
// x = 0.99998784); the results inside [0, 1] are untouched.
float probability(float v) {
  if (v < 0.0f) return 0.0f;
  if (v > 1.0f) return 1.0f;
  return v;
}

}  // namespace

double log_gamma(double x) {
  // The series has no meaning for negative x, where it can still come out finite (about 2.05 at
  // -1.125): those arguments give NaN, as do -0 and +inf through the steps themselves.
  if (x < 0.0) return std::numeric_limits<double>::quiet_NaN();
  double tmp = x + 5.5;
  tmp = tmp - (x + 0.5) * elementary::log(tmp);
  double ser = kLanczosConstant;
  double y = x;
  for (double c : kLanczosCoefficients) {
    y = y + 1.0;
    ser = ser + c / y;
  }
  return -tmp + elementary::log(kSqrtTwoPi * ser / x);
}

float gammq(float a, float x) {
  if (static_cast<double>(x) < 0.0 || static_cast<double>(a) <= 0.0) {
    fatal_numeric_error("Invalid arguments in routine gammq");
  }
  // A NaN argument passes the test above and would run the fraction to its iteration limit, ending
  // the process with a misleading "a too large" (a weighted fit_line of equal abscissae did): it gives
  // the IEEE result instead.
  if (std::isnan(a) || std::isnan(x)) return std::numeric_limits<float>::quiet_NaN();
  float gln;
  if (static_cast<double>(x) < static_cast<double>(a) + 1.0) {
    // The series converges quickly below a + 1; Q = 1 - P is formed in double.
    float gamser;
    gser(&gamser, a, x, &gln);
    return static_cast<float>(1.0 - static_cast<double>(gamser));
  }
  float gammcf;
  gcf(&gammcf, a, x, &gln);
  return gammcf;
}

// Series P(a, x) = e^-x x^a / Gamma(a) * sum_n x^n / (a (a+1) ... (a+n)), summed in float.
void gser(float* gamser, float a, float x, float* gln) {
  *gln = static_cast<float>(log_gamma(static_cast<double>(a)));
  if (x <= 0.0f) {
    if (x < 0.0f) fatal_numeric_error("x less than 0 in routine gser");
    *gamser = 0.0f;
    return;
  }
  const float exponent = front_exponent(a, x);
  float ap = a;
  float sum = detail::reciprocal_in_double(a);
  float del = sum;
  for (int n = 1; n <= kMaxIterations; ++n) {
    ap = ap + 1.0f;
    del = del * (x / ap);
    sum = sum + del;
    if (magnitude(del) < magnitude(sum) * kRelativeAccuracy) {
      // For a tiny a, P is 1 less a tiny amount, and the float rounding of ln Gamma(a) (about 83 at
      // a = 1e-36) can carry the product past 1, which made gammq = 1 - P negative: P is held at 1.
      const float p = sum * gamma_front_factor(exponent, *gln);
      *gamser = p > 1.0f ? 1.0f : p;
      return;
    }
  }
  fatal_numeric_error("a too large, ITMAX too small in routine gser");
}

// Continued fraction for Q(a, x) by the modified Lentz method, in float; the reciprocals and the
// b_i update are done in double and rounded back.
void gcf(float* gammcf, float a, float x, float* gln) {
  *gln = static_cast<float>(log_gamma(static_cast<double>(a)));
  const float exponent = front_exponent(a, x);
  float b = static_cast<float>(static_cast<double>(x) + 1.0 - static_cast<double>(a));
  float c = kHugeFloat;
  float d = detail::reciprocal_in_double(b);
  float h = d;
  int i = 1;
  for (; i <= kMaxIterations; ++i) {
    const float fi = static_cast<float>(i);
    const float an = -fi * (fi - a);
    b = static_cast<float>(static_cast<double>(b) + 2.0);
    d = an * d + b;
    if (magnitude(d) < kTiny) d = kTinyFloat;
    c = b + an / c;
    if (magnitude(c) < kTiny) c = kTinyFloat;
    d = detail::reciprocal_in_double(d);
    const float del = d * c;
    h = h * del;
    if (std::fabs(static_cast<double>(del) - 1.0) < kRelativeAccuracy) break;
  }
  if (i > kMaxIterations) fatal_numeric_error("a too large, ITMAX too small in gcf");
  *gammcf = gamma_front_factor(exponent, *gln) * h;
}

float incomplete_beta(float a, float b, float x) {
  const double xd = static_cast<double>(x);
  if (xd < 0.0 || xd > 1.0) return 0.0f;
  const float ab = a + b;
  float bt = 0.0f;
  if (xd != 0.0 && xd != 1.0) {
    // x^a (1-x)^b / B(a, b): a ln x is a float product, the rest is summed in double.
    const float a_log_x = a * elementary::logf(x);
    bt = static_cast<float>(elementary::exp(log_gamma(static_cast<double>(ab)) -
                                            log_gamma(static_cast<double>(a)) -
                                            log_gamma(static_cast<double>(b)) + static_cast<double>(a_log_x) +
                                            static_cast<double>(b) * elementary::log(1.0 - xd)));
  }
  // The fraction converges fast below the mean-like threshold; above it use the symmetry
  // I_x(a, b) = 1 - I_{1-x}(b, a).
  if (xd < (static_cast<double>(a) + 1.0) / (static_cast<double>(ab) + 2.0)) {
    return probability(bt * incomplete_beta_fraction(static_cast<double>(a), static_cast<double>(b), xd) / a);
  }
  const float tail =
      bt * incomplete_beta_fraction(static_cast<double>(b), static_cast<double>(a), 1.0 - xd) / b;
  return probability(static_cast<float>(1.0 - static_cast<double>(tail)));
}

// Continued fraction of I_x(a, b) by the modified Lentz method, entirely in double; each pass of the
// loop applies one even and one odd step of the fraction.
float incomplete_beta_fraction(double a, double b, double x) {
  const double qab = a + b;
  const double qap = a + 1.0;
  const double qam = a - 1.0;
  double c = 1.0;
  double d = 1.0 - qab * x / qap;
  if (std::fabs(d) < kTiny) d = kTiny;
  d = 1.0 / d;
  double h = d;
  for (int m = 1; m <= kMaxIterations; ++m) {
    const double md = static_cast<double>(m);
    const double m2 = static_cast<double>(2 * m);
    double aa = md * (b - md) * x / ((qam + m2) * (a + m2));
    d = 1.0 + aa * d;
    if (std::fabs(d) < kTiny) d = kTiny;
    c = 1.0 + aa / c;
    if (std::fabs(c) < kTiny) c = kTiny;
    d = 1.0 / d;
    h = h * (d * c);
    aa = -(a + md) * (qab + md) * x / ((a + m2) * (qap + m2));
    d = 1.0 + aa * d;
    if (std::fabs(d) < kTiny) d = kTiny;
    c = 1.0 + aa / c;
    if (std::fabs(c) < kTiny) c = kTiny;
    d = 1.0 / d;
    const double del = d * c;
    h = h * del;
    if (std::fabs(del - 1.0) < kRelativeAccuracy) break;
  }
  return static_cast<float>(h);
}

// erfc(x) ~ t exp(-z^2 + P(t)) with t = 1/(1 + z/2), z = |x|; relative error below about 1.2e-7.
// The polynomial is evaluated by Horner's rule in double.
float complementary_error_function(float x) {
  const float z = std::fabs(x);
  const float t = static_cast<float>(1.0 / (1.0 + 0.5 * static_cast<double>(z)));
  const double td = static_cast<double>(t);
  double poly = kErfcCoefficients[9];
  for (int k = 8; k >= 1; --k) poly = kErfcCoefficients[k] + td * poly;
  const double e = static_cast<double>(-z * z) + kErfcCoefficients[0] + td * poly;
  const float ans = static_cast<float>(td * elementary::exp(e));
  if (x >= 0.0f) return ans;
  return static_cast<float>(2.0 - static_cast<double>(ans));
}

// Q_KS(lambda) = 2 sum_{j>=1} (-1)^(j-1) exp(-2 j^2 lambda^2), summed in float; 1 when the series
// does not settle within the term limit (small lambda, where Q_KS is 1 to float precision).
float kolmogorov_smirnov_probability(float lambda) {
  const float a2 = static_cast<float>(-2.0 * static_cast<double>(lambda) * static_cast<double>(lambda));
  float fac = 2.0f;
  float sum = 0.0f;
  float termbf = 0.0f;
  for (int j = 1; j <= kMaxIterations; ++j) {
    const float fj = static_cast<float>(j);
    const float term = fac * elementary::expf(a2 * fj * fj);
    sum = sum + term;
    if (magnitude(term) <= kKsRelativeToPrevious * static_cast<double>(termbf) ||
        magnitude(term) <= kKsRelativeToSum * static_cast<double>(sum)) {
      return sum;
    }
    fac = -fac;
    termbf = std::fabs(term);
  }
  return 1.0f;
}

// v * sqrt(-2 ln(v^2) / v^2) with v = 1 - p: the polar method's scaling applied to one coordinate.
// p = 1 is moved just below 1 so that v is not zero.
float polar_radius_transform(float p) {
  if (p == 1.0f) p = kLargestBelowOne;
  const float v = static_cast<float>(1.0 - static_cast<double>(p));
  const float r = v * v;
  const float f =
      static_cast<float>(std::sqrt(-2.0 * static_cast<double>(elementary::logf(r)) / static_cast<double>(r)));
  return v * f;
}

}  // namespace numerics
