// The module's "DATA" resources in the native builds: generated at build time
// from plugin/resources/ZuverAduz.rc, the script windres compiles into the
// DLL, so both builds carry the same files under the same names.
#pragma once

struct ZR_resource_entry {
  const char* name;             // upper case, as the resource compiler stores it
  const unsigned char* bytes;   // the file's contents, 8-byte aligned
  unsigned long size;           // in bytes
};

extern const ZR_resource_entry ZR_resource_table[];
extern const unsigned ZR_resource_count;
