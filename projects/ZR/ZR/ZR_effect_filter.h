// Recursive filters on 32-bit samples: one-pole low-pass and high-pass,
// two-pole band-pass, and an envelope detector with separate attack and
// release.  Coefficients follow the frequencies and the stage's clock.
#pragma once

#include "ZR_effect_stage.h"

// The common part of the one-pole filters: s = s + a (x - s) with
// a = 2 pi f / (2 pi f + clock), a held as an unsigned 32-bit fraction.
class ZR_EXPORT ZR_Effect_Onepole : public ZR_Effect {
 public:
  ZR_Buffer* input = nullptr;
  ZR_Buffer* output = nullptr;
  int32_t frequency = 0;     // Hz
  uint32_t coefficient = 0;  // a * 2^32
  int32_t state = 0;

  void recalc() override;
  void reset() override;

  // 2^32 * pi f / (pi f + clock / 2), truncated, low 32 bits.
  static uint32_t coefficientOf(int32_t frequency, int32_t clock);

  static ZR_value m_i(ZR_Effect_Onepole* self, ZR_value v);
  static ZR_value m_o(ZR_Effect_Onepole* self, ZR_value v);
  static ZR_value m_f(ZR_Effect_Onepole* self, ZR_value v);
};

// Combines the smoothed signal into the output by the mode.
class ZR_EXPORT ZR_Effect_Lopass : public ZR_Effect_Onepole {
 public:
  void process() override;
  static const ZR_param paramTable[];
};

// Writes input minus the smoothed signal; ignores the mode.
class ZR_EXPORT ZR_Effect_Hipass : public ZR_Effect_Onepole {
 public:
  void process() override;
  static const ZR_param paramTable[];
};

// Two-pole band-pass between the edges f * q and f / q.
class ZR_EXPORT ZR_Effect_Bapass : public ZR_Effect {
 public:
  ZR_Buffer* input = nullptr;
  ZR_Buffer* output = nullptr;
  float frequency = 0.0f;
  float q = 0.0f;
  int32_t c1 = 0, c2 = 0, c3 = 0;
  int32_t x1 = 0, x2 = 0, y1 = 0, y2 = 0;

  void process() override;
  void recalc() override;
  void reset() override;

  static ZR_value m_i(ZR_Effect_Bapass* self, ZR_value v);
  static ZR_value m_o(ZR_Effect_Bapass* self, ZR_value v);
  static ZR_value m_f(ZR_Effect_Bapass* self, ZR_value v);
  static ZR_value m_q(ZR_Effect_Bapass* self, ZR_value v);
  static const ZR_param paramTable[];
};

// Rectifies the input (into `absOutput`) and follows its magnitude with
// the attack coefficient while it rises and the release one while it falls
// (into `output`, by the mode).  The envelope is a magnitude up to 2^31.
class ZR_EXPORT ZR_Effect_Ampdet : public ZR_Effect {
 public:
  ZR_Buffer* input = nullptr;
  ZR_Buffer* output = nullptr;
  ZR_Buffer* absOutput = nullptr;
  float attack = 0.0f;   // Hz
  float release = 0.0f;  // Hz
  int32_t attackCoefficient = 0;
  int32_t releaseCoefficient = 0;
  int32_t envelope = 0;

  void process() override;
  void recalc() override;
  void reset() override;

  // 2^31 * pi f / (pi f + clock / 2), or 2^31 - 1 (instant) for f = 0.
  static int32_t coefficientOf(float frequency, int32_t clock);

  static ZR_value m_i(ZR_Effect_Ampdet* self, ZR_value v);
  static ZR_value m_o(ZR_Effect_Ampdet* self, ZR_value v);
  static ZR_value m_a(ZR_Effect_Ampdet* self, ZR_value v);
  static ZR_value m_f1(ZR_Effect_Ampdet* self, ZR_value v);
  static ZR_value m_f2(ZR_Effect_Ampdet* self, ZR_value v);
  static const ZR_param paramTable[];
};
