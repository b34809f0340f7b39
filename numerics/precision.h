// Named precision steps of the numerical library (internal): where the library's results are specified
// as a value formed in double and rounded once to float, the step is written here once and called by
// name, so that a reader sees the rounding and no call site can drift from it.
#pragma once

namespace numerics {
namespace detail {

// 1/x formed in double from the float x and rounded once to float.
inline float reciprocal_in_double(float x) { return static_cast<float>(1.0 / static_cast<double>(x)); }

}  // namespace detail
}  // namespace numerics
