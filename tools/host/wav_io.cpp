#include "wav_io.h"

#include <cctype>
#include <cstdio>
#include <cstring>

namespace {

bool endsWith(const std::string& s, const char* suffix) {
  size_t n = std::strlen(suffix);
  if (s.size() < n) return false;
  for (size_t i = 0; i < n; ++i)
    if (std::tolower(static_cast<unsigned char>(s[s.size() - n + i])) != suffix[i]) return false;
  return true;
}

bool readAll(const std::string& path, std::vector<uint8_t>& bytes) {
  FILE* f = std::fopen(path.c_str(), "rb");
  if (!f) return false;
  uint8_t buffer[65536];
  size_t n;
  while ((n = std::fread(buffer, 1, sizeof buffer, f)) > 0) bytes.insert(bytes.end(), buffer, buffer + n);
  bool ok = !std::ferror(f);
  std::fclose(f);
  return ok;
}

uint32_t le32(const uint8_t* p) { return p[0] | (p[1] << 8) | (p[2] << 16) | (uint32_t(p[3]) << 24); }
uint16_t le16(const uint8_t* p) { return static_cast<uint16_t>(p[0] | (p[1] << 8)); }

float sampleAt(const uint8_t* p, int format, int bits) {
  if (format == 3 && bits == 32) {
    float f;
    std::memcpy(&f, p, 4);
    return f;
  }
  switch (bits) {
    case 16: return static_cast<int16_t>(le16(p)) / 32768.0f;
    case 24: {
      int32_t v = static_cast<int32_t>((uint32_t(p[0]) << 8) | (uint32_t(p[1]) << 16) | (uint32_t(p[2]) << 24)) >> 8;
      return static_cast<float>(v / 8388608.0);
    }
    default: return static_cast<float>(static_cast<int32_t>(le32(p)) / 2147483648.0);
  }
}

bool parseWave(const std::vector<uint8_t>& b, AudioData& audio, std::string& error) {
  if (b.size() < 12 || std::memcmp(&b[0], "RIFF", 4) != 0 || std::memcmp(&b[8], "WAVE", 4) != 0) {
    error = "not a WAVE file";
    return false;
  }
  int format = 0, bits = 0;
  size_t at = 12;
  bool haveFormat = false;
  while (at + 8 <= b.size()) {
    uint32_t size = le32(&b[at + 4]);
    size_t body = at + 8;
    if (size > b.size() - body) size = static_cast<uint32_t>(b.size() - body);  // a truncated last chunk
    if (std::memcmp(&b[at], "fmt ", 4) == 0 && size >= 16) {
      format = le16(&b[body]);
      audio.channels = le16(&b[body + 2]);
      audio.sampleRate = static_cast<int>(le32(&b[body + 4]));
      bits = le16(&b[body + 14]);
      if (format == 0xFFFE && size >= 26) format = le16(&b[body + 24]);  // extensible: the subformat
      haveFormat = true;
    } else if (std::memcmp(&b[at], "data", 4) == 0) {
      if (!haveFormat || audio.channels < 1 || audio.sampleRate < 1 ||
          !((format == 1 && (bits == 16 || bits == 24 || bits == 32)) || (format == 3 && bits == 32))) {
        error = "unsupported WAVE sample format";
        return false;
      }
      size_t width = static_cast<size_t>(bits / 8);
      size_t count = size / width;
      count -= count % static_cast<size_t>(audio.channels);
      audio.samples.resize(count);
      for (size_t i = 0; i < count; ++i) audio.samples[i] = sampleAt(&b[body + i * width], format, bits);
      return true;
    }
    at = body + size + (size & 1);
  }
  error = "no audio data in the WAVE file";
  return false;
}

void put32(std::vector<uint8_t>& out, uint32_t v) {
  for (int i = 0; i < 4; ++i) out.push_back(static_cast<uint8_t>(v >> (8 * i)));
}
void put16(std::vector<uint8_t>& out, uint16_t v) {
  out.push_back(static_cast<uint8_t>(v));
  out.push_back(static_cast<uint8_t>(v >> 8));
}

}  // namespace

bool readAudio(const std::string& path, int rawRate, AudioData& audio, std::string& error) {
  std::vector<uint8_t> bytes;
  if (!readAll(path, bytes)) {
    error = "cannot read '" + path + "'";
    return false;
  }
  if (endsWith(path, ".wav")) return parseWave(bytes, audio, error);
  audio.channels = 1;
  audio.sampleRate = rawRate;
  audio.samples.resize(bytes.size() / 4);
  if (!audio.samples.empty()) std::memcpy(audio.samples.data(), bytes.data(), audio.samples.size() * 4);
  return true;
}

bool writeAudio(const std::string& path, const AudioData& audio, std::string& error) {
  std::vector<uint8_t> out;
  const uint32_t dataBytes = static_cast<uint32_t>(audio.samples.size() * 4);
  if (endsWith(path, ".wav")) {
    out.insert(out.end(), {'R', 'I', 'F', 'F'});
    put32(out, 36 + dataBytes);
    out.insert(out.end(), {'W', 'A', 'V', 'E', 'f', 'm', 't', ' '});
    put32(out, 16);
    put16(out, 3);
    put16(out, static_cast<uint16_t>(audio.channels));
    put32(out, static_cast<uint32_t>(audio.sampleRate));
    put32(out, static_cast<uint32_t>(audio.sampleRate * audio.channels * 4));
    put16(out, static_cast<uint16_t>(audio.channels * 4));
    put16(out, 32);
    out.insert(out.end(), {'d', 'a', 't', 'a'});
    put32(out, dataBytes);
  }
  size_t header = out.size();
  out.resize(header + dataBytes);
  if (dataBytes) std::memcpy(&out[header], audio.samples.data(), dataBytes);
  std::string temp = path + ".part";
  FILE* f = std::fopen(temp.c_str(), "wb");
  bool ok = f && std::fwrite(out.data(), 1, out.size(), f) == out.size();
  if (f) ok = (std::fclose(f) == 0) && ok;
#if defined(_WIN32)
  std::remove(path.c_str());  // Windows does not rename over an existing file
#endif
  if (!ok || std::rename(temp.c_str(), path.c_str()) != 0) {
    std::remove(temp.c_str());
    error = "cannot write '" + path + "'";
    return false;
  }
  return true;
}
