// Timings of the Fourier transforms on random data: complex and real sequences of 2^10 to 2^20
// points, and the complex and real three-dimensional transforms on cubes of 32 to 128. Each
// iteration is a forward and an inverse transform followed by the exact power-of-two rescaling, so
// the data stay the same size however many iterations run. Where FFTW (single precision) is
// installed, its in-place plans of both kinds (FFTW_ESTIMATE and FFTW_MEASURE, one thread) run the same
// round trips as peers; the shared ratio reporter alternates ours and the peers size by size for
// several rounds (--rounds=N) and gives the median ratios ours / FFTW, then the fitted exponent of time
// over points of each transform.
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

#include "extra_memory.h"
#include "numerics/numerics.h"
#include "ratio_report.h"

#if defined(TARVEL_HAVE_FFTW3F)
#include <fftw3.h>
#endif

namespace {

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
  auto v = std::make_shared<std::vector<float>>(2 * std::size_t{count} + 1);
  fill_random(v->data() + 1, 2 * std::size_t{count});
  return {"complex", static_cast<double>(count), v, [v, count] {
            numerics::fft_complex(v->data(), count, 1);
            numerics::fft_complex(v->data(), count, -1);
            rescale(v->data() + 1, 2 * std::size_t{count}, 1.0f / static_cast<float>(count));
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

Case peer(const std::string& kind, std::uint32_t n, unsigned flags) {
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
    p->forward = fftwf_plan_dft_1d(s, z, z, FFTW_FORWARD, flags);
    p->backward = fftwf_plan_dft_1d(s, z, z, FFTW_BACKWARD, flags);
  } else if (kind == "real") {
    p->forward = fftwf_plan_dft_r2c_1d(s, p->data, z, flags);
    p->backward = fftwf_plan_dft_c2r_1d(s, z, p->data, flags);
  } else if (kind == "multidim") {
    p->forward = fftwf_plan_dft_3d(s, s, s, z, z, FFTW_FORWARD, flags);
    p->backward = fftwf_plan_dft_3d(s, s, s, z, z, FFTW_BACKWARD, flags);
  } else {
    p->forward = fftwf_plan_dft_r2c_3d(s, s, s, p->data, z, flags);
    p->backward = fftwf_plan_dft_c2r_3d(s, s, s, z, p->data, flags);
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

void run_case(benchmark::State& state, const Case& c) {
  const bench_support::ExtraMemory extra(state);
  for (auto _ : state) {
    c.run();
    benchmark::ClobberMemory();
  }
}

// The four transforms by kind and their sizes: lengths for the first two, cube sides for the others.
const char* const kKinds[] = {"complex", "real", "multidim", "real_3d"};
const std::function<Case(std::uint32_t)> kOurs[] = {ours_complex, ours_real, ours_multidim, ours_real_3d};
const std::vector<std::uint32_t> kLengths{1u << 10, 1u << 12, 1u << 14, 1u << 16, 1u << 18, 1u << 20};
const std::vector<std::uint32_t> kSides{32, 64, 128};

// One case of the ratio table: its name (without the "/ours" or "/fftw" of its two runs) and points.
struct Sized {
  std::string name;
  double points;
};
std::vector<Sized> kind_cases[4];

// The cases are made (data filled, plans created) when registered, once for all rounds.
void register_case(const std::string& name, Case c) {
  auto held = std::make_shared<Case>(std::move(c));
  benchmark::RegisterBenchmark(name.c_str(), [held](benchmark::State& state) {
    run_case(state, *held);
  })->Unit(benchmark::kMillisecond);
}

std::vector<std::string> register_benchmarks() {
  std::vector<std::string> cases;
  for (int k = 0; k < 4; ++k) {
    for (std::uint32_t n : k < 2 ? kLengths : kSides) {
      const std::string name =
          std::string("fft ") + kKinds[k] + " " + std::to_string(n) + (k < 2 ? "" : "^3");
      Case ours = kOurs[k](n);
      kind_cases[k].push_back({name, ours.points});
      register_case(name + "/ours", std::move(ours));
#if defined(TARVEL_HAVE_FFTW3F)
      register_case(name + "/fftw", peer(kKinds[k], n, FFTW_ESTIMATE));
      register_case(name + "/fftw_measure", peer(kKinds[k], n, FFTW_MEASURE));
      cases.push_back(name);
#endif
    }
  }
  return cases;
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

// Per transform, the fitted exponent of the median time over points, ours and (when run) the peer's.
void print_exponents(const bench_support::RatioReporter& reporter) {
  std::printf("\n");
  for (int k = 0; k < 4; ++k) {
    std::string line;
    for (const char* side : {"ours", "fftw", "fftw_measure"}) {
      std::vector<double> points, times;
      for (const Sized& c : kind_cases[k]) {
        const auto found = reporter.times.find(c.name + "/" + side);
        if (found == reporter.times.end() || found->second.empty()) continue;
        points.push_back(c.points);
        times.push_back(bench_support::median(found->second));
      }
      if (points.size() < 2) continue;
      char figure[32];
      std::snprintf(figure, sizeof figure, " %s %.3f", side, fitted_exponent(points, times));
      line += figure;
    }
    if (!line.empty()) std::printf("%-10s fitted exponent of time over points:%s\n", kKinds[k], line.c_str());
  }
}

}  // namespace

int main(int argc, char** argv) {
  return bench_support::run_rounds(
      argc, argv, register_benchmarks,
      {bench_support::Peer{"fftw", "FFTW"}, bench_support::Peer{"fftw_measure", "FFTW-M"}}, print_exponents);
}
