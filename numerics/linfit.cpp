// Linear least-squares fitting of a model linear in its coefficients by singular value decomposition
// of the weighted design matrix, with near-degenerate basis combinations cut off; and the power basis
// 1, x, x², … as a ready basis callback.
#include "numerics/numerics.h"
#include "numerics/precision.h"

namespace numerics {

namespace {

// Singular values below this fraction of the largest one are dropped from the solution.
constexpr double kCutoffRatio = 1.0e-5;

// Largest singular value, or 0 when none is positive.
float largest_value(const float* w, int n) {
  float largest = 0.0f;
  for (int j = 1; j <= n; ++j) {
    if (w[j] > largest) largest = w[j];
  }
  return largest;
}

}  // namespace

void svd_fit(const float* x, const float* y, const float* sigma, int npoints, float* coef, int nbasis,
             float** u, float** v, float* w, float* chi2, basis_function basis_fn) {
  float* b = vector(1, npoints);
  float* basis = vector(1, nbasis);
  for (int i = 1; i <= npoints; ++i) {
    basis_fn(x[i], basis, nbasis);
    // The weight 1/σ is a reciprocal in double, rounded once to float.
    const float t = detail::reciprocal_in_double(sigma[i]);
    for (int j = 1; j <= nbasis; ++j) u[i][j] = basis[j] * t;
    b[i] = y[i] * t;
  }
  svd_decompose(u, npoints, nbasis, w, v);
  const float cutoff = static_cast<float>(kCutoffRatio * static_cast<double>(largest_value(w, nbasis)));
  for (int j = 1; j <= nbasis; ++j) {
    if (w[j] < cutoff) w[j] = 0.0f;
  }
  svd_solve(u, w, v, npoints, nbasis, b, coef);
  float sum = 0.0f;
  for (int i = 1; i <= npoints; ++i) {
    basis_fn(x[i], basis, nbasis);
    float s = 0.0f;
    for (int j = 1; j <= nbasis; ++j) s += coef[j] * basis[j];
    const float r = (y[i] - s) / sigma[i];
    sum += r * r;
  }
  *chi2 = sum;
  release_vector(basis, 1, nbasis);
  release_vector(b, 1, npoints);
}

void poly_basis(float x, float* values, int count) {
  // An empty range gets nothing: values[1] exists only when count >= 1.
  if (count < 1) return;
  values[1] = 1.0f;
  for (int j = 2; j <= count; ++j) values[j] = values[j - 1] * x;
}

}  // namespace numerics
