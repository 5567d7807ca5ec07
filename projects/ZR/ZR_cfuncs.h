// Plain functions of the framework: the error box and the lookup of the
// module's "DATA" resources.
#pragma once

#include "ZR_export.h"
#include "ZR/ZR_value.h"

// Shows a failure to the user: formats
//   "Error: %s\nFile: %s\nLine: %d\nProc: %s\nDate: %s\nTime: %s"
// (message, file, line, proc, date, time) into one static buffer of
// ZR_ERROR_TEXT_SIZE characters (longer texts are cut) and hands it, with the
// caption "ERROR", to the error reporter; returns what the reporter returns
// (under Windows the result of a modal MessageBoxA with a single OK button).
// Null strings are shown as "(null)".
extern "C" ZR_EXPORT int ZR_error_func(char* file, int line, char* proc, char* date, char* time,
                                       const char* message);

enum { ZR_ERROR_TEXT_SIZE = 4096 };

// Reports `message` from the calling source line and function.
#define ZR_REPORT(proc, message)                                                     \
  ZR_error_func(const_cast<char*>(__FILE__), __LINE__, const_cast<char*>(proc),       \
                const_cast<char*>(__DATE__), const_cast<char*>(__TIME__), (message))

// Receives the finished text and the caption of a report.
typedef int (*ZR_error_reporter)(const char* text, const char* caption);

// Replaces the reporter used by ZR_error_func and returns the previous one.
// Null restores the platform's own reporter (the message box under Windows,
// standard error elsewhere).  Meant for programs and tests that must not
// block on a box; not synchronised with reports running on other threads.
ZR_error_reporter ZR_setErrorReporter(ZR_error_reporter reporter);

// The platform's own reporter.
int ZR_platformErrorBox(const char* text, const char* caption);

// Source lines that ZR_resource reports for its three steps.
enum {
  ZR_RESOURCE_LINE_FIND = 121,
  ZR_RESOURCE_LINE_LOAD = 130,
  ZR_RESOURCE_LINE_LOCK = 138,
};

// Read-only bytes of the module's resource `name` of type "DATA", compared
// without regard to case, or null after a report when it cannot be found,
// loaded or locked (a null name is reported as not found).  The memory
// belongs to the module image and stays valid while the module is loaded.
const unsigned char* ZR_resource(const char* name);

// Size in bytes of the resource `name`, or 0 when there is none.  Reports
// nothing.
unsigned long ZR_resourceSize(const char* name);
