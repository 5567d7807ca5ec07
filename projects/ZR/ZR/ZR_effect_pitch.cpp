#include "ZR_effect_pitch.h"

#include <cstring>

// ------------------------------------------------------------ window

namespace {

// sin x by reduction to the nearest quarter turn and Taylor polynomials on
// [-pi/4, pi/4] (error below 1e-16), built only from correctly rounded
// additions and multiplications.
double sine(double x) {
  if (!(std::fabs(x) < 1e15)) return 0.0;
  const double twoOverPi = 0.63661977236758134308;
  const double halfPiHigh = 1.57079632679489655800e+00;
  const double halfPiLow = 6.12323399573676603587e-17;
  double k = std::floor(x * twoOverPi + 0.5);
  double r = (x - k * halfPiHigh) - k * halfPiLow;
  double r2 = r * r;
  double s = r * (1.0 + r2 * (-1.0 / 6 + r2 * (1.0 / 120 + r2 * (-1.0 / 5040 + r2 * (1.0 / 362880 + r2 * (-1.0 / 39916800 + r2 * (1.0 / 6227020800.0 + r2 * (-1.0 / 1307674368000.0))))))));
  double c = 1.0 + r2 * (-0.5 + r2 * (1.0 / 24 + r2 * (-1.0 / 720 + r2 * (1.0 / 40320 + r2 * (-1.0 / 3628800 + r2 * (1.0 / 479001600.0 + r2 * (-1.0 / 87178291200.0)))))));
  switch (static_cast<int>(static_cast<int64_t>(k) & 3)) {
    case 0: return s;
    case 1: return c;
    case 2: return -s;
    default: return -c;
  }
}

inline int32_t wrapMask(int32_t v, int32_t mask) { return static_cast<int32_t>(static_cast<uint32_t>(v) & static_cast<uint32_t>(mask)); }

}  // namespace

double ZR_headWindow(double p, double period) {
  double s = sine(3.14159265358979323846 * p / (2.0 * period));
  return s * s;
}

// ------------------------------------------------------------ frequency multipliers

namespace {

const int32_t kFreqmulMask = ZR_Effect_Freqmul::MASK;
const int32_t kNefreqmulMask = ZR_Effect_Nefreqmul::MASK;

// out[i] = ring[start + i * step], wrapped.
void readRing(int32_t* out, const int32_t* ring, int32_t mask, int32_t start, int32_t step, int n) {
  uint32_t p = static_cast<uint32_t>(start);
  for (int i = 0; i < n; ++i, p += static_cast<uint32_t>(step)) out[i] = ring[p & static_cast<uint32_t>(mask)];
}

// The strided ring read combined by mode; only "set" and "add" write.
template <int M>
struct RingKernel {
  static void run(int32_t* out, const int32_t* ring, int32_t mask, int32_t start, int32_t step, int n) {
    if (M != ZR_MODE_SET && M != ZR_MODE_ADD) return;
    uint32_t p = static_cast<uint32_t>(start);
    for (int i = 0; i < n; ++i, p += static_cast<uint32_t>(step))
      out[i] = ZR_combineSample<M>(out[i], ring[p & static_cast<uint32_t>(mask)]);
  }
};

}  // namespace

void ZR_Effect_Freqmul::process() {
  if (!input || !output || !input->data || !output->data) return;
  const int n = std::min(input->blockLength(), output->blockLength());
  const int32_t* in = input->data;
  const int32_t k = activeFactor();
  const int32_t mask = kFreqmulMask;
  int32_t w = writePos, last = lastCross, prev = previous;
  for (int j = 0; j < n; ++j) {
    int32_t x = in[j];
    w = wrapMask(w + 1, mask);
    if (prev < 0 && x >= 0) {
      // A rising zero crossing: repeat the period that ends here k - 1 times.
      const int32_t length = wrapMask(w - last, mask);
      for (int32_t r = 1; r < k; ++r)
        for (int32_t t = 0; t < length; ++t) {
          ring[w] = ring[wrapMask(last + t, mask)];
          w = wrapMask(w + 1, mask);
        }
      last = w;
    }
    ring[w] = x;
    prev = x;
  }
  writePos = w;
  lastCross = last;
  previous = prev;
  const int32_t delay = ZR_truncate(latencySamples() + static_cast<double>(n) * k);
  readRing(output->data, ring, mask, static_cast<int32_t>(static_cast<uint32_t>(readPos) - static_cast<uint32_t>(delay)), k, n);
  readPos = static_cast<int32_t>(static_cast<uint32_t>(readPos) + static_cast<uint32_t>(k) * static_cast<uint32_t>(n));
  readPos = wrapMask(readPos, mask);
}

const ZR_param ZR_Effect_Freqmul::paramTable[] = {
    {"", ZR_ctor_of<ZR_Effect_Freqmul>},
    {"i", ZR_handler_of<ZR_Effect_Freqring<16384>, &ZR_Effect_Freqring<16384>::m_i>},
    {"o", ZR_handler_of<ZR_Effect_Freqring<16384>, &ZR_Effect_Freqring<16384>::m_o>},
    {"k", ZR_handler_of<ZR_Effect_Freqring<16384>, &ZR_Effect_Freqring<16384>::m_k>},
    {nullptr, ZR_Effect::paramTable},
};

void ZR_Effect_Nefreqmul::process() {
  if (!input || !output || !input->data || !output->data) return;
  const int n = std::min(input->blockLength(), output->blockLength());
  const int32_t* in = input->data;
  const int32_t k = activeFactor();
  const int32_t mask = kNefreqmulMask;
  const double window = latencySamples();
  int32_t w = writePos, last = lastCross, prev = previous;
  double slope = slopeAverage;
  for (int j = 0; j < n; ++j) {
    int32_t x = in[j];
    w = wrapMask(w + 1, mask);
    bool accept = prev < 0 && x >= 0;
    double d = static_cast<double>(x) - prev;
    if (accept && slope > 0.1) {
      double r = d / slope;
      if (r > 1.0 || r < randomness) accept = false;
      if (wrapMask(w - last, mask) > window) accept = true;  // too long without a crossing
    }
    if (accept) {
      const int32_t h = w;
      const int32_t c = wrapMask(h - last, mask);
      const double joint = static_cast<double>(x) + prev;
      for (int32_t rep = 0; rep <= k - 2; ++rep) {
        const bool forward = (rep & 1) != 0;
        const bool last2 = rep == k - 2;
        for (int32_t t = 0; t < c; ++t) {
          int32_t m = ring[wrapMask(last + t, mask)];
          double v = joint - ring[wrapMask(h - 1 - t, mask)];
          int32_t value;
          if (forward)
            value = m;
          else if (last2)  // crossfade from the reversed period to the forward one
            value = ZR_truncate((static_cast<double>(t) * m + static_cast<double>(c - t) * v) / c);
          else
            value = ZR_truncate(v - joint * t / c);
          ring[w] = value;
          w = wrapMask(w + 1, mask);
        }
      }
      last = w;
      slope = stability * slope + (1.0 - stability) * d;
    }
    ring[w] = x;
    prev = x;
  }
  writePos = w;
  lastCross = last;
  previous = prev;
  slopeAverage = slope;
  const int32_t delay = ZR_truncate(window * k);
  ZR_modeTable<RingKernel>::table[ZR_modeIndex(mode)](
      output->data, ring, mask, static_cast<int32_t>(static_cast<uint32_t>(readPos) - static_cast<uint32_t>(delay)), k, n);
  readPos = static_cast<int32_t>(static_cast<uint32_t>(readPos) + static_cast<uint32_t>(k) * static_cast<uint32_t>(n));
  readPos = wrapMask(readPos, mask);
}

void ZR_Effect_Nefreqmul::reset() {
  std::memset(ring, 0, sizeof ring);
  slopeAverage = 0.0;
}

ZR_value ZR_Effect_Nefreqmul::m_rand(ZR_Effect_Nefreqmul* self, ZR_value v) {
  if (v.given()) self->randomness = v.asNumber();
  return ZR_value::ofFloat(static_cast<float>(self->randomness));
}

ZR_value ZR_Effect_Nefreqmul::m_stab(ZR_Effect_Nefreqmul* self, ZR_value v) {
  if (v.given()) self->stability = v.asNumber();
  return ZR_value::ofFloat(static_cast<float>(self->stability));
}

const ZR_param ZR_Effect_Nefreqmul::paramTable[] = {
    {"", ZR_ctor_of<ZR_Effect_Nefreqmul>},
    {"i", ZR_handler_of<ZR_Effect_Freqring<32768>, &ZR_Effect_Freqring<32768>::m_i>},
    {"o", ZR_handler_of<ZR_Effect_Freqring<32768>, &ZR_Effect_Freqring<32768>::m_o>},
    {"k", ZR_handler_of<ZR_Effect_Freqring<32768>, &ZR_Effect_Freqring<32768>::m_k>},
    {"rand", ZR_handler_of<ZR_Effect_Nefreqmul, &ZR_Effect_Nefreqmul::m_rand>},
    {"stab", ZR_handler_of<ZR_Effect_Nefreqmul, &ZR_Effect_Nefreqmul::m_stab>},
    {nullptr, ZR_Effect::paramTable},
};

// ------------------------------------------------------------ oversampler

namespace {

struct OversamMemory {
  int32_t y0, y1, y2, m0, m1;
};

// Eight outputs per input sample: a cubic through y0 and y1 with the
// slopes m0 and m1, two input samples behind.  Wrapping 32-bit arithmetic.
void oversamKernel(int32_t* out, const int32_t* in, int count, OversamMemory& s) {
  for (int i = 0; i < count; ++i) {
    const uint32_t a = static_cast<uint32_t>(i & 7);
    if (a == 0) {
      s.m0 = s.m1;
      s.y0 = s.y1;
      s.y1 = s.y2;
      s.y2 = in[i >> 3] / 8;
      s.m1 = (ZR_wrapSub(s.y2, s.y0) / 2) / 8;
    }
    uint32_t first = (8u - a) * (a * static_cast<uint32_t>(s.m0) + static_cast<uint32_t>(s.y0));
    uint32_t second = a * (static_cast<uint32_t>(s.y1) - (8u - a) * static_cast<uint32_t>(s.m1));
    out[i] = static_cast<int32_t>(first + second);
  }
}

}  // namespace

void ZR_Effect_Oversam::process() {
  // As many samples as the output's length setting says, within what the
  // input can feed (eight per input sample) and what the output holds.
  int32_t count = output && output->length > 0 ? std::min(output->length, output->count) : 0;
  int32_t nIn = ZR_stageLength(input);
  count = static_cast<int32_t>(std::min<int64_t>(count, static_cast<int64_t>(nIn) * 8));
  int32_t* out = samples(output);
  const int32_t* in = samples(input);
  if (!out || !in) return;
  OversamMemory s = {y0, y1, y2, m0, m1};
  oversamKernel(out, in, count, s);
  y0 = s.y0;
  y1 = s.y1;
  y2 = s.y2;
  m0 = s.m0;
  m1 = s.m1;
}

void ZR_Effect_Oversam::reset() { y0 = y1 = y2 = m0 = m1 = 0; }

ZR_value ZR_Effect_Oversam::m_i(ZR_Effect_Oversam* self, ZR_value v) { return ZR_bufferParam(self->input, v); }
ZR_value ZR_Effect_Oversam::m_o(ZR_Effect_Oversam* self, ZR_value v) { return ZR_bufferParam(self->output, v); }

ZR_value ZR_Effect_Oversam::m_k(ZR_Effect_Oversam* self, ZR_value v) {
  if (v.given()) self->factor = v.asIntTruncated();
  return ZR_value::ofInt(self->factor);
}

const ZR_param ZR_Effect_Oversam::paramTable[] = {
    {"", ZR_ctor_of<ZR_Effect_Oversam>},
    {"i", ZR_handler_of<ZR_Effect_Oversam, &ZR_Effect_Oversam::m_i>},
    {"o", ZR_handler_of<ZR_Effect_Oversam, &ZR_Effect_Oversam::m_o>},
    {"k", ZR_handler_of<ZR_Effect_Oversam, &ZR_Effect_Oversam::m_k>},
    {nullptr, ZR_Effect::paramTable},
};

// ------------------------------------------------------------ pitch shifters

namespace {

const int32_t kShiftMask = ZR_Effect_Shifter::MASK;

struct Head {
  int32_t k;  // ring index of the older of the two samples read
  int32_t f;  // weight of the older one, 0 .. 16383 (negative for p < 0)
};

inline Head headAt(int32_t writePos, int32_t p) {
  Head h;
  h.f = p % 16384;
  h.k = wrapMask(writePos + p / 16384, kShiftMask);
  return h;
}

// f x (ring[k+1] >> 14) + (16384 - f) x (ring[k] >> 14), 32 bits wrapping.
inline int32_t read14(const int32_t* ring, int32_t writePos, int32_t p) {
  Head h = headAt(writePos, p);
  uint32_t older = static_cast<uint32_t>(ring[wrapMask(h.k + 1, kShiftMask)] >> 14);
  uint32_t newer = static_cast<uint32_t>(ring[h.k] >> 14);
  return static_cast<int32_t>(static_cast<uint32_t>(h.f) * older + static_cast<uint32_t>(16384 - h.f) * newer);
}

// (ring[k+1] x f + ring[k] x (16384 - f)) >> 14 in 64 bits, low 32 bits.
inline int32_t read64(const int32_t* ring, int32_t writePos, int32_t p) {
  Head h = headAt(writePos, p);
  int64_t sum = static_cast<int64_t>(ring[wrapMask(h.k + 1, kShiftMask)]) * h.f +
                static_cast<int64_t>(ring[h.k]) * (16384 - h.f);
  return static_cast<int32_t>(static_cast<uint32_t>(static_cast<uint64_t>(sum >> 14)));
}

// Moves the phase by the speed and folds it back into 0 .. period once.
inline int32_t advancePhase(int32_t phase, int32_t speed, uint32_t period) {
  phase = ZR_wrapAdd(phase, speed);
  if (phase < 0)
    phase = static_cast<int32_t>(static_cast<uint32_t>(phase) + period);
  else if (static_cast<uint32_t>(phase) >= period)
    phase = static_cast<int32_t>(static_cast<uint32_t>(phase) - period);
  return phase;
}

}  // namespace

void ZR_Effect_Shifter::recalc() {
  if (clock <= 0) return;
  double p = std::floor(static_cast<double>(clock) * 8388608.0 / 48000.0);
  if (p < 1.0) p = 1.0;
  if (p > MAX_PERIOD) p = MAX_PERIOD;
  period = static_cast<uint32_t>(p);
}

void ZR_Effect_Shifter::reset() {
  std::memset(ring, 0, sizeof ring);
  std::memset(echo, 0, sizeof echo);
}

ZR_value ZR_Effect_Shifter::m_i(ZR_Effect_Shifter* self, ZR_value v) { return ZR_bufferParam(self->input, v); }
ZR_value ZR_Effect_Shifter::m_o(ZR_Effect_Shifter* self, ZR_value v) { return ZR_bufferParam(self->output, v); }

ZR_value ZR_Effect_Shifter::m_s(ZR_Effect_Shifter* self, ZR_value v) {
  if (v.given()) self->speed = v.asIntTruncated();
  return ZR_value::ofInt(self->speed);
}

ZR_value ZR_Effect_Shifter::m_p(ZR_Effect_Shifter* self, ZR_value v) {
  if (v.given()) self->phase = v.asIntTruncated();
  return ZR_value::ofInt(self->phase);
}

void ZR_Effect_Nshift::process() {
  const int n = std::min(ZR_stageLength(input), ZR_stageLength(output));
  int32_t* out = samples(output);
  const int32_t* in = samples(input);
  if (!out || !in) return;
  const uint32_t per = period;
  const int32_t sp = speed;
  int32_t w = writePos, ph = phase;
  for (int i = 0; i < n; ++i) {
    w = wrapMask(w - 1, kShiftMask);
    ring[w] = in[i];
    ph = advancePhase(ph, sp, per);
    int32_t a = read14(ring, w, ph);
    int32_t b = read14(ring, w, static_cast<int32_t>(static_cast<uint32_t>(ph) + per));
    double w1 = ZR_headWindow(ph, per);
    double w2 = ZR_headWindow(static_cast<double>(ph) + per, per);
    out[i] = ZR_truncate(a * w1 + b * w2);
  }
  writePos = w;
  phase = ph;
}

void ZR_Effect_Shift::process() {
  const int n = std::min(ZR_stageLength(input), ZR_stageLength(output));
  int32_t* out = samples(output);
  const int32_t* in = samples(input);
  if (!out || !in) return;
  const uint32_t per = period;
  const int32_t sp = speed;
  // Where the echo of the overlap lies: one window, stretched by the speed.
  const int32_t echoAt = ZR_truncate(per / (1.0 - sp / 16384.0));
  int32_t w = writePos, ph = phase;
  for (int i = 0; i < n; ++i) {
    w = wrapMask(w - 1, kShiftMask);
    ring[w] = in[i];
    ph = advancePhase(ph, sp, per);
    double w1 = ZR_headWindow(ph, per);
    double w2 = ZR_headWindow(static_cast<double>(ph) + per, per);
    int32_t a = read64(ring, w, ph);
    int32_t b = read64(ring, w, static_cast<int32_t>(static_cast<uint32_t>(ph) + per));
    double larger = w1 >= w2 ? w1 : w2;
    double smaller = w1 >= w2 ? w2 : w1;
    double ratio = smaller / larger;
    float g = 1.0f / static_cast<float>(larger);
    int32_t e = read64(echo, w, echoAt);
    double y = (a * w1 + b * w2) * static_cast<double>(g) - e * ratio;
    int32_t t = ZR_truncate(y);
    echo[w] = t;
    out[i] = t;
  }
  writePos = w;
  phase = ph;
}

const ZR_param ZR_Effect_Shift::paramTable[] = {
    {"", ZR_ctor_of<ZR_Effect_Shift>},
    {"i", ZR_handler_of<ZR_Effect_Shifter, &ZR_Effect_Shifter::m_i>},
    {"o", ZR_handler_of<ZR_Effect_Shifter, &ZR_Effect_Shifter::m_o>},
    {"s", ZR_handler_of<ZR_Effect_Shifter, &ZR_Effect_Shifter::m_s>},
    {"p", ZR_handler_of<ZR_Effect_Shifter, &ZR_Effect_Shifter::m_p>},
    {nullptr, ZR_Effect::paramTable},
};

const ZR_param ZR_Effect_Nshift::paramTable[] = {
    {"", ZR_ctor_of<ZR_Effect_Nshift>},
    {"i", ZR_handler_of<ZR_Effect_Shifter, &ZR_Effect_Shifter::m_i>},
    {"o", ZR_handler_of<ZR_Effect_Shifter, &ZR_Effect_Shifter::m_o>},
    {"s", ZR_handler_of<ZR_Effect_Shifter, &ZR_Effect_Shifter::m_s>},
    {"p", ZR_handler_of<ZR_Effect_Shifter, &ZR_Effect_Shifter::m_p>},
    {nullptr, ZR_Effect::paramTable},
};
