// Tolerances of the numerical tests and fuzz targets, in units of the float machine epsilon, stated
// once. A check uses the smallest tier that the error analysis written next to it stays within; a
// tolerance derived from a count of operations (n·ε for a sum of n terms) is written as that multiple
// of kEps where it is used.
#pragma once

#include <limits>

namespace test_support {

// ε = 2^-23, held in double so that tolerances formed from it do not round again.
inline constexpr double kEps = std::numeric_limits<float>::epsilon();

// Relative tolerance tiers.
// 2 ε: a handful of correctly rounded float steps (each off by at most ε/2).
inline constexpr double kTol2 = 2 * kEps;
// 4 ε: a closed form of a few dependent float steps, or an approximation good to one unit plus the
// roundings of its evaluation (the 4 units of EXPECT_FLOAT_EQ).
inline constexpr double kTol4 = 4 * kEps;
// 8 ε: a short float sum, or a quotient of sums that are exact but for their last roundings.
inline constexpr double kTol8 = 8 * kEps;
// 16 ε: float sums of tens of well-conditioned terms; series and continued fractions that stop at a
// relative change of about 2.5 ε.
inline constexpr double kTol16 = 16 * kEps;
// 32 ε: a routine evaluated through another's rounded result (a tail through the incomplete beta,
// a model whose exponent's argument is rounded first).
inline constexpr double kTol32 = 32 * kEps;
// 64 ε: a result through several rounded stages in a row (a design matrix, its decomposition and the
// back-substitution; sums of products that each carry a few units).
inline constexpr double kTol64 = 64 * kEps;

// Threshold of the scaled residuals of residuals.h (LAPACK's form: |error| / (|A|·size·ε)). A
// backward-stable float method scores about 1; a wrong element scores in the thousands.
inline constexpr double kResidualLimit = 30.0;

}  // namespace test_support
