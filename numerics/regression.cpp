// Straight-line least-squares fit y = a + b x, unweighted or weighted by per-point standard
// deviations, with the standard errors of a and b, chi-square and a goodness-of-fit probability.
#include <cmath>
#include <cstdint>

#include "numerics/numerics.h"
#include "numerics/precision.h"

namespace numerics {
namespace {

// n - 2, formed in 64 bits so that a nonsensical negative count cannot overflow.
std::int64_t degrees_of_freedom(int n) { return static_cast<std::int64_t>(n) - 2; }

}  // namespace

// The slope is found from the sums centred on the weighted mean of x, which avoids the cancellation
// of the textbook normal equations. All sums are float, accumulated in index order; the reciprocal
// weights, the final square roots and the chi-square additions are done in double.
void fit_line(const float* x, const float* y, int n, const float* sig, int weighted, float* a, float* b,
              float* siga, float* sigb, float* chi2, float* q) {
  float sx = 0.0f;
  float sy = 0.0f;
  float st2 = 0.0f;
  float ss = 0.0f;
  *b = 0.0f;  // the slope's out-parameter doubles as the running sum of t * y
  if (weighted != 0) {
    for (int i = 1; i <= n; ++i) {
      const float wt = detail::reciprocal_in_double(sig[i] * sig[i]);
      ss = ss + wt;
      sx = sx + x[i] * wt;
      sy = sy + y[i] * wt;
    }
  } else {
    for (int i = 1; i <= n; ++i) {
      sx = sx + x[i];
      sy = sy + y[i];
    }
    ss = static_cast<float>(n);
  }
  const float sxoss = sx / ss;
  for (int i = 1; i <= n; ++i) {
    if (weighted != 0) {
      const float t = (x[i] - sxoss) / sig[i];
      st2 = st2 + t * t;
      *b = *b + t * y[i] / sig[i];
    } else {
      const float t = x[i] - sxoss;
      st2 = st2 + t * t;
      *b = *b + t * y[i];
    }
  }
  *b = *b / st2;
  *a = (sy - sx * *b) / ss;
  *siga = static_cast<float>(
      std::sqrt((1.0 + static_cast<double>(sx * sx / (ss * st2))) / static_cast<double>(ss)));
  *sigb = static_cast<float>(std::sqrt(1.0 / static_cast<double>(st2)));

  *chi2 = 0.0f;
  for (int i = 1; i <= n; ++i) {
    float r = (y[i] - *a) - *b * x[i];
    if (weighted != 0) r = r / sig[i];
    *chi2 = static_cast<float>(static_cast<double>(*chi2) + static_cast<double>(r * r));
  }

  if (weighted == 0) {
    // Without deviations the errors are scaled by the scatter about the line.
    *q = 1.0f;
    const float sigdat = std::sqrt(*chi2 / static_cast<float>(degrees_of_freedom(n)));
    *siga = *siga * sigdat;
    *sigb = *sigb * sigdat;
  } else {
    *q = gammq(static_cast<float>(0.5 * static_cast<double>(degrees_of_freedom(n))),
               static_cast<float>(0.5 * static_cast<double>(*chi2)));
  }
}

}  // namespace numerics
