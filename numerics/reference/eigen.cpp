// The cyclic Jacobi eigen-solver in its plain step order: each rotation updates its pairs one at a
// time, the eigenvectors kept as columns. numerics::jacobi reorders these updates for speed and gives
// the same bits; the sweeps and the rotation's parameters are shared (numerics/jacobi_steps.h).
#include "numerics/jacobi_steps.h"
#include "numerics/reference/reference.h"

namespace numerics {
namespace reference {
namespace {

struct PlainSteps {
  // The pairs of the upper triangle and of the eigenvector columns p and q, one at a time.
  static void rotate_pairs(float** a, int n, float** v, int p, int q, const jacobi_steps::Rotation& r) {
    for (int j = 1; j < p; ++j) jacobi_steps::rotate_pair(a[j][p], a[j][q], r);
    for (int j = p + 1; j < q; ++j) jacobi_steps::rotate_pair(a[p][j], a[j][q], r);
    for (int j = q + 1; j <= n; ++j) jacobi_steps::rotate_pair(a[p][j], a[q][j], r);
    for (int j = 1; j <= n; ++j) jacobi_steps::rotate_pair(v[j][p], v[j][q], r);
  }
};

}  // namespace

void jacobi(float** sym, int n, float* eigenvalues, float** eigenvectors, int* rotations) {
  jacobi_steps::run_sweeps<PlainSteps>(sym, n, eigenvalues, eigenvectors, rotations);
}

}  // namespace reference
}  // namespace numerics
