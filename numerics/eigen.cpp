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

#include "numerics/numerics.h"
#include "numerics/precision.h"
#include "numerics/simd.h"

namespace numerics {
namespace {

constexpr int kMaxSweeps = 50;
// Sweeps 1-3 rotate only entries above this fraction of the mean off-diagonal magnitude.
constexpr int kThresholdSweeps = 3;
constexpr double kThresholdFraction = 0.2;
// From sweep 5 on, an entry this many times smaller than both diagonal entries counts as zero.
constexpr int kFirstNegligibleSweep = 5;
constexpr double kNegligibleFactor = 100.0;

struct Rotation {
  float s;    // sine of the rotation angle
  float tau;  // s / (1 + cos), which keeps the update of each pair well conditioned
};

void rotate_pair(float& x, float& y, const Rotation& r) {
  const float old_x = x;
  const float old_y = y;
  x = old_x - r.s * (old_y + old_x * r.tau);
  y = old_y + r.s * (old_x - old_y * r.tau);
}

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

float upper_sum(float** sym, int n) {
  float sum = 0.0f;
  for (int p = 1; p < n; ++p) {
    for (int q = p + 1; q <= n; ++q) sum += std::fabs(sym[p][q]);
  }
  return sum;
}

// tan of the rotation angle that annihilates apq; for a large diagonal gap h the plain quotient
// apq / h is the angle to working precision, else the smaller root of t² + 2θt - 1 = 0.
float rotation_tangent(float apq, float h, float g) {
  const float abs_h = std::fabs(h);
  if (abs_h + g == abs_h) return apq / h;
  const float theta = static_cast<float>(0.5 * static_cast<double>(h) / static_cast<double>(apq));
  const float theta_sq = theta * theta;
  const float t = static_cast<float>(
      1.0 / (static_cast<double>(std::fabs(theta)) + std::sqrt(1.0 + static_cast<double>(theta_sq))));
  return (theta < 0.0f) ? -t : t;
}

// Annihilates sym[p][q] and applies the rotation to the rest of the upper triangle and to the
// eigenvectors p and q, which are rows p and q of transposed.
void rotate(float** sym, int n, float* eigenvalues, float** transposed, float* shift, int p, int q, float g) {
  const float apq = sym[p][q];
  const float t = rotation_tangent(apq, eigenvalues[q] - eigenvalues[p], g);
  const float c = detail::reciprocal_in_double(std::sqrt(1.0f + t * t));
  const float s = t * c;
  const Rotation r{s, static_cast<float>(static_cast<double>(s) / (1.0 + static_cast<double>(c)))};
  const float d = t * apq;
  shift[p] -= d;
  shift[q] += d;
  eigenvalues[p] -= d;
  eigenvalues[q] += d;
  sym[p][q] = 0.0f;
  // Row p right of q first: the next rotation, (p, q + 1), reads sym[p][q + 1] from it and can be
  // formed while the other pairs of this one are still being updated.
  rotate_rows(sym[p], sym[q], q + 1, n, r);
  rotate_columns(sym, p, q, 1, p - 1, r);
  rotate_row_with_column(sym[p], sym, q, p + 1, q - 1, r);
  rotate_rows(transposed[p], transposed[q], 1, n, r);
}

bool negligible(float g, float diagonal) {
  const float magnitude = std::fabs(diagonal);
  return magnitude + g == magnitude;
}

void sweep_once(float** sym, int n, float* eigenvalues, float** transposed, float* shift, int sweep,
                float threshold, int* rotations) {
  for (int p = 1; p < n; ++p) {
    for (int q = p + 1; q <= n; ++q) {
      const float g = static_cast<float>(kNegligibleFactor * static_cast<double>(std::fabs(sym[p][q])));
      if (sweep >= kFirstNegligibleSweep && negligible(g, eigenvalues[p]) && negligible(g, eigenvalues[q])) {
        sym[p][q] = 0.0f;
      } else if (std::fabs(sym[p][q]) > threshold) {
        rotate(sym, n, eigenvalues, transposed, shift, p, q, g);
        ++*rotations;
      }
    }
  }
}

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
  float* start = vector(1, n);
  float* shift = vector(1, n);
  // The identity, which is its own transpose: from here on eigenvectors holds V transposed.
  for (int i = 1; i <= n; ++i) {
    for (int j = 1; j <= n; ++j) eigenvectors[i][j] = 0.0f;
    eigenvectors[i][i] = 1.0f;
  }
  for (int k = 1; k <= n; ++k) {
    eigenvalues[k] = sym[k][k];
    start[k] = eigenvalues[k];
    shift[k] = 0.0f;
  }
  *rotations = 0;
  for (int sweep = 1; sweep <= kMaxSweeps; ++sweep) {
    const float sum = upper_sum(sym, n);
    if (sum == 0.0f) {
      transpose_in_place(eigenvectors, n);
      release_vector(shift, 1, n);
      release_vector(start, 1, n);
      return;
    }
    // The mean-magnitude threshold is formed in double from the float sum and rounded once.
    const float threshold =
        (sweep <= kThresholdSweeps)
            ? static_cast<float>(kThresholdFraction * static_cast<double>(sum) / static_cast<double>(n * n))
            : 0.0f;
    sweep_once(sym, n, eigenvalues, eigenvectors, shift, sweep, threshold, rotations);
    // Restart each eigenvalue from its sweep-start value plus the summed shifts, which limits the
    // drift of many small float updates.
    for (int k = 1; k <= n; ++k) {
      start[k] += shift[k];
      eigenvalues[k] = start[k];
      shift[k] = 0.0f;
    }
  }
  fatal_numeric_error("Too many iterations in routine jacobi");
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
