// The wrappers of the host callback: what each sends, what it makes of the
// host's answer, and its fallback when the host answers 0 or is missing.
#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

#include "vst_test_support.h"

using namespace vsttest;

namespace {

// A non-zero answer whose low byte is zero, so a wrapper that looks at the
// low byte only would be caught.
constexpr intptr_t kAnswer = 0x7700;
void* const P = ptrTarget;

struct Wrapper {
  const char* name;
  std::function<intptr_t(RecordingEffect&)> call;
  // What reaches the host; sends = false when nothing may be sent.
  bool sends;
  int32_t opcode;
  int32_t index;
  intptr_t value;
  void* ptr;
  float opt;
  // The wrapper's result when the host answers kAnswer, when it answers 0,
  // and without a host.
  intptr_t withAnswer;
  intptr_t withZero;
  intptr_t withoutHost;
};

template <class T>
intptr_t asInt(T v) {
  if constexpr (std::is_pointer_v<T>)
    return reinterpret_cast<intptr_t>(v);
  else
    return static_cast<intptr_t>(v);
}

#define CALL(expr) [](RecordingEffect& e) { return asInt(e.expr); }
#define CALL_VOID(expr) [](RecordingEffect& e) { e.expr; return intptr_t(0); }

const std::vector<Wrapper> kWrappers = {
    {"setParameterAutomated", CALL_VOID(setParameterAutomated(3, 0.5f)), true, 0, 3, 0, nullptr, 0.5f, 0, 0, 0},
    {"getMasterVersion", CALL(getMasterVersion()), true, 1, 0, 0, nullptr, 0, kAnswer, 1, 1},
    {"getCurrentUniqueId", CALL(getCurrentUniqueId()), true, 2, 0, 0, nullptr, 0, kAnswer, 0, 0},
    {"masterIdle", CALL_VOID(masterIdle()), true, 3, 0, 0, nullptr, 0, 0, 0, 0},
    {"isInputConnected", CALL(isInputConnected(3)), true, 4, 3, 0, nullptr, 0, 0, 1, 1},
    {"isOutputConnected", CALL(isOutputConnected(3)), true, 4, 3, 1, nullptr, 0, 0, 1, 1},
    {"wantEvents", CALL_VOID(wantEvents(9)), true, 6, 0, 9, nullptr, 0, 0, 0, 0},
    {"getTimeInfo", CALL(getTimeInfo(9)), true, 7, 0, 9, nullptr, 0, kAnswer, 0, 0},
    {"tempoAt", CALL(tempoAt(9)), true, 10, 0, 9, nullptr, 0, kAnswer, 0, 0},
    {"getNumAutomatableParameters", CALL(getNumAutomatableParameters()), true, 11, 0, 0, nullptr, 0, kAnswer, 0, 0},
    {"getParameterQuantization", CALL(getParameterQuantization()), true, 12, 0, 0, nullptr, 0, kAnswer, 0, 0},
    {"ioChanged", CALL(ioChanged()), true, 13, 0, 0, nullptr, 0, 1, 0, 0},
    {"needIdle", CALL(needIdle()), true, 14, 0, 0, nullptr, 0, 1, 0, 0},
    {"sizeWindow", CALL(sizeWindow(180, 183)), true, 15, 180, 183, nullptr, 0, 1, 0, 0},
    {"updateSampleRate", CALL(updateSampleRate()), true, 16, 0, 0, nullptr, 0, kAnswer, 44100, 44100},
    {"updateBlockSize", CALL(updateBlockSize()), true, 17, 0, 0, nullptr, 0, kAnswer, 1024, 1024},
    {"getInputLatency", CALL(getInputLatency()), true, 18, 0, 0, nullptr, 0, kAnswer, 0, 0},
    {"getOutputLatency", CALL(getOutputLatency()), true, 19, 0, 0, nullptr, 0, kAnswer, 0, 0},
    {"getPreviousPlug", CALL(getPreviousPlug(3)), true, 20, 0, 0, nullptr, 0, kAnswer, 0, 0},
    {"getNextPlug", CALL(getNextPlug(3)), true, 21, 0, 0, nullptr, 0, kAnswer, 0, 0},
    {"willProcessReplacing", CALL(willProcessReplacing()), true, 22, 0, 0, nullptr, 0, kAnswer, 0, 0},
    {"getCurrentProcessLevel", CALL(getCurrentProcessLevel()), true, 23, 0, 0, nullptr, 0, kAnswer, 0, 0},
    {"getAutomationState", CALL(getAutomationState()), true, 24, 0, 0, nullptr, 0, kAnswer, 0, 0},
    {"offlineStart", CALL(offlineStart(P, 4, 6)), true, 25, 6, 4, P, 0, 1, 0, 0},
    {"offlineRead", CALL(offlineRead(P, 4, true)), true, 26, 1, 4, P, 0, 1, 0, 0},
    {"offlineRead source off", CALL(offlineRead(P, 4, false)), true, 26, 0, 4, P, 0, 1, 0, 0},
    {"offlineWrite", CALL(offlineWrite(P, 4)), true, 27, 0, 4, P, 0, 1, 0, 0},
    {"offlineGetCurrentPass", CALL(offlineGetCurrentPass()), true, 28, 0, 0, nullptr, 0, 1, 0, 0},
    {"offlineGetCurrentMetaPass", CALL(offlineGetCurrentMetaPass()), true, 29, 0, 0, nullptr, 0, 1, 0, 0},
    {"setOutputSamplerate", CALL_VOID(setOutputSamplerate(22050.0f)), true, 30, 0, 0, nullptr, 22050.0f, 0, 0, 0},
    {"getOutputSpeakerArrangement", CALL(getOutputSpeakerArrangement()), true, 31, 0, 0, nullptr, 0, kAnswer, 0, 0},
    {"getHostVendorString", CALL(getHostVendorString(ptrTarget)), true, 32, 0, 0, P, 0, 1, 0, 0},
    {"getHostProductString", CALL(getHostProductString(ptrTarget)), true, 33, 0, 0, P, 0, 1, 0, 0},
    {"getHostVendorVersion", CALL(getHostVendorVersion()), true, 34, 0, 0, nullptr, 0, kAnswer, 0, 0},
    {"hostVendorSpecific", CALL(hostVendorSpecific(3, 4, P, 0.5f)), true, 35, 3, 4, P, 0.5f, kAnswer, 0, 0},
    {"canHostDo", CALL(canHostDo(ptrTarget)), true, 37, 0, 0, P, 0, 1, 0, 0},
    {"getHostLanguage", CALL(getHostLanguage()), true, 38, 0, 0, nullptr, 0, kAnswer, 0, 0},
    {"openWindow", CALL(openWindow(P)), true, 39, 0, 0, P, 0, kAnswer, 0, 0},
    {"closeWindow", CALL(closeWindow(P)), true, 40, 0, 0, P, 0, 1, 0, 0},
    {"getDirectory", CALL(getDirectory()), true, 41, 0, 0, nullptr, 0, kAnswer, 0, 0},
    {"updateDisplay", CALL(updateDisplay()), true, 42, 0, 0, nullptr, 0, 1, 0, 0},
    {"beginEdit", CALL(beginEdit(3)), true, 43, 3, 0, nullptr, 0, 1, 0, 0},
    {"endEdit", CALL(endEdit(3)), true, 44, 3, 0, nullptr, 0, 1, 0, 0},
    {"openFileSelector", CALL(openFileSelector(P)), true, 45, 0, 0, P, 0, 1, 0, 0},
    {"openFileSelector null", CALL(openFileSelector(nullptr)), false, 0, 0, 0, nullptr, 0, 0, 0, 0},
    {"closeFileSelector", CALL(closeFileSelector(P)), true, 46, 0, 0, P, 0, 1, 0, 0},
    {"closeFileSelector null", CALL(closeFileSelector(nullptr)), false, 0, 0, 0, nullptr, 0, 0, 0, 0},
    {"getChunkFile", CALL(getChunkFile(P)), true, 48, 0, 0, P, 0, 1, 0, 0},
    {"getChunkFile null", CALL(getChunkFile(nullptr)), false, 0, 0, 0, nullptr, 0, 0, 0, 0},
    {"getInputSpeakerArrangement", CALL(getInputSpeakerArrangement()), true, 49, 0, 0, nullptr, 0, kAnswer, 0, 0},
};

#undef CALL
#undef CALL_VOID

TEST(VstHostWrappers, SendTheirOpcodeAndArguments) {
  for (const Wrapper& w : kWrappers) {
    TestHost::reset(kAnswer);
    RecordingEffect effect(TestHost::callback);
    EXPECT_EQ(w.call(effect), w.withAnswer) << w.name;
    if (!w.sends) {
      EXPECT_TRUE(TestHost::calls.empty()) << w.name;
      continue;
    }
    ASSERT_EQ(TestHost::calls.size(), 1u) << w.name;
    const HostCall& c = TestHost::calls[0];
    EXPECT_EQ(c.effect, effect.getAeffect()) << w.name;
    EXPECT_EQ(c.opcode, w.opcode) << w.name;
    EXPECT_EQ(c.index, w.index) << w.name;
    EXPECT_EQ(c.value, w.value) << w.name;
    EXPECT_EQ(c.ptr, w.ptr) << w.name;
    EXPECT_EQ(c.opt, w.opt) << w.name;
  }
}

TEST(VstHostWrappers, FallBackWhenTheHostAnswersZero) {
  for (const Wrapper& w : kWrappers) {
    TestHost::reset(0);
    RecordingEffect effect(TestHost::callback);
    EXPECT_EQ(w.call(effect), w.withZero) << w.name;
    EXPECT_EQ(TestHost::calls.size(), w.sends ? 1u : 0u) << w.name;
  }
}

TEST(VstHostWrappers, FallBackWithoutAHost) {
  for (const Wrapper& w : kWrappers) {
    TestHost::reset(kAnswer);
    RecordingEffect effect(nullptr);
    EXPECT_EQ(w.call(effect), w.withoutHost) << w.name;
  }
  EXPECT_TRUE(TestHost::calls.empty());
}

// setParameterAutomated changes the parameter first, with or without a host.
TEST(VstHostWrappers, SetParameterAutomatedSetsTheParameterFirst) {
  for (bool withHost : {true, false}) {
    TestHost::reset(0);
    events().clear();
    RecordingEffect effect(withHost ? TestHost::callback : nullptr);
    effect.setParameterAutomated(1, 0.75f);
    EXPECT_EQ(events(), std::vector<std::string>{"setParameter(1,0.75)"});
    EXPECT_EQ(TestHost::calls.size(), withHost ? 1u : 0u);
  }
}

// Only positive answers change the sample rate and block size.
TEST(VstHostWrappers, UpdateSampleRateAndBlockSizeKeepTheirValueOnNonPositiveAnswers) {
  struct UpdateCase {
    intptr_t answer;
    double rate;
    int32_t block;
  };
  for (UpdateCase u : {UpdateCase{48000, 48000.0, 48000}, UpdateCase{-5, 44100.0, 1024},
                       UpdateCase{0, 44100.0, 1024}, UpdateCase{1, 1.0, 1}}) {
    TestHost::reset(u.answer);
    MinimalEffect effect(TestHost::callback);
    EXPECT_EQ(effect.updateSampleRate(), u.rate) << u.answer;
    EXPECT_EQ(effect.getSampleRate(), static_cast<float>(u.rate)) << u.answer;
    EXPECT_EQ(effect.updateBlockSize(), u.block) << u.answer;
    EXPECT_EQ(effect.getBlockSize(), u.block) << u.answer;
  }
}

}  // namespace
