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
#include "numerics/svd_steps.h"

namespace numerics {

bool svd_not_converged = false;

namespace {

// Rotations of one QR sweep whose parameters are gathered before they are applied to U and V row by
// row (a row is contiguous; a column is not).
constexpr int kRotationBlock = 32;

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

  static int sse2(int r, int last, float** m, int first, int count, const float* c, const float* s);

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

#if NUMERICS_LINALG_LANES
// Defined apart from the class, so that it is no inline candidate of its own: its groups are inlined
// into it, and it stays one call from the QR sweep.
int RotateRows::sse2(int r, int last, float** m, int first, int count, const float* c, const float* s) {
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
#endif

// Plane rotations q = 0..count−1 of the column pairs (first + q, first + q + 1), in this order, over
// rows 1..rows. Going row by row gives every element the same rotations in the same order as one pass
// over all rows per rotation would (reference::svd_decompose rotates whole columns).
void rotate_adjacent_columns(float** m, int rows, int first, int count, const float* c, const float* s) {
  detail::run_lanes<RotateRows>(1, rows, m, first, count, c, s);
}

// The updates of reference::svd_decompose, reordered: sums gathered row by row (each still adding its
// terms in ascending index) and updates in lanes, so that every element gets the same operations.
struct FastSteps {
  // The reflection of column i applied to columns i+1..n, with e[i+1..n] holding the factors t_j / h.
  // The sums t_j = Σ_k a[k][i]·a[k][j] of all columns are accumulated row by row, each in ascending k.
  static void apply_column_reflection(float** a, int m, int n, int i, float h, float* e) {
    const int l = i + 1;
    for (int j = l; j <= n; ++j) e[j] = 0.0f;
    for (int k = i; k <= m; ++k) add_multiple(e, a[k], a[k][i], l, n);
    for (int j = l; j <= n; ++j) e[j] /= h;
    for (int k = i; k <= m; ++k) add_multiple(a[k], e, a[k][i], l, n);
  }

  // The sums t_j = Σ_{k=l..n} a[j][k]·a[i][k] of rows j = l..m, each in ascending k, and the updates
  // a[j][k] = a[j][k] + t_j·e[k]. Each row's sum reads only its own row and row i, so rows go in groups.
  static void apply_row_reflection(float** a, int m, int n, int i, const float* e) {
    detail::run_lanes<ReflectRows>(i + 1, m, a, i, n, e);
  }

  // The reflection held in column i of v applied to columns i+1..n of v. Row i of v, cleared
  // afterwards, holds the sums t_j = Σ_k a[i][k]·v[k][j], accumulated row by row, each in ascending k.
  static void apply_right_reflection(float** a, int n, int i, float** v) {
    const int l = i + 1;
    float* t = v[i];
    for (int j = l; j <= n; ++j) t[j] = 0.0f;
    for (int k = l; k <= n; ++k) add_multiple(t, v[k], a[i][k], l, n);
    for (int k = l; k <= n; ++k) add_multiple(v[k], t, v[k][i], l, n);
  }

  // The reflection of column i applied to columns i+1..n of a. Row i, just cleared, holds the sums
  // t_j = Σ_{k>i} a[k][i]·a[k][j] (row by row, each in ascending k) and then the factors f_j; its own
  // update 0 + f_j·a[i][i] comes last.
  static void apply_left_reflection(float** a, int m, int n, int i, float g) {
    const int l = i + 1;
    float* f = a[i];
    for (int k = l; k <= m; ++k) add_multiple(f, a[k], a[k][i], l, n);
    const float aii = a[i][i];
    for (int j = l; j <= n; ++j) f[j] = (f[j] / aii) * g;
    for (int k = l; k <= m; ++k) add_multiple(a[k], f, a[k][i], l, n);
    // The explicit 0 + keeps the sign of a zero exactly as an update of the cleared element gives it.
    for (int j = l; j <= n; ++j) f[j] = 0.0f + f[j] * aii;
  }

  // One QR sweep over the block l..k. The rotations depend only on w and e, so they are gathered
  // kRotationBlock at a time and then applied to V and U row by row.
  static void qr_sweep(float** a, int m, int n, float* w, float* e, float** v, int l, int k) {
    svd_steps::Sweep sweep = svd_steps::start_sweep(w, e, l, k);
    float vc[kRotationBlock], vs[kRotationBlock], uc[kRotationBlock], us[kRotationBlock];
    for (int first = l; first < k; first += kRotationBlock) {
      const int count = k - first < kRotationBlock ? k - first : kRotationBlock;
      for (int q = 0; q < count; ++q)
        svd_steps::chase_bulge(w, e, first + q, &sweep, &vc[q], &vs[q], &uc[q], &us[q]);
      rotate_adjacent_columns(v, n, first, count, vc, vs);
      rotate_adjacent_columns(a, m, first, count, uc, us);
    }
    svd_steps::finish_sweep(w, e, l, k, sweep);
  }
};

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
  svd_steps::decompose<FastSteps>(a, m, n, w, v);
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
    if (w[i] != 0.0f) r[i] = detail::reciprocal_in_double(w[i] * w[i]);
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
