// The cross-build agreement program: every routine family prints its results on fixed inputs, one
// line per result set, as bit patterns. The native and the Windows build print the same lines, and
// compare_agreement checks them against each other line by line.
#pragma once

#include <cstdint>
#include <initializer_list>
#include <string>

namespace agreement {

// How two builds must agree on one line.
//  exact:  bit for bit (routines built from arithmetic and square roots only).
//  ulps:   each value within `tolerance` units in the last place (routines that call exp, log, sin).
//  scaled: each value within tolerance * epsilon * (largest magnitude on the line); for results such
//          as transforms whose small outputs are sums of large cancelling terms.
enum class Match { exact, ulps, scaled };

struct Rule {
  Match match;
  int tolerance;
};

inline constexpr Rule kExact{Match::exact, 0};

// One line: the rule, the name, then each value as a typed bit pattern.
void emit(const std::string& name, Rule rule, const float* values, int count);
void emit(const std::string& name, Rule rule, std::initializer_list<float> values);
void emit_doubles(const std::string& name, Rule rule, const double* values, int count);
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
