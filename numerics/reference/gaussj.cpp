// Gauss-Jordan elimination with full pivoting in its plain step order: a full scan for each pivot,
// element by element in row-major order, then each row updated column by column. numerics::gaussj
// reorders these steps for speed and gives the same bits; the pivot bookkeeping is shared
// (numerics/gaussj_steps.h).
#include <cmath>

#include "numerics/gaussj_steps.h"
#include "numerics/numerics.h"
#include "numerics/reference/reference.h"

namespace numerics {
namespace reference {

void gaussj(float** a, int n, float** b, int m) {
  gaussj_steps::PivotBook book(n);
  const int* pivot_count = book.pivot_count;
  for (int i = 1; i <= n; ++i) {
    // The pivot: the last largest magnitude, in row-major order, among the rows and columns not yet
    // pivoted ("≥" keeps the later of equal magnitudes; NaN never compares, and only NaN leaves none).
    int row = 0;
    int col = 0;
    float largest = 0.0f;
    for (int j = 1; j <= n; ++j) {
      if (pivot_count[j] == 1) continue;
      for (int k = 1; k <= n; ++k) {
        if (pivot_count[k] == 0 && std::fabs(a[j][k]) >= largest) {
          largest = std::fabs(a[j][k]);
          row = j;
          col = k;
        }
        if (pivot_count[k] > 1) fatal_numeric_error("gaussj: Singular Matrix-1");
      }
    }
    if (row == 0) fatal_numeric_error("gaussj: Singular Matrix-1");
    gaussj_steps::take_pivot(&book, i, row, col, a, b, m);
    gaussj_steps::scale_pivot_row(a, n, b, m, col);
    for (int r = 1; r <= n; ++r) {
      if (r == col) continue;
      const float d = a[r][col];
      a[r][col] = 0.0f;
      for (int l = 1; l <= n; ++l) a[r][l] -= a[col][l] * d;
      for (int l = 1; l <= m; ++l) b[r][l] -= b[col][l] * d;
    }
  }
  gaussj_steps::undo_exchanges(a, book);
}

}  // namespace reference
}  // namespace numerics
