// The Fourier transforms' entry points: argument checks, the one choice of lane path per call, and the
// recombination of a half-length complex transform into a real one, shared by fft_real and fft_real_3d.
// The butterfly passes are in fft_schedule.h over the lanes of fft_lanes_*; numerics::reference
// (reference/fft.cpp) holds the plain step order that every result equals bit for bit.
#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <utility>

#include "numerics/fft_lanes_portable.h"
#include "numerics/fft_lanes_sse2.h"
#include "numerics/fft_recombine.h"
#include "numerics/fft_schedule.h"
#include "numerics/fft_twiddles.h"
#include "numerics/numerics.h"
#include "numerics/simd.h"

namespace numerics {
namespace {

using fft::kTableEntries;
using fft::Twiddle;

bool is_power_of_two(std::uint32_t n) { return n != 0 && (n & (n - 1)) == 0; }

bool is_direction(int direction) { return direction == 1 || direction == -1; }

// The passes of the lane path this processor takes: chosen here once per transform, and nowhere else.
fft::Passes passes_in_use() {
#if NUMERICS_FFT_LANES
  switch (detail::simd_path()) {
#if NUMERICS_FFT_AVX2
    case detail::SimdPath::avx2:
      return fft::avx2_passes();
#endif
    case detail::SimdPath::portable:
      return fft::passes_on<fft::PortableLanes>();
    default:
      return fft::passes_on<fft::Sse2Lanes>();
  }
#else
  return fft::passes_on<fft::PortableLanes>();
#endif
}

// The twiddles of a chunk of column pairs of the recombination, in double.
struct ColumnTwiddles {
  double wr[kTableEntries];
  double wi[kTableEntries];
};

// Entry c of a twiddle table from the recurrence, which then advances.
void take_twiddle(ColumnTwiddles& table, std::uint32_t c, Twiddle& w) {
  table.wr[c] = w.wr;
  table.wi[c] = w.wi;
  fft::advance(w);
}

// A row x and its mirrored row y of the recombination, rows of n floats.
struct RowPair {
  float* x;
  float* y;
};

// Column pairs i = first .. first+len-1 of a row pair: x[2i-1], x[2i] with y[n+3-2i], y[n+4-2i]. The
// middle column pair may be the same element twice (a row that is its own mirror).
void recombine_row(RowPair row, std::uint32_t n, std::uint32_t first, std::uint32_t len, float h,
                   const ColumnTwiddles& w) {
  for (std::uint32_t c = 0; c < len; ++c) {
    const std::uint32_t i = first + c;
    fft::recombine_pair(row.x + (i << 1) - 1, row.y + n + 3 - (i << 1), h, w.wr[c], w.wi[c]);
  }
}

// recombine_row while the recurrence w fills the first `fill` twiddles of the next chunk: the
// recurrence, a chain of dependent double operations, then overlaps the arithmetic of the pairs.
void recombine_row_filling(RowPair row, std::uint32_t n, std::uint32_t first, std::uint32_t len, float h,
                           const ColumnTwiddles& current, ColumnTwiddles& next, std::uint32_t fill,
                           Twiddle& w) {
  Twiddle step = w;  // a local copy stays in registers: the table stores could alias w
  for (std::uint32_t c = 0; c < len; ++c) {
    const std::uint32_t i = first + c;
    fft::recombine_pair(row.x + (i << 1) - 1, row.y + n + 3 - (i << 1), h, current.wr[c], current.wi[c]);
    if (c < fill) take_twiddle(next, c, step);
  }
  w = step;
}

// The recombination of column pairs 2 .. last of `rows` row pairs row_pair(0 .. rows-1) of n floats,
// with the twiddles of angle theta from the second on. Reorders reference::fft_real_3d's column-major
// walk (one twiddle down a column of rows) into a row-major one a chunk of columns at a time: column
// pairs other than the middle one touch disjoint elements, and the middle ones keep their row order,
// so every element meets the same operands. The chunk's twiddles come from the one recurrence, in order.
template <class RowPairs>
void recombine_columns(std::uint32_t n, std::uint32_t last, std::uint32_t rows, float h, double theta,
                       RowPairs row_pair) {
  if (last < 2) return;
  Twiddle w = fft::make_twiddle(theta);
  fft::advance(w);
  ColumnTwiddles tables[2];
  ColumnTwiddles* current = &tables[0];
  ColumnTwiddles* next = &tables[1];
  for (std::uint32_t c = 0; c < std::min(kTableEntries, last - 1); ++c) take_twiddle(*current, c, w);
  for (std::uint32_t first = 2; first <= last; first += kTableEntries) {
    const std::uint32_t len = std::min(kTableEntries, last + 1 - first);
    const std::uint32_t fill = std::min(kTableEntries, last + 1 - first - len);  // of the next chunk
    recombine_row_filling(row_pair(0), n, first, len, h, *current, *next, fill, w);
    for (std::uint32_t r = 1; r < rows; ++r) recombine_row(row_pair(r), n, first, len, h, *current);
    std::swap(current, next);
  }
}

// The zero-frequency plane of the last axis, paired with the nyquist plane of the mirrored indices;
// float arithmetic throughout.
void recombine_zero_plane(float*** data, float** nyquist, std::uint32_t i1, std::uint32_t j1,
                          std::uint32_t n2, float h) {
  for (std::uint32_t i2 = 1; i2 <= n2; ++i2) {
    const std::uint32_t j2 = (i2 != 1) ? ((n2 - i2) << 1) + 3 : 1;
    fft::recombine_zero_pair(&data[i1][i2][1], &nyquist[j1][j2], h);
  }
}

// The recombination of one plane i1 with its mirror j1, rows i2 with mirrored rows j2.
void recombine_plane(float*** data, float** nyquist, std::uint32_t i1, std::uint32_t j1, std::uint32_t n2,
                     std::uint32_t n3, float h, double theta) {
  recombine_zero_plane(data, nyquist, i1, j1, n2, h);
  recombine_columns(n3, (n3 >> 2) + 1, n2, h, theta, [&](std::uint32_t r) {
    const std::uint32_t i2 = r + 1;
    const std::uint32_t j2 = (i2 != 1) ? n2 - i2 + 2 : 1;
    return RowPair{data[i1][i2], data[j1][j2]};
  });
}

// The tensor must be one block in row order: the first and last elements n1·n2·n3 floats apart.
bool is_contiguous(float*** data, std::uint32_t n1, std::uint32_t n2, std::uint32_t n3) {
  const auto first = reinterpret_cast<std::uintptr_t>(&data[1][1][1]);
  const auto last = reinterpret_cast<std::uintptr_t>(&data[n1][n2][n3]);
  if (last < first || (last - first) % sizeof(float) != 0) return false;
  const std::uintptr_t elements = (last - first) / sizeof(float) + 1;
  const std::uint32_t points = n1 * n2 * n3;  // 32 bits, as all of the transforms' index arithmetic
  return elements == points;
}

}  // namespace

void fft_complex(float* data, std::uint32_t count, int direction) {
  if (!is_power_of_two(count)) fatal_numeric_error("fft_complex: count is not a power of two");
  if (!is_direction(direction)) fatal_numeric_error("fft_complex: direction is neither +1 nor -1");
  passes_in_use().complex(data, count, direction);
}

void fft_real(float* data, std::uint32_t count, int direction) {
  if (count < 2 || !is_power_of_two(count)) {
    fatal_numeric_error("fft_real: count is not a power of two of at least 2");
  }
  const fft::Passes passes = passes_in_use();
  const std::uint32_t half = count >> 1;
  double theta = fft::kPi / static_cast<double>(half);
  float h = 0.5f;
  if (direction == 1) {
    h = -0.5f;
    passes.complex(data, half, 1);
  } else {
    theta = -theta;
  }
  // reference::fft_real's recombination: one row that is its own mirror. Its first twiddle
  // (1 + alpha, beta) is the recurrence's second value bit for bit (1·alpha and 0·beta are exact).
  recombine_columns(count, count >> 2, 1, h, theta, [data](std::uint32_t) { return RowPair{data, data}; });
  fft::recombine_ends(data, direction);
  if (direction != 1) passes.complex(data, half, -1);
}

void fft_multidim(float* data, const std::uint32_t* dims, int ndims, int direction) {
  for (int d = 1; d <= ndims; ++d) {
    if (!is_power_of_two(dims[d])) fatal_numeric_error("fft_multidim: dimension is not a power of two");
  }
  if (!is_direction(direction)) fatal_numeric_error("fft_multidim: direction is neither +1 nor -1");
  passes_in_use().multidim(data, dims, ndims, direction);
}

void fft_real_3d(float*** data, float** nyquist, std::uint32_t n1, std::uint32_t n2, std::uint32_t n3,
                 int direction) {
  if (!is_power_of_two(n1) || !is_power_of_two(n2) || n3 < 2 || !is_power_of_two(n3)) {
    fatal_numeric_error("fft_real_3d: n1, n2, n3 are not powers of two with n3 at least 2");
  }
  if (!is_direction(direction)) fatal_numeric_error("fft_real_3d: direction is neither +1 nor -1");
  if (!is_contiguous(data, n1, n2, n3)) std::exit(1);

  const fft::Passes passes = passes_in_use();
  const float h = static_cast<float>(-0.5 * static_cast<double>(direction));
  const double theta = static_cast<double>(direction) * (fft::kTwoPi / static_cast<double>(n3));
  const std::uint32_t dims[4] = {0, n1, n2, n3 >> 1};  // read as dims[1..3]
  if (direction == 1) {
    passes.multidim(data[1][1], dims, 3, 1);
    for (std::uint32_t i1 = 1; i1 <= n1; ++i1) {
      for (std::uint32_t i2 = 1; i2 <= n2; ++i2) {
        nyquist[i1][(i2 << 1) - 1] = data[i1][i2][1];
        nyquist[i1][i2 << 1] = data[i1][i2][2];
      }
    }
  }
  for (std::uint32_t i1 = 1; i1 <= n1; ++i1) {
    const std::uint32_t j1 = (i1 != 1) ? n1 - i1 + 2 : 1;
    recombine_plane(data, nyquist, i1, j1, n2, n3, h, theta);
  }
  if (direction == -1) passes.multidim(data[1][1], dims, 3, -1);
}

}  // namespace numerics
