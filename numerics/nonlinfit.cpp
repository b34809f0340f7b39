// Nonlinear least squares: the Levenberg-Marquardt iteration (nonlinear_fit_step) with its fit state
// between calls, the curvature matrix and gradient of chi-square (fit_curvature), the spreading of the
// free parameters' covariance over all parameters, and the sum-of-Gaussians model. The damped system
// of each step is solved by gaussj (gaussj.cpp).
#include <cmath>
#include <utility>

#include "numerics/elementary.h"
#include "numerics/numerics.h"
#include "numerics/precision.h"

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
    const float weight = detail::reciprocal_in_double(sigma[i] * sigma[i]);
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
    const float ex = elementary::expf(-t * t);
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
