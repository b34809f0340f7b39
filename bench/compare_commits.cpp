// Times gammq, incomplete_beta and complementary_error_function of two versions of the library in one
// process (compare_commits.sh compiles them under the namespaces numerics_before and numerics_after):
// batches of 1024 calls of each alternate, the order swapped every round, and the median ratio of the
// two batch times is printed, with its quartiles and each side's median time per call.
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <vector>

#include "specfun_arguments.h"

#define DECLARE_VERSION(ns)                                            \
  namespace ns {                                                       \
  float gammq(float a, float x);                                       \
  float incomplete_beta(float a, float b, float x);                    \
  float complementary_error_function(float x);                         \
  [[noreturn]] void fatal_numeric_error(const char*) { std::abort(); } \
  }
DECLARE_VERSION(numerics_before)
DECLARE_VERSION(numerics_after)

namespace {

// Nanoseconds for one batch; the calls are independent, as in bench_specfun.
template <typename F>
double batch(const std::vector<float>& args, F f) {
  const auto start = std::chrono::steady_clock::now();
  for (float x : args) {
    float r = f(x);
    asm volatile("" : : "x"(r));
  }
  return std::chrono::duration<double, std::nano>(std::chrono::steady_clock::now() - start).count();
}

double quantile(std::vector<double> v, double q) {
  std::sort(v.begin(), v.end());
  return v[static_cast<std::size_t>(q * static_cast<double>(v.size() - 1))];
}

template <typename Before, typename After>
void compare(const char* name, const std::vector<float>& args, Before before, After after, int rounds) {
  std::vector<double> tb, ta, ratio;
  for (int i = 0; i < rounds; ++i) {
    double b, a;
    if (i % 2 == 0) {
      b = batch(args, before);
      a = batch(args, after);
    } else {
      a = batch(args, after);
      b = batch(args, before);
    }
    tb.push_back(b);
    ta.push_back(a);
    ratio.push_back(a / b);
  }
  std::printf("%-30s after/before %.3f (quartiles %.3f, %.3f)   %.1f ns -> %.1f ns per call\n", name,
              quantile(ratio, 0.5), quantile(ratio, 0.25), quantile(ratio, 0.75),
              quantile(tb, 0.5) / bench_support::kSpecfunArguments,
              quantile(ta, 0.5) / bench_support::kSpecfunArguments);
}

}  // namespace

int main(int argc, char** argv) {
  const int rounds = argc > 1 ? std::atoi(argv[1]) : 2000;
  compare(
      "gammq, series (x < a + 1)", bench_support::gammq_series_arguments(),
      [](float x) { return numerics_before::gammq(3.5f, x); },
      [](float x) { return numerics_after::gammq(3.5f, x); }, rounds);
  compare(
      "gammq, fraction", bench_support::gammq_fraction_arguments(),
      [](float x) { return numerics_before::gammq(3.5f, x); },
      [](float x) { return numerics_after::gammq(3.5f, x); }, rounds);
  compare(
      "incomplete_beta", bench_support::incomplete_beta_arguments(),
      [](float x) { return numerics_before::incomplete_beta(2.5f, 4.0f, x); },
      [](float x) { return numerics_after::incomplete_beta(2.5f, 4.0f, x); }, rounds);
  compare(
      "complementary_error_function", bench_support::erfc_arguments(),
      [](float x) { return numerics_before::complementary_error_function(x); },
      [](float x) { return numerics_after::complementary_error_function(x); }, rounds);
  return 0;
}
