// One-based storage of the numerical library: vectors, row-pointer matrices, views and 3-d tensors
// over blocks obtained from malloc, their release functions, and the fatal-error exit through which
// every routine of the library reports an unrecoverable condition.
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <limits>

#include "numerics/numerics.h"

namespace numerics {
namespace {

// Every count and product of counts must stay within the 32-bit signed range.
constexpr std::int64_t kMaxCount = std::numeric_limits<std::int32_t>::max();

const char* const kMatrixRowsMessage = "allocation failure 1 in matrix()";
const char* const kMatrixBlockMessage = "allocation failure 2 in matrix()";
const char* const kSubmatrixMessage = "allocation failure in submatrix()";
const char* const kConvertMessage = "allocation failure in convert_matrix()";

struct TensorMessages {
  const char* rows;
  const char* pointers;
  const char* elements;
};

constexpr TensorMessages kF3tensorMessages{"allocation failure 1 in f3tensor()",
                                           "allocation failure 2 in f3tensor()",
                                           "allocation failure 3 in f3tensor()"};
constexpr TensorMessages kC3tensorMessages{"allocation failure 1 in c3tensor()",
                                           "allocation failure 2 in c3tensor()",
                                           "allocation failure 3 in c3tensor()"};

// Number of indices in [low, high], formed in 64 bits so that a reversed range (negative count) or
// one beyond the 32-bit range is refused before malloc is asked, with the same message on every
// platform.
std::int32_t range_count(int low, int high, const char* message) {
  const std::int64_t count = static_cast<std::int64_t>(high) - static_cast<std::int64_t>(low) + 1;
  if (count < 0 || count > kMaxCount) fatal_numeric_error(message);
  return static_cast<std::int32_t>(count);
}

// Product of two counts, refused when it leaves the 32-bit signed range.
std::int32_t checked_product(std::int32_t a, std::int32_t b, const char* message) {
  const std::int64_t product = static_cast<std::int64_t>(a) * static_cast<std::int64_t>(b);
  if (product > kMaxCount) fatal_numeric_error(message);
  return static_cast<std::int32_t>(product);
}

// One block of count objects of type T. An empty block asks malloc for zero bytes; a C library whose
// malloc(0) answers null is then asked for one byte, so that an empty range is accepted everywhere.
template <typename T>
T* obtain(std::int32_t count, const char* message) {
  const std::size_t bytes = static_cast<std::size_t>(count) * sizeof(T);
  void* block = std::malloc(bytes);
  if (block == nullptr && bytes == 0) block = std::malloc(1);
  if (block == nullptr) fatal_numeric_error(message);
  return static_cast<T*>(block);
}

template <typename T>
T* one_based_vector(int low, int high, const char* message) {
  const std::int32_t count = range_count(low, high, message);
  return obtain<T>(count, message) - low;
}

// Row pointers over a row-major block of nrow x ncol elements; the handle is indexed from nrl and
// each row from ncl.
template <typename T>
T** link_rows(T** rows, T* elements, std::int32_t nrow, std::int32_t ncol, int nrl, int ncl) {
  rows[0] = elements - ncl;
  for (std::int32_t r = 1; r < nrow; ++r) rows[r] = rows[r - 1] + ncol;
  return rows - nrl;
}

// A matrix without rows would have its first row pointer written outside the pointer array, so it
// is refused like a failed request for that array.
template <typename T>
T** row_pointer_matrix(int nrl, int nrh, int ncl, int nch) {
  const std::int32_t nrow = range_count(nrl, nrh, kMatrixRowsMessage);
  if (nrow == 0) fatal_numeric_error(kMatrixRowsMessage);
  const std::int32_t ncol = range_count(ncl, nch, kMatrixBlockMessage);
  const std::int32_t cells = checked_product(nrow, ncol, kMatrixBlockMessage);
  T** rows = obtain<T*>(nrow, kMatrixRowsMessage);
  T* elements = obtain<T>(cells, kMatrixBlockMessage);
  return link_rows(rows, elements, nrow, ncol, nrl, ncl);
}

template <typename T>
void release_row_pointer_matrix(T** m, int nrl, int ncl) {
  std::free(m[nrl] + ncl);
  std::free(m + nrl);
}

// Three blocks: row pointers, column pointers (nrow x ncol), elements (nrow x ncol x ndep, last
// index fastest). A tensor without rows or without columns is refused, since its first row and first
// column pointer would be written outside their blocks.
template <typename T>
T*** tensor(int nrl, int nrh, int ncl, int nch, int ndl, int ndh, const TensorMessages& messages) {
  const std::int32_t nrow = range_count(nrl, nrh, messages.rows);
  if (nrow == 0) fatal_numeric_error(messages.rows);
  const std::int32_t ncol = range_count(ncl, nch, messages.pointers);
  if (ncol == 0) fatal_numeric_error(messages.pointers);
  const std::int32_t columns = checked_product(nrow, ncol, messages.pointers);
  const std::int32_t ndep = range_count(ndl, ndh, messages.elements);
  const std::int32_t cells = checked_product(columns, ndep, messages.elements);

  T*** rows = obtain<T**>(nrow, messages.rows);
  T** pointers = obtain<T*>(columns, messages.pointers);
  T* elements = obtain<T>(cells, messages.elements);
  for (std::int32_t r = 0; r < nrow; ++r) {
    rows[r] = pointers + r * ncol - ncl;
    for (std::int32_t c = 0; c < ncol; ++c) pointers[r * ncol + c] = elements + (r * ncol + c) * ndep - ndl;
  }
  return rows - nrl;
}

template <typename T>
void release_tensor(T*** t, int nrl, int ncl, int ndl) {
  std::free(t[nrl][ncl] + ndl);
  std::free(t[nrl] + ncl);
  std::free(t + nrl);
}

}  // namespace

void fatal_numeric_error(const char* message) {
  std::fprintf(stderr, "Corvane run-time error...\n");
  std::fprintf(stderr, "%s\n", message);
  std::fprintf(stderr, "...now exiting to system...\n");
  std::exit(1);
}

float* vector(int low, int high) {
  return one_based_vector<float>(low, high, "allocation failure in vector()");
}

int* ivector(int low, int high) {
  return one_based_vector<int>(low, high, "allocation failure in ivector()");
}

unsigned char* cvector(int low, int high) {
  return one_based_vector<unsigned char>(low, high, "allocation failure in cvector()");
}

std::int32_t* lvector(int low, int high) {
  return one_based_vector<std::int32_t>(low, high, "allocation failure in lvector()");
}

double* dvector(int low, int high) {
  return one_based_vector<double>(low, high, "allocation failure in dvector()");
}

float** matrix(int nrl, int nrh, int ncl, int nch) { return row_pointer_matrix<float>(nrl, nrh, ncl, nch); }

double** double_matrix(int nrl, int nrh, int ncl, int nch) {
  return row_pointer_matrix<double>(nrl, nrh, ncl, nch);
}

int** int_matrix(int nrl, int nrh, int ncl, int nch) { return row_pointer_matrix<int>(nrl, nrh, ncl, nch); }

float** submatrix(float** parent, int oldrl, int oldrh, int oldcl, int /*oldch*/, int newrl, int newcl) {
  const std::int32_t nrow = range_count(oldrl, oldrh, kSubmatrixMessage);
  const std::ptrdiff_t offset = static_cast<std::ptrdiff_t>(oldcl) - static_cast<std::ptrdiff_t>(newcl);
  float** rows = obtain<float*>(nrow, kSubmatrixMessage);
  for (std::int32_t r = 0; r < nrow; ++r) rows[r] = parent[oldrl + r] + offset;
  return rows - newrl;
}

// A view without rows is refused like a failed request (its first row pointer would be written
// outside the array); a reversed column range would make the rows run backwards, so it is refused too.
float** convert_matrix(float* block, int nrl, int nrh, int ncl, int nch) {
  const std::int32_t nrow = range_count(nrl, nrh, kConvertMessage);
  if (nrow == 0) fatal_numeric_error(kConvertMessage);
  const std::int32_t ncol = range_count(ncl, nch, kConvertMessage);
  checked_product(nrow, ncol, kConvertMessage);
  float** rows = obtain<float*>(nrow, kConvertMessage);
  return link_rows(rows, block, nrow, ncol, nrl, ncl);
}

float*** f3tensor(int nrl, int nrh, int ncl, int nch, int ndl, int ndh) {
  return tensor<float>(nrl, nrh, ncl, nch, ndl, ndh, kF3tensorMessages);
}

unsigned char*** c3tensor(int nrl, int nrh, int ncl, int nch, int ndl, int ndh) {
  return tensor<unsigned char>(nrl, nrh, ncl, nch, ndl, ndh, kC3tensorMessages);
}

void release_vector(float* v, int low, int /*high*/) { std::free(v + low); }

void release_ivector(int* v, int low, int /*high*/) { std::free(v + low); }

void release_cvector(unsigned char* v, int low, int /*high*/) { std::free(v + low); }

void release_lvector(std::int32_t* v, int low, int /*high*/) { std::free(v + low); }

void release_dvector(double* v, int low, int /*high*/) { std::free(v + low); }

void release_matrix(float** m, int nrl, int /*nrh*/, int ncl, int /*nch*/) {
  release_row_pointer_matrix(m, nrl, ncl);
}

void release_double_matrix(double** m, int nrl, int /*nrh*/, int ncl, int /*nch*/) {
  release_row_pointer_matrix(m, nrl, ncl);
}

void release_int_matrix(int** m, int nrl, int /*nrh*/, int ncl, int /*nch*/) {
  release_row_pointer_matrix(m, nrl, ncl);
}

void release_submatrix(float** b, int nrl, int /*nrh*/, int /*ncl*/, int /*nch*/) { std::free(b + nrl); }

void release_convert_matrix(float** b, int nrl, int /*nrh*/, int /*ncl*/, int /*nch*/) { std::free(b + nrl); }

void release_f3tensor(float*** t, int nrl, int /*nrh*/, int ncl, int /*nch*/, int ndl, int /*ndh*/) {
  release_tensor(t, nrl, ncl, ndl);
}

void release_c3tensor(unsigned char*** t, int nrl, int /*nrh*/, int ncl, int /*nch*/, int ndl, int /*ndh*/) {
  release_tensor(t, nrl, ncl, ndl);
}

}  // namespace numerics
