// The VST entry, the AEffect record, its static entries and the defaults of
// AudioEffect, AudioEffectX and AEffEditor.
#include <gtest/gtest.h>

#include <cstring>
#include <new>
#include <string>
#include <vector>

#include "vst_test_support.h"

using namespace vsttest;

namespace {

using Events = std::vector<std::string>;

int factoryCalls = 0;
audioMasterCallback factoryHost = nullptr;

AudioEffect* makeMinimal(audioMasterCallback host) {
  ++factoryCalls;
  factoryHost = host;
  return new MinimalEffect(host);
}

AudioEffect* makeNothing(audioMasterCallback) {
  ++factoryCalls;
  return nullptr;
}

AudioEffect* makeThrowing(audioMasterCallback) {
  ++factoryCalls;
  throw std::bad_alloc();
}

class VstTest : public ::testing::Test {
 protected:
  void SetUp() override {
    TestHost::reset(0);
    events().clear();
    factoryCalls = 0;
    factoryHost = nullptr;
  }
};

// ------------------------------------------------------------------ entry

using VstEntry = VstTest;

TEST_F(VstEntry, RefusesWhenTheHostDoesNotAnswerItsVersion) {
  TestHost::reset(0);
  EXPECT_EQ(VSTPluginEntry(TestHost::callback, makeMinimal), nullptr);
  EXPECT_EQ(factoryCalls, 0);
  ASSERT_EQ(TestHost::calls.size(), 1u);
  const HostCall& c = TestHost::calls[0];
  EXPECT_EQ(c.effect, nullptr);
  EXPECT_EQ(c.opcode, audioMasterVersion);
  EXPECT_EQ(c.index, 0);
  EXPECT_EQ(c.value, 0);
  EXPECT_EQ(c.ptr, nullptr);
  EXPECT_EQ(c.opt, 0.0f);
}

TEST_F(VstEntry, CreatesTheEffectAndHandsOverItsRecord) {
  TestHost::reset(2400);
  AEffect* e = VSTPluginEntry(TestHost::callback, makeMinimal);
  ASSERT_NE(e, nullptr);
  EXPECT_EQ(factoryCalls, 1);
  EXPECT_EQ(factoryHost, TestHost::callback);
  ASSERT_EQ(TestHost::calls.size(), 1u);
  EXPECT_EQ(TestHost::calls[0].opcode, audioMasterVersion);
  EXPECT_EQ(TestHost::calls[0].effect, nullptr);

  auto* effect = static_cast<MinimalEffect*>(e->object);
  EXPECT_EQ(effect->getAeffect(), e);
  EXPECT_EQ(effect->host(), TestHost::callback);

  // effClose through the record: close, then the object is gone, answer 1.
  EXPECT_EQ(e->dispatcher(e, effClose, 0, 0, nullptr, 0.0f), 1);
  EXPECT_EQ(events(), (Events{"close()", "~MinimalEffect"}));
}

TEST_F(VstEntry, NoHostOrNoObjectGivesNull) {
  EXPECT_EQ(VSTPluginEntry(nullptr, makeMinimal), nullptr);
  EXPECT_EQ(factoryCalls, 0);
  TestHost::reset(1);
  EXPECT_EQ(VSTPluginEntry(TestHost::callback, makeNothing), nullptr);
  EXPECT_EQ(VSTPluginEntry(TestHost::callback, makeThrowing), nullptr);
  EXPECT_EQ(factoryCalls, 2);
}

// The exported entry and the _MAIN forwarder ask the same question and take
// the same refusal; nothing is created.
TEST_F(VstEntry, ExportedEntriesRefuseWithoutAVersion) {
  for (auto entry : {&VSTPluginMain, &VSTPluginMainForward}) {
    TestHost::reset(0);
    EXPECT_EQ(entry(TestHost::callback), nullptr);
    ASSERT_EQ(TestHost::calls.size(), 1u);
    EXPECT_EQ(TestHost::calls[0].effect, nullptr);
    EXPECT_EQ(TestHost::calls[0].opcode, audioMasterVersion);
  }
}

// ---------------------------------------------------------------- AEffect

using VstRecord = VstTest;

TEST_F(VstRecord, FieldsOfAFreshEffect) {
  TestHost::reset(1);
  AEffect* e = VSTPluginEntry(TestHost::callback, makeMinimal);
  ASSERT_NE(e, nullptr);
  EXPECT_EQ(e->magic, 0x56737450);
  EXPECT_EQ(std::memcmp(&e->magic, "PtsV", 4), 0);
  EXPECT_NE(e->dispatcher, nullptr);
  EXPECT_NE(e->process, nullptr);
  EXPECT_NE(e->setParameter, nullptr);
  EXPECT_NE(e->getParameter, nullptr);
  EXPECT_NE(e->processReplacing, nullptr);
  EXPECT_NE(e->processDoubleReplacing, nullptr);
  EXPECT_EQ(e->numPrograms, 1);
  EXPECT_EQ(e->numParams, 2);
  EXPECT_EQ(e->numInputs, 1);
  EXPECT_EQ(e->numOutputs, 2);
  EXPECT_EQ(e->flags, effFlagsCanReplacing);
  EXPECT_EQ(e->resvd1, 0);
  EXPECT_EQ(e->resvd2, 0);
  EXPECT_EQ(e->initialDelay, 0);
  EXPECT_EQ(e->realQualities, 0);
  EXPECT_EQ(e->offQualities, 0);
  EXPECT_EQ(e->ioRatio, 1.0f);
  EXPECT_EQ(e->user, nullptr);
  EXPECT_EQ(e->uniqueID, 0x4E6F4566);
  EXPECT_EQ(std::memcmp(&e->uniqueID, "fEoN", 4), 0);
  EXPECT_EQ(e->version, 1);
  for (char b : e->future) EXPECT_EQ(b, 0);
  e->dispatcher(e, effClose, 0, 0, nullptr, 0.0f);
}

// The values this module's plug-in sets: chunk flag, editor, identifier "6918".
TEST_F(VstRecord, FieldsAfterThePlugInSetsItself) {
  MinimalEffect effect(TestHost::callback, 1, 2);
  effect.programsAreChunks(true);
  effect.setEditor(new CountedEditor(&effect));
  effect.setNumInputs(1);
  effect.setNumOutputs(2);
  effect.setUniqueID(942750006);
  AEffect* e = effect.getAeffect();
  EXPECT_EQ(e->flags, 0x31);
  EXPECT_EQ(e->uniqueID, 0x38313936);
  EXPECT_EQ(std::memcmp(&e->uniqueID, "6918", 4), 0);
  EXPECT_TRUE(TestHost::calls.empty());
}

TEST_F(VstRecord, FieldSetters) {
  MinimalEffect effect(nullptr, 4, 9);
  AEffect* e = effect.getAeffect();
  EXPECT_EQ(e->numPrograms, 4);
  EXPECT_EQ(e->numParams, 9);
  effect.setUniqueID(0x11223344);
  effect.setNumInputs(6);
  effect.setNumOutputs(8);
  effect.setInitialDelay(511);
  effect.setRealtimeQualities(3);
  effect.setOfflineQualities(5);
  EXPECT_EQ(e->uniqueID, 0x11223344);
  EXPECT_EQ(e->numInputs, 6);
  EXPECT_EQ(e->numOutputs, 8);
  EXPECT_EQ(e->initialDelay, 511);
  EXPECT_EQ(e->realQualities, 3);
  EXPECT_EQ(e->offQualities, 5);
}

// Each flag setter sets exactly its bit and clears it again.
TEST_F(VstRecord, FlagSetters) {
  struct FlagCase {
    const char* name;
    void (*set)(MinimalEffect&, bool);
    int32_t bit;
  };
  const FlagCase cases[] = {
      {"hasClip", [](MinimalEffect& e, bool s) { e.hasClip(s); }, 0x2},
      {"hasVu", [](MinimalEffect& e, bool s) { e.hasVu(s); }, 0x4},
      {"canMono", [](MinimalEffect& e, bool s) { e.canMono(s); }, 0x8},
      {"canProcessReplacing", [](MinimalEffect& e, bool s) { e.canProcessReplacing(s); }, 0x10},
      {"programsAreChunks", [](MinimalEffect& e, bool s) { e.programsAreChunks(s); }, 0x20},
      {"isSynth", [](MinimalEffect& e, bool s) { e.isSynth(s); }, 0x100},
      {"noTail", [](MinimalEffect& e, bool s) { e.noTail(s); }, 0x200},
      {"wantAsyncOperation", [](MinimalEffect& e, bool s) { e.wantAsyncOperation(s); }, 0x400},
      {"hasExternalBuffer", [](MinimalEffect& e, bool s) { e.hasExternalBuffer(s); }, 0x800},
      {"canDoubleReplacing", [](MinimalEffect& e, bool s) { e.canDoubleReplacing(s); }, 0x1000},
  };
  for (const FlagCase& c : cases) {
    MinimalEffect effect(nullptr);
    AEffect* e = effect.getAeffect();
    // Everything but the bit under test is set, so a setter that touches
    // another bit shows.
    e->flags = ~c.bit;
    c.set(effect, true);
    EXPECT_EQ(e->flags, -1) << c.name;
    e->flags = 0;
    c.set(effect, true);
    EXPECT_EQ(e->flags, c.bit) << c.name;
    e->flags = -1;
    c.set(effect, false);
    EXPECT_EQ(e->flags, ~c.bit) << c.name;
  }
}

TEST_F(VstRecord, SetEditorFollowsThePointer) {
  MinimalEffect effect(nullptr);
  AEffect* e = effect.getAeffect();
  auto* editor = new CountedEditor(&effect);
  effect.setEditor(editor);
  EXPECT_EQ(effect.getEditor(), editor);
  EXPECT_EQ(e->flags, effFlagsCanReplacing | effFlagsHasEditor);
  effect.setEditor(nullptr);
  EXPECT_EQ(effect.getEditor(), nullptr);
  EXPECT_EQ(e->flags, effFlagsCanReplacing);
  delete editor;
}

// --------------------------------------------------------- static entries

using VstStaticEntries = VstTest;

TEST_F(VstStaticEntries, EachEntryReachesItsOperation) {
  RecordingEffect effect(nullptr);
  AEffect* e = effect.getAeffect();
  float* in[1] = {reinterpret_cast<float*>(ptrTarget)};
  float* out[1] = {reinterpret_cast<float*>(valueTarget)};
  double* din[1] = {reinterpret_cast<double*>(ptrTarget)};
  double* dout[1] = {reinterpret_cast<double*>(valueTarget)};
  e->process(e, in, out, 17);
  e->processReplacing(e, in, out, 18);
  e->processDoubleReplacing(e, din, dout, 19);
  e->setParameter(e, 3, 0.5f);
  EXPECT_EQ(e->getParameter(e, 4), 0.625f);
  EXPECT_EQ(events(), (Events{"process(P,V,17)", "processReplacing(P,V,18)",
                              "processDoubleReplacing(P,V,19)", "setParameter(3,0.5)",
                              "getParameter(4)"}));
}

// The minimal effect's processReplacing fills the outputs; the defaults of
// the accumulating and the double-precision process leave them alone.
TEST_F(VstStaticEntries, DefaultProcessingLeavesOutputsAlone) {
  MinimalEffect effect(nullptr);
  AEffect* e = effect.getAeffect();
  float input[4] = {0.25f, -0.5f, 1.0f, 0.0f};
  float left[4] = {9, 9, 9, 9}, right[4] = {9, 9, 9, 9};
  float* ins[1] = {input};
  float* outs[2] = {left, right};
  e->process(e, ins, outs, 4);
  for (int i = 0; i < 4; ++i) EXPECT_EQ(left[i] + right[i], 18.0f);
  double dinput[4] = {1, 2, 3, 4}, dleft[4] = {9, 9, 9, 9}, dright[4] = {9, 9, 9, 9};
  double* dins[1] = {dinput};
  double* douts[2] = {dleft, dright};
  e->processDoubleReplacing(e, dins, douts, 4);
  for (int i = 0; i < 4; ++i) EXPECT_EQ(dleft[i] + dright[i], 18.0);
  e->processReplacing(e, ins, outs, 4);
  for (int i = 0; i < 4; ++i) {
    EXPECT_EQ(left[i], 2 * input[i]);
    EXPECT_EQ(right[i], 2 * input[i]);
  }
  e->setParameter(e, 0, 1.0f);
  EXPECT_EQ(e->getParameter(e, 0), 0.0f);
}

TEST_F(VstStaticEntries, CloseDestroysTheEffectAndItsEditor) {
  auto* effect = new MinimalEffect(TestHost::callback);
  effect->setEditor(new CountedEditor(effect));
  AEffect* e = effect->getAeffect();
  EXPECT_EQ(e->dispatcher(e, effClose, 0, 0, nullptr, 0.0f), 1);
  EXPECT_EQ(events(), (Events{"close()", "~MinimalEffect", "~CountedEditor"}));
  EXPECT_TRUE(TestHost::calls.empty());
}

// ---------------------------------------------------------- base defaults

using VstDefaults = VstTest;

// What a plug-in that overrides nothing answers, through its record.  Text
// getters write an empty text; nothing reaches the host.
TEST_F(VstDefaults, DispatcherAnswersOfTheBase) {
  struct DefaultCase {
    int32_t opcode;
    intptr_t answer;
    intptr_t value = 0;
    bool clearsText = false;
  };
  const DefaultCase cases[] = {
      {effOpen, 0},
      {effGetProgram, 0},
      {effGetProgramName, 0, 0, true},
      {effGetParamLabel, 0, 0, true},
      {effGetParamDisplay, 0, 0, true},
      {effGetParamName, 0, 0, true},
      {effMainsChanged, 0, 1},
      {effMainsChanged, 0, 0},
      {effEditGetRect, 0},
      {effEditOpen, 0},
      {effEditClose, 0},
      {effEditIdle, 0},
      {effIdentify, 0x4E764566},
      {effGetChunk, 0},
      {effSetChunk, 0, 16},
      {effProcessEvents, 0},
      {effCanBeAutomated, 1},
      {effString2Parameter, 0},
      {effGetProgramNameIndexed, 0},
      {effGetInputProperties, 0},
      {effGetOutputProperties, 0},
      {effGetPlugCategory, 0},
      {effOfflineNotify, 0},
      {effOfflinePrepare, 0},
      {effOfflineRun, 0},
      {effProcessVarIo, 0},
      {effSetSpeakerArrangement, 0},
      {effSetBypass, 0, 1},
      {effGetEffectName, 0},
      {effGetVendorString, 0},
      {effGetProductString, 0},
      {effGetVendorVersion, 0},
      {effVendorSpecific, 0},
      {effGetTailSize, 0},
      {effGetParameterProperties, 0},
      {effGetVstVersion, 2400},
      {effEditKeyDown, 0},
      {effEditKeyUp, 0},
      {effSetEditKnobMode, 0},
      {effGetMidiProgramName, 0},
      {effGetCurrentMidiProgram, -1},
      {effGetMidiProgramCategory, 0},
      {effHasMidiProgramsChanged, 0},
      {effGetMidiKeyName, 0},
      {effBeginSetProgram, 0},
      {effEndSetProgram, 0},
      {effShellGetNextPlugin, 0},
      {effStartProcess, 0},
      {effStopProcess, 0},
      {effSetTotalSampleToProcess, 12345, 12345},
      {effSetTotalSampleToProcess, -7, -7},
      {effSetPanLaw, 0},
      {effBeginLoadBank, 0},
      {effBeginLoadProgram, 0},
      {effSetProcessPrecision, 0},
      {effGetNumMidiInputChannels, 0},
      {effGetNumMidiOutputChannels, 0},
  };
  MinimalEffect effect(TestHost::callback);
  AEffect* e = effect.getAeffect();
  for (const DefaultCase& c : cases) {
    char text[64];
    std::memset(text, 'x', sizeof text);
    text[sizeof text - 1] = 0;
    EXPECT_EQ(e->dispatcher(e, c.opcode, 1, c.value, text, 0.5f), c.answer) << "opcode " << c.opcode;
    if (c.clearsText) {
      EXPECT_STREQ(text, "") << "opcode " << c.opcode;
    }
  }
  EXPECT_TRUE(TestHost::calls.empty());
}

TEST_F(VstDefaults, CanDoAnswersZeroToEveryString) {
  MinimalEffect effect(TestHost::callback);
  AEffect* e = effect.getAeffect();
  for (const char* s : {"receiveVstMidiEvent", "receiveVstEvents", "sendVstMidiEvent", "bypass",
                        "", "anything"}) {
    std::string text = s;
    EXPECT_EQ(e->dispatcher(e, effCanDo, 0, 0, text.data(), 0.0f), 0) << s;
  }
  EXPECT_TRUE(TestHost::calls.empty());
}

TEST_F(VstDefaults, StateThroughTheDispatcher) {
  MinimalEffect effect(nullptr, 3, 2);
  AEffect* e = effect.getAeffect();
  EXPECT_EQ(effect.getSampleRate(), 44100.0f);
  EXPECT_EQ(effect.getBlockSize(), 1024);
  EXPECT_EQ(effect.getProgram(), 0);

  e->dispatcher(e, effSetSampleRate, 0, 0, nullptr, 48000.0f);
  e->dispatcher(e, effSetBlockSize, 0, 256, nullptr, 0.0f);
  EXPECT_EQ(effect.getSampleRate(), 48000.0f);
  EXPECT_EQ(effect.getBlockSize(), 256);

  struct ProgramStep {
    intptr_t value;
    int32_t program;  // afterwards
  };
  for (ProgramStep s : {ProgramStep{2, 2}, ProgramStep{3, 2}, ProgramStep{100, 2},
                        ProgramStep{-1, -1}, ProgramStep{0, 0}}) {
    e->dispatcher(e, effSetProgram, 0, s.value, nullptr, 0.0f);
    EXPECT_EQ(effect.program(), s.program) << s.value;
    EXPECT_EQ(e->dispatcher(e, effGetProgram, 0, 0, nullptr, 0.0f), s.program) << s.value;
  }

  effect.setBlockSizeAndSampleRate(64, 96000.0f);
  EXPECT_EQ(effect.block(), 64);
  EXPECT_EQ(effect.rate(), 96000.0f);
}

TEST_F(VstDefaults, SpeakerArrangementQueryClearsBothPointers) {
  MinimalEffect effect(nullptr);
  AEffect* e = effect.getAeffect();
  VstSpeakerArrangement dummy{};
  VstSpeakerArrangement* in = &dummy;
  VstSpeakerArrangement* out = &dummy;
  EXPECT_EQ(e->dispatcher(e, effGetSpeakerArrangement, 0, reinterpret_cast<intptr_t>(&in), &out,
                          0.0f),
            0);
  EXPECT_EQ(in, nullptr);
  EXPECT_EQ(out, nullptr);
}

TEST_F(VstDefaults, PlugCategoryFollowsTheSynthFlag) {
  MinimalEffect effect(nullptr);
  AEffect* e = effect.getAeffect();
  EXPECT_EQ(e->dispatcher(e, effGetPlugCategory, 0, 0, nullptr, 0.0f), 0);
  effect.isSynth(true);
  EXPECT_EQ(e->dispatcher(e, effGetPlugCategory, 0, 0, nullptr, 0.0f), 2);
  effect.isSynth(false);
  EXPECT_EQ(e->dispatcher(e, effGetPlugCategory, 0, 0, nullptr, 0.0f), 0);
}

// Operations no dispatcher path reaches, for plug-in code to call.
TEST_F(VstDefaults, OperationsOutsideTheDispatcher) {
  MinimalEffect effect(TestHost::callback);
  char text[8] = "xxxxxxx";
  EXPECT_EQ(effect.getNumCategories(), 1);
  EXPECT_FALSE(effect.copyProgram(0));
  EXPECT_FALSE(effect.getErrorText(text));
  EXPECT_EQ(effect.getIcon(), nullptr);
  EXPECT_FALSE(effect.setViewPosition(1, 2));
  EXPECT_FALSE(effect.keysRequired());
  EXPECT_EQ(effect.reportCurrentPosition(), 0);
  EXPECT_EQ(effect.reportDestinationBuffer(), nullptr);
  EXPECT_EQ(effect.offlineGetNumPasses(), 0);
  EXPECT_EQ(effect.offlineGetNumMetaPasses(), 0);
  EXPECT_EQ(effect.getVu(), 0.0f);
  EXPECT_EQ(effect.getChunk(nullptr, false), 0);
  EXPECT_STREQ(text, "xxxxxxx");
  EXPECT_TRUE(TestHost::calls.empty());
}

TEST_F(VstDefaults, FxIdleWritesItsLine) {
  MinimalEffect effect(TestHost::callback);
  testing::internal::CaptureStdout();
  int32_t answer = effect.fxIdle();
  EXPECT_EQ(testing::internal::GetCapturedStdout(), "*** fxIdle ***\n");
  EXPECT_EQ(answer, 0);
  EXPECT_TRUE(TestHost::calls.empty());
}

// resume asks the host for MIDI events only for a synth, or when the effect's
// own canDo says exactly 1 to "receiveVstMidiEvent".
class CanDoEffect : public MinimalEffect {
 public:
  using MinimalEffect::MinimalEffect;
  int32_t answer = 0;
  std::vector<std::string> asked;
  int32_t canDo(char* text) override {
    asked.push_back(text);
    return answer;
  }
};

TEST_F(VstDefaults, ResumeAsksForEventsOnlyWhenTheEffectWantsThem) {
  struct ResumeCase {
    bool synth;
    int32_t canDoAnswer;
    bool asks;
  };
  for (ResumeCase c : {ResumeCase{false, 0, false}, ResumeCase{true, 0, true},
                       ResumeCase{false, 1, true}, ResumeCase{false, 2, false},
                       ResumeCase{false, -1, false}, ResumeCase{false, 257, false}}) {
    TestHost::reset(0);
    CanDoEffect effect(TestHost::callback);
    effect.isSynth(c.synth);
    effect.answer = c.canDoAnswer;
    AEffect* e = effect.getAeffect();
    EXPECT_EQ(e->dispatcher(e, effMainsChanged, 0, 1, nullptr, 0.0f), 0);
    if (c.asks) {
      ASSERT_EQ(TestHost::calls.size(), 1u) << c.synth << " " << c.canDoAnswer;
      EXPECT_EQ(TestHost::calls[0].opcode, audioMasterWantMidi);
      EXPECT_EQ(TestHost::calls[0].value, 1);
      EXPECT_EQ(TestHost::calls[0].effect, e);
    } else {
      EXPECT_TRUE(TestHost::calls.empty()) << c.synth << " " << c.canDoAnswer;
    }
    if (!c.synth) {
      EXPECT_EQ(effect.asked, std::vector<std::string>{"receiveVstMidiEvent"});
    }
  }
}

TEST_F(VstDefaults, EffectOwnsItsEditor) {
  {
    MinimalEffect effect(nullptr);
    effect.setEditor(new CountedEditor(&effect));
  }
  EXPECT_EQ(events(), (Events{"~MinimalEffect", "~CountedEditor"}));
}

TEST_F(VstDefaults, EditorBase) {
  MinimalEffect effect(nullptr);
  AEffEditor editor(&effect);
  EXPECT_EQ(editor.getEffect(), &effect);
  EXPECT_FALSE(editor.isOpen());

  ERect stored{1, 2, 3, 4};
  ERect* rect = &stored;
  EXPECT_FALSE(editor.getRect(&rect));
  EXPECT_EQ(rect, nullptr);

  EXPECT_FALSE(editor.open(ptrTarget));
  EXPECT_TRUE(editor.isOpen());
  editor.idle();
  EXPECT_TRUE(editor.isOpen());
  editor.close();
  EXPECT_FALSE(editor.isOpen());

  VstKeyCode key{};
  EXPECT_FALSE(editor.onKeyDown(key));
  EXPECT_FALSE(editor.onKeyUp(key));
  EXPECT_FALSE(editor.onWheel(1.0f));
  EXPECT_FALSE(editor.setKnobMode(2));
}

// A base editor installed in an effect answers the editor opcodes with its
// defaults: no rectangle, open reports false but keeps the window.
TEST_F(VstDefaults, EditorOpcodesWithTheBaseEditor) {
  MinimalEffect effect(nullptr);
  auto* editor = new AEffEditor(&effect);
  effect.setEditor(editor);
  AEffect* e = effect.getAeffect();
  ERect stored{};
  ERect* rect = &stored;
  EXPECT_EQ(e->dispatcher(e, effEditGetRect, 0, 0, &rect, 0.0f), 0);
  EXPECT_EQ(rect, nullptr);
  EXPECT_EQ(e->dispatcher(e, effEditOpen, 0, 0, ptrTarget, 0.0f), 0);
  EXPECT_TRUE(editor->isOpen());
  EXPECT_EQ(e->dispatcher(e, effEditClose, 0, 0, nullptr, 0.0f), 0);
  EXPECT_FALSE(editor->isOpen());
  EXPECT_EQ(e->dispatcher(e, effEditKeyDown, 'a', 0, nullptr, 0.0f), 0);
}

}  // namespace
