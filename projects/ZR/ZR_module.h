// The module itself: its instance handle, set by the operating system's
// attach call, and the application's attach and detach hooks that the module
// entry runs.
#pragma once

#include "ZR_export.h"
#include "ZR/ZR_value.h"

#if defined(_WIN32)
// The same type as the Windows HINSTANCE, without pulling in <windows.h>.
struct HINSTANCE__;
typedef struct HINSTANCE__* ZR_module_handle;
#else
typedef void* ZR_module_handle;
#endif

// The module's instance handle; every resource lookup goes through it.  In
// the DLL the module entry stores it; before that (and in a program that
// links the framework statically) it is the handle of the module holding
// this code.
extern "C" ZR_EXPORT ZR_module_handle hInstance;

// The application's hooks, run by the module entry on process attach (after
// ZR_initall) and on process detach.
ZR_error ZR_appAttach();
ZR_error ZR_appDetach();
