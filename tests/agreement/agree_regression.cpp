// Agreement lines of the straight-line fit on fixed noisy points. The fit itself is arithmetic and
// square roots only; the weighted goodness of fit is a gammq value (exp and log).
#include "agreement.h"
#include "numerics/numerics.h"

namespace {

constexpr int kPoints = 30;

}  // namespace

void agree_regression() {
  float x[kPoints + 1], y[kPoints + 1], sig[kPoints + 1];
  for (int i = 1; i <= kPoints; ++i) {
    const auto u = static_cast<unsigned>(i);
    x[i] = agreement::fixed_value(900u + u, -3.0f, 7.0f);
    y[i] = 1.5f - 0.8f * x[i] + agreement::fixed_value(1000u + u, -0.5f, 0.5f);
    sig[i] = agreement::fixed_value(1100u + u, 0.2f, 0.6f);
  }
  float a, b, siga, sigb, chi2, q;
  numerics::fit_line(x, y, kPoints, sig, 0, &a, &b, &siga, &sigb, &chi2, &q);
  agreement::emit("fit_line_unweighted", {a, b, siga, sigb, chi2, q});
  numerics::fit_line(x, y, kPoints, sig, 1, &a, &b, &siga, &sigb, &chi2, &q);
  agreement::emit("fit_line_weighted", {a, b, siga, sigb, chi2});
  agreement::emit("fit_line_weighted_q", {q});
}
