// Agreement lines of the nonlinear least-squares family: Gauss-Jordan, the curvature matrix, the
// covariance spreading and whole fits of an arithmetic-only model, and the sum of Gaussians with fits
// through it (which call the single-precision exponential).
#include <string>
#include <vector>

#include "agreement.h"
#include "numerics/numerics.h"

namespace {

constexpr int kPoints = 24;
constexpr int kFitSteps = 6;

// y = p1 + p2 x / (1 + p3 x^2) + p4 x^2, built from + - * / only.
void rational_model(float x, float* p, float* value, float* d, int) {
  const float den = 1.0f + p[3] * x * x;
  d[1] = 1.0f;
  d[2] = x / den;
  d[3] = -(p[2] * x * x * x) / (den * den);
  d[4] = x * x;
  *value = p[1] + p[2] * d[2] + p[4] * d[4];
}

void emit_matrix(const std::string& name, float** m, int rows, int cols) {
  std::vector<float> flat;
  for (int i = 1; i <= rows; ++i)
    for (int j = 1; j <= cols; ++j) flat.push_back(m[i][j]);
  agreement::emit(name, flat.data(), static_cast<int>(flat.size()));
}

// Data from the model at `truth`, perturbed by fixed offsets, with unequal standard deviations.
struct Data {
  std::vector<float> x, y, sigma;
  Data(numerics::model_function model, std::vector<float> truth)
      : x(kPoints + 1), y(kPoints + 1), sigma(kPoints + 1) {
    std::vector<float> d(truth.size());
    for (int i = 1; i <= kPoints; ++i) {
      x[i] = agreement::fixed_value(static_cast<std::uint32_t>(i), -2.0f, 2.0f);
      model(x[i], truth.data(), &y[i], d.data(), static_cast<int>(truth.size()) - 1);
      y[i] = y[i] + agreement::fixed_value(static_cast<std::uint32_t>(100 + i), -0.05f, 0.05f);
      sigma[i] = agreement::fixed_value(static_cast<std::uint32_t>(200 + i), 0.5f, 1.5f);
    }
  }
};

void agree_gaussj() {
  const int n = 6, m = 2;
  float** a = numerics::matrix(1, n, 1, n);
  float** b = numerics::matrix(1, n, 1, m);
  std::uint32_t k = 300;
  for (int i = 1; i <= n; ++i) {
    for (int j = 1; j <= n; ++j) a[i][j] = agreement::fixed_value(k++, -1.0f, 1.0f);
    for (int j = 1; j <= m; ++j) b[i][j] = agreement::fixed_value(k++, -5.0f, 5.0f);
  }
  numerics::gaussj(a, n, b, m);
  emit_matrix("gaussj_inverse_6", a, n, n);
  emit_matrix("gaussj_solutions_6x2", b, n, m);
  numerics::release_matrix(b, 1, n, 1, m);
  numerics::release_matrix(a, 1, n, 1, n);
}

void agree_curvature_and_expansion() {
  std::vector<float> truth = {0, 0.5f, 2.0f, 0.7f, -0.3f}, at = {0, 0.4f, 2.2f, 0.6f, -0.25f};
  const std::vector<int> mask = {0, 1, 1, 0, 1};
  const Data data(rational_model, truth);
  float** alpha = numerics::matrix(1, 4, 1, 4);
  std::vector<float> beta(5);
  float chi2 = 0;
  numerics::fit_curvature(data.x.data(), data.y.data(), data.sigma.data(), kPoints, at.data(), mask.data(), 4,
                          alpha, beta.data(), &chi2, rational_model);
  emit_matrix("fit_curvature_rational_alpha", alpha, 3, 3);
  agreement::emit("fit_curvature_rational_beta_chi2", {beta[1], beta[2], beta[3], chi2});
  numerics::gaussj(alpha, 3, nullptr, 0);
  numerics::expand_covariance(alpha, 4, mask.data(), 3);
  emit_matrix("expand_covariance_rational", alpha, 4, 4);
  numerics::release_matrix(alpha, 1, 4, 1, 4);
}

// A start, kFitSteps steps and the finishing call; prints parameters, chi-square, lambda, covariance.
void agree_fit(const std::string& name, numerics::model_function model, const std::vector<float>& truth,
               std::vector<float> p, const std::vector<int>& mask) {
  const int n = static_cast<int>(p.size()) - 1;
  const Data data(model, truth);
  float** cov = numerics::matrix(1, n, 1, n);
  float** curv = numerics::matrix(1, n, 1, n);
  float chi2 = 0, lambda = -1.0f;
  for (int it = 0; it <= kFitSteps; ++it)
    numerics::nonlinear_fit_step(data.x.data(), data.y.data(), data.sigma.data(), kPoints, p.data(),
                                 mask.data(), n, cov, curv, &chi2, model, &lambda);
  p.push_back(chi2);
  p.push_back(lambda);
  agreement::emit(name + "_params_chi2_lambda", p.data() + 1, n + 2);
  lambda = 0.0f;
  numerics::nonlinear_fit_step(data.x.data(), data.y.data(), data.sigma.data(), kPoints, p.data(),
                               mask.data(), n, cov, curv, &chi2, model, &lambda);
  emit_matrix(name + "_covariance", cov, n, n);
  numerics::release_matrix(curv, 1, n, 1, n);
  numerics::release_matrix(cov, 1, n, 1, n);
}

void agree_gaussian_sum() {
  std::vector<float> p = {0, 2.5f, -0.5f, 1.2f, 1.25f, 0.7f, 0.9f}, d(7);
  std::vector<float> out;
  for (std::uint32_t i = 0; i < 8; ++i) {
    float value = 0;
    numerics::gaussian_sum(agreement::fixed_value(400 + i, -2.0f, 2.0f), p.data(), &value, d.data(), 6);
    out.push_back(value);
    out.insert(out.end(), d.begin() + 1, d.end());
  }
  agreement::emit("gaussian_sum_8_points", out.data(), static_cast<int>(out.size()));
}

}  // namespace

void agree_nonlinfit() {
  agree_gaussj();
  agree_curvature_and_expansion();
  agree_fit("nonlinear_fit_rational", rational_model, {0, 0.5f, 2.0f, 0.7f, -0.3f},
            {0, 0.3f, 1.5f, 0.9f, -0.2f}, {0, 1, 1, 1, 1});
  agree_gaussian_sum();
  agree_fit("nonlinear_fit_gaussians", numerics::gaussian_sum, {0, 3.0f, -1.0f, 0.8f, 1.5f, 1.2f, 0.6f},
            {0, 2.7f, -1.0f, 0.9f, 1.6f, 1.1f, 0.6f}, {0, 1, 0, 1, 1, 1, 0});
}
