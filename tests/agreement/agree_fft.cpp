// Agreement lines of the Fourier transforms: forward and inverse results of each routine on fixed
// data of a few power-of-two sizes, with the 3-d transform's nyquist plane on its own line.
#include <cstdint>
#include <string>
#include <vector>

#include "agreement.h"
#include "numerics/numerics.h"

namespace {

// One-based array of n values with a slot 0 that is never used.
std::vector<float> fixed_data(std::uint32_t n, std::uint32_t seed) {
  std::vector<float> v(n + 1, 0.0f);
  for (std::uint32_t i = 1; i <= n; ++i) v[i] = agreement::fixed_value(seed + i, -1.0f, 1.0f);
  return v;
}

void emit_one_based(const std::string& name, const std::vector<float>& v) {
  agreement::emit(name, v.data() + 1, static_cast<int>(v.size() - 1));
}

void agree_complex_and_real() {
  for (std::uint32_t count : {4u, 64u}) {
    std::vector<float> v = fixed_data(2 * count, 1000 + count);
    const std::string size = agreement::number(count);
    numerics::fft_complex(v.data(), count, 1);
    emit_one_based("fft_complex/forward/" + size, v);
    numerics::fft_complex(v.data(), count, -1);
    emit_one_based("fft_complex/inverse/" + size, v);
  }
  for (std::uint32_t count : {4u, 128u}) {
    std::vector<float> v = fixed_data(count, 2000 + count);
    const std::string size = agreement::number(count);
    numerics::fft_real(v.data(), count, 1);
    emit_one_based("fft_real/forward/" + size, v);
    numerics::fft_real(v.data(), count, -1);
    emit_one_based("fft_real/inverse/" + size, v);
  }
}

// Sizes past the transforms' early blocks and twiddle chunks, so that the later stages, long runs
// of the fastest axis and the chunked 3-d recombination are compared as well.
void agree_large() {
  std::vector<float> v = fixed_data(2 * 8192, 5000);
  numerics::fft_complex(v.data(), 8192, 1);
  emit_one_based("fft_complex/forward/8192", v);
  numerics::fft_complex(v.data(), 8192, -1);
  emit_one_based("fft_complex/inverse/8192", v);
  v = fixed_data(4096, 5500);
  numerics::fft_real(v.data(), 4096, 1);
  emit_one_based("fft_real/forward/4096", v);
  const std::uint32_t dims[] = {0, 16, 16, 32};
  v = fixed_data(2 * 8192, 6000);
  numerics::fft_multidim(v.data(), dims, 3, -1);
  emit_one_based("fft_multidim/inverse/16x16x32", v);
  const std::uint32_t long_rows[] = {0, 2, 2048};
  v = fixed_data(2 * 4096, 6500);
  numerics::fft_multidim(v.data(), long_rows, 2, 1);
  emit_one_based("fft_multidim/forward/2x2048", v);
}

void agree_real_3d_long_rows() {
  const std::uint32_t n1 = 2, n2 = 2, n3 = 1024, total = n1 * n2 * n3;
  float*** t = numerics::f3tensor(1, n1, 1, n2, 1, n3);
  float** nyquist = numerics::matrix(1, n1, 1, 2 * n2);
  float* block = &t[1][1][1];
  for (std::uint32_t p = 0; p < total; ++p) block[p] = agreement::fixed_value(7000 + p, -1.0f, 1.0f);
  numerics::fft_real_3d(t, nyquist, n1, n2, n3, 1);
  agreement::emit("fft_real_3d/forward/2x2x1024", block, static_cast<int>(total));
  numerics::fft_real_3d(t, nyquist, n1, n2, n3, -1);
  agreement::emit("fft_real_3d/inverse/2x2x1024", block, static_cast<int>(total));
  numerics::release_matrix(nyquist, 1, n1, 1, 2 * n2);
  numerics::release_f3tensor(t, 1, n1, 1, n2, 1, n3);
}

void agree_multidim() {
  const std::uint32_t dims[] = {0, 2, 4, 8};
  std::vector<float> v = fixed_data(2 * 64, 3000);
  numerics::fft_multidim(v.data(), dims, 3, 1);
  emit_one_based("fft_multidim/forward/2x4x8", v);
  numerics::fft_multidim(v.data(), dims, 3, -1);
  emit_one_based("fft_multidim/inverse/2x4x8", v);
}

void agree_real_3d() {
  const std::uint32_t n1 = 4, n2 = 2, n3 = 8, total = n1 * n2 * n3;
  float*** t = numerics::f3tensor(1, n1, 1, n2, 1, n3);
  float** nyquist = numerics::matrix(1, n1, 1, 2 * n2);
  float* block = &t[1][1][1];
  for (std::uint32_t p = 0; p < total; ++p) block[p] = agreement::fixed_value(4000 + p, -1.0f, 1.0f);
  numerics::fft_real_3d(t, nyquist, n1, n2, n3, 1);
  agreement::emit("fft_real_3d/forward/4x2x8", block, static_cast<int>(total));
  agreement::emit("fft_real_3d/nyquist/4x2x8", &nyquist[1][1], static_cast<int>(n1 * 2 * n2));
  numerics::fft_real_3d(t, nyquist, n1, n2, n3, -1);
  agreement::emit("fft_real_3d/inverse/4x2x8", block, static_cast<int>(total));
  numerics::release_matrix(nyquist, 1, n1, 1, 2 * n2);
  numerics::release_f3tensor(t, 1, n1, 1, n2, 1, n3);
}

}  // namespace

void agree_fft() {
  agree_complex_and_real();
  agree_multidim();
  agree_real_3d();
  agree_large();
  agree_real_3d_long_rows();
}
