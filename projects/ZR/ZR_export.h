// Export marker for the framework's public symbols.  The Windows DLL exports
// them; the native builds link the same sources statically.
#pragma once

#if defined(_WIN32)
#define ZR_EXPORT __declspec(dllexport)
#else
#define ZR_EXPORT
#endif
