// The class table and the command processor `spcpp`.
//
// A command line is a class name (or "%o") followed by pairs of a parameter
// name written with a leading "-" and its value.  A parameter without a value
// is a query; values come from the line or, printf-like, from the variadic
// arguments ("%i" int, "%f" double, "%o" pointer, "%s" text).
#pragma once

#include <cstdarg>
#include <cstddef>

#include "ZR_object.h"

typedef ZR_Object* (*ZR_ctor)();
typedef ZR_value (*ZR_handler)(ZR_Object* self, ZR_value v);

// One entry of a class's parameter table.  Entry 0 holds the constructor
// under the name "", entries 1..n the parameter handlers, and the closing
// entry a null name and the base class's table.
struct ZR_param {
  const char* name;
  union {
    ZR_ctor ctor;
    ZR_handler handler;
    const ZR_param* base;
  };
  constexpr ZR_param(const char* n, std::nullptr_t) : name(n), ctor(nullptr) {}
  constexpr ZR_param(const char* n, ZR_ctor c) : name(n), ctor(c) {}
  constexpr ZR_param(const char* n, ZR_handler h) : name(n), handler(h) {}
  constexpr ZR_param(const char* n, const ZR_param* b) : name(n), base(b) {}
};

struct ZR_class {
  const char* name;
  const ZR_param* descriptor;
};

// Adapts a handler written for its own class, `static ZR_value m_x(C*, ZR_value)`,
// to the table's signature.
template <class C, ZR_value (*F)(C*, ZR_value)>
ZR_value ZR_handler_of(ZR_Object* self, ZR_value v) {
  return F(static_cast<C*>(self), v);
}

// The default constructor entry for a class built with `new C`.
template <class C>
ZR_Object* ZR_ctor_of() {
  return new C;
}

extern "C" {
// The class table, ended by an entry whose name is null.
extern ZR_EXPORT const ZR_class __ZR[];
// Text after the class name of the line being constructed, or null.
extern ZR_EXPORT char* ZR_specialobject;
}

enum {
  ZR_EXEC_TEXT = 1,   // write results as text into the caller's buffer
  ZR_EXEC_STORE = 2,  // store results through pointers from the arguments
};

// Runs a command in store mode.  Returns an error code.
extern "C" ZR_EXPORT ZR_error spcpp(char* command, ...);

// The core.  In text mode `*size` gives the buffer's size in bytes on entry
// and the number of characters written on success.
extern "C" ZR_EXPORT ZR_error spcpp_exec(int flags, char* command, char* text, int* size, va_list* args);

// The same core over another class table (tests register their own classes).
ZR_error spcpp_exec_with(const ZR_class* classes, int flags, char* command, char* text, int* size, va_list* args);

// Looks a parameter up through a table and its base chain; null if absent.
ZR_handler ZR_findParam(const ZR_param* table, const char* name);
