// Accuracy of the routines of two and three arguments against Boost.Math: each case draws its
// arguments from the routine's documented domain (the edge values of the domain first, then a fixed
// pseudo-random stream, so that a run of n samples is a prefix of a longer one) and measures the error
// of the float result in float ulp at the reference value.
#pragma once

#include <cstdint>
#include <string>

#include "accuracy/error_kit.h"

namespace accuracy {

// Errors of one case: in float ulp at the reference, and absolute (in the units of the result).
struct Errors {
  error_kit::ErrorStats ulp;
  error_kit::ErrorStats absolute;
};

struct Case {
  const char* routine;
  const char* domain;     // what is sampled, for the report
  const char* reference;  // the Boost.Math function compared with
  // Bounds held by the tests, in float ulp: twice the largest error and 1.5 times the 99th percentile
  // measured over 10^6 samples on the native build (the README's accuracy table). The margins leave
  // room for other C libraries' exp and log, whose last bit the float steps can amplify, and for the
  // percentile of a shorter run.
  double held_largest;
  double held_percentile;
  // Measures `samples` random arguments after the edge values; returns the statistics.
  Errors (*measure)(std::uint64_t samples);
};

// gammq, incomplete_beta, t_probability, correlation_probability, f_probability, t_for_probability,
// correlation_for_probability, f_for_probability, and fit_line's goodness of fit.
extern const Case kCases[];
extern const int kCaseCount;

}  // namespace accuracy
