// Prints the accuracy of each case against Boost.Math: inputs tried, the largest error in float ulp with
// where it occurs, and the 99th percentile.
//
//   accuracy_report [--samples N] [--routine NAME]
//
// The README's accuracy table comes from `accuracy_report --samples 1000000`.
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

#include "accuracy/accuracy_cases.h"

int main(int argc, char** argv) {
  std::uint64_t samples = 1000000;
  std::string only;
  for (int i = 1; i < argc; ++i) {
    if (std::strcmp(argv[i], "--samples") == 0 && i + 1 < argc) {
      samples = std::strtoull(argv[++i], nullptr, 0);
    } else if (std::strcmp(argv[i], "--routine") == 0 && i + 1 < argc) {
      only = argv[++i];
    } else {
      std::fprintf(stderr, "usage: accuracy_report [--samples N] [--routine NAME]\n");
      return 2;
    }
  }
  for (int c = 0; c < accuracy::kCaseCount; ++c) {
    const accuracy::Case& k = accuracy::kCases[c];
    if (!only.empty() && only != k.routine) continue;
    const auto start = std::chrono::steady_clock::now();
    const accuracy::Errors e = k.measure(samples);
    const double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    std::printf("%s against %s: %llu inputs (%s), %.1f s\n", k.routine, k.reference,
                static_cast<unsigned long long>(e.ulp.histogram.count()), k.domain, seconds);
    std::printf("  ulp: largest %.4g at %s; 99th percentile %.3g; held %.4g and %.4g\n", e.ulp.worst.error,
                e.ulp.worst.where.c_str(), e.ulp.histogram.percentile(0.99), k.held_largest,
                k.held_percentile);
    std::printf("  absolute: largest %.3g at %s; 99th percentile %.3g\n", e.absolute.worst.error,
                e.absolute.worst.where.c_str(), e.absolute.histogram.percentile(0.99));
    std::fflush(stdout);
  }
  return 0;
}
