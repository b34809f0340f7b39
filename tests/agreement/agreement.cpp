// Output helpers and the entry point of the cross-build agreement program.
#include "agreement.h"

#include <cstdio>
#include <cstring>

#ifdef _WIN32
#include <fcntl.h>
#include <io.h>
#endif

namespace agreement {
namespace {

void begin_line(const std::string& name) { std::printf("exact %s", name.c_str()); }

}  // namespace

void emit(const std::string& name, const float* values, int count) {
  begin_line(name);
  for (int i = 0; i < count; ++i) {
    std::uint32_t bits;
    std::memcpy(&bits, &values[i], sizeof bits);
    std::printf(" f:%08lx", static_cast<unsigned long>(bits));
  }
  std::printf("\n");
}

void emit(const std::string& name, std::initializer_list<float> values) {
  emit(name, values.begin(), static_cast<int>(values.size()));
}

void emit_doubles(const std::string& name, const double* values, int count) {
  begin_line(name);
  for (int i = 0; i < count; ++i) {
    std::uint64_t bits;
    std::memcpy(&bits, &values[i], sizeof bits);
    std::printf(" d:%016llx", static_cast<unsigned long long>(bits));
  }
  std::printf("\n");
}

void emit_ints(const std::string& name, std::initializer_list<long long> values) {
  begin_line(name);
  for (long long v : values) std::printf(" i:%lld", v);
  std::printf("\n");
}

std::string number(long long value) {
  char text[24];
  std::snprintf(text, sizeof text, "%lld", value);
  return text;
}

float fixed_value(std::uint32_t index, float low, float high) {
  // A 32-bit integer hash mapped to [low, high) with exact float arithmetic.
  std::uint32_t h = index * 2654435761u + 0x9e3779b9u;
  h ^= h >> 16;
  h *= 0x85ebca6bu;
  h ^= h >> 13;
  const float unit = static_cast<float>(h >> 8) / 16777216.0f;
  return low + (high - low) * unit;
}

}  // namespace agreement

int main() {
#ifdef _WIN32
  // Lines end in a bare newline on every platform: in text mode the Windows C runtime writes "\r\n".
  _setmode(_fileno(stdout), _O_BINARY);
#endif
  agree_arrays();
  agree_sorting();
  agree_specfun();
  agree_stattests();
  agree_tailprob();
  agree_regression();
  agree_random();
  agree_fft();
  agree_svd();
  agree_linfit();
  agree_nonlinfit();
  agree_eigen();
  agree_matrixops();
  return 0;
}
