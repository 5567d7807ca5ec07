// AudioEffect: the AEffect record, the static entries the host calls through
// it, the routing of opcodes 0-24, the base defaults and the host callback
// wrappers of the base class.  AEffEditor: the editor base.
#include "audio_effect.h"

#include <cstring>

// ------------------------------------------------------------------ editor

AEffEditor::AEffEditor(AudioEffect* effect) : effect(effect), systemWindow(nullptr) {}

AEffEditor::~AEffEditor() {}

AudioEffect* AEffEditor::getEffect() { return effect; }

bool AEffEditor::getRect(ERect** rect) {
  if (rect) *rect = nullptr;
  return false;
}

bool AEffEditor::open(void* parent) {
  systemWindow = parent;
  return false;
}

void AEffEditor::close() { systemWindow = nullptr; }

bool AEffEditor::isOpen() { return systemWindow != nullptr; }

void AEffEditor::idle() {}

bool AEffEditor::onKeyDown(VstKeyCode& keyCode) { return false; }

bool AEffEditor::onKeyUp(VstKeyCode& keyCode) { return false; }

bool AEffEditor::onWheel(float distance) { return false; }

bool AEffEditor::setKnobMode(int32_t mode) { return false; }

// ---------------------------------------------------------- static entries

namespace {

AudioEffect* effectOf(AEffect* e) { return e ? static_cast<AudioEffect*>(e->object) : nullptr; }

intptr_t VST_ENTRY dispatcherEntry(AEffect* e, int32_t opcode, int32_t index, intptr_t value,
                                   void* ptr, float opt) {
  AudioEffect* effect = effectOf(e);
  if (!effect) return 0;
  intptr_t answer = effect->dispatcher(opcode, index, value, ptr, opt);
  if (opcode == effClose) {
    // The host gives up the record with this call: the object goes with it.
    delete effect;
    return 1;
  }
  return answer;
}

void VST_ENTRY processEntry(AEffect* e, float** inputs, float** outputs, int32_t sampleFrames) {
  if (AudioEffect* effect = effectOf(e)) effect->process(inputs, outputs, sampleFrames);
}

void VST_ENTRY processReplacingEntry(AEffect* e, float** inputs, float** outputs,
                                     int32_t sampleFrames) {
  if (AudioEffect* effect = effectOf(e)) effect->processReplacing(inputs, outputs, sampleFrames);
}

void VST_ENTRY processDoubleReplacingEntry(AEffect* e, double** inputs, double** outputs,
                                           int32_t sampleFrames) {
  if (AudioEffect* effect = effectOf(e))
    effect->processDoubleReplacing(inputs, outputs, sampleFrames);
}

void VST_ENTRY setParameterEntry(AEffect* e, int32_t index, float value) {
  if (AudioEffect* effect = effectOf(e)) effect->setParameter(index, value);
}

float VST_ENTRY getParameterEntry(AEffect* e, int32_t index) {
  AudioEffect* effect = effectOf(e);
  return effect ? effect->getParameter(index) : 0.0f;
}

}  // namespace

// ------------------------------------------------------------ AudioEffect

AudioEffect::AudioEffect(audioMasterCallback audioMaster, int32_t numPrograms, int32_t numParams)
    : audioMaster(audioMaster),
      editor(nullptr),
      sampleRate(44100.0f),
      blockSize(1024),
      numPrograms(numPrograms),
      numParams(numParams),
      curProgram(0) {
  std::memset(&cEffect, 0, sizeof cEffect);
  cEffect.magic = kEffectMagic;
  cEffect.dispatcher = dispatcherEntry;
  cEffect.process = processEntry;
  cEffect.setParameter = setParameterEntry;
  cEffect.getParameter = getParameterEntry;
  cEffect.processReplacing = processReplacingEntry;
  cEffect.processDoubleReplacing = processDoubleReplacingEntry;
  cEffect.numPrograms = numPrograms;
  cEffect.numParams = numParams;
  cEffect.numInputs = 1;
  cEffect.numOutputs = 2;
  cEffect.ioRatio = 1.0f;
  cEffect.object = this;
  cEffect.uniqueID = kEffectDefaultUniqueID;
  cEffect.version = 1;
  canProcessReplacing(true);
  cEffect.processDoubleReplacing = processDoubleReplacingEntry;
}

AudioEffect::~AudioEffect() {
  delete editor;
  editor = nullptr;
}

intptr_t AudioEffect::dispatcher(int32_t opcode, int32_t index, intptr_t value, void* ptr,
                                 float opt) {
  switch (opcode) {
    case effOpen:
      open();
      return 0;
    case effClose:
      close();
      return 0;
    case effSetProgram:
      // Signed: negative programs pass, the plug-in decides what they mean.
      if (value < numPrograms) setProgram(static_cast<int32_t>(value));
      return 0;
    case effGetProgram:
      return getProgram();
    case effSetProgramName:
      setProgramName(static_cast<char*>(ptr));
      return 0;
    case effGetProgramName:
      getProgramName(static_cast<char*>(ptr));
      return 0;
    case effGetParamLabel:
      getParameterLabel(index, static_cast<char*>(ptr));
      return 0;
    case effGetParamDisplay:
      getParameterDisplay(index, static_cast<char*>(ptr));
      return 0;
    case effGetParamName:
      getParameterName(index, static_cast<char*>(ptr));
      return 0;
    case effSetSampleRate:
      setSampleRate(opt);
      return 0;
    case effSetBlockSize:
      setBlockSize(static_cast<int32_t>(value));
      return 0;
    case effMainsChanged:
      if (value)
        resume();
      else
        suspend();
      return 0;
    case effEditGetRect:
      return editor && editor->getRect(static_cast<ERect**>(ptr)) ? 1 : 0;
    case effEditOpen:
      return editor && editor->open(ptr) ? 1 : 0;
    case effEditClose:
      if (editor) editor->close();
      return 0;
    case effEditIdle:
      if (editor) editor->idle();
      return 0;
    case effIdentify:
      return kEffectIdentify;
    case effGetChunk:
      return getChunk(static_cast<void**>(ptr), index != 0);
    case effSetChunk:
      return setChunk(ptr, static_cast<int32_t>(value), index != 0);
    default:
      return 0;
  }
}

void AudioEffect::open() {}

void AudioEffect::close() {}

void AudioEffect::suspend() {}

void AudioEffect::resume() {}

void AudioEffect::setSampleRate(float rate) { sampleRate = rate; }

void AudioEffect::setBlockSize(int32_t size) { blockSize = size; }

void AudioEffect::processDoubleReplacing(double** inputs, double** outputs, int32_t sampleFrames) {}

void AudioEffect::setParameter(int32_t index, float value) {}

float AudioEffect::getParameter(int32_t index) { return 0.0f; }

void AudioEffect::setParameterAutomated(int32_t index, float value) {
  setParameter(index, value);
  callHost(audioMasterAutomate, index, 0, nullptr, value);
}

int32_t AudioEffect::getProgram() { return curProgram; }

void AudioEffect::setProgram(int32_t program) { curProgram = program; }

void AudioEffect::setProgramName(char* name) {}

void AudioEffect::getProgramName(char* name) {
  if (name) *name = 0;
}

void AudioEffect::getParameterLabel(int32_t index, char* label) {
  if (label) *label = 0;
}

void AudioEffect::getParameterDisplay(int32_t index, char* text) {
  if (text) *text = 0;
}

void AudioEffect::getParameterName(int32_t index, char* text) {
  if (text) *text = 0;
}

int32_t AudioEffect::getChunk(void** data, bool isPreset) { return 0; }

int32_t AudioEffect::setChunk(void* data, int32_t byteSize, bool isPreset) { return 0; }

void AudioEffect::setUniqueID(int32_t id) { cEffect.uniqueID = id; }

void AudioEffect::setNumInputs(int32_t inputs) { cEffect.numInputs = inputs; }

void AudioEffect::setNumOutputs(int32_t outputs) { cEffect.numOutputs = outputs; }

void AudioEffect::setFlag(int32_t bit, bool state) {
  if (state)
    cEffect.flags |= bit;
  else
    cEffect.flags &= ~bit;
}

void AudioEffect::canProcessReplacing(bool state) { setFlag(effFlagsCanReplacing, state); }

void AudioEffect::canDoubleReplacing(bool state) { setFlag(effFlagsCanDoubleReplacing, state); }

void AudioEffect::programsAreChunks(bool state) { setFlag(effFlagsProgramChunks, state); }

void AudioEffect::setInitialDelay(int32_t delay) { cEffect.initialDelay = delay; }

AEffEditor* AudioEffect::getEditor() { return editor; }

AEffect* AudioEffect::getAeffect() { return &cEffect; }

float AudioEffect::getSampleRate() { return sampleRate; }

int32_t AudioEffect::getBlockSize() { return blockSize; }

intptr_t AudioEffect::callHost(int32_t opcode, int32_t index, intptr_t value, void* ptr, float opt) {
  return audioMaster ? audioMaster(&cEffect, opcode, index, value, ptr, opt) : 0;
}

int32_t AudioEffect::getMasterVersion() {
  intptr_t version = callHost(audioMasterVersion);
  return version ? static_cast<int32_t>(version) : 1;
}

int32_t AudioEffect::getCurrentUniqueId() {
  return static_cast<int32_t>(callHost(audioMasterCurrentId));
}

void AudioEffect::masterIdle() { callHost(audioMasterIdle); }

void AudioEffect::process(float** inputs, float** outputs, int32_t sampleFrames) {}

float AudioEffect::getVu() { return 0.0f; }

void AudioEffect::hasVu(bool state) { setFlag(effFlagsHasVu, state); }

void AudioEffect::hasClip(bool state) { setFlag(effFlagsHasClip, state); }

void AudioEffect::canMono(bool state) { setFlag(effFlagsCanMono, state); }

void AudioEffect::setRealtimeQualities(int32_t qualities) { cEffect.realQualities = qualities; }

void AudioEffect::setOfflineQualities(int32_t qualities) { cEffect.offQualities = qualities; }

// The host answers 0 for a connected pin, so does a missing host.
bool AudioEffect::isInputConnected(int32_t input) {
  return callHost(audioMasterPinConnected, input, 0) == 0;
}

bool AudioEffect::isOutputConnected(int32_t output) {
  return callHost(audioMasterPinConnected, output, 1) == 0;
}

void AudioEffect::setEditor(AEffEditor* newEditor) {
  editor = newEditor;
  setFlag(effFlagsHasEditor, newEditor != nullptr);
}
