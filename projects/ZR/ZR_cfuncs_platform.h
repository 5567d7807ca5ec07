// What ZR_cfuncs needs from the platform: the steps of a resource lookup.
// Implemented once for Windows (the module's resource section) and once for
// the native builds (a table generated from the same resource script).
#pragma once

// Finds resource `name` (never null) of type "DATA"; null when missing.
const void* ZR_platformFindResource(const char* name);
// Loads a found resource; null on failure.
const void* ZR_platformLoadResource(const void* found);
// Returns the bytes of a loaded resource; null on failure.
const unsigned char* ZR_platformLockResource(const void* loaded);
// Size in bytes of a found resource.
unsigned long ZR_platformResourceSize(const void* found);
