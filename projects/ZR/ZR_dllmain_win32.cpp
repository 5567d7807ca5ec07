// The module entry of the Windows DLL.
#include <windows.h>

#include "ZR_module.h"
#include "ZR/ZR_object.h"

// The image base of the module this code is linked into: its instance
// handle, known before the entry runs.
extern "C" IMAGE_DOS_HEADER __ImageBase;

ZR_module_handle hInstance = reinterpret_cast<HINSTANCE>(&__ImageBase);

extern "C" BOOL WINAPI DllMain(HINSTANCE instance, DWORD reason, LPVOID reserved) {
  hInstance = instance;
  switch (reason) {
    case DLL_PROCESS_ATTACH:
      ZR_initall();
      ZR_appAttach();
      break;
    case DLL_PROCESS_DETACH:
      ZR_appDetach();
      break;
    default:
      break;
  }
  return TRUE;
}
