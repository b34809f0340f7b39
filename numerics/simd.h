// The one switch between the SSE2 lanes and the portable scalar loops of the fast kernels. Both paths
// perform per element exactly the same IEEE operations in the same precision, so the choice changes
// speed, never a result bit.
//
// SSE2 is used where the compiler targets it (every x86-64 compiler: GCC and Clang define __SSE2__,
// MSVC _M_X64). Defining NUMERICS_FFT_PORTABLE (the transforms) or NUMERICS_LINALG_PORTABLE (the
// decomposition, the eigen-solver and Gauss-Jordan) selects the scalar loops instead.
#pragma once

#if defined(__SSE2__) || defined(_M_X64)
#define NUMERICS_HAVE_SSE2 1
#else
#define NUMERICS_HAVE_SSE2 0
#endif

#if NUMERICS_HAVE_SSE2 && !defined(NUMERICS_FFT_PORTABLE)
#define NUMERICS_FFT_SSE2 1
#else
#define NUMERICS_FFT_SSE2 0
#endif

#if NUMERICS_HAVE_SSE2 && !defined(NUMERICS_LINALG_PORTABLE)
#define NUMERICS_LINALG_SSE2 1
#else
#define NUMERICS_LINALG_SSE2 0
#endif

#if NUMERICS_FFT_SSE2 || NUMERICS_LINALG_SSE2
#include <emmintrin.h>
#endif
