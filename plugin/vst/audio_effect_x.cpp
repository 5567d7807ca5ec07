// AudioEffectX: the routing of opcodes 25-79, the defaults of the operations
// it adds, its host callback wrappers and the speaker arrangement helpers.
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "audio_effect.h"

namespace {

// The dispatcher's answer for an operation that reports success.
intptr_t oneOrZero(bool result) { return result ? 1 : 0; }

// Float to integer by truncation as the x86 conversion does it: NaN and
// values outside the 32-bit range give the "integer indefinite" 0x80000000.
int32_t truncateToInt32(float f) {
  if (f >= -2147483648.0f && f < 2147483648.0f) return static_cast<int32_t>(f);
  return INT32_MIN;
}

// The key event the editor gets: character from index, virtual key from the
// low byte of value, modifiers from the low byte of opt.
VstKeyCode keyCodeOf(int32_t index, intptr_t value, float opt) {
  VstKeyCode key;
  std::memset(&key, 0, sizeof key);
  key.character = index;
  key.virt = static_cast<uint8_t>(value & 0xFF);
  key.modifier = static_cast<uint8_t>(truncateToInt32(opt) & 0xFF);
  return key;
}

}  // namespace

AudioEffectX::AudioEffectX(audioMasterCallback audioMaster, int32_t numPrograms,
                           int32_t numParams)
    : AudioEffect(audioMaster, numPrograms, numParams) {}

intptr_t AudioEffectX::dispatcher(int32_t opcode, int32_t index, intptr_t value, void* ptr,
                                  float opt) {
  switch (opcode) {
    case effProcessEvents:
      return processEvents(ptr);
    case effCanBeAutomated:
      return oneOrZero(canParameterBeAutomated(index));
    case effString2Parameter:
      return oneOrZero(string2parameter(index, static_cast<char*>(ptr)));
    case effGetProgramNameIndexed:
      return oneOrZero(
          getProgramNameIndexed(static_cast<int32_t>(value), index, static_cast<char*>(ptr)));
    case effGetInputProperties:
      return oneOrZero(getInputProperties(index, ptr));
    case effGetOutputProperties:
      return oneOrZero(getOutputProperties(index, ptr));
    case effGetPlugCategory:
      return getPlugCategory();
    case effOfflineNotify:
      return oneOrZero(offlineNotify(ptr, static_cast<int32_t>(value), index != 0));
    case effOfflinePrepare:
      return oneOrZero(offlinePrepare(ptr, static_cast<int32_t>(value)));
    case effOfflineRun:
      return oneOrZero(offlineRun(ptr, static_cast<int32_t>(value)));
    case effProcessVarIo:
      return oneOrZero(processVariableIo(ptr));
    case effSetSpeakerArrangement:
      return oneOrZero(setSpeakerArrangement(reinterpret_cast<VstSpeakerArrangement*>(value),
                                             static_cast<VstSpeakerArrangement*>(ptr)));
    case effSetBypass:
      return oneOrZero(setBypass(value != 0));
    case effGetEffectName:
      return oneOrZero(getEffectName(static_cast<char*>(ptr)));
    case effGetVendorString:
      return oneOrZero(getVendorString(static_cast<char*>(ptr)));
    case effGetProductString:
      return oneOrZero(getProductString(static_cast<char*>(ptr)));
    case effGetVendorVersion:
      return getVendorVersion();
    case effVendorSpecific:
      return vendorSpecific(index, value, ptr, opt);
    case effCanDo:
      return canDo(static_cast<char*>(ptr));
    case effGetTailSize:
      return getGetTailSize();
    case effGetParameterProperties:
      return oneOrZero(getParameterProperties(index, ptr));
    case effGetVstVersion:
      return getVstVersion();
    case effEditKeyDown:
      if (!editor) return 0;
      {
        VstKeyCode key = keyCodeOf(index, value, opt);
        return oneOrZero(editor->onKeyDown(key));
      }
    case effEditKeyUp:
      if (!editor) return 0;
      {
        VstKeyCode key = keyCodeOf(index, value, opt);
        return oneOrZero(editor->onKeyUp(key));
      }
    case effSetEditKnobMode:
      return editor ? oneOrZero(editor->setKnobMode(static_cast<int32_t>(value))) : 0;
    case effGetMidiProgramName:
      return getMidiProgramName(index, ptr);
    case effGetCurrentMidiProgram:
      return getCurrentMidiProgram(index, ptr);
    case effGetMidiProgramCategory:
      return getMidiProgramCategory(index, ptr);
    case effHasMidiProgramsChanged:
      return oneOrZero(hasMidiProgramsChanged(index));
    case effGetMidiKeyName:
      return oneOrZero(getMidiKeyName(index, ptr));
    case effBeginSetProgram:
      return oneOrZero(beginSetProgram());
    case effEndSetProgram:
      return oneOrZero(endSetProgram());
    case effGetSpeakerArrangement:
      return oneOrZero(getSpeakerArrangement(reinterpret_cast<VstSpeakerArrangement**>(value),
                                             static_cast<VstSpeakerArrangement**>(ptr)));
    case effShellGetNextPlugin:
      return getNextShellPlugin(static_cast<char*>(ptr));
    case effStartProcess:
      return startProcess();
    case effStopProcess:
      return stopProcess();
    case effSetTotalSampleToProcess:
      return setTotalSampleToProcess(static_cast<int32_t>(value));
    case effSetPanLaw:
      return oneOrZero(setPanLaw(static_cast<int32_t>(value), opt));
    case effBeginLoadBank:
      return beginLoadBank(ptr);
    case effBeginLoadProgram:
      return beginLoadProgram(ptr);
    case effSetProcessPrecision:
      return oneOrZero(setProcessPrecision(static_cast<int32_t>(value)));
    case effGetNumMidiInputChannels:
      return getNumMidiInputChannels();
    case effGetNumMidiOutputChannels:
      return getNumMidiOutputChannels();
    default:
      return AudioEffect::dispatcher(opcode, index, value, ptr, opt);
  }
}

// Asks the host for MIDI events only when the effect is a synth or says it
// receives them.
void AudioEffectX::resume() {
  char receiveMidi[] = "receiveVstMidiEvent";
  if ((cEffect.flags & effFlagsIsSynth) || canDo(receiveMidi) == 1) wantEvents(1);
}

bool AudioEffectX::canParameterBeAutomated(int32_t index) { return true; }

bool AudioEffectX::string2parameter(int32_t index, char* text) { return false; }

bool AudioEffectX::getParameterProperties(int32_t index, void* properties) { return false; }

bool AudioEffectX::beginEdit(int32_t index) {
  return callHost(audioMasterBeginEdit, index) != 0;
}

bool AudioEffectX::endEdit(int32_t index) { return callHost(audioMasterEndEdit, index) != 0; }

bool AudioEffectX::getProgramNameIndexed(int32_t category, int32_t index, char* text) {
  return false;
}

bool AudioEffectX::beginSetProgram() { return false; }

bool AudioEffectX::endSetProgram() { return false; }

int32_t AudioEffectX::beginLoadBank(void* patchInfo) { return 0; }

int32_t AudioEffectX::beginLoadProgram(void* patchInfo) { return 0; }

bool AudioEffectX::ioChanged() { return callHost(audioMasterIOChanged) != 0; }

double AudioEffectX::updateSampleRate() {
  intptr_t rate = callHost(audioMasterGetSampleRate);
  if (rate > 0) sampleRate = static_cast<float>(rate);
  return sampleRate;
}

int32_t AudioEffectX::updateBlockSize() {
  intptr_t size = callHost(audioMasterGetBlockSize);
  if (size > 0) blockSize = static_cast<int32_t>(size);
  return blockSize;
}

int32_t AudioEffectX::getInputLatency() {
  return static_cast<int32_t>(callHost(audioMasterGetInputLatency));
}

int32_t AudioEffectX::getOutputLatency() {
  return static_cast<int32_t>(callHost(audioMasterGetOutputLatency));
}

bool AudioEffectX::getInputProperties(int32_t index, void* properties) { return false; }

bool AudioEffectX::getOutputProperties(int32_t index, void* properties) { return false; }

bool AudioEffectX::setSpeakerArrangement(VstSpeakerArrangement* input,
                                         VstSpeakerArrangement* output) {
  return false;
}

bool AudioEffectX::getSpeakerArrangement(VstSpeakerArrangement** input,
                                         VstSpeakerArrangement** output) {
  if (input) *input = nullptr;
  if (output) *output = nullptr;
  return false;
}

bool AudioEffectX::setBypass(bool onOff) { return false; }

bool AudioEffectX::setPanLaw(int32_t type, float value) { return false; }

bool AudioEffectX::setProcessPrecision(int32_t precision) { return false; }

int32_t AudioEffectX::getNumMidiInputChannels() { return 0; }

int32_t AudioEffectX::getNumMidiOutputChannels() { return 0; }

VstTimeInfo* AudioEffectX::getTimeInfo(int32_t filter) {
  return reinterpret_cast<VstTimeInfo*>(callHost(audioMasterGetTime, 0, filter));
}

int32_t AudioEffectX::getCurrentProcessLevel() {
  return static_cast<int32_t>(callHost(audioMasterGetCurrentProcessLevel));
}

int32_t AudioEffectX::getAutomationState() {
  return static_cast<int32_t>(callHost(audioMasterGetAutomationState));
}

int32_t AudioEffectX::processEvents(void* events) { return 0; }

int32_t AudioEffectX::startProcess() { return 0; }

int32_t AudioEffectX::stopProcess() { return 0; }

bool AudioEffectX::processVariableIo(void* varIo) { return false; }

int32_t AudioEffectX::setTotalSampleToProcess(int32_t value) { return value; }

bool AudioEffectX::getHostVendorString(char* text) {
  return callHost(audioMasterGetVendorString, 0, 0, text) != 0;
}

bool AudioEffectX::getHostProductString(char* text) {
  return callHost(audioMasterGetProductString, 0, 0, text) != 0;
}

int32_t AudioEffectX::getHostVendorVersion() {
  return static_cast<int32_t>(callHost(audioMasterGetVendorVersion));
}

intptr_t AudioEffectX::hostVendorSpecific(int32_t arg1, intptr_t arg2, void* ptrArg,
                                          float floatArg) {
  return callHost(audioMasterVendorSpecific, arg1, arg2, ptrArg, floatArg);
}

int32_t AudioEffectX::canHostDo(char* text) {
  return callHost(audioMasterCanDo, 0, 0, text) != 0 ? 1 : 0;
}

int32_t AudioEffectX::getHostLanguage() {
  return static_cast<int32_t>(callHost(audioMasterGetLanguage));
}

void AudioEffectX::isSynth(bool state) { setFlag(effFlagsIsSynth, state); }

void AudioEffectX::noTail(bool state) { setFlag(effFlagsNoSoundInStop, state); }

int32_t AudioEffectX::getGetTailSize() { return 0; }

void* AudioEffectX::getDirectory() {
  return reinterpret_cast<void*>(callHost(audioMasterGetDirectory));
}

bool AudioEffectX::getEffectName(char* name) { return false; }

bool AudioEffectX::getVendorString(char* text) { return false; }

bool AudioEffectX::getProductString(char* text) { return false; }

int32_t AudioEffectX::getVendorVersion() { return 0; }

intptr_t AudioEffectX::vendorSpecific(int32_t arg1, intptr_t arg2, void* ptrArg, float floatArg) {
  return 0;
}

int32_t AudioEffectX::canDo(char* text) { return 0; }

int32_t AudioEffectX::getVstVersion() { return kVstVersion; }

int32_t AudioEffectX::getPlugCategory() {
  return (cEffect.flags & effFlagsIsSynth) ? kVstCategorySynth : kVstCategoryUnknown;
}

int32_t AudioEffectX::getMidiProgramName(int32_t channel, void* midiProgramName) { return 0; }

int32_t AudioEffectX::getCurrentMidiProgram(int32_t channel, void* currentProgram) { return -1; }

int32_t AudioEffectX::getMidiProgramCategory(int32_t channel, void* category) { return 0; }

bool AudioEffectX::hasMidiProgramsChanged(int32_t channel) { return false; }

bool AudioEffectX::getMidiKeyName(int32_t channel, void* keyName) { return false; }

bool AudioEffectX::updateDisplay() { return callHost(audioMasterUpdateDisplay) != 0; }

bool AudioEffectX::sizeWindow(int32_t width, int32_t height) {
  return callHost(audioMasterSizeWindow, width, height) != 0;
}

// The file selector wrappers send nothing for a null record.
bool AudioEffectX::openFileSelector(void* fileSelect) {
  return fileSelect && callHost(audioMasterOpenFileSelector, 0, 0, fileSelect) != 0;
}

bool AudioEffectX::closeFileSelector(void* fileSelect) {
  return fileSelect && callHost(audioMasterCloseFileSelector, 0, 0, fileSelect) != 0;
}

int32_t AudioEffectX::getNextShellPlugin(char* name) { return 0; }

// ------------------------------------------------------ speaker arrangements

bool AudioEffectX::allocateArrangement(VstSpeakerArrangement** arrangement, int32_t channels) {
  if (!arrangement) return false;
  std::free(*arrangement);
  *arrangement = nullptr;
  if (channels < 0) return false;
  size_t bytes = vstArrangementBytes(channels);
  void* memory = std::calloc(1, bytes);
  if (!memory) return false;
  *arrangement = static_cast<VstSpeakerArrangement*>(memory);
  (*arrangement)->numChannels = channels;
  return true;
}

bool AudioEffectX::deallocateArrangement(VstSpeakerArrangement** arrangement) {
  if (!arrangement) return false;
  std::free(*arrangement);
  *arrangement = nullptr;
  return true;
}

bool AudioEffectX::copySpeaker(VstSpeakerProperties* to, VstSpeakerProperties* from) {
  if (!to || !from) return false;
  vstCopyText(to->name, from->name, sizeof to->name - 1);
  to->type = from->type;
  to->azimuth = from->azimuth;
  to->elevation = from->elevation;
  to->radius = from->radius;
  to->reserved = from->reserved;
  std::memcpy(to->future, from->future, sizeof to->future);
  return true;
}

bool AudioEffectX::matchArrangement(VstSpeakerArrangement** to, VstSpeakerArrangement* from) {
  if (!from) return false;
  if (!deallocateArrangement(to) || !allocateArrangement(to, from->numChannels)) return false;
  (*to)->type = from->type;
  for (int32_t i = 0; i < from->numChannels; ++i)
    if (!copySpeaker(&(*to)->speakers[i], &from->speakers[i])) return false;
  return true;
}

// ------------------------------------------------------------- offline work

bool AudioEffectX::offlineRead(void* task, int32_t option, bool readSource) {
  return callHost(audioMasterOfflineRead, readSource ? 1 : 0, option, task) != 0;
}

bool AudioEffectX::offlineWrite(void* task, int32_t option) {
  return callHost(audioMasterOfflineWrite, 0, option, task) != 0;
}

bool AudioEffectX::offlineStart(void* files, int32_t numFiles, int32_t numNewFiles) {
  return callHost(audioMasterOfflineStart, numNewFiles, numFiles, files) != 0;
}

bool AudioEffectX::offlineGetCurrentPass() {
  return callHost(audioMasterOfflineGetCurrentPass) != 0;
}

bool AudioEffectX::offlineGetCurrentMetaPass() {
  return callHost(audioMasterOfflineGetCurrentMetaPass) != 0;
}

bool AudioEffectX::offlineNotify(void* files, int32_t numFiles, bool start) { return false; }

bool AudioEffectX::offlinePrepare(void* tasks, int32_t count) { return false; }

bool AudioEffectX::offlineRun(void* tasks, int32_t count) { return false; }

int32_t AudioEffectX::offlineGetNumPasses() { return 0; }

int32_t AudioEffectX::offlineGetNumMetaPasses() { return 0; }

// ------------------------------------------------------------ host queries

void AudioEffectX::wantEvents(int32_t filter) { callHost(audioMasterWantMidi, 0, filter); }

int32_t AudioEffectX::tempoAt(int32_t pos) {
  return static_cast<int32_t>(callHost(audioMasterTempoAt, 0, pos));
}

int32_t AudioEffectX::getNumAutomatableParameters() {
  return static_cast<int32_t>(callHost(audioMasterGetNumAutomatableParameters));
}

int32_t AudioEffectX::getParameterQuantization() {
  return static_cast<int32_t>(callHost(audioMasterGetParameterQuantization));
}

int32_t AudioEffectX::getNumCategories() { return 1; }

bool AudioEffectX::copyProgram(int32_t destination) { return false; }

bool AudioEffectX::needIdle() { return callHost(audioMasterNeedIdle) != 0; }

AEffect* AudioEffectX::getPreviousPlug(int32_t input) {
  return reinterpret_cast<AEffect*>(callHost(audioMasterGetPreviousPlug));
}

AEffect* AudioEffectX::getNextPlug(int32_t output) {
  return reinterpret_cast<AEffect*>(callHost(audioMasterGetNextPlug));
}

void AudioEffectX::inputConnected(int32_t index, bool state) {}

void AudioEffectX::outputConnected(int32_t index, bool state) {}

int32_t AudioEffectX::willProcessReplacing() {
  return static_cast<int32_t>(callHost(audioMasterWillReplaceOrAccumulate));
}

void AudioEffectX::wantAsyncOperation(bool state) { setFlag(effFlagsExtIsAsync, state); }

void AudioEffectX::hasExternalBuffer(bool state) { setFlag(effFlagsExtHasBuffer, state); }

int32_t AudioEffectX::reportCurrentPosition() { return 0; }

float* AudioEffectX::reportDestinationBuffer() { return nullptr; }

void AudioEffectX::setOutputSamplerate(float samplerate) {
  callHost(audioMasterSetOutputSampleRate, 0, 0, nullptr, samplerate);
}

VstSpeakerArrangement* AudioEffectX::getInputSpeakerArrangement() {
  return reinterpret_cast<VstSpeakerArrangement*>(callHost(audioMasterGetInputSpeakerArrangement));
}

VstSpeakerArrangement* AudioEffectX::getOutputSpeakerArrangement() {
  return reinterpret_cast<VstSpeakerArrangement*>(
      callHost(audioMasterGetOutputSpeakerArrangement));
}

void* AudioEffectX::openWindow(void* window) {
  return reinterpret_cast<void*>(callHost(audioMasterOpenWindow, 0, 0, window));
}

bool AudioEffectX::closeWindow(void* window) {
  return callHost(audioMasterCloseWindow, 0, 0, window) != 0;
}

void AudioEffectX::setBlockSizeAndSampleRate(int32_t size, float rate) {
  blockSize = size;
  sampleRate = rate;
}

bool AudioEffectX::getErrorText(char* text) { return false; }

void* AudioEffectX::getIcon() { return nullptr; }

bool AudioEffectX::setViewPosition(int32_t x, int32_t y) { return false; }

int32_t AudioEffectX::fxIdle() {
  std::fputs("*** fxIdle ***\n", stdout);
  std::fflush(stdout);
  return 0;
}

bool AudioEffectX::keysRequired() { return false; }

bool AudioEffectX::getChunkFile(void* nativePath) {
  return nativePath && callHost(audioMasterGetChunkFile, 0, 0, nativePath) != 0;
}
