// Fuzz target for the dense linear algebra: svd_decompose, jacobi, gaussj and pseudo_inverse on small
// matrices built from the input, checked against their defining identities in double precision.
//
// Keeping the input in range (what the routines document as outside their contract, or as a fatal
// exit, is never fed):
//  - byte 0 gives the rows m, byte 1 the columns n (each 1..kMaxDimension), byte 2 the number of
//    right-hand sides of gaussj (0..kMaxRightHandSides); the rest are little-endian 16-bit integers
//    v, each entry v / 4096 (exact in float, finite, |entry| ≤ 8; missing bytes count as zero);
//  - every matrix is scaled by a power of two (exactly) so that its largest magnitude lies in [4, 8):
//    the decomposition's absolute split threshold 1e-6 then stays below single-precision rounding
//    relative to the matrix, and the identities hold to rounding;
//  - gaussj gets the n × n matrix with each diagonal entry replaced by ±(1 + the sum of the row's
//    other magnitudes): strictly diagonally dominant, so never singular, with |A⁻¹|∞ ≤ 1;
//  - jacobi gets the symmetric matrix of the n × n block's upper triangle (its lower triangle holds
//    other values, which must stay untouched).
// Arrays are allocated with their exact bounds, so any access outside them is caught by the address
// checker. A violated identity aborts with a message naming it.
#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <limits>
#include <vector>

#include "numerics/numerics.h"

namespace {

constexpr int kMaxDimension = 8;
constexpr int kMaxRightHandSides = 2;
constexpr double kEps = std::numeric_limits<float>::epsilon();
// Scaled residuals |error| / (|A| · size · ε) of backward-stable float methods stay well below this.
constexpr double kScore = 64.0;
// The decomposition drops bidiagonal entries below this absolute size.
constexpr double kSplitThreshold = 1.0e-6;

[[noreturn]] void fail(const char* what) {
  std::fprintf(stderr, "linear algebra misbehaved: %s\n", what);
  std::abort();
}

void check(bool ok, const char* what) {
  if (!ok) fail(what);
}

// A dense zero-based copy in double, for the checks.
using Dense = std::vector<std::vector<double>>;

Dense zeros(int rows, int cols) { return Dense(rows, std::vector<double>(cols, 0.0)); }

Dense product(const Dense& x, const Dense& y) {
  Dense z = zeros(static_cast<int>(x.size()), static_cast<int>(y[0].size()));
  for (std::size_t i = 0; i < x.size(); ++i)
    for (std::size_t k = 0; k < y.size(); ++k)
      for (std::size_t j = 0; j < y[0].size(); ++j) z[i][j] += x[i][k] * y[k][j];
  return z;
}

double frobenius(const Dense& x) {
  double sum = 0.0;
  for (const auto& row : x)
    for (double v : row) sum += v * v;
  return std::sqrt(sum);
}

double distance(const Dense& x, const Dense& y) {
  double sum = 0.0;
  for (std::size_t i = 0; i < x.size(); ++i)
    for (std::size_t j = 0; j < x[i].size(); ++j) sum += (x[i][j] - y[i][j]) * (x[i][j] - y[i][j]);
  return std::sqrt(sum);
}

Dense transpose(const Dense& x) {
  Dense t = zeros(static_cast<int>(x[0].size()), static_cast<int>(x.size()));
  for (std::size_t i = 0; i < x.size(); ++i)
    for (std::size_t j = 0; j < x[i].size(); ++j) t[j][i] = x[i][j];
  return t;
}

// |QᵀQ − I| over the listed columns of the one-based q.
double orthonormality_error(float** q, int rows, const std::vector<int>& columns) {
  double sum = 0.0;
  for (int p : columns)
    for (int r : columns) {
      double d = p == r ? -1.0 : 0.0;
      for (int i = 1; i <= rows; ++i) d += static_cast<double>(q[i][p]) * q[i][r];
      sum += d * d;
    }
  return std::sqrt(sum);
}

// The input's entries, v / 4096 for each little-endian 16-bit v, zero past the end.
class Entries {
 public:
  Entries(const std::uint8_t* data, std::size_t size) : data_(data), size_(size) {}
  float at(std::size_t index) const {
    const std::size_t lo = 2 * index, hi = 2 * index + 1;
    const unsigned bits = (lo < size_ ? data_[lo] : 0u) | (hi < size_ ? data_[hi] : 0u) << 8;
    return static_cast<float>(static_cast<std::int16_t>(static_cast<std::uint16_t>(bits))) / 4096.0f;
  }

 private:
  const std::uint8_t* data_;
  std::size_t size_;
};

// Row-major rows × cols values from the entries, scaled by a power of two so that the largest
// magnitude lies in [4, 8) (the zero matrix stays zero).
std::vector<float> normalised_block(const Entries& entries, std::size_t first, int rows, int cols) {
  std::vector<float> values(static_cast<std::size_t>(rows) * cols);
  float largest = 0.0f;
  for (std::size_t k = 0; k < values.size(); ++k) {
    values[k] = entries.at(first + k);
    largest = std::max(largest, std::fabs(values[k]));
  }
  if (largest == 0.0f) return values;
  int exponent = 0;
  std::frexp(largest, &exponent);  // largest = f · 2^exponent with f in [0.5, 1)
  for (float& v : values) v = std::ldexp(v, 3 - exponent);
  return values;
}

void check_svd(const std::vector<float>& values, int m, int n) {
  float** u = numerics::matrix(1, m, 1, n);
  float** v = numerics::matrix(1, n, 1, n);
  float* w = numerics::vector(1, n);
  Dense a = zeros(m, n);
  for (int i = 1; i <= m; ++i)
    for (int j = 1; j <= n; ++j)
      a[i - 1][j - 1] = u[i][j] = values[(i - 1) * static_cast<std::size_t>(n) + j - 1];
  numerics::svd_decompose(u, m, n, w, v);
  check(!numerics::svd_not_converged, "svd_decompose did not converge on a normalised matrix");
  Dense usv = zeros(m, n);
  float wmax = 0.0f;
  for (int k = 1; k <= n; ++k) {
    check(w[k] >= 0.0f, "svd_decompose left a negative singular value");
    wmax = std::max(wmax, w[k]);
  }
  for (int i = 1; i <= m; ++i)
    for (int j = 1; j <= n; ++j)
      for (int k = 1; k <= n; ++k) usv[i - 1][j - 1] += static_cast<double>(u[i][k]) * w[k] * v[j][k];
  const int size = std::max(m, n);
  check(distance(usv, a) <= kScore * size * kEps * frobenius(a) + n * kSplitThreshold,
        "svd_decompose: A differs from U diag(w) Vᵀ");
  std::vector<int> all, significant;
  for (int k = 1; k <= n; ++k) {
    all.push_back(k);
    if (w[k] > kScore * size * kEps * wmax) significant.push_back(k);
  }
  check(orthonormality_error(v, n, all) <= kScore * size * kEps, "svd_decompose: V is not orthonormal");
  check(orthonormality_error(u, m, significant) <= kScore * size * kEps,
        "svd_decompose: the columns of U with non-zero singular values are not orthonormal");
  numerics::release_vector(w, 1, n);
  numerics::release_matrix(v, 1, n, 1, n);
  numerics::release_matrix(u, 1, m, 1, n);
}

void check_jacobi(const std::vector<float>& values, int n) {
  float** sym = numerics::matrix(1, n, 1, n);
  float** vectors = numerics::matrix(1, n, 1, n);
  float* eigenvalues = numerics::vector(1, n);
  Dense a = zeros(n, n);
  for (int i = 1; i <= n; ++i)
    for (int j = 1; j <= n; ++j) {
      sym[i][j] = values[(i - 1) * static_cast<std::size_t>(n) + j - 1];
      if (i <= j) a[i - 1][j - 1] = a[j - 1][i - 1] = sym[i][j];
    }
  int rotations = -1;
  numerics::jacobi(sym, n, eigenvalues, vectors, &rotations);
  check(rotations >= 0, "jacobi: negative rotation count");
  for (int i = 1; i <= n; ++i)
    for (int j = 1; j <= n; ++j) {
      const float original = values[(i - 1) * static_cast<std::size_t>(n) + j - 1];
      check(sym[i][j] == (i < j ? 0.0f : original),
            "jacobi: the strict upper triangle is not cleared, or the diagonal or lower triangle changed");
    }
  const double norm = frobenius(a);
  for (int k = 1; k <= n; ++k) {
    double residual = 0.0;
    for (int i = 0; i < n; ++i) {
      double av = -static_cast<double>(eigenvalues[k]) * vectors[i + 1][k];
      for (int j = 0; j < n; ++j) av += a[i][j] * vectors[j + 1][k];
      residual += av * av;
    }
    check(std::sqrt(residual) <= kScore * n * kEps * norm, "jacobi: A v differs from λ v");
  }
  std::vector<int> all;
  for (int k = 1; k <= n; ++k) all.push_back(k);
  check(orthonormality_error(vectors, n, all) <= kScore * n * kEps,
        "jacobi: the eigenvectors are not orthonormal");
  numerics::release_vector(eigenvalues, 1, n);
  numerics::release_matrix(vectors, 1, n, 1, n);
  numerics::release_matrix(sym, 1, n, 1, n);
}

// Largest absolute row sum.
double max_norm(const Dense& x) {
  double largest = 0.0;
  for (const auto& row : x) {
    double sum = 0.0;
    for (double v : row) sum += std::fabs(v);
    largest = std::max(largest, sum);
  }
  return largest;
}

void check_gaussj(const std::vector<float>& values, const Entries& entries, std::size_t first, int n,
                  int rhs) {
  float** a = numerics::matrix(1, n, 1, n);
  float** b = rhs > 0 ? numerics::matrix(1, n, 1, rhs) : nullptr;
  Dense original = zeros(n, n), right = zeros(n, std::max(rhs, 1));
  for (int i = 1; i <= n; ++i) {
    float others = 1.0f;
    for (int j = 1; j <= n; ++j) {
      a[i][j] = values[(i - 1) * static_cast<std::size_t>(n) + j - 1];
      if (j != i) others += std::fabs(a[i][j]);
    }
    a[i][i] = a[i][i] < 0.0f ? -others : others;
    for (int j = 1; j <= n; ++j) original[i - 1][j - 1] = a[i][j];
    for (int j = 1; j <= rhs; ++j)
      right[i - 1][j - 1] = b[i][j] = entries.at(first + static_cast<std::size_t>(i - 1) * rhs + j - 1);
  }
  numerics::gaussj(a, n, b, rhs);
  Dense inverse = zeros(n, n), solution = zeros(n, std::max(rhs, 1));
  for (int i = 1; i <= n; ++i) {
    for (int j = 1; j <= n; ++j) inverse[i - 1][j - 1] = a[i][j];
    for (int j = 1; j <= rhs; ++j) solution[i - 1][j - 1] = b[i][j];
  }
  Dense identity = zeros(n, n);
  for (int i = 0; i < n; ++i) identity[i][i] = 1.0;
  const double scale = max_norm(original) * max_norm(inverse);
  check(distance(product(original, inverse), identity) <= kScore * n * kEps * scale,
        "gaussj: A A⁻¹ differs from I");
  if (rhs > 0) {
    const double size = max_norm(original) * max_norm(solution) + max_norm(right);
    check(distance(product(original, solution), right) <= kScore * n * kEps * size,
          "gaussj: A x differs from b");
    numerics::release_matrix(b, 1, n, 1, rhs);
  }
  numerics::release_matrix(a, 1, n, 1, n);
}

// The four Moore–Penrose conditions, with tolerances that grow with |A| |X| (the condition of the
// part of A that the pseudo-inverse keeps).
void check_pseudo_inverse(const std::vector<float>& values, int n) {
  float** a = numerics::matrix(0, n - 1, 0, n - 1);
  float** x = numerics::matrix(0, n - 1, 0, n - 1);
  Dense ad = zeros(n, n), xd = zeros(n, n);
  for (int i = 0; i < n; ++i)
    for (int j = 0; j < n; ++j) ad[i][j] = a[i][j] = values[i * static_cast<std::size_t>(n) + j];
  check(numerics::pseudo_inverse(a, x, n), "pseudo_inverse returned false");
  for (int i = 0; i < n; ++i)
    for (int j = 0; j < n; ++j) {
      check(std::isfinite(x[i][j]), "pseudo_inverse: non-finite result");
      check(a[i][j] == values[i * static_cast<std::size_t>(n) + j], "pseudo_inverse changed its input");
      xd[i][j] = x[i][j];
    }
  const double norm_a = frobenius(ad), norm_x = frobenius(xd);
  const double tolerance = kScore * n * kEps * std::max(1.0, norm_a * norm_x);
  const Dense ax = product(ad, xd), xa = product(xd, ad);
  check(distance(product(ax, ad), ad) <= tolerance * norm_a, "pseudo_inverse: A X A differs from A");
  check(distance(product(xa, xd), xd) <= tolerance * norm_x, "pseudo_inverse: X A X differs from X");
  check(distance(ax, transpose(ax)) <= tolerance, "pseudo_inverse: A X is not symmetric");
  check(distance(xa, transpose(xa)) <= tolerance, "pseudo_inverse: X A is not symmetric");
  numerics::release_matrix(x, 0, n - 1, 0, n - 1);
  numerics::release_matrix(a, 0, n - 1, 0, n - 1);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  if (size < 3) return 0;
  const int m = 1 + data[0] % kMaxDimension;
  const int n = 1 + data[1] % kMaxDimension;
  const int rhs = data[2] % (kMaxRightHandSides + 1);
  const Entries entries(data + 3, size - 3);
  check_svd(normalised_block(entries, 0, m, n), m, n);
  const std::vector<float> square = normalised_block(entries, 0, n, n);
  check_jacobi(square, n);
  check_gaussj(square, entries, static_cast<std::size_t>(n) * n, n, rhs);
  check_pseudo_inverse(square, n);
  return 0;
}
