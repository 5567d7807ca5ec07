// Native platform layer of ZR_cfuncs: reports go to standard error, resources
// come from the table generated from the resource script.
#include <cstdio>

#include "ZR_cfuncs.h"
#include "ZR_cfuncs_platform.h"
#include "ZR_resource_table.h"

int ZR_platformErrorBox(const char* text, const char* caption) {
  std::fprintf(stderr, "%s\n%s\n", caption, text);
  std::fflush(stderr);
  return 1;  // the answer of a box with a single OK button
}

namespace {

char upper(char c) { return (c >= 'a' && c <= 'z') ? static_cast<char>(c - 'a' + 'A') : c; }

bool sameName(const char* a, const char* b) {
  for (; *a && *b; ++a, ++b)
    if (upper(*a) != upper(*b)) return false;
  return *a == *b;
}

}  // namespace

const void* ZR_platformFindResource(const char* name) {
  for (unsigned i = 0; i < ZR_resource_count; ++i)
    if (sameName(ZR_resource_table[i].name, name)) return &ZR_resource_table[i];
  return nullptr;
}

const void* ZR_platformLoadResource(const void* found) { return found; }

const unsigned char* ZR_platformLockResource(const void* loaded) {
  return static_cast<const ZR_resource_entry*>(loaded)->bytes;
}

unsigned long ZR_platformResourceSize(const void* found) {
  return static_cast<const ZR_resource_entry*>(found)->size;
}
