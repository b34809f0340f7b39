// The axes of an N-dimensional array as the Fourier transforms walk them: the index steps of each
// axis, last axis first. Shared by the fast transform's schedule and numerics::reference.
#pragma once

#include <cstdint>

namespace numerics {
namespace fft {

// The index steps of one dimension of an N-dimensional array, counted in floats.
struct Axis {
  std::uint32_t p1;  // distance between neighbours along the axis (a row of p1 floats)
  std::uint32_t p2;  // length of one run of the axis
  std::uint32_t p3;  // size of the whole array
};

// Calls step(axis) for the axes dims[ndims] down to dims[1], the order of fft_multidim.
template <class Step>
void for_each_axis(const std::uint32_t* dims, int ndims, Step step) {
  std::uint32_t total = 1;
  for (int d = 1; d <= ndims; ++d) total *= dims[d];
  std::uint32_t prev = 1;
  for (int d = ndims; d >= 1; --d) {
    const std::uint32_t n = dims[d];
    const std::uint32_t p1 = prev << 1;
    const std::uint32_t p2 = p1 * n;
    step(Axis{p1, p2, p2 * (total / (n * prev))});
    prev *= n;
  }
}

}  // namespace fft
}  // namespace numerics
