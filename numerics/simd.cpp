// The run-time CPU check behind the lane choice of simd.h. AVX2 needs the instruction set (CPUID leaf
// 7, EBX bit 5), AVX (leaf 1, ECX bit 28) and the operating system's saving of the YMM registers
// (OSXSAVE, ECX bit 27, and XCR0 bits 1 and 2).
#include "numerics/simd.h"

#include "numerics/numerics.h"

#if NUMERICS_COMPILER_EMITS_AVX2 && (defined(__GNUC__) || defined(__clang__))
#include <cpuid.h>
#elif NUMERICS_COMPILER_EMITS_AVX2
#include <intrin.h>
#endif

namespace numerics {
namespace detail {
namespace {

#if NUMERICS_COMPILER_EMITS_AVX2
struct CpuidRegisters {
  unsigned eax = 0, ebx = 0, ecx = 0, edx = 0;
};

#if defined(__GNUC__) || defined(__clang__)
CpuidRegisters cpuid(unsigned leaf, unsigned subleaf) {
  CpuidRegisters r;
  if (__get_cpuid_count(leaf, subleaf, &r.eax, &r.ebx, &r.ecx, &r.edx) == 0) return CpuidRegisters{};
  return r;
}

unsigned long long enabled_register_state() {
  unsigned eax = 0, edx = 0;
  __asm__ volatile("xgetbv" : "=a"(eax), "=d"(edx) : "c"(0));
  return (static_cast<unsigned long long>(edx) << 32) | eax;
}
#else
CpuidRegisters cpuid(unsigned leaf, unsigned subleaf) {
  int highest[4] = {};
  __cpuid(highest, 0);
  if (static_cast<unsigned>(highest[0]) < leaf) return CpuidRegisters{};
  int v[4] = {};
  __cpuidex(v, static_cast<int>(leaf), static_cast<int>(subleaf));
  return {static_cast<unsigned>(v[0]), static_cast<unsigned>(v[1]), static_cast<unsigned>(v[2]),
          static_cast<unsigned>(v[3])};
}

unsigned long long enabled_register_state() { return _xgetbv(0); }
#endif

bool cpu_runs_avx2() {
  const CpuidRegisters basic = cpuid(1, 0);
  const bool osxsave = (basic.ecx & (1u << 27)) != 0;
  const bool avx = (basic.ecx & (1u << 28)) != 0;
  if (!osxsave || !avx) return false;
  const unsigned long long xmm_and_ymm = 0x6;
  if ((enabled_register_state() & xmm_and_ymm) != xmm_and_ymm) return false;
  return (cpuid(7, 0).ebx & (1u << 5)) != 0;
}
#endif

SimdPath widest_supported() {
#if NUMERICS_COMPILER_EMITS_AVX2
  if (cpu_runs_avx2()) return SimdPath::avx2;
#endif
  return NUMERICS_COMPILER_EMITS_SSE2 ? SimdPath::sse2 : SimdPath::portable;
}

const SimdPath widest = widest_supported();

}  // namespace

SimdPath simd_path_in_use = widest;

bool simd_path_supported(SimdPath path) { return path <= widest; }

void force_simd_path(SimdPath path) {
  if (!simd_path_supported(path)) fatal_numeric_error("force_simd_path: path not supported here");
  simd_path_in_use = path;
}

}  // namespace detail
}  // namespace numerics
