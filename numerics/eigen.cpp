// Eigenvalues and eigenvectors of a real symmetric float matrix by cyclic Jacobi rotations, and the
// descending sort of the resulting eigenpairs.
//
// Speed without a changed bit: the pairs that one rotation updates are independent of each other,
// so they are updated eight (AVX2, two rows) or four (SSE2) at a time, each lane the same float
// operations as the scalar rotation. Pairs on two rows are loaded as they lie; pairs on a column of the upper
// triangle are gathered from four rows. The eigenvector matrix holds its transpose while the sweeps run, so
// that the two eigenvectors of a rotation are rows, and it is transposed in place before the return.
#include <cmath>
#include <utility>

#include "numerics/jacobi_steps.h"
#include "numerics/numerics.h"
#include "numerics/precision.h"
#include "numerics/simd.h"

namespace numerics {
namespace {

using jacobi_steps::rotate_pair;
using jacobi_steps::Rotation;

#if NUMERICS_LINALG_LANES
// The rotation of four pairs, lane by lane the operations of rotate_pair.
inline void rotate_lanes(__m128* x, __m128* y, __m128 s, __m128 tau) {
  const __m128 old_x = *x;
  const __m128 old_y = *y;
  *x = _mm_sub_ps(old_x, _mm_mul_ps(s, _mm_add_ps(old_y, _mm_mul_ps(old_x, tau))));
  *y = _mm_add_ps(old_y, _mm_mul_ps(s, _mm_sub_ps(old_x, _mm_mul_ps(old_y, tau))));
}

// Element column of rows first..first+3, as four lanes.
inline __m128 gather_column(float** m, int first, int column) {
  const __m128 low = _mm_unpacklo_ps(_mm_load_ss(&m[first][column]), _mm_load_ss(&m[first + 1][column]));
  const __m128 high = _mm_unpacklo_ps(_mm_load_ss(&m[first + 2][column]), _mm_load_ss(&m[first + 3][column]));
  return _mm_movelh_ps(low, high);
}

inline void scatter_column(float** m, int first, int column, __m128 v) {
  _mm_store_ss(&m[first][column], v);
  _mm_store_ss(&m[first + 1][column], _mm_shuffle_ps(v, v, _MM_SHUFFLE(1, 1, 1, 1)));
  _mm_store_ss(&m[first + 2][column], _mm_movehl_ps(v, v));
  _mm_store_ss(&m[first + 3][column], _mm_shuffle_ps(v, v, _MM_SHUFFLE(3, 3, 3, 3)));
}
#endif

// The kernels of rotate_rows (run_lanes): the pairs (x[j], y[j]) of two rows, loaded as they lie.
struct RotateRows {
  static void step(int j, float* x, float* y, Rotation r) { rotate_pair(x[j], y[j], r); }
#if NUMERICS_LINALG_LANES
  static int sse2(int j, int last, float* x, float* y, Rotation r) {
    const __m128 s = _mm_set1_ps(r.s);
    const __m128 tau = _mm_set1_ps(r.tau);
    for (; j + 3 <= last; j += 4) {
      __m128 vx = _mm_loadu_ps(x + j);
      __m128 vy = _mm_loadu_ps(y + j);
      rotate_lanes(&vx, &vy, s, tau);
      _mm_storeu_ps(x + j, vx);
      _mm_storeu_ps(y + j, vy);
    }
    return j;
  }
#endif
#if NUMERICS_LINALG_AVX2
  NUMERICS_AVX2_FUNCTION static int avx2(int j, int last, float* x, float* y, Rotation r) {
    const __m256 s = _mm256_set1_ps(r.s);
    const __m256 tau = _mm256_set1_ps(r.tau);
    for (; j + 7 <= last; j += 8) {
      const __m256 old_x = _mm256_loadu_ps(x + j);
      const __m256 old_y = _mm256_loadu_ps(y + j);
      _mm256_storeu_ps(
          x + j, _mm256_sub_ps(old_x, _mm256_mul_ps(s, _mm256_add_ps(old_y, _mm256_mul_ps(old_x, tau)))));
      _mm256_storeu_ps(
          y + j, _mm256_add_ps(old_y, _mm256_mul_ps(s, _mm256_sub_ps(old_x, _mm256_mul_ps(old_y, tau)))));
    }
    return j;
  }
#endif
};

// The kernels of rotate_row_with_column: the pairs (row[j], m[j][column]), the column gathered from
// four rows.
struct RotateRowWithColumn {
  static void step(int j, float* row, float** m, int column, Rotation r) {
    rotate_pair(row[j], m[j][column], r);
  }
#if NUMERICS_LINALG_LANES
  static int sse2(int j, int last, float* row, float** m, int column, Rotation r) {
    const __m128 s = _mm_set1_ps(r.s);
    const __m128 tau = _mm_set1_ps(r.tau);
    for (; j + 3 <= last; j += 4) {
      __m128 vx = _mm_loadu_ps(row + j);
      __m128 vy = gather_column(m, j, column);
      rotate_lanes(&vx, &vy, s, tau);
      _mm_storeu_ps(row + j, vx);
      scatter_column(m, j, column, vy);
    }
    return j;
  }
#endif
};

// The kernels of rotate_columns: the pairs (m[j][p], m[j][q]), both columns gathered from four rows.
struct RotateColumns {
  static void step(int j, float** m, int p, int q, Rotation r) { rotate_pair(m[j][p], m[j][q], r); }
#if NUMERICS_LINALG_LANES
  static int sse2(int j, int last, float** m, int p, int q, Rotation r) {
    const __m128 s = _mm_set1_ps(r.s);
    const __m128 tau = _mm_set1_ps(r.tau);
    for (; j + 3 <= last; j += 4) {
      __m128 vx = gather_column(m, j, p);
      __m128 vy = gather_column(m, j, q);
      rotate_lanes(&vx, &vy, s, tau);
      scatter_column(m, j, p, vx);
      scatter_column(m, j, q, vy);
    }
    return j;
  }
#endif
};

// The pairs (x[j], y[j]) for j = first..last, two rows.
void rotate_rows(float* x, float* y, int first, int last, const Rotation& r) {
  detail::run_lanes<RotateRows>(first, last, x, y, r);
}

// The pairs (row[j], m[j][column]) for j = first..last: a row against a column.
void rotate_row_with_column(float* row, float** m, int column, int first, int last, const Rotation& r) {
  detail::run_lanes<RotateRowWithColumn>(first, last, row, m, column, r);
}

// The pairs (m[j][p], m[j][q]) for j = first..last: two columns.
void rotate_columns(float** m, int p, int q, int first, int last, const Rotation& r) {
  detail::run_lanes<RotateColumns>(first, last, m, p, q, r);
}

struct FastSteps {
  // The pairs of one rotation, the eigenvectors p and q being rows p and q of transposed. Row p right
  // of q first: the next rotation, (p, q + 1), reads sym[p][q + 1] from it and can be formed while
  // the other pairs of this one are still being updated.
  static void rotate_pairs(float** sym, int n, float** transposed, int p, int q, const Rotation& r) {
    rotate_rows(sym[p], sym[q], q + 1, n, r);
    rotate_columns(sym, p, q, 1, p - 1, r);
    rotate_row_with_column(sym[p], sym, q, p + 1, q - 1, r);
    rotate_rows(transposed[p], transposed[q], 1, n, r);
  }
};

void transpose_in_place(float** m, int n) {
  for (int i = 1; i < n; ++i) {
    for (int j = i + 1; j <= n; ++j) std::swap(m[i][j], m[j][i]);
  }
}

}  // namespace

// The steps of reference::jacobi, reordered: the pairs of one rotation are disjoint, so they are updated
// in lanes and in any order with the same float operations each, and the eigenvectors are rotated as
// rows of the transpose (the same pairs), so every bit is the reference's.
void jacobi(float** sym, int n, float* eigenvalues, float** eigenvectors, int* rotations) {
  // The identity, which is its own transpose: while the sweeps run, eigenvectors holds V transposed.
  jacobi_steps::run_sweeps<FastSteps>(sym, n, eigenvalues, eigenvectors, rotations);
  transpose_in_place(eigenvectors, n);
}

void sort_eigenpairs(float* eigenvalues, float** eigenvectors, int n) {
  for (int i = 1; i < n; ++i) {
    int m = i;
    float best = eigenvalues[i];
    for (int j = i + 1; j <= n; ++j) {
      if (eigenvalues[j] >= best) {
        m = j;
        best = eigenvalues[j];
      }
    }
    if (m != i) {
      eigenvalues[m] = eigenvalues[i];
      eigenvalues[i] = best;
      for (int j = 1; j <= n; ++j) std::swap(eigenvectors[j][i], eigenvectors[j][m]);
    }
  }
}

}  // namespace numerics
