// Agreement lines of the special functions on fixed arguments. Everything but the beta continued
// fraction calls exp or log, whose last bit differs between C libraries; tolerances say how far a
// one-unit change of those calls can travel in each routine.
#include <string>

#include "agreement.h"
#include "numerics/numerics.h"

namespace {

// The log-gamma series subtracts terms of size about x ln x from one another: 16 units.
constexpr agreement::Rule kLogGamma{agreement::Match::ulps, 16};
// gammq and the evaluators round exp(-x + a ln x - ln Gamma(a)) in float; one unit of logf is
// multiplied by a, so the result can move by about |a ln x| units (up to 40 for these arguments).
constexpr agreement::Rule kIncompleteGamma{agreement::Match::ulps, 64};
// I_x(a, b) rounds a float product a ln x inside its exponent: a few units, 16 allowed.
constexpr agreement::Rule kIncompleteBeta{agreement::Match::ulps, 16};
// One exp (erfc), one logf (polar transform) and sums of expf terms (KS series).
constexpr agreement::Rule kSingleCall{agreement::Match::ulps, 4};
constexpr agreement::Rule kSeries{agreement::Match::ulps, 8};

void agree_log_gamma() {
  const double xs[] = {0.25, 0.5, 3.7, 10.0, 25.5, 150.0};
  double values[6];
  for (int i = 0; i < 6; ++i) values[i] = numerics::log_gamma(xs[i]);
  agreement::emit_doubles("log_gamma", kLogGamma, values, 6);
}

void agree_incomplete_gamma() {
  for (float a : {0.5f, 1.0f, 3.5f, 12.0f}) {
    float values[8];
    for (int i = 0; i < 8; ++i)
      values[i] = numerics::gammq(a, agreement::fixed_value(100u + static_cast<unsigned>(i), 0.0f, 25.0f));
    agreement::emit("gammq_a" + agreement::number(static_cast<int>(a * 10)), kIncompleteGamma, values, 8);
  }
  float p, q, gln_series, gln_fraction;
  numerics::gser(&p, 4.25f, 4.0f, &gln_series);
  numerics::gcf(&q, 4.25f, 6.5f, &gln_fraction);
  agreement::emit("gser_gcf", kIncompleteGamma, {p, gln_series, q, gln_fraction});
}

void agree_incomplete_beta() {
  const float params[][2] = {{0.5f, 0.5f}, {2.0f, 3.0f}, {5.0f, 0.5f}, {7.5f, 11.25f}};
  for (const auto& ab : params) {
    float values[8];
    for (int i = 0; i < 8; ++i) {
      values[i] = numerics::incomplete_beta(
          ab[0], ab[1], agreement::fixed_value(200u + static_cast<unsigned>(i), 0.0f, 1.0f));
    }
    agreement::emit("incomplete_beta_" + agreement::number(static_cast<int>(ab[0] * 100)) + "_" +
                        agreement::number(static_cast<int>(ab[1] * 100)),
                    kIncompleteBeta, values, 8);
  }
  // The continued fraction alone is double arithmetic without library calls.
  agreement::emit(
      "incomplete_beta_fraction", agreement::kExact,
      {numerics::incomplete_beta_fraction(2.0, 3.0, 0.4), numerics::incomplete_beta_fraction(0.5, 5.0, 0.1),
       numerics::incomplete_beta_fraction(30.0, 40.0, 0.42)});
}

void agree_other_functions() {
  float erfc[10], ks[8], polar[8];
  for (int i = 0; i < 10; ++i)
    erfc[i] = numerics::complementary_error_function(
        agreement::fixed_value(300u + static_cast<unsigned>(i), -4.0f, 4.0f));
  for (int i = 0; i < 8; ++i)
    ks[i] = numerics::kolmogorov_smirnov_probability(
        agreement::fixed_value(400u + static_cast<unsigned>(i), 0.1f, 2.5f));
  for (int i = 0; i < 8; ++i)
    polar[i] =
        numerics::polar_radius_transform(agreement::fixed_value(500u + static_cast<unsigned>(i), 0.0f, 2.0f));
  agreement::emit("complementary_error_function", kSingleCall, erfc, 10);
  agreement::emit("kolmogorov_smirnov_probability", kSeries, ks, 8);
  agreement::emit("polar_radius_transform", kSingleCall, polar, 8);
}

}  // namespace

void agree_specfun() {
  agree_log_gamma();
  agree_incomplete_gamma();
  agree_incomplete_beta();
  agree_other_functions();
}
