// The stage base's per-block work: the crossfade a switching stage leaves
// for the next reader, and a whole switch (shadow copy plus crossfade) as
// `samples` performs it.
#include <benchmark/benchmark.h>

#include <cstdint>
#include <vector>

#include "ZR_effect.h"

namespace {

void BM_Crossfade(benchmark::State& state) {
  const int n = static_cast<int>(state.range(0));
  std::vector<int32_t> main(static_cast<size_t>(n)), shadow(static_cast<size_t>(n));
  for (int j = 0; j < n; ++j) {
    main[static_cast<size_t>(j)] = j * 40503;
    shadow[static_cast<size_t>(j)] = -j * 9973;
  }
  for (auto _ : state) {
    ZR_crossfade(main.data(), shadow.data(), main.data(), n);
    benchmark::DoNotOptimize(main.data());
  }
  state.SetItemsProcessed(state.iterations() * n);
}
BENCHMARK(BM_Crossfade)->Arg(32)->Arg(512)->Arg(4096);

// One stage switching on in a block of n: the writer's `samples` copies the
// main half to the shadow, the reader's `samples` crossfades it back.
void BM_SwitchingBlock(benchmark::State& state) {
  const int n = static_cast<int>(state.range(0));
  ZR_Soundpipe pipe;
  pipe.blockLength = n;
  ZR_Buffer buffer;
  ZR_Effect writer, reader;
  ZR_currentpipe = nullptr;
  for (auto _ : state) {
    buffer.fade = 0;
    writer.on = 1;
    writer.wasOn = 0;
    benchmark::DoNotOptimize(writer.samples(&buffer));
    benchmark::DoNotOptimize(reader.samples(&buffer));
  }
  state.SetItemsProcessed(state.iterations() * n);
}
BENCHMARK(BM_SwitchingBlock)->Arg(512);

}  // namespace
