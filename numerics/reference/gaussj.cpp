// Gauss-Jordan elimination with full pivoting in its plain step order: a full scan for each pivot,
// element by element in row-major order, then each row updated column by column. numerics::gaussj
// reorders these steps for speed and gives the same bits.
#include <cmath>
#include <utility>

#include "numerics/numerics.h"
#include "numerics/precision.h"
#include "numerics/reference/reference.h"

namespace numerics {
namespace reference {

void gaussj(float** a, int n, float** b, int m) {
  int* column_index = ivector(1, n);
  int* row_index = ivector(1, n);
  int* pivot_count = ivector(1, n);
  for (int j = 1; j <= n; ++j) pivot_count[j] = 0;
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
    ++pivot_count[col];
    if (row != col) {
      for (int l = 1; l <= n; ++l) std::swap(a[row][l], a[col][l]);
      for (int l = 1; l <= m; ++l) std::swap(b[row][l], b[col][l]);
    }
    row_index[i] = row;
    column_index[i] = col;
    if (a[col][col] == 0.0f) fatal_numeric_error("gaussj: Singular Matrix-2");
    const float p = detail::reciprocal_in_double(a[col][col]);
    a[col][col] = 1.0f;
    for (int l = 1; l <= n; ++l) a[col][l] *= p;
    for (int l = 1; l <= m; ++l) b[col][l] *= p;
    for (int r = 1; r <= n; ++r) {
      if (r == col) continue;
      const float d = a[r][col];
      a[r][col] = 0.0f;
      for (int l = 1; l <= n; ++l) a[r][l] -= a[col][l] * d;
      for (int l = 1; l <= m; ++l) b[r][l] -= b[col][l] * d;
    }
  }
  // The row exchanges undone on the inverse by exchanging columns in reverse order.
  for (int l = n; l >= 1; --l) {
    if (row_index[l] == column_index[l]) continue;
    for (int k = 1; k <= n; ++k) std::swap(a[k][row_index[l]], a[k][column_index[l]]);
  }
  release_ivector(pivot_count, 1, n);
  release_ivector(row_index, 1, n);
  release_ivector(column_index, 1, n);
}

}  // namespace reference
}  // namespace numerics
