// The numerical support library: one-based single-precision arrays, special functions, statistics,
// sorting, Fourier transforms, decompositions and fitting. Plain free functions over caller-owned
// arrays; a fatal condition ends the process through fatal_numeric_error and is never returned.
#pragma once

#include <cstdint>

namespace numerics {

// Fatal error and one-based storage
// Writes the three-line report of message to stderr and exits with status 1.
[[noreturn]] void fatal_numeric_error(const char* message);

// Vectors p[low..high]; high = low - 1 gives an empty (non-null) handle, a reversed range is fatal.
float*          vector (int low, int high);
int*            ivector(int low, int high);
unsigned char*  cvector(int low, int high);
std::int32_t*   lvector(int low, int high);      // the 32-bit "long" of the module's platform
double*         dvector(int low, int high);
// Row-pointer matrices m[nrl..nrh][ncl..nch] over one row-major block; no rows is fatal.
float**         matrix       (int nrl, int nrh, int ncl, int nch);
double**        double_matrix(int nrl, int nrh, int ncl, int nch);
int**           int_matrix   (int nrl, int nrh, int ncl, int nch);
// View of parent rows oldrl..oldrh from column oldcl as rows newrl.., columns newcl..; shares elements.
float**         submatrix(float** parent, int oldrl, int oldrh, int oldcl, int oldch, int newrl, int newcl);
// Row pointers m[nrl..nrh][ncl..nch] over the caller's row-major block; no rows is fatal.
float**         convert_matrix(float* block, int nrl, int nrh, int ncl, int nch);
// Tensors t[nrl..nrh][ncl..nch][ndl..ndh], last index fastest in one block; no rows or columns is fatal.
float***        f3tensor(int nrl, int nrh, int ncl, int nch, int ndl, int ndh);
unsigned char*** c3tensor(int nrl, int nrh, int ncl, int nch, int ndl, int ndh);

// Release functions: the handle and the allocator's bounds; only the lower bounds are read.
void release_vector (float* v, int low, int high);
void release_ivector(int* v, int low, int high);
void release_cvector(unsigned char* v, int low, int high);
void release_lvector(std::int32_t* v, int low, int high);
void release_dvector(double* v, int low, int high);
void release_matrix       (float** m,  int nrl, int nrh, int ncl, int nch);
void release_double_matrix(double** m, int nrl, int nrh, int ncl, int nch);
void release_int_matrix   (int** m,    int nrl, int nrh, int ncl, int nch);
void release_submatrix     (float** b, int nrl, int nrh, int ncl, int nch);
void release_convert_matrix(float** b, int nrl, int nrh, int ncl, int nch);
void release_f3tensor(float*** t,         int nrl, int nrh, int ncl, int nch, int ndl, int ndh);
void release_c3tensor(unsigned char*** t, int nrl, int nrh, int ncl, int nch, int ndl, int ndh);

// Special functions
// ln Gamma(x) by a six-term Lanczos series, about 2e-10 absolute; x < 0, -0 and +inf give NaN, +0 and
// x below about 1.7e-307 (where the step 2.5066 ser / x overflows) +infinity.
double log_gamma(double x);
// Q(a, x) = Gamma(a, x) / Gamma(a); x < 0 or a <= 0, or no convergence in 100 terms, is fatal; a NaN
// argument gives NaN.
float  gammq(float a, float x);
// P(a, x) by its series and ln Gamma(a) (written first); x = 0 gives 0, x < 0 is fatal.
void   gser(float* gamser, float a, float x, float* gln);
// Q(a, x) by its continued fraction (best for x >= a + 1) and ln Gamma(a); 100 iterations, then fatal.
void   gcf (float* gammcf, float a, float x, float* gln);
// Regularised I_x(a, b); 0 at x = 0, 1 at x = 1, and 0 without a message for x outside [0, 1].
float  incomplete_beta(float a, float b, float x);
// Continued fraction of I_x(a, b) in double; after 100 iterations the current estimate is returned.
float  incomplete_beta_fraction(double a, double b, double x);
// erfc(x) by a closed-form fit, relative error below 1.2e-7, plus about x^2/2 units from the float
// square of |x| (67 units near x = 8.9); erfc(-x) = 2 - erfc(x); NaN gives NaN.
float  complementary_error_function(float x);
// Q_KS(lambda) = 2 sum (-1)^(j-1) exp(-2 j^2 lambda^2); 1 when 100 terms do not settle (lambda near 0,
// NaN); the float sum may end a few units above 1 (1.0000014 near lambda = 0.031).
float  kolmogorov_smirnov_probability(float lambda);
// v sqrt(-2 ln(v^2) / v^2) with v = 1 - p, i.e. 2 sqrt(-ln(1 - p)) for p < 1; p = 1 is taken as 1 - 2^-23.
float  polar_radius_transform(float p);

// Statistical tests (arrays one-based; counts unsigned 32-bit)
// Mean and corrected two-pass variance (divisor n - 1) of data[1..n]; n = 1 gives a NaN variance.
void mean_and_variance(const float* data, std::uint32_t n, float* mean, float* variance);
// Student's t with pooled variance of data1[1..na] against data2[1..nb]; 0 when that variance is 0.
void student_t_pooled (const float* data1, std::uint32_t na, const float* data2, std::uint32_t nb, float* t);
// Student's t for unequal variances; 0 only when both variances are 0.
void student_t_unequal(const float* data1, std::uint32_t na, const float* data2, std::uint32_t nb, float* t);
// Two-sample Kolmogorov-Smirnov distance; sorts data1[1..na] and data2[1..nb]; a NaN value gives NaN.
void ks_two_sample_distance(float* data1, std::uint32_t na, float* data2, std::uint32_t nb, float* d);
// Pearson's r of x[1..n], y[1..n]; 0 when either spread is 0.
void pearson_r(const float* x, const float* y, std::uint32_t n, float* r);
// Pearson's r and its two-sided significance through t with n - 2 degrees of freedom (NaN for n = 2).
void pearson_r_with_probability(const float* x, const float* y, std::uint32_t n, float* r, float* prob);
// Adds one pair to the caller's running sums (start all at 0) and gives the running r (0 at first).
void running_correlation_update(float x, float y, float* count, float* sum_x, float* sum_y,
                                float* sxx, float* syy, float* sxy, float* r);
// Adds one pair to the running sums and gives the running line y = intercept + slope x (slope 0 at first).
void running_line_update(float x, float y, float* count, float* sum_x, float* sum_y,
                         float* sxx, float* syy, float* sxy,
                         float* intercept, float* slope, float* mean_y);
// Spearman's rs of data1[1..n], data2[1..n] with ties, d, zd, probd and probrs; all of one sample tied:
// rs = probrs = 0 and zd, probd untouched.
void spearman_rank_correlation(const float* data1, const float* data2, std::uint32_t n,
                               float* d, float* zd, float* probd, float* rs, float* probrs);

// Straight-line regression
// y = a + b x through x[1..n], y[1..n] (sig[1..n] read when weighted != 0); equal x or n = 2 unweighted
// give non-finite errors (weighted equal x: q NaN); weighted with n <= 2 is fatal (in gammq). q = 1 when
// unweighted.
void fit_line(const float* x, const float* y, int n, const float* sig, int weighted,
              float* a, float* b, float* siga, float* sigb, float* chi2, float* q);

// Random deviates
// Uniform in (0, 1): 16807 mod 2^31 - 1 with a 32-entry shuffle; seed <= 0, seed = 2^31 - 1 (0 modulo
// 2^31 - 1, restarting from 1, as -(2^31 - 1) does) or the first call restarts.
float uniform_deviate(int* seed);
// Standard normal by the polar method, two per accepted pair; the second is saved for the next call.
float normal_deviate(int* seed);

// Tail probabilities and their inverses
// Two-sided P(|T| >= |t|) for Student's t with df degrees of freedom; df = 0 gives NaN.
float t_probability(float t, std::uint32_t df);
// Two-sided significance of correlation r among n points; 1 for n < 2 or r = 0, 0 for r = 1.
float correlation_probability(float r, std::uint32_t n);
// Upper tail of F with df1, df2 degrees of freedom; 0 for f < 0, 1 for f = 0.
float f_probability(float f, std::uint32_t df1, std::uint32_t df2);
// Fixed 25-move step search for the statistic whose tail is p (start 4, step 2; reach 4 +- 50).
float t_for_probability(float p, std::uint32_t df);
// The same search for r (start 0.4, step 0.2).
float correlation_for_probability(float p, std::uint32_t n);
// The same search for F (start 10, step 2).
float f_for_probability(float p, std::uint32_t df1, std::uint32_t df2);

// Sorting, ranking and selection
// Quicksort of arr[1..n] into ascending order; n = 0 touches nothing.
void          sort(std::uint32_t n, float* arr);
// Quicksort of arr[1..n], moving brr[1..n] along with it; n = 0 touches nothing.
void          sort2(std::uint32_t n, float* arr, float* brr);
// Heap sort of arr[1..n] without scratch storage; n < 2 touches nothing.
void          heap_sort(std::uint32_t n, float* arr);
// k-th smallest of arr[1..n], left at arr[k] (none greater before, none smaller after); k outside 1..n
// is fatal.
float         select_kth(std::uint32_t k, std::uint32_t n, float* arr);
// The same over unsigned 16-bit values.
std::uint16_t select_kth_ushort(std::uint32_t k, std::uint32_t n, std::uint16_t* arr);
// Ascending w[1..n] to ranks, ties sharing their mean rank; s = sum of t^3 - t over runs of t ties.
void          rank_with_ties(std::uint32_t n, float* w, float* s);

// Fast Fourier transforms
// In place, unscaled, Z(k) = sum z(j) exp(direction 2 pi i jk/N) over data[1..2count]; a count not a
// power of two, or a direction other than +1/-1, is fatal.
void fft_complex (float* data, std::uint32_t count, int direction);
// Real data[1..count] to packed spectrum (Z(0), Z(N/2), then Z(k) re/im) for direction +1, any other
// direction the inverse (round trip gives count/2 times); count a power of two >= 2, else fatal.
void fft_real    (float* data, std::uint32_t count, int direction);
// Complex array data[1..2 n1...nD], last index fastest (round trip n1...nD times); a dimension not a
// power of two, or a direction other than +1/-1, is fatal.
void fft_multidim(float* data, const std::uint32_t* dims, int ndims, int direction);   // dims[1..ndims]
// Real tensor [1..n1][1..n2][1..n3] to half spectrum, k3 = n3/2 in nyquist[1..n1][1..2 n2] (round
// trip n1 n2 n3/2 times); bad sizes or direction are fatal, a non-contiguous tensor exits(1) silently.
void fft_real_3d (float*** data, float** nyquist, std::uint32_t n1, std::uint32_t n2,
                  std::uint32_t n3, int direction);

// Singular value decomposition
extern bool svd_not_converged;  // cleared by svd_decompose, set when a value used up its iterations
// a[1..m][1..n] -> U, w[1..n] unsorted, v[1..n][1..n] = V; |bidiag| < 1e-6 is 0; reflections < 3e-39 skipped.
void  svd_decompose(float** a, int m, int n, float* w, float** v);
// sqrt(a^2 + b^2) without overflow; 0 for (0, 0).
float safe_hypot(float a, float b);
// x[1..n] = V diag(1/w) U^T b[1..m]; exactly-zero w[j] are left out; x may alias b when m == n.
void  svd_solve(const float* const* u, const float* w, const float* const* v, int m, int n, const float* b, float* x);
// covariance[1..nparams]^2 = V diag(1/w^2) V^T; a zero w[k] contributes nothing.
void  svd_covariance(const float* const* v, int nparams, const float* w, float** covariance);

// Linear least squares
using basis_function = void (*)(float x, float* values, int nbasis);
// Chi-square fit of coef[1..nbasis] to points [1..npoints]; u, v, w get the decomposition, with
// w < 1e-5 * max(w) set to 0; sigma must be non-zero.
void svd_fit(const float* x, const float* y, const float* sigma, int npoints, float* coef, int nbasis,
             float** u, float** v, float* w, float* chi2, basis_function basis_fn);
// values[1..count] = 1, x, x^2, ...; writes nothing when count < 1.
void poly_basis(float x, float* values, int count);

// Nonlinear least squares
using model_function = void (*)(float x, float* params, float* value, float* derivs, int nparams);
// Levenberg-Marquardt step: *lambda <0 (re)starts, >0 steps, ==0 ends with covariance; fatal if idle.
void nonlinear_fit_step(const float* x, const float* y, const float* sigma, int npoints, float* params, const int* free_mask,
                        int nparams, float** covariance, float** curvature, float* chi2,
                        model_function model, float* lambda);
// Curvature [1..nfree]^2, half negative gradient [1..nfree] and chi-square at params [1..nparams].
void fit_curvature(const float* x, const float* y, const float* sigma, int npoints, float* params, const int* free_mask,
                   int nparams, float** curvature, float* gradient, float* chi2, model_function model);
// Gauss-Jordan, full pivoting: a[1..n][1..n] -> inverse, b[1..n][1..m] -> solutions; singular is fatal.
void gaussj(float** a, int n, float** b, int m);
// Spreads the upper-left nfree^2 block over [1..nparams]^2 by free_mask; fixed rows/columns become 0.
void expand_covariance(float** covariance, int nparams, const int* free_mask, int nfree);
// Sum of B*exp(-((x-E)/G)^2) over triples of params[1..nparams]; an incomplete last triple gets 0.
void gaussian_sum(float x, float* params, float* value, float* derivs, int nparams);

// Symmetric eigensystem
// Eigenvalues [1..n] and eigenvector columns [1..n][1..n] of sym by Jacobi rotations; reads the upper
// triangle and diagonal, zeroes the strict upper triangle; no convergence in 50 sweeps is fatal.
void jacobi(float** sym, int n, float* eigenvalues, float** eigenvectors, int* rotations);
// Selection sort of eigenvalues[1..n] into descending order, swapping eigenvector columns along.
void sort_eigenpairs(float* eigenvalues, float** eigenvectors, int n);

// Dense zero-based matrix helpers
// c[rows][cols] = a[rows][inner] * b[inner][cols].
void  multiply_matrices(const float* const* a, const float* const* b, float** c, int rows, int inner, int cols);
// c[rows][rows] = a a^T; the upper triangle is a copy of the lower.
void  multiply_by_own_transpose(const float* const* a, float** c, int rows, int cols);
// multiply_by_own_transpose(a, c, rows, cols); ignored and ignored_count are not read.
void  multiply_by_own_transpose_adapter(const float* const* a, const float* const* ignored, float** c, int rows, int ignored_count, int cols);
// y[0..rows-1] = m x[0..cols-1].
void  multiply_matrix_vector(const float* const* m, const float* x, float* y, int rows, int cols);
// sum of x[i] y[i] over 0..n-1; 0 when n <= 0.
float dot_product(const float* x, const float* y, int n);
// b[cols][rows] = a[rows][cols]^T.
void  transpose_matrix(const float* const* a, float** b, int rows, int cols);
// rows x cols block; mode 0: 0->0, 1: 1->1, 2: 0-based -> 1-based, 3: 1-based -> 0-based, else no copy.
void  copy_matrix_rebased(const float* const* src, float** dst, int rows, int cols, int mode);
// m[i][j] *= s[i] over the rows x cols block.
void  scale_rows(const float* s, float** m, int rows, int cols);
// result[n][n] = pseudo-inverse of a, singular values < 1e-6 * max dropped; zero matrix -> 0; true.
bool  pseudo_inverse(const float* const* a, float** result, int n);

}  // namespace numerics
