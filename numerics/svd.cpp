// Singular value decomposition A = U·diag(w)·Vᵀ of a one-based float matrix (Householder
// bidiagonalisation followed by implicitly shifted QR sweeps), back-substitution through the
// decomposition, and the covariance matrix of fitted parameters.
//
// Speed without a changed bit: the Householder updates of independent columns and rows run in
// whatever order walks memory best, each sum still adding its terms in ascending index. The SSE2
// lanes carry independent elements (four columns of one update, or four rows of one set of sums or
// rotations, moved between rows and lanes by 4 × 4 transposes), each lane performing exactly the
// scalar float operations; the row updates y += x·factor take eight columns at a time where AVX2 is
// available. The portable scalar path does the same work for other processors.
#include <cmath>
#include <cstddef>

#include "numerics/numerics.h"
#include "numerics/precision.h"
#include "numerics/simd.h"

namespace numerics {

bool svd_not_converged = false;

namespace {

// Bidiagonal entries below this magnitude count as zero in the split search. The threshold is
// absolute on purpose: the decomposition's results are defined by this fixed test, which needs no norm
// of A, so entries below 1e-6 count as zero whatever the scale of A (scale A first for relative accuracy).
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

using detail::reciprocal_in_double;

// A reflection whose diagonal or superdiagonal value scale·g lies below about 3e-39 (subnormal, or
// zero after underflow) cannot be accumulated: the accumulation divides by that value, the quotient
// overflows to infinity, and U or V fill with NaN. Such a vector is negligible (its norm is below
// 1e-38), so it is cleared and the reflection skipped, as for a vector that is exactly zero. Above
// that size nothing changes.
bool too_small_to_reflect(float scale, float g) { return std::isinf(reciprocal_in_double(scale * g)); }

// Plane rotation of columns p and q over rows 1..rows: (p, q) <- (p·c + q·s, q·c − p·s).
void rotate_columns(float** m, int rows, int p, int q, float c, float s) {
  for (int j = 1; j <= rows; ++j) {
    const float y = m[j][p];
    const float z = m[j][q];
    m[j][p] = y * c + z * s;
    m[j][q] = z * c - y * s;
  }
}

// The kernels of add_multiple (run_lanes): y[j] = y[j] + x[j]·factor, lanes over consecutive j.
struct AddMultiple {
  static void step(int j, float* y, const float* x, float factor) { y[j] = y[j] + x[j] * factor; }
#if NUMERICS_LINALG_LANES
  static int sse2(int j, int last, float* y, const float* x, float factor) {
    const __m128 f = _mm_set1_ps(factor);
    for (; j + 3 <= last; j += 4) {
      _mm_storeu_ps(y + j, _mm_add_ps(_mm_loadu_ps(y + j), _mm_mul_ps(_mm_loadu_ps(x + j), f)));
    }
    return j;
  }
#endif
#if NUMERICS_LINALG_AVX2
  NUMERICS_AVX2_FUNCTION static int avx2(int j, int last, float* y, const float* x, float factor) {
    const __m256 f = _mm256_set1_ps(factor);
    for (; j + 7 <= last; j += 8) {
      _mm256_storeu_ps(y + j,
                       _mm256_add_ps(_mm256_loadu_ps(y + j), _mm256_mul_ps(_mm256_loadu_ps(x + j), f)));
    }
    return j;
  }
#endif
};

// y[j] = y[j] + x[j]·factor for j = first..last.
void add_multiple(float* y, const float* x, float factor, int first, int last) {
  detail::run_lanes<AddMultiple>(first, last, y, x, factor);
}

// One step of the running rotation of a row: the carried element y and row[q + 1] become row[q] and
// the new carried element.
inline void rotate_step(float* row, int q, float c, float s, float* y) {
  const float z = row[q + 1];
  row[q] = *y * c + z * s;
  *y = z * c - *y * s;
}

// Rotations q = from..count−1 of a row whose carried element is *y, then the carried element stored.
void finish_row(float* row, int from, int count, const float* c, const float* s, float y) {
  for (int q = from; q < count; ++q) rotate_step(row, q, c[q], s[q], &y);
  row[count] = y;
}

// The kernels of reflect_rows_below (run_lanes over the rows j): the sum t_j = Σ_{k=l..n} a[j][k]·a[i][k]
// in ascending k, then a[j][k] = a[j][k] + t_j·e[k]. The lanes hold four rows, whose sums run together.
struct ReflectRows {
  static void step(int j, float** a, int i, int n, const float* e) {
    const int l = i + 1;
    float t_j = 0.0f;
    for (int k = l; k <= n; ++k) t_j += a[j][k] * a[i][k];
    add_multiple(a[j], e, t_j, l, n);
  }
#if NUMERICS_LINALG_LANES
  static int sse2(int j, int last, float** a, int i, int n, const float* e) {
    for (; j + 7 <= last; j += 8) group<8>(a, j, i, n, e);
    for (; j + 3 <= last; j += 4) group<4>(a, j, i, n, e);
    return j;
  }

  // Rows j..j+kRows−1 (kRows a multiple of four): their sums, four rows to a lane group and four
  // columns at a time brought into lanes by a 4 × 4 transpose, then their updates. Several groups of
  // four run together to hide the latency of each chain of additions.
  template <int kRows>
  static void group(float** a, int j, int i, int n, const float* e) {
    constexpr std::size_t kGroups = kRows / 4;
    const float* const* rows = a + j;
    const float* x = a[i];
    const int l = i + 1;
    __m128 sum[kGroups];
    for (std::size_t g = 0; g < kGroups; ++g) sum[g] = _mm_setzero_ps();
    int k = l;
    for (; k + 3 <= n; k += 4) {
      const __m128 xs = _mm_loadu_ps(x + k);
      const __m128 x0 = _mm_shuffle_ps(xs, xs, _MM_SHUFFLE(0, 0, 0, 0));
      const __m128 x1 = _mm_shuffle_ps(xs, xs, _MM_SHUFFLE(1, 1, 1, 1));
      const __m128 x2 = _mm_shuffle_ps(xs, xs, _MM_SHUFFLE(2, 2, 2, 2));
      const __m128 x3 = _mm_shuffle_ps(xs, xs, _MM_SHUFFLE(3, 3, 3, 3));
      for (std::size_t g = 0; g < kGroups; ++g) {
        __m128 c0 = _mm_loadu_ps(rows[4 * g] + k);
        __m128 c1 = _mm_loadu_ps(rows[4 * g + 1] + k);
        __m128 c2 = _mm_loadu_ps(rows[4 * g + 2] + k);
        __m128 c3 = _mm_loadu_ps(rows[4 * g + 3] + k);
        _MM_TRANSPOSE4_PS(c0, c1, c2, c3);
        sum[g] = _mm_add_ps(sum[g], _mm_mul_ps(c0, x0));
        sum[g] = _mm_add_ps(sum[g], _mm_mul_ps(c1, x1));
        sum[g] = _mm_add_ps(sum[g], _mm_mul_ps(c2, x2));
        sum[g] = _mm_add_ps(sum[g], _mm_mul_ps(c3, x3));
      }
    }
    float t[static_cast<std::size_t>(kRows)];
    for (std::size_t g = 0; g < kGroups; ++g) _mm_storeu_ps(t + 4 * g, sum[g]);
    for (; k <= n; ++k) {
      for (int r = 0; r < kRows; ++r) t[r] = t[r] + rows[r][k] * x[k];
    }
    for (int r = 0; r < kRows; ++r) add_multiple(a[j + r], e, t[r], l, n);
  }
#endif
};

// The kernels of rotate_adjacent_columns (run_lanes over the rows r): the rotations q = 0..count−1 of
// the column pairs (first + q, first + q + 1) of row r, in this order.
struct RotateRows {
  static void step(int r, float** m, int first, int count, const float* c, const float* s) {
    finish_row(m[r] + first, 0, count, c, s, m[r][first]);
  }
#if NUMERICS_LINALG_LANES
  // Rows whose rotations run together in SSE2 lanes, four rows to a lane group.
  static constexpr int kGroupRows = 8;

  static int sse2(int r, int last, float** m, int first, int count, const float* c, const float* s) {
    __m128 cs[kRotationBlock], sn[kRotationBlock];
    for (int q = 0; q < count; ++q) {
      cs[q] = _mm_set1_ps(c[q]);
      sn[q] = _mm_set1_ps(s[q]);
    }
    float* rows[kGroupRows];
    for (; r + kGroupRows - 1 <= last; r += kGroupRows) {
      for (int k = 0; k < kGroupRows; ++k) rows[k] = m[r + k] + first;
      group<kGroupRows>(rows, count, cs, sn, c, s);
    }
    for (; r + 3 <= last; r += 4) {
      for (int k = 0; k < 4; ++k) rows[k] = m[r + k] + first;
      group<4>(rows, count, cs, sn, c, s);
    }
    return r;
  }

  // kRows rows (a multiple of four; row pointers offset to the block's first column); cs and sn hold
  // each rotation's parameters in all four lanes. The lanes hold four rows and carry their running
  // elements; four columns at a time come into lanes by a 4 × 4 transpose and go back the same way
  // after four rotation steps. Several groups of four rows run together to hide each chain's latency.
  template <int kRows>
  static void group(float* const* rows, int count, const __m128* cs, const __m128* sn, const float* c,
                    const float* s) {
    constexpr std::size_t kGroups = kRows / 4;
    __m128 y[kGroups];
    for (std::size_t g = 0; g < kGroups; ++g)
      y[g] = _mm_setr_ps(rows[4 * g][0], rows[4 * g + 1][0], rows[4 * g + 2][0], rows[4 * g + 3][0]);
    int q = 0;
    for (; q + 4 <= count; q += 4) {
      for (std::size_t g = 0; g < kGroups; ++g) {
        __m128 z[4];
        for (std::size_t r = 0; r < 4; ++r) z[r] = _mm_loadu_ps(rows[4 * g + r] + q + 1);
        _MM_TRANSPOSE4_PS(z[0], z[1], z[2], z[3]);
        for (int t = 0; t < 4; ++t) {
          const __m128 out = _mm_add_ps(_mm_mul_ps(y[g], cs[q + t]), _mm_mul_ps(z[t], sn[q + t]));
          y[g] = _mm_sub_ps(_mm_mul_ps(z[t], cs[q + t]), _mm_mul_ps(y[g], sn[q + t]));
          z[t] = out;
        }
        _MM_TRANSPOSE4_PS(z[0], z[1], z[2], z[3]);
        for (std::size_t r = 0; r < 4; ++r) _mm_storeu_ps(rows[4 * g + r] + q, z[r]);
      }
    }
    float carried[static_cast<std::size_t>(kRows)];
    for (std::size_t g = 0; g < kGroups; ++g) _mm_storeu_ps(carried + 4 * g, y[g]);
    for (int r = 0; r < kRows; ++r) finish_row(rows[r], q, count, c, s, carried[r]);
  }
#endif
};

// Plane rotations q = 0..count−1 of the column pairs (first + q, first + q + 1), in this order, over
// rows 1..rows. Going row by row gives every element the same rotations in the same order as one pass
// over all rows per rotation would (reference::svd_decompose rotates whole columns).
void rotate_adjacent_columns(float** m, int rows, int first, int count, const float* c, const float* s) {
  detail::run_lanes<RotateRows>(1, rows, m, first, count, c, s);
}

// A Householder vector x(first..last) ready to apply: its scale (the sum of its magnitudes), g and h.
struct Reflector {
  float scale;
  float g;
  float h;
};

// The set-up shared by the column and the row reflection: the vector x(first..last) is divided by its
// scale, s = Σ x², g = −sign(√s, x(first)), h = x(first)·g − s, and x(first) becomes x(first) − g.
// Returns false, with nothing left to apply, for a zero vector and for one too small to reflect (which
// is then cleared). Element(k) gives the k-th element by reference.
template <typename Element>
bool set_up_reflection(Element x, int first, int last, Reflector* r) {
  float scale = 0.0f;
  for (int k = first; k <= last; ++k) scale += std::fabs(x(k));
  if (scale == 0.0f) return false;
  float s = 0.0f;
  for (int k = first; k <= last; ++k) {
    x(k) /= scale;
    s += x(k) * x(k);
  }
  const float f = x(first);
  const float g = -sign_of(std::sqrt(s), f);
  if (too_small_to_reflect(scale, g)) {
    for (int k = first; k <= last; ++k) x(k) = 0.0f;
    return false;
  }
  *r = Reflector{scale, g, f * g - s};
  x(first) = f - g;
  return true;
}

// Householder reflection of column i (rows i..m) applied to columns i+1..n, with e[i+1..n] (not yet
// in use) holding the factors t_j / h. The sums t_j = Σ_k a[k][i]·a[k][j] of all columns are
// accumulated row by row, each in ascending k. Returns the diagonal value scale·g.
float reflect_column(float** a, int m, int n, int i, float* e) {
  Reflector r{};
  if (!set_up_reflection([a, i](int k) -> float& { return a[k][i]; }, i, m, &r)) return 0.0f;
  const int l = i + 1;
  for (int j = l; j <= n; ++j) e[j] = 0.0f;
  for (int k = i; k <= m; ++k) add_multiple(e, a[k], a[k][i], l, n);
  for (int j = l; j <= n; ++j) e[j] /= r.h;
  for (int k = i; k <= m; ++k) add_multiple(a[k], e, a[k][i], l, n);
  for (int k = i; k <= m; ++k) a[k][i] *= r.scale;
  return r.scale * r.g;
}

// The sums t_j = Σ_{k=l..n} a[j][k]·a[i][k] of rows j = l..m, each in ascending k, and the updates
// a[j][k] = a[j][k] + t_j·e[k]. Each row's sum reads only its own row and row i, so rows go in groups.
void reflect_rows_below(float** a, int m, int n, int i, const float* e) {
  detail::run_lanes<ReflectRows>(i + 1, m, a, i, n, e);
}

// Householder reflection of row i (columns i+1..n) applied to rows i+1..m; e[i+1..n] serves as
// scratch. Returns the superdiagonal value scale·g of the bidiagonal form.
float reflect_row(float** a, int m, int n, int i, float* e) {
  const int l = i + 1;
  float* row = a[i];
  Reflector r{};
  if (!set_up_reflection([row](int k) -> float& { return row[k]; }, l, n, &r)) return 0.0f;
  for (int k = l; k <= n; ++k) e[k] = row[k] / r.h;
  reflect_rows_below(a, m, n, i, e);
  for (int k = l; k <= n; ++k) row[k] *= r.scale;
  return r.scale * r.g;
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
  for (int k = l; k <= n; ++k) add_multiple(t, v[k], a[i][k], l, n);
  for (int k = l; k <= n; ++k) add_multiple(v[k], t, v[k][i], l, n);
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
  for (int k = l; k <= m; ++k) add_multiple(f, a[k], a[k][i], l, n);
  const float aii = a[i][i];
  for (int j = l; j <= n; ++j) f[j] = (f[j] / aii) * g;
  for (int k = l; k <= m; ++k) add_multiple(a[k], f, a[k][i], l, n);
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

// The steps of reference::svd_decompose, reordered: the updates of independent columns and rows go in
// whatever order and lanes walk memory best, while each element still gets the same float operations
// in the same order and each sum adds its terms in ascending index, so every bit is the reference's.
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
