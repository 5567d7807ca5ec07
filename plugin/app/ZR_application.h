// The noise-gate application: builds its processing graph by commands,
// converts the host's float blocks to and from the graph's 32-bit samples,
// and holds the host parameters and the saved state.
#pragma once

#include <deque>
#include <string>

#include "ZR_effect.h"

class ZR_Fourier_Transform;
class ZR_Fourier_Noisegate;

// Input channels of the module, set by the application's build.
extern int ZR_numInputs;

class ZR_Application : public ZR_Apptpl {
 public:
  enum { BLOCK = 512, THRESHOLDS = 513, STATE_BYTES = 4 * THRESHOLDS + 8 };
  enum Kind { KIND_INT = 2, KIND_FLOAT = 3, KIND_SWITCH = 6 };

  // A host parameter.  `kind` is held apart from the record's `type`, so a
  // widget storing a plain integer into the record keeps it a switch.
  struct Param : ZR_value {
    const char* name;
    const char* label;  // two 10-character slots: "on"/unit word, then "off"
    ZR_Object* widget;
    int32_t min, max;
    int32_t kind;
    float low, high;  // float range of the bound knob

    Param();
    void changed(void* data) override;
    virtual void getName(char* text);
    virtual void getDisplay(char* text);
    virtual void getLabel(char* text);
    virtual void apply(void* data);

    // The value word is read by the audio thread while host and editor
    // threads write it.
    ZR_word word() const { return ZR_relaxedLoad(data); }
    int32_t intValue() const { return static_cast<int32_t>(word()); }
    float floatValue() const { return ZR_value(word(), ZR_TYPE_FLOAT).asFloat(); }
    void setWord(ZR_word w) { ZR_relaxedStore(data, w); }
    void setInt(int32_t v) { setWord(static_cast<ZR_word>(v)); }
    void setFloat(float f) { setWord(ZR_value::ofFloat(f).data); }
    // Host mappings between the record and a host value in 0..1.
    void fromHost(float x);
    float toHost() const;
  };

  struct StateParam : Param {
    void apply(void* data) override;
  };
  struct LevelParam : Param {
    void apply(void* data) override;
  };
  // The learn switch: a plain value record whose change reaches the gate.
  struct LearnValue : ZR_value {
    ZR_Application* app = nullptr;
    void changed(void* data) override;
  };

  int32_t editorWidth = 0;
  int32_t editorHeight = 0;
  int32_t blockCounter = 0;
  int32_t blockSize = 0;
  int32_t clock = 0;
  ZR_Buffer* output1 = nullptr;
  ZR_Buffer* output2 = nullptr;
  ZR_Soundpipe* pipe = nullptr;
  ZR_Buffer* input = nullptr;
  ZR_Fourier_Transform* forward = nullptr;
  ZR_Fourier_Noisegate* gate = nullptr;
  ZR_Fourier_Transform* backward1 = nullptr;
  ZR_Fourier_Transform* backward2 = nullptr;
  StateParam state;
  LevelParam level;
  LearnValue learn;
  unsigned char stateBlock[STATE_BYTES];

  ZR_Application();
  ~ZR_Application();

  ZR_error build() override;
  ZR_error attachWindow(ZR_Win* window) override;
  ZR_error detachWindow(ZR_Win* window) override;
  ZR_error teardown() override;
  int hasChunk() override { return 1; }
  ZR_value getState() override;
  void setState(ZR_value state) override;
  // Applies a saved state; false (and nothing changed) when its size is not
  // the size of this application's state.
  bool loadState(const void* bytes, int32_t size);

  // Audio thread: inputs[0] is read, outputs[0] and outputs[1] written.
  void process(float** inputs, float** outputs, int32_t frames);
  void setClock(float rate);

  Param* param(int index) { return index == 0 ? static_cast<Param*>(&state) : index == 1 ? &level : nullptr; }
  // Applies every stage's on switch and the gate's level from the records.
  void switchStages(int32_t on);

 private:
  void processChunk(const float* in, float* out0, float* out1, int n);
  // A writable copy of a command line that lives as long as the
  // application: the objects a command creates keep a pointer to their line.
  char* keep(const char* text);
  std::deque<std::string> lines_;
  ZR_Win* window_ = nullptr;
  // Buffers the transforms and the gate own, looked up once by command.
  ZR_Buffer* spectrum_ = nullptr;    // forward transform's output
  ZR_Buffer* filtered1_ = nullptr;   // first backward transform's output
  ZR_Buffer* filtered2_ = nullptr;   // second backward transform's output
  ZR_Buffer* thresholds_ = nullptr;  // the gate's thresholds
};
