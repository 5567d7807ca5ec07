// A test host that records the callback calls it gets, and effects built on
// AudioEffectX for the VST layer's tests: a minimal one that keeps every
// default, and one that records each operation the dispatcher reaches.
#pragma once

#include <cstdint>
#include <cstdio>
#include <string>
#include <type_traits>
#include <vector>

#include "audio_effect.h"

namespace vsttest {

// One call of the host callback, as the host saw it.
struct HostCall {
  AEffect* effect;
  int32_t opcode;
  int32_t index;
  intptr_t value;
  void* ptr;
  float opt;
};

// The host: answers `answer` to every opcode and keeps the calls.
struct TestHost {
  static inline std::vector<HostCall> calls;
  static inline intptr_t answer = 0;

  static intptr_t VSTCALLBACK callback(AEffect* effect, int32_t opcode, int32_t index,
                                       intptr_t value, void* ptr, float opt) {
    calls.push_back({effect, opcode, index, value, ptr, opt});
    return answer;
  }

  static void reset(intptr_t newAnswer) {
    calls.clear();
    answer = newAnswer;
  }
};

// What the effects and editors below did, in order, across objects.
inline std::vector<std::string>& events() {
  static std::vector<std::string> list;
  return list;
}

// Pointers the tests hand to the dispatcher, shown by name in the records.
alignas(16) inline char ptrTarget[64];
alignas(16) inline char valueTarget[64];

inline std::string describe(const void* p) {
  if (p == nullptr) return "0";
  if (p == ptrTarget) return "P";
  if (p == valueTarget) return "V";
  return "?";
}

template <class T>
std::string describe(T v) {
  if constexpr (std::is_pointer_v<T>) {
    return describe(static_cast<const void*>(v));
  } else if constexpr (std::is_same_v<T, bool>) {
    return v ? "true" : "false";
  } else if constexpr (std::is_floating_point_v<T>) {
    char text[32];
    std::snprintf(text, sizeof text, "%g", static_cast<double>(v));
    return text;
  } else {
    return std::to_string(v);
  }
}

template <class... A>
void record(const char* name, A... args) {
  std::string text = std::string(name) + "(";
  bool first = true;
  ((text += (first ? "" : ",") + describe(args), first = false), ...);
  events().push_back(text + ")");
}

// Keeps every default; processReplacing doubles the first input into both
// outputs so the static entry's routing shows.
class MinimalEffect : public AudioEffectX {
 public:
  MinimalEffect(audioMasterCallback host, int32_t programs = 1, int32_t params = 2)
      : AudioEffectX(host, programs, params) {}
  ~MinimalEffect() override { events().push_back("~MinimalEffect"); }

  void processReplacing(float** inputs, float** outputs, int32_t frames) override {
    for (int32_t i = 0; i < frames; ++i) outputs[0][i] = outputs[1][i] = 2 * inputs[0][i];
  }
  void close() override { events().push_back("close()"); }

  // The protected state, for checks.
  float rate() const { return sampleRate; }
  int32_t block() const { return blockSize; }
  int32_t program() const { return curProgram; }
  audioMasterCallback host() const { return audioMaster; }
};

// Records every operation the dispatcher and the static entries reach and
// answers with the configured results.
class RecordingEffect : public AudioEffectX {
 public:
  explicit RecordingEffect(audioMasterCallback host, int32_t programs = 1)
      : AudioEffectX(host, programs, 2) {}

  bool boolResult = true;
  int32_t intResult = 0x1234567;

#define record(__func__, ...) record(__func__, ##__VA_ARGS__)
  void open() override { record(__func__); }
  void close() override { record(__func__); }
  void suspend() override { record(__func__); }
  void resume() override { record(__func__); }
  void setSampleRate(float rate) override { record(__func__, rate); }
  void setBlockSize(int32_t size) override { record(__func__, size); }
  void process(float** in, float** out, int32_t frames) override { record(__func__, in[0], out[0], frames); }
  void processReplacing(float** in, float** out, int32_t frames) override {
    record(__func__, in[0], out[0], frames);
  }
  void processDoubleReplacing(double** in, double** out, int32_t frames) override {
    record(__func__, in[0], out[0], frames);
  }
  void setParameter(int32_t index, float value) override { record(__func__, index, value); }
  float getParameter(int32_t index) override {
    record(__func__, index);
    return 0.625f;
  }
  int32_t getProgram() override {
    record(__func__);
    return intResult;
  }
  void setProgram(int32_t program) override { record(__func__, program); }
  void setProgramName(char* name) override { record(__func__, name); }
  void getProgramName(char* name) override { record(__func__, name); }
  void getParameterLabel(int32_t index, char* text) override { record(__func__, index, text); }
  void getParameterDisplay(int32_t index, char* text) override { record(__func__, index, text); }
  void getParameterName(int32_t index, char* text) override { record(__func__, index, text); }
  int32_t getChunk(void** data, bool isPreset) override {
    record(__func__, data, isPreset);
    return intResult;
  }
  int32_t setChunk(void* data, int32_t size, bool isPreset) override {
    record(__func__, data, size, isPreset);
    return intResult;
  }
  int32_t processEvents(void* events) override {
    record(__func__, events);
    return intResult;
  }
  bool canParameterBeAutomated(int32_t index) override {
    record(__func__, index);
    return boolResult;
  }
  bool string2parameter(int32_t index, char* text) override {
    record(__func__, index, text);
    return boolResult;
  }
  bool getProgramNameIndexed(int32_t category, int32_t index, char* text) override {
    record(__func__, category, index, text);
    return boolResult;
  }
  bool getInputProperties(int32_t index, void* p) override {
    record(__func__, index, p);
    return boolResult;
  }
  bool getOutputProperties(int32_t index, void* p) override {
    record(__func__, index, p);
    return boolResult;
  }
  int32_t getPlugCategory() override {
    record(__func__);
    return intResult;
  }
  bool offlineNotify(void* files, int32_t count, bool start) override {
    record(__func__, files, count, start);
    return boolResult;
  }
  bool offlinePrepare(void* tasks, int32_t count) override {
    record(__func__, tasks, count);
    return boolResult;
  }
  bool offlineRun(void* tasks, int32_t count) override {
    record(__func__, tasks, count);
    return boolResult;
  }
  bool processVariableIo(void* io) override {
    record(__func__, io);
    return boolResult;
  }
  bool setSpeakerArrangement(VstSpeakerArrangement* in, VstSpeakerArrangement* out) override {
    record(__func__, in, out);
    return boolResult;
  }
  bool setBypass(bool onOff) override {
    record(__func__, onOff);
    return boolResult;
  }
  bool getEffectName(char* text) override {
    record(__func__, text);
    return boolResult;
  }
  bool getVendorString(char* text) override {
    record(__func__, text);
    return boolResult;
  }
  bool getProductString(char* text) override {
    record(__func__, text);
    return boolResult;
  }
  int32_t getVendorVersion() override {
    record(__func__);
    return intResult;
  }
  intptr_t vendorSpecific(int32_t a, intptr_t b, void* p, float f) override {
    record(__func__, a, b, p, f);
    return intResult;
  }
  int32_t canDo(char* text) override {
    record(__func__, text);
    return intResult;
  }
  int32_t getGetTailSize() override {
    record(__func__);
    return intResult;
  }
  bool getParameterProperties(int32_t index, void* p) override {
    record(__func__, index, p);
    return boolResult;
  }
  int32_t getVstVersion() override {
    record(__func__);
    return intResult;
  }
  int32_t getMidiProgramName(int32_t channel, void* p) override {
    record(__func__, channel, p);
    return intResult;
  }
  int32_t getCurrentMidiProgram(int32_t channel, void* p) override {
    record(__func__, channel, p);
    return intResult;
  }
  int32_t getMidiProgramCategory(int32_t channel, void* p) override {
    record(__func__, channel, p);
    return intResult;
  }
  bool hasMidiProgramsChanged(int32_t channel) override {
    record(__func__, channel);
    return boolResult;
  }
  bool getMidiKeyName(int32_t channel, void* p) override {
    record(__func__, channel, p);
    return boolResult;
  }
  bool beginSetProgram() override {
    record(__func__);
    return boolResult;
  }
  bool endSetProgram() override {
    record(__func__);
    return boolResult;
  }
  bool getSpeakerArrangement(VstSpeakerArrangement** in, VstSpeakerArrangement** out) override {
    record(__func__, in, out);
    return boolResult;
  }
  int32_t getNextShellPlugin(char* name) override {
    record(__func__, name);
    return intResult;
  }
  int32_t startProcess() override {
    record(__func__);
    return intResult;
  }
  int32_t stopProcess() override {
    record(__func__);
    return intResult;
  }
  int32_t setTotalSampleToProcess(int32_t value) override {
    record(__func__, value);
    return intResult;
  }
  bool setPanLaw(int32_t type, float value) override {
    record(__func__, type, value);
    return boolResult;
  }
  int32_t beginLoadBank(void* p) override {
    record(__func__, p);
    return intResult;
  }
  int32_t beginLoadProgram(void* p) override {
    record(__func__, p);
    return intResult;
  }
  bool setProcessPrecision(int32_t precision) override {
    record(__func__, precision);
    return boolResult;
  }
  int32_t getNumMidiInputChannels() override {
    record(__func__);
    return intResult;
  }
  int32_t getNumMidiOutputChannels() override {
    record(__func__);
    return intResult;
  }
};

// An editor that records the calls it gets, prefixed "editor.", and answers
// with the configured result.  A key event shows as its three fields.
class RecordingEditor : public AEffEditor {
 public:
  explicit RecordingEditor(AudioEffect* effect) : AEffEditor(effect) {}
  ~RecordingEditor() override { events().push_back("~RecordingEditor"); }

  bool result = true;

  bool getRect(ERect** rect) override {
    record("editor.getRect", rect);
    return result;
  }
  bool open(void* parent) override {
    record("editor.open", parent);
    return result;
  }
  void close() override { record("editor.close"); }
  void idle() override { record("editor.idle"); }
  bool onKeyDown(VstKeyCode& key) override {
    record("editor.onKeyDown", key.character, int(key.virt), int(key.modifier));
    return result;
  }
  bool onKeyUp(VstKeyCode& key) override {
    record("editor.onKeyUp", key.character, int(key.virt), int(key.modifier));
    return result;
  }
  bool setKnobMode(int32_t mode) override {
    record("editor.setKnobMode", mode);
    return result;
  }
};

// An editor that only reports its destruction.
class CountedEditor : public AEffEditor {
 public:
  explicit CountedEditor(AudioEffect* effect) : AEffEditor(effect) {}
  ~CountedEditor() override { events().push_back("~CountedEditor"); }
};

}  // namespace vsttest
