// A small VST 2 host: loads nothing itself, but drives any AEffect record
// through its dispatcher and entry points the way a host application does.
// Shared by the command-line denoiser, the Windows test host and the tests.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "vst2_interface.h"

class PluginHost {
 public:
  // The host callback to hand to a plug-in's entry: answers the version
  // question (2400) and nothing else.
  static intptr_t VSTCALLBACK callback(AEffect* effect, int32_t opcode, int32_t index, intptr_t value, void* ptr,
                                      float opt);

  explicit PluginHost(AEffect* effect) : effect_(effect) {}
  ~PluginHost() { close(); }
  PluginHost(const PluginHost&) = delete;
  PluginHost& operator=(const PluginHost&) = delete;

  AEffect* effect() const { return effect_; }
  intptr_t dispatch(int32_t opcode, int32_t index = 0, intptr_t value = 0, void* ptr = nullptr, float opt = 0.0f);

  // effOpen, sample rate, block size, then resume.
  void start(float sampleRate, int32_t blockSize);
  // effClose; the plug-in object is gone afterwards.  Returns its answer.
  intptr_t close();

  std::vector<uint8_t> chunk();
  bool setChunk(const std::vector<uint8_t>& bytes);
  std::string text(int32_t opcode, int32_t index = 0);
  void setParameter(int32_t index, float value) { effect_->setParameter(effect_, index, value); }
  float parameter(int32_t index) { return effect_->getParameter(effect_, index); }

  // One mono input to two outputs, in host calls of at most `blockSize`.
  void process(const float* in, float* out0, float* out1, int64_t frames, int32_t blockSize);

 private:
  AEffect* effect_;
};
