#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <vector>

#include "ZR_fourier.h"
#include "ZR_main_vst.h"
#include "plugin_host.h"

namespace {

// A plug-in loaded through its exported entry, as a host loads it.
class Plugin : public ::testing::Test {
 protected:
  void SetUp() override {
    AEffect* effect = VSTPluginMain(&PluginHost::callback);
    ASSERT_NE(effect, nullptr);
    host_.reset(new PluginHost(effect));
    host_->start(44100.0f, 512);
  }
  void TearDown() override {
    if (host_) {
      EXPECT_EQ(host_->close(), 1);
    }
    host_.reset();
    EXPECT_EQ(ZR_Object::liveCount(), 0);  // teardown deleted the whole graph
  }
  ZR_Main_Vst& plugin() { return *static_cast<ZR_Main_Vst*>(host_->effect()->object); }
  ZR_Application& app() { return plugin().application(); }
  std::vector<float> run(const std::vector<float>& in, int32_t block, std::vector<float>* second = nullptr) {
    std::vector<float> out0(in.size()), out1(in.size());
    host_->process(in.data(), out0.data(), out1.data(), static_cast<int64_t>(in.size()), block);
    EXPECT_EQ(out0, out1);
    if (second) *second = out1;
    return out0;
  }
  std::unique_ptr<PluginHost> host_;
};

TEST_F(Plugin, WhatTheHostSees) {
  AEffect* e = host_->effect();
  EXPECT_EQ(e->magic, kEffectMagic);
  EXPECT_EQ(e->numInputs, 1);
  EXPECT_EQ(e->numOutputs, 2);
  EXPECT_EQ(e->numPrograms, 1);
  EXPECT_EQ(e->numParams, 2);
  EXPECT_EQ(e->uniqueID, 942750006);
  EXPECT_EQ(e->flags & 0x30, 0x30);  // replacing, program chunks
  EXPECT_EQ(e->flags & 0x1, 0);      // no editor until the editor exists
  EXPECT_EQ(e->initialDelay, 0);
  EXPECT_EQ(host_->text(effGetProgramName), "Default program");
  char name[] = "Mine";
  host_->dispatch(effSetProgramName, 0, 0, name);
  EXPECT_EQ(host_->text(effGetProgramName), "Default program");
  EXPECT_EQ(host_->text(effGetEffectName), "Zuver Aduz");
  EXPECT_EQ(host_->text(effGetProductString), std::string(ZR_Main_Vst::kVendor) + " Zuver Aduz");
  EXPECT_EQ(host_->dispatch(effGetVendorVersion), 1000);
  EXPECT_EQ(host_->dispatch(effGetPlugCategory), 1);
  EXPECT_EQ(host_->text(effGetProgramNameIndexed, 3), "Default program");
}

TEST_F(Plugin, ParameterMappingsAndTexts) {
  const struct {
    int index;
    float hostValue;
    float reported;
    const char* display;
  } cases[] = {
      {0, 0.5f, 0.0f, "Off"},   {0, 0.51f, 1.0f, "On"},      {0, 0.0f, 0.0f, "Off"},
      {0, 0.75f, 1.0f, "On"},   {1, 0.25f, 0.25f, "0.25000"}, {1, 1.0f, 1.0f, "1.00000"},
      {1, 0.0f, 0.0f, "0.00000"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.hostValue);
    host_->setParameter(c.index, c.hostValue);
    EXPECT_EQ(host_->parameter(c.index), c.reported);
    EXPECT_EQ(host_->text(effGetParamDisplay, c.index), c.display);
  }
  EXPECT_EQ(host_->text(effGetParamName, 0), "State");
  EXPECT_EQ(host_->text(effGetParamName, 1), "Level");
  EXPECT_EQ(host_->text(effGetParamLabel, 0), "On/Off");
  EXPECT_EQ(host_->text(effGetParamLabel, 1), "");
  host_->setParameter(1, 0.25f);
  EXPECT_EQ(app().gate->level, 0.25);
  // Turning State off switches the graph stages off.
  host_->setParameter(0, 0.0f);
  EXPECT_EQ(app().gate->on, 0);
  EXPECT_EQ(app().forward->on, 0);
  host_->setParameter(0, 1.0f);
  EXPECT_EQ(app().backward2->on, 1);
}

TEST_F(Plugin, FreshChunkAndRoundTrip) {
  std::vector<uint8_t> chunk = host_->chunk();
  ASSERT_EQ(chunk.size(), 2060u);
  for (int i = 0; i < 513 * 4; ++i) ASSERT_EQ(chunk[static_cast<size_t>(i)], 0) << i;
  int32_t on;
  uint32_t levelBits;
  std::memcpy(&on, &chunk[2052], 4);
  std::memcpy(&levelBits, &chunk[2056], 4);
  EXPECT_EQ(on, 1);
  EXPECT_EQ(levelBits, 0u);

  // A state with thresholds, State off and Level 0.5.
  std::vector<uint8_t> saved(2060, 0);
  for (int32_t j = 0; j < 513; ++j) {
    int32_t t = j * 1000 + 7;
    std::memcpy(&saved[static_cast<size_t>(4 * j)], &t, 4);
  }
  float half = 0.5f;
  std::memcpy(&saved[2056], &half, 4);
  EXPECT_TRUE(host_->setChunk(saved));
  EXPECT_EQ(host_->chunk(), saved);
  EXPECT_EQ(host_->parameter(0), 0.0f);
  EXPECT_EQ(host_->parameter(1), 0.5f);
  EXPECT_EQ(app().gate->on, 0);
  EXPECT_EQ(app().gate->level, 0.5);

  // Wrong sizes are refused and leave the state alone.
  for (size_t size : {size_t(0), size_t(2056), size_t(2064), size_t(4)}) {
    std::vector<uint8_t> bad(size, 0xAB);
    EXPECT_EQ(host_->dispatch(effSetChunk, 0, static_cast<intptr_t>(bad.size()), bad.data()), 0) << size;
  }
  EXPECT_EQ(host_->chunk(), saved);
}

TEST_F(Plugin, StateOffPassesTheInputThroughConverted) {
  host_->setParameter(0, 0.0f);
  std::vector<float> in = {0.25f, -2.0f, 0.5f, NAN, 1.0f, 3.0f, -1.0f, 1e-12f};
  std::vector<float> out = run(in, 512);
  std::vector<float> want = {0.25f, -1.0f, 0.5f, -1.0f, 1.0f, 1.0f, -1.0f, 0.0f};
  EXPECT_EQ(out, want);
  EXPECT_EQ(app().input->data[1], INT32_MIN);
  EXPECT_EQ(app().input->data[2], 1073741824);
  EXPECT_EQ(app().input->data[4], INT32_MAX);
}

TEST_F(Plugin, ChunkingAndMeterCounter) {
  host_->setParameter(0, 0.0f);
  std::vector<float> in(1300, 0.125f);
  int before = app().blockCounter;
  std::vector<float> out0(1300), out1(1300);
  float* inputs[1] = {in.data()};
  float* outputs[2] = {out0.data(), out1.data()};
  host_->effect()->processReplacing(host_->effect(), inputs, outputs, 1300);
  EXPECT_EQ(app().blockCounter, (before + 1) % 8);
  EXPECT_EQ(out0, in);
  host_->effect()->processReplacing(host_->effect(), inputs, outputs, 0);
  EXPECT_EQ(app().blockCounter, (before + 2) % 8);
}

TEST_F(Plugin, ImpulseThroughZeroThresholdsComesOut511Later) {
  for (int32_t block : {512, 441, 32}) {
    SCOPED_TRACE(block);
    host_->dispatch(effOpen);
    std::vector<float> in(6000, 0.0f);
    const size_t at = 2100;
    in[at] = 0.5f;
    std::vector<float> out = run(in, block);
    EXPECT_NEAR(out[at + 511], 0.5f, 5e-6f);  // the fixed-point scale of the transforms
    for (size_t i = 0; i < out.size(); ++i)
      if (i != at + 511) {
        ASSERT_LT(std::fabs(out[i]), 1e-6f) << i;
      }
  }
}

TEST_F(Plugin, ShortChunksDelayTheSignalBy513Samples) {
  // The gate's delayed signal must hold, for each chunk of n samples, the
  // n input samples from 513 earlier, whatever the host's block size.
  for (int32_t block : {441, 100, 32}) {
    SCOPED_TRACE(block);
    host_->dispatch(effOpen);
    std::vector<float> in(5 * 441 + 37);
    for (size_t i = 0; i < in.size(); ++i) in[i] = static_cast<float>((i * 37) % 1000) / 1024.0f;
    run(in, block);
    const size_t total = in.size();
    const size_t n = total % static_cast<size_t>(block) ? total % static_cast<size_t>(block) : static_cast<size_t>(block);
    ASSERT_EQ(app().gate->delayed->blockLength(), static_cast<int32_t>(n));
    for (size_t j = 0; j < n; ++j) {
      // The delay line's tap (amplitude 2^31 - 1) and group gain (2^23 - 1),
      // each rounding toward minus infinity.
      int64_t x = static_cast<int64_t>(in[total - n + j - 513] * 2147483648.0f);
      int64_t tap = (x * 2147483647) >> 31;
      ASSERT_EQ(app().gate->delayed->data[j], static_cast<int32_t>((tap * 8388607) >> 23)) << j;
    }
  }
}

TEST_F(Plugin, LearningRaisesThresholdsAndOpenClearsThem) {
  EXPECT_EQ(host_->dispatch(effVendorSpecific, ZR_Main_Vst::LEARN_SELECTOR, 1), 1);
  EXPECT_EQ(app().gate->adapt, 1);
  std::vector<float> noise(44100);
  uint32_t seed = 12345;
  for (float& s : noise) {
    seed = seed * 1664525u + 1013904223u;
    s = (static_cast<int32_t>(seed) / 2147483648.0f) * 0.05f;
  }
  run(noise, 512);
  std::vector<uint8_t> learnt = host_->chunk();
  int nonzero = 0;
  for (int j = 0; j < 513; ++j) {
    int32_t t;
    std::memcpy(&t, &learnt[static_cast<size_t>(4 * j)], 4);
    if (t > 0) ++nonzero;
  }
  EXPECT_GT(nonzero, 500);
  // Learnt noise is gated: the same noise comes out much quieter.
  EXPECT_EQ(host_->dispatch(effVendorSpecific, ZR_Main_Vst::LEARN_SELECTOR, 0), 1);
  EXPECT_EQ(app().gate->adapt, 0);
  std::vector<float> out = run(noise, 512);
  double inEnergy = 0, outEnergy = 0;
  for (size_t i = 22050; i < noise.size(); ++i) {
    inEnergy += noise[i] * noise[i];
    outEnergy += out[i] * out[i];
  }
  EXPECT_LT(outEnergy, inEnergy * 0.1);

  host_->dispatch(effOpen);
  std::vector<uint8_t> cleared = host_->chunk();
  EXPECT_EQ(std::vector<uint8_t>(cleared.begin(), cleared.begin() + 2052), std::vector<uint8_t>(2052, 0));
  // A state restored after opening survives.
  EXPECT_TRUE(host_->setChunk(learnt));
  EXPECT_EQ(host_->chunk(), learnt);
}

TEST_F(Plugin, RestoringStateKeepsTheLearnSwitch) {
  host_->dispatch(effVendorSpecific, ZR_Main_Vst::LEARN_SELECTOR, 1);
  std::vector<uint8_t> state = host_->chunk();
  EXPECT_TRUE(host_->setChunk(state));
  EXPECT_EQ(app().gate->adapt, 1);
  EXPECT_EQ(app().learn.asInt(), 1);
}

TEST(PluginEntry, RefusesAHostThatDoesNotAnswer) {
  struct Silent {
    static intptr_t VSTCALLBACK callback(AEffect*, int32_t, int32_t, intptr_t, void*, float) { return 0; }
  };
  EXPECT_EQ(VSTPluginMain(&Silent::callback), nullptr);
  EXPECT_EQ(ZR_Object::liveCount(), 0);
}

TEST(PluginClock, SampleRateReachesEveryStage) {
  AEffect* effect = VSTPluginMain(&PluginHost::callback);
  ASSERT_NE(effect, nullptr);
  PluginHost host(effect);
  host.dispatch(effSetSampleRate, 0, 0, nullptr, 48000.9f);
  ZR_Application& app = static_cast<ZR_Main_Vst*>(effect->object)->application();
  EXPECT_EQ(app.clock, 48000);
  int stages = 0;
  ZR_CHAIN_FOR(ZR_Effect, stage, app.pipe->stages) {
    EXPECT_EQ(stage->clock, 48000);
    ++stages;
  }
  EXPECT_EQ(stages, 10);  // 4 of the application, 6 inside the gate
  testing::internal::CaptureStdout();
  EXPECT_EQ(host.close(), 1);
  EXPECT_EQ(testing::internal::GetCapturedStdout(), "");
}

}  // namespace
