// Stages that change the time base of a signal: frequency multipliers that
// cut a periodic signal at rising zero crossings and repeat its periods,
// pitch shifters with two crossfaded read heads on a short delay line, and
// an eight-times oversampler.
#pragma once

#include "ZR_effect_stage.h"

// Window sin^2(pi p / (2 period)) of a read head at p (in 1/16384 sample),
// from IEEE double operations only, so every build computes the same bits.
double ZR_headWindow(double p, double period);

// The common part of the two frequency multipliers: a ring of RING samples
// holding the input with its periods repeated, read `factor` times faster.
// They use the buffers' main halves directly and take no part in the
// switching crossfade.
template <int RING>
class ZR_Effect_Freqring : public ZR_Effect {
 public:
  enum { RING_SIZE = RING, MASK = RING - 1, MAX_FACTOR = 64 };

  ZR_Buffer* input = nullptr;
  ZR_Buffer* output = nullptr;
  int32_t factor = 2;
  float latency = 0.02f;  // seconds
  int32_t writePos = 0;
  int32_t readPos = 0;
  int32_t lastCross = 0;
  int32_t ring[RING] = {};
  int32_t previous = -1;

  // "k": a factor from 1 to MAX_FACTOR; anything else keeps the old one.
  static ZR_value m_k(ZR_Effect_Freqring* self, ZR_value v) {
    if (v.given()) {
      int32_t k = v.asIntTruncated();
      if (k >= 1 && k <= MAX_FACTOR) self->factor = k;
    }
    return ZR_value::ofInt(self->factor);
  }
  static ZR_value m_i(ZR_Effect_Freqring* self, ZR_value v) { return ZR_bufferParam(self->input, v); }
  static ZR_value m_o(ZR_Effect_Freqring* self, ZR_value v) { return ZR_bufferParam(self->output, v); }

 protected:
  // The factor the audio path uses: the field, held inside 1 .. MAX_FACTOR.
  int32_t activeFactor() const { return factor < 1 ? 1 : (factor > MAX_FACTOR ? MAX_FACTOR : factor); }
  // Latency in samples, clock x latency rounded once to a float (so 0.02 s
  // is exactly 960 samples at 48 kHz).
  double latencySamples() const { return static_cast<float>(static_cast<float>(clock) * latency); }
};

class ZR_EXPORT ZR_Effect_Freqmul : public ZR_Effect_Freqring<16384> {
 public:
  void process() override;
  static const ZR_param paramTable[];
};

// Accepts only crossings whose slope fits the recent ones, and fills the
// repetitions with shaped copies of the period.  Honours "set" and "add".
class ZR_EXPORT ZR_Effect_Nefreqmul : public ZR_Effect_Freqring<32768> {
 public:
  double slopeAverage = 0.0;
  double randomness = 0.6;
  double stability = 0.7;

  void process() override;
  void reset() override;

  static ZR_value m_rand(ZR_Effect_Nefreqmul* self, ZR_value v);
  static ZR_value m_stab(ZR_Effect_Nefreqmul* self, ZR_value v);
  static const ZR_param paramTable[];
};

class ZR_EXPORT ZR_Effect_Oversam : public ZR_Effect {
 public:
  ZR_Buffer* input = nullptr;
  ZR_Buffer* output = nullptr;
  int32_t factor = 1;  // kept for the command language; the rate is always 8
  int32_t y0 = 0, y1 = 0, y2 = 0, m0 = 0, m1 = 0;

  void process() override;
  void reset() override;

  static ZR_value m_i(ZR_Effect_Oversam* self, ZR_value v);
  static ZR_value m_o(ZR_Effect_Oversam* self, ZR_value v);
  static ZR_value m_k(ZR_Effect_Oversam* self, ZR_value v);
  static const ZR_param paramTable[];
};

// The common part of the two pitch shifters: the input history is written
// backwards into `ring`, and two heads half a window apart read it at
// `phase` and `phase` + `period`, each weighted by its sine-squared window.
class ZR_EXPORT ZR_Effect_Shifter : public ZR_Effect {
 public:
  enum { RING_SIZE = 8192, MASK = 8191, MAX_PERIOD = 1 << 26 };

  ZR_Buffer* input = nullptr;
  ZR_Buffer* output = nullptr;
  int32_t writePos = 0;
  int32_t phase = 0;  // 1/16384 sample
  int32_t spare = 0;
  int32_t ring[RING_SIZE] = {};
  int32_t echo[RING_SIZE] = {};
  int32_t speed = 0;          // 1/16384 sample per sample
  uint32_t period = 8388608;  // 1/16384 sample: 512 samples at 48 kHz

  // period = clock x 2^23 / 48000, for a clock above 0, at most MAX_PERIOD
  // (both heads then stay inside the ring); another clock keeps it.
  void recalc() override;
  void reset() override;

  static ZR_value m_i(ZR_Effect_Shifter* self, ZR_value v);
  static ZR_value m_o(ZR_Effect_Shifter* self, ZR_value v);
  static ZR_value m_s(ZR_Effect_Shifter* self, ZR_value v);
  static ZR_value m_p(ZR_Effect_Shifter* self, ZR_value v);
};

// Two heads with overlap compensation: the window sum is normalised by the
// larger window and the overlap is taken off with the output's own echo.
class ZR_EXPORT ZR_Effect_Shift : public ZR_Effect_Shifter {
 public:
  void process() override;
  static const ZR_param paramTable[];
};

// Two heads, no feedback; the heads read the history at 18-bit precision.
class ZR_EXPORT ZR_Effect_Nshift : public ZR_Effect_Shifter {
 public:
  void process() override;
  static const ZR_param paramTable[];
};
