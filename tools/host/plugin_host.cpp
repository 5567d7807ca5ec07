#include "plugin_host.h"

#include <algorithm>
#include <cstring>

intptr_t VSTCALLBACK PluginHost::callback(AEffect*, int32_t opcode, int32_t, intptr_t, void*, float) {
  return opcode == audioMasterVersion ? 2400 : 0;
}

intptr_t PluginHost::dispatch(int32_t opcode, int32_t index, intptr_t value, void* ptr, float opt) {
  return effect_ ? effect_->dispatcher(effect_, opcode, index, value, ptr, opt) : 0;
}

void PluginHost::start(float sampleRate, int32_t blockSize) {
  dispatch(effOpen);
  dispatch(effSetSampleRate, 0, 0, nullptr, sampleRate);
  dispatch(effSetBlockSize, 0, blockSize);
  dispatch(effMainsChanged, 0, 1);
}

intptr_t PluginHost::close() {
  if (!effect_) return 0;
  dispatch(effMainsChanged, 0, 0);
  intptr_t answer = dispatch(effClose);
  effect_ = nullptr;
  return answer;
}

std::vector<uint8_t> PluginHost::chunk() {
  void* data = nullptr;
  intptr_t size = dispatch(effGetChunk, 0, 0, &data);
  if (!data || size <= 0) return {};
  const uint8_t* bytes = static_cast<const uint8_t*>(data);
  return std::vector<uint8_t>(bytes, bytes + size);
}

bool PluginHost::setChunk(const std::vector<uint8_t>& bytes) {
  std::vector<uint8_t> copy(bytes);
  intptr_t answer = dispatch(effSetChunk, 0, static_cast<intptr_t>(copy.size()), copy.data());
  return answer == static_cast<intptr_t>(copy.size()) && !copy.empty();
}

std::string PluginHost::text(int32_t opcode, int32_t index) {
  char buffer[256];
  std::memset(buffer, 0, sizeof buffer);
  dispatch(opcode, index, 0, buffer);
  buffer[sizeof buffer - 1] = 0;
  return buffer;
}

void PluginHost::process(const float* in, float* out0, float* out1, int64_t frames, int32_t blockSize) {
  for (int64_t pos = 0; pos < frames; pos += blockSize) {
    int32_t n = static_cast<int32_t>(std::min<int64_t>(blockSize, frames - pos));
    float* inputs[1] = {const_cast<float*>(in + pos)};
    float* outputs[2] = {out0 + pos, out1 + pos};
    effect_->processReplacing(effect_, inputs, outputs, n);
  }
}
