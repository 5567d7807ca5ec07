// The module handle in the native builds, where the framework is linked into
// the program and there is no module entry.
#include "ZR_module.h"

ZR_module_handle hInstance = nullptr;
