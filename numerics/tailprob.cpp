// Tail probabilities of Student's t, a correlation coefficient and Fisher's F, all through the
// regularised incomplete beta function, and their inverses by a fixed-length bisecting step search.
#include <cmath>
#include <cstdint>

#include "numerics/numerics.h"

namespace numerics {
namespace {

constexpr int kSearchEvaluations = 25;       // the search makes this many moves, with no tolerance test
constexpr double kCorrelationGuard = 1e-20;  // keeps 1 - r and 1 + r away from zero in the t transform

constexpr float kTStart = 4.0f;
constexpr float kTStep = 2.0f;
constexpr float kCorrelationStart = 0.4f;
constexpr float kCorrelationStep = 0.2f;
constexpr float kFStart = 10.0f;
constexpr float kFStep = 2.0f;

// Step search for s with tail(s) = p on a decreasing tail function: move down when p > tail(s) and
// up otherwise (also when tail(s) is not a number), halving the step at every reversal. Returns the
// value after the last move without evaluating it.
template <typename Tail>
float probability_search(float p, float start, float step, Tail tail) {
  float s = start;
  int last = +1;
  for (int i = 0; i < kSearchEvaluations; ++i) {
    const float q = tail(s);
    if (p > q) {
      s = s - step;
      if (last == +1) step = step / 2.0f;
      last = -1;
    } else {
      s = s + step;
      if (last == -1) step = step / 2.0f;
      last = +1;
    }
  }
  return s;
}

}  // namespace

// A_t = I_{v/(v+t^2)}(v/2, 1/2), the probability that |T| >= |t| with v degrees of freedom.
float t_probability(float t, std::uint32_t df) {
  const float v = static_cast<float>(df);
  return incomplete_beta(0.5f * v, 0.5f, v / (v + t * t));
}

// Two-sided significance of r among n points through t = r sqrt(v / ((1-r)(1+r))), v = n - 2; the
// transform is done in double with a tiny guard so that |r| near 1 gives a large finite t.
float correlation_probability(float r, std::uint32_t n) {
  if (n < 2) return 1.0f;
  const float v = static_cast<float>(n - 2u);
  if (r == 0.0f) return 1.0f;
  if (r == 1.0f) return 0.0f;
  const double rd = static_cast<double>(r);
  const float t =
      static_cast<float>(rd * std::sqrt(static_cast<double>(v) /
                                        ((1.0 - rd + kCorrelationGuard) * (1.0 + rd + kCorrelationGuard))));
  return incomplete_beta(static_cast<float>(0.5 * static_cast<double>(v)), 0.5f, v / (v + t * t));
}

// Q(F | df1, df2) = I_{df2/(df2 + df1 F)}(df2/2, df1/2); 0 for a negative F.
float f_probability(float f, std::uint32_t df1, std::uint32_t df2) {
  if (f < 0.0f) return 0.0f;
  const float fa = static_cast<float>(df1);
  const float fb = static_cast<float>(df2);
  return incomplete_beta(0.5f * fb, 0.5f * fa, fb / (fb + fa * f));
}

float t_for_probability(float p, std::uint32_t df) {
  return probability_search(p, kTStart, kTStep, [df](float s) { return t_probability(s, df); });
}

float correlation_for_probability(float p, std::uint32_t n) {
  return probability_search(p, kCorrelationStart, kCorrelationStep,
                            [n](float s) { return correlation_probability(s, n); });
}

float f_for_probability(float p, std::uint32_t df1, std::uint32_t df2) {
  return probability_search(p, kFStart, kFStep, [df1, df2](float s) { return f_probability(s, df1, df2); });
}

}  // namespace numerics
