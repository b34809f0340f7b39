// Speed of gaussj without a changed bit: each element of a row's elimination update is independent of
// the others, so the update runs eight (AVX2) or four (SSE2) columns at a time, each lane the same float
// multiply and subtract as the scalar loop. The search for the next pivot rides along: while a row is
// written, its largest candidate is kept, and the rows are taken in the order of the full scan, so the
// choice (the last largest magnitude in row-major order) is the scan's without a second pass over the
// matrix.
#include <cmath>
#include <utility>

#include "numerics/numerics.h"
#include "numerics/simd.h"

namespace numerics {
namespace {

constexpr float kStartingLambda = 0.001f;
constexpr double kLambdaShrink = 0.1;  // applied after an accepted step
constexpr double kLambdaGrow = 10.0;   // applied after a rejected step

// The fit in progress of nonlinear_fit_step: one set for the whole module, all null while idle.
// The allocation bounds are kept so that the blocks are released exactly as they were obtained.
struct FitState {
  float* trial = nullptr;
  float* accepted_gradient = nullptr;
  float* step = nullptr;
  int free_count = 0;
  float** rhs = nullptr;
  float previous_chi2 = 0.0f;
  int vector_high = 0;
  int rhs_rows = 0;
};

FitState fit_state;

int count_free(const int* free_mask, int nparams) {
  int nfree = 0;
  for (int j = 1; j <= nparams; ++j) {
    if (free_mask[j] != 0) ++nfree;
  }
  return nfree;
}

// Adds one data point's contribution to the lower triangle of the curvature matrix and to the
// gradient vector, both indexed by the free parameters' running number.
void add_point(const float* derivs, float weight, float residual, const int* free_mask, int nparams,
               float** curvature, float* gradient) {
  int j = 0;
  for (int l = 1; l <= nparams; ++l) {
    if (free_mask[l] == 0) continue;
    const float s = derivs[l] * weight;
    ++j;
    int k = 0;
    for (int q = 1; q <= l; ++q) {
      if (free_mask[q] == 0) continue;
      ++k;
      curvature[j][k] = curvature[j][k] + s * derivs[q];
    }
    gradient[j] = gradient[j] + residual * s;
  }
}

void release_fit_state() {
  release_matrix(fit_state.rhs, 1, fit_state.rhs_rows, 1, 1);
  release_vector(fit_state.step, 1, fit_state.vector_high);
  release_vector(fit_state.accepted_gradient, 1, fit_state.vector_high);
  release_vector(fit_state.trial, 1, fit_state.vector_high);
  fit_state = FitState{};
}

// The starting call: a fit already in progress is abandoned and its storage released first. The
// right-hand side gets at least one row, since a matrix without rows cannot be allocated; with every
// parameter fixed that row is never used.
void start_fit(const float* x, const float* y, const float* sigma, int npoints, float* params,
               const int* free_mask, int nparams, float** curvature, float* chi2, model_function model,
               float* lambda) {
  if (fit_state.trial != nullptr) release_fit_state();
  fit_state.vector_high = nparams;
  fit_state.trial = vector(1, nparams);
  fit_state.accepted_gradient = vector(1, nparams);
  fit_state.step = vector(1, nparams);
  fit_state.free_count = count_free(free_mask, nparams);
  fit_state.rhs_rows = fit_state.free_count > 0 ? fit_state.free_count : 1;
  fit_state.rhs = matrix(1, fit_state.rhs_rows, 1, 1);
  *lambda = kStartingLambda;
  fit_curvature(x, y, sigma, npoints, params, free_mask, nparams, curvature, fit_state.accepted_gradient,
                chi2, model);
  fit_state.previous_chi2 = *chi2;
  for (int j = 1; j <= nparams; ++j) fit_state.trial[j] = params[j];
}

// Solves (curvature with its diagonal scaled by 1 + lambda) * step = gradient; the inverse of the
// damped matrix is left in covariance. The diagonal product is formed in double and rounded once.
void solve_damped_system(float** curvature, float** covariance, float lambda) {
  const int nfree = fit_state.free_count;
  for (int j = 1; j <= nfree; ++j) {
    for (int k = 1; k <= nfree; ++k) covariance[j][k] = curvature[j][k];
    covariance[j][j] =
        static_cast<float>(static_cast<double>(curvature[j][j]) * (1.0 + static_cast<double>(lambda)));
    fit_state.rhs[j][1] = fit_state.accepted_gradient[j];
  }
  gaussj(covariance, nfree, fit_state.rhs, 1);
  for (int j = 1; j <= nfree; ++j) fit_state.step[j] = fit_state.rhs[j][1];
}

// Keeps the trial point when it lowers chi-square strictly, and moves lambda by a factor of ten
// either way (the product in double, rounded to float).
void accept_or_reject(float* params, int nparams, float** covariance, float** curvature, float* chi2,
                      float* lambda) {
  const int nfree = fit_state.free_count;
  if (*chi2 < fit_state.previous_chi2) {
    *lambda = static_cast<float>(static_cast<double>(*lambda) * kLambdaShrink);
    fit_state.previous_chi2 = *chi2;
    for (int j = 1; j <= nfree; ++j) {
      for (int k = 1; k <= nfree; ++k) curvature[j][k] = covariance[j][k];
      fit_state.accepted_gradient[j] = fit_state.step[j];
    }
    for (int l = 1; l <= nparams; ++l) params[l] = fit_state.trial[l];
  } else {
    *lambda = static_cast<float>(static_cast<double>(*lambda) * kLambdaGrow);
    *chi2 = fit_state.previous_chi2;
  }
}

void swap_rows(float** a, int n, float** b, int m, int r1, int r2) {
  for (int l = 1; l <= n; ++l) std::swap(a[r1][l], a[r2][l]);
  for (int l = 1; l <= m; ++l) std::swap(b[r1][l], b[r2][l]);
}

// Where the next pivot lies: the row and the largest usable magnitude in it.
struct PivotCandidate {
  int row = 0;
  float largest = 0.0f;
};

// A column is usable as a pivot while its pivot count is 0; NaN entries never compete. The lanes
// below keep −1 for the unusable ones so that a plain maximum gives the row's largest candidate.
#if NUMERICS_LINALG_LANES
__m128 usable_magnitudes(__m128 value, const int* counts) {
  const __m128 magnitude = _mm_and_ps(value, _mm_castsi128_ps(_mm_set1_epi32(0x7fffffff)));
  const __m128i count = _mm_loadu_si128(reinterpret_cast<const __m128i*>(counts));
  const __m128 usable = _mm_and_ps(_mm_castsi128_ps(_mm_cmpeq_epi32(count, _mm_setzero_si128())),
                                   _mm_cmpord_ps(magnitude, magnitude));
  return _mm_or_ps(_mm_and_ps(usable, magnitude), _mm_andnot_ps(usable, _mm_set1_ps(-1.0f)));
}

float lane_maximum(__m128 best) {
  best = _mm_max_ps(best, _mm_shuffle_ps(best, best, _MM_SHUFFLE(1, 0, 3, 2)));
  best = _mm_max_ps(best, _mm_shuffle_ps(best, best, _MM_SHUFFLE(2, 3, 0, 1)));
  return _mm_cvtss_f32(best);
}

#if NUMERICS_COMPILER_EMITS_AVX2
// All ones in the lanes of the columns not yet pivoted.
NUMERICS_AVX2_FUNCTION __m256 unpivoted_columns8(const int* counts) {
  const __m256i count = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(counts));
  return _mm256_castsi256_ps(_mm256_cmpeq_epi32(count, _mm256_setzero_si256()));
}

// |value| in the unpivoted columns (`unpivoted` as above) unless NaN, −1 elsewhere.
NUMERICS_AVX2_FUNCTION __m256 candidate_magnitudes8(__m256 value, __m256 unpivoted) {
  const __m256 magnitude = _mm256_and_ps(value, _mm256_castsi256_ps(_mm256_set1_epi32(0x7fffffff)));
  const __m256 usable = _mm256_and_ps(unpivoted, _mm256_cmp_ps(magnitude, magnitude, _CMP_ORD_Q));
  return _mm256_blendv_ps(_mm256_set1_ps(-1.0f), magnitude, usable);
}

NUMERICS_AVX2_FUNCTION __m256 usable_magnitudes8(__m256 value, const int* counts) {
  return candidate_magnitudes8(value, unpivoted_columns8(counts));
}

NUMERICS_AVX2_FUNCTION float lane_maximum8(__m256 best) {
  return lane_maximum(_mm_max_ps(_mm256_castps256_ps128(best), _mm256_extractf128_ps(best, 1)));
}

// The AVX2 parts of the kernels below: whole groups of eight columns from column l on; they return
// the first column left over.
NUMERICS_AVX2_FUNCTION int subtract_multiple_avx2(float* row, const float* pivot, float d, int l, int count) {
  const __m256 factor = _mm256_set1_ps(d);
  for (; l + 7 <= count; l += 8) {
    const __m256 product = _mm256_mul_ps(_mm256_loadu_ps(pivot + l), factor);
    _mm256_storeu_ps(row + l, _mm256_sub_ps(_mm256_loadu_ps(row + l), product));
  }
  return l;
}

NUMERICS_AVX2_FUNCTION int subtract_and_track_avx2(float* row, const float* pivot, float d, int l, int count,
                                                   const int* pivot_count, float* largest) {
  const __m256 factor = _mm256_set1_ps(d);
  __m256 best = _mm256_set1_ps(*largest);
  for (; l + 7 <= count; l += 8) {
    const __m256 product = _mm256_mul_ps(_mm256_loadu_ps(pivot + l), factor);
    const __m256 value = _mm256_sub_ps(_mm256_loadu_ps(row + l), product);
    _mm256_storeu_ps(row + l, value);
    best = _mm256_max_ps(best, usable_magnitudes8(value, pivot_count + l));
  }
  *largest = lane_maximum8(best);
  return l;
}

// The same for two rows at once, which share the loads of the pivot row and of the pivot counts.
NUMERICS_AVX2_FUNCTION int subtract_multiple_pair_avx2(float* row1, float* row2, const float* pivot, float d1,
                                                       float d2, int count) {
  const __m256 factor1 = _mm256_set1_ps(d1);
  const __m256 factor2 = _mm256_set1_ps(d2);
  int l = 1;
  for (; l + 7 <= count; l += 8) {
    const __m256 p = _mm256_loadu_ps(pivot + l);
    _mm256_storeu_ps(row1 + l, _mm256_sub_ps(_mm256_loadu_ps(row1 + l), _mm256_mul_ps(p, factor1)));
    _mm256_storeu_ps(row2 + l, _mm256_sub_ps(_mm256_loadu_ps(row2 + l), _mm256_mul_ps(p, factor2)));
  }
  return l;
}

NUMERICS_AVX2_FUNCTION int subtract_and_track_pair_avx2(float* row1, float* row2, const float* pivot,
                                                        float d1, float d2, int count, const int* pivot_count,
                                                        float* largest1, float* largest2) {
  const __m256 factor1 = _mm256_set1_ps(d1);
  const __m256 factor2 = _mm256_set1_ps(d2);
  __m256 best1 = _mm256_set1_ps(*largest1);
  __m256 best2 = _mm256_set1_ps(*largest2);
  int l = 1;
  for (; l + 7 <= count; l += 8) {
    const __m256 p = _mm256_loadu_ps(pivot + l);
    const __m256 value1 = _mm256_sub_ps(_mm256_loadu_ps(row1 + l), _mm256_mul_ps(p, factor1));
    const __m256 value2 = _mm256_sub_ps(_mm256_loadu_ps(row2 + l), _mm256_mul_ps(p, factor2));
    _mm256_storeu_ps(row1 + l, value1);
    _mm256_storeu_ps(row2 + l, value2);
    const __m256 unpivoted = unpivoted_columns8(pivot_count + l);
    best1 = _mm256_max_ps(best1, candidate_magnitudes8(value1, unpivoted));
    best2 = _mm256_max_ps(best2, candidate_magnitudes8(value2, unpivoted));
  }
  *largest1 = lane_maximum8(best1);
  *largest2 = lane_maximum8(best2);
  return l;
}

NUMERICS_AVX2_FUNCTION int largest_candidate_avx2(const float* row, int l, int n, const int* pivot_count,
                                                  float* largest) {
  __m256 best = _mm256_set1_ps(*largest);
  for (; l + 7 <= n; l += 8)
    best = _mm256_max_ps(best, usable_magnitudes8(_mm256_loadu_ps(row + l), pivot_count + l));
  *largest = lane_maximum8(best);
  return l;
}
#endif
#endif

// The largest |row[k]| over the usable columns k = 1..n; −1 when the row has none.
float largest_candidate(const float* row, int n, const int* pivot_count) {
  float largest = -1.0f;
  int k = 1;
#if NUMERICS_LINALG_LANES
#if NUMERICS_COMPILER_EMITS_AVX2
  if (detail::use_avx2()) k = largest_candidate_avx2(row, k, n, pivot_count, &largest);
#endif
  if (detail::use_sse2()) {
    __m128 best = _mm_set1_ps(largest);
    for (; k + 3 <= n; k += 4)
      best = _mm_max_ps(best, usable_magnitudes(_mm_loadu_ps(row + k), pivot_count + k));
    largest = lane_maximum(best);
  }
#endif
  for (; k <= n; ++k) {
    const float value = std::fabs(row[k]);
    if (pivot_count[k] == 0 && value > largest) largest = value;
  }
  return largest;
}

// The row-major scan with "≥" keeps the last of equal magnitudes: the row is the last whose largest
// candidate reaches the running maximum. Rows already used as pivots take no part.
void consider_row(PivotCandidate* next, int row, float candidate) {
  if (candidate >= next->largest) {
    next->largest = candidate;
    next->row = row;
  }
}

// Full pivoting, as one scan of the matrix: only the first pivot is found this way, the later ones
// while the elimination writes the matrix (eliminate below).
PivotCandidate scan_for_pivot(float** a, int n, const int* pivot_count) {
  PivotCandidate next;
  for (int j = 1; j <= n; ++j) {
    if (pivot_count[j] != 1) consider_row(&next, j, largest_candidate(a[j], n, pivot_count));
  }
  return next;
}

// The column of the chosen row: the last usable one that holds the largest magnitude. No candidate
// at all happens only with NaN entries; a pivot count above 1 cannot arise but is reported as the
// scan would report it.
int pivot_column(float** a, int n, const int* pivot_count, PivotCandidate next) {
  for (int k = 1; k <= n; ++k) {
    if (pivot_count[k] > 1) fatal_numeric_error("gaussj: Singular Matrix-1");
  }
  if (next.row == 0) fatal_numeric_error("gaussj: Singular Matrix-1");
  int col = n;
  while (pivot_count[col] != 0 || std::fabs(a[next.row][col]) != next.largest) --col;
  return col;
}

// The scalar steps row[l] = row[l] − pivot[l]·d for columns l = first..count.
void subtract_from(float* row, const float* pivot, float d, int first, int count) {
  for (int l = first; l <= count; ++l) row[l] = row[l] - pivot[l] * d;
}

// The same, raising *largest to each usable magnitude written.
void subtract_and_track_from(float* row, const float* pivot, float d, int first, int count,
                             const int* pivot_count, float* largest) {
  for (int l = first; l <= count; ++l) {
    row[l] = row[l] - pivot[l] * d;
    const float value = std::fabs(row[l]);
    if (pivot_count[l] == 0 && value > *largest) *largest = value;
  }
}

// row[l] = row[l] − pivot[l]·d for l = 1..count.
void subtract_multiple(float* row, const float* pivot, float d, int count) {
  int l = 1;
#if NUMERICS_LINALG_LANES
#if NUMERICS_COMPILER_EMITS_AVX2
  if (detail::use_avx2()) l = subtract_multiple_avx2(row, pivot, d, l, count);
#endif
  if (detail::use_sse2()) {
    const __m128 factor = _mm_set1_ps(d);
    for (; l + 3 <= count; l += 4) {
      const __m128 product = _mm_mul_ps(_mm_loadu_ps(pivot + l), factor);
      _mm_storeu_ps(row + l, _mm_sub_ps(_mm_loadu_ps(row + l), product));
    }
  }
#endif
  subtract_from(row, pivot, d, l, count);
}

// subtract_multiple that also returns the largest usable magnitude it wrote (−1 for none): the
// pivot search of the next pass, without reading the row again.
float subtract_and_track(float* row, const float* pivot, float d, int count, const int* pivot_count) {
  float largest = -1.0f;
  int l = 1;
#if NUMERICS_LINALG_LANES
#if NUMERICS_COMPILER_EMITS_AVX2
  if (detail::use_avx2()) l = subtract_and_track_avx2(row, pivot, d, l, count, pivot_count, &largest);
#endif
  if (detail::use_sse2()) {
    const __m128 factor = _mm_set1_ps(d);
    __m128 best = _mm_set1_ps(largest);
    for (; l + 3 <= count; l += 4) {
      const __m128 product = _mm_mul_ps(_mm_loadu_ps(pivot + l), factor);
      const __m128 value = _mm_sub_ps(_mm_loadu_ps(row + l), product);
      _mm_storeu_ps(row + l, value);
      best = _mm_max_ps(best, usable_magnitudes(value, pivot_count + l));
    }
    largest = lane_maximum(best);
  }
#endif
  subtract_and_track_from(row, pivot, d, l, count, pivot_count, &largest);
  return largest;
}

#if NUMERICS_LINALG_AVX2
// subtract_multiple on two rows (with AVX2): the kernel's groups of eight, then the columns left.
void subtract_multiple_pair(float* row1, float* row2, const float* pivot, float d1, float d2, int count) {
  const int l = subtract_multiple_pair_avx2(row1, row2, pivot, d1, d2, count);
  subtract_from(row1, pivot, d1, l, count);
  subtract_from(row2, pivot, d2, l, count);
}

// subtract_and_track on two rows (with AVX2); the largest candidates go to largest1 and largest2.
void subtract_and_track_pair(float* row1, float* row2, const float* pivot, float d1, float d2, int count,
                             const int* pivot_count, float* largest1, float* largest2) {
  const int l =
      subtract_and_track_pair_avx2(row1, row2, pivot, d1, d2, count, pivot_count, largest1, largest2);
  subtract_and_track_from(row1, pivot, d1, l, count, pivot_count, largest1);
  subtract_and_track_from(row2, pivot, d2, l, count, pivot_count, largest2);
}
#endif

// Divides the pivot row by the pivot (reciprocal formed in double, rounded to float) and clears the
// pivot column in every other row; the cleared entries build up the inverse in place. The pivot
// counts already include this pivot, so the rows written are scanned as the next search would scan
// them, in the same order; the result is that search's choice of row.
PivotCandidate eliminate(float** a, int n, float** b, int m, int pc, const int* pivot_count) {
  const float p = static_cast<float>(1.0 / static_cast<double>(a[pc][pc]));
  a[pc][pc] = 1.0f;
  for (int l = 1; l <= n; ++l) a[pc][l] = a[pc][l] * p;
  for (int l = 1; l <= m; ++l) b[pc][l] = b[pc][l] * p;
  PivotCandidate next;
  for (int r = 1; r <= n; ++r) {
    if (r == pc) continue;
    const float d = a[r][pc];
    a[r][pc] = 0.0f;
#if NUMERICS_LINALG_AVX2
    // Two rows of the same kind at once where the lanes allow; each element gets the same update.
    const int r2 = (r + 1 == pc) ? r + 2 : r + 1;
    if (detail::use_avx2() && r2 <= n && (pivot_count[r] == 1) == (pivot_count[r2] == 1)) {
      const float d2 = a[r2][pc];
      a[r2][pc] = 0.0f;
      if (pivot_count[r] == 1) {
        subtract_multiple_pair(a[r], a[r2], a[pc], d, d2, n);
      } else {
        float largest = -1.0f;
        float largest2 = -1.0f;
        subtract_and_track_pair(a[r], a[r2], a[pc], d, d2, n, pivot_count, &largest, &largest2);
        consider_row(&next, r, largest);
        consider_row(&next, r2, largest2);
      }
      if (m > 0) {
        subtract_multiple(b[r], b[pc], d, m);
        subtract_multiple(b[r2], b[pc], d2, m);
      }
      r = r2;
      continue;
    }
#endif
    if (pivot_count[r] == 1) {
      subtract_multiple(a[r], a[pc], d, n);
    } else {
      consider_row(&next, r, subtract_and_track(a[r], a[pc], d, n, pivot_count));
    }
    if (m > 0) subtract_multiple(b[r], b[pc], d, m);
  }
  return next;
}

}  // namespace

void fit_curvature(const float* x, const float* y, const float* sigma, int npoints, float* params,
                   const int* free_mask, int nparams, float** curvature, float* gradient, float* chi2,
                   model_function model) {
  const int nfree = count_free(free_mask, nparams);
  float* derivs = vector(1, nparams);
  for (int j = 1; j <= nfree; ++j) {
    for (int k = 1; k <= j; ++k) curvature[j][k] = 0.0f;
    gradient[j] = 0.0f;
  }
  *chi2 = 0.0f;
  for (int i = 1; i <= npoints; ++i) {
    float value = 0.0f;
    model(x[i], params, &value, derivs, nparams);
    // The weight 1/sigma^2: the square in float, the reciprocal in double, rounded once.
    const float weight = static_cast<float>(1.0 / static_cast<double>(sigma[i] * sigma[i]));
    const float residual = y[i] - value;
    add_point(derivs, weight, residual, free_mask, nparams, curvature, gradient);
    *chi2 = *chi2 + (residual * residual) * weight;
  }
  for (int j = 2; j <= nfree; ++j) {
    for (int k = 1; k < j; ++k) curvature[k][j] = curvature[j][k];
  }
  release_vector(derivs, 1, nparams);
}

void nonlinear_fit_step(const float* x, const float* y, const float* sigma, int npoints, float* params,
                        const int* free_mask, int nparams, float** covariance, float** curvature, float* chi2,
                        model_function model, float* lambda) {
  if (*lambda < 0.0f) {
    start_fit(x, y, sigma, npoints, params, free_mask, nparams, curvature, chi2, model, lambda);
  } else if (fit_state.trial == nullptr) {
    fatal_numeric_error("nonlinear_fit_step: no fit in progress");
  }
  const int nfree = fit_state.free_count;
  solve_damped_system(curvature, covariance, *lambda);
  if (*lambda == 0.0f) {
    expand_covariance(covariance, nparams, free_mask, nfree);
    release_fit_state();
    return;
  }
  int j = 0;
  for (int l = 1; l <= nparams; ++l) {
    if (free_mask[l] != 0) fit_state.trial[l] = params[l] + fit_state.step[++j];
  }
  fit_curvature(x, y, sigma, npoints, fit_state.trial, free_mask, nparams, covariance, fit_state.step, chi2,
                model);
  accept_or_reject(params, nparams, covariance, curvature, chi2, lambda);
}

void gaussj(float** a, int n, float** b, int m) {
  int* column_index = ivector(1, n);
  int* row_index = ivector(1, n);
  int* pivot_count = ivector(1, n);
  for (int j = 1; j <= n; ++j) pivot_count[j] = 0;
  PivotCandidate next = scan_for_pivot(a, n, pivot_count);
  for (int i = 1; i <= n; ++i) {
    const int pivot_row = next.row;
    const int pivot_col = pivot_column(a, n, pivot_count, next);
    ++pivot_count[pivot_col];
    if (pivot_row != pivot_col) swap_rows(a, n, b, m, pivot_row, pivot_col);
    row_index[i] = pivot_row;
    column_index[i] = pivot_col;
    if (a[pivot_col][pivot_col] == 0.0f) fatal_numeric_error("gaussj: Singular Matrix-2");
    next = eliminate(a, n, b, m, pivot_col, pivot_count);
  }
  // Undo the row exchanges on the inverse by exchanging columns in reverse order.
  for (int l = n; l >= 1; --l) {
    if (row_index[l] == column_index[l]) continue;
    for (int k = 1; k <= n; ++k) std::swap(a[k][row_index[l]], a[k][column_index[l]]);
  }
  release_ivector(pivot_count, 1, n);
  release_ivector(row_index, 1, n);
  release_ivector(column_index, 1, n);
}

void expand_covariance(float** covariance, int nparams, const int* free_mask, int nfree) {
  for (int i = nfree + 1; i <= nparams; ++i) {
    for (int j = 1; j <= i; ++j) {
      covariance[j][i] = 0.0f;
      covariance[i][j] = 0.0f;
    }
  }
  // Move free parameter k (counted from the last) to its place j, columns first, then rows.
  int k = nfree;
  for (int j = nparams; j >= 1; --j) {
    if (free_mask[j] == 0) continue;
    for (int i = 1; i <= nparams; ++i) std::swap(covariance[i][k], covariance[i][j]);
    for (int i = 1; i <= nparams; ++i) std::swap(covariance[k][i], covariance[j][i]);
    --k;
  }
}

void gaussian_sum(float x, float* params, float* value, float* derivs, int nparams) {
  *value = 0.0f;
  int i = 1;
  for (; i + 2 <= nparams; i += 3) {
    const float t = (x - params[i + 1]) / params[i + 2];
    const float ex = std::exp(-t * t);
    const float amplitude = params[i] * ex;
    // 2 * amplitude * t in double, rounded once.
    const float fac = static_cast<float>(static_cast<double>(amplitude) * 2.0 * static_cast<double>(t));
    *value = *value + amplitude;
    derivs[i] = ex;
    derivs[i + 1] = fac / params[i + 2];
    derivs[i + 2] = (fac * t) / params[i + 2];
  }
  // An incomplete trailing triple takes no part in the model.
  for (; i <= nparams; ++i) derivs[i] = 0.0f;
}

}  // namespace numerics
