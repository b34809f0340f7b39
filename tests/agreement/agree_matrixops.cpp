// Agreement lines of the dense zero-based matrix helpers and the pseudo-inverse on fixed matrices:
// products, transpose, row scaling, rebased copies, and pseudo_inverse of full-rank, rank-deficient
// and zero matrices. Only arithmetic and square roots are involved: the builds must agree bit for bit.
#include <string>

#include "agreement.h"
#include "numerics/numerics.h"

namespace {

float** fixed_matrix(int rows, int cols, unsigned seed) {
  float** m = numerics::matrix(0, rows - 1, 0, cols - 1);
  for (int i = 0; i < rows; ++i) {
    for (int j = 0; j < cols; ++j)
      m[i][j] = agreement::fixed_value(seed + static_cast<unsigned>(i * cols + j), -1.0f, 1.0f);
  }
  return m;
}

void release(float** m, int rows, int cols) { numerics::release_matrix(m, 0, rows - 1, 0, cols - 1); }

void agree_pseudo_inverse(const std::string& name, float** a, int n) {
  float** result = numerics::matrix(0, n - 1, 0, n - 1);
  const bool ok = numerics::pseudo_inverse(a, result, n);
  agreement::emit_ints("pseudo_inverse " + name + " result", {ok ? 1 : 0});
  agreement::emit("pseudo_inverse " + name, &result[0][0], n * n);
  release(result, n, n);
}

void agree_products() {
  float** a = fixed_matrix(5, 7, 500u);
  float** b = fixed_matrix(7, 3, 600u);
  float** c = numerics::matrix(0, 4, 0, 2);
  numerics::multiply_matrices(a, b, c, 5, 7, 3);
  agreement::emit("multiply_matrices", &c[0][0], 15);
  float** own = numerics::matrix(0, 4, 0, 4);
  numerics::multiply_by_own_transpose(a, own, 5, 7);
  agreement::emit("multiply_by_own_transpose", &own[0][0], 25);
  numerics::multiply_by_own_transpose_adapter(a, nullptr, own, 5, 0, 7);
  agreement::emit("multiply_by_own_transpose_adapter", &own[0][0], 25);
  float y[5];
  numerics::multiply_matrix_vector(a, b[0], y, 5, 3);
  agreement::emit("multiply_matrix_vector", y, 5);
  agreement::emit("dot_product", {numerics::dot_product(a[0], a[1], 7)});
  float** t = numerics::matrix(0, 6, 0, 4);
  numerics::transpose_matrix(a, t, 5, 7);
  agreement::emit("transpose_matrix", &t[0][0], 35);
  const float s[5] = {2.0f, -0.5f, 0.1f, 3.0f, -7.0f};
  numerics::scale_rows(s, a, 5, 7);
  agreement::emit("scale_rows", &a[0][0], 35);
  float** one_based = numerics::matrix(0, 5, 0, 7);
  for (int i = 0; i <= 5; ++i) {
    for (int j = 0; j <= 7; ++j) one_based[i][j] = -1.0f;
  }
  numerics::copy_matrix_rebased(a, one_based, 5, 7, 2);
  numerics::copy_matrix_rebased(a, one_based, 5, 7, 4);
  agreement::emit("copy_matrix_rebased 2", &one_based[0][0], 48);
  numerics::copy_matrix_rebased(one_based, t, 5, 7, 3);
  agreement::emit("copy_matrix_rebased 3", &t[0][0], 35);
  release(one_based, 6, 8);
  release(t, 7, 5);
  release(own, 5, 5);
  release(c, 5, 3);
  release(b, 7, 3);
  release(a, 5, 7);
}

}  // namespace

void agree_matrixops() {
  agree_products();
  for (int n : {1, 4, 9}) {
    float** a = fixed_matrix(n, n, 700u + static_cast<unsigned>(n));
    agree_pseudo_inverse("full " + agreement::number(n), a, n);
    if (n >= 3) {
      for (int i = 0; i < n; ++i) a[i][n - 1] = a[i][0] + a[i][1];
      agree_pseudo_inverse("deficient " + agreement::number(n), a, n);
    }
    for (int i = 0; i < n; ++i) {
      for (int j = 0; j < n; ++j) a[i][j] = 0.0f;
    }
    agree_pseudo_inverse("zero " + agreement::number(n), a, n);
    release(a, n, n);
  }
}
