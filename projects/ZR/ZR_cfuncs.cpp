// Plain functions of the framework: the error box and the resource lookup.
#include "ZR_cfuncs.h"

#include <cstdio>

#include "ZR_cfuncs_platform.h"

namespace {

char errorText[ZR_ERROR_TEXT_SIZE];

ZR_error_reporter errorReporter = ZR_platformErrorBox;

const char* shown(const char* s) { return s ? s : "(null)"; }

void reportResource(int line, const char* message) {
  ZR_error_func(const_cast<char*>(__FILE__), line, const_cast<char*>("ZR_resource"),
                const_cast<char*>(__DATE__), const_cast<char*>(__TIME__), message);
}

}  // namespace

extern "C" ZR_EXPORT int ZR_error_func(char* file, int line, char* proc, char* date, char* time,
                                       const char* message) {
  std::snprintf(errorText, sizeof errorText,
                "Error: %s\nFile: %s\nLine: %d\nProc: %s\nDate: %s\nTime: %s", shown(message),
                shown(file), line, shown(proc), shown(date), shown(time));
  return errorReporter(errorText, "ERROR");
}

ZR_error_reporter ZR_setErrorReporter(ZR_error_reporter reporter) {
  ZR_error_reporter previous = errorReporter;
  errorReporter = reporter ? reporter : ZR_platformErrorBox;
  return previous;
}

const unsigned char* ZR_resource(const char* name) {
  const void* found = name ? ZR_platformFindResource(name) : nullptr;
  if (!found) {
    reportResource(ZR_RESOURCE_LINE_FIND, name ? name : ZR_ERROR_RESOURCE_CANNOT_FIND);
    return nullptr;
  }
  const void* loaded = ZR_platformLoadResource(found);
  if (!loaded) {
    reportResource(ZR_RESOURCE_LINE_LOAD, ZR_ERROR_RESOURCE_CANNOT_LOAD);
    return nullptr;
  }
  const unsigned char* bytes = ZR_platformLockResource(loaded);
  if (!bytes) {
    reportResource(ZR_RESOURCE_LINE_LOCK, ZR_ERROR_RESOURCE_CANNOT_LOCK);
    return nullptr;
  }
  return bytes;
}

unsigned long ZR_resourceSize(const char* name) {
  const void* found = name ? ZR_platformFindResource(name) : nullptr;
  return found ? ZR_platformResourceSize(found) : 0;
}
