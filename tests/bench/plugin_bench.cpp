// Whole plug-in throughput, through the VST 2 entry as a host drives it:
// mono 44.1 kHz noise in host calls of several sizes.  The "realtime"
// counter is seconds of audio processed per CPU second.
#include <benchmark/benchmark.h>

#include <vector>

#include "ZR_main_vst.h"
#include "plugin_host.h"

namespace {

void BM_PluginProcess(benchmark::State& state) {
  const int32_t block = static_cast<int32_t>(state.range(0));
  AEffect* effect = VSTPluginMain(&PluginHost::callback);
  PluginHost host(effect);
  host.start(44100.0f, block);
  const int64_t frames = 44100;  // one second per iteration
  std::vector<float> in(static_cast<size_t>(frames)), out0(in.size()), out1(in.size());
  uint32_t seed = 7;
  for (float& s : in) {
    seed = seed * 1664525u + 1013904223u;
    s = static_cast<int32_t>(seed) / 4294967296.0f;
  }
  for (auto _ : state) {
    host.process(in.data(), out0.data(), out1.data(), frames, block);
    benchmark::DoNotOptimize(out0.data());
  }
  state.counters["realtime"] =
      benchmark::Counter(static_cast<double>(state.iterations()), benchmark::Counter::kIsRate);
}
BENCHMARK(BM_PluginProcess)->Arg(32)->Arg(128)->Arg(512)->Arg(4096)->Unit(benchmark::kMillisecond);

}  // namespace
