// The value record of the command language, the framework's error codes and
// the lexer that turns one token of a command line into a value.
#pragma once

#include <cstdint>
#include <cstring>

#include "../ZR_export.h"

// The value word: wide enough for a 32-bit integer, a float's bits or a
// pointer.  32 bits on the 32-bit target, pointer-sized everywhere.
typedef intptr_t ZR_word;

// An error code is a pointer to its message text, compared by identity.
typedef const char* ZR_error;

enum ZR_type : int32_t {
  ZR_TYPE_PLACEHOLDER = 0,  // no value and no result wanted
  ZR_TYPE_NONE = 1,         // no value
  ZR_TYPE_INT = 2,
  ZR_TYPE_FLOAT = 3,
  ZR_TYPE_TEXT = 4,
  ZR_TYPE_OBJECT = 5,  // object, hexadecimal number, or byte block with a length
};

struct ZR_EXPORT ZR_value {
  ZR_word data;
  int32_t type;
  int32_t length;

  constexpr ZR_value() : data(0), type(ZR_TYPE_NONE), length(-1) {}
  constexpr ZR_value(ZR_word d, int32_t t, int32_t len = -1) : data(d), type(t), length(len) {}

  // Lexer: reads the token of `text` starting at `position`, and leaves
  // `position` on the character that ended it (a delimiter or the NUL).
  ZR_value(char* text, int& position, const char* delimiters);

  // Called by a widget after it stored a new value into a bound record.
  virtual void changed(void* context);

  bool given() const { return type >= ZR_TYPE_INT && type <= ZR_TYPE_OBJECT; }
  int32_t asInt() const { return static_cast<int32_t>(data); }
  float asFloat() const {
    uint32_t bits = static_cast<uint32_t>(data);
    float f;
    std::memcpy(&f, &bits, sizeof f);
    return f;
  }
  char* asText() const { return reinterpret_cast<char*>(data); }
  template <class T>
  T* asPointer() const {
    return reinterpret_cast<T*>(data);
  }
  // The integer a handler stores: floats are truncated toward zero
  // (saturating, NaN gives 0); every other type gives its raw bits.
  int32_t asIntTruncated() const;
  // The number as a float: integers are converted, floats taken as they are.
  float asNumber() const { return type == ZR_TYPE_FLOAT ? asFloat() : static_cast<float>(asInt()); }

  static ZR_value ofInt(int32_t i) { return ZR_value(static_cast<ZR_word>(i), ZR_TYPE_INT); }
  static ZR_value ofFloat(float f) {
    uint32_t bits;
    std::memcpy(&bits, &f, sizeof bits);
    return ZR_value(static_cast<ZR_word>(static_cast<int32_t>(bits)), ZR_TYPE_FLOAT);
  }
  static ZR_value ofText(const char* s) { return ZR_value(reinterpret_cast<ZR_word>(s), ZR_TYPE_TEXT); }
  static ZR_value ofObject(const void* p) { return ZR_value(reinterpret_cast<ZR_word>(p), ZR_TYPE_OBJECT); }
  static ZR_value ofBlock(const void* p, int32_t bytes) {
    return ZR_value(reinterpret_cast<ZR_word>(p), ZR_TYPE_OBJECT, bytes);
  }
};

extern ZR_EXPORT ZR_value ZR_EMPTY;

// Settings that the audio thread reads while other threads write them (a
// stage's on switch, the gate's level and learn flag, the host parameters)
// are single words or bytes moved with relaxed atomic loads and stores: one
// plain instruction on x86, and never torn.
template <class T>
inline T ZR_relaxedLoad(const T& x) {
  T v;
  __atomic_load(&x, &v, __ATOMIC_RELAXED);
  return v;
}
template <class T>
inline void ZR_relaxedStore(T& x, T v) {
  __atomic_store(&x, &v, __ATOMIC_RELAXED);
}

// Saturating float to int conversion, truncating toward zero; NaN gives 0.
int32_t ZR_truncate(double v);

// True when the two tokens (each ending at its first blank or NUL) are equal.
bool tokenEqual(const char* a, const char* b);

// Character class and state tables of the lexer, exposed for tests.
enum { ZR_LEX_CLASSES = 9, ZR_LEX_STATES = 12 };
int ZR_lexClass(unsigned char c);
int ZR_lexNext(int state, int cls);

extern ZR_EXPORT ZR_error ZR_OK;
extern ZR_EXPORT ZR_error ZR_ERROR_UNKNOWN;
extern ZR_EXPORT ZR_error ZR_ERROR_FILE_CANNOT_OPEN;
extern ZR_EXPORT ZR_error ZR_ERROR_FILE_CANNOT_READ;
extern ZR_EXPORT ZR_error ZR_ERROR_FILE_CANNOT_CLOSE;
extern ZR_EXPORT ZR_error ZR_ERROR_MEMORY_CANNOT_ALLOCATE;
extern ZR_EXPORT ZR_error ZR_ERROR_MEMORY_CANNOT_REALLOC;
extern ZR_EXPORT ZR_error ZR_ERROR_MEMORY_CANNOT_FREE;
extern ZR_EXPORT ZR_error ZR_ERROR_PARAM_REQUIRED;
extern ZR_EXPORT ZR_error ZR_ERROR_RESOURCE_CANNOT_LOAD;
extern ZR_EXPORT ZR_error ZR_ERROR_RESOURCE_CANNOT_FIND;
extern ZR_EXPORT ZR_error ZR_ERROR_RESOURCE_CANNOT_LOCK;
extern ZR_EXPORT ZR_error ZR_ERROR_AUDIO;
extern ZR_EXPORT ZR_error ZR_ERROR_AUDIO_CANNOT_OPEN;
extern ZR_EXPORT ZR_error ZR_ERROR_AUDIO_CANNOT_INPUT_STOP;
extern ZR_EXPORT ZR_error ZR_ERROR_AUDIO_CANNOT_INPUT_CLOSE;
extern ZR_EXPORT ZR_error ZR_ERROR_AUDIO_CANNOT_OUTPUT_RESET;
extern ZR_EXPORT ZR_error ZR_ERROR_AUDIO_CANNOT_OUTPUT_CLOSE;
extern ZR_EXPORT ZR_error ZR_ERROR_COMMAND_NOT_FOUND;
extern ZR_EXPORT ZR_error ZR_ERROR_COMMAND_NOT_PARAM;
extern ZR_EXPORT ZR_error ZR_ERROR_COMMAND_NOT_SPACE;
