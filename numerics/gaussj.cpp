// Gauss-Jordan elimination with full pivoting (gaussj): the inverse of a square float matrix in place
// and the solutions of its right-hand sides, with the pivot search folded into the elimination and the
// row updates in SSE2 and AVX2 lanes.
//
// Speed without a changed bit (the steps are those of reference::gaussj): each element of a row's
// elimination update is independent of the others, so the update runs eight (AVX2) or four (SSE2)
// columns at a time, each lane the same float multiply and subtract as the scalar loop, and two rows
// of the same kind share the loads of the pivot row. The search for the next pivot rides along: while
// a row is written, its largest candidate is kept, and the rows are taken in the order of the full
// scan, so the choice (the last largest magnitude in row-major order) is the scan's without a second
// pass over the matrix.
#include <cmath>
#include <cstddef>
#include <utility>

#include "numerics/gaussj_steps.h"
#include "numerics/numerics.h"
#include "numerics/precision.h"
#include "numerics/simd.h"

namespace numerics {
namespace {

// Where the next pivot lies: the row and the largest usable magnitude in it.
struct PivotCandidate {
  int row = 0;
  float largest = 0.0f;
};

// A column is usable as a pivot while its pivot count is 0; NaN entries never compete. The lanes
// keep −1 for the unusable ones, so that a plain maximum gives a row's largest candidate, the value
// that the scalar search "usable and greater" reaches.
inline void track_candidate(float value, int count, float* largest) {
  const float magnitude = std::fabs(value);
  if (count == 0 && magnitude > *largest) *largest = magnitude;
}

#if NUMERICS_LINALG_LANES
// All ones in the lanes of the four columns not yet pivoted.
inline __m128 unpivoted_columns(const int* counts) {
  const __m128i count = _mm_loadu_si128(reinterpret_cast<const __m128i*>(counts));
  return _mm_castsi128_ps(_mm_cmpeq_epi32(count, _mm_setzero_si128()));
}

// |value| in the unpivoted columns unless NaN, −1 elsewhere.
inline __m128 candidate_magnitudes(__m128 value, __m128 unpivoted) {
  const __m128 magnitude = _mm_and_ps(value, _mm_castsi128_ps(_mm_set1_epi32(0x7fffffff)));
  const __m128 usable = _mm_and_ps(unpivoted, _mm_cmpord_ps(magnitude, magnitude));
  return _mm_or_ps(_mm_and_ps(usable, magnitude), _mm_andnot_ps(usable, _mm_set1_ps(-1.0f)));
}

inline float lane_maximum(__m128 best) {
  best = _mm_max_ps(best, _mm_shuffle_ps(best, best, _MM_SHUFFLE(1, 0, 3, 2)));
  best = _mm_max_ps(best, _mm_shuffle_ps(best, best, _MM_SHUFFLE(2, 3, 0, 1)));
  return _mm_cvtss_f32(best);
}
#endif
#if NUMERICS_LINALG_AVX2
NUMERICS_AVX2_FUNCTION inline __m256 unpivoted_columns8(const int* counts) {
  const __m256i count = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(counts));
  return _mm256_castsi256_ps(_mm256_cmpeq_epi32(count, _mm256_setzero_si256()));
}

NUMERICS_AVX2_FUNCTION inline __m256 candidate_magnitudes8(__m256 value, __m256 unpivoted) {
  const __m256 magnitude = _mm256_and_ps(value, _mm256_castsi256_ps(_mm256_set1_epi32(0x7fffffff)));
  const __m256 usable = _mm256_and_ps(unpivoted, _mm256_cmp_ps(magnitude, magnitude, _CMP_ORD_Q));
  return _mm256_blendv_ps(_mm256_set1_ps(-1.0f), magnitude, usable);
}

NUMERICS_AVX2_FUNCTION inline float lane_maximum8(__m256 best) {
  return lane_maximum(_mm_max_ps(_mm256_castps256_ps128(best), _mm256_extractf128_ps(best, 1)));
}
#endif

// The rows that one elimination pass updates together (one, or two of the same kind), each with its
// factor and, for rows still competing for the pivot, the largest usable magnitude written (−1 for
// none).
template <std::size_t kRows>
struct RowPass {
  float* row[kRows];
  float factor[kRows];
  float largest[kRows];
};

// The row kernels (run_lanes over the columns l): row[l] = row[l] − pivot[l]·factor for each row of
// the pass (one or two); with kTrack, each row's largest usable magnitude is raised to the values
// written. The lanes name the two rows apart so that their registers stay registers.
template <std::size_t kRows, bool kTrack>
struct SubtractMultiple {
  static_assert(kRows == 1 || kRows == 2, "a pass updates one or two rows");
  static void step(int l, RowPass<kRows>* pass, const float* pivot, const int* pivot_count) {
    for (std::size_t r = 0; r < kRows; ++r) {
      // The value is kept in a register: a store through row may alias the pass's floats.
      const float value = pass->row[r][l] - pivot[l] * pass->factor[r];
      pass->row[r][l] = value;
      if (kTrack) track_candidate(value, pivot_count[l], &pass->largest[r]);
    }
  }
#if NUMERICS_LINALG_LANES
  static int sse2(int l, int last, RowPass<kRows>* pass, const float* pivot, const int* pivot_count) {
    float* const row0 = pass->row[0];
    float* const row1 = pass->row[kRows - 1];
    const __m128 factor0 = _mm_set1_ps(pass->factor[0]);
    const __m128 factor1 = _mm_set1_ps(pass->factor[kRows - 1]);
    __m128 best0 = _mm_set1_ps(pass->largest[0]);
    __m128 best1 = _mm_set1_ps(pass->largest[kRows - 1]);
    for (; l + 3 <= last; l += 4) {
      const __m128 p = _mm_loadu_ps(pivot + l);
      const __m128 unpivoted = kTrack ? unpivoted_columns(pivot_count + l) : _mm_setzero_ps();
      lanes4(row0 + l, p, factor0, unpivoted, &best0);
      if (kRows == 2) lanes4(row1 + l, p, factor1, unpivoted, &best1);
    }
    if (kTrack) pass->largest[0] = lane_maximum(best0);
    if (kTrack && kRows == 2) pass->largest[kRows - 1] = lane_maximum(best1);
    return l;
  }

  // Four columns of one row: the update stored, and with kTrack the candidates kept in *best.
  static void lanes4(float* row, __m128 p, __m128 factor, __m128 unpivoted, __m128* best) {
    const __m128 value = _mm_sub_ps(_mm_loadu_ps(row), _mm_mul_ps(p, factor));
    _mm_storeu_ps(row, value);
    if (kTrack) *best = _mm_max_ps(*best, candidate_magnitudes(value, unpivoted));
  }
#endif
#if NUMERICS_LINALG_AVX2
  NUMERICS_AVX2_FUNCTION static int avx2(int l, int last, RowPass<kRows>* pass, const float* pivot,
                                         const int* pivot_count) {
    float* const row0 = pass->row[0];
    float* const row1 = pass->row[kRows - 1];
    const __m256 factor0 = _mm256_set1_ps(pass->factor[0]);
    const __m256 factor1 = _mm256_set1_ps(pass->factor[kRows - 1]);
    __m256 best0 = _mm256_set1_ps(pass->largest[0]);
    __m256 best1 = _mm256_set1_ps(pass->largest[kRows - 1]);
    for (; l + 7 <= last; l += 8) {
      const __m256 p = _mm256_loadu_ps(pivot + l);
      const __m256 unpivoted = kTrack ? unpivoted_columns8(pivot_count + l) : _mm256_setzero_ps();
      lanes8(row0 + l, p, factor0, unpivoted, &best0);
      if (kRows == 2) lanes8(row1 + l, p, factor1, unpivoted, &best1);
    }
    if (kTrack) pass->largest[0] = lane_maximum8(best0);
    if (kTrack && kRows == 2) pass->largest[kRows - 1] = lane_maximum8(best1);
    return l;
  }

  NUMERICS_AVX2_FUNCTION static void lanes8(float* row, __m256 p, __m256 factor, __m256 unpivoted,
                                            __m256* best) {
    const __m256 value = _mm256_sub_ps(_mm256_loadu_ps(row), _mm256_mul_ps(p, factor));
    _mm256_storeu_ps(row, value);
    if (kTrack) *best = _mm256_max_ps(*best, candidate_magnitudes8(value, unpivoted));
  }
#endif
};

// The kernels of largest_candidate (run_lanes over the columns k): the largest usable |row[k]|.
struct LargestCandidate {
  static void step(int k, const float* row, const int* pivot_count, float* largest) {
    track_candidate(row[k], pivot_count[k], largest);
  }
#if NUMERICS_LINALG_LANES
  static int sse2(int k, int last, const float* row, const int* pivot_count, float* largest) {
    __m128 best = _mm_set1_ps(*largest);
    for (; k + 3 <= last; k += 4)
      best =
          _mm_max_ps(best, candidate_magnitudes(_mm_loadu_ps(row + k), unpivoted_columns(pivot_count + k)));
    *largest = lane_maximum(best);
    return k;
  }
#endif
#if NUMERICS_LINALG_AVX2
  NUMERICS_AVX2_FUNCTION static int avx2(int k, int last, const float* row, const int* pivot_count,
                                         float* largest) {
    __m256 best = _mm256_set1_ps(*largest);
    for (; k + 7 <= last; k += 8) {
      const __m256 values = _mm256_loadu_ps(row + k);
      best = _mm256_max_ps(best, candidate_magnitudes8(values, unpivoted_columns8(pivot_count + k)));
    }
    *largest = lane_maximum8(best);
    return k;
  }
#endif
};

// The largest |row[k]| over the usable columns k = 1..n; −1 when the row has none.
float largest_candidate(const float* row, int n, const int* pivot_count) {
  float largest = -1.0f;
  detail::run_lanes<LargestCandidate>(1, n, row, pivot_count, &largest);
  return largest;
}

// The row-major scan with "≥" keeps the last of equal magnitudes: the row is the last whose largest
// candidate reaches the running maximum. Rows already used as pivots take no part.
void consider_row(PivotCandidate* next, int row, float candidate) {
  if (candidate >= next->largest) {
    next->largest = candidate;
    next->row = row;
  }
}

// Full pivoting, as one scan of the matrix: only the first pivot is found this way, the later ones
// while the elimination writes the matrix (eliminate below).
PivotCandidate scan_for_pivot(float** a, int n, const int* pivot_count) {
  PivotCandidate next;
  for (int j = 1; j <= n; ++j) {
    if (pivot_count[j] != 1) consider_row(&next, j, largest_candidate(a[j], n, pivot_count));
  }
  return next;
}

// The column of the chosen row: the last usable one that holds the largest magnitude. No candidate
// at all happens only with NaN entries; a pivot count above 1 cannot arise but is reported as the
// scan would report it.
int pivot_column(float** a, int n, const int* pivot_count, PivotCandidate next) {
  for (int k = 1; k <= n; ++k) {
    if (pivot_count[k] > 1) fatal_numeric_error("gaussj: Singular Matrix-1");
  }
  if (next.row == 0) fatal_numeric_error("gaussj: Singular Matrix-1");
  int col = n;
  while (pivot_count[col] != 0 || std::fabs(a[next.row][col]) != next.largest) --col;
  return col;
}

// Clears the pivot column pc in the kRows given rows: a row of a and of b loses the pivot row times
// its entry in column pc. A row not yet pivoted is scanned as it is written and offered to `next`.
template <std::size_t kRows>
void eliminate_rows(float** a, int n, float** b, int m, int pc, const int (&rows)[kRows],
                    const int* pivot_count, PivotCandidate* next) {
  RowPass<kRows> in_a{}, in_b{};
  for (std::size_t r = 0; r < kRows; ++r) {
    in_a.row[r] = a[rows[r]];
    in_a.factor[r] = a[rows[r]][pc];
    in_a.largest[r] = -1.0f;
    a[rows[r]][pc] = 0.0f;
  }
  if (pivot_count[rows[0]] == 1) {
    detail::run_lanes<SubtractMultiple<kRows, false>>(1, n, &in_a, a[pc], pivot_count);
  } else {
    detail::run_lanes<SubtractMultiple<kRows, true>>(1, n, &in_a, a[pc], pivot_count);
    for (std::size_t r = 0; r < kRows; ++r) consider_row(next, rows[r], in_a.largest[r]);
  }
  if (m > 0) {
    for (std::size_t r = 0; r < kRows; ++r) {
      in_b.row[r] = b[rows[r]];
      in_b.factor[r] = in_a.factor[r];
    }
    detail::run_lanes<SubtractMultiple<kRows, false>>(1, m, &in_b, b[pc], pivot_count);
  }
}

// The first row at or after r that is not the pivot row pc.
int row_other_than(int r, int pc) { return r == pc ? r + 1 : r; }

// Divides the pivot row by the pivot (its reciprocal in double, rounded to float) and clears the
// pivot column in every other row; the cleared entries build up the inverse in place. Rows go two at
// a time where the next one is of the same kind (both pivoted or both not). The pivot counts already
// include this pivot, so the rows written are scanned as the next search would scan them, in the
// same order; the result is that search's choice of row.
PivotCandidate eliminate(float** a, int n, float** b, int m, int pc, const int* pivot_count) {
  gaussj_steps::scale_pivot_row(a, n, b, m, pc);
  PivotCandidate next;
  int r = row_other_than(1, pc);
  while (r <= n) {
    const int r2 = row_other_than(r + 1, pc);
    if (r2 <= n && (pivot_count[r] == 1) == (pivot_count[r2] == 1)) {
      eliminate_rows<2>(a, n, b, m, pc, {r, r2}, pivot_count, &next);
      r = row_other_than(r2 + 1, pc);
    } else {
      eliminate_rows<1>(a, n, b, m, pc, {r}, pivot_count, &next);
      r = r2;
    }
  }
  return next;
}

}  // namespace

// The steps of reference::gaussj, reordered: the pivot scan rides along the row updates (the rows in
// the scan's order, so the same pivot is chosen) and each element's update runs in lanes as the same
// float multiply and subtract, so every bit is the reference's.
void gaussj(float** a, int n, float** b, int m) {
  gaussj_steps::PivotBook book(n);
  PivotCandidate next = scan_for_pivot(a, n, book.pivot_count);
  for (int i = 1; i <= n; ++i) {
    const int pivot_col = pivot_column(a, n, book.pivot_count, next);
    gaussj_steps::take_pivot(&book, i, next.row, pivot_col, a, b, m);
    next = eliminate(a, n, b, m, pivot_col, book.pivot_count);
  }
  gaussj_steps::undo_exchanges(a, book);
}

}  // namespace numerics
