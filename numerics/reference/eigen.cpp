// The cyclic Jacobi eigen-solver in its plain step order: each rotation updates its pairs one at a
// time, the eigenvectors kept as columns. numerics::jacobi reorders these steps for speed and gives
// the same bits.
#include <cmath>

#include "numerics/numerics.h"
#include "numerics/precision.h"
#include "numerics/reference/reference.h"

namespace numerics {
namespace reference {
namespace {

constexpr int kMaxSweeps = 50;
// Sweeps 1-3 rotate only entries above this fraction of the mean off-diagonal magnitude.
constexpr int kThresholdSweeps = 3;
constexpr double kThresholdFraction = 0.2;
// From sweep 5 on, an entry this many times smaller than both diagonal entries counts as zero.
constexpr int kFirstNegligibleSweep = 5;
constexpr double kNegligibleFactor = 100.0;

// One pair of a rotation with sine s and tau = s / (1 + cos).
void rotate_pair(float& x, float& y, float s, float tau) {
  const float old_x = x;
  const float old_y = y;
  x = old_x - s * (old_y + old_x * tau);
  y = old_y + s * (old_x - old_y * tau);
}

bool negligible(float g, float diagonal) { return std::fabs(diagonal) + g == std::fabs(diagonal); }

// Annihilates a[p][q]: the tangent (the plain quotient for a large diagonal gap, else the smaller
// root of t² + 2θt − 1 = 0), the shifts of the two eigenvalues, then the pairs of the upper triangle
// and of the eigenvector columns p and q.
void rotate(float** a, int n, float* d, float** v, float* shift, int p, int q, float g) {
  const float h = d[q] - d[p];
  float t = 0.0f;
  if (std::fabs(h) + g == std::fabs(h)) {
    t = a[p][q] / h;
  } else {
    const float theta = static_cast<float>(0.5 * static_cast<double>(h) / static_cast<double>(a[p][q]));
    t = static_cast<float>(
        1.0 / (static_cast<double>(std::fabs(theta)) + std::sqrt(1.0 + static_cast<double>(theta * theta))));
    if (theta < 0.0f) t = -t;
  }
  const float c = detail::reciprocal_in_double(std::sqrt(1.0f + t * t));
  const float s = t * c;
  const float tau = static_cast<float>(static_cast<double>(s) / (1.0 + static_cast<double>(c)));
  const float shift_pq = t * a[p][q];
  shift[p] -= shift_pq;
  shift[q] += shift_pq;
  d[p] -= shift_pq;
  d[q] += shift_pq;
  a[p][q] = 0.0f;
  for (int j = 1; j < p; ++j) rotate_pair(a[j][p], a[j][q], s, tau);
  for (int j = p + 1; j < q; ++j) rotate_pair(a[p][j], a[j][q], s, tau);
  for (int j = q + 1; j <= n; ++j) rotate_pair(a[p][j], a[q][j], s, tau);
  for (int j = 1; j <= n; ++j) rotate_pair(v[j][p], v[j][q], s, tau);
}

}  // namespace

void jacobi(float** a, int n, float* d, float** v, int* rotations) {
  float* start = vector(1, n);
  float* shift = vector(1, n);
  for (int i = 1; i <= n; ++i) {
    for (int j = 1; j <= n; ++j) v[i][j] = 0.0f;
    v[i][i] = 1.0f;
    d[i] = a[i][i];
    start[i] = d[i];
    shift[i] = 0.0f;
  }
  *rotations = 0;
  for (int sweep = 1; sweep <= kMaxSweeps; ++sweep) {
    float sum = 0.0f;
    for (int p = 1; p < n; ++p) {
      for (int q = p + 1; q <= n; ++q) sum += std::fabs(a[p][q]);
    }
    if (sum == 0.0f) {
      release_vector(shift, 1, n);
      release_vector(start, 1, n);
      return;
    }
    const float threshold =
        sweep <= kThresholdSweeps
            ? static_cast<float>(kThresholdFraction * static_cast<double>(sum) / static_cast<double>(n * n))
            : 0.0f;
    for (int p = 1; p < n; ++p) {
      for (int q = p + 1; q <= n; ++q) {
        const float g = static_cast<float>(kNegligibleFactor * static_cast<double>(std::fabs(a[p][q])));
        if (sweep >= kFirstNegligibleSweep && negligible(g, d[p]) && negligible(g, d[q])) {
          a[p][q] = 0.0f;
        } else if (std::fabs(a[p][q]) > threshold) {
          rotate(a, n, d, v, shift, p, q, g);
          ++*rotations;
        }
      }
    }
    for (int k = 1; k <= n; ++k) {
      start[k] += shift[k];
      d[k] = start[k];
      shift[k] = 0.0f;
    }
  }
  fatal_numeric_error("Too many iterations in routine jacobi");
}

}  // namespace reference
}  // namespace numerics
