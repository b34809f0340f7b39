// Accuracy of the library's double exp, log and sin against MPFR: random arguments over each function's
// domain plus a list of arguments at special points and close to rounding boundaries. For each function
// it reports the largest error in ulps (with its argument), the share of correctly rounded results, and
// the arguments seen whose exact result lies closest to a rounding boundary (candidates for the list).
//
//   elementary_accuracy [--function exp|log|sin|all] [--count N] [--seed S]
//
// N random arguments per function (default 10^8) on two threads; sample i depends only on S and i.
// Exit status 1 if any error reaches 1 ulp.
#include <mpfr.h>

#include <algorithm>
#include <chrono>
#include <cinttypes>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <limits>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "numerics/elementary.h"

namespace {

constexpr unsigned kThreads = 2;
constexpr std::size_t kShownHard = 6;
constexpr double kInf = std::numeric_limits<double>::infinity();
constexpr double kNaN = std::numeric_limits<double>::quiet_NaN();

std::uint64_t bits_of(double x) {
  std::uint64_t b;
  std::memcpy(&b, &x, sizeof b);
  return b;
}
double from_bits(std::uint64_t b) {
  double x;
  std::memcpy(&x, &b, sizeof x);
  return x;
}

// Sample i of a run: a stream of 64-bit words from SplitMix64 seeded by (seed, function, i).
struct Source {
  std::uint64_t state;
  std::uint64_t next() {
    std::uint64_t z = (state += 0x9e3779b97f4a7c15u);
    z = (z ^ (z >> 30)) * 0xbf58476d1ce4e5b9u;
    z = (z ^ (z >> 27)) * 0x94d049bb133111ebu;
    return z ^ (z >> 31);
  }
  double uniform(double lo, double hi) {  // [lo, hi)
    return lo + (hi - lo) * static_cast<double>(next() >> 11) * 0x1p-53;
  }
  // A double whose encoding is uniform among the magnitudes up to `top`, with a random sign.
  double pattern(double top) {
    const std::uint64_t m = next() % (bits_of(top) + 1);
    return from_bits(m | (next() & 0x8000000000000000u));
  }
};

// exp: half uniform in [-745.2, 709.8] (beyond both thresholds: overflow and the underflow to +0),
// half uniform over the encodings of that interval (mostly small arguments).
double sample_exp(Source& s) {
  if (s.next() & 1) return s.uniform(-745.2, 709.8);
  for (;;) {
    const double x = s.pattern(745.2);
    if (x <= 709.8) return x;
  }
}

// log: half uniform over the encodings of the positive doubles (every binade, subnormals included),
// a quarter uniform in [0.7, 1.5], a quarter 1 ± u·2^-k with k in [7, 52] (dense around 1).
double sample_log(Source& s) {
  const std::uint64_t kind = s.next() & 3;
  if (kind < 2) return from_bits(1 + s.next() % (bits_of(kInf) - 1));
  if (kind == 2) return s.uniform(0.7, 1.5);
  const int k = 7 + static_cast<int>(s.next() % 46);
  const double d = std::ldexp(s.uniform(0.0, 1.0), -k);
  return (s.next() & 1) ? 1.0 + d : 1.0 - d;
}

// sin: half uniform over the encodings of the magnitudes up to 1e308, half uniform in [-π, π].
double sample_sin(Source& s) {
  if (s.next() & 1) return s.pattern(1e308);
  return s.uniform(-0x1.921fb54442d18p+1, 0x1.921fb54442d18p+1);
}

// Listed arguments: special values, thresholds, and results close to a rounding boundary.
// exp: zeros and tiny arguments (x near a multiple of 2^-53 or 2^-54 puts exp(x) within 2^-53 ulp of a
// midpoint), ±ln2/512 (ties in the reduction), the overflow threshold and its neighbours, the edges of
// the main path (±708), arguments whose result is near 2^-1022 (least normal), 2^-1074 (least
// subnormal) and 2^-1075 (half of it), beyond the thresholds, and
// arguments whose exact result lies within 2^-22 ulp of a midpoint, found by this program's search
// over 10^8 random arguments and by a sweep of the multiples of 2^-20 in [-0.29, 0.29].
const std::vector<double> kExpList = {0.0,
                                      -0.0,
                                      1.0,
                                      -1.0,
                                      0x1p-1074,
                                      -0x1p-1074,
                                      0x1p-60,
                                      -0x1p-60,
                                      0x1p-53,
                                      -0x1p-53,
                                      0x1.8p-53,
                                      0x1.4p-51,
                                      -0x1.8p-54,
                                      -0x1.4000000000001p-52,
                                      -0x1.a000000000003p-51,
                                      0x1p-30,
                                      0x1p-26,
                                      0x1.fffffffffffffp-27,
                                      0x1.62e42fefa39efp-10,
                                      -0x1.62e42fefa39efp-10,
                                      0x1.62e42fefa39efp+9,
                                      0x1.62e42fefa39fp+9,
                                      0x1.62e42fefa39eep+9,
                                      709.78,
                                      710.0,
                                      708.0,
                                      0x1.61fffffffffffp+9,
                                      -708.0,
                                      -0x1.61fffffffffffp+9,
                                      -0x1.6232bdd7abcd2p+9,
                                      -0x1.6232bdd7abcd3p+9,
                                      -0x1.74385446d71c3p+9,
                                      -0x1.74385446d71c4p+9,
                                      -0x1.74910d52d3051p+9,
                                      -0x1.74910d52d3052p+9,
                                      -745.2,
                                      -746.0,
                                      -748.0,
                                      -1000.0,
                                      1000.0,
                                      kInf,
                                      -kInf,
                                      kNaN,
                                      0x1.58467874a0a2ap+9,
                                      -0x1.f2607f6c3a77ep+8,
                                      -0x1.c487ce63997ap+6,
                                      -0x1.e43594073a38ep+8,
                                      0x1.26c81ad8e3dcp+8,
                                      -0x1.77f4a368aaccp+3,
                                      -0x1.9d5cp-4};
// log: 1 and its neighbours, powers of two, subnormals, the largest double, e, √2, the edges of the
// subintervals next to 1 and of the reduced range [0x1.6a8p-1, 0x1.6a8p+0), arguments outside the
// domain, the arguments whose exact result lies closest to a midpoint among this program's 10^8 random
// ones, and the two largest errors it found (before and after the polynomial took Estrin's form).
const std::vector<double> kLogList = {1.0,
                                      0x1.0000000000001p+0,
                                      0x1.fffffffffffffp-1,
                                      0x1.ffffffffffffep-1,
                                      2.0,
                                      0.5,
                                      0x1p-1074,
                                      0x1p-1073,
                                      0x1.8p-1070,
                                      0x1p-1022,
                                      0x0.fffffffffffffp-1022,
                                      0x1.fffffffffffffp+1023,
                                      0x1p+1023,
                                      0x1.5bf0a8b145769p+1,
                                      10.0,
                                      1e308,
                                      1e-308,
                                      0x1.6a8p-1,
                                      0x1.6a7ffffffffffp-1,
                                      0x1.6a8p+0,
                                      0x1.ffcp-1,
                                      0x1.ffbffffffffffp-1,
                                      0x1.008p+0,
                                      0x1.007ffffffffffp+0,
                                      0x1.0000000001p+0,
                                      0x1.ffffffffffp-1,
                                      0x1.6a09e667f3bcdp+0,
                                      0.0,
                                      -0.0,
                                      -1.0,
                                      -0x1p-1074,
                                      kInf,
                                      -kInf,
                                      kNaN,
                                      0x1.ffffffffffff4p-1,
                                      0x1.0000000000006p+0,
                                      0x1.0000000000014p+0,
                                      0x1.fffffffffffd8p-1,
                                      0x1.000000000001cp+0,
                                      0x1.006d849dc2c36p+0,
                                      0x1.0072e4babf4a4p+0};
// sin: zeros, tiny and subnormal arguments, the doubles nearest π/2, π, 3π/2, 2π and larger multiples,
// 0x1.6ac5b262ca1ffp+849 (the double closest to a multiple of π/2 relative to its size), huge
// arguments up to the largest double, and NaN and the infinities (NaN).
const std::vector<double> kSinList = {0.0,
                                      -0.0,
                                      0x1p-1074,
                                      -0x1p-1074,
                                      0x1p-1022,
                                      0x1p-26,
                                      0x1.8p-26,
                                      0x1p-10,
                                      0x1.921fb54442d18p+0,
                                      0x1.921fb54442d18p+1,
                                      -0x1.921fb54442d18p+1,
                                      0x1.2d97c7f3321d2p+2,
                                      0x1.921fb54442d18p+2,
                                      0x1.921fb54442d18p+10,
                                      0x1.921fb54442d18p+52,
                                      1e22,
                                      -1e22,
                                      1e300,
                                      0x1.6ac5b262ca1ffp+849,
                                      0x1.fffffffffffffp+1023,
                                      -0x1.fffffffffffffp+1023,
                                      0x1p+1023,
                                      0x1p+52,
                                      0x1.fffffffffffffp+51,
                                      kInf,
                                      -kInf,
                                      kNaN};

struct Function {
  const char* name;
  double (*ours)(double);
  int (*reference)(mpfr_ptr, mpfr_srcptr, mpfr_rnd_t);
  double (*sample)(Source&);
  const std::vector<double>* list;
  std::uint64_t stream;
};

const Function kFunctions[] = {
    {"exp", numerics::elementary::exp, mpfr_exp, sample_exp, &kExpList, 1},
    {"log", numerics::elementary::log, mpfr_log, sample_log, &kLogList, 2},
    {"sin", numerics::elementary::sin, mpfr_sin, sample_sin, &kSinList, 3},
};

struct Hard {
  double x, distance;  // distance of the exact result from a rounding boundary, in ulps
};

// The measurement of one argument, with MPFR objects kept per thread.
class Meter {
 public:
  Meter() {
    mpfr_init2(in_, 53);
    mpfr_init2(exact_, 128);
    mpfr_init2(t_, 256);
    mpfr_init2(wide_, 1024);
  }
  ~Meter() {
    mpfr_clears(in_, exact_, t_, wide_, static_cast<mpfr_ptr>(nullptr));
    mpfr_free_cache();
  }
  Meter(const Meter&) = delete;
  Meter& operator=(const Meter&) = delete;

  // Sets the error of ours(x) in ulps of the exact result, whether ours is the correctly rounded
  // double, and the distance of the exact result from the nearest midpoint between doubles (or from a
  // double, for an exact result: 0).
  void measure(const Function& f, double x, double& error, bool& correct, double& distance) {
    const double y = f.ours(x);
    mpfr_set_d(in_, x, MPFR_RNDN);
    int inexact = f.reference(exact_, in_, MPFR_RNDN);
    mpfr_srcptr exact = exact_;
    // A 128-bit value with 54 significant bits (fewer in the subnormal range) may be a rounded midpoint
    // between doubles: decide it at 1024 bits. One with fewer bits is a double the exact value is close
    // to, and rounds to.
    const mpfr_prec_t bits = mpfr_regular_p(exact_) ? mpfr_min_prec(exact_) : 0;
    if (inexact != 0 && (bits == 54 || (bits != 0 && bits < 54 && mpfr_get_exp(exact_) <= -1021))) {
      inexact = f.reference(wide_, in_, MPFR_RNDN);
      exact = wide_;
    }
    distance = 0.5;
    if (mpfr_nan_p(exact)) {
      correct = std::isnan(y);
      error = correct ? 0.0 : kInf;
      return;
    }
    const double rounded = mpfr_get_d(exact, MPFR_RNDN);  // correct rounding, subnormals and overflow
    correct = bits_of(y) == bits_of(rounded);
    if (mpfr_inf_p(exact) || mpfr_zero_p(exact) || std::isinf(y) || std::isnan(y)) {
      // Exact infinities and zeros, and infinite results: right (sign included) or a whole error.
      error = correct ? 0.0 : kInf;
      if (mpfr_zero_p(exact) && !correct && y == 0.0) error = 1.0;  // zero of the wrong sign
      return;
    }
    // The ulp of the exact result: 2^(E-52) for |exact| in [2^E, 2^(E+1)), with E kept in [-1022, 1023].
    const long top = std::min(std::max(static_cast<long>(mpfr_get_exp(exact)) - 1, -1022L), 1023L);
    mpfr_sub_d(t_, exact, y, MPFR_RNDN);
    mpfr_mul_2si(t_, t_, 52 - top, MPFR_RNDN);
    error = std::fabs(mpfr_get_d(t_, MPFR_RNDN));
    // Distance from a midpoint: the fraction of |exact|/ulp compared with 1/2.
    mpfr_abs(t_, exact, MPFR_RNDN);
    mpfr_mul_2si(t_, t_, 52 - top, MPFR_RNDN);
    mpfr_frac(t_, t_, MPFR_RNDN);
    distance = inexact == 0 ? 0.5 : std::fabs(mpfr_get_d(t_, MPFR_RNDN) - 0.5);
  }

 private:
  mpfr_t in_, exact_, t_, wide_;
};

struct Tally {
  std::uint64_t tried = 0, correct = 0;
  double max_error = -1.0, worst_x = 0.0;
  std::vector<Hard> hard;  // closest to a boundary, nearest first

  void add(double x, double error, bool correct_result, double distance) {
    ++tried;
    if (correct_result) ++correct;
    if (error > max_error || std::isnan(error)) {
      max_error = std::isnan(error) ? kInf : error;
      worst_x = x;
    }
    if (hard.size() < kShownHard || distance < hard.back().distance) add_hard({x, distance});
  }
  void merge(const Tally& o) {
    tried += o.tried;
    correct += o.correct;
    if (o.max_error > max_error) {
      max_error = o.max_error;
      worst_x = o.worst_x;
    }
    for (const Hard& h : o.hard) add_hard(h);
  }
  void add_hard(const Hard& h) {
    for (const Hard& seen : hard) {
      if (bits_of(seen.x) == bits_of(h.x)) return;
    }
    hard.push_back(h);
    std::sort(hard.begin(), hard.end(), [](const Hard& a, const Hard& b) { return a.distance < b.distance; });
    if (hard.size() > kShownHard) hard.pop_back();
  }
};

// Thread t takes samples t, t + kThreads, ...
void run_part(const Function& f, std::uint64_t count, std::uint64_t seed, unsigned t, Tally& out,
              std::mutex& lock) {
  Meter meter;
  Tally tally;
  for (std::uint64_t i = t; i < count; i += kThreads) {
    Source source{(seed * 0x100000001b3u + f.stream) * 0x9e3779b97f4a7c15u ^ (i * 0xd1b54a32d192ed03u)};
    const double x = f.sample(source);
    double error, distance;
    bool correct;
    meter.measure(f, x, error, correct, distance);
    tally.add(x, error, correct, distance);
  }
  const std::lock_guard<std::mutex> guard(lock);
  out.merge(tally);
}

void print_tally(const char* what, const Tally& t) {
  std::printf("  %-6s %12" PRIu64
              " arguments, max error %.6f ulp at x = %a (%.17g), correctly rounded %.6f %%\n",
              what, t.tried, t.max_error, t.worst_x, t.worst_x,
              t.tried == 0 ? 0.0 : 100.0 * static_cast<double>(t.correct) / static_cast<double>(t.tried));
}

bool run(const Function& f, std::uint64_t count, std::uint64_t seed) {
  const auto start = std::chrono::steady_clock::now();
  Tally random;
  std::mutex lock;
  std::vector<std::thread> workers;
  for (unsigned t = 0; t < kThreads; ++t)
    workers.emplace_back(run_part, std::cref(f), count, seed, t, std::ref(random), std::ref(lock));
  for (std::thread& w : workers) w.join();

  Tally listed;
  bool listed_ok = true;
  {
    Meter meter;
    for (const double x : *f.list) {
      double error, distance;
      bool correct;
      meter.measure(f, x, error, correct, distance);
      listed.add(x, error, correct, distance);
      if (!correct) {
        std::printf("  listed %s(%a): %a, not correctly rounded (%.6f ulp)\n", f.name, x, f.ours(x), error);
      }
      listed_ok = listed_ok && error < 1.0;
    }
  }
  const double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
  std::printf("%s (%.1f s)\n", f.name, seconds);
  print_tally("random", random);
  print_tally("listed", listed);
  std::printf("  random arguments closest to a rounding boundary:");
  for (const Hard& h : random.hard) std::printf(" %a (2^%.1f)", h.x, std::log2(h.distance));
  std::printf("\n");
  std::fflush(stdout);
  return listed_ok && random.max_error < 1.0;
}

[[noreturn]] void usage() {
  std::fprintf(stderr, "usage: elementary_accuracy [--function exp|log|sin|all] [--count N] [--seed S]\n");
  std::exit(2);
}

}  // namespace

int main(int argc, char** argv) {
  std::string which = "all";
  std::uint64_t count = 100000000, seed = 1;
  for (int i = 1; i < argc; ++i) {
    const std::string a = argv[i];
    if (i + 1 >= argc) usage();
    const char* v = argv[++i];
    if (a == "--function") {
      which = v;
    } else if (a == "--count") {
      count = std::strtoull(v, nullptr, 10);
    } else if (a == "--seed") {
      seed = std::strtoull(v, nullptr, 10);
    } else {
      usage();
    }
  }
  bool ok = true, found = false;
  for (const Function& f : kFunctions) {
    if (which != "all" && which != f.name) continue;
    found = true;
    ok = run(f, count, seed) && ok;
  }
  if (!found) usage();
  std::printf("%s\n", ok ? "all errors below 1 ulp" : "FAILED: an error of 1 ulp or more");
  return ok ? 0 : 1;
}
