// VST 2 preset files holding one program as an opaque chunk ("FPCh").
// All header fields are big-endian; the chunk itself is stored as is.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

struct FxpProgram {
  int32_t pluginId = 0;
  int32_t pluginVersion = 0;
  std::string name;  // at most 27 characters are stored
  std::vector<uint8_t> chunk;
};

std::vector<uint8_t> fxpEncode(const FxpProgram& program);
// Parses a preset file's bytes; on failure returns false with a reason.
bool fxpDecode(const std::vector<uint8_t>& bytes, FxpProgram& program, std::string& error);
