// Timing of Gauss-Jordan elimination with full pivoting: the inverse of an n x n matrix together with
// one right-hand side, n = 50 ... 400 (about 2 n^3 floating-point operations). Where LAPACK is
// installed, each size also runs sgesv and sgetri, which give the same solution and inverse; ours and
// the peer alternate size by size for several rounds, and a final table gives the median over the
// rounds of the ratio ours / LAPACK.
#include <benchmark/benchmark.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <map>
#include <random>
#include <string>
#include <vector>

#include "numerics/numerics.h"

#if defined(TARVEL_HAVE_LAPACKE)
#include <lapacke.h>
#endif

namespace {

// Rounds of the whole set; a round runs every benchmark once, ours just before its peer.
constexpr int kDefaultRounds = 5;

// The console report as usual; besides, each run's time per iteration is kept by benchmark name.
class RatioReporter : public benchmark::ConsoleReporter {
 public:
  RatioReporter() : ConsoleReporter(OO_None) {}
  void ReportRuns(const std::vector<Run>& runs) override {
    for (const Run& run : runs) {
      if (!run.error_occurred && run.run_type == Run::RT_Iteration)
        times[run.benchmark_name()].push_back(run.GetAdjustedRealTime());
    }
    ConsoleReporter::ReportRuns(runs);
  }
  std::map<std::string, std::vector<double>> times;
};

double median(std::vector<double> v) {
  std::sort(v.begin(), v.end());
  const std::size_t h = v.size() / 2;
  return v.size() % 2 == 1 ? v[h] : 0.5 * (v[h - 1] + v[h]);
}

// Per pair of names, the medians of the two times and of the per-round ratios (adjacent runs, so
// that slow phases of a shared machine hit both sides of a ratio alike).
void print_ratios(const RatioReporter& reporter, const std::vector<std::string>& cases) {
  if (cases.empty()) return;
  std::printf("\n%-24s %12s %12s %12s  (medians over rounds)\n", "case", "ours ms", "LAPACK ms",
              "ours/LAPACK");
  for (const std::string& name : cases) {
    const auto ours = reporter.times.find(name + "/ours");
    const auto peer = reporter.times.find(name + "/lapack");
    if (ours == reporter.times.end() || peer == reporter.times.end()) continue;
    const std::size_t rounds = std::min(ours->second.size(), peer->second.size());
    std::vector<double> ratios;
    for (std::size_t r = 0; r < rounds; ++r) ratios.push_back(ours->second[r] / peer->second[r]);
    std::printf("%-24s %12.3f %12.3f %12.2f\n", name.c_str(), median(ours->second), median(peer->second),
                median(ratios));
  }
}

// Takes "--rounds=N" out of the arguments.
int take_rounds(int* argc, char** argv) {
  int rounds = kDefaultRounds;
  int kept = 1;
  for (int i = 1; i < *argc; ++i) {
    if (std::strncmp(argv[i], "--rounds=", 9) == 0)
      rounds = std::max(1, std::atoi(argv[i] + 9));
    else
      argv[kept++] = argv[i];
  }
  *argc = kept;
  return rounds;
}

// A diagonally dominant matrix (row-major, zero-based), so that both solvers pivot little.
std::vector<float> test_matrix(int n) {
  std::mt19937 gen(12345);
  std::uniform_real_distribution<float> unit(-1.0f, 1.0f);
  std::vector<float> values(static_cast<std::size_t>(n) * n);
  for (int i = 0; i < n; ++i)
    for (int j = 0; j < n; ++j)
      values[i * static_cast<std::size_t>(n) + j] = unit(gen) + (i == j ? static_cast<float>(n) : 0.0f);
  return values;
}

// The n^2 copy of the input is timed with the n^3 elimination; it is below 1% of it from n = 50.
void run_gaussj(benchmark::State& state, int n) {
  const std::vector<float> source = test_matrix(n);
  float** a = numerics::matrix(1, n, 1, n);
  float** b = numerics::matrix(1, n, 1, 1);
  for (auto _ : state) {
    std::copy(source.begin(), source.end(), &a[1][1]);
    for (int i = 1; i <= n; ++i) b[i][1] = 1.0f;
    numerics::gaussj(a, n, b, 1);
    benchmark::DoNotOptimize(a[1][1]);
    benchmark::DoNotOptimize(b[1][1]);
  }
  numerics::release_matrix(b, 1, n, 1, 1);
  numerics::release_matrix(a, 1, n, 1, n);
}

#if defined(TARVEL_HAVE_LAPACKE)
// LU factorisation with the solution of one right-hand side (sgesv), then the inverse from the
// factors (sgetri), on the column-major copy. The workspace is obtained once, outside the timing.
void run_sgesv_sgetri(benchmark::State& state, int n) {
  const std::vector<float> rows = test_matrix(n);
  std::vector<float> source(rows.size()), a(rows.size()), b(n);
  std::vector<lapack_int> pivots(n);
  for (int i = 0; i < n; ++i)
    for (int j = 0; j < n; ++j)
      source[i + static_cast<std::size_t>(j) * n] = rows[i * static_cast<std::size_t>(n) + j];
  float query = 0.0f;
  LAPACKE_sgetri_work(LAPACK_COL_MAJOR, n, a.data(), n, pivots.data(), &query, -1);
  std::vector<float> work(static_cast<std::size_t>(query));
  for (auto _ : state) {
    std::copy(source.begin(), source.end(), a.begin());
    std::fill(b.begin(), b.end(), 1.0f);
    lapack_int info = LAPACKE_sgesv_work(LAPACK_COL_MAJOR, n, 1, a.data(), n, pivots.data(), b.data(), n);
    if (info == 0)
      info = LAPACKE_sgetri_work(LAPACK_COL_MAJOR, n, a.data(), n, pivots.data(), work.data(),
                                 static_cast<lapack_int>(work.size()));
    if (info != 0) state.SkipWithError("sgesv/sgetri failed");
    benchmark::DoNotOptimize(a[0]);
    benchmark::DoNotOptimize(b[0]);
  }
}
#endif

std::vector<std::string> register_benchmarks() {
  std::vector<std::string> cases;
  for (int n : {50, 100, 200, 400}) {
    const std::string name = "gaussj " + std::to_string(n);
    benchmark::RegisterBenchmark((name + "/ours").c_str(), [n](benchmark::State& s) {
      run_gaussj(s, n);
    })->Unit(benchmark::kMillisecond);
#if defined(TARVEL_HAVE_LAPACKE)
    benchmark::RegisterBenchmark((name + "/lapack").c_str(), [n](benchmark::State& s) {
      run_sgesv_sgetri(s, n);
    })->Unit(benchmark::kMillisecond);
    cases.push_back(name);
#endif
  }
  return cases;
}

}  // namespace

int main(int argc, char** argv) {
  const int rounds = take_rounds(&argc, argv);
  benchmark::Initialize(&argc, argv);
  if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 1;
  const std::vector<std::string> cases = register_benchmarks();
  RatioReporter reporter;
  for (int round = 0; round < rounds; ++round) benchmark::RunSpecifiedBenchmarks(&reporter);
  print_ratios(reporter, cases);
  benchmark::Shutdown();
  return 0;
}
