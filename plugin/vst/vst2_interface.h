// Our declarations of the VST 2 plug-in interface: the AEffect record the host
// talks to, the dispatcher and host callback opcodes, the flag bits and the
// small records the base classes exchange with the host.
//
// On the 32-bit Windows target every pointer-sized field is 4 bytes and the
// record is 144 bytes; the native 64-bit build keeps the same field order with
// pointer-sized fields widened, so the same code runs in the tests.
#pragma once

#include <cstddef>
#include <cstdint>

// Everything crossing the host boundary uses the C calling convention of the
// 32-bit x86 ABI (the caller removes the arguments).  VSTCALLBACK marks
// function pointer types; VST_ENTRY marks our own functions the host calls,
// which also realign the stack, since a host only promises 4-byte alignment
// and the compiler's SSE code may want 16.
#if defined(__i386__)
#define VSTCALLBACK __attribute__((__cdecl__))
#define VST_ENTRY __attribute__((__cdecl__, __force_align_arg_pointer__))
#else
#define VSTCALLBACK
#define VST_ENTRY
#endif

struct AEffect;

// The host callback: (effect, opcode, index, value, ptr, opt) -> answer.
typedef intptr_t(VSTCALLBACK* audioMasterCallback)(AEffect* effect, int32_t opcode, int32_t index,
                                                    intptr_t value, void* ptr, float opt);

typedef intptr_t(VSTCALLBACK* AEffectDispatcherProc)(AEffect* effect, int32_t opcode, int32_t index,
                                                      intptr_t value, void* ptr, float opt);
typedef void(VSTCALLBACK* AEffectProcessProc)(AEffect* effect, float** inputs, float** outputs,
                                               int32_t sampleFrames);
typedef void(VSTCALLBACK* AEffectProcessDoubleProc)(AEffect* effect, double** inputs,
                                                     double** outputs, int32_t sampleFrames);
typedef void(VSTCALLBACK* AEffectSetParameterProc)(AEffect* effect, int32_t index, float parameter);
typedef float(VSTCALLBACK* AEffectGetParameterProc)(AEffect* effect, int32_t index);

// 'VstP' as a 32-bit integer: the bytes "PtsV" in memory.
constexpr int32_t kEffectMagic = 0x56737450;

// The record handed to the host.  Zero-filled before any field is set.
struct AEffect {
  int32_t magic;                                    // kEffectMagic
  AEffectDispatcherProc dispatcher;                 // opcodes, see the eff... constants
  AEffectProcessProc process;                       // accumulating process
  AEffectSetParameterProc setParameter;
  AEffectGetParameterProc getParameter;
  int32_t numPrograms;
  int32_t numParams;
  int32_t numInputs;
  int32_t numOutputs;
  int32_t flags;                                    // effFlags... bits
  intptr_t resvd1;
  intptr_t resvd2;
  int32_t initialDelay;
  int32_t realQualities;
  int32_t offQualities;
  float ioRatio;
  void* object;                                     // the AudioEffect behind this record
  void* user;
  int32_t uniqueID;
  int32_t version;
  AEffectProcessProc processReplacing;
  AEffectProcessDoubleProc processDoubleReplacing;
  char future[56];
};

#if defined(__i386__)
static_assert(sizeof(void*) == 4, "32-bit x86 target");
static_assert(sizeof(AEffect) == 144, "AEffect is 144 bytes on the 32-bit target");
static_assert(offsetof(AEffect, magic) == 0, "AEffect.magic");
static_assert(offsetof(AEffect, dispatcher) == 4, "AEffect.dispatcher");
static_assert(offsetof(AEffect, process) == 8, "AEffect.process");
static_assert(offsetof(AEffect, setParameter) == 12, "AEffect.setParameter");
static_assert(offsetof(AEffect, getParameter) == 16, "AEffect.getParameter");
static_assert(offsetof(AEffect, numPrograms) == 20, "AEffect.numPrograms");
static_assert(offsetof(AEffect, numParams) == 24, "AEffect.numParams");
static_assert(offsetof(AEffect, numInputs) == 28, "AEffect.numInputs");
static_assert(offsetof(AEffect, numOutputs) == 32, "AEffect.numOutputs");
static_assert(offsetof(AEffect, flags) == 36, "AEffect.flags");
static_assert(offsetof(AEffect, resvd1) == 40, "AEffect.resvd1");
static_assert(offsetof(AEffect, resvd2) == 44, "AEffect.resvd2");
static_assert(offsetof(AEffect, initialDelay) == 48, "AEffect.initialDelay");
static_assert(offsetof(AEffect, realQualities) == 52, "AEffect.realQualities");
static_assert(offsetof(AEffect, offQualities) == 56, "AEffect.offQualities");
static_assert(offsetof(AEffect, ioRatio) == 60, "AEffect.ioRatio");
static_assert(offsetof(AEffect, object) == 64, "AEffect.object");
static_assert(offsetof(AEffect, user) == 68, "AEffect.user");
static_assert(offsetof(AEffect, uniqueID) == 72, "AEffect.uniqueID");
static_assert(offsetof(AEffect, version) == 76, "AEffect.version");
static_assert(offsetof(AEffect, processReplacing) == 80, "AEffect.processReplacing");
static_assert(offsetof(AEffect, processDoubleReplacing) == 84, "AEffect.processDoubleReplacing");
static_assert(offsetof(AEffect, future) == 88, "AEffect.future");
#endif

// Bits of AEffect.flags.
enum : int32_t {
  effFlagsHasEditor = 1 << 0,
  effFlagsHasClip = 1 << 1,
  effFlagsHasVu = 1 << 2,
  effFlagsCanMono = 1 << 3,
  effFlagsCanReplacing = 1 << 4,
  effFlagsProgramChunks = 1 << 5,
  effFlagsIsSynth = 1 << 8,
  effFlagsNoSoundInStop = 1 << 9,
  effFlagsExtIsAsync = 1 << 10,
  effFlagsExtHasBuffer = 1 << 11,
  effFlagsCanDoubleReplacing = 1 << 12,
};

// Dispatcher opcodes (host to plug-in).  The gaps are opcodes this layer
// does not handle; they answer 0.
enum : int32_t {
  effOpen = 0,
  effClose = 1,
  effSetProgram = 2,
  effGetProgram = 3,
  effSetProgramName = 4,
  effGetProgramName = 5,
  effGetParamLabel = 6,
  effGetParamDisplay = 7,
  effGetParamName = 8,
  effSetSampleRate = 10,
  effSetBlockSize = 11,
  effMainsChanged = 12,
  effEditGetRect = 13,
  effEditOpen = 14,
  effEditClose = 15,
  effEditIdle = 19,
  effIdentify = 22,
  effGetChunk = 23,
  effSetChunk = 24,
  effProcessEvents = 25,
  effCanBeAutomated = 26,
  effString2Parameter = 27,
  effGetProgramNameIndexed = 29,
  effGetInputProperties = 33,
  effGetOutputProperties = 34,
  effGetPlugCategory = 35,
  effOfflineNotify = 38,
  effOfflinePrepare = 39,
  effOfflineRun = 40,
  effProcessVarIo = 41,
  effSetSpeakerArrangement = 42,
  effSetBypass = 44,
  effGetEffectName = 45,
  effGetVendorString = 47,
  effGetProductString = 48,
  effGetVendorVersion = 49,
  effVendorSpecific = 50,
  effCanDo = 51,
  effGetTailSize = 52,
  effGetParameterProperties = 56,
  effGetVstVersion = 58,
  effEditKeyDown = 59,
  effEditKeyUp = 60,
  effSetEditKnobMode = 61,
  effGetMidiProgramName = 62,
  effGetCurrentMidiProgram = 63,
  effGetMidiProgramCategory = 64,
  effHasMidiProgramsChanged = 65,
  effGetMidiKeyName = 66,
  effBeginSetProgram = 67,
  effEndSetProgram = 68,
  effGetSpeakerArrangement = 69,
  effShellGetNextPlugin = 70,
  effStartProcess = 71,
  effStopProcess = 72,
  effSetTotalSampleToProcess = 73,
  effSetPanLaw = 74,
  effBeginLoadBank = 75,
  effBeginLoadProgram = 76,
  effSetProcessPrecision = 77,
  effGetNumMidiInputChannels = 78,
  effGetNumMidiOutputChannels = 79,
};

// The answer to effIdentify: 'NvEf'.
constexpr intptr_t kEffectIdentify = 0x4E764566;
// AEffect.uniqueID until the plug-in sets its own: 'NoEf'.
constexpr int32_t kEffectDefaultUniqueID = 0x4E6F4566;
// What getVstVersion answers: interface version 2.4.
constexpr int32_t kVstVersion = 2400;

// Host callback opcodes (plug-in to host), named after the operation that
// sends each.
enum : int32_t {
  audioMasterAutomate = 0,
  audioMasterVersion = 1,
  audioMasterCurrentId = 2,
  audioMasterIdle = 3,
  audioMasterPinConnected = 4,
  audioMasterWantMidi = 6,
  audioMasterGetTime = 7,
  audioMasterTempoAt = 10,
  audioMasterGetNumAutomatableParameters = 11,
  audioMasterGetParameterQuantization = 12,
  audioMasterIOChanged = 13,
  audioMasterNeedIdle = 14,
  audioMasterSizeWindow = 15,
  audioMasterGetSampleRate = 16,
  audioMasterGetBlockSize = 17,
  audioMasterGetInputLatency = 18,
  audioMasterGetOutputLatency = 19,
  audioMasterGetPreviousPlug = 20,
  audioMasterGetNextPlug = 21,
  audioMasterWillReplaceOrAccumulate = 22,
  audioMasterGetCurrentProcessLevel = 23,
  audioMasterGetAutomationState = 24,
  audioMasterOfflineStart = 25,
  audioMasterOfflineRead = 26,
  audioMasterOfflineWrite = 27,
  audioMasterOfflineGetCurrentPass = 28,
  audioMasterOfflineGetCurrentMetaPass = 29,
  audioMasterSetOutputSampleRate = 30,
  audioMasterGetOutputSpeakerArrangement = 31,
  audioMasterGetVendorString = 32,
  audioMasterGetProductString = 33,
  audioMasterGetVendorVersion = 34,
  audioMasterVendorSpecific = 35,
  audioMasterCanDo = 37,
  audioMasterGetLanguage = 38,
  audioMasterOpenWindow = 39,
  audioMasterCloseWindow = 40,
  audioMasterGetDirectory = 41,
  audioMasterUpdateDisplay = 42,
  audioMasterBeginEdit = 43,
  audioMasterEndEdit = 44,
  audioMasterOpenFileSelector = 45,
  audioMasterCloseFileSelector = 46,
  audioMasterGetChunkFile = 48,
  audioMasterGetInputSpeakerArrangement = 49,
};

// Plug-in categories answered by getPlugCategory.
enum : int32_t {
  kVstCategoryUnknown = 0,
  kVstCategoryEffect = 1,
  kVstCategorySynth = 2,
};

// The editor rectangle: four 16-bit fields.
struct ERect {
  int16_t top;
  int16_t left;
  int16_t bottom;
  int16_t right;
};
static_assert(sizeof(ERect) == 8, "ERect is four 16-bit fields");

// A key event for the editor, built by the dispatcher (zero-filled first).
struct VstKeyCode {
  int32_t character;
  uint8_t virt;
  uint8_t modifier;
};

// One channel of a speaker arrangement: 112 bytes.
struct VstSpeakerProperties {
  float azimuth;
  float elevation;
  float radius;
  float reserved;
  char name[64];
  int32_t type;
  char future[28];
};
static_assert(sizeof(VstSpeakerProperties) == 112, "VstSpeakerProperties is 112 bytes");
static_assert(offsetof(VstSpeakerProperties, name) == 16, "VstSpeakerProperties.name");
static_assert(offsetof(VstSpeakerProperties, type) == 80, "VstSpeakerProperties.type");
static_assert(offsetof(VstSpeakerProperties, future) == 84, "VstSpeakerProperties.future");

// A speaker arrangement: type, channel count, then one VstSpeakerProperties
// per channel.  An arrangement for n channels occupies
// vstArrangementBytes(n) bytes; `speakers` is declared with one element and
// indexed up to numChannels - 1 inside that allocation.
struct VstSpeakerArrangement {
  int32_t type;
  int32_t numChannels;
  VstSpeakerProperties speakers[1];
};
static_assert(offsetof(VstSpeakerArrangement, speakers) == 8, "speakers follow the two counts");

constexpr size_t vstArrangementBytes(int32_t channels) {
  return static_cast<size_t>(channels) * sizeof(VstSpeakerProperties) + 8;
}

// Time information the host answers to audioMasterGetTime; this layer only
// passes the pointer on.
struct VstTimeInfo;
