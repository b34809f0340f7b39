// Agreement lines of the singular value decomposition: safe_hypot on fixed pairs, U, w and V of
// svd_decompose for both shapes and a rank-deficient matrix, and svd_solve and svd_covariance on the
// results. Only arithmetic and square roots are involved, so the builds must agree bit for bit.
#include <string>

#include "agreement.h"
#include "numerics/numerics.h"

namespace {

void fill(float** a, int m, int n, unsigned seed) {
  for (int i = 1; i <= m; ++i) {
    for (int j = 1; j <= n; ++j) {
      a[i][j] = agreement::fixed_value(seed + static_cast<unsigned>(i * n + j), -1.0f, 1.0f);
    }
  }
}

void agree_shape(int m, int n, unsigned seed, bool deficient) {
  float** a = numerics::matrix(1, m, 1, n);
  float** v = numerics::matrix(1, n, 1, n);
  float** covariance = numerics::matrix(1, n, 1, n);
  float* w = numerics::vector(1, n);
  float* b = numerics::vector(1, m);
  float* x = numerics::vector(1, n);
  fill(a, m, n, seed);
  if (deficient) {
    for (int i = 1; i <= m; ++i) a[i][n] = a[i][1] - a[i][2];
  }
  for (int i = 1; i <= m; ++i)
    b[i] = agreement::fixed_value(seed + 1000u + static_cast<unsigned>(i), -1.0f, 1.0f);
  numerics::svd_decompose(a, m, n, w, v);
  const std::string name =
      "svd " + agreement::number(m) + "x" + agreement::number(n) + (deficient ? " rank-1" : "");
  agreement::emit_ints(name + " not_converged", {numerics::svd_not_converged ? 1 : 0});
  agreement::emit(name + " w", &w[1], n);
  agreement::emit(name + " u", &a[1][1], m * n);
  agreement::emit(name + " v", &v[1][1], n * n);
  for (int j = 1; j <= n; ++j) {
    if (w[j] < 1.0e-5f) w[j] = 0.0f;
  }
  numerics::svd_solve(a, w, v, m, n, b, x);
  agreement::emit(name + " solve", &x[1], n);
  numerics::svd_covariance(v, n, w, covariance);
  agreement::emit(name + " covariance", &covariance[1][1], n * n);
  numerics::release_vector(x, 1, n);
  numerics::release_vector(b, 1, m);
  numerics::release_vector(w, 1, n);
  numerics::release_matrix(covariance, 1, n, 1, n);
  numerics::release_matrix(v, 1, n, 1, n);
  numerics::release_matrix(a, 1, m, 1, n);
}

}  // namespace

void agree_svd() {
  float hypot[16];
  for (unsigned i = 0; i < 16; ++i) {
    const float scale = i < 8 ? 1.0f : 1.0e30f;
    hypot[i] = numerics::safe_hypot(agreement::fixed_value(2 * i, -scale, scale),
                                    agreement::fixed_value(2 * i + 1, -scale, scale));
  }
  agreement::emit("safe_hypot", hypot, 16);
  agree_shape(1, 1, 10u, false);
  agree_shape(7, 4, 20u, false);
  agree_shape(4, 7, 30u, false);
  agree_shape(12, 12, 40u, false);
  agree_shape(9, 6, 50u, true);
  agree_shape(40, 25, 60u, false);
}
