// The accuracy cases: domains, edge values and Boost.Math references of the incomplete gamma and beta
// functions, the tail probabilities and their inverse searches, and fit_line's goodness of fit.
#include "accuracy/accuracy_cases.h"

#include <cfloat>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <vector>

// GCC 12 sees a maybe-uninitialized value inside Boost's inlined F quantile that it cannot follow.
#if defined(__GNUC__) && !defined(__clang__)
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wmaybe-uninitialized"
#endif
#include <boost/math/distributions/fisher_f.hpp>
#include <boost/math/distributions/students_t.hpp>
#include <boost/math/special_functions/beta.hpp>
#include <boost/math/special_functions/gamma.hpp>
#if defined(__GNUC__) && !defined(__clang__)
#pragma GCC diagnostic pop
#endif

#include "numerics/numerics.h"

namespace accuracy {
namespace {

using error_kit::ErrorStats;
using error_kit::format;
using error_kit::Uniform;
using Policy = error_kit::QuietPolicy;
using StudentT = boost::math::students_t_distribution<double, Policy>;
using FisherF = boost::math::fisher_f_distribution<double, Policy>;

constexpr std::uint64_t kSeed = 20240611;

// Largest shape of gammq's documented non-fatal domain used here (its series needs more than 100 terms
// near x = a from about a = 390), and the search reaches of the inverses: start +- 25 steps.
constexpr double kLargestShape = 256.0;
constexpr double kTReach = 54.0;
constexpr double kFReach = 60.0;

// pattern names the arguments (up to three); the result and the reference are appended.
void add(Errors& e, float got, double reference, const char* pattern, double a, double b = 0, double c = 0) {
  auto describe = [&] {
    return format(pattern, a, b, c) +
           format(" (result %.9g, reference %.9g)", static_cast<double>(got), reference);
  };
  e.ulp.add(error_kit::ulp_error(got, reference), describe);
  const double absolute =
      static_cast<double>(got) == reference ? 0.0 : std::fabs(static_cast<double>(got) - reference);
  e.absolute.add(absolute, describe);
}

// ---- gammq: a in [2^-20, 256], x from 0 to far beyond a (half the samples within a factor 64 of a).
double gamma_q(float a, float x) {
  return boost::math::gamma_q(static_cast<double>(a), static_cast<double>(x), Policy());
}

void gammq_at(Errors& s, float a, float x) {
  add(s, numerics::gammq(a, x), gamma_q(a, x), "a = %.9g, x = %.9g", a, x);
}

Errors measure_gammq(std::uint64_t samples) {
  Errors s;
  for (float a : {0x1.0p-20f, 0.5f, 1.0f, 7.5f, 100.0f, 256.0f}) {
    for (float x : {0.0f, FLT_MIN, 0.5f * a, a, std::nextafter(a + 1.0f, 0.0f), a + 1.0f, 4.0f * a + 10.0f})
      gammq_at(s, a, x);
  }
  Uniform u(kSeed);
  for (std::uint64_t i = 0; i < samples; ++i) {
    const float a = u.log_between(0x1.0p-20, kLargestShape);
    const float x = (i % 2 == 0) ? static_cast<float>(a * std::exp(std::log(64.0) * (2.0 * u.unit() - 1.0)))
                                 : u.log_between(0x1.0p-20, 1024.0);
    gammq_at(s, a, x);
  }
  return s;
}

// ---- incomplete_beta: a, b in [2^-8, 2^10], x in [0, 1].
void beta_at(Errors& s, float a, float b, float x) {
  const double reference =
      boost::math::ibeta(static_cast<double>(a), static_cast<double>(b), static_cast<double>(x), Policy());
  add(s, numerics::incomplete_beta(a, b, x), reference, "a = %.9g, b = %.9g, x = %.9g", a, b, x);
}

Errors measure_incomplete_beta(std::uint64_t samples) {
  Errors s;
  for (float a : {0x1.0p-8f, 0.5f, 1.0f, 30.0f, 1024.0f}) {
    for (float b : {0x1.0p-8f, 0.5f, 1.0f, 30.0f, 1024.0f}) {
      for (float x : {0.0f, FLT_MIN, 0.25f, static_cast<float>((a + 1.0) / (a + b + 2.0)), 0.75f, 1.0f})
        beta_at(s, a, b, x);
    }
  }
  Uniform u(kSeed + 1);
  for (std::uint64_t i = 0; i < samples; ++i) {
    const float a = u.log_between(0x1.0p-8, 1024.0);
    const float b = u.log_between(0x1.0p-8, 1024.0);
    beta_at(s, a, b, u.between(0.0, 1.0));
  }
  return s;
}

// ---- Tail probabilities.
double t_tail(double t, double df) {
  return 2.0 * boost::math::cdf(boost::math::complement(StudentT(df), std::fabs(t)));
}

void t_at(Errors& s, float t, std::uint32_t df) {
  add(s, numerics::t_probability(t, df), t_tail(t, df), "t = %.9g, df = %.0f", t, df);
}

Errors measure_t_probability(std::uint64_t samples) {
  Errors s;
  for (std::uint32_t df : {1u, 2u, 10u, 1000u, 65536u}) {
    for (float t : {0.0f, 1e-6f, 1.0f, 2.228f, 20.0f, 128.0f}) t_at(s, t, df);
  }
  Uniform u(kSeed + 2);
  for (std::uint64_t i = 0; i < samples; ++i) {
    const std::uint32_t df = u.count_between(1, 65536);
    const float t = u.log_between(0x1.0p-10, 128.0) * (i % 2 == 0 ? 1.0f : -1.0f);
    t_at(s, t, df);
  }
  return s;
}

// Two-sided significance of r among n points: I_{1-r^2}(v/2, 1/2) with v = n - 2 (1 - r^2 is exact in
// double for a float r of magnitude at least 1/2, and relatively exact below).
double correlation_tail(double r, std::uint32_t n) {
  const double v = static_cast<double>(n - 2);
  return boost::math::ibeta(0.5 * v, 0.5, 1.0 - r * r, Policy());
}

void correlation_at(Errors& s, float r, std::uint32_t n) {
  add(s, numerics::correlation_probability(r, n), correlation_tail(r, n), "r = %.9g, n = %.0f", r, n);
}

Errors measure_correlation_probability(std::uint64_t samples) {
  Errors s;
  for (std::uint32_t n : {3u, 4u, 10u, 1000u, 10000u}) {
    for (float r : {1e-6f, 0.5f, -0.5f, 0.99f, std::nextafter(1.0f, 0.0f)}) correlation_at(s, r, n);
  }
  Uniform u(kSeed + 3);
  for (std::uint64_t i = 0; i < samples; ++i) {
    const std::uint32_t n = u.count_between(3, 10000);
    correlation_at(s, u.between(-1.0, 1.0), n);
  }
  return s;
}

double f_tail(double f, double df1, double df2) {
  return boost::math::cdf(boost::math::complement(FisherF(df1, df2), f));
}

void f_at(Errors& s, float f, std::uint32_t df1, std::uint32_t df2) {
  add(s, numerics::f_probability(f, df1, df2), f_tail(f, df1, df2), "F = %.9g, df1 = %.0f, df2 = %.0f", f,
      df1, df2);
}

Errors measure_f_probability(std::uint64_t samples) {
  Errors s;
  for (std::uint32_t df1 : {1u, 3u, 100u, 4096u}) {
    for (std::uint32_t df2 : {1u, 10u, 100u, 4096u}) {
      for (float f : {1e-6f, 1.0f, 3.708f, 1024.0f}) f_at(s, f, df1, df2);
    }
  }
  Uniform u(kSeed + 4);
  for (std::uint64_t i = 0; i < samples; ++i) {
    const std::uint32_t df1 = u.count_between(1, 4096);
    const std::uint32_t df2 = u.count_between(1, 4096);
    f_at(s, u.log_between(0x1.0p-10, 1024.0), df1, df2);
  }
  return s;
}

// ---- Inverse searches: a statistic drawn inside the search's reach gives p (rounded to float), and
// the result is compared with the exact quantile of that float p.
bool t_search_at(Errors& s, float t, std::uint32_t df) {
  const auto p = static_cast<float>(t_tail(t, df));
  if (!(p >= FLT_MIN)) return false;  // a subnormal p carries too few digits to invert
  const double reference =
      boost::math::quantile(boost::math::complement(StudentT(df), 0.5 * static_cast<double>(p)));
  add(s, numerics::t_for_probability(p, df), reference, "p = %.9g, df = %.0f", p, df);
  return true;
}

Errors measure_t_for_probability(std::uint64_t samples) {
  Errors s;
  for (std::uint32_t df : {1u, 2u, 10u, 4096u}) {
    for (float t : {0.05f, 1.0f, 2.228f, 12.706f, 50.0f}) t_search_at(s, t, df);
  }
  Uniform u(kSeed + 5);
  for (std::uint64_t taken = 0; taken < samples;) {
    const std::uint32_t df = u.count_between(1, 4096);
    if (t_search_at(s, u.between(0.05, kTReach - 4.0), df)) ++taken;
  }
  return s;
}

// r = t / sqrt(v + t^2) at the t quantile with v = n - 2 degrees of freedom.
bool correlation_search_at(Errors& s, float r, std::uint32_t n) {
  const auto p = static_cast<float>(correlation_tail(r, n));
  if (!(p >= FLT_MIN && p < 1.0f)) return false;
  const double v = static_cast<double>(n - 2);
  const double t = boost::math::quantile(boost::math::complement(StudentT(v), 0.5 * static_cast<double>(p)));
  const double reference = t / std::sqrt(v + t * t);
  add(s, numerics::correlation_for_probability(p, n), reference, "p = %.9g, n = %.0f", p, n);
  return true;
}

Errors measure_correlation_for_probability(std::uint64_t samples) {
  Errors s;
  for (std::uint32_t n : {3u, 4u, 10u, 4096u}) {
    for (float r : {0.01f, 0.3f, 0.632f, 0.9f, 0.999f}) correlation_search_at(s, r, n);
  }
  Uniform u(kSeed + 6);
  for (std::uint64_t taken = 0; taken < samples;) {
    const std::uint32_t n = u.count_between(3, 4096);
    if (correlation_search_at(s, u.between(0.01, 0.999), n)) ++taken;
  }
  return s;
}

bool f_search_at(Errors& s, float f, std::uint32_t df1, std::uint32_t df2) {
  const auto p = static_cast<float>(f_tail(f, df1, df2));
  if (!(p >= FLT_MIN && p < 1.0f)) return false;
  const double reference =
      boost::math::quantile(boost::math::complement(FisherF(df1, df2), static_cast<double>(p)));
  add(s, numerics::f_for_probability(p, df1, df2), reference, "p = %.9g, df1 = %.0f, df2 = %.0f", p, df1,
      df2);
  return true;
}

Errors measure_f_for_probability(std::uint64_t samples) {
  Errors s;
  for (std::uint32_t df1 : {1u, 3u, 100u}) {
    for (std::uint32_t df2 : {1u, 10u, 1000u}) {
      for (float f : {0.1f, 1.0f, 3.708f, 50.0f}) f_search_at(s, f, df1, df2);
    }
  }
  Uniform u(kSeed + 7);
  for (std::uint64_t taken = 0; taken < samples;) {
    const std::uint32_t df1 = u.count_between(1, 1024);
    const std::uint32_t df2 = u.count_between(1, 1024);
    if (f_search_at(s, u.between(0.1, kFReach - 10.0), df1, df2)) ++taken;
  }
  return s;
}

// ---- fit_line's goodness of fit: weighted fits of n = 3 .. 200 points scattered about a line with
// deviations sig in [1/2, 2] and a scatter of 1/2 to 2 times sig, so chi-square is of the order of n.
// The reference is Q((n - 2)/2, chi2/2) with chi-square of the exact weighted least-squares line, in
// long double: the error includes that of the float sums.
long double exact_chi2(const std::vector<float>& x, const std::vector<float>& y,
                       const std::vector<float>& sig) {
  long double s = 0, sx = 0, sy = 0, sxx = 0, sxy = 0;
  for (std::size_t i = 1; i < x.size(); ++i) {
    const long double w = 1.0L / (static_cast<long double>(sig[i]) * sig[i]);
    s += w;
    sx += w * x[i];
    sy += w * y[i];
    sxx += w * x[i] * x[i];
    sxy += w * x[i] * y[i];
  }
  const long double delta = s * sxx - sx * sx;
  const long double a = (sxx * sy - sx * sxy) / delta;
  const long double b = (s * sxy - sx * sy) / delta;
  long double chi2 = 0;
  for (std::size_t i = 1; i < x.size(); ++i) {
    const long double r = (y[i] - a - b * x[i]) / sig[i];
    chi2 += r * r;
  }
  return chi2;
}

Errors measure_fit_line(std::uint64_t samples) {
  Errors s;
  Uniform u(kSeed + 8);
  std::vector<float> x, y, sig;
  for (std::uint64_t k = 0; k < samples; ++k) {
    const int n = k < 8 ? 3 + static_cast<int>(k) * 28 : static_cast<int>(u.count_between(3, 200));
    const double scatter = 0.5 + 1.5 * u.unit();
    const double intercept = 10.0 * (2.0 * u.unit() - 1.0), slope = 4.0 * (2.0 * u.unit() - 1.0);
    x.assign(static_cast<std::size_t>(n) + 1, 0.0f);
    y = sig = x;
    for (int i = 1; i <= n; ++i) {
      x[static_cast<std::size_t>(i)] = u.between(-10.0, 10.0);
      sig[static_cast<std::size_t>(i)] = u.log_between(0.5, 2.0);
      // A normal deviate by Box-Muller from the same stream.
      const double g = std::sqrt(-2.0 * std::log(1.0 - u.unit())) * std::cos(6.283185307179586 * u.unit());
      y[static_cast<std::size_t>(i)] = static_cast<float>(intercept + slope * x[static_cast<std::size_t>(i)] +
                                                          scatter * sig[static_cast<std::size_t>(i)] * g);
    }
    float a, b, siga, sigb, chi2, q;
    numerics::fit_line(x.data(), y.data(), n, sig.data(), 1, &a, &b, &siga, &sigb, &chi2, &q);
    const auto reference_chi2 = static_cast<double>(exact_chi2(x, y, sig));
    const double reference = boost::math::gamma_q(0.5 * (n - 2), 0.5 * reference_chi2, Policy());
    add(s, q, reference, "n = %.0f, chi2 = %.9g, exact chi2 = %.9g", n, chi2, reference_chi2);
  }
  return s;
}

}  // namespace

const Case kCases[] = {
    {"gammq", "a in [2^-20, 256] and x in [2^-20, 1024] or within 64x of a", "gamma_q", 2 * 4.22e7,
     1.5 * 6.23e5, measure_gammq},
    {"incomplete_beta", "a, b in [2^-8, 2^10], x in [0, 1]", "ibeta", 2 * 8.21e5, 1.5 * 1.02e3,
     measure_incomplete_beta},
    {"t_probability", "|t| in [2^-10, 128], df in 1..65536", "2 cdf(complement(students_t))", 2 * 5.914e5,
     1.5 * 2.3e5, measure_t_probability},
    {"correlation_probability", "r in [-1, 1], n in 3..10000", "ibeta(v/2, 1/2, 1 - r^2)", 2 * 2.715e5,
     1.5 * 1.22e3, measure_correlation_probability},
    {"f_probability", "F in [2^-10, 1024], df1, df2 in 1..4096", "cdf(complement(fisher_f))", 2 * 4.428e4,
     1.5 * 724, measure_f_probability},
    {"t_for_probability", "p = t tail at t in [0.05, 50], df in 1..4096", "quantile(students_t)", 2 * 4.883e5,
     1.5 * 1.7e5, measure_t_for_probability},
    {"correlation_for_probability", "p = r tail at r in [0.01, 0.999], n in 3..4096",
     "quantile(students_t) via r = t/sqrt(v+t^2)", 2 * 2.786e4, 1.5 * 3.02e3,
     measure_correlation_for_probability},
    {"f_for_probability", "p = F tail at F in [0.1, 50], df1, df2 in 1..1024", "quantile(fisher_f)",
     2 * 6.642e5, 1.5 * 5.75e4, measure_f_for_probability},
    {"fit_line q", "weighted fits of 3..200 points, chi2 of order n", "gamma_q((n-2)/2, exact chi2/2)",
     2 * 1972, 1.5 * 470, measure_fit_line},
};
const int kCaseCount = static_cast<int>(sizeof kCases / sizeof kCases[0]);

}  // namespace accuracy
