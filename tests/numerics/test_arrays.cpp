// Tests of the one-based allocators: the layout of every kind of handle, release with the same bounds
// (the sanitizer build checks each access and free), and the exact fatal report of refused requests.
#include <gtest/gtest.h>

#include <climits>

#include "numerics/numerics.h"
#include "support/fatal_message.h"

namespace {

using namespace numerics;

TEST(Allocators, VectorsAddressTheirRange) {
  double* d = dvector(3, 3);
  float* p = vector(-2, 5);
  float* empty = vector(1, 0);
  d[3] = 2.5;
  p[-2] = p[5] = 1.0f;
  EXPECT_EQ(&p[5] - &p[-2], 7);
  EXPECT_NE(empty, nullptr);
  release_dvector(d, 3, 3);
  release_vector(p, -2, 5);
  release_vector(empty, 1, 0);
}

TEST(Allocators, MatricesAreRowMajorWithoutGaps) {
  float** m = matrix(1, 3, 1, 4);
  EXPECT_EQ(m[2] - m[1], 4);
  EXPECT_EQ(&m[3][4] - &m[1][1], 11);
  EXPECT_EQ(&m[2][1], &m[1][1] + 4);
  float** b = submatrix(m, 2, 3, 2, 4, 1, 1);
  EXPECT_EQ(&b[1][1], &m[2][2]);
  EXPECT_EQ(&b[2][2], &m[3][3]);
  b[1][2] = -1.0f;
  EXPECT_EQ(m[2][3], -1.0f);
  release_submatrix(b, 1, 2, 1, 3);
  release_matrix(m, 1, 3, 1, 4);

  int** z = int_matrix(0, 4, -2, 2);
  EXPECT_EQ(&z[4][2] - &z[0][-2], 24);
  release_int_matrix(z, 0, 4, -2, 2);
  double** no_columns = double_matrix(1, 3, 1, 0);
  EXPECT_EQ(no_columns[1], no_columns[3]);
  release_double_matrix(no_columns, 1, 3, 1, 0);

  float block[6] = {};
  float** v = convert_matrix(block, 1, 2, 1, 3);
  EXPECT_EQ(&v[2][1], &block[3]);
  EXPECT_EQ(&v[1][3], &block[2]);
  release_convert_matrix(v, 1, 2, 1, 3);
}

TEST(Allocators, TensorsRunLastIndexFastest) {
  float*** t = f3tensor(1, 2, 1, 3, 1, 4);
  for (int i = 1; i <= 2; ++i)
    for (int j = 1; j <= 3; ++j)
      for (int k = 1; k <= 4; ++k)
        EXPECT_EQ(&t[i][j][k] - &t[1][1][1], ((i - 1) * 3 + (j - 1)) * 4 + (k - 1));
  release_f3tensor(t, 1, 2, 1, 3, 1, 4);
  unsigned char*** c = c3tensor(0, 1, -1, 0, 5, 7);
  EXPECT_EQ(&c[1][0][7] - &c[0][-1][5], 11);
  release_c3tensor(c, 0, 1, -1, 0, 5, 7);
}

// Death tests use stack storage only: heap blocks alive in the dying child would be reported as leaks.
TEST(AllocatorsDeathTest, RefusedRequestsNameTheirStep) {
  EXPECT_FATAL(fatal_numeric_error("x"), "x");
  EXPECT_FATAL(vector(5, 3), "allocation failure in vector()");
  EXPECT_FATAL(ivector(1, -1), "allocation failure in ivector()");
  EXPECT_FATAL(lvector(INT_MIN, INT_MAX), "allocation failure in lvector()");
  EXPECT_FATAL(matrix(1, 0, 1, 3), "allocation failure 1 in matrix()");
  EXPECT_FATAL(int_matrix(1, 3, 3, 1), "allocation failure 2 in matrix()");
  EXPECT_FATAL(double_matrix(1, 65536, 1, 65536), "allocation failure 2 in matrix()");
  float block[4] = {};
  float* parent[3] = {nullptr, block, block + 2};
  EXPECT_FATAL(submatrix(parent, 2, 0, 1, 2, 1, 1), "allocation failure in submatrix()");
  EXPECT_FATAL(convert_matrix(block, 1, 0, 1, 4), "allocation failure in convert_matrix()");
  EXPECT_FATAL(f3tensor(1, 0, 1, 2, 1, 2), "allocation failure 1 in f3tensor()");
  EXPECT_FATAL(f3tensor(1, 2, 1, 0, 1, 2), "allocation failure 2 in f3tensor()");
  EXPECT_FATAL(f3tensor(1, 2048, 1, 1024, 1, 1024), "allocation failure 3 in f3tensor()");
  EXPECT_FATAL(c3tensor(1, 2, 1, 2, 3, 1), "allocation failure 3 in c3tensor()");
}

}  // namespace
