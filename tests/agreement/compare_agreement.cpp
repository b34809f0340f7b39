// Compares the outputs of the agreement program from two builds, line by line, under the rule that
// each line names (exact, ulpsN, scaledN). Prints every disagreement; exit status 1 if there is one.
#include <cinttypes>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <fstream>
#include <iostream>
#include <limits>
#include <sstream>
#include <string>
#include <vector>

namespace {

struct Line {
  std::string rule;
  std::string name;
  std::vector<std::string> values;
};

bool parse(const std::string& text, Line& line) {
  std::istringstream in(text);
  if (!(in >> line.rule >> line.name)) return false;
  for (std::string v; in >> v;) line.values.push_back(v);
  return true;
}

double decode(const std::string& token) {
  if (token.rfind("f:", 0) == 0) {
    const auto bits = static_cast<std::uint32_t>(std::stoul(token.substr(2), nullptr, 16));
    float f;
    std::memcpy(&f, &bits, sizeof f);
    return static_cast<double>(f);
  }
  if (token.rfind("d:", 0) == 0) {
    const std::uint64_t bits = std::stoull(token.substr(2), nullptr, 16);
    double d;
    std::memcpy(&d, &bits, sizeof d);
    return d;
  }
  return std::stod(token.substr(2));
}

bool is_float(const std::string& token) { return token.rfind("f:", 0) == 0; }

// Distance in units in the last place of the narrower type of the two tokens.
double ulp_distance(const std::string& a, const std::string& b) {
  const double x = decode(a), y = decode(b);
  if (std::isnan(x) || std::isnan(y)) return (std::isnan(x) && std::isnan(y)) ? 0.0 : 1e300;
  if (x == y) return 0.0;
  if (std::isinf(x) || std::isinf(y)) return 1e300;
  const double scale = std::max(std::fabs(x), std::fabs(y));
  const double eps =
      is_float(a) ? static_cast<double>(std::numeric_limits<float>::epsilon()) : std::numeric_limits<double>::epsilon();
  const double tiny = is_float(a) ? static_cast<double>(std::numeric_limits<float>::denorm_min())
                                  : std::numeric_limits<double>::denorm_min();
  return std::fabs(x - y) / std::max(scale * eps, tiny);
}

bool agree(const Line& a, const Line& b, std::string& why) {
  if (a.rule != b.rule || a.name != b.name || a.values.size() != b.values.size()) {
    why = "lines differ in rule, name or count";
    return false;
  }
  if (a.rule == "exact") {
    if (a.values == b.values) return true;
    why = "not bit-identical";
    return false;
  }
  const bool scaled = a.rule.rfind("scaled", 0) == 0;
  const bool ulps = a.rule.rfind("ulps", 0) == 0;
  if (!scaled && !ulps) {
    why = "unknown rule";
    return false;
  }
  const int tolerance = std::stoi(a.rule.substr(scaled ? 6 : 4));
  double largest = 0.0;
  for (const auto& v : a.values) {
    const double x = decode(v);
    if (std::isfinite(x)) largest = std::max(largest, std::fabs(x));
  }
  for (std::size_t i = 0; i < a.values.size(); ++i) {
    double distance = ulp_distance(a.values[i], b.values[i]);
    if (scaled && distance > 0.0 && distance < 1e300) {
      const double eps = is_float(a.values[i]) ? static_cast<double>(std::numeric_limits<float>::epsilon())
                                               : std::numeric_limits<double>::epsilon();
      distance = std::fabs(decode(a.values[i]) - decode(b.values[i])) / (largest * eps);
    }
    if (distance > tolerance) {
      why = "value " + std::to_string(i) + " differs by " + std::to_string(distance) + " units";
      return false;
    }
  }
  return true;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 3) {
    std::cerr << "usage: compare_agreement NATIVE.txt WINDOWS.txt\n";
    return 2;
  }
  std::ifstream first(argv[1]), second(argv[2]);
  if (!first || !second) {
    std::cerr << "compare_agreement: cannot read the inputs\n";
    return 2;
  }
  int lines = 0, failures = 0, exact = 0;
  std::string ta, tb;
  while (true) {
    const bool ga = static_cast<bool>(std::getline(first, ta));
    const bool gb = static_cast<bool>(std::getline(second, tb));
    if (!ga && !gb) break;
    if (ga != gb) {
      std::cout << "outputs have different line counts\n";
      ++failures;
      break;
    }
    if (!ta.empty() && ta.back() == '\r') ta.pop_back();
    if (!tb.empty() && tb.back() == '\r') tb.pop_back();
    ++lines;
    Line a, b;
    std::string why;
    if (!parse(ta, a) || !parse(tb, b)) {
      why = "unreadable line";
    } else if (agree(a, b, why)) {
      exact += (a.rule == "exact");
      continue;
    }
    ++failures;
    std::cout << "line " << lines << " (" << a.name << "): " << why << "\n  " << ta << "\n  " << tb << "\n";
  }
  std::cout << "agreement: " << lines << " lines compared, " << exact << " exact, " << failures
            << " disagreeing\n";
  if (lines == 0) {
    std::cout << "agreement: no lines to compare\n";
    return 1;
  }
  return failures == 0 ? 0 : 1;
}
