// Exhaustive sweep of the one-argument routines over float bit patterns: complementary_error_function,
// polar_radius_transform, kolmogorov_smirnov_probability and log_gamma (its double argument widened
// from each float). For every pattern tried it checks that the call returns (a watchdog bounds the time
// of each chunk of 2^20 patterns), that the result lies in the routine's documented range, with NaN
// only where documented, and it measures the error against a reference in higher precision: the
// largest error with the input where it occurs, and the 99th percentile.
//
//   exhaustive_sweep [--routine NAME|all] [--stride N] [--offset N] [--threads N] [--chunk-seconds S]
//                    [--check]
//
// --stride N tries every N-th pattern from --offset on (the full sweep is stride 1); --check fails the
// run when a result leaves its range or an error exceeds the bound held for the routine.
#include <atomic>
#include <chrono>
#include <cinttypes>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include <boost/math/special_functions/erf.hpp>
#include <boost/math/special_functions/gamma.hpp>

#include "accuracy/error_kit.h"
#include "numerics/numerics.h"

namespace {

using error_kit::bits_of;
using error_kit::ErrorStats;
using error_kit::float_from_bits;

constexpr std::uint64_t kPatterns = std::uint64_t{1} << 32;
constexpr std::uint64_t kChunk = std::uint64_t{1} << 20;  // patterns per unit of work and of the watchdog
constexpr long double kPi = 3.141592653589793238462643383279502884L;

struct Tally {
  std::uint64_t tried = 0;
  std::uint64_t nan_results = 0;  // NaN where the routine documents it
  std::uint64_t out_of_range = 0;
  std::string first_out_of_range;
  ErrorStats error;
  ErrorStats exact_function_error;  // polar_radius_transform only: against the function of p itself

  void violation(const std::string& what) {
    if (out_of_range++ == 0) first_out_of_range = what;
  }
  void merge(const Tally& other) {
    tried += other.tried;
    nan_results += other.nan_results;
    if (out_of_range == 0 && other.out_of_range != 0) first_out_of_range = other.first_out_of_range;
    out_of_range += other.out_of_range;
    error.merge(other.error);
    exact_function_error.merge(other.exact_function_error);
  }
};

std::string describe(float x, double got, double reference) {
  char buffer[200];
  std::snprintf(buffer, sizeof buffer, "x = %.9g (0x%08" PRIx32 "), result %.9g, reference %.12g", x,
                bits_of(x), got, reference);
  return buffer;
}

// erfc: [0, 2] for every non-NaN x, NaN for NaN; error in float ulp against Boost's double erfc.
void examine_erfc(std::uint32_t bits, Tally& tally) {
  const float x = float_from_bits(bits);
  const float got = numerics::complementary_error_function(x);
  if (std::isnan(x)) {
    if (std::isnan(got)) {
      ++tally.nan_results;
    } else {
      tally.violation("a number for NaN: " + describe(x, got, 0));
    }
    return;
  }
  if (!(got >= 0.0f && got <= 2.0f)) tally.violation("outside [0, 2]: " + describe(x, got, 0));
  const double reference = boost::math::erfc(static_cast<double>(x), error_kit::QuietPolicy());
  tally.error.add(error_kit::ulp_error(got, reference), [&] { return describe(x, got, reference); });
}

// Largest magnitude of the polar transform: at v = 1 - p = +-2^-24, 2 sqrt(24 ln 2).
const double kPolarLargest = 2.0 * std::sqrt(24.0 * std::log(2.0));

// polar_radius_transform: with v = 1 - p rounded to float as the routine's first step, NaN exactly
// when |v| > 1 or p is NaN, otherwise a finite value of the sign of v and magnitude at most
// kPolarLargest. The error is measured against sign(v) 2 sqrt(-ln|v|) for that v; a second measure
// compares with the function of p itself, which adds the rounding of 1 - p (large for p near 0).
void examine_polar(std::uint32_t bits, Tally& tally) {
  const float p = float_from_bits(bits);
  const float got = numerics::polar_radius_transform(p);
  if (p == 1.0f) {
    // Documented substitution of 1 - 2^-23 for 1.
    if (bits_of(got) != bits_of(numerics::polar_radius_transform(0.99999988079071044921875f)))
      tally.violation("p = 1 is not taken as 1 - 2^-23: " + describe(p, got, 0));
    return;
  }
  const float v = static_cast<float>(1.0 - static_cast<double>(p));
  if (std::isnan(p) || std::fabs(v) > 1.0f) {
    if (std::isnan(got)) {
      ++tally.nan_results;
    } else {
      tally.violation("a number where |1 - p| > 1: " + describe(p, got, 0));
    }
    return;
  }
  if (!std::isfinite(got) || std::fabs(static_cast<double>(got)) > kPolarLargest * (1.0 + 1e-6) ||
      (got != 0.0f && std::signbit(got) != std::signbit(v))) {
    tally.violation("outside the range: " + describe(p, got, 0));
    return;
  }
  // Double references: a few double units are far below a float unit. 1 - p and p - 1 are exact in
  // double for every float p in [0, 2] but the smallest, where log1p takes over.
  const double vd = v;
  const double reference = std::copysign(2.0 * std::sqrt(-std::log(std::fabs(vd))), vd);
  tally.error.add(error_kit::ulp_error(got, reference), [&] { return describe(p, got, reference); });
  const double pd = p;
  const double exact = pd < 1.0 ? 2.0 * std::sqrt(-std::log1p(-pd)) : -2.0 * std::sqrt(-std::log(pd - 1.0));
  tally.exact_function_error.add(error_kit::ulp_error(got, exact), [&] { return describe(p, got, exact); });
}

// Q_KS(lambda) in long double: the alternating series for lambda >= 1 and, below, the dual theta
// series 1 - sqrt(2 pi)/lambda sum_k exp(-(2k-1)^2 pi^2 / (8 lambda^2)); both converge fast there.
long double ks_reference(long double lambda) {
  lambda = std::fabs(lambda);
  long double sum = 0.0L;
  if (lambda >= 1.0L) {
    for (int j = 1; j < 100; ++j) {
      const long double term = std::exp(-2.0L * j * j * lambda * lambda);
      sum += (j % 2 == 1 ? 2.0L : -2.0L) * term;
      if (term < 1e-40L * sum || term == 0.0L) break;
    }
    return sum;
  }
  for (int k = 1; k < 100; ++k) {
    const long double odd = 2.0L * k - 1.0L;
    const long double term = std::exp(-odd * odd * kPi * kPi / (8.0L * lambda * lambda));
    sum += term;
    if (term < 1e-40L * sum || term == 0.0L) break;
  }
  return 1.0L - std::sqrt(2.0L * kPi) / lambda * sum;
}

// Q_KS lies in [0, 1]; the float sum of its alternating terms, nearly cancelling for small lambda, may
// end above 1 (the routine documents 1.0000002 at 0.1): the range allowed is [0, 1 + 2^-19]. NaN gives 1:
// its terms never settle and the routine falls back to 1.
void examine_ks(std::uint32_t bits, Tally& tally) {
  const float lambda = float_from_bits(bits);
  const float got = numerics::kolmogorov_smirnov_probability(lambda);
  if (std::isnan(lambda)) {
    if (got != 1.0f) tally.violation("NaN does not give 1: " + describe(lambda, got, 0));
    return;
  }
  if (!(got >= 0.0f && got <= 1.0f + 0x1.0p-19f))
    tally.violation("outside [0, 1]: " + describe(lambda, got, 0));
  const double reference = static_cast<double>(ks_reference(lambda));
  tally.error.add(error_kit::ulp_error(got, reference), [&] { return describe(lambda, got, reference); });
}

// log_gamma over the floats: finite for every finite x > 0, with the error |got - ln Gamma(x)| divided
// by max(1, |ln Gamma(x)|) (absolute near the roots at 1 and 2, relative for large magnitudes) against
// Boost's lgamma; for x <= 0 and x = +inf the documented NaN or infinity.
void examine_log_gamma(std::uint32_t bits, Tally& tally) {
  const float x = float_from_bits(bits);
  const double got = numerics::log_gamma(static_cast<double>(x));
  if (!(x > 0.0f) || std::isinf(x)) {
    if (std::isnan(got) || std::isinf(got)) {
      ++tally.nan_results;
    } else {
      tally.violation("a finite value for x <= 0, NaN or +inf: " + describe(x, got, 0));
    }
    return;
  }
  if (!std::isfinite(got)) tally.violation("not finite for x > 0: " + describe(x, got, 0));
  const double reference = boost::math::lgamma(static_cast<double>(x), error_kit::QuietPolicy());
  const double error = std::fabs(got - reference) / std::fmax(1.0, std::fabs(reference));
  tally.error.add(error, [&] { return describe(x, got, reference); });
}

struct Routine {
  const char* name;
  void (*examine)(std::uint32_t, Tally&);
  const char* error_unit;
  const char* nan_where;
  // Largest error held by --check: the full sweep's largest (see the README's accuracy table) with a
  // margin for other C libraries' exp and log.
  double held_bound;
};

// Held bounds: the full sweep's largest error (README, accuracy table) with a margin of 1.5 for the float
// routines (other C libraries' exp and log may move a result by a unit or two) and 2 for log_gamma.
const Routine kRoutines[] = {
    {"complementary_error_function", examine_erfc, "float ulp", "NaN input", 1.5 * 66.66},
    {"polar_radius_transform", examine_polar, "float ulp", "|1 - p| > 1 as rounded, and NaN", 1.5 * 610},
    {"kolmogorov_smirnov_probability", examine_ks, "float ulp", "never (NaN gives 1)", 1.5 * 64.37},
    {"log_gamma", examine_log_gamma, "absolute below 1, relative above",
     "NaN or infinity for x <= 0, +inf, NaN", 2 * 4.052e-13},
};

struct Options {
  std::string routine = "all";
  std::uint64_t stride = 1;
  std::uint64_t offset = 0;
  unsigned threads = 0;
  double chunk_seconds = 120.0;
  bool check = false;
};

[[noreturn]] void usage() {
  std::fprintf(stderr,
               "usage: exhaustive_sweep [--routine NAME|all] [--stride N] [--offset N] [--threads N]\n"
               "                        [--chunk-seconds S] [--check]\nroutines:");
  for (const Routine& r : kRoutines) std::fprintf(stderr, " %s", r.name);
  std::fprintf(stderr, "\n");
  std::exit(2);
}

Options parse(int argc, char** argv) {
  Options o;
  for (int i = 1; i < argc; ++i) {
    const std::string arg = argv[i];
    auto value = [&]() -> std::string {
      if (i + 1 >= argc) usage();
      return argv[++i];
    };
    if (arg == "--routine") {
      o.routine = value();
    } else if (arg == "--stride") {
      o.stride = std::strtoull(value().c_str(), nullptr, 0);
    } else if (arg == "--offset") {
      o.offset = std::strtoull(value().c_str(), nullptr, 0);
    } else if (arg == "--threads") {
      o.threads = static_cast<unsigned>(std::strtoul(value().c_str(), nullptr, 0));
    } else if (arg == "--chunk-seconds") {
      o.chunk_seconds = std::strtod(value().c_str(), nullptr);
    } else if (arg == "--check") {
      o.check = true;
    } else {
      usage();
    }
  }
  if (o.stride == 0 || o.offset >= o.stride) usage();
  if (o.threads == 0) o.threads = std::max(1u, std::thread::hardware_concurrency());
  return o;
}

using Clock = std::chrono::steady_clock;

std::int64_t now_ns() {
  return std::chrono::duration_cast<std::chrono::nanoseconds>(Clock::now().time_since_epoch()).count();
}

// Runs one routine over the patterns offset, offset + stride, ... in chunks of kChunk patterns taken
// by the worker threads in turn; the main thread watches the start time of every chunk in progress.
bool sweep(const Routine& routine, const Options& o) {
  const std::uint64_t chunks = kPatterns / kChunk;
  std::atomic<std::uint64_t> next_chunk{0};
  std::vector<std::atomic<std::int64_t>> chunk_started(o.threads);
  std::vector<std::atomic<std::uint64_t>> chunk_of(o.threads);
  std::vector<Tally> tallies(o.threads);
  for (auto& s : chunk_started) s = 0;
  std::atomic<unsigned> running{o.threads};
  const auto start = Clock::now();

  std::vector<std::thread> workers;
  for (unsigned t = 0; t < o.threads; ++t) {
    workers.emplace_back([&, t] {
      for (;;) {
        const std::uint64_t c = next_chunk++;
        if (c >= chunks) break;
        chunk_of[t] = c;
        chunk_started[t] = now_ns();
        // First pattern of the chunk on the stride's lattice.
        const std::uint64_t begin = c * kChunk;
        std::uint64_t first = begin + (o.offset + o.stride - begin % o.stride) % o.stride;
        for (std::uint64_t b = first; b < begin + kChunk; b += o.stride) {
          routine.examine(static_cast<std::uint32_t>(b), tallies[t]);
          ++tallies[t].tried;
        }
        chunk_started[t] = 0;
      }
      --running;
    });
  }
  const auto bound_ns = static_cast<std::int64_t>(o.chunk_seconds * 1e9);
  while (running > 0) {
    std::this_thread::sleep_for(std::chrono::milliseconds(50));
    for (unsigned t = 0; t < o.threads; ++t) {
      const std::int64_t started = chunk_started[t];
      if (started != 0 && now_ns() - started > bound_ns) {
        const std::uint64_t c = chunk_of[t];
        std::printf("%s: the chunk of patterns 0x%08" PRIx64 "..0x%08" PRIx64 " did not finish within %g s\n",
                    routine.name, c * kChunk, (c + 1) * kChunk - 1, o.chunk_seconds);
        std::fflush(stdout);
        std::_Exit(1);
      }
    }
  }
  for (auto& w : workers) w.join();
  const double seconds = std::chrono::duration<double>(Clock::now() - start).count();

  Tally all;
  for (const Tally& t : tallies) all.merge(t);
  std::printf("%s: %" PRIu64 " patterns (stride %" PRIu64 ", offset %" PRIu64 "), %u threads, %.1f s\n",
              routine.name, all.tried, o.stride, o.offset, o.threads, seconds);
  std::printf("  NaN or infinity where documented (%s): %" PRIu64 "; outside the documented range: %" PRIu64
              "%s%s\n",
              routine.nan_where, all.nan_results, all.out_of_range, all.out_of_range ? ", first: " : "",
              all.first_out_of_range.c_str());
  auto report = [](const char* label, const char* unit, const ErrorStats& e) {
    std::printf("  %s (%s) over %" PRIu64 " values: largest %.4g at %s; 99th percentile %.3g\n", label, unit,
                e.histogram.count(), e.worst.error, e.worst.where.c_str(), e.histogram.percentile(0.99));
  };
  report("error", routine.error_unit, all.error);
  if (all.exact_function_error.histogram.count() != 0)
    report("error against the function of p itself", routine.error_unit, all.exact_function_error);
  std::fflush(stdout);

  bool ok = all.out_of_range == 0;
  if (o.check && all.error.worst.error > routine.held_bound) {
    std::printf("  FAILED: largest error %.4g exceeds the bound %.4g held for this routine\n",
                all.error.worst.error, routine.held_bound);
    ok = false;
  }
  return ok;
}

}  // namespace

int main(int argc, char** argv) {
  const Options o = parse(argc, argv);
  bool ok = true;
  bool found = false;
  for (const Routine& r : kRoutines) {
    if (o.routine != "all" && o.routine != r.name) continue;
    found = true;
    ok = sweep(r, o) && ok;
  }
  if (!found) usage();
  std::printf("%s\n", ok ? "sweep passed" : "sweep FAILED");
  return ok ? 0 : 1;
}
