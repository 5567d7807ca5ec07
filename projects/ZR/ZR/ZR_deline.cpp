#include "ZR_deline.h"

#include <algorithm>
#include <cmath>
#include <new>

// ---------------------------------------------------------------- kernel

namespace {

inline int32_t lowWord(int64_t v) { return static_cast<int32_t>(static_cast<uint32_t>(static_cast<uint64_t>(v))); }

// (a x b) >> k on the exact 64-bit product, rounded toward minus infinity,
// reduced to 32 bits.
template <int K>
inline int32_t mulShift(int32_t a, int32_t b) {
  return lowWord((static_cast<int64_t>(a) * b) >> K);
}

template <int M>
struct DelineKernel {
  static void run(int32_t* memory, int32_t* writePos, const ZR_word* program, const ZR_word* programEnd,
                  const int32_t* in, int n) {
    uint16_t w = static_cast<uint16_t>(*writePos);
    for (int j = 0; j < n; ++j) {
      int32_t acc = in[j];
      const ZR_word* p = program;
      while (p < programEnd) {
        int32_t sum = 0;
        for (ZR_word d = p[0]; d != ZR_Effect_Deline::GROUP_END; d = p[0]) {
          int32_t s = memory[static_cast<uint16_t>(w + d + 1)];
          sum = ZR_wrapAdd(sum, mulShift<31>(s, static_cast<int32_t>(p[1])));
          p += ZR_Effect_Deline::TAP_WORDS;
        }
        int32_t y = mulShift<23>(sum, static_cast<int32_t>(p[1]));
        if (int32_t* end = reinterpret_cast<int32_t*>(p[2])) {
          int32_t* o = end - (n - j);
          *o = ZR_combineSample<M>(*o, y);
        }
        acc = ZR_wrapAdd(acc, mulShift<23>(sum, static_cast<int32_t>(p[3])));
        p += ZR_Effect_Deline::GROUP_WORDS;
      }
      memory[w] = acc;
      w = static_cast<uint16_t>(w - 1);
    }
    *writePos = w;
  }
};

}  // namespace

const ZR_delineKernel (&ZR_delineKernels)[ZR_MODE_COUNT] = ZR_modeTable<DelineKernel>::table;

// ---------------------------------------------------------------- groups and taps

ZR_Effect_Deline_Group_Delay::ZR_Effect_Deline_Group_Delay()
    : amplitude(0), delay(0.0f), inSamples(0), amplitudeSlot(nullptr), delaySlot(nullptr), link(this) {}

ZR_Effect_Deline_Group::ZR_Effect_Deline_Group()
    : feedback(0), gain(8388607), output(nullptr), link(this), currentTap(nullptr) {}

ZR_Effect_Deline_Group::~ZR_Effect_Deline_Group() { clearTaps(); }

int32_t ZR_Effect_Deline_Group::clearTaps() {
  int32_t removed = 0;
  currentTap = nullptr;
  while (taps.count) {
    ZR_Chain_Item* item = taps.first();
    taps.remove(item);
    delete static_cast<ZR_Effect_Deline_Group_Delay*>(item->data);
    ++removed;
  }
  return removed;
}

bool ZR_Effect_Deline_Group::holds(ZR_word tap) const {
  ZR_CHAIN_FOR(ZR_Effect_Deline_Group_Delay, t, taps)
  if (reinterpret_cast<ZR_word>(t) == tap) return true;
  return false;
}

// ---------------------------------------------------------------- delay line

ZR_Effect_Deline::ZR_Effect_Deline()
    : input(nullptr), currentGroup(nullptr), memory(new (std::nothrow) int32_t[MEMORY_SIZE]()), writePos(0),
      program(new (std::nothrow) ZR_word[PROGRAM_CAPACITY]()), programLength(0),
      programCapacity(PROGRAM_CAPACITY), compiledLength(0), compiledBlock(0) {}

ZR_Effect_Deline::~ZR_Effect_Deline() {
  while (groups.count) {
    ZR_Chain_Item* item = groups.first();
    groups.remove(item);
    delete static_cast<ZR_Effect_Deline_Group*>(item->data);
  }
  currentGroup = nullptr;
  delete[] memory;
  delete[] program;
}

ZR_Object* ZR_Effect_Deline::construct() { return new ZR_Effect_Deline; }

bool ZR_Effect_Deline::holds(ZR_word group) const {
  ZR_CHAIN_FOR(ZR_Effect_Deline_Group, g, groups)
  if (reinterpret_cast<ZR_word>(g) == group) return true;
  return false;
}

int32_t ZR_Effect_Deline::delayInSamples(const ZR_Effect_Deline_Group_Delay& tap, int32_t clock) {
  double d = tap.inSamples ? static_cast<double>(tap.delay) : static_cast<double>(clock) * tap.delay;
  if (!(d > 0.0)) return 0;  // negative, zero or NaN
  if (d >= static_cast<double>(MAX_DELAY)) return MAX_DELAY;
  return static_cast<int32_t>(d);
}

void ZR_Effect_Deline::compile(int32_t blockSamples) {
  ZR_word* p = program;
  ZR_word* const limit = program + programCapacity;
  // The creation handlers keep programLength within the capacity, so every
  // group fits; the checks below only make sure nothing is ever written past
  // it (a tap left out has no slots).
  ZR_CHAIN_FOR(ZR_Effect_Deline_Group, g, groups) {
    bool fits = limit - p >= GROUP_WORDS;
    ZR_CHAIN_FOR(ZR_Effect_Deline_Group_Delay, t, g->taps) {
      if (fits && limit - p >= TAP_WORDS + GROUP_WORDS) {
        p[0] = delayInSamples(*t, clock);
        p[1] = t->amplitude;
        t->delaySlot = &p[0];
        t->amplitudeSlot = &p[1];
        p += TAP_WORDS;
      } else {
        t->delaySlot = t->amplitudeSlot = nullptr;
      }
    }
    if (!fits) continue;
    // The output takes part in the crossfade of a switching stage; one that
    // cannot hold a whole block is left alone.
    ZR_word end = 0;
    if (int32_t* out = samples(g->output)) {
      int32_t length = g->output->blockLength();
      if (length >= blockSamples) end = reinterpret_cast<ZR_word>(out + length);
    }
    p[0] = GROUP_END;
    p[1] = g->gain;
    p[2] = end;
    p[3] = g->feedback;
    p += GROUP_WORDS;
  }
  compiledLength = static_cast<int32_t>(p - program);
  compiledBlock = blockSamples;
}

void ZR_Effect_Deline::prepare() {
  ZR_Buffer* in = input;
  if (!in || !memory || !program) return;
  compile(in->blockLength());
  ready = 1;
}

void ZR_Effect_Deline::process() {
  ready = 0;
  ZR_Buffer* in = input;
  if (!in) return;
  const int32_t* x = samples(in);
  if (!x) return;
  int n = std::min(in->blockLength(), compiledBlock);
  int m = mode;
  if (m < 0 || m >= ZR_MODE_COUNT) m = ZR_MODE_SET;
  ZR_delineKernels[m](memory, &writePos, program, program + compiledLength, x, n);
}

void ZR_Effect_Deline::recalc() { ready = 0; }

void ZR_Effect_Deline::reset() {
  if (memory) std::fill(memory, memory + MEMORY_SIZE, 0);
}

// ---------------------------------------------------------------- parameters
//
// Parameters that address a group or tap do nothing while none is current;
// their queries then give a zero of the parameter's type, so a command line
// consumes the same arguments either way.

ZR_value ZR_Effect_Deline::m_i(ZR_Effect_Deline* self, ZR_value v) {
  if (v.given()) {
    ZR_Buffer* buffer = ZR_liveAs<ZR_Buffer>(v);
    if (!v.data || buffer) {
      self->input = buffer;
      self->ready = 0;
    }
  }
  return ZR_value::ofObject(self->input);
}

ZR_value ZR_Effect_Deline::m_g(ZR_Effect_Deline* self, ZR_value v) {
  if (v.given()) {
    // Only one of this line's own groups, or none, can be selected.
    if (!v.data) self->currentGroup = nullptr;
    else if (self->holds(v.data)) self->currentGroup = reinterpret_cast<ZR_Effect_Deline_Group*>(v.data);
    return ZR_value::ofObject(self->currentGroup);
  }
  // A full program refuses the group; the current group is then none, so
  // settings meant for the new group cannot alter an existing one.
  ZR_Effect_Deline_Group* g = nullptr;
  if (self->programLength <= self->programCapacity - GROUP_WORDS) g = new (std::nothrow) ZR_Effect_Deline_Group;
  if (g) {
    self->groups.insert(&g->link);
    self->programLength += GROUP_WORDS;
    self->ready = 0;
  }
  self->currentGroup = g;
  return ZR_value::ofObject(g);
}

ZR_value ZR_Effect_Deline::m_go(ZR_Effect_Deline* self, ZR_value v) {
  ZR_Effect_Deline_Group* g = self->currentGroup;
  if (!g) return ZR_value::ofObject(nullptr);
  if (v.given()) {
    ZR_Buffer* buffer = ZR_liveAs<ZR_Buffer>(v);
    if (!v.data || buffer) g->output = buffer;
  }
  self->ready = 0;
  return ZR_value::ofObject(g->output);
}

namespace {
int32_t fixedOf(const ZR_value& v, double scale) { return ZR_truncate(static_cast<double>(v.asNumber()) * scale); }
}  // namespace

ZR_value ZR_Effect_Deline::m_ga(ZR_Effect_Deline* self, ZR_value v) {
  ZR_Effect_Deline_Group* g = self->currentGroup;
  if (!g) return ZR_value::ofInt(0);
  if (v.given()) {
    g->gain = fixedOf(v, 8388607.0);
    self->ready = 0;
  }
  return ZR_value::ofInt(g->gain);
}

ZR_value ZR_Effect_Deline::m_gf(ZR_Effect_Deline* self, ZR_value v) {
  ZR_Effect_Deline_Group* g = self->currentGroup;
  if (!g) return ZR_value::ofInt(0);
  if (v.given()) {
    g->feedback = fixedOf(v, 8388607.0);
    self->ready = 0;
  }
  return ZR_value::ofInt(g->feedback);
}

ZR_value ZR_Effect_Deline::m_gc(ZR_Effect_Deline* self, ZR_value) {
  if (ZR_Effect_Deline_Group* g = self->currentGroup) {
    self->programLength -= TAP_WORDS * g->clearTaps();
    self->ready = 0;
  }
  return ZR_EMPTY;
}

ZR_value ZR_Effect_Deline::m_d(ZR_Effect_Deline* self, ZR_value v) {
  ZR_Effect_Deline_Group* g = self->currentGroup;
  if (!g) return ZR_value::ofObject(nullptr);
  if (v.given()) {
    if (!v.data) g->currentTap = nullptr;
    else if (g->holds(v.data)) g->currentTap = reinterpret_cast<ZR_Effect_Deline_Group_Delay*>(v.data);
    return ZR_value::ofObject(g->currentTap);
  }
  ZR_Effect_Deline_Group_Delay* t = nullptr;
  if (self->programLength <= self->programCapacity - TAP_WORDS) t = new (std::nothrow) ZR_Effect_Deline_Group_Delay;
  if (t) {
    g->taps.insert(&t->link);
    self->programLength += TAP_WORDS;
    self->ready = 0;
  }
  g->currentTap = t;
  return ZR_value::ofObject(t);
}

namespace {
ZR_Effect_Deline_Group_Delay* currentTapOf(ZR_Effect_Deline* self) {
  return self->currentGroup ? self->currentGroup->currentTap : nullptr;
}
}  // namespace

ZR_value ZR_Effect_Deline::m_dt(ZR_Effect_Deline* self, ZR_value v) {
  ZR_Effect_Deline_Group_Delay* t = currentTapOf(self);
  if (!t) return ZR_value::ofFloat(0.0f);
  if (v.given()) {
    t->inSamples = v.type == ZR_TYPE_FLOAT ? 0 : 1;
    t->delay = v.type == ZR_TYPE_FLOAT ? v.asFloat() : static_cast<float>(v.asInt());
    // The compiled slot follows at once, in samples like every delay word.
    if (t->delaySlot) *t->delaySlot = delayInSamples(*t, self->clock);
  }
  self->ready = 0;
  return ZR_value::ofFloat(t->delay);
}

ZR_value ZR_Effect_Deline::m_da(ZR_Effect_Deline* self, ZR_value v) {
  ZR_Effect_Deline_Group_Delay* t = currentTapOf(self);
  if (!t) return ZR_value::ofInt(0);
  t->amplitude = v.given() ? fixedOf(v, 2147483647.0) : 0;
  if (t->amplitudeSlot) *t->amplitudeSlot = t->amplitude;
  self->ready = 0;
  return ZR_value::ofInt(t->amplitude);
}

const ZR_param ZR_Effect_Deline::paramTable[] = {
    {"", &ZR_Effect_Deline::construct},
    {"i", ZR_handler_of<ZR_Effect_Deline, &ZR_Effect_Deline::m_i>},
    {"g", ZR_handler_of<ZR_Effect_Deline, &ZR_Effect_Deline::m_g>},
    {"go", ZR_handler_of<ZR_Effect_Deline, &ZR_Effect_Deline::m_go>},
    {"ga", ZR_handler_of<ZR_Effect_Deline, &ZR_Effect_Deline::m_ga>},
    {"gf", ZR_handler_of<ZR_Effect_Deline, &ZR_Effect_Deline::m_gf>},
    {"gc", ZR_handler_of<ZR_Effect_Deline, &ZR_Effect_Deline::m_gc>},
    {"d", ZR_handler_of<ZR_Effect_Deline, &ZR_Effect_Deline::m_d>},
    {"dt", ZR_handler_of<ZR_Effect_Deline, &ZR_Effect_Deline::m_dt>},
    {"da", ZR_handler_of<ZR_Effect_Deline, &ZR_Effect_Deline::m_da>},
    {"delete", ZR_handler_of<ZR_Object, &ZR_Object::m_delete>},
    {nullptr, ZR_Effect::paramTable},
};
