// The numerical support library: one-based single-precision arrays, special functions, statistics,
// sorting, Fourier transforms, decompositions and fitting. Plain free functions over caller-owned
// arrays; a fatal condition ends the process through fatal_numeric_error and is never returned.
#pragma once

#include <cstdint>

namespace numerics {

// Fatal error and one-based storage
[[noreturn]] void fatal_numeric_error(const char* message);

float*          vector (int low, int high);
int*            ivector(int low, int high);
unsigned char*  cvector(int low, int high);
std::int32_t*   lvector(int low, int high);      // the 32-bit "long" of the module's platform
double*         dvector(int low, int high);
float**         matrix       (int nrl, int nrh, int ncl, int nch);
double**        double_matrix(int nrl, int nrh, int ncl, int nch);
int**           int_matrix   (int nrl, int nrh, int ncl, int nch);
float**         submatrix(float** parent, int oldrl, int oldrh, int oldcl, int oldch, int newrl, int newcl);
float**         convert_matrix(float* block, int nrl, int nrh, int ncl, int nch);
float***        f3tensor(int nrl, int nrh, int ncl, int nch, int ndl, int ndh);
unsigned char*** c3tensor(int nrl, int nrh, int ncl, int nch, int ndl, int ndh);

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
double log_gamma(double x);
float  gammq(float a, float x);
void   gser(float* gamser, float a, float x, float* gln);
void   gcf (float* gammcf, float a, float x, float* gln);
float  incomplete_beta(float a, float b, float x);
float  incomplete_beta_fraction(double a, double b, double x);
float  complementary_error_function(float x);
float  kolmogorov_smirnov_probability(float lambda);
float  polar_radius_transform(float p);

// Statistical tests (arrays one-based; counts unsigned 32-bit)
void mean_and_variance(float* data, std::uint32_t n, float* mean, float* variance);
void student_t_pooled (float* data1, std::uint32_t na, float* data2, std::uint32_t nb, float* t);
void student_t_unequal(float* data1, std::uint32_t na, float* data2, std::uint32_t nb, float* t);
void ks_two_sample_distance(float* data1, std::uint32_t na, float* data2, std::uint32_t nb, float* d);
void pearson_r(float* x, float* y, std::uint32_t n, float* r);
void pearson_r_with_probability(float* x, float* y, std::uint32_t n, float* r, float* prob);
void running_correlation_update(float x, float y, float* count, float* sum_x, float* sum_y,
                                float* sxx, float* syy, float* sxy, float* r);
void running_line_update(float x, float y, float* count, float* sum_x, float* sum_y,
                         float* sxx, float* syy, float* sxy,
                         float* intercept, float* slope, float* mean_y);
void spearman_rank_correlation(float* data1, float* data2, std::uint32_t n,
                               float* d, float* zd, float* probd, float* rs, float* probrs);

// Straight-line regression
void fit_line(float* x, float* y, int n, float* sig, int weighted,
              float* a, float* b, float* siga, float* sigb, float* chi2, float* q);

// Random deviates
float uniform_deviate(int* seed);
float normal_deviate(int* seed);

// Tail probabilities and their inverses
float t_probability(float t, std::uint32_t df);
float correlation_probability(float r, std::uint32_t n);
float f_probability(float f, std::uint32_t df1, std::uint32_t df2);
float t_for_probability(float p, std::uint32_t df);
float correlation_for_probability(float p, std::uint32_t n);
float f_for_probability(float p, std::uint32_t df1, std::uint32_t df2);

// Sorting, ranking and selection
void          sort(std::uint32_t n, float* arr);
void          sort2(std::uint32_t n, float* arr, float* brr);
void          heap_sort(std::uint32_t n, float* arr);
float         select_kth(std::uint32_t k, std::uint32_t n, float* arr);
std::uint16_t select_kth_ushort(std::uint32_t k, std::uint32_t n, std::uint16_t* arr);
void          rank_with_ties(std::uint32_t n, float* w, float* s);

// Fast Fourier transforms
void fft_complex (float* data, std::uint32_t count, int direction);
void fft_real    (float* data, std::uint32_t count, int direction);
void fft_multidim(float* data, std::uint32_t* dims, int ndims, int direction);   // dims[1..ndims]
void fft_real_3d (float*** data, float** nyquist, std::uint32_t n1, std::uint32_t n2,
                  std::uint32_t n3, int direction);

// Singular value decomposition
extern bool svd_not_converged;
void  svd_decompose(float** a, int m, int n, float* w, float** v);
float safe_hypot(float a, float b);
void  svd_solve(float** u, float* w, float** v, int m, int n, float* b, float* x);
void  svd_covariance(float** v, int nparams, float* w, float** covariance);

// Linear least squares
using basis_function = void (*)(float x, float* values, int nbasis);
void svd_fit(float* x, float* y, float* sigma, int npoints, float* coef, int nbasis,
             float** u, float** v, float* w, float* chi2, basis_function basis_fn);
void poly_basis(float x, float* values, int count);

// Nonlinear least squares
using model_function = void (*)(float x, float* params, float* value, float* derivs, int nparams);
void nonlinear_fit_step(float* x, float* y, float* sigma, int npoints, float* params, int* free_mask,
                        int nparams, float** covariance, float** curvature, float* chi2,
                        model_function model, float* lambda);
void fit_curvature(float* x, float* y, float* sigma, int npoints, float* params, int* free_mask,
                   int nparams, float** curvature, float* gradient, float* chi2, model_function model);
void gaussj(float** a, int n, float** b, int m);
void expand_covariance(float** covariance, int nparams, int* free_mask, int nfree);
void gaussian_sum(float x, float* params, float* value, float* derivs, int nparams);

// Symmetric eigensystem
void jacobi(float** sym, int n, float* eigenvalues, float** eigenvectors, int* rotations);
void sort_eigenpairs(float* eigenvalues, float** eigenvectors, int n);

// Dense zero-based matrix helpers
void  multiply_matrices(float** a, float** b, float** c, int rows, int inner, int cols);
void  multiply_by_own_transpose(float** a, float** c, int rows, int cols);
void  multiply_by_own_transpose_adapter(float** a, float** ignored, float** c, int rows, int ignored_count, int cols);
void  multiply_matrix_vector(float** m, float* x, float* y, int rows, int cols);
float dot_product(float* x, float* y, int n);
void  transpose_matrix(float** a, float** b, int rows, int cols);
void  copy_matrix_rebased(float** src, float** dst, int rows, int cols, int mode);
void  scale_rows(float* s, float** m, int rows, int cols);
bool  pseudo_inverse(float** a, float** result, int n);

}  // namespace numerics
