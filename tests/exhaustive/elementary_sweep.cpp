// Sweep of the library's correctly rounded expf and logf over float bit patterns: each result must equal,
// bit for bit, MPFR's result rounded to nearest at 24 bits in the float exponent range (subnormals and
// overflow emulated), and a NaN must be answered by a NaN.
//
//   elementary_sweep [--routine expf|logf|all] [--stride N] [--offset N] [--threads N]
//
// --stride N tries every N-th pattern from --offset on (the full sweep is stride 1). Exit status 1 on
// any mismatch. MPFR is skipped only where the correct result follows from a bound: NaN inputs, expf
// beyond its overflow and underflow thresholds, and logf of negative numbers.
#include <mpfr.h>

#include <algorithm>
#include <chrono>
#include <cinttypes>
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

constexpr std::uint64_t kPatterns = std::uint64_t{1} << 32;
constexpr std::size_t kShownMismatches = 8;

std::uint32_t bits_of(float x) {
  std::uint32_t b;
  std::memcpy(&b, &x, sizeof b);
  return b;
}
float float_from_bits(std::uint32_t b) {
  float x;
  std::memcpy(&x, &b, sizeof x);
  return x;
}
bool is_nan(float x) { return (bits_of(x) & 0x7fffffffu) > 0x7f800000u; }

// The result that needs no MPFR call, when there is one: returns true and sets `result`.
using CertainFn = bool (*)(float x, float& result);

bool certain_exp(float x, float& result) {
  if (is_nan(x)) {
    result = x;
    return true;
  }
  // 89 > 128·ln2, so exp(x) >= 2^128 overflows; 104 > 150·ln2, so exp(x) < 2^-150 rounds to +0.
  if (x >= 89.0f) {
    result = std::numeric_limits<float>::infinity();
    return true;
  }
  if (x <= -104.0f) {
    result = 0.0f;
    return true;
  }
  return false;
}

bool certain_log(float x, float& result) {
  if (is_nan(x) || x < 0.0f) {
    result = std::numeric_limits<float>::quiet_NaN();
    return true;
  }
  return false;
}

struct Routine {
  const char* name;
  float (*ours)(float);
  int (*reference)(mpfr_ptr, mpfr_srcptr, mpfr_rnd_t);
  CertainFn certain;
};

const Routine kRoutines[] = {
    {"expf", numerics::elementary::expf, mpfr_exp, certain_exp},
    {"logf", numerics::elementary::logf, mpfr_log, certain_log},
};

struct Options {
  std::string routine = "all";
  std::uint64_t stride = 1;
  std::uint64_t offset = 0;
  unsigned threads = 0;
};

[[noreturn]] void usage() {
  std::fprintf(stderr,
               "usage: elementary_sweep [--routine expf|logf|all] [--stride N] [--offset N] [--threads N]\n");
  std::exit(2);
}

Options parse(int argc, char** argv) {
  Options o;
  for (int i = 1; i < argc; ++i) {
    const std::string a = argv[i];
    if (i + 1 >= argc) usage();
    const char* v = argv[++i];
    if (a == "--routine") {
      o.routine = v;
    } else if (a == "--stride") {
      o.stride = std::strtoull(v, nullptr, 10);
    } else if (a == "--offset") {
      o.offset = std::strtoull(v, nullptr, 10);
    } else if (a == "--threads") {
      o.threads = static_cast<unsigned>(std::strtoul(v, nullptr, 10));
    } else {
      usage();
    }
  }
  if (o.stride == 0 || o.offset >= kPatterns) usage();
  if (o.threads == 0) o.threads = std::max(1u, std::thread::hardware_concurrency());
  return o;
}

struct Mismatch {
  std::uint32_t input, ours, correct;
};

struct Tally {
  std::mutex lock;
  std::uint64_t tried = 0, mismatches = 0;
  std::vector<Mismatch> shown;
};

// Thread `t` of `n` takes every n-th pattern of the sweep.
void sweep_part(const Routine& r, const Options& o, unsigned t, Tally& tally) {
  // Float's exponent range in MPFR's convention (significand in [1/2, 1)): 2^-149 = 2^-148·(1/2) is the
  // least subnormal, and 2^128 the first value that overflows. MPFR keeps these per thread.
  mpfr_set_emin(-148);
  mpfr_set_emax(128);
  mpfr_t in, out;
  mpfr_init2(in, 24);
  mpfr_init2(out, 24);
  std::uint64_t tried = 0, mismatches = 0;
  std::vector<Mismatch> shown;
  for (std::uint64_t p = o.offset + t * o.stride; p < kPatterns; p += o.threads * o.stride) {
    const float x = float_from_bits(static_cast<std::uint32_t>(p));
    const float ours = r.ours(x);
    float correct;
    if (!r.certain(x, correct)) {
      mpfr_set_flt(in, x, MPFR_RNDN);
      const int inexact = r.reference(out, in, MPFR_RNDN);
      mpfr_subnormalize(out, inexact, MPFR_RNDN);
      correct = mpfr_get_flt(out, MPFR_RNDN);
    }
    ++tried;
    const bool ok = is_nan(correct) ? is_nan(ours) : bits_of(ours) == bits_of(correct);
    if (!ok) {
      ++mismatches;
      if (shown.size() < kShownMismatches) shown.push_back({bits_of(x), bits_of(ours), bits_of(correct)});
    }
  }
  mpfr_clear(in);
  mpfr_clear(out);
  mpfr_free_cache();
  const std::lock_guard<std::mutex> guard(tally.lock);
  tally.tried += tried;
  tally.mismatches += mismatches;
  tally.shown.insert(tally.shown.end(), shown.begin(), shown.end());
}

bool sweep(const Routine& r, const Options& o) {
  const auto start = std::chrono::steady_clock::now();
  Tally tally;
  std::vector<std::thread> workers;
  for (unsigned t = 0; t < o.threads; ++t)
    workers.emplace_back(sweep_part, std::cref(r), std::cref(o), t, std::ref(tally));
  for (std::thread& w : workers) w.join();
  const double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
  std::printf("%s: %" PRIu64 " patterns tried, %" PRIu64 " mismatches, %.1f s\n", r.name, tally.tried,
              tally.mismatches, seconds);
  std::sort(tally.shown.begin(), tally.shown.end(),
            [](const Mismatch& a, const Mismatch& b) { return a.input < b.input; });
  for (std::size_t i = 0; i < tally.shown.size() && i < kShownMismatches; ++i) {
    const Mismatch& m = tally.shown[i];
    std::printf("  %s(%a) [0x%08" PRIx32 "]: ours %a [0x%08" PRIx32 "], correct %a [0x%08" PRIx32 "]\n",
                r.name, static_cast<double>(float_from_bits(m.input)), m.input,
                static_cast<double>(float_from_bits(m.ours)), m.ours,
                static_cast<double>(float_from_bits(m.correct)), m.correct);
  }
  std::fflush(stdout);
  return tally.mismatches == 0;
}

}  // namespace

int main(int argc, char** argv) {
  const Options o = parse(argc, argv);
  if (!mpfr_buildopt_tls_p() && o.threads > 1) {
    std::fprintf(stderr, "this MPFR keeps its exponent range per process: run with --threads 1\n");
    return 2;
  }
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
