// Holds every routine of the accuracy cases to its bounds: the largest error and the 99th percentile of
// the first N samples of each case (after its edge values) must stay within those measured over 10^6
// samples, with the margins stated in accuracy_cases.h.
#include <gtest/gtest.h>

#include <cstdint>
#include <cstdlib>
#include <string>

#include "accuracy/accuracy_cases.h"

namespace {

// Samples per case: 10^6, as measured (about 40 s for the slowest case in the sanitizer build); the
// environment variable TARVEL_ACCURACY_SAMPLES overrides it (tests/memcheck.sh runs 4096 under valgrind).
#ifndef TARVEL_ACCURACY_SAMPLES
#define TARVEL_ACCURACY_SAMPLES 1000000
#endif
std::uint64_t samples() {
  if (const char* s = std::getenv("TARVEL_ACCURACY_SAMPLES")) return std::strtoull(s, nullptr, 0);
  return TARVEL_ACCURACY_SAMPLES;
}

class Accuracy : public ::testing::TestWithParam<int> {};

TEST_P(Accuracy, LargestErrorStaysWithinTheMeasuredBound) {
  const accuracy::Case& c = accuracy::kCases[GetParam()];
  const accuracy::Errors e = c.measure(samples());
  EXPECT_GT(e.ulp.histogram.count(), samples() / 2) << c.routine;
  EXPECT_LE(e.ulp.worst.error, c.held_largest) << c.routine << ": largest error at " << e.ulp.worst.where;
  EXPECT_LE(e.ulp.histogram.percentile(0.99), c.held_percentile) << c.routine;
}

INSTANTIATE_TEST_SUITE_P(Cases, Accuracy, ::testing::Range(0, accuracy::kCaseCount),
                         [](const ::testing::TestParamInfo<int>& param_info) {
                           std::string name = accuracy::kCases[param_info.param].routine;
                           for (char& ch : name)
                             if (ch == ' ') ch = '_';
                           return name;
                         });

}  // namespace
