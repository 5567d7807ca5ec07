#include "ZR_effect.h"

#include <algorithm>
#include <cstring>

ZR_Soundpipe* ZR_currentpipe = nullptr;

const char* const ZR_modeNames[ZR_MODE_COUNT] = {"set", "add", "sub", "stn", "adn", "sbn"};

namespace {
template <int M>
struct CombineBlock {
  static void run(int32_t* out, const int32_t* r, int n) {
    for (int j = 0; j < n; ++j) out[j] = ZR_combineSample<M>(out[j], r[j]);
  }
};
}  // namespace

const ZR_combineKernel ZR_combineKernels[ZR_MODE_COUNT] = {
    &CombineBlock<0>::run, &CombineBlock<1>::run, &CombineBlock<2>::run,
    &CombineBlock<3>::run, &CombineBlock<4>::run, &CombineBlock<5>::run};

// ---------------------------------------------------------------- pipe

ZR_Soundpipe::ZR_Soundpipe() : blockLength(0), insertBefore(nullptr) { ZR_currentpipe = this; }

ZR_Soundpipe::~ZR_Soundpipe() {
  // Stages and buffers should go first; any still here are detached so that
  // deleting them later does not touch the freed pipe.
  while (stages.count) {
    ZR_Chain_Item* item = stages.first();
    static_cast<ZR_Effect*>(item->data)->pipe = nullptr;
    stages.remove(item);
  }
  while (buffers.count) {
    ZR_Chain_Item* item = buffers.first();
    ZR_Buffer* buffer = static_cast<ZR_Buffer*>(item->data);
    if (buffer->pipe == this) buffer->pipe = nullptr;
    buffers.remove(item);
  }
  if (ZR_currentpipe == this) ZR_currentpipe = nullptr;
}

int ZR_Soundpipe::process() {
  try {
    ZR_CHAIN_FOR(ZR_Buffer, buffer, buffers) buffer->fade = 0;
    ZR_CHAIN_FOR(ZR_Effect, stage, stages) {
      uint8_t on = ZR_relaxedLoad(stage->on);  // read once: the switch may flip during the block
      if (on || stage->wasOn) {
        if (!stage->ready) stage->prepare();
        if (stage->ready) stage->process();
      }
      if (on != stage->wasOn) {
        if (!on) stage->reset();
        stage->wasOn = on;
      }
    }
  } catch (...) {
    // A failing stage ends this block; the next block starts afresh.
  }
  return 0;
}

void ZR_Soundpipe::clear() {
  ZR_CHAIN_FOR(ZR_Buffer, buffer, buffers) buffer->clear();
  ZR_CHAIN_FOR(ZR_Effect, stage, stages) stage->reset();
}

ZR_Object* ZR_Soundpipe::construct() {
  if (ZR_specialobject && std::strcmp(ZR_specialobject, "current") == 0) return ZR_currentpipe;
  return new ZR_Soundpipe;
}

ZR_value ZR_Soundpipe::m_bl(ZR_Soundpipe* self, ZR_value v) {
  if (v.given() && v.asInt() >= 0 && v.asInt() <= MAX_BLOCK) self->blockLength = v.asInt();
  return ZR_value::ofInt(self->blockLength);
}

ZR_value ZR_Soundpipe::m_be(ZR_Soundpipe* self, ZR_value v) {
  if (v.given()) {
    // Only a stage of this pipe, or none, can be the insertion point.
    ZR_Effect* stage = ZR_liveAs<ZR_Effect>(v);
    if (!v.data || (stage && stage->pipe == self)) self->insertBefore = stage;
  }
  return ZR_value::ofObject(self->insertBefore);
}

ZR_value ZR_Soundpipe::m_b(ZR_Soundpipe* self, ZR_value) {
  if (ZR_currentpipe) return ZR_value::ofInt(0);
  ZR_currentpipe = self;
  return ZR_value::ofInt(1);
}

ZR_value ZR_Soundpipe::m_e(ZR_Soundpipe* self, ZR_value) {
  if (ZR_currentpipe != self) return ZR_value::ofInt(0);
  ZR_currentpipe = nullptr;
  return ZR_value::ofInt(1);
}

const ZR_param ZR_Soundpipe::paramTable[] = {
    {"", &ZR_Soundpipe::construct},
    {"bl", ZR_handler_of<ZR_Soundpipe, &ZR_Soundpipe::m_bl>},
    {"be", ZR_handler_of<ZR_Soundpipe, &ZR_Soundpipe::m_be>},
    {"b", ZR_handler_of<ZR_Soundpipe, &ZR_Soundpipe::m_b>},
    {"e", ZR_handler_of<ZR_Soundpipe, &ZR_Soundpipe::m_e>},
    {nullptr, ZR_Object::paramTable},
};

// ---------------------------------------------------------------- stage

ZR_Effect::ZR_Effect() : link(this), ready(0), mode(0), clock(0), wasOn(1), on(1), pipe(nullptr) {
  if (ZR_Soundpipe* p = ZR_currentpipe) {
    pipe = p;
    p->stages.insert(&link, p->insertBefore ? &p->insertBefore->link : nullptr);
  }
}

ZR_Effect::~ZR_Effect() {
  if (pipe) {
    if (pipe->insertBefore == this) pipe->insertBefore = nullptr;
    pipe->stages.remove(&link);
  }
}

void ZR_Effect::process() {}
void ZR_Effect::prepare() { ready = 1; }
void ZR_Effect::recalc() {}
void ZR_Effect::reset() {}

void ZR_crossfade(int32_t* main, const int32_t* from, const int32_t* to, int n) {
  for (int j = 0; j < n; ++j) {
    int64_t sum = static_cast<int64_t>(to[j]) * j + static_cast<int64_t>(from[j]) * (n - j);
    main[j] = static_cast<int32_t>(sum / n);
  }
}

int32_t* ZR_Effect::samples(ZR_Buffer* buffer) {
  if (!buffer || !buffer->data) return nullptr;
  int n = buffer->blockLength();
  int s = transition();
  if (s != buffer->fade) {
    if (buffer->fade == -1)  // a stage going off wrote the shadow: fade from it to main
      ZR_crossfade(buffer->data, buffer->shadow, buffer->data, n);
    else if (buffer->fade == 1)  // a stage coming on wrote the shadow: fade from main to it
      ZR_crossfade(buffer->data, buffer->data, buffer->shadow, n);
    if (s != 0) std::memcpy(buffer->shadow, buffer->data, sizeof(int32_t) * static_cast<size_t>(n));
  }
  buffer->fade = s;
  return s ? buffer->shadow : buffer->data;
}

ZR_value ZR_Effect::m_before(ZR_Effect* self, ZR_value v) {
  ZR_Soundpipe* current = ZR_currentpipe;
  ZR_Effect* target = v.given() ? ZR_liveAs<ZR_Effect>(v) : nullptr;
  if (current && target && target != self && target->link.list == &current->stages) {
    if (self->link.list) self->link.list->remove(&self->link);
    current->stages.insert(&self->link, &target->link);
    self->pipe = current;
  }
  if (!self->link.list) return ZR_value::ofObject(nullptr);
  ZR_Chain_Item* next = self->link.next;
  return ZR_value::ofObject(self->link.list->isEnd(next) ? nullptr : next->data);
}

ZR_value ZR_Effect::m_mode(ZR_Effect* self, ZR_value v) {
  if (v.type == ZR_TYPE_TEXT && v.asText())
    for (int m = ZR_MODE_COUNT - 1; m >= 0; --m)
      if (std::strcmp(v.asText(), ZR_modeNames[m]) == 0) self->mode = m;
  int m = self->mode;
  return ZR_value::ofText(m >= 0 && m < ZR_MODE_COUNT ? ZR_modeNames[m] : ZR_modeNames[0]);
}

ZR_value ZR_Effect::m_clock(ZR_Effect* self, ZR_value v) {
  if (v.given()) {
    self->clock = v.asIntTruncated();
    self->recalc();
  }
  return ZR_value::ofInt(self->clock);
}

ZR_value ZR_Effect::m_on(ZR_Effect* self, ZR_value v) {
  if (v.given()) ZR_relaxedStore<uint8_t>(self->on, v.data != 0 ? 1 : 0);
  return ZR_value::ofInt(ZR_relaxedLoad(self->on));
}

const ZR_param ZR_Effect::paramTable[] = {
    {"", nullptr},
    {"before", ZR_handler_of<ZR_Effect, &ZR_Effect::m_before>},
    {"mode", ZR_handler_of<ZR_Effect, &ZR_Effect::m_mode>},
    {"clock", ZR_handler_of<ZR_Effect, &ZR_Effect::m_clock>},
    {"on", ZR_handler_of<ZR_Effect, &ZR_Effect::m_on>},
    {"delete", ZR_handler_of<ZR_Object, &ZR_Object::m_delete>},
    {nullptr, ZR_Object::paramTable},
};
