// Agreement lines of the one-based allocators: the layout of every kind of handle as element offsets
// from the first element, which both builds must reproduce exactly.
#include "agreement.h"
#include "numerics/numerics.h"

namespace {

void agree_vectors() {
  float* v = numerics::vector(-3, 4);
  double* d = numerics::dvector(3, 3);
  unsigned char* c = numerics::cvector(0, 9);
  agreement::emit_ints("vector_offsets", {&v[4] - &v[-3], &d[3] - d, &c[9] - c});
  numerics::release_vector(v, -3, 4);
  numerics::release_dvector(d, 3, 3);
  numerics::release_cvector(c, 0, 9);
}

void agree_matrices() {
  float** m = numerics::matrix(1, 3, 1, 4);
  int** z = numerics::int_matrix(0, 4, -2, 2);
  agreement::emit_ints("matrix_offsets", {m[2] - m[1], &m[3][4] - &m[1][1], &m[2][1] - &m[1][1],
                                          &z[4][2] - &z[0][-2], z[3] - z[1]});
  float** sub = numerics::submatrix(m, 2, 3, 2, 4, 1, 1);
  float block[6] = {};
  float** view = numerics::convert_matrix(block, 1, 2, 1, 3);
  agreement::emit_ints("view_offsets", {&sub[1][1] - &m[1][1], &sub[2][3] - &m[1][1], &view[2][1] - block,
                                        &view[1][3] - block});
  numerics::release_convert_matrix(view, 1, 2, 1, 3);
  numerics::release_submatrix(sub, 1, 2, 1, 3);
  numerics::release_int_matrix(z, 0, 4, -2, 2);
  numerics::release_matrix(m, 1, 3, 1, 4);
}

void agree_tensors() {
  float*** t = numerics::f3tensor(1, 2, 1, 3, 1, 4);
  unsigned char*** c = numerics::c3tensor(0, 1, -1, 1, 2, 5);
  agreement::emit_ints("tensor_offsets",
                       {&t[2][3][4] - &t[1][1][1], &t[2][1][1] - &t[1][1][1], &t[1][3][2] - &t[1][1][1],
                        &c[1][1][5] - &c[0][-1][2], &c[1][-1][2] - &c[0][-1][2]});
  numerics::release_c3tensor(c, 0, 1, -1, 1, 2, 5);
  numerics::release_f3tensor(t, 1, 2, 1, 3, 1, 4);
}

}  // namespace

void agree_arrays() {
  agree_vectors();
  agree_matrices();
  agree_tensors();
}
