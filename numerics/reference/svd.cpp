// The singular value decomposition in its plain step order: Householder bidiagonalisation, the
// accumulation of the right-hand and left-hand reflections, and implicitly shifted QR sweeps, each sum
// running down a column and each rotation over all rows before the next. numerics::svd_decompose
// reorders these updates for speed and gives the same bits; the steps around them are shared
// (numerics/svd_steps.h).
#include "numerics/numerics.h"
#include "numerics/reference/reference.h"
#include "numerics/svd_steps.h"

namespace numerics {
namespace reference {
namespace {

// The updates of the decomposition, one column, row or rotation at a time.
struct PlainSteps {
  // The reflection of column i (rows i..m) applied to the columns right of it, one at a time.
  static void apply_column_reflection(float** a, int m, int n, int i, float h, float*) {
    for (int j = i + 1; j <= n; ++j) {
      float t = 0.0f;
      for (int k = i; k <= m; ++k) t += a[k][i] * a[k][j];
      const float factor = t / h;
      for (int k = i; k <= m; ++k) a[k][j] += factor * a[k][i];
    }
  }

  // The reflection of row i, e[i+1..n] divided by h, applied to the rows below it, one at a time.
  static void apply_row_reflection(float** a, int m, int n, int i, const float* e) {
    const int l = i + 1;
    for (int j = l; j <= m; ++j) {
      float t = 0.0f;
      for (int k = l; k <= n; ++k) t += a[j][k] * a[i][k];
      for (int k = l; k <= n; ++k) a[j][k] += t * e[k];
    }
  }

  // The right-hand reflection of row i (held in column i of v) applied to columns i+1..n of v.
  static void apply_right_reflection(float** a, int n, int i, float** v) {
    const int l = i + 1;
    for (int j = l; j <= n; ++j) {
      float t = 0.0f;
      for (int k = l; k <= n; ++k) t += a[i][k] * v[k][j];
      for (int k = l; k <= n; ++k) v[k][j] += t * v[k][i];
    }
  }

  // The left-hand reflection of column i applied to columns i+1..n of a, g the reciprocal of w[i].
  static void apply_left_reflection(float** a, int m, int n, int i, float g) {
    const int l = i + 1;
    for (int j = l; j <= n; ++j) {
      float t = 0.0f;
      for (int k = l; k <= m; ++k) t += a[k][i] * a[k][j];
      const float f = (t / a[i][i]) * g;
      for (int k = i; k <= m; ++k) a[k][j] += f * a[k][i];
    }
  }

  // One implicitly shifted QR sweep over the block l..k, each rotation applied to V and U as it is
  // formed.
  static void qr_sweep(float** a, int m, int n, float* w, float* e, float** v, int l, int k) {
    svd_steps::Sweep sweep = svd_steps::start_sweep(w, e, l, k);
    for (int j = l; j <= k - 1; ++j) {
      float vc = 0.0f, vs = 0.0f, uc = 0.0f, us = 0.0f;
      svd_steps::chase_bulge(w, e, j, &sweep, &vc, &vs, &uc, &us);
      svd_steps::rotate_columns(v, n, j, j + 1, vc, vs);
      svd_steps::rotate_columns(a, m, j, j + 1, uc, us);
    }
    svd_steps::finish_sweep(w, e, l, k, sweep);
  }
};

}  // namespace

void svd_decompose(float** a, int m, int n, float* w, float** v) {
  svd_steps::decompose<PlainSteps>(a, m, n, w, v);
}

}  // namespace reference
}  // namespace numerics
