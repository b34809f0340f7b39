// Dense helpers over zero-based float row-pointer matrices (products, transpose, row scaling, copies
// between index bases) and the pseudo-inverse of a square matrix through its singular value
// decomposition. Sums accumulate in float in ascending index order.
#include "numerics/numerics.h"
#include "numerics/precision.h"

namespace numerics {

namespace {

// Singular values below this fraction of the largest one count as zero in the pseudo-inverse.
constexpr double kPseudoInverseRatio = 1.0e-6;
// Columns of a product formed together, their partial sums held on the stack.
constexpr int kColumnBlock = 64;

enum RebaseMode { kZeroToZero = 0, kOneToOne = 1, kZeroToOne = 2, kOneToZero = 3 };

// dst[i + dst_base][j + dst_base] = src[i + src_base][j + src_base] over the rows × cols block.
void copy_block(const float* const* src, int src_base, float** dst, int dst_base, int rows, int cols) {
  for (int i = 0; i < rows; ++i) {
    for (int j = 0; j < cols; ++j) dst[i + dst_base][j + dst_base] = src[i + src_base][j + src_base];
  }
}

// Turns the singular values w[1..n] into the diagonal of the pseudo-inverse: the reciprocal in double
// of each value at or above 1e-6 times the largest, 0 for the others. A zero value is never inverted,
// so the zero matrix (all values 0, threshold 0) gets the zero matrix as its pseudo-inverse.
void invert_singular_values(float* w, int n) {
  float wmax = 0.0f;
  for (int k = 1; k <= n; ++k) {
    if (w[k] > wmax) wmax = w[k];
  }
  const float threshold = static_cast<float>(static_cast<double>(wmax) * kPseudoInverseRatio);
  for (int k = 1; k <= n; ++k) {
    if (w[k] < threshold || w[k] == 0.0f) {
      w[k] = 0.0f;
    } else {
      w[k] = detail::reciprocal_in_double(w[k]);
    }
  }
}

}  // namespace

// The sums of up to kColumnBlock columns of a row of c grow together, so that the inner loop runs
// along a row of b; each sum still adds its products in ascending k and is stored once, complete.
void multiply_matrices(const float* const* a, const float* const* b, float** c, int rows, int inner,
                       int cols) {
  float sum[kColumnBlock];
  for (int i = 0; i < rows; ++i) {
    for (int first = 0; first < cols; first += kColumnBlock) {
      const int width = cols - first < kColumnBlock ? cols - first : kColumnBlock;
      for (int q = 0; q < width; ++q) sum[q] = 0.0f;
      for (int k = 0; k < inner; ++k) {
        const float aik = a[i][k];
        const float* row = b[k] + first;
        for (int q = 0; q < width; ++q) sum[q] += aik * row[q];
      }
      for (int q = 0; q < width; ++q) c[i][first + q] = sum[q];
    }
  }
}

void multiply_by_own_transpose(const float* const* a, float** c, int rows, int cols) {
  for (int i = 0; i < rows; ++i) {
    for (int j = 0; j <= i; ++j) c[i][j] = dot_product(a[i], a[j], cols);
  }
  for (int i = 0; i < rows; ++i) {
    for (int j = 0; j < i; ++j) c[j][i] = c[i][j];
  }
}

void multiply_by_own_transpose_adapter(const float* const* a, const float* const* /*ignored*/, float** c,
                                       int rows, int /*ignored_count*/, int cols) {
  multiply_by_own_transpose(a, c, rows, cols);
}

void multiply_matrix_vector(const float* const* m, const float* x, float* y, int rows, int cols) {
  for (int i = 0; i < rows; ++i) {
    y[i] = 0.0f;
    for (int j = 0; j < cols; ++j) y[i] += m[i][j] * x[j];
  }
}

float dot_product(const float* x, const float* y, int n) {
  float sum = 0.0f;
  for (int i = 0; i < n; ++i) sum += x[i] * y[i];
  return sum;
}

void transpose_matrix(const float* const* a, float** b, int rows, int cols) {
  for (int i = 0; i < rows; ++i) {
    for (int j = 0; j < cols; ++j) b[j][i] = a[i][j];
  }
}

void copy_matrix_rebased(const float* const* src, float** dst, int rows, int cols, int mode) {
  switch (mode) {
    case kZeroToZero:
      copy_block(src, 0, dst, 0, rows, cols);
      break;
    case kOneToOne:
      copy_block(src, 1, dst, 1, rows, cols);
      break;
    case kZeroToOne:
      copy_block(src, 0, dst, 1, rows, cols);
      break;
    case kOneToZero:
      copy_block(src, 1, dst, 0, rows, cols);
      break;
    default:
      break;
  }
}

void scale_rows(const float* s, float** m, int rows, int cols) {
  for (int i = 0; i < rows; ++i) {
    for (int j = 0; j < cols; ++j) m[i][j] = m[i][j] * s[i];
  }
}

bool pseudo_inverse(const float* const* a, float** result, int n) {
  float** u1 = matrix(1, n, 1, n);
  float** v1 = matrix(1, n, 1, n);
  float* w = vector(1, n);
  float** t1 = matrix(0, n - 1, 0, n - 1);
  float** t2 = matrix(0, n - 1, 0, n - 1);
  float** t3 = matrix(0, n - 1, 0, n - 1);

  copy_matrix_rebased(a, u1, n, n, kZeroToOne);
  svd_decompose(u1, n, n, w, v1);
  // A decomposition that ran out of iterations may leave negative values; their magnitudes are used.
  if (svd_not_converged) {
    for (int k = 1; k <= n; ++k) {
      if (!(w[k] >= 0.0f)) w[k] = -w[k];
    }
  }
  invert_singular_values(w, n);

  // result = V·diag(w⁺)·Uᵀ, formed as V times the row-scaled transpose of U.
  copy_matrix_rebased(u1, t3, n, n, kOneToZero);
  transpose_matrix(t3, t1, n, n);
  scale_rows(&w[1], t1, n, n);
  copy_matrix_rebased(v1, t3, n, n, kOneToZero);
  copy_matrix_rebased(t3, t2, n, n, kZeroToZero);
  multiply_matrices(t2, t1, result, n, n, n);

  release_matrix(t1, 0, n - 1, 0, n - 1);
  release_matrix(t2, 0, n - 1, 0, n - 1);
  release_matrix(t3, 0, n - 1, 0, n - 1);
  release_matrix(v1, 1, n, 1, n);
  release_matrix(u1, 1, n, 1, n);
  release_vector(w, 1, n);
  return true;
}

}  // namespace numerics
