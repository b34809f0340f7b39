// The library's own exp, log, sin, expf and logf against the C library's, in interleaved rounds. Each
// benchmark walks 4096 fixed arguments: "calls" lets the calls overlap (throughput), "chain" feeds each
// result into the next argument (latency, as in a series where one call waits for the last).
#include <benchmark/benchmark.h>

#include <cmath>
#include <cstdio>
#include <random>
#include <string>
#include <vector>

#include "extra_memory.h"
#include "numerics/elementary.h"
#include "ratio_report.h"

namespace {

constexpr int kArguments = 4096;

template <typename T>
std::vector<T> uniform(T low, T high) {
  std::mt19937 generator(12345);
  std::uniform_real_distribution<T> draw(low, high);
  std::vector<T> v(kArguments);
  for (T& x : v) x = draw(generator);
  return v;
}

// Independent calls.
template <typename T, typename F>
void calls(benchmark::State& state, const std::vector<T>& args, F f) {
  const bench_support::ExtraMemory extra(state);
  for (auto _ : state) {
    for (T x : args) benchmark::DoNotOptimize(f(x));
  }
  state.SetItemsProcessed(state.iterations() * kArguments);
}

// Each argument carries a vanishing share of the previous result, so every call waits for the last.
template <typename T, typename F>
void chain(benchmark::State& state, const std::vector<T>& args, F f) {
  const bench_support::ExtraMemory extra(state);
  T last = 0;
  for (auto _ : state) {
    for (T x : args) last = f(x + last * static_cast<T>(1e-30));
    benchmark::DoNotOptimize(last);
  }
  state.SetItemsProcessed(state.iterations() * kArguments);
}

struct Function {
  std::string name;
  void (*ours)(benchmark::State&, bool chained);
  void (*peer)(benchmark::State&, bool chained);
};

// Arguments where the library calls these: exponents of moderate size, logarithms of data and
// probabilities, twiddle angles within one turn.
template <typename T, typename F>
void walk(benchmark::State& state, bool chained, T low, T high, F f) {
  const std::vector<T> args = uniform(low, high);
  if (chained) {
    chain(state, args, f);
  } else {
    calls(state, args, f);
  }
}

const Function kFunctions[] = {
    {"exp", [](benchmark::State& s, bool c) { walk(s, c, -20.0, 20.0, numerics::elementary::exp); },
     [](benchmark::State& s, bool c) { walk(s, c, -20.0, 20.0, [](double x) { return std::exp(x); }); }},
    {"log", [](benchmark::State& s, bool c) { walk(s, c, 1e-3, 1e3, numerics::elementary::log); },
     [](benchmark::State& s, bool c) { walk(s, c, 1e-3, 1e3, [](double x) { return std::log(x); }); }},
    {"sin", [](benchmark::State& s, bool c) { walk(s, c, -6.3, 6.3, numerics::elementary::sin); },
     [](benchmark::State& s, bool c) { walk(s, c, -6.3, 6.3, [](double x) { return std::sin(x); }); }},
    {"expf", [](benchmark::State& s, bool c) { walk(s, c, -20.0f, 20.0f, numerics::elementary::expf); },
     [](benchmark::State& s, bool c) { walk(s, c, -20.0f, 20.0f, [](float x) { return std::exp(x); }); }},
    {"logf", [](benchmark::State& s, bool c) { walk(s, c, 1e-3f, 1e3f, numerics::elementary::logf); },
     [](benchmark::State& s, bool c) { walk(s, c, 1e-3f, 1e3f, [](float x) { return std::log(x); }); }},
};

std::vector<std::string> register_all() {
  std::vector<std::string> cases;
  for (const Function& f : kFunctions) {
    for (const bool chained : {false, true}) {
      const std::string name = f.name + (chained ? "/chain" : "/calls");
      benchmark::RegisterBenchmark((name + "/ours").c_str(), f.ours, chained);
      benchmark::RegisterBenchmark((name + "/libc").c_str(), f.peer, chained);
      cases.push_back(name);
    }
  }
  return cases;
}

// Nanoseconds per call, ours and the C library's, from the medians over the rounds.
void print_per_call(const bench_support::RatioReporter& reporter) {
  std::printf("\n%-16s %10s %10s %8s\n", "case", "ours ns", "libc ns", "ratio");
  for (const Function& f : kFunctions) {
    for (const char* mode : {"/calls", "/chain"}) {
      const std::string name = f.name + mode;
      const auto ours = reporter.times.find(name + "/ours");
      const auto peer = reporter.times.find(name + "/libc");
      if (ours == reporter.times.end() || peer == reporter.times.end()) continue;
      const double ours_ns = 1e9 * bench_support::median(ours->second) / kArguments;
      const double peer_ns = 1e9 * bench_support::median(peer->second) / kArguments;
      std::printf("%-16s %10.2f %10.2f %8.2f\n", name.c_str(), ours_ns, peer_ns, ours_ns / peer_ns);
    }
  }
}

}  // namespace

int main(int argc, char** argv) {
  return bench_support::run_rounds(argc, argv, register_all, {{"libc", "C library"}}, print_per_call);
}
