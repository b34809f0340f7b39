// Interleaved comparison of our routines with a peer library (LAPACK, FFTW) in one benchmark run: each
// round runs every benchmark once, ours just before its peer, and a final table gives the median over
// the rounds of the ratio ours / peer, so that slow phases of a shared machine hit both sides alike.
#pragma once

#include <benchmark/benchmark.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <functional>
#include <map>
#include <string>
#include <utility>
#include <vector>

#include "numerics/simd.h"

namespace bench_support {

// Rounds of the whole set; a round runs every benchmark once, ours just before its peer.
constexpr int kDefaultRounds = 5;

// The console report as usual; besides, each run's time per iteration (seconds) is kept by benchmark
// name, and the largest extra heap memory any of its runs reported (ExtraMemory's counter).
class RatioReporter : public benchmark::ConsoleReporter {
 public:
  RatioReporter() : ConsoleReporter(OO_None) {}
  void ReportRuns(const std::vector<Run>& runs) override {
    for (const Run& run : runs) {
      if (!run.error_occurred && run.run_type == Run::RT_Iteration) {
        times[run.benchmark_name()].push_back(run.GetAdjustedRealTime() /
                                              benchmark::GetTimeUnitMultiplier(run.time_unit));
        const auto extra = run.counters.find("extra_bytes");
        if (extra != run.counters.end()) {
          double& most = extra_bytes[run.benchmark_name()];
          most = std::max(most, extra->second.value);
        }
      }
    }
    ConsoleReporter::ReportRuns(runs);
  }
  std::map<std::string, std::vector<double>> times;
  std::map<std::string, double> extra_bytes;
};

// The extra heap memory of a run in KiB, "-" where the benchmark does not report it.
inline std::string extra_kib(const RatioReporter& reporter, const std::string& name) {
  const auto found = reporter.extra_bytes.find(name);
  if (found == reporter.extra_bytes.end()) return "-";
  char text[32];
  std::snprintf(text, sizeof text, "%.1f", found->second / 1024.0);
  return text;
}

inline double median(std::vector<double> v) {
  std::sort(v.begin(), v.end());
  const std::size_t h = v.size() / 2;
  return v.size() % 2 == 1 ? v[h] : 0.5 * (v[h - 1] + v[h]);
}

// The peer of a comparison: the suffix of its benchmarks' names (".../lapack") and its name in the table.
struct Peer {
  std::string suffix;
  std::string label;
};
inline const Peer kLapack{"lapack", "LAPACK"};
inline const Peer kOpenBlas{"openblas", "OpenBLAS"};

// Per pair of names, the medians of the two times and of the per-round ratios (adjacent runs, so
// that slow phases of a shared machine hit both sides of a ratio alike).
inline void print_ratios(const RatioReporter& reporter, const std::vector<std::string>& cases,
                         const Peer& peer_of) {
  const bool any = std::any_of(cases.begin(), cases.end(), [&](const std::string& name) {
    return reporter.times.count(name + "/" + peer_of.suffix) != 0;
  });
  if (!any) return;
  std::printf("\n%-24s %12s %12s %12s %10s %10s  (medians over rounds; extra heap in KiB)\n", "case",
              "ours ms", (peer_of.label + " ms").c_str(), ("ours/" + peer_of.label).c_str(), "ours KiB",
              (peer_of.label + " KiB").c_str());
  for (const std::string& name : cases) {
    const auto ours = reporter.times.find(name + "/ours");
    const auto peer = reporter.times.find(name + "/" + peer_of.suffix);
    if (ours == reporter.times.end() || peer == reporter.times.end()) continue;
    const std::size_t rounds = std::min(ours->second.size(), peer->second.size());
    std::vector<double> ratios;
    for (std::size_t r = 0; r < rounds; ++r) ratios.push_back(ours->second[r] / peer->second[r]);
    std::printf("%-24s %12.3f %12.3f %12.2f %10s %10s\n", name.c_str(), 1e3 * median(ours->second),
                1e3 * median(peer->second), median(ratios), extra_kib(reporter, ours->first).c_str(),
                extra_kib(reporter, peer->first).c_str());
  }
}

// Makes our kernels take the lanes named "portable", "sse2" or "avx2" (to measure what each path
// gives); false for an unknown or unsupported name.
inline bool force_lanes(const char* name) {
  using numerics::detail::SimdPath;
  const std::pair<const char*, SimdPath> paths[] = {
      {"portable", SimdPath::portable}, {"sse2", SimdPath::sse2}, {"avx2", SimdPath::avx2}};
  for (const auto& path : paths) {
    if (std::strcmp(name, path.first) == 0 && numerics::detail::simd_path_supported(path.second)) {
      numerics::detail::force_simd_path(path.second);
      return true;
    }
  }
  return false;
}

// Takes "--rounds=N", "--lanes=NAME" and "--medians=FILE" out of the arguments.
inline int take_rounds(int* argc, char** argv, std::string* medians_file) {
  int rounds = kDefaultRounds;
  int kept = 1;
  for (int i = 1; i < *argc; ++i) {
    if (std::strncmp(argv[i], "--rounds=", 9) == 0) {
      rounds = std::max(1, std::atoi(argv[i] + 9));
    } else if (std::strncmp(argv[i], "--medians=", 10) == 0) {
      *medians_file = argv[i] + 10;
    } else if (std::strncmp(argv[i], "--lanes=", 8) == 0) {
      if (!force_lanes(argv[i] + 8)) std::fprintf(stderr, "unknown or unsupported lanes: %s\n", argv[i] + 8);
    } else {
      argv[kept++] = argv[i];
    }
  }
  *argc = kept;
  return rounds;
}

// Per benchmark, the median seconds per iteration over the rounds and the extra heap bytes (empty when
// not reported), as CSV lines "name,seconds,extra_bytes": what bench/plots.py draws.
inline bool write_medians(const RatioReporter& reporter, const std::string& file) {
  std::FILE* out = std::fopen(file.c_str(), "w");
  if (out == nullptr) return false;
  std::fprintf(out, "name,seconds,extra_bytes\n");
  for (const auto& entry : reporter.times) {
    const auto extra = reporter.extra_bytes.find(entry.first);
    std::fprintf(out, "%s,%.9g,", entry.first.c_str(), median(entry.second));
    if (extra != reporter.extra_bytes.end()) std::fprintf(out, "%.0f", extra->second);
    std::fprintf(out, "\n");
  }
  return std::fclose(out) == 0;
}

// The whole benchmark program: takes "--rounds=N", "--medians=FILE", registers the benchmarks (whose returned
// case names each have an ".../ours" run and runs of the peers, ".../lapack" and ".../openblas" unless said
// otherwise), runs all of them N times, prints a ratio table per peer and then whatever `after` makes of
// the kept times.
inline int run_rounds(int argc, char** argv, const std::function<std::vector<std::string>()>& register_all,
                      const std::vector<Peer>& peers = {kLapack, kOpenBlas},
                      const std::function<void(const RatioReporter&)>& after = nullptr) {
  std::string medians_file;
  const int rounds = take_rounds(&argc, argv, &medians_file);
  benchmark::Initialize(&argc, argv);
  if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 1;
  const std::vector<std::string> cases = register_all();
  RatioReporter reporter;
  for (int round = 0; round < rounds; ++round) benchmark::RunSpecifiedBenchmarks(&reporter);
  for (const Peer& peer : peers) print_ratios(reporter, cases, peer);
  if (after) after(reporter);
  benchmark::Shutdown();
  if (!medians_file.empty() && !write_medians(reporter, medians_file)) {
    std::fprintf(stderr, "cannot write %s\n", medians_file.c_str());
    return 1;
  }
  return 0;
}

}  // namespace bench_support
