// The cross-build agreement program: every routine family prints its results on fixed inputs, one
// line per result set, as bit patterns. Every value is fixed bit for bit by the library's own
// arithmetic and elementary functions, so every build prints the same bytes, compared byte for byte.
#pragma once

#include <cstdint>
#include <initializer_list>
#include <string>

namespace agreement {

// One line: the word `exact` (every line must match bit for bit), the name, then each value as a
// typed bit pattern.
void emit(const std::string& name, const float* values, int count);
void emit(const std::string& name, std::initializer_list<float> values);
void emit_doubles(const std::string& name, const double* values, int count);
void emit_ints(const std::string& name, std::initializer_list<long long> values);

// The decimal text of `value`, for line names (std::to_string is not available in every build).
std::string number(long long value);

// Deterministic pseudo-random fill, identical on every platform (no library generator involved).
float fixed_value(std::uint32_t index, float low, float high);

}  // namespace agreement

// One printer per routine family; main calls them in this order.
void agree_arrays();
void agree_sorting();
void agree_specfun();
void agree_stattests();
void agree_tailprob();
void agree_regression();
void agree_random();
void agree_fft();
void agree_svd();
void agree_linfit();
void agree_nonlinfit();
void agree_eigen();
void agree_matrixops();
