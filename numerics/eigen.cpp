// Eigenvalues and eigenvectors of a real symmetric float matrix by cyclic Jacobi rotations, and the
// descending sort of the resulting eigenpairs.
#include <cmath>
#include <utility>

#include "numerics/numerics.h"

namespace numerics {
namespace {

constexpr int kMaxSweeps = 50;
// Sweeps 1-3 rotate only entries above this fraction of the mean off-diagonal magnitude.
constexpr int kThresholdSweeps = 3;
constexpr double kThresholdFraction = 0.2;
// From sweep 5 on, an entry this many times smaller than both diagonal entries counts as zero.
constexpr int kFirstNegligibleSweep = 5;
constexpr double kNegligibleFactor = 100.0;

struct Rotation {
  float s;    // sine of the rotation angle
  float tau;  // s / (1 + cos), which keeps the update of each pair well conditioned
};

void rotate_pair(float& x, float& y, const Rotation& r) {
  const float old_x = x;
  const float old_y = y;
  x = old_x - r.s * (old_y + old_x * r.tau);
  y = old_y + r.s * (old_x - old_y * r.tau);
}

float upper_sum(float** sym, int n) {
  float sum = 0.0f;
  for (int p = 1; p < n; ++p) {
    for (int q = p + 1; q <= n; ++q) sum += std::fabs(sym[p][q]);
  }
  return sum;
}

// tan of the rotation angle that annihilates apq; for a large diagonal gap h the plain quotient
// apq / h is the angle to working precision, else the smaller root of t² + 2θt - 1 = 0.
float rotation_tangent(float apq, float h, float g) {
  const float abs_h = std::fabs(h);
  if (abs_h + g == abs_h) return apq / h;
  const float theta = static_cast<float>(0.5 * static_cast<double>(h) / static_cast<double>(apq));
  const float theta_sq = theta * theta;
  const float t = static_cast<float>(
      1.0 / (static_cast<double>(std::fabs(theta)) + std::sqrt(1.0 + static_cast<double>(theta_sq))));
  return (theta < 0.0f) ? -t : t;
}

// Annihilates sym[p][q] and applies the rotation to the rest of the upper triangle and to the
// eigenvector columns p and q.
void rotate(float** sym, int n, float* eigenvalues, float** eigenvectors, float* shift, int p, int q,
            float g) {
  const float apq = sym[p][q];
  const float t = rotation_tangent(apq, eigenvalues[q] - eigenvalues[p], g);
  const float c = static_cast<float>(1.0 / static_cast<double>(std::sqrt(1.0f + t * t)));
  const float s = t * c;
  const Rotation r{s, static_cast<float>(static_cast<double>(s) / (1.0 + static_cast<double>(c)))};
  const float d = t * apq;
  shift[p] -= d;
  shift[q] += d;
  eigenvalues[p] -= d;
  eigenvalues[q] += d;
  sym[p][q] = 0.0f;
  for (int j = 1; j < p; ++j) rotate_pair(sym[j][p], sym[j][q], r);
  for (int j = p + 1; j < q; ++j) rotate_pair(sym[p][j], sym[j][q], r);
  for (int j = q + 1; j <= n; ++j) rotate_pair(sym[p][j], sym[q][j], r);
  for (int j = 1; j <= n; ++j) rotate_pair(eigenvectors[j][p], eigenvectors[j][q], r);
}

bool negligible(float g, float diagonal) {
  const float magnitude = std::fabs(diagonal);
  return magnitude + g == magnitude;
}

void sweep_once(float** sym, int n, float* eigenvalues, float** eigenvectors, float* shift, int sweep,
                float threshold, int* rotations) {
  for (int p = 1; p < n; ++p) {
    for (int q = p + 1; q <= n; ++q) {
      const float g = static_cast<float>(kNegligibleFactor * static_cast<double>(std::fabs(sym[p][q])));
      if (sweep >= kFirstNegligibleSweep && negligible(g, eigenvalues[p]) && negligible(g, eigenvalues[q])) {
        sym[p][q] = 0.0f;
      } else if (std::fabs(sym[p][q]) > threshold) {
        rotate(sym, n, eigenvalues, eigenvectors, shift, p, q, g);
        ++*rotations;
      }
    }
  }
}

}  // namespace

void jacobi(float** sym, int n, float* eigenvalues, float** eigenvectors, int* rotations) {
  float* start = vector(1, n);
  float* shift = vector(1, n);
  for (int i = 1; i <= n; ++i) {
    for (int j = 1; j <= n; ++j) eigenvectors[i][j] = 0.0f;
    eigenvectors[i][i] = 1.0f;
  }
  for (int k = 1; k <= n; ++k) {
    eigenvalues[k] = sym[k][k];
    start[k] = eigenvalues[k];
    shift[k] = 0.0f;
  }
  *rotations = 0;
  for (int sweep = 1; sweep <= kMaxSweeps; ++sweep) {
    const float sum = upper_sum(sym, n);
    if (sum == 0.0f) {
      release_vector(shift, 1, n);
      release_vector(start, 1, n);
      return;
    }
    // The mean-magnitude threshold is formed in double from the float sum and rounded once.
    const float threshold =
        (sweep <= kThresholdSweeps)
            ? static_cast<float>(kThresholdFraction * static_cast<double>(sum) / static_cast<double>(n * n))
            : 0.0f;
    sweep_once(sym, n, eigenvalues, eigenvectors, shift, sweep, threshold, rotations);
    // Restart each eigenvalue from its sweep-start value plus the summed shifts, which limits the
    // drift of many small float updates.
    for (int k = 1; k <= n; ++k) {
      start[k] += shift[k];
      eigenvalues[k] = start[k];
      shift[k] = 0.0f;
    }
  }
  fatal_numeric_error("Too many iterations in routine jacobi");
}

void sort_eigenpairs(float* eigenvalues, float** eigenvectors, int n) {
  for (int i = 1; i < n; ++i) {
    int m = i;
    float best = eigenvalues[i];
    for (int j = i + 1; j <= n; ++j) {
      if (eigenvalues[j] >= best) {
        m = j;
        best = eigenvalues[j];
      }
    }
    if (m != i) {
      eigenvalues[m] = eigenvalues[i];
      eigenvalues[i] = best;
      for (int j = 1; j <= n; ++j) std::swap(eigenvectors[j][i], eigenvectors[j][m]);
    }
  }
}

}  // namespace numerics
