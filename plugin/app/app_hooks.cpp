// The application's module hooks: run by the module entry when the process
// loads and unloads the module.  The noise-gate application needs no work at
// either point; its objects are built by the plug-in object.
#include "ZR_module.h"

ZR_error ZR_appAttach() { return ZR_OK; }

ZR_error ZR_appDetach() { return ZR_OK; }
