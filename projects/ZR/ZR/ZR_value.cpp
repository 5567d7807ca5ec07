#include "ZR_value.h"

#include <cmath>
#include <cstdlib>
#include <string>

ZR_value ZR_EMPTY;

#if defined(__i386__)
// The 32-bit target's records: virtual table, data, type, length.
static_assert(sizeof(ZR_value) == 16, "ZR_value is 16 bytes on the 32-bit target");
#endif

ZR_error ZR_OK = "Operation OK";
ZR_error ZR_ERROR_UNKNOWN = "Unknown error";
ZR_error ZR_ERROR_FILE_CANNOT_OPEN = "Cannot open file";
ZR_error ZR_ERROR_FILE_CANNOT_READ = "Cannot read file";
ZR_error ZR_ERROR_FILE_CANNOT_CLOSE = "Cannot close file";
ZR_error ZR_ERROR_MEMORY_CANNOT_ALLOCATE = "Cannot allocate memory";
ZR_error ZR_ERROR_MEMORY_CANNOT_REALLOC = "Cannot re-allocate memory";
ZR_error ZR_ERROR_MEMORY_CANNOT_FREE = "Cannot free memory";
ZR_error ZR_ERROR_PARAM_REQUIRED = "Argument required";
ZR_error ZR_ERROR_RESOURCE_CANNOT_LOAD = "Cannot load resource";
ZR_error ZR_ERROR_RESOURCE_CANNOT_FIND = "Cannot find resource";
ZR_error ZR_ERROR_RESOURCE_CANNOT_LOCK = "Cannot lock resource";
ZR_error ZR_ERROR_AUDIO = "Audio operating error";
ZR_error ZR_ERROR_AUDIO_CANNOT_OPEN = "Cannot open audio device";
ZR_error ZR_ERROR_AUDIO_CANNOT_INPUT_STOP = "Cannot stop input audio device";
ZR_error ZR_ERROR_AUDIO_CANNOT_INPUT_CLOSE = "Cannot close input audio device";
ZR_error ZR_ERROR_AUDIO_CANNOT_OUTPUT_RESET = "Cannot reset output audio device";
ZR_error ZR_ERROR_AUDIO_CANNOT_OUTPUT_CLOSE = "Cannot close output audio device";
ZR_error ZR_ERROR_COMMAND_NOT_FOUND = "Command not found";
ZR_error ZR_ERROR_COMMAND_NOT_PARAM = "Param not found";
ZR_error ZR_ERROR_COMMAND_NOT_SPACE = "Not enough space for command result";

void ZR_value::changed(void*) {}

int32_t ZR_truncate(double v) {
  if (std::isnan(v)) return 0;
  if (v >= 2147483647.0) return INT32_MAX;
  if (v <= -2147483648.0) return INT32_MIN;
  return static_cast<int32_t>(v);
}

int32_t ZR_value::asIntTruncated() const {
  return type == ZR_TYPE_FLOAT ? ZR_truncate(asFloat()) : asInt();
}

namespace {

enum LexClass { OTHER, SIGN, ZERO, DIGIT, POINT, EXPONENT, HEX_MARK, HEX_LETTER, END };
enum LexState { HEX_NUMBER = 4, UNSIGNED = 5, SIGNED = 6, FRACTION = 7, TEXT = 11 };

const unsigned char kStates[ZR_LEX_STATES][ZR_LEX_CLASSES] = {
    // other sign zero digit point exp hexmark hexletter end
    {11, 1, 2, 5, 7, 11, 11, 11, 11},    // 0 start
    {11, 11, 6, 6, 7, 11, 11, 11, 11},   // 1 after sign
    {11, 11, 5, 5, 7, 8, 3, 11, 5},      // 2 leading zero
    {11, 11, 4, 4, 11, 4, 11, 4, 11},    // 3 after "0x"
    {11, 11, 4, 4, 11, 4, 11, 4, 4},     // 4 hex digits
    {11, 11, 5, 5, 7, 8, 11, 11, 5},     // 5 unsigned digits
    {11, 11, 6, 6, 7, 8, 11, 11, 6},     // 6 signed digits
    {11, 11, 7, 7, 11, 8, 11, 11, 7},    // 7 fraction
    {11, 9, 10, 10, 11, 11, 11, 11, 11}, // 8 exponent mark
    {11, 11, 10, 10, 11, 11, 11, 11, 11},// 9 exponent sign
    {11, 11, 10, 10, 11, 11, 11, 11, 7}, // 10 exponent digits
    {11, 11, 11, 11, 11, 11, 11, 11, 11},// 11 text
};

struct ClassTable {
  unsigned char of[256];
  explicit ClassTable(const char* delimiters) {
    for (int c = 0; c < 256; ++c) of[c] = OTHER;
    of['+'] = of['-'] = SIGN;
    of['0'] = ZERO;
    for (int c = '1'; c <= '9'; ++c) of[c] = DIGIT;
    of['.'] = POINT;
    of['E'] = of['e'] = EXPONENT;
    of['X'] = of['x'] = HEX_MARK;
    for (const char* p = "ABCDFabcdf"; *p; ++p) of[static_cast<unsigned char>(*p)] = HEX_LETTER;
    // The end class is given last, so a delimiter loses any other class.
    of[0] = END;
    for (const char* p = delimiters; p && *p; ++p) of[static_cast<unsigned char>(*p)] = END;
  }
};

// Built once; the delimiter string of the first call is the one that counts.
const ClassTable& classTable(const char* delimiters) {
  static const ClassTable table(delimiters);
  return table;
}

int hexDigit(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  return -1;
}

// The conversions stop at the first character that is not part of the
// number, and saturate instead of overflowing so every build agrees.
uintptr_t readHex(const char* p) {
  uintptr_t v = 0;
  for (int d; (d = hexDigit(*p)) >= 0; ++p) {
    if (v > (UINTPTR_MAX >> 4)) return UINTPTR_MAX;
    v = (v << 4) | static_cast<uintptr_t>(d);
  }
  return v;
}

uint64_t readDecimal(const char* p, uint64_t cap) {
  uint64_t v = 0;
  for (; *p >= '0' && *p <= '9'; ++p) {
    v = v * 10 + static_cast<uint64_t>(*p - '0');
    if (v > cap) return cap;
  }
  return v;
}

int32_t readSigned(const char* p) {
  bool negative = *p == '-';
  if (*p == '+' || *p == '-') ++p;
  uint64_t magnitude = readDecimal(p, negative ? 2147483648ull : 2147483647ull);
  return negative ? static_cast<int32_t>(-static_cast<int64_t>(magnitude)) : static_cast<int32_t>(magnitude);
}

// A float token ([sign] digits [. digits] [e [sign] digits]) is rewritten as
// an integer mantissa with a decimal exponent ("-12.5e3" as "-125e2") before
// the C library converts it: that form has no decimal point, so the
// conversion stays correctly rounded and independent of the locale a host
// may have set.
float readFloat(const char* p) {
  std::string text;
  if (*p == '+' || *p == '-') text += *p++;
  long exponent = 0;
  bool digits = false;
  for (; *p >= '0' && *p <= '9'; ++p, digits = true) text += *p;
  if (*p == '.')
    for (++p; *p >= '0' && *p <= '9'; ++p, digits = true) {
      text += *p;
      --exponent;
    }
  if (!digits) return 0.0f;  // '.', '-.' or '.e5' read nothing
  if (*p == 'e' || *p == 'E') {
    ++p;
    bool negative = *p == '-';
    if (*p == '+' || *p == '-') ++p;
    long e = static_cast<long>(readDecimal(p, 1000000));
    exponent += negative ? -e : e;
  }
  text += 'e';
  text += std::to_string(exponent);
  return std::strtof(text.c_str(), nullptr);
}

}  // namespace

int ZR_lexClass(unsigned char c) { return classTable(" ").of[c]; }

int ZR_lexNext(int state, int cls) { return kStates[state][cls]; }

ZR_value::ZR_value(char* text, int& position, const char* delimiters) : data(0), type(ZR_TYPE_TEXT), length(-1) {
  const ClassTable& classes = classTable(delimiters);
  const char* token = text + position;
  int index = position;
  int state = 0;
  for (;;) {
    int cls = classes.of[static_cast<unsigned char>(text[index])];
    state = kStates[state][cls];
    if (cls == END) break;
    ++index;
  }
  position = index;
  switch (state) {
    case HEX_NUMBER:
      data = static_cast<ZR_word>(readHex(token + 2));
      type = ZR_TYPE_OBJECT;
      break;
    case UNSIGNED:
      data = static_cast<ZR_word>(static_cast<int32_t>(static_cast<uint32_t>(readDecimal(token, UINT32_MAX))));
      type = ZR_TYPE_INT;
      break;
    case SIGNED:
      data = static_cast<ZR_word>(readSigned(token));
      type = ZR_TYPE_INT;
      break;
    case FRACTION:
      *this = ofFloat(readFloat(token));
      break;
    default:
      data = reinterpret_cast<ZR_word>(token);
      type = ZR_TYPE_TEXT;
      break;
  }
}

bool tokenEqual(const char* a, const char* b) {
  for (;; ++a, ++b) {
    bool endA = *a == 0 || *a == ' ';
    bool endB = *b == 0 || *b == ' ';
    if (endA || endB) return endA && endB;
    if (*a != *b) return false;
  }
}
