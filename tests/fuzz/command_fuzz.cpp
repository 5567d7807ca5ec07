// libFuzzer target: arbitrary command lines (without "%", so no variadic
// arguments are read) through the command processor in text mode, over a
// class table of one small probe class followed by every class of __ZR.
//
// Aborts when the processor
//   - writes outside the caller's text buffer (guard bytes around it),
//   - leaves the command line changed after the call,
//   - reports a result size that does not fit the buffer, or a code that is
//     none of its four,
//   - hands a handler a text that is not terminated inside the line.
// Crashes, leaks and undefined behaviour are caught by ASan and UBSan.
#include <cstdarg>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <vector>

#include "ZR_command.h"

namespace {

[[noreturn]] void fail(const char* what) {
  std::fprintf(stderr, "command_fuzz: %s\n", what);
  std::abort();
}

// The line being run, for the handlers' checks.
const char* g_line = nullptr;
size_t g_lineSize = 0;  // including the terminating NUL

void checkText(const ZR_value& v) {
  if (v.type != ZR_TYPE_TEXT) return;
  const char* t = v.asText();
  if (t < g_line || t >= g_line + g_lineSize) fail("text value outside the command line");
  if (!std::memchr(t, 0, static_cast<size_t>(g_line + g_lineSize - t))) fail("text value not terminated");
  if (std::strchr(t, ' ')) fail("text value not terminated at its blank");
}

struct FuzzProbe : ZR_Object {
  int32_t number = 0;
  float real = 0.0f;
  char word[16] = "none";
  int depth = 0;

  static ZR_value m_n(FuzzProbe* p, ZR_value v) {
    checkText(v);
    if (v.given()) p->number = v.asIntTruncated();
    return ZR_value::ofInt(p->number);
  }
  static ZR_value m_r(FuzzProbe* p, ZR_value v) {
    checkText(v);
    if (v.type == ZR_TYPE_INT || v.type == ZR_TYPE_FLOAT) p->real = v.asNumber();
    return ZR_value::ofFloat(p->real);
  }
  static ZR_value m_t(FuzzProbe* p, ZR_value v) {
    checkText(v);
    if (v.type == ZR_TYPE_TEXT) {
      std::strncpy(p->word, v.asText(), sizeof p->word - 1);
      p->word[sizeof p->word - 1] = 0;
    }
    return ZR_value::ofText(p->word);
  }
  // The word as a byte block, with its length.
  static ZR_value m_b(FuzzProbe* p, ZR_value v) {
    checkText(v);
    return ZR_value::ofBlock(p->word, static_cast<int32_t>(std::strlen(p->word)));
  }
  static ZR_value m_o(FuzzProbe* p, ZR_value v) {
    checkText(v);
    return ZR_value::ofObject(p);
  }
  // Re-enters the processor on the same object.
  static ZR_value m_nest(FuzzProbe* p, ZR_value v) {
    checkText(v);
    if (p->depth < 2) {
      ++p->depth;
      char line[] = "%o -n 7 -t nested";
      const char* outer = g_line;
      size_t outerSize = g_lineSize;
      g_line = line;
      g_lineSize = sizeof line;
      if (spcpp(line, static_cast<ZR_Object*>(p)) != ZR_OK) fail("nested command failed");
      g_line = outer;
      g_lineSize = outerSize;
      --p->depth;
    }
    return ZR_EMPTY;
  }
  static const ZR_param paramTable[];
};

const ZR_param FuzzProbe::paramTable[] = {
    {"", ZR_ctor_of<FuzzProbe>},
    {"n", ZR_handler_of<FuzzProbe, &FuzzProbe::m_n>},
    {"r", ZR_handler_of<FuzzProbe, &FuzzProbe::m_r>},
    {"t", ZR_handler_of<FuzzProbe, &FuzzProbe::m_t>},
    {"b", ZR_handler_of<FuzzProbe, &FuzzProbe::m_b>},
    {"o", ZR_handler_of<FuzzProbe, &FuzzProbe::m_o>},
    {"nest", ZR_handler_of<FuzzProbe, &FuzzProbe::m_nest>},
    {nullptr, ZR_Object::paramTable},
};

const std::vector<ZR_class>& classes() {
  static const std::vector<ZR_class> table = [] {
    std::vector<ZR_class> t = {{"FuzzProbe", FuzzProbe::paramTable}};
    for (const ZR_class* c = __ZR; c->name; ++c) t.push_back(*c);
    t.push_back({nullptr, nullptr});
    return t;
  }();
  return table;
}

ZR_error run(char* line, char* text, int* size, ...) {
  va_list args;
  va_start(args, size);
  ZR_error e = spcpp_exec_with(classes().data(), ZR_EXEC_TEXT, line, text, size, &args);
  va_end(args);
  return e;
}

const size_t kTextSize = 64;
const size_t kGuard = 32;
const unsigned char kGuardByte = 0xA5;

void runOnce(const std::vector<char>& input, int capacity) {
  std::vector<char> line(input);
  g_line = line.data();
  g_lineSize = line.size();

  std::vector<unsigned char> buffer(kGuard + kTextSize + kGuard, kGuardByte);
  char* text = reinterpret_cast<char*>(buffer.data() + kGuard);
  int size = capacity;
  ZR_error e = run(line.data(), text, &size);

  for (size_t i = 0; i < buffer.size(); ++i) {
    bool inside = i >= kGuard && i < kGuard + static_cast<size_t>(capacity);
    if (!inside && buffer[i] != kGuardByte) fail("byte outside the text buffer changed");
  }
  if (line != input) fail("command line not restored");
  if (e == ZR_OK) {
    if (size < 0 || (size > 0 && size >= capacity)) fail("result size does not fit the buffer");
  } else if (e != ZR_ERROR_COMMAND_NOT_FOUND && e != ZR_ERROR_COMMAND_NOT_PARAM &&
             e != ZR_ERROR_COMMAND_NOT_SPACE) {
    fail("unexpected error code");
  }
  ZR_Object::deleteAll();
  if (ZR_Object::liveCount() != 0) fail("objects left after deleteAll");
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
  // The processor's diagnostics would drown the fuzzer's own output.
  if (!std::getenv("ZR_FUZZ_STDOUT")) {
    if (!std::freopen("/dev/null", "w", stdout)) fail("cannot silence standard output");
  }
  return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size > 4096) return -1;
  if (std::memchr(data, '%', size) || std::memchr(data, 0, size)) return -1;
  std::vector<char> input(data, data + size);
  input.push_back(0);
  // The full buffer, then one too small for most results.
  runOnce(input, static_cast<int>(kTextSize));
  runOnce(input, static_cast<int>(size % 17));
  return 0;
}
