// Fuzz target for the fitting routines: svd_fit with poly_basis, and a Levenberg-Marquardt fit
// (nonlinear_fit_step from its start through several steps to the final call) of gaussian_sum with any
// subset of parameters held fixed. Checks:
//  - every array is allocated with exactly its one-based bounds, so any access outside them is caught
//    by the address checker, and the fit's state is released by the final call (the leak checker sees
//    a state left behind);
//  - svd_fit: singular values not negative, finite coefficients, a chi-square that is finite and no
//    larger than that of the zero coefficients (the fit is a projection), the covariance of
//    svd_covariance symmetric;
//  - the nonlinear fit: chi-square finite and never growing from step to step, fixed parameters
//    unchanged, the final covariance symmetric to rounding with the rows and columns of fixed
//    parameters zero.
//
// Keeping the input in range (the documented fatal exits and what lies outside the contracts are never
// reached):
//  - svd_fit fails only when allocation fails: 1..24 points, 1..6 basis functions, abscissae
//    int16 / 4096 (|x| <= 8, so x^5 stays far inside the float range), ordinates int16 / 256 and
//    deviations (1 + u8) / 16, never zero;
//  - nonlinear_fit_step ends the process when gaussj meets a singular matrix, and gaussian_sum needs
//    non-zero widths. The model has 1..3 Gaussians with distinct centres 4 apart, widths in [1, 3] and
//    amplitudes in [1, 4]; four points per parameter and up to 7 more, spread over all of them, with noise up
//    to 1/8 of an amplitude; the fit starts within 1/8 of each parameter, where the curvature matrix is
//    regular. A step can still carry a Gaussian away from every point (its derivatives then vanish and the
//    next solve would end the process), so after every step the accepted curvature matrix is tested (diagonal
//    against the start's, a Cholesky factorisation in double); when it is no longer safely regular, the fit
//    is ended by a new start with every parameter fixed (which releases the fit in progress and cannot fail)
//    and its final call.
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <vector>

#include "fuzz/fuzz_input.h"
#include "numerics/numerics.h"
#include "support/tolerance.h"

namespace {

constexpr int kMaxPoints = 24;
constexpr int kMaxBasis = 6;
constexpr int kMaxGaussians = 3;
constexpr int kExtraFitPoints = 8;  // points beyond four per parameter
constexpr int kMaxSteps = 8;
using test_support::kEps;

[[noreturn]] void fail(const char* what, double a = 0.0, double b = 0.0) {
  std::fprintf(stderr, "fitting misbehaved: %s (%.9g, %.9g)\n", what, a, b);
  std::abort();
}

void check(bool ok, const char* what, double a = 0.0, double b = 0.0) {
  if (!ok) fail(what, a, b);
}

double row_norm(float** m, int n) {
  double norm = 0.0;
  for (int i = 1; i <= n; ++i) {
    double row = 0.0;
    for (int j = 1; j <= n; ++j) row += std::fabs(static_cast<double>(m[i][j]));
    norm = std::fmax(norm, row);
  }
  return norm;
}

// Finite and symmetric within the rounding of an inverse: a computed inverse differs from the exact
// one by about n·ε·cond times its size, cond being that of the inverted matrix (1 when the matrix is
// built symmetric, as svd_covariance builds it).
void check_symmetric(float** m, int n, double condition, const char* what) {
  double largest = 0.0;
  for (int i = 1; i <= n; ++i)
    for (int j = 1; j <= n; ++j) {
      check(std::isfinite(m[i][j]), what, i, j);
      largest = std::fmax(largest, std::fabs(static_cast<double>(m[i][j])));
    }
  const double tolerance = 8.0 * n * kEps * std::fmax(1.0, condition) * largest;
  for (int i = 1; i <= n; ++i)
    for (int j = 1; j < i; ++j)
      check(std::fabs(static_cast<double>(m[i][j]) - m[j][i]) <= tolerance, what, i, j);
}

void check_linear_fit(fuzz_input::Reader& in) {
  const int npoints = 1 + in.byte() % kMaxPoints;
  const int nbasis = 1 + in.byte() % kMaxBasis;
  float* x = numerics::vector(1, npoints);
  float* y = numerics::vector(1, npoints);
  float* sigma = numerics::vector(1, npoints);
  double zero_chi2 = 0.0;
  for (int i = 1; i <= npoints; ++i) {
    x[i] = static_cast<float>(static_cast<std::int16_t>(in.u16())) / 4096.0f;
    y[i] = static_cast<float>(static_cast<std::int16_t>(in.u16())) / 256.0f;
    sigma[i] = (1.0f + static_cast<float>(in.byte())) / 16.0f;
    zero_chi2 += (static_cast<double>(y[i]) / sigma[i]) * (static_cast<double>(y[i]) / sigma[i]);
  }
  float* coef = numerics::vector(1, nbasis);
  float* w = numerics::vector(1, nbasis);
  float** u = numerics::matrix(1, npoints, 1, nbasis);
  float** v = numerics::matrix(1, nbasis, 1, nbasis);
  float** covariance = numerics::matrix(1, nbasis, 1, nbasis);
  float chi2 = -1.0f;
  numerics::svd_fit(x, y, sigma, npoints, coef, nbasis, u, v, w, &chi2, numerics::poly_basis);
  for (int j = 1; j <= nbasis; ++j) {
    check(w[j] >= 0.0f, "negative singular value", j, w[j]);
    check(std::isfinite(coef[j]), "coefficient not finite", j, coef[j]);
  }
  check(std::isfinite(chi2) && chi2 >= 0.0f, "chi-square negative or not finite", chi2);
  // A least-squares projection never fits worse than zero coefficients; the float sums may round.
  check(chi2 <= zero_chi2 * (1.0 + 1e-3) + 1e-3, "chi-square above that of zero coefficients", chi2,
        zero_chi2);
  numerics::svd_covariance(v, nbasis, w, covariance);
  check_symmetric(covariance, nbasis, 1.0, "svd_covariance not symmetric or not finite");
  numerics::release_matrix(covariance, 1, nbasis, 1, nbasis);
  numerics::release_matrix(v, 1, nbasis, 1, nbasis);
  numerics::release_matrix(u, 1, npoints, 1, nbasis);
  numerics::release_vector(w, 1, nbasis);
  numerics::release_vector(coef, 1, nbasis);
  numerics::release_vector(sigma, 1, npoints);
  numerics::release_vector(y, 1, npoints);
  numerics::release_vector(x, 1, npoints);
}

// Whether the curvature matrix of the free parameters is safely regular: no diagonal entry below 1e-6 of
// its value at the start (a parameter that hardly moves the model any more), and a Cholesky
// factorisation in double whose every pivot keeps at least 1e-6 of its diagonal entry.
bool well_conditioned(float** curvature, int nfree, const std::vector<double>& start_diagonal) {
  for (int k = 1; k <= nfree; ++k) {
    if (!(curvature[k][k] >= 1e-6 * start_diagonal[static_cast<std::size_t>(k)])) return false;
  }
  std::vector<std::vector<double>> l(static_cast<std::size_t>(nfree + 1),
                                     std::vector<double>(static_cast<std::size_t>(nfree + 1), 0.0));
  for (int k = 1; k <= nfree; ++k) {
    const auto uk = static_cast<std::size_t>(k);
    double d = curvature[k][k];
    for (std::size_t j = 1; j < uk; ++j) d -= l[uk][j] * l[uk][j];
    if (!(d > 1e-6 * static_cast<double>(curvature[k][k]))) return false;
    l[uk][uk] = std::sqrt(d);
    for (int i = k + 1; i <= nfree; ++i) {
      const auto ui = static_cast<std::size_t>(i);
      double v = curvature[i][k];
      for (std::size_t j = 1; j < uk; ++j) v -= l[ui][j] * l[uk][j];
      l[ui][uk] = v / l[uk][uk];
    }
  }
  return true;
}

// A value in [low, high] from one byte.
float from_byte(fuzz_input::Reader& in, float low, float high) {
  return low + (high - low) * static_cast<float>(in.byte()) / 255.0f;
}

void check_nonlinear_fit(fuzz_input::Reader& in) {
  const int gaussians = 1 + in.byte() % kMaxGaussians;
  const int nparams = 3 * gaussians;
  const int npoints = 4 * nparams + in.byte() % kExtraFitPoints;
  const int steps = 1 + in.byte() % kMaxSteps;
  const std::uint8_t mask_bits = in.byte();
  const std::uint8_t mask_high = in.byte();

  float* truth = numerics::vector(1, nparams);
  float* params = numerics::vector(1, nparams);
  int* free_mask = numerics::ivector(1, nparams);
  for (int g = 0; g < gaussians; ++g) {
    const int i = 1 + 3 * g;
    truth[i] = from_byte(in, 1.0f, 4.0f);
    truth[i + 1] = 4.0f * static_cast<float>(g) + from_byte(in, -0.5f, 0.5f);
    truth[i + 2] = from_byte(in, 1.0f, 3.0f);
  }
  for (int j = 1; j <= nparams; ++j) {
    params[j] = truth[j] * (1.0f + from_byte(in, -0.125f, 0.125f));
    const int bit = j - 1;
    free_mask[j] = ((bit < 8 ? mask_bits >> bit : mask_high >> (bit - 8)) & 1) != 0 ? 1 : 0;
  }

  // Points spread from 4 below the first centre to 4 above the last.
  float* x = numerics::vector(1, npoints);
  float* y = numerics::vector(1, npoints);
  float* sigma = numerics::vector(1, npoints);
  float* derivs = numerics::vector(1, nparams);
  const float span = 4.0f * static_cast<float>(gaussians - 1) + 8.0f;
  for (int i = 1; i <= npoints; ++i) {
    x[i] = -4.0f + span * static_cast<float>(i - 1) / static_cast<float>(npoints - 1);
    float value = 0.0f;
    numerics::gaussian_sum(x[i], truth, &value, derivs, nparams);
    y[i] = value + from_byte(in, -0.125f, 0.125f);
    sigma[i] = from_byte(in, 0.25f, 1.0f);
  }

  const std::vector<float> start(params + 1, params + nparams + 1);
  float** covariance = numerics::matrix(1, nparams, 1, nparams);
  float** curvature = numerics::matrix(1, nparams, 1, nparams);
  float chi2 = 0.0f;
  float lambda = -1.0f;
  float previous = INFINITY;
  int nfree = 0;
  for (int j = 1; j <= nparams; ++j) nfree += free_mask[j] != 0 ? 1 : 0;
  std::vector<double> start_diagonal(static_cast<std::size_t>(nfree + 1), 0.0);
  {
    float* gradient = numerics::vector(1, nparams);
    float start_chi2 = 0.0f;
    numerics::fit_curvature(x, y, sigma, npoints, params, free_mask, nparams, curvature, gradient,
                            &start_chi2, numerics::gaussian_sum);
    for (int k = 1; k <= nfree; ++k) start_diagonal[static_cast<std::size_t>(k)] = curvature[k][k];
    numerics::release_vector(gradient, 1, nparams);
  }
  bool regular = true;
  for (int s = 0; s <= steps && regular; ++s) {
    numerics::nonlinear_fit_step(x, y, sigma, npoints, params, free_mask, nparams, covariance, curvature,
                                 &chi2, numerics::gaussian_sum, &lambda);
    check(std::isfinite(chi2) && chi2 >= 0.0f, "chi-square negative or not finite", chi2);
    check(chi2 <= previous, "chi-square grew", chi2, previous);
    check(lambda > 0.0f, "damping not positive during the fit", lambda);
    previous = chi2;
    regular = well_conditioned(curvature, nfree, start_diagonal);
  }
  const std::vector<int> fitted_mask(free_mask + 1, free_mask + nparams + 1);
  if (!regular) {
    // An accepted step took a Gaussian away from every point: its derivatives vanish, and the next
    // solve would meet a singular matrix (a documented fatal exit). A new start releases the fit in
    // progress; with every parameter fixed it cannot fail, and its final call releases it in turn.
    for (int j = 1; j <= nparams; ++j) free_mask[j] = 0;
    lambda = -1.0f;
    numerics::nonlinear_fit_step(x, y, sigma, npoints, params, free_mask, nparams, covariance, curvature,
                                 &chi2, numerics::gaussian_sum, &lambda);
  }
  lambda = 0.0f;
  numerics::nonlinear_fit_step(x, y, sigma, npoints, params, free_mask, nparams, covariance, curvature, &chi2,
                               numerics::gaussian_sum, &lambda);
  for (int j = 1; j <= nparams; ++j) {
    check(std::isfinite(params[j]), "parameter not finite", j, params[j]);
    if (fitted_mask[static_cast<std::size_t>(j - 1)] == 0) {
      check(params[j] == start[static_cast<std::size_t>(j - 1)], "fixed parameter moved", j, params[j]);
    }
    if (free_mask[j] == 0) {
      for (int k = 1; k <= nparams; ++k)
        check(covariance[j][k] == 0.0f && covariance[k][j] == 0.0f, "fixed parameter has covariance", j, k);
    }
  }
  // The covariance is the inverse of the accepted curvature matrix, which the final call leaves as it is.
  const double condition = regular ? row_norm(curvature, nfree) * row_norm(covariance, nparams) : 1.0;
  check_symmetric(covariance, nparams, condition, "covariance not symmetric or not finite");

  numerics::release_matrix(curvature, 1, nparams, 1, nparams);
  numerics::release_matrix(covariance, 1, nparams, 1, nparams);
  numerics::release_vector(derivs, 1, nparams);
  numerics::release_vector(sigma, 1, npoints);
  numerics::release_vector(y, 1, npoints);
  numerics::release_vector(x, 1, npoints);
  numerics::release_ivector(free_mask, 1, nparams);
  numerics::release_vector(params, 1, nparams);
  numerics::release_vector(truth, 1, nparams);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  fuzz_input::Reader in(data, size);
  check_linear_fit(in);
  check_nonlinear_fit(in);
  return 0;
}
