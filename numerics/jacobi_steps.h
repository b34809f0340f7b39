// The steps of the cyclic Jacobi eigen-solver that numerics::jacobi and reference::jacobi share: the
// sweeps with their thresholds, the restart of the eigenvalues, and the rotation's parameters. Only
// the update of the pairs of one rotation differs between the two (a Steps type, see run_sweeps).
#pragma once

#include <cmath>

#include "numerics/numerics.h"
#include "numerics/precision.h"

namespace numerics {
namespace jacobi_steps {

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

inline void rotate_pair(float& x, float& y, const Rotation& r) {
  const float old_x = x;
  const float old_y = y;
  x = old_x - r.s * (old_y + old_x * r.tau);
  y = old_y + r.s * (old_x - old_y * r.tau);
}

// tan of the rotation angle that annihilates apq; for a large diagonal gap h the plain quotient
// apq / h is the angle to working precision, else the smaller root of t² + 2θt - 1 = 0.
inline float rotation_tangent(float apq, float h, float g) {
  const float abs_h = std::fabs(h);
  if (abs_h + g == abs_h) return apq / h;
  const float theta = static_cast<float>(0.5 * static_cast<double>(h) / static_cast<double>(apq));
  const float theta_sq = theta * theta;
  const float t = static_cast<float>(
      1.0 / (static_cast<double>(std::fabs(theta)) + std::sqrt(1.0 + static_cast<double>(theta_sq))));
  return (theta < 0.0f) ? -t : t;
}

// Annihilates sym[p][q]: the rotation's parameters and the shifts of eigenvalues p and q. The pairs
// of the rest of the matrix and of the eigenvectors are left to the caller.
inline Rotation annihilate(float** sym, float* eigenvalues, float* shift, int p, int q, float g) {
  const float apq = sym[p][q];
  const float t = rotation_tangent(apq, eigenvalues[q] - eigenvalues[p], g);
  const float c = detail::reciprocal_in_double(std::sqrt(1.0f + t * t));
  const float s = t * c;
  const Rotation r{s, static_cast<float>(static_cast<double>(s) / (1.0 + static_cast<double>(c)))};
  const float d = t * apq;
  shift[p] -= d;
  shift[q] += d;
  eigenvalues[p] -= d;
  eigenvalues[q] += d;
  sym[p][q] = 0.0f;
  return r;
}

inline float upper_sum(float** sym, int n) {
  float sum = 0.0f;
  for (int p = 1; p < n; ++p) {
    for (int q = p + 1; q <= n; ++q) sum += std::fabs(sym[p][q]);
  }
  return sum;
}

inline bool negligible(float g, float diagonal) {
  const float magnitude = std::fabs(diagonal);
  return magnitude + g == magnitude;
}

// One sweep over the upper triangle, each rotation's pairs updated by
// Steps::rotate_pairs(sym, n, vectors, p, q, rotation).
template <typename Steps>
void sweep_once(float** sym, int n, float* eigenvalues, float** vectors, float* shift, int sweep,
                float threshold, int* rotations) {
  for (int p = 1; p < n; ++p) {
    for (int q = p + 1; q <= n; ++q) {
      const float g = static_cast<float>(kNegligibleFactor * static_cast<double>(std::fabs(sym[p][q])));
      if (sweep >= kFirstNegligibleSweep && negligible(g, eigenvalues[p]) && negligible(g, eigenvalues[q])) {
        sym[p][q] = 0.0f;
      } else if (std::fabs(sym[p][q]) > threshold) {
        Steps::rotate_pairs(sym, n, vectors, p, q, annihilate(sym, eigenvalues, shift, p, q, g));
        ++*rotations;
      }
    }
  }
}

// The solver from the identity on: sweeps until the upper triangle is zero. vectors holds the
// eigenvectors in the layout that Steps::rotate_pairs keeps (the identity is its own transpose).
template <typename Steps>
void run_sweeps(float** sym, int n, float* eigenvalues, float** vectors, int* rotations) {
  float* start = vector(1, n);
  float* shift = vector(1, n);
  for (int i = 1; i <= n; ++i) {
    for (int j = 1; j <= n; ++j) vectors[i][j] = 0.0f;
    vectors[i][i] = 1.0f;
    eigenvalues[i] = sym[i][i];
    start[i] = eigenvalues[i];
    shift[i] = 0.0f;
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
    sweep_once<Steps>(sym, n, eigenvalues, vectors, shift, sweep, threshold, rotations);
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

}  // namespace jacobi_steps
}  // namespace numerics
