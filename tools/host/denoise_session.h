// The denoising protocol shared by zuver-aduz and zrhost, so both drive a
// plug-in identically: learn the noise with one instance over a span of the
// signal, then render the whole signal from its start in a fresh instance
// that is given the learnt state.
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "vst2_interface.h"

typedef AEffect* (*VstEntry)(audioMasterCallback);

struct DenoiseSettings {
  float sampleRate = 44100.0f;
  int32_t block = 512;
  float level = 0.0f;
  bool levelGiven = false;  // with a preset, the preset's level unless given
  bool compensate = true;   // remove the plug-in's delay, flushing its tail
};

// Vendor-specific call that switches the plug-in's learning.
enum : int32_t { kLearnSelector = 0x5A416C6E, kPluginLatency = 511 };

typedef std::function<void(int64_t frames)> ProgressFn;

// Returns the plug-in's state after learning over [from, to) frames, with
// the level set.  Throws std::runtime_error when the plug-in cannot load.
std::vector<uint8_t> learnProfile(VstEntry entry, const std::vector<float>& signal, int64_t from, int64_t to,
                                  const DenoiseSettings& settings, const ProgressFn& progress);

// Renders the whole signal with the given state.  `fromPreset` keeps the
// state's own level unless the settings give one.
std::vector<float> renderWithProfile(VstEntry entry, const std::vector<float>& signal,
                                     const std::vector<uint8_t>& profile, bool fromPreset,
                                     const DenoiseSettings& settings, const ProgressFn& progress);
