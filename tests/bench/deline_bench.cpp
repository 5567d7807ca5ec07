// Delay-line throughput: the per-sample kernel on its own, and a whole block
// through the pipe (compiling the program, fetching buffers, the kernel).
#include <benchmark/benchmark.h>

#include <cstdint>
#include <random>
#include <string>
#include <vector>

#include "ZR_deline.h"
#include "bench_command.h"

namespace {

constexpr int kBlock = 512;

// A pipe with an input, `groups` groups of `taps` taps each, every group on
// its own output, some feedback, the input filled with noise.
struct Graph {
  ZR_Soundpipe* pipe = nullptr;
  ZR_Buffer* in = nullptr;
  ZR_Effect_Deline* line = nullptr;

  Graph(int groups, int taps, const char* mode) {
    int32_t began = 0;
    command("ZR_Soundpipe -bl %i -b", &pipe, kBlock, &began);
    command("ZR_Buffer", &in);
    command("ZR_Effect_Deline -i %o -mode %s", &line, in, mode);
    std::vector<ZR_Buffer*> outs(static_cast<size_t>(groups));
    for (ZR_Buffer*& b : outs) command("ZR_Buffer", &b);
    int32_t ended = 0;
    command("%o -e", pipe, &ended);
    std::mt19937 rng(1);
    for (int g = 0; g < groups; ++g) {
      ZR_word group = 0;
      command("%o -g -go %o -ga %f -gf %f", line, &group, outs[static_cast<size_t>(g)], 0.8, 0.2);
      for (int t = 0; t < taps; ++t) {
        ZR_word tap = 0;
        command("%o -d -dt %i -da %f", line, &tap, static_cast<int>(rng() % 20000), 0.2);
      }
    }
    for (int j = 0; j < kBlock; ++j) in->data[j] = static_cast<int32_t>(rng()) >> 2;
  }
  ~Graph() { ZR_Object::deleteAll(); }
};

const char* const kModes[] = {"set", "add"};

void BM_DelineKernel(benchmark::State& state) {
  Graph graph(static_cast<int>(state.range(0)), static_cast<int>(state.range(1)), kModes[state.range(2)]);
  ZR_Effect_Deline* line = graph.line;
  line->prepare();  // compiles the program once
  const ZR_delineKernel kernel = ZR_delineKernels[line->mode];
  for (auto _ : state) {
    kernel(line->memory, &line->writePos, line->program, line->program + line->compiledLength, graph.in->data, kBlock);
    benchmark::ClobberMemory();
  }
  state.SetItemsProcessed(state.iterations() * kBlock);
  state.counters["ns/sample"] =
      benchmark::Counter(static_cast<double>(state.iterations()) * kBlock, benchmark::Counter::kIsRate | benchmark::Counter::kInvert);
}
BENCHMARK(BM_DelineKernel)
    ->ArgNames({"groups", "taps", "add"})
    ->Args({2, 4, 0})
    ->Args({2, 4, 1})
    ->Args({1, 1, 0})
    ->Args({4, 8, 0});

void BM_DelinePipeBlock(benchmark::State& state) {
  Graph graph(static_cast<int>(state.range(0)), static_cast<int>(state.range(1)), "set");
  for (auto _ : state) {
    graph.pipe->process();
    benchmark::ClobberMemory();
  }
  state.SetItemsProcessed(state.iterations() * kBlock);
  state.counters["ns/sample"] =
      benchmark::Counter(static_cast<double>(state.iterations()) * kBlock, benchmark::Counter::kIsRate | benchmark::Counter::kInvert);
}
BENCHMARK(BM_DelinePipeBlock)->ArgNames({"groups", "taps"})->Args({2, 4})->Args({4, 8});

}  // namespace
