// Fuzz target for the one-based allocators and the random generators. Checks:
//  - allocators: every element of every vector, matrix, view and tensor is written and read back
//    through its handle (the address checker sees any element outside the block), the row-major and
//    last-index-fastest layouts are the documented ones, views address their parent's elements, and
//    every block is released (the leak checker sees one left behind);
//  - uniform_deviate from any sequence of seeds, restarts included, gives values inside (0, 1), and
//    leaves a seed in 0 .. 2^31 - 2 (0 requests a restart); normal_deviate gives finite values.
//
// Keeping the input in range (the allocators' documented fatal exits, and requests outside their
// contract, are never made):
//  - element counts are capped (kMaxElements per block), so that no request can fail for want of
//    memory; lower bounds lie in [-2^20, 2^20], so that handle = block - low stays a small offset;
//  - matrices, views and tensors get at least one row, tensors at least one column (no rows or no
//    columns is fatal); columns of a matrix and depths of a tensor may be 0 (empty rows);
//  - the generators take any seed: they check nothing and never fail.
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstdlib>

#include "fuzz/fuzz_input.h"
#include "numerics/numerics.h"

namespace {

constexpr int kMaxElements = 1 << 14;
constexpr int kMaxExtent = 64;
constexpr int kBoundRange = 1 << 20;
constexpr int kMaxDraws = 64;

[[noreturn]] void fail(const char* what, long long a = 0, long long b = 0) {
  std::fprintf(stderr, "arrays or generators misbehaved: %s (%lld, %lld)\n", what, a, b);
  std::abort();
}

void check(bool ok, const char* what, long long a = 0, long long b = 0) {
  if (!ok) fail(what, a, b);
}

int bound(fuzz_input::Reader& in) {
  return static_cast<int>(in.u32() % (2u * kBoundRange + 1u)) - kBoundRange;
}

// A value for element number k that differs from its neighbours and fits every element type.
int pattern(long long k) { return static_cast<int>((k * 37 + 11) % 251); }

template <typename T, typename Alloc, typename Release>
void check_vector(int low, int count, Alloc alloc, Release release) {
  const int high = low + count - 1;
  T* v = alloc(low, high);
  check(v != nullptr, "vector handle is null", low, count);
  for (int i = low; i <= high; ++i) v[i] = static_cast<T>(pattern(i - low));
  for (int i = low; i <= high; ++i) check(v[i] == static_cast<T>(pattern(i - low)), "vector element lost", i);
  if (count > 0) check(&v[high] - &v[low] == count - 1, "vector not contiguous", low, count);
  release(v, low, high);
}

template <typename T, typename Alloc, typename Release>
void check_matrix(int nrl, int rows, int ncl, int cols, Alloc alloc, Release release) {
  const int nrh = nrl + rows - 1;
  const int nch = ncl + cols - 1;
  T** m = alloc(nrl, nrh, ncl, nch);
  for (int i = nrl; i <= nrh; ++i)
    for (int j = ncl; j <= nch; ++j) m[i][j] = static_cast<T>(pattern((i - nrl) * 1LL * cols + (j - ncl)));
  // Row-major in one block: element (i, j) is flat element (i - nrl) cols + (j - ncl).
  const T* flat = &m[nrl][ncl];
  for (long long k = 0; k < 1LL * rows * cols; ++k)
    check(flat[k] == static_cast<T>(pattern(k)), "matrix is not one row-major block", k);
  for (int i = nrl + 1; i <= nrh; ++i) check(m[i] - m[i - 1] == cols, "matrix rows not adjacent", i);
  release(m, nrl, nrh, ncl, nch);
}

void check_views(fuzz_input::Reader& in, int rows, int cols) {
  if (cols == 0) return;
  const int nrl = bound(in), ncl = bound(in);
  const int nrh = nrl + rows - 1, nch = ncl + cols - 1;
  float** a = numerics::matrix(nrl, nrh, ncl, nch);
  for (int i = nrl; i <= nrh; ++i)
    for (int j = ncl; j <= nch; ++j)
      a[i][j] = static_cast<float>(pattern((i - nrl) * 1LL * cols + (j - ncl)));
  // A window of the parent from row oldrl, column oldcl, re-addressed from (newrl, newcl).
  const int oldrl = nrl + static_cast<int>(in.byte()) % rows;
  const int oldrh = oldrl + static_cast<int>(in.byte()) % (nrh - oldrl + 1);
  const int oldcl = ncl + static_cast<int>(in.byte()) % cols;
  const int newrl = bound(in), newcl = bound(in);
  float** b = numerics::submatrix(a, oldrl, oldrh, oldcl, nch, newrl, newcl);
  for (int i = oldrl; i <= oldrh; ++i)
    for (int j = oldcl; j <= nch; ++j)
      check(&b[newrl + i - oldrl][newcl + j - oldcl] == &a[i][j], "submatrix does not address its parent", i,
            j);
  b[newrl][newcl] = -1.0f;
  check(a[oldrl][oldcl] == -1.0f, "a write through the view missed the parent");
  numerics::release_submatrix(b, newrl, newrl + oldrh - oldrl, newcl, newcl + nch - oldcl);

  // The parent's block seen as a matrix with other bounds.
  const int crl = bound(in), ccl = bound(in);
  float** c = numerics::convert_matrix(&a[nrl][ncl], crl, crl + rows - 1, ccl, ccl + cols - 1);
  for (int i = 0; i < rows; ++i)
    for (int j = 0; j < cols; ++j)
      check(&c[crl + i][ccl + j] == &a[nrl + i][ncl + j], "convert_matrix misaddresses the block", i, j);
  numerics::release_convert_matrix(c, crl, crl + rows - 1, ccl, ccl + cols - 1);
  numerics::release_matrix(a, nrl, nrh, ncl, nch);
}

template <typename T, typename Alloc, typename Release>
void check_tensor(int nrl, int rows, int ncl, int cols, int ndl, int depth, Alloc alloc, Release release) {
  const int nrh = nrl + rows - 1, nch = ncl + cols - 1, ndh = ndl + depth - 1;
  T*** t = alloc(nrl, nrh, ncl, nch, ndl, ndh);
  for (int i = nrl; i <= nrh; ++i)
    for (int j = ncl; j <= nch; ++j)
      for (int k = ndl; k <= ndh; ++k)
        t[i][j][k] = static_cast<T>(pattern(((i - nrl) * 1LL * cols + (j - ncl)) * depth + (k - ndl)));
  if (depth > 0) {
    const T* flat = &t[nrl][ncl][ndl];
    for (long long e = 0; e < 1LL * rows * cols * depth; ++e)
      check(flat[e] == static_cast<T>(pattern(e)), "tensor is not one last-index-fastest block", e);
  }
  release(t, nrl, nrh, ncl, nch, ndl, ndh);
}

void check_allocators(fuzz_input::Reader& in) {
  const int count = static_cast<int>(in.u16() % (kMaxElements + 1));
  check_vector<float>(bound(in), count, numerics::vector, numerics::release_vector);
  check_vector<int>(bound(in), count, numerics::ivector, numerics::release_ivector);
  check_vector<unsigned char>(bound(in), count, numerics::cvector, numerics::release_cvector);
  check_vector<std::int32_t>(bound(in), count, numerics::lvector, numerics::release_lvector);
  check_vector<double>(bound(in), count, numerics::dvector, numerics::release_dvector);

  const int rows = 1 + in.byte() % kMaxExtent;
  const int cols = in.byte() % (kMaxExtent + 1);
  check_matrix<float>(bound(in), rows, bound(in), cols, numerics::matrix, numerics::release_matrix);
  check_matrix<double>(bound(in), rows, bound(in), cols, numerics::double_matrix,
                       numerics::release_double_matrix);
  check_matrix<int>(bound(in), rows, bound(in), cols, numerics::int_matrix, numerics::release_int_matrix);
  check_views(in, rows, cols);

  const int trows = 1 + in.byte() % 16, tcols = 1 + in.byte() % 16, depth = in.byte() % 33;
  check_tensor<float>(bound(in), trows, bound(in), tcols, bound(in), depth, numerics::f3tensor,
                      numerics::release_f3tensor);
  check_tensor<unsigned char>(bound(in), trows, bound(in), tcols, bound(in), depth, numerics::c3tensor,
                              numerics::release_c3tensor);
}

// Each step either sets the seed to any 32-bit value or keeps the one the generator left, then draws.
void check_generators(fuzz_input::Reader& in) {
  int seed = static_cast<int>(in.u32());
  while (!in.exhausted()) {
    const std::uint8_t action = in.byte();
    if (action & 1) seed = static_cast<int>(in.u32());
    const int draws = 1 + (action >> 1) % kMaxDraws;
    for (int d = 0; d < draws; ++d) {
      if (action & 0x80) {
        const float g = numerics::normal_deviate(&seed);
        check(std::isfinite(g), "normal deviate not finite", seed);
      } else {
        const float u = numerics::uniform_deviate(&seed);
        check(u > 0.0f && u < 1.0f, "uniform deviate outside (0, 1)", seed, static_cast<long long>(u * 1e9));
        // (normal_deviate leaves the seed alone when it hands out its saved value.)
        check(seed >= 0 && seed <= 2147483646, "seed left outside 0 .. 2^31 - 2", seed);
      }
    }
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  if (size == 0) return 0;
  fuzz_input::Reader rest(data + 1, size - 1);
  if ((data[0] & 1) != 0) {
    check_allocators(rest);
  } else {
    check_generators(rest);
  }
  return 0;
}
