// The VST 2 base classes: AudioEffect turns the host's opcodes 0-24 into
// virtual operations and owns the AEffect record, AudioEffectX adds opcodes
// 25-79 and the wrappers of the host callback, AEffEditor is the editor base.
// A plug-in derives from AudioEffectX and overrides what it needs; every
// operation it leaves alone keeps the default documented here.
//
// The virtual operations are declared in their slot order.
#pragma once

#include <cstdint>

#include "ZR_export.h"
#include "vst2_interface.h"

class AudioEffect;

class AEffEditor {
 public:
  explicit AEffEditor(AudioEffect* effect = nullptr);
  virtual ~AEffEditor();                          // 0

  virtual AudioEffect* getEffect();               // 1
  virtual bool getRect(ERect** rect);             // 2: *rect = null, false
  virtual bool open(void* parent);                // 3: stores systemWindow, false
  virtual void close();                           // 4: clears systemWindow
  virtual bool isOpen();                          // 5
  virtual void idle();                            // 6
  virtual bool onKeyDown(VstKeyCode& keyCode);    // 7: false
  virtual bool onKeyUp(VstKeyCode& keyCode);      // 8: false
  virtual bool onWheel(float distance);           // 9: false
  virtual bool setKnobMode(int32_t mode);         // 10: false

 protected:
  AudioEffect* effect;
  void* systemWindow;  // the host's parent window while open, else null
};

class AudioEffect {
 public:
  AudioEffect(audioMasterCallback audioMaster, int32_t numPrograms, int32_t numParams);
  virtual ~AudioEffect();                                                               // 0

  virtual intptr_t dispatcher(int32_t opcode, int32_t index, intptr_t value, void* ptr,
                              float opt);                                              // 1
  virtual void open();                                                                  // 2
  virtual void close();                                                                 // 3
  virtual void suspend();                                                               // 4
  virtual void resume();                                                                // 5
  virtual void setSampleRate(float sampleRate);                                         // 6
  virtual void setBlockSize(int32_t blockSize);                                         // 7
  virtual void processReplacing(float** inputs, float** outputs, int32_t sampleFrames) = 0;  // 8
  virtual void processDoubleReplacing(double** inputs, double** outputs,
                                      int32_t sampleFrames);                           // 9
  virtual void setParameter(int32_t index, float value);                                // 10
  virtual float getParameter(int32_t index);                                            // 11
  virtual void setParameterAutomated(int32_t index, float value);                       // 12
  virtual int32_t getProgram();                                                         // 13
  virtual void setProgram(int32_t program);                                             // 14
  virtual void setProgramName(char* name);                                              // 15
  virtual void getProgramName(char* name);                                              // 16
  virtual void getParameterLabel(int32_t index, char* label);                           // 17
  virtual void getParameterDisplay(int32_t index, char* text);                          // 18
  virtual void getParameterName(int32_t index, char* text);                             // 19
  virtual int32_t getChunk(void** data, bool isPreset);                                 // 20
  virtual int32_t setChunk(void* data, int32_t byteSize, bool isPreset);                // 21
  virtual void setUniqueID(int32_t id);                                                 // 22
  virtual void setNumInputs(int32_t inputs);                                            // 23
  virtual void setNumOutputs(int32_t outputs);                                          // 24
  virtual void canProcessReplacing(bool state);                                         // 25
  virtual void canDoubleReplacing(bool state);                                          // 26
  virtual void programsAreChunks(bool state);                                           // 27
  virtual void setInitialDelay(int32_t delay);                                          // 28
  virtual AEffEditor* getEditor();                                                      // 29
  virtual AEffect* getAeffect();                                                        // 30
  virtual float getSampleRate();                                                        // 31
  virtual int32_t getBlockSize();                                                       // 32
  virtual int32_t getMasterVersion();                                                   // 33
  virtual int32_t getCurrentUniqueId();                                                 // 34
  virtual void masterIdle();                                                            // 35
  virtual void dB2string(float value, char* text, int32_t maxLen);                      // 36
  virtual void Hz2string(float samples, char* text, int32_t maxLen);                    // 37
  virtual void ms2string(float samples, char* text, int32_t maxLen);                    // 38
  virtual void float2string(float value, char* text, int32_t maxLen);                   // 39
  virtual void int2string(int32_t value, char* text, int32_t maxLen);                   // 40
  virtual void process(float** inputs, float** outputs, int32_t sampleFrames);          // 41
  virtual float getVu();                                                                // 42
  virtual void hasVu(bool state);                                                       // 43
  virtual void hasClip(bool state);                                                     // 44
  virtual void canMono(bool state);                                                     // 45
  virtual void setRealtimeQualities(int32_t qualities);                                 // 46
  virtual void setOfflineQualities(int32_t qualities);                                  // 47
  virtual bool isInputConnected(int32_t input);                                         // 48
  virtual bool isOutputConnected(int32_t output);                                       // 49

  // Installs (or with null removes) the editor and sets or clears
  // effFlagsHasEditor.  The effect owns the editor from then on; a previous
  // editor is not destroyed here.
  void setEditor(AEffEditor* editor);

 protected:
  // Sets or clears one bit of cEffect.flags.
  void setFlag(int32_t bit, bool state);
  // The host callback with this effect's record as first argument; 0 when
  // there is no callback.
  intptr_t callHost(int32_t opcode, int32_t index = 0, intptr_t value = 0, void* ptr = nullptr,
                    float opt = 0.0f);

  audioMasterCallback audioMaster;  // may be null
  AEffEditor* editor;               // owned
  float sampleRate;
  int32_t blockSize;
  int32_t numPrograms;
  int32_t numParams;
  int32_t curProgram;
  AEffect cEffect;
};

class AudioEffectX : public AudioEffect {
 public:
  AudioEffectX(audioMasterCallback audioMaster, int32_t numPrograms, int32_t numParams);

  intptr_t dispatcher(int32_t opcode, int32_t index, intptr_t value, void* ptr,
                      float opt) override;                                              // 1
  void resume() override;                                                               // 5

  virtual bool canParameterBeAutomated(int32_t index);                                  // 50
  virtual bool string2parameter(int32_t index, char* text);                             // 51
  virtual bool getParameterProperties(int32_t index, void* properties);                 // 52
  virtual bool beginEdit(int32_t index);                                                // 53
  virtual bool endEdit(int32_t index);                                                  // 54
  virtual bool getProgramNameIndexed(int32_t category, int32_t index, char* text);      // 55
  virtual bool beginSetProgram();                                                       // 56
  virtual bool endSetProgram();                                                         // 57
  virtual int32_t beginLoadBank(void* patchInfo);                                       // 58
  virtual int32_t beginLoadProgram(void* patchInfo);                                    // 59
  virtual bool ioChanged();                                                             // 60
  virtual double updateSampleRate();                                                    // 61
  virtual int32_t updateBlockSize();                                                    // 62
  virtual int32_t getInputLatency();                                                    // 63
  virtual int32_t getOutputLatency();                                                   // 64
  virtual bool getInputProperties(int32_t index, void* properties);                     // 65
  virtual bool getOutputProperties(int32_t index, void* properties);                    // 66
  virtual bool setSpeakerArrangement(VstSpeakerArrangement* input,
                                     VstSpeakerArrangement* output);                   // 67
  virtual bool getSpeakerArrangement(VstSpeakerArrangement** input,
                                     VstSpeakerArrangement** output);                  // 68
  virtual bool setBypass(bool onOff);                                                   // 69
  virtual bool setPanLaw(int32_t type, float value);                                    // 70
  virtual bool setProcessPrecision(int32_t precision);                                  // 71
  virtual int32_t getNumMidiInputChannels();                                            // 72
  virtual int32_t getNumMidiOutputChannels();                                           // 73
  virtual VstTimeInfo* getTimeInfo(int32_t filter);                                     // 74
  virtual int32_t getCurrentProcessLevel();                                             // 75
  virtual int32_t getAutomationState();                                                 // 76
  virtual int32_t processEvents(void* events);                                          // 77
  virtual int32_t startProcess();                                                       // 78
  virtual int32_t stopProcess();                                                        // 79
  virtual bool processVariableIo(void* varIo);                                          // 80
  virtual int32_t setTotalSampleToProcess(int32_t value);                               // 81
  virtual bool getHostVendorString(char* text);                                         // 82
  virtual bool getHostProductString(char* text);                                        // 83
  virtual int32_t getHostVendorVersion();                                               // 84
  virtual intptr_t hostVendorSpecific(int32_t arg1, intptr_t arg2, void* ptrArg,
                                      float floatArg);                                  // 85
  virtual int32_t canHostDo(char* text);                                                // 86
  virtual int32_t getHostLanguage();                                                    // 87
  virtual void isSynth(bool state);                                                     // 88
  virtual void noTail(bool state);                                                      // 89
  virtual int32_t getGetTailSize();                                                     // 90
  virtual void* getDirectory();                                                         // 91
  virtual bool getEffectName(char* name);                                               // 92
  virtual bool getVendorString(char* text);                                             // 93
  virtual bool getProductString(char* text);                                            // 94
  virtual int32_t getVendorVersion();                                                   // 95
  virtual intptr_t vendorSpecific(int32_t arg1, intptr_t arg2, void* ptrArg,
                                  float floatArg);                                      // 96
  virtual int32_t canDo(char* text);                                                    // 97
  virtual int32_t getVstVersion();                                                      // 98
  virtual int32_t getPlugCategory();                                                    // 99
  virtual int32_t getMidiProgramName(int32_t channel, void* midiProgramName);           // 100
  virtual int32_t getCurrentMidiProgram(int32_t channel, void* currentProgram);         // 101
  virtual int32_t getMidiProgramCategory(int32_t channel, void* category);              // 102
  virtual bool hasMidiProgramsChanged(int32_t channel);                                 // 103
  virtual bool getMidiKeyName(int32_t channel, void* keyName);                          // 104
  virtual bool updateDisplay();                                                         // 105
  virtual bool sizeWindow(int32_t width, int32_t height);                               // 106
  virtual bool openFileSelector(void* fileSelect);                                      // 107
  virtual bool closeFileSelector(void* fileSelect);                                     // 108
  virtual int32_t getNextShellPlugin(char* name);                                       // 109
  virtual bool allocateArrangement(VstSpeakerArrangement** arrangement,
                                   int32_t channels);                                   // 110
  virtual bool deallocateArrangement(VstSpeakerArrangement** arrangement);              // 111
  virtual bool copySpeaker(VstSpeakerProperties* to, VstSpeakerProperties* from);      // 112
  virtual bool matchArrangement(VstSpeakerArrangement** to, VstSpeakerArrangement* from);  // 113
  virtual bool offlineRead(void* task, int32_t option, bool readSource);                // 114
  virtual bool offlineWrite(void* task, int32_t option);                                // 115
  virtual bool offlineStart(void* files, int32_t numFiles, int32_t numNewFiles);        // 116
  virtual bool offlineGetCurrentPass();                                                 // 117
  virtual bool offlineGetCurrentMetaPass();                                             // 118
  virtual bool offlineNotify(void* files, int32_t numFiles, bool start);                // 119
  virtual bool offlinePrepare(void* tasks, int32_t count);                              // 120
  virtual bool offlineRun(void* tasks, int32_t count);                                  // 121
  virtual int32_t offlineGetNumPasses();                                                // 122
  virtual int32_t offlineGetNumMetaPasses();                                            // 123
  virtual void wantEvents(int32_t filter);                                              // 124
  virtual int32_t tempoAt(int32_t pos);                                                 // 125
  virtual int32_t getNumAutomatableParameters();                                        // 126
  virtual int32_t getParameterQuantization();                                           // 127
  virtual int32_t getNumCategories();                                                   // 128
  virtual bool copyProgram(int32_t destination);                                        // 129
  virtual bool needIdle();                                                              // 130
  virtual AEffect* getPreviousPlug(int32_t input);                                      // 131
  virtual AEffect* getNextPlug(int32_t output);                                         // 132
  virtual void inputConnected(int32_t index, bool state);                               // 133
  virtual void outputConnected(int32_t index, bool state);                              // 134
  virtual int32_t willProcessReplacing();                                               // 135
  virtual void wantAsyncOperation(bool state);                                          // 136
  virtual void hasExternalBuffer(bool state);                                           // 137
  virtual int32_t reportCurrentPosition();                                              // 138
  virtual float* reportDestinationBuffer();                                             // 139
  virtual void setOutputSamplerate(float samplerate);                                   // 140
  virtual VstSpeakerArrangement* getInputSpeakerArrangement();                          // 141
  virtual VstSpeakerArrangement* getOutputSpeakerArrangement();                         // 142
  virtual void* openWindow(void* window);                                               // 143
  virtual bool closeWindow(void* window);                                               // 144
  virtual void setBlockSizeAndSampleRate(int32_t blockSize, float sampleRate);          // 145
  virtual bool getErrorText(char* text);                                                // 146
  virtual void* getIcon();                                                              // 147
  virtual bool setViewPosition(int32_t x, int32_t y);                                   // 148
  virtual int32_t fxIdle();                                                             // 149
  virtual bool keysRequired();                                                          // 150
  virtual bool getChunkFile(void* nativePath);                                          // 151
};

// Supplied by the plug-in: creates its effect object for the host callback,
// or returns null.  Defined with the plug-in object, not in this layer.
AudioEffect* createEffectInstance(audioMasterCallback audioMaster);

typedef AudioEffect* (*VstEffectFactory)(audioMasterCallback audioMaster);

// What the exported entry does, with the factory as argument: asks the host
// for its version (audioMasterVersion with a null effect); answers null when
// the host answers 0, else creates the effect with the factory and answers
// its record (null when the factory fails).
AEffect* VSTPluginEntry(audioMasterCallback audioMaster, VstEffectFactory factory);

// The exported entry: VSTPluginEntry with createEffectInstance.  The DLL also
// exports it as main, MAIN and _VSTPluginMain, and VSTPluginMainForward as
// _MAIN.
extern "C" {
ZR_EXPORT AEffect* VST_ENTRY VSTPluginMain(audioMasterCallback audioMaster);
AEffect* VST_ENTRY VSTPluginMainForward(audioMasterCallback audioMaster);
}

// Bounded text operations of the formatting helpers: write at most maxLen
// characters and store a terminating zero at text[maxLen].  The append
// bounds the whole text to maxLen characters.  Nothing is written for a null
// text or a negative maxLen.
void vstCopyText(char* text, const char* source, int32_t maxLen);
void vstAppendText(char* text, const char* source, int32_t maxLen);
