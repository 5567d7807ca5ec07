// Minimal audio file access for the Windows test host, which has no
// libsndfile: RIFF WAVE with 16-, 24- or 32-bit PCM or 32-bit float
// samples, and headerless 32-bit float ("raw", little-endian).
#pragma once

#include <cstdint>
#include <string>
#include <vector>

struct AudioData {
  int channels = 1;
  int sampleRate = 44100;
  std::vector<float> samples;  // interleaved
  int64_t frames() const { return channels ? static_cast<int64_t>(samples.size()) / channels : 0; }
};

// Reads a .wav file, or any other name as raw float with the given rate.
bool readAudio(const std::string& path, int rawRate, AudioData& audio, std::string& error);
// Writes 32-bit float: a WAVE file for names ending in ".wav", else raw.
bool writeAudio(const std::string& path, const AudioData& audio, std::string& error);
