#include "fxp.h"

#include <cstring>

namespace {

const size_t kHeader = 60;  // up to and including the chunk size field

void put32(std::vector<uint8_t>& out, uint32_t v) {
  for (int shift = 24; shift >= 0; shift -= 8) out.push_back(static_cast<uint8_t>(v >> shift));
}

uint32_t get32(const std::vector<uint8_t>& in, size_t at) {
  return (uint32_t{in[at]} << 24) | (uint32_t{in[at + 1]} << 16) | (uint32_t{in[at + 2]} << 8) | in[at + 3];
}

uint32_t tag(const char* four) {
  return (uint32_t(uint8_t(four[0])) << 24) | (uint32_t(uint8_t(four[1])) << 16) | (uint32_t(uint8_t(four[2])) << 8) |
         uint8_t(four[3]);
}

}  // namespace

std::vector<uint8_t> fxpEncode(const FxpProgram& program) {
  std::vector<uint8_t> out;
  put32(out, tag("CcnK"));
  put32(out, static_cast<uint32_t>(kHeader - 8 + program.chunk.size()));
  put32(out, tag("FPCh"));
  put32(out, 1);  // format version
  put32(out, static_cast<uint32_t>(program.pluginId));
  put32(out, static_cast<uint32_t>(program.pluginVersion));
  put32(out, 1);  // programs
  char name[28] = {0};
  std::strncpy(name, program.name.c_str(), sizeof name - 1);
  out.insert(out.end(), name, name + sizeof name);
  put32(out, static_cast<uint32_t>(program.chunk.size()));
  out.insert(out.end(), program.chunk.begin(), program.chunk.end());
  return out;
}

bool fxpDecode(const std::vector<uint8_t>& bytes, FxpProgram& program, std::string& error) {
  if (bytes.size() < kHeader || get32(bytes, 0) != tag("CcnK")) {
    error = "not a VST preset file";
    return false;
  }
  if (get32(bytes, 8) != tag("FPCh")) {
    error = "not a preset holding its program as a chunk";
    return false;
  }
  uint32_t byteSize = get32(bytes, 4);
  uint32_t chunkSize = get32(bytes, 56);
  if (byteSize != bytes.size() - 8 || chunkSize != bytes.size() - kHeader) {
    error = "the preset's sizes do not match the file (truncated or damaged)";
    return false;
  }
  program.pluginId = static_cast<int32_t>(get32(bytes, 16));
  program.pluginVersion = static_cast<int32_t>(get32(bytes, 20));
  char name[29] = {0};
  std::memcpy(name, &bytes[28], 28);
  program.name = name;
  program.chunk.assign(bytes.begin() + kHeader, bytes.end());
  return true;
}
