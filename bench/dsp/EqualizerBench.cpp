// The live filter (120 sections fitted to a guitar-like curve, 48 kHz, 512-frame blocks) and the
// correction design, each beside the literal implementation it must equal.
#include <benchmark/benchmark.h>

#include <memory>
#include <random>
#include <vector>

#include "engine/Cascade.h"
#include "engine/CorrectionDesign.h"
#include "reference/ReferenceCascade.h"
#include "reference/ReferenceCurves.h"
#include "reference/ReferenceDesign.h"

namespace {

constexpr double kRate = 48000.0;
constexpr int kBlock = 512;

void report_per_sample(benchmark::State& state) {
  state.counters["ns_per_sample"] = benchmark::Counter(
      kBlock * 1e-9, benchmark::Counter::kIsIterationInvariantRate | benchmark::Counter::kInvert);
  state.counters["realtime_x"] =
      benchmark::Counter(kBlock / kRate, benchmark::Counter::kIsIterationInvariantRate);
}

void report_per_run(benchmark::State& state, int iterations) {
  state.counters["ms_per_run"] =
      benchmark::Counter(1e-3, benchmark::Counter::kIsIterationInvariantRate | benchmark::Counter::kInvert);
  state.counters["fit_iterations"] = iterations;
}

Cascade::Coefficients fitted_sections() {
  const reference::Curves c = reference::guitar_curves();
  auto design = std::make_unique<CorrectionDesign>();
  design->fit(c.measured, c.target, c.freq, 120, kRate);
  Cascade::Coefficients k;
  design->build_sections(kRate, k);
  return k;
}

std::vector<double> programme() {
  std::mt19937 rng(5);
  std::normal_distribution<double> n(0.0, 0.1);
  std::vector<double> x(kBlock * 64);
  for (double& v : x) v = n(rng);
  return x;
}

void BM_ProcessEQ(benchmark::State& state) {
  auto cascade = std::make_unique<Cascade>();
  cascade->edit() = fitted_sections();
  cascade->publish();
  const std::vector<double> in = programme();
  std::vector<double> out(kBlock);
  std::size_t pos = 0;
  for (auto _ : state) {
    cascade->process(in.data() + pos, out.data(), kBlock);
    benchmark::DoNotOptimize(out.data());
    pos = (pos + kBlock) % in.size();
  }
  report_per_sample(state);
}
BENCHMARK(BM_ProcessEQ);

// Every block inside a crossfade: a new set (the same sections, the output 1 dB apart) is waiting at
// every block, so the old and the new cascade both run all the time.
void BM_ProcessEQ_Transition(benchmark::State& state) {
  auto cascade = std::make_unique<Cascade>();
  Cascade::Coefficients sets[2] = {fitted_sections(), fitted_sections()};
  sets[1].out_gain *= 1.122;
  cascade->edit() = sets[0];
  cascade->publish();
  const std::vector<double> in = programme();
  std::vector<double> out(kBlock);
  std::size_t pos = 0;
  int which = 1;
  for (auto _ : state) {
    cascade->edit() = sets[which];
    cascade->publish();
    which ^= 1;
    cascade->process(in.data() + pos, out.data(), kBlock);
    benchmark::DoNotOptimize(out.data());
    pos = (pos + kBlock) % in.size();
  }
  report_per_sample(state);
}
BENCHMARK(BM_ProcessEQ_Transition);

// Two channels in one pass; ns_per_sample counts frames, so twice the mono figure is two mono runs.
void BM_ProcessEQ_Stereo(benchmark::State& state) {
  auto cascade = std::make_unique<Cascade>();
  cascade->edit() = fitted_sections();
  cascade->publish();
  const std::vector<double> in = programme();
  std::vector<double> left(kBlock), right(kBlock);
  double* outs[2] = {left.data(), right.data()};
  std::size_t pos = 0;
  for (auto _ : state) {
    const double* ins[2] = {in.data() + pos, in.data() + (pos + kBlock * 7) % in.size()};
    cascade->process(ins, outs, 2, kBlock);
    benchmark::DoNotOptimize(left.data());
    benchmark::DoNotOptimize(right.data());
    pos = (pos + kBlock) % in.size();
  }
  report_per_sample(state);
}
BENCHMARK(BM_ProcessEQ_Stereo);

// Each kernel width alone, for CPUs without the widest vectors (skipped where this CPU lacks it).
void BM_ProcessEQ_Lanes(benchmark::State& state) {
  const int lanes = int(state.range(0));
  const Cascade::Coefficients k = fitted_sections();
  double s1[Cascade::kMaxSections] = {}, s2[Cascade::kMaxSections] = {};
  const std::vector<double> in = programme();
  std::vector<double> out(kBlock);
  if (!Cascade::process_wavefront(lanes, k, s1, s2, in.data(), out.data(), kBlock)) {
    state.SkipWithError("no such kernel on this CPU");
    return;
  }
  std::size_t pos = 0;
  for (auto _ : state) {
    Cascade::process_wavefront(lanes, k, s1, s2, in.data() + pos, out.data(), kBlock);
    benchmark::DoNotOptimize(out.data());
    pos = (pos + kBlock) % in.size();
  }
  report_per_sample(state);
}
BENCHMARK(BM_ProcessEQ_Lanes)->Arg(2)->Arg(4)->Arg(8);

void BM_ProcessEQ_Reference(benchmark::State& state) {
  const Cascade::Coefficients k = fitted_sections();
  reference::CascadeState st;
  const std::vector<double> in = programme();
  std::vector<double> out(kBlock);
  std::size_t pos = 0;
  for (auto _ : state) {
    reference::process_eq(k.a, k.b, k.c, k.out_gain, k.nsections, st, in.data() + pos, out.data(), kBlock);
    benchmark::DoNotOptimize(out.data());
    pos = (pos + kBlock) % in.size();
  }
  report_per_sample(state);
}
BENCHMARK(BM_ProcessEQ_Reference);

void BM_Design(benchmark::State& state) {
  const reference::Curves c = reference::guitar_curves();
  auto design = std::make_unique<CorrectionDesign>();
  Cascade::Coefficients k;
  for (auto _ : state) {
    design->fit(c.measured, c.target, c.freq, 120, kRate);
    design->build_sections(kRate, k);
    benchmark::DoNotOptimize(k.a[0]);
  }
  report_per_run(state, design->iterations());
}
BENCHMARK(BM_Design)->Unit(benchmark::kMillisecond);

void BM_Design_Reference(benchmark::State& state) {
  const reference::Curves c = reference::guitar_curves();
  auto d = std::make_unique<reference::Design>();
  reference::fill_matrix(*d, c.freq, 120, kRate);  // the table is loaded once, at construction
  for (auto _ : state) {
    reference::run(*d, c.measured, c.target, c.freq, 120, kRate);
    benchmark::DoNotOptimize(d->coef_a[0]);
  }
  report_per_run(state, d->iterations);
}
BENCHMARK(BM_Design_Reference)->Unit(benchmark::kMillisecond);

}  // namespace
