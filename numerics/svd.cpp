// Singular value decomposition A = U·diag(w)·Vᵀ of a one-based float matrix (Householder
// bidiagonalisation followed by implicitly shifted QR sweeps), back-substitution through the
// decomposition, and the covariance matrix of fitted parameters.
#include <cmath>

#include "numerics/numerics.h"

namespace numerics {

bool svd_not_converged = false;

namespace {

// Bidiagonal entries below this magnitude count as zero in the split search. The threshold is
// absolute: it does not scale with the entries of the matrix.
constexpr float kSplitThreshold = 1.0e-6f;
// QR sweeps allowed for one singular value before the decomposition is marked as not converged.
constexpr int kMaxIterations = 100;
// Rotations of one QR sweep whose parameters are gathered before they are applied to U and V row by
// row (a row is contiguous; a column is not).
constexpr int kRotationBlock = 32;

// |magnitude| carrying the sign of `sign` (a zero `sign` counts as positive).
float sign_of(float magnitude, float sign) {
  return sign >= 0.0f ? std::fabs(magnitude) : -std::fabs(magnitude);
}

// 1/x formed in double from the float x and rounded once to float.
float reciprocal_in_double(float x) { return static_cast<float>(1.0 / static_cast<double>(x)); }

// Plane rotation of columns p and q over rows 1..rows: (p, q) <- (p·c + q·s, q·c − p·s).
void rotate_columns(float** m, int rows, int p, int q, float c, float s) {
  for (int j = 1; j <= rows; ++j) {
    const float y = m[j][p];
    const float z = m[j][q];
    m[j][p] = y * c + z * s;
    m[j][q] = z * c - y * s;
  }
}

// One step of the running rotation of a row: the carried element y and row[q + 1] become row[q] and
// the new carried element.
inline void rotate_step(float* row, int q, float c, float s, float* y) {
  const float z = row[q + 1];
  row[q] = *y * c + z * s;
  *y = z * c - *y * s;
}

// Plane rotations q = 0..count−1 of the column pairs (first + q, first + q + 1), in this order, over
// rows 1..rows. Going row by row gives every element the same rotations in the same order as one pass
// over all rows per rotation would. Four rows go together: their chains of dependent steps are
// independent of each other, which hides the latency of each step.
void rotate_adjacent_columns(float** m, int rows, int first, int count, const float* c, const float* s) {
  int r = 1;
  for (; r + 3 <= rows; r += 4) {
    float* p0 = m[r] + first;
    float* p1 = m[r + 1] + first;
    float* p2 = m[r + 2] + first;
    float* p3 = m[r + 3] + first;
    float y0 = p0[0], y1 = p1[0], y2 = p2[0], y3 = p3[0];
    for (int q = 0; q < count; ++q) {
      rotate_step(p0, q, c[q], s[q], &y0);
      rotate_step(p1, q, c[q], s[q], &y1);
      rotate_step(p2, q, c[q], s[q], &y2);
      rotate_step(p3, q, c[q], s[q], &y3);
    }
    p0[count] = y0, p1[count] = y1, p2[count] = y2, p3[count] = y3;
  }
  for (; r <= rows; ++r) {
    float* p = m[r] + first;
    float y = p[0];
    for (int q = 0; q < count; ++q) rotate_step(p, q, c[q], s[q], &y);
    p[count] = y;
  }
}

// Householder reflection of column i (rows i..m) applied to columns i+1..n, with e[i+1..n] (not yet
// in use) holding the factors t_j / h. The sums t_j = Σ_k a[k][i]·a[k][j] of all columns are
// accumulated row by row, each in ascending k. Returns the diagonal value scale·g.
float reflect_column(float** a, int m, int n, int i, float* e) {
  float scale = 0.0f;
  for (int k = i; k <= m; ++k) scale += std::fabs(a[k][i]);
  if (scale == 0.0f) return 0.0f;
  float s = 0.0f;
  for (int k = i; k <= m; ++k) {
    a[k][i] /= scale;
    s += a[k][i] * a[k][i];
  }
  const float f = a[i][i];
  const float g = -sign_of(std::sqrt(s), f);
  const float h = f * g - s;
  a[i][i] = f - g;
  const int l = i + 1;
  for (int j = l; j <= n; ++j) e[j] = 0.0f;
  for (int k = i; k <= m; ++k) {
    const float aki = a[k][i];
    const float* row = a[k];
    for (int j = l; j <= n; ++j) e[j] += aki * row[j];
  }
  for (int j = l; j <= n; ++j) e[j] /= h;
  for (int k = i; k <= m; ++k) {
    const float aki = a[k][i];
    float* row = a[k];
    for (int j = l; j <= n; ++j) row[j] += e[j] * aki;
  }
  for (int k = i; k <= m; ++k) a[k][i] *= scale;
  return scale * g;
}

// Householder reflection of row i (columns i+1..n) applied to rows i+1..m; e[i+1..n] serves as
// scratch. Returns the superdiagonal value scale·g of the bidiagonal form.
float reflect_row(float** a, int m, int n, int i, float* e) {
  const int l = i + 1;
  float scale = 0.0f;
  for (int k = l; k <= n; ++k) scale += std::fabs(a[i][k]);
  if (scale == 0.0f) return 0.0f;
  float s = 0.0f;
  for (int k = l; k <= n; ++k) {
    a[i][k] /= scale;
    s += a[i][k] * a[i][k];
  }
  const float f = a[i][l];
  const float g = -sign_of(std::sqrt(s), f);
  const float h = f * g - s;
  a[i][l] = f - g;
  for (int k = l; k <= n; ++k) e[k] = a[i][k] / h;
  for (int j = l; j <= m; ++j) {
    float t = 0.0f;
    for (int k = l; k <= n; ++k) t += a[j][k] * a[i][k];
    for (int k = l; k <= n; ++k) a[j][k] += t * e[k];
  }
  for (int k = l; k <= n; ++k) a[i][k] *= scale;
  return scale * g;
}

// Reduces a to upper bidiagonal form, diagonal in w[1..n], superdiagonal in e[2..n].
void bidiagonalise(float** a, int m, int n, float* w, float* e) {
  float superdiagonal = 0.0f;
  for (int i = 1; i <= n; ++i) {
    e[i] = superdiagonal;
    w[i] = i <= m ? reflect_column(a, m, n, i, e) : 0.0f;
    superdiagonal = (i <= m && i != n) ? reflect_row(a, m, n, i, e) : 0.0f;
  }
}

// Applies the reflection of row i of a to columns i+1..n of v. Row i of v, cleared afterwards, holds
// the sums t_j = Σ_k a[i][k]·v[k][j], accumulated row by row, each in ascending k.
void reflect_into_v(const float* const* a, int n, int i, float g, float** v) {
  const int l = i + 1;
  for (int j = l; j <= n; ++j) v[j][i] = (a[i][j] / a[i][l]) / g;
  float* t = v[i];
  for (int j = l; j <= n; ++j) t[j] = 0.0f;
  for (int k = l; k <= n; ++k) {
    const float aik = a[i][k];
    const float* row = v[k];
    for (int j = l; j <= n; ++j) t[j] += aik * row[j];
  }
  for (int k = l; k <= n; ++k) {
    const float vki = v[k][i];
    float* row = v[k];
    for (int j = l; j <= n; ++j) row[j] += t[j] * vki;
  }
}

// Accumulates the right-hand reflections into v.
void accumulate_right(float** a, int n, const float* e, float** v) {
  float g = 0.0f;
  int l = n + 1;
  for (int i = n; i >= 1; --i) {
    if (i < n) {
      if (g != 0.0f) reflect_into_v(a, n, i, g, v);
      for (int j = l; j <= n; ++j) {
        v[i][j] = 0.0f;
        v[j][i] = 0.0f;
      }
    }
    v[i][i] = 1.0f;
    g = e[i];
    l = i;
  }
}

// Applies the reflection of column i to columns i+1..n of a, g being the reciprocal of w[i]. Row i,
// just cleared, holds the sums t_j = Σ_{k>i} a[k][i]·a[k][j] (row by row, each in ascending k) and
// then the factors f_j; its own update 0 + f_j·a[i][i] comes last.
void reflect_left_column(float** a, int m, int n, int i, float g) {
  const int l = i + 1;
  float* f = a[i];
  for (int k = l; k <= m; ++k) {
    const float aki = a[k][i];
    const float* row = a[k];
    for (int j = l; j <= n; ++j) f[j] += aki * row[j];
  }
  const float aii = a[i][i];
  for (int j = l; j <= n; ++j) f[j] = (f[j] / aii) * g;
  for (int k = l; k <= m; ++k) {
    const float aki = a[k][i];
    float* row = a[k];
    for (int j = l; j <= n; ++j) row[j] += f[j] * aki;
  }
  // The explicit 0 + keeps the sign of a zero exactly as an update of the cleared element gives it.
  for (int j = l; j <= n; ++j) f[j] = 0.0f + f[j] * aii;
}

// Accumulates the left-hand reflections into a, which then holds U. The column of a zero
// diagonal value is cleared before the 1 is added, so it is never divided by.
void accumulate_left(float** a, int m, int n, const float* w) {
  for (int i = (m < n ? m : n); i >= 1; --i) {
    const int l = i + 1;
    float g = w[i];
    for (int j = l; j <= n; ++j) a[i][j] = 0.0f;
    if (g != 0.0f) {
      g = reciprocal_in_double(g);
      reflect_left_column(a, m, n, i, g);
      for (int j = i; j <= m; ++j) a[j][i] *= g;
    } else {
      for (int j = i; j <= m; ++j) a[j][i] = 0.0f;
    }
    a[i][i] += 1.0f;
  }
}

// Split search for the bottom block ending at k. Returns its first index l; *cancel is true when
// w[l−1] is negligible and e[l] must first be chased out by cancel_superdiagonal. e[1] is always 0,
// so the search stops at l = 1 at the latest and w[0] is never read.
int find_split(const float* w, const float* e, int k, bool* cancel) {
  *cancel = true;
  int l = k;
  for (; l >= 1; --l) {
    if (std::fabs(e[l]) < kSplitThreshold) {
      *cancel = false;
      break;
    }
    if (std::fabs(w[l - 1]) < kSplitThreshold) break;
  }
  return l;
}

// Removes e[l..k] against the negligible w[l−1] by rotations applied to the columns of U.
void cancel_superdiagonal(float** a, int m, float* w, float* e, int l, int k) {
  const int pr = l - 1;
  float cs = 0.0f;
  float sn = 1.0f;
  for (int i = l; i <= k; ++i) {
    const float f = sn * e[i];
    e[i] = cs * e[i];
    if (std::fabs(f) < kSplitThreshold) break;
    const float g = w[i];
    float h = safe_hypot(f, g);
    w[i] = h;
    h = reciprocal_in_double(h);
    cs = g * h;
    sn = -f * h;
    rotate_columns(a, m, pr, i, cs, sn);
  }
}

// State carried from one rotation of a QR sweep to the next.
struct Sweep {
  float f, x, cs, sn;
};

// Chases the bulge from j to j + 1: updates e[j], w[j] and the sweep state and returns the parameters
// of the rotation of V (vc, vs) and of U (uc, us) for the column pair (j, j + 1).
void chase_bulge(float* w, float* e, int j, Sweep* s, float* vc, float* vs, float* uc, float* us) {
  const int i = j + 1;
  float g = e[i];
  float y = w[i];
  float h = s->sn * g;
  g = s->cs * g;
  float z = safe_hypot(s->f, h);
  e[j] = z;
  s->cs = s->f / z;
  s->sn = h / z;
  const float f = s->x * s->cs + g * s->sn;
  g = g * s->cs - s->x * s->sn;
  h = y * s->sn;
  y = y * s->cs;
  *vc = s->cs;
  *vs = s->sn;
  z = safe_hypot(f, h);
  w[j] = z;
  if (z != 0.0f) {
    z = reciprocal_in_double(z);
    s->cs = f * z;
    s->sn = h * z;
  }
  s->f = s->cs * g + s->sn * y;
  s->x = s->cs * y - s->sn * g;
  *uc = s->cs;
  *us = s->sn;
}

// One implicitly shifted QR sweep over the block l..k, the shift taken from its bottom 2×2 minor. The
// rotations depend only on w and e, so they are gathered kRotationBlock at a time and then applied
// to V and U.
void qr_sweep(float** a, int m, int n, float* w, float* e, float** v, int l, int k) {
  const float x = w[l];
  const int pr = k - 1;
  const float y = w[pr];
  const float z = w[k];
  float g = e[pr];
  const float h = e[k];
  float f = ((y - z) * (y + z) + (g - h) * (g + h)) / (2.0f * h * y);
  g = safe_hypot(f, 1.0f);
  f = ((x - z) * (x + z) + h * (y / (f + sign_of(g, f)) - h)) / x;
  Sweep sweep{f, x, 1.0f, 1.0f};
  float vc[kRotationBlock], vs[kRotationBlock], uc[kRotationBlock], us[kRotationBlock];
  for (int first = l; first <= pr; first += kRotationBlock) {
    const int count = pr - first + 1 < kRotationBlock ? pr - first + 1 : kRotationBlock;
    for (int q = 0; q < count; ++q) chase_bulge(w, e, first + q, &sweep, &vc[q], &vs[q], &uc[q], &us[q]);
    rotate_adjacent_columns(v, n, first, count, vc, vs);
    rotate_adjacent_columns(a, m, first, count, uc, us);
  }
  e[l] = 0.0f;
  e[k] = sweep.f;
  w[k] = sweep.x;
}

// Diagonalises the bidiagonal form, one singular value at a time from the bottom.
void diagonalise(float** a, int m, int n, float* w, float* e, float** v) {
  for (int k = n; k >= 1; --k) {
    for (int iter = 1; iter <= kMaxIterations; ++iter) {
      bool cancel = true;
      const int l = find_split(w, e, k, &cancel);
      if (cancel) cancel_superdiagonal(a, m, w, e, l, k);
      if (l == k) {
        if (w[k] < 0.0f) {
          w[k] = -w[k];
          for (int j = 1; j <= n; ++j) v[j][k] = -v[j][k];
        }
        break;
      }
      if (iter == kMaxIterations) svd_not_converged = true;
      qr_sweep(a, m, n, w, e, v, l, k);
    }
  }
}

}  // namespace

float safe_hypot(float a, float b) {
  const float abs_a = std::fabs(a);
  const float abs_b = std::fabs(b);
  // The ratio is squared in float; 1 + r² and its root are taken in double and the root rounded to
  // float before the multiplication by the larger magnitude, which keeps the result from overflowing.
  if (abs_a > abs_b) {
    const float r = abs_b / abs_a;
    return abs_a * static_cast<float>(std::sqrt(1.0 + static_cast<double>(r * r)));
  }
  if (abs_b == 0.0f) return 0.0f;
  const float r = abs_a / abs_b;
  return abs_b * static_cast<float>(std::sqrt(1.0 + static_cast<double>(r * r)));
}

void svd_decompose(float** a, int m, int n, float* w, float** v) {
  svd_not_converged = false;
  float* e = vector(1, n);
  bidiagonalise(a, m, n, w, e);
  accumulate_right(a, n, e, v);
  accumulate_left(a, m, n, w);
  diagonalise(a, m, n, w, e, v);
  release_vector(e, 1, n);
}

void svd_solve(const float* const* u, const float* w, const float* const* v, int m, int n, const float* b,
               float* x) {
  float* t = vector(1, n);
  for (int j = 1; j <= n; ++j) {
    t[j] = 0.0f;
    if (w[j] != 0.0f) {
      float s = 0.0f;
      for (int i = 1; i <= m; ++i) s += u[i][j] * b[i];
      t[j] = s / w[j];
    }
  }
  for (int j = 1; j <= n; ++j) {
    float s = 0.0f;
    for (int jj = 1; jj <= n; ++jj) s += v[j][jj] * t[jj];
    x[j] = s;
  }
  release_vector(t, 1, n);
}

void svd_covariance(const float* const* v, int nparams, const float* w, float** covariance) {
  float* r = vector(1, nparams);
  for (int i = 1; i <= nparams; ++i) {
    r[i] = 0.0f;
    // The square is a float product; only its reciprocal is taken in double.
    if (w[i] != 0.0f) r[i] = reciprocal_in_double(w[i] * w[i]);
  }
  for (int i = 1; i <= nparams; ++i) {
    for (int j = 1; j <= i; ++j) {
      float t = 0.0f;
      for (int k = 1; k <= nparams; ++k) t += (v[i][k] * v[j][k]) * r[k];
      covariance[i][j] = t;
      covariance[j][i] = t;
    }
  }
  release_vector(r, 1, nparams);
}

}  // namespace numerics
