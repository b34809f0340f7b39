// Agreement lines of the special functions on fixed arguments: log-gamma, the incomplete gamma and
// beta functions, erfc, the Kolmogorov-Smirnov series and the polar transform.
#include <string>

#include "agreement.h"
#include "numerics/numerics.h"

namespace {

void agree_log_gamma() {
  const double xs[] = {0.25, 0.5, 3.7, 10.0, 25.5, 150.0};
  double values[6];
  for (int i = 0; i < 6; ++i) values[i] = numerics::log_gamma(xs[i]);
  agreement::emit_doubles("log_gamma", values, 6);
}

void agree_incomplete_gamma() {
  for (float a : {0.5f, 1.0f, 3.5f, 12.0f}) {
    float values[8];
    for (int i = 0; i < 8; ++i)
      values[i] = numerics::gammq(a, agreement::fixed_value(100u + static_cast<unsigned>(i), 0.0f, 25.0f));
    agreement::emit("gammq_a" + agreement::number(static_cast<int>(a * 10)), values, 8);
  }
  float p, q, gln_series, gln_fraction;
  numerics::gser(&p, 4.25f, 4.0f, &gln_series);
  numerics::gcf(&q, 4.25f, 6.5f, &gln_fraction);
  agreement::emit("gser_gcf", {p, gln_series, q, gln_fraction});
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
                    values, 8);
  }
  agreement::emit("incomplete_beta_fraction", {numerics::incomplete_beta_fraction(2.0, 3.0, 0.4),
                                               numerics::incomplete_beta_fraction(0.5, 5.0, 0.1),
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
  agreement::emit("complementary_error_function", erfc, 10);
  agreement::emit("kolmogorov_smirnov_probability", ks, 8);
  agreement::emit("polar_radius_transform", polar, 8);
}

}  // namespace

void agree_specfun() {
  agree_log_gamma();
  agree_incomplete_gamma();
  agree_incomplete_beta();
  agree_other_functions();
}
