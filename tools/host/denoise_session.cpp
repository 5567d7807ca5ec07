#include "denoise_session.h"

#include <algorithm>
#include <memory>
#include <stdexcept>

#include "plugin_host.h"

namespace {

const int64_t kStretch = 65536;  // frames handed to the host loop at a time

std::unique_ptr<PluginHost> load(VstEntry entry, const DenoiseSettings& s) {
  AEffect* effect = entry ? entry(&PluginHost::callback) : nullptr;
  if (!effect) throw std::runtime_error("the plug-in refused to load");
  std::unique_ptr<PluginHost> host(new PluginHost(effect));
  host->start(s.sampleRate, s.block);
  return host;
}

void run(PluginHost& host, const float* in, float* out0, float* out1, int64_t frames, int32_t block,
         const ProgressFn& progress) {
  for (int64_t pos = 0; pos < frames; pos += kStretch) {
    int64_t n = std::min(kStretch, frames - pos);
    host.process(in + pos, out0 + pos, out1 + pos, n, block);
    if (progress) progress(n);
  }
}

}  // namespace

std::vector<uint8_t> learnProfile(VstEntry entry, const std::vector<float>& signal, int64_t from, int64_t to,
                                  const DenoiseSettings& s, const ProgressFn& progress) {
  std::unique_ptr<PluginHost> host = load(entry, s);
  host->dispatch(effVendorSpecific, kLearnSelector, 1);
  std::vector<float> out0(static_cast<size_t>(to - from)), out1(out0.size());
  run(*host, signal.data() + from, out0.data(), out1.data(), to - from, s.block, progress);
  host->dispatch(effVendorSpecific, kLearnSelector, 0);
  host->setParameter(1, s.level);
  return host->chunk();
}

std::vector<float> renderWithProfile(VstEntry entry, const std::vector<float>& signal,
                                     const std::vector<uint8_t>& profile, bool fromPreset, const DenoiseSettings& s,
                                     const ProgressFn& progress) {
  std::unique_ptr<PluginHost> host = load(entry, s);
  if (!host->setChunk(profile)) throw std::runtime_error("the plug-in refused the noise profile");
  if (s.levelGiven || !fromPreset) host->setParameter(1, s.level);
  // With compensation the tail is flushed with silence, so the output keeps
  // the input's length and lines up with it.
  const int64_t frames = static_cast<int64_t>(signal.size());
  const int64_t total = frames + (s.compensate ? kPluginLatency : 0);
  std::vector<float> in(signal);
  in.resize(static_cast<size_t>(total), 0.0f);
  std::vector<float> out0(static_cast<size_t>(total)), out1(static_cast<size_t>(total));
  run(*host, in.data(), out0.data(), out1.data(), total, s.block, progress);
  if (s.compensate) out0.erase(out0.begin(), out0.begin() + kPluginLatency);
  return out0;
}
