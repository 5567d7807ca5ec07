#include <gtest/gtest.h>

#include <atomic>
#include <cmath>
#include <thread>
#include <vector>

#include "ZR_main_vst.h"
#include "plugin_host.h"

namespace {

// The host's audio thread processes while another host thread automates
// both parameters, switches learning and reads parameter texts.  Nothing
// may crash, every output stays finite, and each parameter ends in a value
// one of the writers stored (no torn words).  Run under ThreadSanitizer in
// the thread-checking build.
TEST(PluginThreads, ParameterChangesWhileProcessing) {
  AEffect* effect = VSTPluginMain(&PluginHost::callback);
  ASSERT_NE(effect, nullptr);
  PluginHost host(effect);
  host.start(44100.0f, 512);

  std::atomic<bool> done{false};
  std::thread automation([&] {
    char text[64];
    for (int i = 0; !done.load(); ++i) {
      effect->setParameter(effect, 0, (i & 1) ? 1.0f : 0.0f);
      effect->setParameter(effect, 1, static_cast<float>(i % 11) / 10.0f);
      effect->dispatcher(effect, effVendorSpecific, ZR_Main_Vst::LEARN_SELECTOR, i & 2, nullptr, 0.0f);
      effect->dispatcher(effect, effGetParamDisplay, i & 1, 0, text, 0.0f);
      (void)effect->getParameter(effect, 1);
      std::this_thread::yield();
    }
  });

  std::vector<float> in(512), out0(512), out1(512);
  uint32_t seed = 1;
  bool finite = true;
  for (int block = 0; block < 300; ++block) {
    for (float& s : in) {
      seed = seed * 1664525u + 1013904223u;
      s = static_cast<int32_t>(seed) / 4294967296.0f;
    }
    float* inputs[1] = {in.data()};
    float* outputs[2] = {out0.data(), out1.data()};
    effect->processReplacing(effect, inputs, outputs, 512);
    for (float v : out0) finite = finite && std::isfinite(v);
  }
  done = true;
  automation.join();
  EXPECT_TRUE(finite);

  float state = host.parameter(0), level = host.parameter(1);
  EXPECT_TRUE(state == 0.0f || state == 1.0f);
  bool known = false;
  for (int k = 0; k <= 10; ++k) known = known || level == static_cast<float>(k) / 10.0f;
  EXPECT_TRUE(known) << level;
}

}  // namespace
