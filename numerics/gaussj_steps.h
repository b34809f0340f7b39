// The steps of Gauss-Jordan elimination with full pivoting that numerics::gaussj and
// reference::gaussj share: taking a pivot (its count, the row exchange, the record of both indices),
// dividing the pivot row, and undoing the exchanges on the inverse at the end.
#pragma once

#include <utility>

#include "numerics/numerics.h"
#include "numerics/precision.h"

namespace numerics {
namespace gaussj_steps {

// The pivots taken so far: per column its pivot count, per step the row and column of the pivot.
struct PivotBook {
  explicit PivotBook(int size)
      : n(size), column_index(ivector(1, n)), row_index(ivector(1, n)), pivot_count(ivector(1, n)) {
    for (int j = 1; j <= n; ++j) pivot_count[j] = 0;
  }
  ~PivotBook() {
    release_ivector(pivot_count, 1, n);
    release_ivector(row_index, 1, n);
    release_ivector(column_index, 1, n);
  }
  PivotBook(const PivotBook&) = delete;
  PivotBook& operator=(const PivotBook&) = delete;

  int n;
  int* column_index;
  int* row_index;
  int* pivot_count;
};

// Takes pivot i at (row, col): counts it, moves it onto the diagonal by exchanging rows row and col
// of a and of b, and records both indices. A zero pivot is fatal.
inline void take_pivot(PivotBook* book, int i, int row, int col, float** a, float** b, int m) {
  ++book->pivot_count[col];
  if (row != col) {
    for (int l = 1; l <= book->n; ++l) std::swap(a[row][l], a[col][l]);
    for (int l = 1; l <= m; ++l) std::swap(b[row][l], b[col][l]);
  }
  book->row_index[i] = row;
  book->column_index[i] = col;
  if (a[col][col] == 0.0f) fatal_numeric_error("gaussj: Singular Matrix-2");
}

// Divides pivot row pc of a and b by the pivot (its reciprocal in double, rounded to float); the
// pivot's own place takes the reciprocal, as the inverse builds up in place.
inline void scale_pivot_row(float** a, int n, float** b, int m, int pc) {
  const float p = detail::reciprocal_in_double(a[pc][pc]);
  a[pc][pc] = 1.0f;
  for (int l = 1; l <= n; ++l) a[pc][l] = a[pc][l] * p;
  for (int l = 1; l <= m; ++l) b[pc][l] = b[pc][l] * p;
}

// Undoes the row exchanges on the inverse by exchanging columns in reverse order.
inline void undo_exchanges(float** a, const PivotBook& book) {
  for (int l = book.n; l >= 1; --l) {
    if (book.row_index[l] == book.column_index[l]) continue;
    for (int k = 1; k <= book.n; ++k) std::swap(a[k][book.row_index[l]], a[k][book.column_index[l]]);
  }
}

}  // namespace gaussj_steps
}  // namespace numerics
