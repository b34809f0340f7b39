// GoogleTest checks of the numerical tests that the framework does not have.
#pragma once

#include <gtest/gtest.h>

#include <cmath>

namespace test_support {

// got lies within tolerance·|want| of the reference want (computed in long double).
inline void expect_relative(double got, long double want, double tolerance) {
  EXPECT_NEAR(got, static_cast<double>(want), tolerance * std::fabs(static_cast<double>(want)));
}

}  // namespace test_support
