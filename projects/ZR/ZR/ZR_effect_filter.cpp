#include "ZR_effect_filter.h"

namespace {

const long double kPi = 3.141592653589793238462643383279502884L;

inline int32_t low32(int64_t v) { return static_cast<int32_t>(static_cast<uint32_t>(v)); }

// (a * b) >> 31 on the exact product, low 32 bits.
inline int32_t mulShift31(int32_t a, int32_t b) { return low32((static_cast<int64_t>(a) * b) >> 31); }

inline uint32_t magnitude(int32_t x) { return x < 0 ? 0u - static_cast<uint32_t>(x) : static_cast<uint32_t>(x); }

// One step of s = s + a (x - s): the difference is offset by 2^31 so that it
// is an unsigned fraction, and the bias that adds is taken off again.
inline int32_t onepoleStep(int32_t s, int32_t x, uint32_t c, int32_t bias) {
  uint32_t d = static_cast<uint32_t>(x) - static_cast<uint32_t>(s) + 0x80000000u;
  int32_t step = static_cast<int32_t>(static_cast<uint32_t>((static_cast<uint64_t>(d) * c) >> 32));
  return ZR_wrapAdd(s, ZR_wrapSub(step, bias));
}

template <int M>
struct LopassKernel {
  static int32_t run(int32_t* out, const int32_t* in, int n, uint32_t c, int32_t s) {
    const int32_t bias = static_cast<int32_t>(c >> 1);
    for (int j = 0; j < n; ++j) {
      s = onepoleStep(s, in[j], c, bias);
      out[j] = ZR_combineSample<M>(out[j], s);
    }
    return s;
  }
};

int32_t hipassKernel(int32_t* out, const int32_t* in, int n, uint32_t c, int32_t s) {
  const int32_t bias = static_cast<int32_t>(c >> 1);
  for (int j = 0; j < n; ++j) {
    int32_t x = in[j];
    s = onepoleStep(s, x, c, bias);
    out[j] = ZR_wrapSub(x, s);
  }
  return s;
}

struct BapassMemory {
  int32_t x1, x2, y1, y2;
};

template <int M>
struct BapassKernel {
  static void run(int32_t* out, const int32_t* in, int n, int32_t c1, int32_t c2, int32_t c3, BapassMemory& m) {
    int32_t x1 = m.x1, x2 = m.x2, y1 = m.y1, y2 = m.y2;
    for (int j = 0; j < n; ++j) {
      int32_t x = in[j];
      int32_t t1 = mulShift31(y1, c1);
      int32_t y = ZR_wrapSub(ZR_wrapAdd(y1, y1), ZR_wrapAdd(t1, t1));
      y = ZR_wrapSub(y, y2);
      y = ZR_wrapAdd(y, mulShift31(y2, c2));
      y = ZR_wrapAdd(y, mulShift31(ZR_wrapSub(x, x2), c3));
      x2 = x1;
      x1 = x;
      y2 = y1;
      y1 = y;
      out[j] = ZR_combineSample<M>(out[j], y);
    }
    m.x1 = x1;
    m.x2 = x2;
    m.y1 = y1;
    m.y2 = y2;
  }
};

void rectifyKernel(int32_t* out, const int32_t* in, int n) {
  for (int j = 0; j < n; ++j) out[j] = static_cast<int32_t>(magnitude(in[j]));
}

// The envelope is handled as an unsigned magnitude and the step is formed in
// 64 bits, so following the magnitude 2^31 of -2^31 cannot flip its sign.
template <int M>
struct EnvelopeKernel {
  static int32_t run(int32_t* out, const int32_t* in, int n, int32_t attack, int32_t release, int32_t envelope) {
    uint32_t e = static_cast<uint32_t>(envelope);
    for (int j = 0; j < n; ++j) {
      uint32_t a = magnitude(in[j]);
      int64_t c = a < e ? release : attack;
      int64_t diff = static_cast<int64_t>(a) - static_cast<int64_t>(e);
      e = static_cast<uint32_t>(static_cast<int64_t>(e) + ((diff * c) >> 31));
      out[j] = ZR_combineSample<M>(out[j], static_cast<int32_t>(e));
    }
    return static_cast<int32_t>(e);
  }
};

}  // namespace

// ------------------------------------------------------------ one pole

uint32_t ZR_Effect_Onepole::coefficientOf(int32_t frequency, int32_t clock) {
  long double pf = kPi * frequency;
  return ZR_lowBits(4294967296.0L * pf / (pf + clock / 2.0L));
}

void ZR_Effect_Onepole::recalc() {
  if (frequency != 0 && clock != 0) coefficient = coefficientOf(frequency, clock);
}

void ZR_Effect_Onepole::reset() { state = 0; }

ZR_value ZR_Effect_Onepole::m_i(ZR_Effect_Onepole* self, ZR_value v) { return ZR_bufferParam(self->input, v); }
ZR_value ZR_Effect_Onepole::m_o(ZR_Effect_Onepole* self, ZR_value v) { return ZR_bufferParam(self->output, v); }

ZR_value ZR_Effect_Onepole::m_f(ZR_Effect_Onepole* self, ZR_value v) {
  if (v.given()) {
    self->frequency = v.asIntTruncated();
    self->recalc();
  }
  return ZR_value::ofInt(self->frequency);
}

void ZR_Effect_Lopass::process() {
  int n = std::min(ZR_stageLength(input), ZR_stageLength(output));
  int32_t* out = samples(output);
  const int32_t* in = samples(input);
  if (!out || !in) return;
  state = ZR_modeTable<LopassKernel>::table[ZR_modeIndex(mode)](out, in, n, coefficient, state);
}

void ZR_Effect_Hipass::process() {
  int n = std::min(ZR_stageLength(input), ZR_stageLength(output));
  int32_t* out = samples(output);
  const int32_t* in = samples(input);
  if (!out || !in) return;
  state = hipassKernel(out, in, n, coefficient, state);
}

const ZR_param ZR_Effect_Hipass::paramTable[] = {
    {"", ZR_ctor_of<ZR_Effect_Hipass>},
    {"i", ZR_handler_of<ZR_Effect_Onepole, &ZR_Effect_Onepole::m_i>},
    {"o", ZR_handler_of<ZR_Effect_Onepole, &ZR_Effect_Onepole::m_o>},
    {"f", ZR_handler_of<ZR_Effect_Onepole, &ZR_Effect_Onepole::m_f>},
    {nullptr, ZR_Effect::paramTable},
};

const ZR_param ZR_Effect_Lopass::paramTable[] = {
    {"", ZR_ctor_of<ZR_Effect_Lopass>},
    {"i", ZR_handler_of<ZR_Effect_Onepole, &ZR_Effect_Onepole::m_i>},
    {"o", ZR_handler_of<ZR_Effect_Onepole, &ZR_Effect_Onepole::m_o>},
    {"f", ZR_handler_of<ZR_Effect_Onepole, &ZR_Effect_Onepole::m_f>},
    {nullptr, ZR_Effect::paramTable},
};

// ------------------------------------------------------------ band-pass

void ZR_Effect_Bapass::process() {
  int n = std::min(ZR_stageLength(input), ZR_stageLength(output));
  int32_t* out = samples(output);
  const int32_t* in = samples(input);
  if (!out || !in) return;
  BapassMemory m = {x1, x2, y1, y2};
  ZR_modeTable<BapassKernel>::table[ZR_modeIndex(mode)](out, in, n, c1, c2, c3, m);
  x1 = m.x1;
  x2 = m.x2;
  y1 = m.y1;
  y2 = m.y2;
}

void ZR_Effect_Bapass::recalc() {
  if (q == 0.0f || q == 1.0f || frequency == 0.0f || clock == 0) return;
  const double twoPi = 6.283185307179586476925286766559;
  double wl = twoPi * frequency * q;
  double wh = twoPi * frequency / q;
  long double k = clock;
  long double g = k * ((static_cast<long double>(wh) - wl) / (static_cast<long double>(wh) * wl)) / 2;
  long double h = k * k / (static_cast<long double>(wh) * wl);
  long double d = g + h;
  c1 = static_cast<int32_t>(ZR_lowBits((2 * g + 1) / d * 1073741824.0L));
  c2 = static_cast<int32_t>(ZR_lowBits(2 * g / d * 2147483648.0L));
  c3 = static_cast<int32_t>(ZR_lowBits(g / d * 2147483648.0L));
}

void ZR_Effect_Bapass::reset() { x1 = x2 = y1 = y2 = 0; }

ZR_value ZR_Effect_Bapass::m_i(ZR_Effect_Bapass* self, ZR_value v) { return ZR_bufferParam(self->input, v); }
ZR_value ZR_Effect_Bapass::m_o(ZR_Effect_Bapass* self, ZR_value v) { return ZR_bufferParam(self->output, v); }

ZR_value ZR_Effect_Bapass::m_f(ZR_Effect_Bapass* self, ZR_value v) {
  if (v.given()) {
    self->frequency = v.asNumber();
    self->recalc();
  }
  return ZR_value::ofFloat(self->frequency);
}

ZR_value ZR_Effect_Bapass::m_q(ZR_Effect_Bapass* self, ZR_value v) {
  if (v.given()) {
    self->q = v.asFloat();  // the word is a float's bits, whatever the type
    self->recalc();
  }
  return ZR_value::ofFloat(self->q);
}

const ZR_param ZR_Effect_Bapass::paramTable[] = {
    {"", ZR_ctor_of<ZR_Effect_Bapass>},
    {"i", ZR_handler_of<ZR_Effect_Bapass, &ZR_Effect_Bapass::m_i>},
    {"o", ZR_handler_of<ZR_Effect_Bapass, &ZR_Effect_Bapass::m_o>},
    {"f", ZR_handler_of<ZR_Effect_Bapass, &ZR_Effect_Bapass::m_f>},
    {"q", ZR_handler_of<ZR_Effect_Bapass, &ZR_Effect_Bapass::m_q>},
    {nullptr, ZR_Effect::paramTable},
};

// ------------------------------------------------------------ envelope

int32_t ZR_Effect_Ampdet::coefficientOf(float frequency, int32_t clock) {
  if (frequency == 0.0f) return INT32_MAX;
  long double pf = kPi * frequency;
  return static_cast<int32_t>(ZR_lowBits(2147483648.0L * pf / (pf + clock / 2.0L)));
}

void ZR_Effect_Ampdet::process() {
  int n = std::min(ZR_stageLength(input), std::min(output ? ZR_stageLength(output) : INT32_MAX,
                                                   absOutput ? ZR_stageLength(absOutput) : INT32_MAX));
  int32_t* out = samples(output);
  int32_t* rectified = samples(absOutput);
  const int32_t* in = samples(input);
  // A buffer that is set must have samples; an unset output is simply not written.
  if (!in || (output && !out) || (absOutput && !rectified)) return;
  if (rectified) rectifyKernel(rectified, in, n);
  if (out)
    envelope = ZR_modeTable<EnvelopeKernel>::table[ZR_modeIndex(mode)](out, in, n, attackCoefficient,
                                                                        releaseCoefficient, envelope);
}

void ZR_Effect_Ampdet::recalc() {
  if (clock == 0) return;
  attackCoefficient = coefficientOf(attack, clock);
  releaseCoefficient = coefficientOf(release, clock);
}

void ZR_Effect_Ampdet::reset() { envelope = 0; }

ZR_value ZR_Effect_Ampdet::m_i(ZR_Effect_Ampdet* self, ZR_value v) { return ZR_bufferParam(self->input, v); }
ZR_value ZR_Effect_Ampdet::m_o(ZR_Effect_Ampdet* self, ZR_value v) { return ZR_bufferParam(self->output, v); }
ZR_value ZR_Effect_Ampdet::m_a(ZR_Effect_Ampdet* self, ZR_value v) { return ZR_bufferParam(self->absOutput, v); }

ZR_value ZR_Effect_Ampdet::m_f1(ZR_Effect_Ampdet* self, ZR_value v) {
  if (v.given()) {
    self->attack = v.asNumber();
    if (self->clock != 0) self->attackCoefficient = coefficientOf(self->attack, self->clock);
  }
  return ZR_value::ofFloat(self->attack);
}

ZR_value ZR_Effect_Ampdet::m_f2(ZR_Effect_Ampdet* self, ZR_value v) {
  if (v.given()) {
    self->release = v.asNumber();
    if (self->clock != 0) self->releaseCoefficient = coefficientOf(self->release, self->clock);
  }
  return ZR_value::ofFloat(self->release);
}

const ZR_param ZR_Effect_Ampdet::paramTable[] = {
    {"", ZR_ctor_of<ZR_Effect_Ampdet>},
    {"i", ZR_handler_of<ZR_Effect_Ampdet, &ZR_Effect_Ampdet::m_i>},
    {"o", ZR_handler_of<ZR_Effect_Ampdet, &ZR_Effect_Ampdet::m_o>},
    {"a", ZR_handler_of<ZR_Effect_Ampdet, &ZR_Effect_Ampdet::m_a>},
    {"f1", ZR_handler_of<ZR_Effect_Ampdet, &ZR_Effect_Ampdet::m_f1>},
    {"f2", ZR_handler_of<ZR_Effect_Ampdet, &ZR_Effect_Ampdet::m_f2>},
    {nullptr, ZR_Effect::paramTable},
};
