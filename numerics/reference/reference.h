// The library's routines in their plain step order (namespace numerics::reference): each written as
// the routine is specified, one loop after the other, in the specified float and double steps. The
// fast routines reorder these steps and must give the same bits; tests compare the two.
#pragma once

#include <cstdint>

namespace numerics {
namespace reference {

// Dense linear algebra: the same arguments, results and fatal exits as numerics::svd_decompose
// (which also sets numerics::svd_not_converged), numerics::jacobi and numerics::gaussj.
void svd_decompose(float** a, int m, int n, float* w, float** v);
void jacobi(float** sym, int n, float* eigenvalues, float** eigenvectors, int* rotations);
void gaussj(float** a, int n, float** b, int m);

// Fourier transforms: the same arguments and results as numerics::fft_complex, fft_real, fft_multidim
// and fft_real_3d, for arguments those accept (nothing is checked here; fft_real_3d needs the
// contiguous tensor that numerics::fft_real_3d insists on).
void fft_complex(float* data, std::uint32_t count, int direction);
void fft_real(float* data, std::uint32_t count, int direction);
void fft_multidim(float* data, const std::uint32_t* dims, int ndims, int direction);
void fft_real_3d(float*** data, float** nyquist, std::uint32_t n1, std::uint32_t n2, std::uint32_t n3,
                 int direction);

}  // namespace reference
}  // namespace numerics
