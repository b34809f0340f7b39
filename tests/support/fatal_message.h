// Death-test matcher for the library's fatal-error exit: a regular expression that accepts exactly
// the three lines fatal_numeric_error writes for a given message, and nothing else on the stream.
#pragma once

#include <cctype>
#include <string>

#if defined(__SANITIZE_ADDRESS__)
#define TEST_SUPPORT_LEAK_CHECKER 1
#elif defined(__has_feature)
#if __has_feature(address_sanitizer)
#define TEST_SUPPORT_LEAK_CHECKER 1
#endif
#endif
#if defined(TEST_SUPPORT_LEAK_CHECKER)
#include <sanitizer/lsan_interface.h>
#endif

namespace test_support {

// Escapes every punctuation character, which both the POSIX and GoogleTest's own simple regular
// expressions take literally after a backslash.
inline std::string regex_literal(const std::string& text) {
  std::string out;
  for (char c : text) {
    if (std::ispunct(static_cast<unsigned char>(c))) out += '\\';
    out += c;
  }
  return out;
}

inline std::string fatal_report(const std::string& message) {
  return "^" + regex_literal("Corvane run-time error...") + "\n" + regex_literal(message) + "\n" +
         regex_literal("...now exiting to system...") + "\n$";
}

// A fatal exit keeps every block it was given, and one-based handles point outside their blocks, so
// the leak checker of the sanitizer build would add a report to the exact stream the test expects.
// Called first in a death test's child: what it allocates from then on is not checked.
inline void ignore_leaks_in_this_process() {
#if defined(TEST_SUPPORT_LEAK_CHECKER)
  __lsan_disable();
#endif
}

}  // namespace test_support

// EXPECT_FATAL(statement, "message"): the statement ends the process with status 1 and exactly the
// fatal report of that message on the standard error stream.
#define EXPECT_FATAL(statement, message)                \
  EXPECT_EXIT(                                          \
      {                                                 \
        ::test_support::ignore_leaks_in_this_process(); \
        statement;                                      \
      },                                                \
      ::testing::ExitedWithCode(1), ::test_support::fatal_report(message))
