// Spectral processing throughput: one 1024-point transform (kernel alone,
// and the whole stage with gathering, forward and backward), and one block
// of the noise gate, the product's hot path.
#include <benchmark/benchmark.h>

#include <cstdint>
#include <cstring>
#include <random>
#include <string>
#include <vector>

#include "ZR_fourier.h"
#include "bench_command.h"

namespace {

constexpr int kBlock = 512;

// The plug-in's graph: input -> forward transform -> gate -> two backward
// transforms, with noise in the input and thresholds learnt on it.
struct Graph {
  ZR_Soundpipe* pipe = nullptr;
  ZR_Buffer* in = nullptr;
  ZR_Fourier_Transform* forward = nullptr;
  ZR_Fourier_Noisegate* gate = nullptr;
  ZR_Buffer* out1 = nullptr;
  ZR_Buffer* out2 = nullptr;
  ZR_Fourier_Transform* backward1 = nullptr;
  ZR_Fourier_Transform* backward2 = nullptr;

  Graph() {
    int32_t began = 0, ended = 0;
    command("ZR_Soundpipe -bl %i -b", &pipe, kBlock, &began);
    command("ZR_Buffer", &in);
    command("ZR_Fourier_Transform -i %o -s 9", &forward, in);
    command("ZR_Fourier_Noisegate -i %o -s %o", &gate, forward->output, in);
    command("ZR_Fourier_Noisegate %o -o1", gate, &out1);
    command("ZR_Fourier_Noisegate %o -o2", gate, &out2);
    command("ZR_Fourier_Transform -i %o -s 9 -d backward", &backward1, out1);
    command("ZR_Fourier_Transform -i %o -s 9 -d backward", &backward2, out2);
    command("%o -e", pipe, &ended);
    std::mt19937 rng(1);
    for (int j = 0; j < kBlock; ++j) in->data[j] = static_cast<int32_t>(rng()) >> 3;
    command("%o -a 1", gate);
    for (int b = 0; b < 8; ++b) run();
    command("%o -a 0", gate);
    gate->level = 0.5;
  }
  ~Graph() { ZR_Object::deleteAll(); }

  void run() {
    forward->process();
    gate->process();
    backward1->process();
    backward2->process();
  }
};

// The forward kernel alone on 1024 points in bit-reversed order.
void BM_FourierKernel(benchmark::State& state) {
  const bool backward = state.range(0) != 0;
  std::mt19937 rng(2);
  std::vector<int32_t> source(2048), data(2048);
  for (int32_t& v : source) v = static_cast<int32_t>(rng()) >> (backward ? 12 : 1);
  for (auto _ : state) {
    std::memcpy(data.data(), source.data(), sizeof(int32_t) * data.size());
    if (backward)
      ZR_Fourier_Transform::backwardKernel(data.data(), 9);
    else
      ZR_Fourier_Transform::forwardKernel(data.data(), 9);
    benchmark::DoNotOptimize(data.data());
    benchmark::ClobberMemory();
  }
  state.SetItemsProcessed(state.iterations());
}
BENCHMARK(BM_FourierKernel)->ArgName("backward")->Arg(0)->Arg(1);

// One stage call: gathering (history ring, window, bit reversal) and kernel.
void BM_FourierStage(benchmark::State& state) {
  Graph graph;
  static const char* const kinds[] = {"forward", "analysis (sin window)", "backward"};
  ZR_Fourier_Transform* t = state.range(0) == 0   ? graph.forward
                            : state.range(0) == 1 ? graph.gate->analysis
                                                  : graph.backward1;
  state.SetLabel(kinds[state.range(0)]);
  for (auto _ : state) {
    t->process();
    benchmark::ClobberMemory();
  }
  state.SetItemsProcessed(state.iterations());
}
BENCHMARK(BM_FourierStage)->ArgName("kind")->Arg(0)->Arg(1)->Arg(2);

// One gate block of 512 samples: delay line, five transforms, the gains
// and the two filtered spectra.
void BM_NoisegateBlock(benchmark::State& state) {
  Graph graph;
  for (auto _ : state) {
    graph.gate->process();
    benchmark::ClobberMemory();
  }
  state.SetItemsProcessed(state.iterations() * kBlock);
  state.counters["ns/sample"] = benchmark::Counter(static_cast<double>(state.iterations()) * kBlock,
                                                   benchmark::Counter::kIsRate | benchmark::Counter::kInvert);
}
BENCHMARK(BM_NoisegateBlock);

// The plug-in's whole chain for one block: forward, gate, two backward.
void BM_NoisegateChain(benchmark::State& state) {
  Graph graph;
  for (auto _ : state) {
    graph.run();
    benchmark::ClobberMemory();
  }
  state.SetItemsProcessed(state.iterations() * kBlock);
  state.counters["ns/sample"] = benchmark::Counter(static_cast<double>(state.iterations()) * kBlock,
                                                   benchmark::Counter::kIsRate | benchmark::Counter::kInvert);
}
BENCHMARK(BM_NoisegateChain);

}  // namespace
