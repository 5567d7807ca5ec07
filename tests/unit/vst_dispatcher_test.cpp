// The dispatcher's routing of opcodes 0-79 (and beyond), seen from the host:
// every call goes through the AEffect record's dispatcher entry.
#include <gtest/gtest.h>

#include <set>
#include <string>
#include <vector>

#include "vst_test_support.h"

using namespace vsttest;

namespace {

enum class Answer {
  Zero,     // always 0
  Fixed,    // a constant of the layer
  Result,   // the operation's integer result, passed on
  OneZero,  // 1 when the operation reports true, else 0
};

constexpr int32_t kIndex = 7;
constexpr intptr_t kValue = 5;
constexpr float kOpt = 300.75f;  // truncates to 300, low byte 44
const intptr_t kValuePtr = reinterpret_cast<intptr_t>(valueTarget);

struct Route {
  int32_t opcode;
  const char* call;  // what the effect or editor records; "" for nothing
  Answer answer;
  intptr_t value = kValue;
  int32_t index = kIndex;
  intptr_t fixed = 0;
};

// The operations the dispatcher reaches, with the arguments as they arrive:
// index 7, value 5 (or as listed), ptr P, opt 300.75.
const std::vector<Route> kRoutes = {
    {effOpen, "open()", Answer::Zero},
    {effClose, "close()", Answer::Zero},
    {effSetProgram, "setProgram(0)", Answer::Zero, 0},
    {effSetProgram, "setProgram(-1)", Answer::Zero, -1},
    {effSetProgram, "", Answer::Zero, 1},  // the effect has one program
    {effSetProgram, "", Answer::Zero, 5},
    {effGetProgram, "getProgram()", Answer::Result},
    {effSetProgramName, "setProgramName(P)", Answer::Zero},
    {effGetProgramName, "getProgramName(P)", Answer::Zero},
    {effGetParamLabel, "getParameterLabel(7,P)", Answer::Zero},
    {effGetParamDisplay, "getParameterDisplay(7,P)", Answer::Zero},
    {effGetParamName, "getParameterName(7,P)", Answer::Zero},
    {9, "", Answer::Zero},
    {effSetSampleRate, "setSampleRate(300.75)", Answer::Zero},
    {effSetBlockSize, "setBlockSize(5)", Answer::Zero},
    {effMainsChanged, "resume()", Answer::Zero},
    {effMainsChanged, "suspend()", Answer::Zero, 0},
    {effEditGetRect, "editor.getRect(P)", Answer::OneZero},
    {effEditOpen, "editor.open(P)", Answer::OneZero},
    {effEditClose, "editor.close()", Answer::Zero},
    {16, "", Answer::Zero},
    {17, "", Answer::Zero},
    {18, "", Answer::Zero},
    {effEditIdle, "editor.idle()", Answer::Zero},
    {20, "", Answer::Zero},
    {21, "", Answer::Zero},
    {effIdentify, "", Answer::Fixed, kValue, kIndex, 0x4E764566},
    {effGetChunk, "getChunk(P,true)", Answer::Result},
    {effGetChunk, "getChunk(P,false)", Answer::Result, kValue, 0},
    {effSetChunk, "setChunk(P,5,true)", Answer::Result},
    {effSetChunk, "setChunk(P,5,false)", Answer::Result, kValue, 0},
    {effProcessEvents, "processEvents(P)", Answer::Result},
    {effCanBeAutomated, "canParameterBeAutomated(7)", Answer::OneZero},
    {effString2Parameter, "string2parameter(7,P)", Answer::OneZero},
    {28, "", Answer::Zero},
    {effGetProgramNameIndexed, "getProgramNameIndexed(5,7,P)", Answer::OneZero},
    {30, "", Answer::Zero},
    {31, "", Answer::Zero},
    {32, "", Answer::Zero},
    {effGetInputProperties, "getInputProperties(7,P)", Answer::OneZero},
    {effGetOutputProperties, "getOutputProperties(7,P)", Answer::OneZero},
    {effGetPlugCategory, "getPlugCategory()", Answer::Result},
    {36, "", Answer::Zero},
    {37, "", Answer::Zero},
    {effOfflineNotify, "offlineNotify(P,5,true)", Answer::OneZero},
    {effOfflineNotify, "offlineNotify(P,5,false)", Answer::OneZero, kValue, 0},
    {effOfflinePrepare, "offlinePrepare(P,5)", Answer::OneZero},
    {effOfflineRun, "offlineRun(P,5)", Answer::OneZero},
    {effProcessVarIo, "processVariableIo(P)", Answer::OneZero},
    {effSetSpeakerArrangement, "setSpeakerArrangement(V,P)", Answer::OneZero, kValuePtr},
    {43, "", Answer::Zero},
    {effSetBypass, "setBypass(true)", Answer::OneZero},
    {effSetBypass, "setBypass(false)", Answer::OneZero, 0},
    {effGetEffectName, "getEffectName(P)", Answer::OneZero},
    {46, "", Answer::Zero},
    {effGetVendorString, "getVendorString(P)", Answer::OneZero},
    {effGetProductString, "getProductString(P)", Answer::OneZero},
    {effGetVendorVersion, "getVendorVersion()", Answer::Result},
    {effVendorSpecific, "vendorSpecific(7,5,P,300.75)", Answer::Result},
    {effCanDo, "canDo(P)", Answer::Result},
    {effGetTailSize, "getGetTailSize()", Answer::Result},
    {53, "", Answer::Zero},
    {54, "", Answer::Zero},
    {55, "", Answer::Zero},
    {effGetParameterProperties, "getParameterProperties(7,P)", Answer::OneZero},
    {57, "", Answer::Zero},
    {effGetVstVersion, "getVstVersion()", Answer::Result},
    // Key events: character = index, virt = low byte of value (0x1234),
    // modifier = low byte of the truncated opt.
    {effEditKeyDown, "editor.onKeyDown(7,52,44)", Answer::OneZero, 0x1234},
    {effEditKeyUp, "editor.onKeyUp(7,52,44)", Answer::OneZero, 0x1234},
    {effSetEditKnobMode, "editor.setKnobMode(5)", Answer::OneZero},
    {effGetMidiProgramName, "getMidiProgramName(7,P)", Answer::Result},
    {effGetCurrentMidiProgram, "getCurrentMidiProgram(7,P)", Answer::Result},
    {effGetMidiProgramCategory, "getMidiProgramCategory(7,P)", Answer::Result},
    {effHasMidiProgramsChanged, "hasMidiProgramsChanged(7)", Answer::OneZero},
    {effGetMidiKeyName, "getMidiKeyName(7,P)", Answer::OneZero},
    {effBeginSetProgram, "beginSetProgram()", Answer::OneZero},
    {effEndSetProgram, "endSetProgram()", Answer::OneZero},
    {effGetSpeakerArrangement, "getSpeakerArrangement(V,P)", Answer::OneZero, kValuePtr},
    {effShellGetNextPlugin, "getNextShellPlugin(P)", Answer::Result},
    {effStartProcess, "startProcess()", Answer::Result},
    {effStopProcess, "stopProcess()", Answer::Result},
    {effSetTotalSampleToProcess, "setTotalSampleToProcess(5)", Answer::Result},
    {effSetPanLaw, "setPanLaw(5,300.75)", Answer::OneZero},
    {effBeginLoadBank, "beginLoadBank(P)", Answer::Result},
    {effBeginLoadProgram, "beginLoadProgram(P)", Answer::Result},
    {effSetProcessPrecision, "setProcessPrecision(5)", Answer::OneZero},
    {effGetNumMidiInputChannels, "getNumMidiInputChannels()", Answer::Result},
    {effGetNumMidiOutputChannels, "getNumMidiOutputChannels()", Answer::Result},
    {80, "", Answer::Zero},
    {81, "", Answer::Zero},
    {1000, "", Answer::Zero},
    {-1, "", Answer::Zero},
};

std::string routeName(const Route& r) {
  return "opcode " + std::to_string(r.opcode) + " value " + std::to_string(r.value) + " index " +
         std::to_string(r.index);
}

bool isEditorCall(const Route& r) { return std::string(r.call).rfind("editor.", 0) == 0; }

// One effect with a recording editor, driven through its record.
class Dispatcher : public ::testing::Test {
 protected:
  void SetUp() override {
    TestHost::reset(0);
    events().clear();
    effect = new RecordingEffect(TestHost::callback);
    editor = new RecordingEditor(effect);
    effect->setEditor(editor);
    record = effect->getAeffect();
  }
  void TearDown() override { delete effect; }

  intptr_t dispatch(const Route& r) {
    events().clear();
    return record->dispatcher(record, r.opcode, r.index, r.value, ptrTarget, kOpt);
  }

  RecordingEffect* effect = nullptr;
  RecordingEditor* editor = nullptr;
  AEffect* record = nullptr;
};

TEST_F(Dispatcher, TableCoversEveryOpcodeFrom0To79) {
  std::set<int32_t> seen;
  for (const Route& r : kRoutes) seen.insert(r.opcode);
  for (int32_t op = 0; op <= 79; ++op) EXPECT_TRUE(seen.count(op)) << "no route for opcode " << op;
}

// Each opcode reaches exactly its operation with the host's arguments, and
// answers as its kind says, for a true and a false, a positive and a
// negative result.
TEST_F(Dispatcher, RoutesEachOpcodeToItsOperation) {
  struct Results {
    bool b;
    int32_t i;
  };
  for (Results results : {Results{true, 0x1234567}, Results{false, -3}}) {
    effect->boolResult = results.b;
    effect->intResult = results.i;
    editor->result = results.b;
    for (const Route& r : kRoutes) {
      if (r.opcode == effClose) continue;  // the record's entry destroys the effect; below
      intptr_t answer = dispatch(r);
      std::vector<std::string> expectedCalls;
      if (*r.call) expectedCalls.push_back(r.call);
      EXPECT_EQ(events(), expectedCalls) << routeName(r);
      intptr_t expected = 0;
      switch (r.answer) {
        case Answer::Zero: expected = 0; break;
        case Answer::Fixed: expected = r.fixed; break;
        case Answer::Result: expected = results.i; break;
        case Answer::OneZero: expected = results.b ? 1 : 0; break;
      }
      EXPECT_EQ(answer, expected) << routeName(r) << " with result " << results.i;
    }
  }
  // The dispatcher never talks to the host on its own.
  EXPECT_TRUE(TestHost::calls.empty());
}

TEST_F(Dispatcher, CloseThroughTheObjectOnlyCallsClose) {
  EXPECT_EQ(effect->dispatcher(effClose, 0, 0, nullptr, 0.0f), 0);
  EXPECT_EQ(events(), std::vector<std::string>{"close()"});
}

// Without an editor the editor opcodes answer 0 and call nothing.
TEST_F(Dispatcher, EditorOpcodesWithoutEditorAnswerZero) {
  effect->setEditor(nullptr);
  int checked = 0;
  for (const Route& r : kRoutes) {
    if (!isEditorCall(r)) continue;
    EXPECT_EQ(dispatch(r), 0) << routeName(r);
    EXPECT_TRUE(events().empty()) << routeName(r);
    ++checked;
  }
  EXPECT_EQ(checked, 7);
  delete editor;
}

// A modifier from an opt the integer range cannot hold is 0, as the x86
// conversion gives; negative values keep their two's complement low byte.
TEST_F(Dispatcher, KeyModifierFromOptByTruncation) {
  struct KeyCase {
    float opt;
    int modifier;
  };
  for (KeyCase k : {KeyCase{0.0f, 0}, KeyCase{255.9f, 255}, KeyCase{256.0f, 0},
                    KeyCase{-1.5f, 255}, KeyCase{1e12f, 0}, KeyCase{-1e12f, 0}}) {
    events().clear();
    EXPECT_EQ(record->dispatcher(record, effEditKeyDown, 65, 0x100, nullptr, k.opt), 1);
    EXPECT_EQ(events(),
              std::vector<std::string>{"editor.onKeyDown(65,0," + std::to_string(k.modifier) + ")"})
        << k.opt;
  }
}

}  // namespace
