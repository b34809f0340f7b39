// Nonlinear least-squares fitting by the Levenberg-Marquardt method, with the Gauss-Jordan solver it
// uses (full pivoting, inverse formed in place), the spreading of the free parameters' covariance over
// all parameters, and a ready model: a sum of Gaussians.
//
// Speed of gaussj without a changed bit: each element of a row's elimination update is independent of
// the others, so the update runs four columns at a time in SSE2 lanes, each lane the same float
// multiply and subtract as the scalar loop. The pivot search keeps the scan's choice (the last largest
// magnitude in row-major order) while it compares four columns at a time.
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

// The largest |row[k]| over the columns k = 1..n not yet used as pivots (pivot count 0), NaN entries
// left out; −1 when the row has no such column.
float largest_candidate(const float* row, int n, const int* pivot_count) {
  float largest = -1.0f;
  int k = 1;
#if NUMERICS_LINALG_SSE2
  const __m128 magnitude_bits = _mm_castsi128_ps(_mm_set1_epi32(0x7fffffff));
  const __m128 none = _mm_set1_ps(-1.0f);
  const __m128i zero = _mm_setzero_si128();
  __m128 best = none;
  for (; k + 3 <= n; k += 4) {
    const __m128 value = _mm_and_ps(_mm_loadu_ps(row + k), magnitude_bits);
    const __m128i counts = _mm_loadu_si128(reinterpret_cast<const __m128i*>(pivot_count + k));
    const __m128 usable =
        _mm_and_ps(_mm_castsi128_ps(_mm_cmpeq_epi32(counts, zero)), _mm_cmpord_ps(value, value));
    best = _mm_max_ps(best, _mm_or_ps(_mm_and_ps(usable, value), _mm_andnot_ps(usable, none)));
  }
  best = _mm_max_ps(best, _mm_shuffle_ps(best, best, _MM_SHUFFLE(1, 0, 3, 2)));
  best = _mm_max_ps(best, _mm_shuffle_ps(best, best, _MM_SHUFFLE(2, 3, 0, 1)));
  largest = _mm_cvtss_f32(best);
#endif
  for (; k <= n; ++k) {
    const float value = std::fabs(row[k]);
    if (pivot_count[k] == 0 && value > largest) largest = value;
  }
  return largest;
}

// Full pivoting: the largest magnitude among the rows and columns not yet used as pivots. The scan
// in row-major order with "≥" would keep the last of equal magnitudes, i.e. the last occurrence of
// the largest one: the row is the last whose largest candidate reaches the running maximum, the
// column the last in it that holds that maximum. No candidate at all happens only with NaN entries;
// a pivot count above 1 cannot arise but is reported as the scan would report it.
void find_pivot(float** a, int n, const int* pivot_count, int* pivot_row, int* pivot_col) {
  for (int k = 1; k <= n; ++k) {
    if (pivot_count[k] > 1) fatal_numeric_error("gaussj: Singular Matrix-1");
  }
  float largest = 0.0f;
  int row = 0;
  for (int j = 1; j <= n; ++j) {
    if (pivot_count[j] == 1) continue;
    const float candidate = largest_candidate(a[j], n, pivot_count);
    if (candidate >= largest) {
      largest = candidate;
      row = j;
    }
  }
  if (row == 0) fatal_numeric_error("gaussj: Singular Matrix-1");
  int col = n;
  while (pivot_count[col] != 0 || std::fabs(a[row][col]) != largest) --col;
  *pivot_row = row;
  *pivot_col = col;
}

// row[l] = row[l] − pivot[l]·d for l = 1..count.
void subtract_multiple(float* row, const float* pivot, float d, int count) {
  int l = 1;
#if NUMERICS_LINALG_SSE2
  const __m128 factor = _mm_set1_ps(d);
  for (; l + 3 <= count; l += 4) {
    const __m128 product = _mm_mul_ps(_mm_loadu_ps(pivot + l), factor);
    _mm_storeu_ps(row + l, _mm_sub_ps(_mm_loadu_ps(row + l), product));
  }
#endif
  for (; l <= count; ++l) row[l] = row[l] - pivot[l] * d;
}

// Divides the pivot row by the pivot (reciprocal formed in double, rounded to float) and clears the
// pivot column in every other row; the cleared entries build up the inverse in place.
void eliminate(float** a, int n, float** b, int m, int pc) {
  const float p = static_cast<float>(1.0 / static_cast<double>(a[pc][pc]));
  a[pc][pc] = 1.0f;
  for (int l = 1; l <= n; ++l) a[pc][l] = a[pc][l] * p;
  for (int l = 1; l <= m; ++l) b[pc][l] = b[pc][l] * p;
  for (int r = 1; r <= n; ++r) {
    if (r == pc) continue;
    const float d = a[r][pc];
    a[r][pc] = 0.0f;
    subtract_multiple(a[r], a[pc], d, n);
    if (m > 0) subtract_multiple(b[r], b[pc], d, m);
  }
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
  for (int i = 1; i <= n; ++i) {
    int pivot_row = 0;
    int pivot_col = 0;
    find_pivot(a, n, pivot_count, &pivot_row, &pivot_col);
    ++pivot_count[pivot_col];
    if (pivot_row != pivot_col) swap_rows(a, n, b, m, pivot_row, pivot_col);
    row_index[i] = pivot_row;
    column_index[i] = pivot_col;
    if (a[pivot_col][pivot_col] == 0.0f) fatal_numeric_error("gaussj: Singular Matrix-2");
    eliminate(a, n, b, m, pivot_col);
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
