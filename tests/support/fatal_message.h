// Death-test matcher for the library's fatal-error exit: a regular expression that accepts exactly
// the three lines fatal_numeric_error writes for a given message, and nothing else on the stream.
#pragma once

#include <cctype>
#include <string>

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

}  // namespace test_support

// EXPECT_FATAL(statement, "message"): the statement ends the process with status 1 and exactly the
// fatal report of that message on the standard error stream.
#define EXPECT_FATAL(statement, message) \
  EXPECT_EXIT(statement, ::testing::ExitedWithCode(1), ::test_support::fatal_report(message))
