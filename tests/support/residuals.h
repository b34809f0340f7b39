// Scaled residuals in LAPACK's form, formed in double, for the checks of decompositions, inverses,
// eigenpairs and pseudo-inverses. Each divides the error by the sizes it is made of and by the
// dimension and ε, so a backward-stable float method scores about 1 whatever the matrix; every score is
// compared with kResidualLimit (tolerance.h).
#pragma once

#include <algorithm>
#include <cmath>
#include <cstddef>
#include <limits>
#include <vector>

#include "support/tolerance.h"

namespace test_support {

// A zero-based rows × cols matrix in double.
class Dense {
 public:
  Dense(int rows, int cols)
      : rows_(rows), cols_(cols), values_(static_cast<std::size_t>(rows) * static_cast<std::size_t>(cols)) {}
  // The rows × cols floats m[base..][base..] of a float matrix.
  static Dense of(const float* const* m, int rows, int cols, int base = 1) {
    Dense d(rows, cols);
    for (int i = 0; i < rows; ++i)
      for (int j = 0; j < cols; ++j) d(i, j) = static_cast<double>(m[i + base][j + base]);
    return d;
  }
  static Dense identity(int n) {
    Dense d(n, n);
    for (int i = 0; i < n; ++i) d(i, i) = 1.0;
    return d;
  }
  int rows() const { return rows_; }
  int cols() const { return cols_; }
  double& operator()(int i, int j) { return values_[index(i, j)]; }
  double operator()(int i, int j) const { return values_[index(i, j)]; }

 private:
  std::size_t index(int i, int j) const {
    return static_cast<std::size_t>(i) * static_cast<std::size_t>(cols_) + static_cast<std::size_t>(j);
  }
  int rows_, cols_;
  std::vector<double> values_;
};

inline Dense operator*(const Dense& x, const Dense& y) {
  Dense z(x.rows(), y.cols());
  for (int i = 0; i < x.rows(); ++i)
    for (int k = 0; k < x.cols(); ++k)
      for (int j = 0; j < y.cols(); ++j) z(i, j) += x(i, k) * y(k, j);
  return z;
}

inline Dense transpose(const Dense& x) {
  Dense t(x.cols(), x.rows());
  for (int i = 0; i < x.rows(); ++i)
    for (int j = 0; j < x.cols(); ++j) t(j, i) = x(i, j);
  return t;
}

inline double frobenius_distance(const Dense& x, const Dense& y) {
  double sum = 0.0;
  for (int i = 0; i < x.rows(); ++i)
    for (int j = 0; j < x.cols(); ++j) sum += (x(i, j) - y(i, j)) * (x(i, j) - y(i, j));
  return std::sqrt(sum);
}

inline double frobenius(const Dense& x) { return frobenius_distance(x, Dense(x.rows(), x.cols())); }

// The largest absolute row sum (the ∞-norm).
inline double max_row_sum(const Dense& x) {
  double largest = 0.0;
  for (int i = 0; i < x.rows(); ++i) {
    double sum = 0.0;
    for (int j = 0; j < x.cols(); ++j) sum += std::fabs(x(i, j));
    largest = std::max(largest, sum);
  }
  return largest;
}

// error / size, where a zero size admits only a zero error (0/0 scores 0, anything else ∞).
inline double scaled(double error, double size) {
  if (size == 0.0) return error == 0.0 ? 0.0 : std::numeric_limits<double>::infinity();
  return error / size;
}

// |A − U·diag(w)·Vᵀ|_F / (|A|_F·max(m, n)·ε) for m × n A and U, n values w, n × n V. An error up to
// `forgiven` is not counted (a decomposition that treats entries below an absolute size as zero).
inline double reconstruction_score(const Dense& a, const Dense& u, const std::vector<double>& w,
                                   const Dense& v, double forgiven = 0.0) {
  Dense uw = u;
  for (int i = 0; i < uw.rows(); ++i)
    for (int k = 0; k < uw.cols(); ++k) uw(i, k) *= w[static_cast<std::size_t>(k)];
  const int size = std::max(a.rows(), a.cols());
  const double error = frobenius_distance(uw * transpose(v), a);
  return scaled(std::max(0.0, error - forgiven), frobenius(a) * size * kEps);
}

// |I − QᵀQ|_F / (rows·ε) over the listed columns of Q.
inline double orthonormality_score(const Dense& q, const std::vector<int>& columns) {
  double sum = 0.0;
  for (int p : columns)
    for (int r : columns) {
      double d = p == r ? -1.0 : 0.0;
      for (int i = 0; i < q.rows(); ++i) d += q(i, p) * q(i, r);
      sum += d * d;
    }
  return std::sqrt(sum) / (q.rows() * kEps);
}

// |A·X − B|∞ / (|A|∞·|X|∞·n·ε) for n × n A (X = A⁻¹ with B = I scores the inverse).
inline double solution_score(const Dense& a, const Dense& x, const Dense& b) {
  Dense r = a * x;
  for (int i = 0; i < r.rows(); ++i)
    for (int j = 0; j < r.cols(); ++j) r(i, j) -= b(i, j);
  return scaled(max_row_sum(r), max_row_sum(a) * max_row_sum(x) * a.rows() * kEps);
}

// |A·V − V·diag(λ)|_F / (|A|_F·n·ε) for the eigenpairs (λ_k, column k of V) of the n × n A.
inline double eigenpair_score(const Dense& a, const std::vector<double>& lambda, const Dense& v) {
  Dense vl = v;
  for (int i = 0; i < vl.rows(); ++i)
    for (int k = 0; k < vl.cols(); ++k) vl(i, k) *= lambda[static_cast<std::size_t>(k)];
  return scaled(frobenius_distance(a * v, vl), frobenius(a) * a.rows() * kEps);
}

// The largest of the four Moore–Penrose residuals of X as pseudo-inverse of the n × n A, each scaled
// by the norms it is made of (s = max(1, |A|·|X|), which is |A|·|X| for any A but zero) and by n·ε:
// |AXA − A| / (|A|·s), |XAX − X| / (|X|·s), |AX − (AX)ᵀ| / s, |XA − (XA)ᵀ| / s.
inline double moore_penrose_score(const Dense& a, const Dense& x) {
  const double na = frobenius(a), nx = frobenius(x), s = std::max(1.0, na * nx);
  const Dense ax = a * x, xa = x * a;
  const double worst =
      std::max({scaled(frobenius_distance(ax * a, a), na * s), scaled(frobenius_distance(xa * x, x), nx * s),
                frobenius_distance(ax, transpose(ax)) / s, frobenius_distance(xa, transpose(xa)) / s});
  return worst / (a.rows() * kEps);
}

}  // namespace test_support
