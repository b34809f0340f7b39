// Agreement lines of the linear least-squares fit: coefficients, singular values and chi-square of
// svd_fit with the power basis for an overdetermined, an underdetermined and a degenerate design, and
// poly_basis itself. Only arithmetic and square roots are involved: the builds must agree bit for bit.
#include <string>
#include <vector>

#include "agreement.h"
#include "numerics/numerics.h"

namespace {

void agree_fit(int npoints, int nbasis, float spread, unsigned seed) {
  std::vector<float> x(npoints + 1), y(npoints + 1), sigma(npoints + 1), coef(nbasis + 1), w(nbasis + 1);
  for (int i = 1; i <= npoints; ++i) {
    const unsigned k = seed + 3u * static_cast<unsigned>(i);
    x[i] = agreement::fixed_value(k, -spread, spread);
    y[i] = agreement::fixed_value(k + 1, -2.0f, 2.0f) + x[i] * x[i];
    sigma[i] = agreement::fixed_value(k + 2, 0.5f, 1.5f);
  }
  float** u = numerics::matrix(1, npoints, 1, nbasis);
  float** v = numerics::matrix(1, nbasis, 1, nbasis);
  float chi2 = 0.0f;
  numerics::svd_fit(x.data(), y.data(), sigma.data(), npoints, coef.data(), nbasis, u, v, w.data(), &chi2,
                    numerics::poly_basis);
  const std::string name = "svd_fit " + agreement::number(npoints) + "x" + agreement::number(nbasis);
  agreement::emit(name + " coef", &coef[1], nbasis);
  agreement::emit(name + " w", &w[1], nbasis);
  agreement::emit(name + " chi2", {chi2});
  numerics::release_matrix(v, 1, nbasis, 1, nbasis);
  numerics::release_matrix(u, 1, npoints, 1, nbasis);
}

}  // namespace

void agree_linfit() {
  float values[9];
  numerics::poly_basis(-1.37f, values, 8);
  agreement::emit("poly_basis", &values[1], 8);
  agree_fit(25, 4, 1.0f, 100u);
  agree_fit(40, 6, 3.0f, 200u);
  agree_fit(4, 6, 1.0f, 300u);
  agree_fit(30, 12, 8.0f, 400u);  // powers up to x^11 of |x| <= 8: small values fall below the cut-off
}
