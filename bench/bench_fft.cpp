// Timings of the Fourier transforms on random data: complex and real sequences of 2^10 to 2^20
// points, and the complex and real three-dimensional transforms on cubes of 32 to 128. Each
// iteration is a forward and an inverse transform followed by the exact power-of-two rescaling, so
// the data stay the same size however many iterations run. Where FFTW (single precision) is
// installed, its in-place plans (FFTW_ESTIMATE, one thread) run the same round trips as peers, and
// a final table gives ours/peer from rounds that alternate the two, so that machine noise cancels.
#include <benchmark/benchmark.h>

#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <functional>
#include <memory>
#include <random>
#include <string>
#include <vector>

#include "numerics/numerics.h"

#if defined(TARVEL_HAVE_FFTW3F)
#include <fftw3.h>
#endif

namespace {

// Alternating rounds of the ratio table, and the least time of one timed batch.
constexpr int kDefaultRounds = 15;
constexpr double kBatchSeconds = 0.02;

void fill_random(float* data, std::size_t n) {
  std::mt19937 rng(1);
  std::uniform_real_distribution<float> uniform(-1.0f, 1.0f);
  for (std::size_t i = 0; i < n; ++i) data[i] = uniform(rng);
}

void rescale(float* data, std::size_t n, float factor) {
  for (std::size_t i = 0; i < n; ++i) data[i] *= factor;
}

// One round trip on data of its own: a transform, its inverse and the rescaling.
using RoundTrip = std::function<void()>;

// Our four transforms. Each case owns its data and returns the round trip over it.
struct Case {
  std::string name;
  double points;  // complex or real points of one transform, for the exponent fit
  std::shared_ptr<void> state;
  RoundTrip run;
};

Case ours_complex(std::uint32_t count) {
  auto v = std::make_shared<std::vector<float>>(2 * count + 1);
  fill_random(v->data() + 1, 2 * count);
  return {"complex", static_cast<double>(count), v, [v, count] {
            numerics::fft_complex(v->data(), count, 1);
            numerics::fft_complex(v->data(), count, -1);
            rescale(v->data() + 1, 2 * count, 1.0f / static_cast<float>(count));
          }};
}

Case ours_real(std::uint32_t count) {
  auto v = std::make_shared<std::vector<float>>(count + 1);
  fill_random(v->data() + 1, count);
  return {"real", static_cast<double>(count), v, [v, count] {
            numerics::fft_real(v->data(), count, 1);
            numerics::fft_real(v->data(), count, -1);
            rescale(v->data() + 1, count, 2.0f / static_cast<float>(count));
          }};
}

Case ours_multidim(std::uint32_t side) {
  const std::size_t total = static_cast<std::size_t>(side) * side * side;
  auto v = std::make_shared<std::vector<float>>(2 * total + 1);
  fill_random(v->data() + 1, 2 * total);
  return {"multidim", static_cast<double>(total), v, [v, side, total] {
            const std::uint32_t dims[] = {0, side, side, side};
            numerics::fft_multidim(v->data(), dims, 3, 1);
            numerics::fft_multidim(v->data(), dims, 3, -1);
            rescale(v->data() + 1, 2 * total, 1.0f / static_cast<float>(total));
          }};
}

// The tensor and nyquist plane of fft_real_3d, released with the case.
struct Tensor {
  int side;
  float*** t;
  float** nyquist;
  explicit Tensor(int s)
      : side(s), t(numerics::f3tensor(1, s, 1, s, 1, s)), nyquist(numerics::matrix(1, s, 1, 2 * s)) {}
  ~Tensor() {
    numerics::release_matrix(nyquist, 1, side, 1, 2 * side);
    numerics::release_f3tensor(t, 1, side, 1, side, 1, side);
  }
};

Case ours_real_3d(std::uint32_t side) {
  const std::size_t total = static_cast<std::size_t>(side) * side * side;
  auto x = std::make_shared<Tensor>(static_cast<int>(side));
  fill_random(&x->t[1][1][1], total);
  return {"real_3d", static_cast<double>(total), x, [x, side, total] {
            numerics::fft_real_3d(x->t, x->nyquist, side, side, side, 1);
            numerics::fft_real_3d(x->t, x->nyquist, side, side, side, -1);
            rescale(&x->t[1][1][1], total, 2.0f / static_cast<float>(total));
          }};
}

#if defined(TARVEL_HAVE_FFTW3F)
// FFTW's in-place round trips on the same shapes; the real ones use the padded in-place layout.
struct Plans {
  float* data = nullptr;
  fftwf_plan forward = nullptr, backward = nullptr;
  std::size_t floats = 0;
  ~Plans() {
    fftwf_destroy_plan(forward);
    fftwf_destroy_plan(backward);
    fftwf_free(data);
  }
};

Case peer(const std::string& kind, std::uint32_t n) {
  auto p = std::make_shared<Plans>();
  const int s = static_cast<int>(n);
  const std::size_t cube = static_cast<std::size_t>(n) * n * n;
  if (kind == "complex" || kind == "multidim") {
    p->floats = 2 * ((kind == "complex") ? n : cube);
  } else {
    p->floats = (kind == "real") ? n + 2 : static_cast<std::size_t>(n) * n * (n + 2);
  }
  p->data = fftwf_alloc_real(p->floats);
  auto* z = reinterpret_cast<fftwf_complex*>(p->data);
  if (kind == "complex") {
    p->forward = fftwf_plan_dft_1d(s, z, z, FFTW_FORWARD, FFTW_ESTIMATE);
    p->backward = fftwf_plan_dft_1d(s, z, z, FFTW_BACKWARD, FFTW_ESTIMATE);
  } else if (kind == "real") {
    p->forward = fftwf_plan_dft_r2c_1d(s, p->data, z, FFTW_ESTIMATE);
    p->backward = fftwf_plan_dft_c2r_1d(s, z, p->data, FFTW_ESTIMATE);
  } else if (kind == "multidim") {
    p->forward = fftwf_plan_dft_3d(s, s, s, z, z, FFTW_FORWARD, FFTW_ESTIMATE);
    p->backward = fftwf_plan_dft_3d(s, s, s, z, z, FFTW_BACKWARD, FFTW_ESTIMATE);
  } else {
    p->forward = fftwf_plan_dft_r2c_3d(s, s, s, p->data, z, FFTW_ESTIMATE);
    p->backward = fftwf_plan_dft_c2r_3d(s, s, s, z, p->data, FFTW_ESTIMATE);
  }
  fill_random(p->data, p->floats);
  const double points = (kind == "complex" || kind == "real") ? n : static_cast<double>(cube);
  const float factor = static_cast<float>(1.0 / points);
  return {"fftw " + kind, points, p, [p, factor] {
            fftwf_execute(p->forward);
            fftwf_execute(p->backward);
            rescale(p->data, p->floats, factor);
          }};
}
#endif

void run_case(benchmark::State& state, const std::function<Case(std::uint32_t)>& make) {
  const Case c = make(static_cast<std::uint32_t>(state.range(0)));
  for (auto _ : state) {
    c.run();
    benchmark::ClobberMemory();
  }
  state.SetComplexityN(static_cast<std::int64_t>(c.points));
}

// The four transforms by kind; the first two are one-dimensional (lengths), the others cubes (sides).
const char* const kKinds[] = {"complex", "real", "multidim", "real_3d"};
const std::function<Case(std::uint32_t)> kOurs[] = {ours_complex, ours_real, ours_multidim, ours_real_3d};

void register_benchmarks() {
  for (int peer_of = 0; peer_of < 2; ++peer_of) {
    for (int k = 0; k < 4; ++k) {
      std::function<Case(std::uint32_t)> make = kOurs[k];
      std::string name = std::string("BM_fft_") + kKinds[k];
#if defined(TARVEL_HAVE_FFTW3F)
      if (peer_of == 1) {
        const char* kind = kKinds[k];
        make = [kind](std::uint32_t n) { return peer(kind, n); };
        name = std::string("BM_fftw_") + kind;
      }
#else
      if (peer_of == 1) continue;
#endif
      auto* b = benchmark::RegisterBenchmark(name.c_str(), run_case, make);
      if (k < 2) {
        b->RangeMultiplier(4)->Range(1 << 10, 1 << 20)->Complexity(benchmark::oNLogN);
      } else {
        b->Arg(32)->Arg(64)->Arg(128)->Unit(benchmark::kMillisecond)->Complexity(benchmark::oNLogN);
      }
    }
  }
}

// ---- The interleaved ratio table.

double seconds_of(const RoundTrip& run, int repeats) {
  const auto start = std::chrono::steady_clock::now();
  for (int r = 0; r < repeats; ++r) run();
  return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count() / repeats;
}

double median(std::vector<double> v) {
  std::sort(v.begin(), v.end());
  const std::size_t m = v.size() / 2;
  return (v.size() % 2 != 0) ? v[m] : 0.5 * (v[m - 1] + v[m]);
}

// Least-squares slope of log(time) over log(points): 1 plus a little for N log N.
double fitted_exponent(const std::vector<double>& points, const std::vector<double>& times) {
  double sx = 0, sy = 0, sxx = 0, sxy = 0;
  const double n = static_cast<double>(points.size());
  for (std::size_t i = 0; i < points.size(); ++i) {
    const double x = std::log(points[i]), y = std::log(times[i]);
    sx += x, sy += y, sxx += x * x, sxy += x * y;
  }
  return (n * sxy - sx * sy) / (n * sxx - sx * sx);
}

// Median times of ours and the peer over alternating rounds, and the median of the per-round ratios.
struct Row {
  std::string label;
  double points, ours, peer, ratio;
};

Row measure(const Case& a, const Case* b, const std::string& label, int rounds) {
  a.run();
  if (b) b->run();
  const int repeats = std::max(1, static_cast<int>(kBatchSeconds / seconds_of(a.run, 1)));
  std::vector<double> ta, tb, ratios;
  for (int r = 0; r < rounds; ++r) {
    ta.push_back(seconds_of(a.run, repeats));
    if (!b) continue;
    tb.push_back(seconds_of(b->run, repeats));
    ratios.push_back(ta.back() / tb.back());
  }
  return {label, a.points, median(ta), b ? median(tb) : 0.0, b ? median(ratios) : 0.0};
}

void print_ratio_table(int rounds) {
  struct Family {
    std::string kind;
    std::function<Case(std::uint32_t)> make;
    std::vector<std::uint32_t> sizes;
  };
  const std::vector<std::uint32_t> lengths{1u << 10, 1u << 12, 1u << 14, 1u << 16, 1u << 18, 1u << 20};
  std::vector<Family> families;
  for (int k = 0; k < 4; ++k) {
    families.push_back({kKinds[k], kOurs[k], (k < 2) ? lengths : std::vector<std::uint32_t>{32, 64, 128}});
  }
  std::printf("\nRound trips (forward + inverse + rescale), medians of %d alternating rounds\n", rounds);
  std::printf("%-10s %10s %14s %14s %12s\n", "transform", "size", "ours [ms]", "fftw [ms]", "ours/fftw");
  for (const Family& f : families) {
    std::vector<double> points, ours_t, peer_t;
    for (std::uint32_t n : f.sizes) {
      const Case ours = f.make(n);
#if defined(TARVEL_HAVE_FFTW3F)
      const Case other = peer(f.kind, n);
      const Row row = measure(ours, &other, f.kind, rounds);
#else
      const Row row = measure(ours, nullptr, f.kind, rounds);
#endif
      points.push_back(row.points), ours_t.push_back(row.ours), peer_t.push_back(row.peer);
      const std::string size = (f.sizes.size() == 3) ? std::to_string(n) + "^3" : std::to_string(n);
      std::printf("%-10s %10s %14.4f %14.4f %12.2f\n", f.kind.c_str(), size.c_str(), 1e3 * row.ours,
                  1e3 * row.peer, row.ratio);
    }
    std::printf("%-10s fitted exponent of time over points: ours %.3f", f.kind.c_str(),
                fitted_exponent(points, ours_t));
#if defined(TARVEL_HAVE_FFTW3F)
    std::printf(", fftw %.3f", fitted_exponent(points, peer_t));
#endif
    std::printf("\n");
  }
}

}  // namespace

// Google Benchmark's own runs first (its flags apply), then the ratio table; --ratio_rounds=N sets
// its rounds and --ratio_rounds=0 leaves it out.
int main(int argc, char** argv) {
  int rounds = kDefaultRounds;
  int kept = 1;
  for (int i = 1; i < argc; ++i) {
    if (std::strncmp(argv[i], "--ratio_rounds=", 15) == 0) {
      rounds = std::atoi(argv[i] + 15);
    } else {
      argv[kept++] = argv[i];
    }
  }
  argc = kept;
  register_benchmarks();
  benchmark::Initialize(&argc, argv);
  if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 1;
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();
  if (rounds > 0) print_ratio_table(rounds);
  return 0;
}
