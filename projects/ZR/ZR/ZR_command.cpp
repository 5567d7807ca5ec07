#include "ZR_command.h"

#include <cinttypes>
#include <cstdio>
#include <cstring>

char* ZR_specialobject = nullptr;

ZR_handler ZR_findParam(const ZR_param* table, const char* name) {
  while (table) {
    const ZR_param* entry = table + 1;
    for (; entry->name; ++entry)
      if (tokenEqual(entry->name, name)) return entry->handler;
    table = entry->base;
  }
  return nullptr;
}

namespace {

const char kDelimiters[] = " ";

void diagnostic(const char* format, const char* text) {
  std::printf(format, text);
  std::fflush(stdout);
}

bool derivesFrom(const ZR_param* table, const ZR_param* wanted) {
  for (; table; ) {
    if (table == wanted) return true;
    const ZR_param* entry = table + 1;
    while (entry->name) ++entry;
    table = entry->base;
  }
  return false;
}

// The processor's steps return null to go on, or the error code that ends
// the command.

// Where a value came from: object addresses written in the line are checked
// against the live objects; those passed as "%o" are the caller's word.
enum Source { FROM_LINE, FROM_OBJECT_ARG, FROM_OTHER_ARG };

class Processor {
 public:
  Processor(const ZR_class* classes, int flags, char* line, char* text, int* size, va_list* args)
      : classes_(classes), flags_(flags), line_(line), text_(text), size_(size), args_(args) {}

  ZR_error run() {
    if (textMode()) {
      capacity_ = (text_ && size_ && *size_ > 0) ? *size_ : 0;
      if (capacity_) std::memset(text_, 0, static_cast<size_t>(capacity_));
    }
    if (!line_) return ZR_ERROR_COMMAND_NOT_FOUND;
    if (ZR_error e = readClass()) return e;

    // The first step always has the empty name.
    bool haveName = true;
    nameIsEmpty_ = true;
    while (haveName) {
      Step step = readValue();
      if (ZR_error e = act(step)) return e;
      haveName = nextName(step);
    }
    if (textMode() && size_) *size_ = count_;
    return ZR_OK;
  }

 private:
  struct Step {
    ZR_value value;
    bool placeholder = false;
    bool nameFollows = false;  // the value slot held the next parameter name
    int nameStart = 0;
    int valueEnd = -1;
    Source source = FROM_LINE;
  };

  bool textMode() const { return flags_ & ZR_EXEC_TEXT; }
  bool storeMode() const { return (flags_ & ZR_EXEC_STORE) && args_; }

  ZR_error readClass() {
    ZR_value first(line_, pos_, kDelimiters);
    ended_ = line_[pos_] == 0;
    if (!ended_) ++pos_;
    if (first.type == ZR_TYPE_TEXT && line_[0] == '%') {
      pos_ = 0;
      ended_ = false;
      return nullptr;
    }
    if (first.type == ZR_TYPE_TEXT)
      for (const ZR_class* c = classes_; c->name; ++c)
        if (tokenEqual(c->name, line_)) {
          descriptor_ = c->descriptor;
          return nullptr;
        }
    diagnostic("spcpp: command '%s' not found\n", line_);
    return ZR_ERROR_COMMAND_NOT_FOUND;
  }

  Step readValue() {
    Step step;
    if (ended_) return step;  // the empty value
    if (line_[pos_] == '%') {
      readVariadic(step);
      if (ended_) return step;
    } else {
      int start = pos_;
      step.value = ZR_value(line_, pos_, kDelimiters);
      if (step.value.type == ZR_TYPE_TEXT && line_[start] == '-') {
        step.value = ZR_value();
        step.nameFollows = true;
        step.nameStart = start;
      }
    }
    step.valueEnd = pos_;
    if (line_[pos_] == 0)
      ended_ = true;
    else
      ++pos_;
    return step;
  }

  void readVariadic(Step& step) {
    char kind = line_[pos_ + 1];
    bool known = kind == 'i' || kind == 'f' || kind == 'o' || kind == 's';
    if (known && args_) {
      pos_ += 2;
      step.source = FROM_OTHER_ARG;
      switch (kind) {
        case 'i': step.value = ZR_value::ofInt(va_arg(*args_, int)); break;
        case 'f': step.value = ZR_value::ofFloat(static_cast<float>(va_arg(*args_, double))); break;
        case 'o':
          step.value = ZR_value::ofObject(va_arg(*args_, void*));
          step.source = FROM_OBJECT_ARG;
          break;
        default: step.value = ZR_value::ofText(va_arg(*args_, char*)); break;
      }
      return;
    }
    step.value = ZR_value(0, ZR_TYPE_PLACEHOLDER);
    step.placeholder = true;
    if (kind == 0) {
      ended_ = true;
      return;
    }
    pos_ += 2;
    ZR_value skipped(line_, pos_, kDelimiters);
    (void)skipped;
  }

  ZR_error act(const Step& step) {
    if (nameIsEmpty_) return step.value.type == ZR_TYPE_INT || step.value.type == ZR_TYPE_FLOAT ||
                                   step.value.type == ZR_TYPE_OBJECT
                               ? address(step)
                               : construct(step);
    ZR_handler handler = nullptr;
    if (nameIsText_) handler = ZR_findParam(descriptor_, line_ + nameStart_ + 1);
    if (!handler) {
      diagnostic("spcpp: %s\n", line_);
      diagnostic("spcpp: param '%s' not found\n", line_[nameStart_] ? line_ + nameStart_ + 1 : "");
      return ZR_ERROR_COMMAND_NOT_PARAM;
    }
    if (step.value.given()) {
      if (object_) callSetter(handler, step);
      return nullptr;
    }
    ZR_value result = object_ ? handler(object_, ZR_value()) : ZR_EMPTY;
    if (ZR_error e = appendResult(result)) return e;
    if (storeMode() && result.given() && !step.placeholder) storeResult(result);
    return nullptr;
  }

  void callSetter(ZR_handler handler, const Step& step) {
    char saved = 0;
    if (step.valueEnd >= 0) {
      saved = line_[step.valueEnd];
      line_[step.valueEnd] = 0;
    }
    handler(object_, step.value);
    if (step.valueEnd >= 0) line_[step.valueEnd] = saved;
  }

  ZR_error address(const Step& step) {
    ZR_Object* object = step.value.asPointer<ZR_Object>();
    if (step.source != FROM_OBJECT_ARG && !isLiveOfClass(object)) {
      diagnostic("spcpp: no object of the class at '%s'\n", line_);
      return ZR_ERROR_COMMAND_NOT_FOUND;
    }
    object_ = object;
    if (!descriptor_)
      descriptor_ = (object_ && object_->descriptor) ? object_->descriptor : ZR_Object::paramTable;
    return nullptr;
  }

  // An address written in the line must name a live object whose class is
  // the named class or derives from it.
  bool isLiveOfClass(const ZR_Object* object) const {
    if (!ZR_Object::isLive(object)) return false;
    if (!descriptor_) return true;
    const ZR_param* own = object->descriptor ? object->descriptor : ZR_Object::paramTable;
    return derivesFrom(own, descriptor_);
  }

  ZR_error construct(const Step& step) {
    ZR_ctor ctor = descriptor_ ? descriptor_[0].ctor : nullptr;
    if (!ctor) {
      diagnostic("spcpp: nothing to construct in '%s'\n", line_);
      return ZR_ERROR_COMMAND_NOT_FOUND;
    }
    ZR_specialobject = step.value.type == ZR_TYPE_TEXT ? step.value.asText() : nullptr;
    ZR_Object* object = ctor();
    ZR_specialobject = nullptr;
    if (storeMode() && !step.placeholder) *va_arg(*args_, ZR_Object**) = object;
    if (!object) {
      diagnostic("spcpp: command '%s' gave no object\n", line_);
      return ZR_ERROR_COMMAND_NOT_FOUND;
    }
    object->descriptor = descriptor_;
    object->command = line_;
    object_ = object;
    if (textMode()) return appendFormatted("%s0x%" PRIXPTR, reinterpret_cast<uintptr_t>(object));
    return nullptr;
  }

  void storeResult(const ZR_value& result) {
    // Numbers are 4 bytes; texts and objects are pointers, a whole word.
    if (result.type == ZR_TYPE_INT || result.type == ZR_TYPE_FLOAT)
      *va_arg(*args_, int32_t*) = static_cast<int32_t>(result.data);
    else
      *va_arg(*args_, ZR_word*) = result.data;
  }

  ZR_error appendResult(const ZR_value& r) {
    if (!textMode()) return nullptr;
    switch (r.type) {
      case ZR_TYPE_INT: return appendFormatted("%s%d", r.asInt());
      case ZR_TYPE_FLOAT: return appendFormatted("%s%f", static_cast<double>(r.asFloat()));
      case ZR_TYPE_TEXT: return appendFormatted("%s%s", r.asText() ? r.asText() : "");
      case ZR_TYPE_OBJECT:
        if (r.length < 0) return appendFormatted("%s0x%" PRIXPTR, static_cast<uintptr_t>(r.data));
        return appendBlock(r.asPointer<const char>(), r.length);
      default: return nullptr;
    }
  }

  const char* separator() const { return count_ ? " " : ""; }

  template <class T>
  ZR_error appendFormatted(const char* format, T arg) {
    int needed = std::snprintf(nullptr, 0, format, separator(), arg);
    if (needed < 0 || needed >= capacity_ - count_) return ZR_ERROR_COMMAND_NOT_SPACE;
    std::snprintf(text_ + count_, static_cast<size_t>(capacity_ - count_), format, separator(), arg);
    count_ += needed;
    return nullptr;
  }

  ZR_error appendBlock(const char* bytes, int32_t length) {
    int sep = count_ ? 1 : 0;
    if (static_cast<int64_t>(sep) + length >= static_cast<int64_t>(capacity_) - count_) return ZR_ERROR_COMMAND_NOT_SPACE;
    if (sep) text_[count_++] = ' ';
    if (length) std::memcpy(text_ + count_, bytes, static_cast<size_t>(length));
    count_ += length;
    return nullptr;
  }

  bool nextName(const Step& step) {
    if (step.nameFollows) {
      setName(step.nameStart, true);
      return true;
    }
    if (ended_) return false;
    int start = pos_;
    ZR_value token(line_, pos_, kDelimiters);
    setName(start, token.type == ZR_TYPE_TEXT);
    if (line_[pos_] == 0)
      ended_ = true;
    else
      ++pos_;
    return true;
  }

  void setName(int start, bool isText) {
    nameStart_ = start;
    nameIsText_ = isText;
    // A one-character name token such as "-" alone names nothing: it starts
    // another construction or addressing step.
    bool emptyToken = line_[start] == 0 || line_[start] == ' ';
    char second = emptyToken ? 0 : line_[start + 1];
    nameIsEmpty_ = isText && (second == 0 || second == ' ');
  }

  const ZR_class* classes_;
  int flags_;
  char* line_;
  char* text_;
  int* size_;
  va_list* args_;
  int capacity_ = 0;
  int count_ = 0;
  int pos_ = 0;
  bool ended_ = false;
  const ZR_param* descriptor_ = nullptr;
  ZR_Object* object_ = nullptr;
  int nameStart_ = 0;
  bool nameIsText_ = true;
  bool nameIsEmpty_ = true;
};

}  // namespace

ZR_error spcpp_exec_with(const ZR_class* classes, int flags, char* command, char* text, int* size, va_list* args) {
  return Processor(classes, flags, command, text, size, args).run();
}

ZR_error spcpp_exec(int flags, char* command, char* text, int* size, va_list* args) {
  return spcpp_exec_with(__ZR, flags, command, text, size, args);
}

ZR_error spcpp(char* command, ...) {
  va_list args;
  va_start(args, command);
  ZR_error result = spcpp_exec(ZR_EXEC_STORE, command, nullptr, nullptr, &args);
  va_end(args);
  return result;
}
