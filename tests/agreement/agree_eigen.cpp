// Agreement lines of the symmetric eigensystem: eigenvalues, eigenvectors and rotation counts of
// jacobi on fixed symmetric matrices, then the same pairs after sort_eigenpairs. Both routines use
// only arithmetic and square roots, so the builds must agree bit for bit.
#include <string>
#include <vector>

#include "agreement.h"
#include "numerics/numerics.h"

namespace {

void emit_pairs(const std::string& name, const std::vector<float>& values, float** vectors, int n) {
  agreement::emit(name + "/eigenvalues", values.data() + 1, n);
  agreement::emit(name + "/eigenvectors", &vectors[1][1], n * n);
}

void agree_one(int n, unsigned seed) {
  float** sym = numerics::matrix(1, n, 1, n);
  float** vectors = numerics::matrix(1, n, 1, n);
  for (int i = 1; i <= n; ++i) {
    for (int j = 1; j <= n; ++j) {
      const unsigned p = static_cast<unsigned>(i < j ? i * n + j : j * n + i);
      sym[i][j] = agreement::fixed_value(seed + p, -2.0f, 2.0f);
    }
  }
  std::vector<float> values(static_cast<std::size_t>(n) + 1, 0.0f);
  int rotations = 0;
  numerics::jacobi(sym, n, values.data(), vectors, &rotations);
  const std::string name = "jacobi/" + agreement::number(n);
  agreement::emit_ints(name + "/rotations", {rotations});
  emit_pairs(name, values, vectors, n);
  numerics::sort_eigenpairs(values.data(), vectors, n);
  emit_pairs("sort_eigenpairs/" + agreement::number(n), values, vectors, n);
  numerics::release_matrix(vectors, 1, n, 1, n);
  numerics::release_matrix(sym, 1, n, 1, n);
}

}  // namespace

void agree_eigen() {
  agree_one(2, 5000);
  agree_one(5, 6000);
  agree_one(12, 7000);
}
