// The one place that chooses between the lanes of the fast kernels: the portable scalar loops, SSE2
// (4 floats, 2 doubles) and AVX2 (8 floats, 4 doubles). Every path performs per element exactly the
// same IEEE operations in the same precision and order (no fused multiply-add), so the choice changes
// speed, never a result bit.
//
// Two kinds of fact decide the lanes. What the compiler can emit is known at compile time and
// spelled by the macros below (NUMERICS_COMPILER_EMITS_*: SSE2 on every x86-64 compiler, AVX2 through
// a function-level target attribute; NUMERICS_*_LANES and NUMERICS_*_AVX2: which lane kernels a
// family compiles in). What the CPU has is known only at run time: simd_path() below, after one CPU
// check, so that plain -O2 builds one library for every x86-64 machine.
// run_lanes below is the one loop over the lane widths that the dense routines' kernels share.
// Defining NUMERICS_FFT_PORTABLE (the transforms) or NUMERICS_LINALG_PORTABLE (the decomposition, the
// eigen-solver and Gauss-Jordan) leaves only the scalar loops in those families.
#pragma once

#if defined(__SSE2__) || defined(_M_X64)
#define NUMERICS_COMPILER_EMITS_SSE2 1
#else
#define NUMERICS_COMPILER_EMITS_SSE2 0
#endif

#if NUMERICS_COMPILER_EMITS_SSE2 && !defined(NUMERICS_FFT_PORTABLE)
#define NUMERICS_FFT_LANES 1
#else
#define NUMERICS_FFT_LANES 0
#endif

#if NUMERICS_COMPILER_EMITS_SSE2 && !defined(NUMERICS_LINALG_PORTABLE)
#define NUMERICS_LINALG_LANES 1
#else
#define NUMERICS_LINALG_LANES 0
#endif

// AVX2 kernels exist wherever SSE2 does on x86-64; GCC and Clang (in either ABI) need the attribute
// to emit the instructions in a function of an otherwise baseline build, MSVC needs nothing.
#if NUMERICS_COMPILER_EMITS_SSE2 && (defined(__x86_64__) || defined(_M_X64))
#define NUMERICS_COMPILER_EMITS_AVX2 1
#else
#define NUMERICS_COMPILER_EMITS_AVX2 0
#endif

// The families' AVX2 kernels: compiled in where the family has lanes and the compiler emits AVX2.
#define NUMERICS_FFT_AVX2 (NUMERICS_FFT_LANES && NUMERICS_COMPILER_EMITS_AVX2)
#define NUMERICS_LINALG_AVX2 (NUMERICS_LINALG_LANES && NUMERICS_COMPILER_EMITS_AVX2)

#if defined(__GNUC__) || defined(__clang__)
#define NUMERICS_AVX2_FUNCTION __attribute__((target("avx2")))
// An AVX2 function into which everything it calls is inlined: a loop that calls short kernels many
// times then runs them without a call each, the dispatch tests staying as cheap branches.
#define NUMERICS_AVX2_FLATTEN __attribute__((target("avx2"), flatten))
#else
#define NUMERICS_AVX2_FUNCTION
#define NUMERICS_AVX2_FLATTEN
#endif

#include <type_traits>

#if NUMERICS_FFT_LANES || NUMERICS_LINALG_LANES
#include <emmintrin.h>
#endif
#if NUMERICS_COMPILER_EMITS_AVX2 && (NUMERICS_FFT_LANES || NUMERICS_LINALG_LANES)
#include <immintrin.h>
// Clang in the Microsoft ABI leaves the AVX declarations out of <immintrin.h> unless the whole unit
// is compiled for AVX; the target attribute makes them usable function by function.
#if defined(__clang__) && defined(_MSC_VER) && !defined(__AVX__)
#include <avxintrin.h>
#endif
#if defined(__clang__) && defined(_MSC_VER) && !defined(__AVX2__)
#include <avx2intrin.h>
#endif
#endif

namespace numerics {
namespace detail {

// The lane widths in increasing order; a path includes the narrower ones for its remainders.
enum class SimdPath : int { portable = 0, sse2 = 1, avx2 = 2 };

// The path the kernels take: the widest this processor and operating system support, unless a
// test has forced another. Read on every kernel call; the CPU is asked once.
extern SimdPath simd_path_in_use;
inline SimdPath simd_path() { return simd_path_in_use; }
bool simd_path_supported(SimdPath path);
// Internal (tests compare every path bit for bit): makes the kernels take `path`, which must be
// supported. Not thread-safe; the library keeps one thread at a time anyway.
void force_simd_path(SimdPath path);

inline bool use_sse2() { return simd_path() >= SimdPath::sse2; }
inline bool use_avx2() { return simd_path() >= SimdPath::avx2; }

// Whether a kernel set (see run_lanes) declares lanes of that width.
template <typename Kernels, typename = void>
struct has_avx2_lanes : std::false_type {};
template <typename Kernels>
struct has_avx2_lanes<Kernels, std::void_t<decltype(&Kernels::avx2)>> : std::true_type {};
template <typename Kernels, typename = void>
struct has_sse2_lanes : std::false_type {};
template <typename Kernels>
struct has_sse2_lanes<Kernels, std::void_t<decltype(&Kernels::sse2)>> : std::true_type {};

// The loop of every lane kernel of the dense routines, written once: the indices first..last go
// through the widest lanes the path allows, what those leave through the narrower lanes, and the
// rest one index at a time. A kernel set declares
//   static int  avx2(int first, int last, Args...)  whole AVX2 groups from first on,
//   static int  sse2(int first, int last, Args...)  whole SSE2 groups from first on,
//   static void step(int index, Args...)            the scalar step of one index,
// each group kernel returning the first index it left. It declares a width only where its family
// compiles it (NUMERICS_LINALG_LANES, NUMERICS_LINALG_AVX2), or not at all when the kernel has no
// such lanes; a width not declared is skipped. Since every width performs per index the operations
// of step, the split between widths changes no result bit.
template <typename Kernels, typename... Args>
inline void run_lanes(int first, int last, Args... args) {
  // A width is entered only while a whole group of its floats (8 for AVX2, 4 for SSE2) remains: its
  // set-up (broadcasts, a final lane maximum, the call itself) would otherwise buy nothing.
  int index = first;
  if constexpr (has_avx2_lanes<Kernels>::value) {
    if (use_avx2() && last - index >= 7) index = Kernels::avx2(index, last, args...);
  }
  if constexpr (has_sse2_lanes<Kernels>::value) {
    if (use_sse2() && last - index >= 3) index = Kernels::sse2(index, last, args...);
  }
  for (; index <= last; ++index) Kernels::step(index, args...);
}

}  // namespace detail
}  // namespace numerics
