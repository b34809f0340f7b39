// Holds every routine of the accuracy cases to its bound: the largest error of the first N samples of
// each case (and its edge values) must not exceed the largest measured over 10^6 samples, with margin.
#include <gtest/gtest.h>

#include <cstdint>
#include <cstdlib>

#include "accuracy/accuracy_cases.h"

namespace {

// Samples per case; TARVEL_ACCURACY_SAMPLES overrides it.
std::uint64_t samples() {
  if (const char* s = std::getenv("TARVEL_ACCURACY_SAMPLES")) return std::strtoull(s, nullptr, 0);
  return 1 << 17;
}

class Accuracy : public ::testing::TestWithParam<int> {};

TEST_P(Accuracy, LargestErrorStaysWithinTheMeasuredBound) {
  const accuracy::Case& c = accuracy::kCases[GetParam()];
  const accuracy::Errors e = c.measure(samples());
  EXPECT_GT(e.ulp.histogram.count(), samples() / 2) << c.routine;
  EXPECT_LE(e.ulp.worst.error, c.held_bound) << c.routine << ": largest error at " << e.ulp.worst.where;
}

INSTANTIATE_TEST_SUITE_P(Cases, Accuracy, ::testing::Range(0, accuracy::kCaseCount),
                         [](const ::testing::TestParamInfo<int>& info) {
                           std::string name = accuracy::kCases[info.param].routine;
                           for (char& ch : name)
                             if (ch == ' ') ch = '_';
                           return name;
                         });

}  // namespace
