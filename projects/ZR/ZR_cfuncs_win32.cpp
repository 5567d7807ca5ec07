// Win32 platform layer of ZR_cfuncs: the message box and the module's
// resource section.
#include <windows.h>

#include "ZR_cfuncs.h"
#include "ZR_cfuncs_platform.h"
#include "ZR_module.h"  // hInstance, set by the DLL entry

int ZR_platformErrorBox(const char* text, const char* caption) {
  return MessageBoxA(NULL, text, caption, MB_OK);
}

const void* ZR_platformFindResource(const char* name) {
  return FindResourceA(hInstance, name, "DATA");
}

const void* ZR_platformLoadResource(const void* found) {
  return LoadResource(hInstance, static_cast<HRSRC>(const_cast<void*>(found)));
}

const unsigned char* ZR_platformLockResource(const void* loaded) {
  return static_cast<const unsigned char*>(LockResource(const_cast<void*>(loaded)));
}

unsigned long ZR_platformResourceSize(const void* found) {
  return SizeofResource(hInstance, static_cast<HRSRC>(const_cast<void*>(found)));
}
