// Arithmetic and routing stages: clearing, strided copying, limiting from
// below and above, combining two buffers or a buffer and a constant with an
// operator, and a soft clipper with a slowly tracking offset.
#pragma once

#include "ZR_effect_stage.h"

// Operators of ZR_Effect_Oper and ZR_Effect_Koef ("oper").
enum ZR_oper { ZR_OPER_ADD, ZR_OPER_SUB, ZR_OPER_MUL, ZR_OPER_DIV, ZR_OPER_COUNT };
extern const char* const ZR_operNames[ZR_OPER_COUNT];

// The operators on one pair of samples.  `Koef` selects the constant
// stage's rules: wrapping "add", and 0 counted as negative in "div" (the
// buffer stage saturates "add" and counts 0 as positive).
//   mul: (a * b) >> 24 on the exact product, saturated (b has 24 fraction bits)
//   div: floor((|a| + 1) * 2^24 / (|b| + 1)) with the product of the signs,
//        saturated; |-2^31| is 2^31
template <int Op, bool Koef>
inline int32_t ZR_operSample(int32_t a, int32_t b) {
  switch (Op) {
    case ZR_OPER_ADD:
      return Koef ? ZR_wrapAdd(a, b) : ZR_saturate(static_cast<int64_t>(a) + b);
    case ZR_OPER_SUB:
      return ZR_wrapSub(a, b);
    case ZR_OPER_MUL:
      return ZR_saturate((static_cast<int64_t>(a) * b) >> 24);
    default: {
      int64_t ma = a < 0 ? -static_cast<int64_t>(a) : a;
      int64_t mb = b < 0 ? -static_cast<int64_t>(b) : b;
      int64_t q = ((ma + 1) << 24) / (mb + 1);
      bool negA = Koef ? a <= 0 : a < 0;
      bool negB = Koef ? b <= 0 : b < 0;
      bool negative = negA != negB;
      if (q > INT32_MAX) return negative ? INT32_MIN : INT32_MAX;
      return negative ? -static_cast<int32_t>(q) : static_cast<int32_t>(q);
    }
  }
}

class ZR_EXPORT ZR_Effect_Zero : public ZR_Effect {
 public:
  ZR_Buffer* output = nullptr;

  void process() override;

  static ZR_value m_o(ZR_Effect_Zero* self, ZR_value v);
  static const ZR_param paramTable[];
};

class ZR_EXPORT ZR_Effect_Copy : public ZR_Effect {
 public:
  ZR_Buffer* input = nullptr;
  ZR_Buffer* output = nullptr;
  int32_t inStride = 1;
  int32_t outStride = 1;

  void process() override;

  static ZR_value m_i(ZR_Effect_Copy* self, ZR_value v);
  static ZR_value m_o(ZR_Effect_Copy* self, ZR_value v);
  static ZR_value m_is(ZR_Effect_Copy* self, ZR_value v);
  static ZR_value m_os(ZR_Effect_Copy* self, ZR_value v);
  static const ZR_param paramTable[];
};

// The common part of the two limiters.
class ZR_EXPORT ZR_Effect_Limit : public ZR_Effect {
 public:
  ZR_Buffer* input = nullptr;
  ZR_Buffer* output = nullptr;
  int32_t level = 0;

  static ZR_value m_i(ZR_Effect_Limit* self, ZR_value v);
  static ZR_value m_o(ZR_Effect_Limit* self, ZR_value v);
  static ZR_value m_l(ZR_Effect_Limit* self, ZR_value v);

 protected:
  typedef void (*Kernel)(int32_t* out, const int32_t* in, int32_t level, int n);
  void run(Kernel kernel);
};

// output = input where it is above `level`, else `level`.
class ZR_EXPORT ZR_Effect_Gtzero : public ZR_Effect_Limit {
 public:
  void process() override;
  static const ZR_param paramTable[];
};

// output = input where it is below `level`, else `level`.
class ZR_EXPORT ZR_Effect_Ltzero : public ZR_Effect_Limit {
 public:
  void process() override;
  static const ZR_param paramTable[];
};

class ZR_EXPORT ZR_Effect_Oper : public ZR_Effect {
 public:
  ZR_Buffer* input1 = nullptr;
  ZR_Buffer* input2 = nullptr;
  ZR_Buffer* output = nullptr;
  int32_t oper = ZR_OPER_ADD;

  void process() override;

  static ZR_value m_i1(ZR_Effect_Oper* self, ZR_value v);
  static ZR_value m_i2(ZR_Effect_Oper* self, ZR_value v);
  static ZR_value m_o(ZR_Effect_Oper* self, ZR_value v);
  static ZR_value m_oper(ZR_Effect_Oper* self, ZR_value v);
  static const ZR_param paramTable[];
};

class ZR_EXPORT ZR_Effect_Koef : public ZR_Effect {
 public:
  ZR_Buffer* input = nullptr;
  ZR_Buffer* output = nullptr;
  int32_t oper = ZR_OPER_ADD;
  int32_t coefficient = 0;

  void process() override;

  // "k" as the coefficient: k * 2^31 / 127 truncated toward zero, saturated
  // to the 32-bit range (so +-127 and beyond give the extreme words).
  static int32_t coefficientOf(float k);

  static ZR_value m_i(ZR_Effect_Koef* self, ZR_value v);
  static ZR_value m_o(ZR_Effect_Koef* self, ZR_value v);
  static ZR_value m_oper(ZR_Effect_Koef* self, ZR_value v);
  static ZR_value m_k(ZR_Effect_Koef* self, ZR_value v);
  static const ZR_param paramTable[];
};

class ZR_EXPORT ZR_Effect_Dist : public ZR_Effect {
 public:
  ZR_Buffer* input = nullptr;
  ZR_Buffer* output = nullptr;
  int32_t offset = 0;
  int32_t rate = 67108864;
  float rateParam = 0.0f;
  int32_t drive = 16777216;
  int32_t knee = 4194304;
  int32_t clip = 8388608;
  int32_t shift = 1;
  int32_t lowerFollows = 0;
  double symmetry = 0.5;

  void process() override;
  void recalc() override;
  void reset() override;

  static ZR_value m_i(ZR_Effect_Dist* self, ZR_value v);
  static ZR_value m_o(ZR_Effect_Dist* self, ZR_value v);
  static ZR_value m_d(ZR_Effect_Dist* self, ZR_value v);
  static ZR_value m_s(ZR_Effect_Dist* self, ZR_value v);
  static ZR_value m_k(ZR_Effect_Dist* self, ZR_value v);
  static ZR_value m_l(ZR_Effect_Dist* self, ZR_value v);
  static const ZR_param paramTable[];

 private:
  void updateLimits();
  void updateRate();
};
