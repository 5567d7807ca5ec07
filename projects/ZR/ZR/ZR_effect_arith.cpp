#include "ZR_effect_arith.h"

#include <cstring>

const char* const ZR_operNames[ZR_OPER_COUNT] = {"add", "sub", "mul", "div"};

namespace {

// ------------------------------------------------------------ kernels

template <int M>
struct CopyKernel {
  static void run(int32_t* out, int32_t outStride, const int32_t* in, int32_t inStride, int count) {
    for (int j = 0; j < count; ++j) {
      int32_t* o = out + static_cast<ptrdiff_t>(j) * outStride;
      *o = ZR_combineSample<M>(*o, in[static_cast<ptrdiff_t>(j) * inStride]);
    }
  }
};

void greaterKernel(int32_t* out, const int32_t* in, int32_t level, int n) {
  for (int j = 0; j < n; ++j) out[j] = in[j] > level ? in[j] : level;
}

void lessKernel(int32_t* out, const int32_t* in, int32_t level, int n) {
  for (int j = 0; j < n; ++j) out[j] = in[j] < level ? in[j] : level;
}

// output[j] = combine(output[j], a[j] op b[j])
template <int Op>
struct OperKernels {
  template <int M>
  struct K {
    static void run(int32_t* out, const int32_t* a, const int32_t* b, int n) {
      for (int j = 0; j < n; ++j) out[j] = ZR_combineSample<M>(out[j], ZR_operSample<Op, false>(a[j], b[j]));
    }
  };
};

// output[j] = combine(output[j], a[j] op k)
template <int Op>
struct KoefKernels {
  template <int M>
  struct K {
    static void run(int32_t* out, const int32_t* a, int32_t k, int n) {
      for (int j = 0; j < n; ++j) out[j] = ZR_combineSample<M>(out[j], ZR_operSample<Op, true>(a[j], k));
    }
  };
};

typedef void (*OperRun)(int32_t*, const int32_t*, const int32_t*, int);
typedef void (*KoefRun)(int32_t*, const int32_t*, int32_t, int);

const OperRun* const kOperTables[ZR_OPER_COUNT] = {
    ZR_modeTable<OperKernels<ZR_OPER_ADD>::K>::table, ZR_modeTable<OperKernels<ZR_OPER_SUB>::K>::table,
    ZR_modeTable<OperKernels<ZR_OPER_MUL>::K>::table, ZR_modeTable<OperKernels<ZR_OPER_DIV>::K>::table};

const KoefRun* const kKoefTables[ZR_OPER_COUNT] = {
    ZR_modeTable<KoefKernels<ZR_OPER_ADD>::K>::table, ZR_modeTable<KoefKernels<ZR_OPER_SUB>::K>::table,
    ZR_modeTable<KoefKernels<ZR_OPER_MUL>::K>::table, ZR_modeTable<KoefKernels<ZR_OPER_DIV>::K>::table};

int operIndex(int32_t oper) { return oper >= 0 && oper < ZR_OPER_COUNT ? oper : ZR_OPER_ADD; }

// "oper": one of the operator names sets the index; any other value keeps it.
ZR_value operParam(int32_t& oper, const ZR_value& v) {
  if (v.type == ZR_TYPE_TEXT && v.asText())
    for (int k = 0; k < ZR_OPER_COUNT; ++k)
      if (std::strcmp(v.asText(), ZR_operNames[k]) == 0) oper = k;
  return ZR_value::ofText(ZR_operNames[operIndex(oper)]);
}

// Soft clipper with tracking offset; returns the offset after the block.
int32_t distKernel(int32_t* out, const int32_t* in, int n, int32_t o, int32_t clip, int32_t knee, int32_t shift,
                   int32_t lowerFollows, int32_t rate) {
  const bool follows = (lowerFollows & 1) != 0;
  const int32_t q = static_cast<int32_t>(static_cast<uint32_t>(knee) * 4u);
  const int sh = shift & 31;
  for (int j = 0; j < n; ++j) {
    int32_t x = in[j];
    int32_t u = ZR_wrapSub(x >> 1, o) >> 1;
    int32_t upper = clip;
    int32_t lower = ZR_wrapNeg(clip);
    if (follows) {
      int32_t low = ZR_wrapSub(ZR_wrapNeg(clip), knee);
      int32_t high = o < clip ? o : clip;
      lower = low > high ? low : high;
    }
    int32_t c = u > upper ? upper : u;
    if (c < lower) c = lower;
    int32_t e = ZR_wrapSub(u, c);
    int32_t w = ZR_wrapSub(q, q >> sh);
    if (follows && e <= 0) w >>= 3;
    if (e > 0) w = q >> sh;
    int64_t magnitude = e < 0 ? -static_cast<int64_t>(e) : e;
    int64_t denominator = static_cast<int64_t>(w) + magnitude;
    int32_t bend = denominator ? static_cast<int32_t>((static_cast<int64_t>(w) * e) / denominator) : 0;
    int32_t y = ZR_wrapAdd(c, bend);
    o = ZR_wrapAdd(o, static_cast<int32_t>((static_cast<int64_t>(ZR_wrapSub(u, y)) * rate) >> 32));
    out[j] = static_cast<int32_t>(static_cast<uint32_t>(y) * 4u);
  }
  return o;
}

}  // namespace

// ------------------------------------------------------------ Zero

void ZR_Effect_Zero::process() {
  int n = ZR_stageLength(output);
  int32_t* out = samples(output);
  if (!out) return;
  std::memset(out, 0, sizeof(int32_t) * static_cast<size_t>(n));
}

ZR_value ZR_Effect_Zero::m_o(ZR_Effect_Zero* self, ZR_value v) { return ZR_bufferParam(self->output, v); }

const ZR_param ZR_Effect_Zero::paramTable[] = {
    {"", ZR_ctor_of<ZR_Effect_Zero>},
    {"o", ZR_handler_of<ZR_Effect_Zero, &ZR_Effect_Zero::m_o>},
    {nullptr, ZR_Effect::paramTable},
};

// ------------------------------------------------------------ Copy

void ZR_Effect_Copy::process() {
  int32_t nIn = ZR_stageLength(input);
  int32_t nOut = ZR_stageLength(output);
  int32_t* out = samples(output);
  const int32_t* in = samples(input);
  int32_t is = inStride, os = outStride;
  // Strides below 1 would read or write outside the buffers: nothing is done.
  if (!out || !in || is < 1 || os < 1 || nOut < 1) return;
  int32_t count = std::min(nIn / is, (nOut - 1) / os + 1);
  int m = ZR_modeIndex(mode);
  if (in == out && m == ZR_MODE_SET) return;
  ZR_modeTable<CopyKernel>::table[m](out, os, in, is, count);
}

ZR_value ZR_Effect_Copy::m_i(ZR_Effect_Copy* self, ZR_value v) { return ZR_bufferParam(self->input, v); }
ZR_value ZR_Effect_Copy::m_o(ZR_Effect_Copy* self, ZR_value v) { return ZR_bufferParam(self->output, v); }

ZR_value ZR_Effect_Copy::m_is(ZR_Effect_Copy* self, ZR_value v) {
  if (v.given()) self->inStride = v.asInt();
  return ZR_value::ofInt(self->inStride);
}

ZR_value ZR_Effect_Copy::m_os(ZR_Effect_Copy* self, ZR_value v) {
  if (v.given()) self->outStride = v.asInt();
  return ZR_value::ofInt(self->outStride);
}

const ZR_param ZR_Effect_Copy::paramTable[] = {
    {"", ZR_ctor_of<ZR_Effect_Copy>},
    {"i", ZR_handler_of<ZR_Effect_Copy, &ZR_Effect_Copy::m_i>},
    {"o", ZR_handler_of<ZR_Effect_Copy, &ZR_Effect_Copy::m_o>},
    {"is", ZR_handler_of<ZR_Effect_Copy, &ZR_Effect_Copy::m_is>},
    {"os", ZR_handler_of<ZR_Effect_Copy, &ZR_Effect_Copy::m_os>},
    {nullptr, ZR_Effect::paramTable},
};

// ------------------------------------------------------------ Gtzero, Ltzero

void ZR_Effect_Limit::run(Kernel kernel) {
  int n = std::min(ZR_stageLength(input), ZR_stageLength(output));
  int32_t* out = samples(output);
  const int32_t* in = samples(input);
  if (!out || !in) return;
  kernel(out, in, level, n);
}

ZR_value ZR_Effect_Limit::m_i(ZR_Effect_Limit* self, ZR_value v) { return ZR_bufferParam(self->input, v); }
ZR_value ZR_Effect_Limit::m_o(ZR_Effect_Limit* self, ZR_value v) { return ZR_bufferParam(self->output, v); }

ZR_value ZR_Effect_Limit::m_l(ZR_Effect_Limit* self, ZR_value v) {
  if (v.given()) self->level = v.asIntTruncated();
  return ZR_value::ofInt(self->level);
}

void ZR_Effect_Gtzero::process() { run(&greaterKernel); }
void ZR_Effect_Ltzero::process() { run(&lessKernel); }

const ZR_param ZR_Effect_Gtzero::paramTable[] = {
    {"", ZR_ctor_of<ZR_Effect_Gtzero>},
    {"i", ZR_handler_of<ZR_Effect_Limit, &ZR_Effect_Limit::m_i>},
    {"o", ZR_handler_of<ZR_Effect_Limit, &ZR_Effect_Limit::m_o>},
    {"l", ZR_handler_of<ZR_Effect_Limit, &ZR_Effect_Limit::m_l>},
    {nullptr, ZR_Effect::paramTable},
};

const ZR_param ZR_Effect_Ltzero::paramTable[] = {
    {"", ZR_ctor_of<ZR_Effect_Ltzero>},
    {"i", ZR_handler_of<ZR_Effect_Limit, &ZR_Effect_Limit::m_i>},
    {"o", ZR_handler_of<ZR_Effect_Limit, &ZR_Effect_Limit::m_o>},
    {"l", ZR_handler_of<ZR_Effect_Limit, &ZR_Effect_Limit::m_l>},
    {nullptr, ZR_Effect::paramTable},
};

// ------------------------------------------------------------ Oper

void ZR_Effect_Oper::process() {
  int n = std::min({ZR_stageLength(input1), ZR_stageLength(input2), ZR_stageLength(output)});
  int32_t* out = samples(output);
  const int32_t* a = samples(input1);
  const int32_t* b = samples(input2);
  if (!out || !a || !b) return;
  kOperTables[operIndex(oper)][ZR_modeIndex(mode)](out, a, b, n);
}

ZR_value ZR_Effect_Oper::m_i1(ZR_Effect_Oper* self, ZR_value v) { return ZR_bufferParam(self->input1, v); }
ZR_value ZR_Effect_Oper::m_i2(ZR_Effect_Oper* self, ZR_value v) { return ZR_bufferParam(self->input2, v); }
ZR_value ZR_Effect_Oper::m_o(ZR_Effect_Oper* self, ZR_value v) { return ZR_bufferParam(self->output, v); }
ZR_value ZR_Effect_Oper::m_oper(ZR_Effect_Oper* self, ZR_value v) { return operParam(self->oper, v); }

const ZR_param ZR_Effect_Oper::paramTable[] = {
    {"", ZR_ctor_of<ZR_Effect_Oper>},
    {"i1", ZR_handler_of<ZR_Effect_Oper, &ZR_Effect_Oper::m_i1>},
    {"i2", ZR_handler_of<ZR_Effect_Oper, &ZR_Effect_Oper::m_i2>},
    {"o", ZR_handler_of<ZR_Effect_Oper, &ZR_Effect_Oper::m_o>},
    {"oper", ZR_handler_of<ZR_Effect_Oper, &ZR_Effect_Oper::m_oper>},
    {nullptr, ZR_Effect::paramTable},
};

// ------------------------------------------------------------ Koef

void ZR_Effect_Koef::process() {
  int n = std::min(ZR_stageLength(input), ZR_stageLength(output));
  int32_t* out = samples(output);
  const int32_t* in = samples(input);
  if (!out || !in) return;
  kKoefTables[operIndex(oper)][ZR_modeIndex(mode)](out, in, coefficient, n);
}

int32_t ZR_Effect_Koef::coefficientOf(float k) {
  return ZR_truncate(static_cast<double>(k) * 2147483648.0 / 127.0);
}

ZR_value ZR_Effect_Koef::m_i(ZR_Effect_Koef* self, ZR_value v) { return ZR_bufferParam(self->input, v); }
ZR_value ZR_Effect_Koef::m_o(ZR_Effect_Koef* self, ZR_value v) { return ZR_bufferParam(self->output, v); }
ZR_value ZR_Effect_Koef::m_oper(ZR_Effect_Koef* self, ZR_value v) { return operParam(self->oper, v); }

ZR_value ZR_Effect_Koef::m_k(ZR_Effect_Koef* self, ZR_value v) {
  // The word is always read as a float's bits, whatever the value's type.
  if (v.given()) self->coefficient = coefficientOf(v.asFloat());
  return ZR_value::ofInt(self->coefficient);
}

const ZR_param ZR_Effect_Koef::paramTable[] = {
    {"", ZR_ctor_of<ZR_Effect_Koef>},
    {"i", ZR_handler_of<ZR_Effect_Koef, &ZR_Effect_Koef::m_i>},
    {"o", ZR_handler_of<ZR_Effect_Koef, &ZR_Effect_Koef::m_o>},
    {"oper", ZR_handler_of<ZR_Effect_Koef, &ZR_Effect_Koef::m_oper>},
    {"k", ZR_handler_of<ZR_Effect_Koef, &ZR_Effect_Koef::m_k>},
    {nullptr, ZR_Effect::paramTable},
};

// ------------------------------------------------------------ Dist

void ZR_Effect_Dist::process() {
  int n = std::min(ZR_stageLength(input), ZR_stageLength(output));
  int32_t* out = samples(output);
  const int32_t* in = samples(input);
  if (!out || !in) return;
  offset = distKernel(out, in, n, offset, clip, knee, shift, lowerFollows, rate);
}

void ZR_Effect_Dist::recalc() { updateRate(); }

void ZR_Effect_Dist::reset() { offset = 0; }

void ZR_Effect_Dist::updateLimits() {
  clip = ZR_truncate(static_cast<double>(drive) * (1.0 - symmetry));
  knee = static_cast<int32_t>((static_cast<int64_t>(drive) - clip) / 2);
}

void ZR_Effect_Dist::updateRate() {
  if (clock != 0) rate = ZR_truncate(static_cast<double>(rateParam) * 48000.0 / clock * 2147483647.0);
}

ZR_value ZR_Effect_Dist::m_i(ZR_Effect_Dist* self, ZR_value v) { return ZR_bufferParam(self->input, v); }
ZR_value ZR_Effect_Dist::m_o(ZR_Effect_Dist* self, ZR_value v) { return ZR_bufferParam(self->output, v); }

ZR_value ZR_Effect_Dist::m_d(ZR_Effect_Dist* self, ZR_value v) {
  if (v.given()) {
    self->drive = ZR_truncate(static_cast<double>(v.asNumber()) * 536870912.0);
    self->updateLimits();
  }
  return ZR_value::ofFloat(static_cast<float>(self->drive / 1073741824.0));
}

ZR_value ZR_Effect_Dist::m_s(ZR_Effect_Dist* self, ZR_value v) {
  if (v.given()) {
    self->symmetry = v.asNumber();
    self->updateLimits();
  }
  return ZR_value::ofFloat(static_cast<float>(self->symmetry));
}

ZR_value ZR_Effect_Dist::m_k(ZR_Effect_Dist* self, ZR_value v) {
  if (v.given()) {
    self->rateParam = v.asNumber();
    self->updateRate();
  }
  return ZR_value::ofFloat(self->rateParam);
}

ZR_value ZR_Effect_Dist::m_l(ZR_Effect_Dist* self, ZR_value v) {
  if (v.given()) self->lowerFollows = v.asInt();
  return ZR_value::ofInt(self->lowerFollows);
}

const ZR_param ZR_Effect_Dist::paramTable[] = {
    {"", ZR_ctor_of<ZR_Effect_Dist>},
    {"i", ZR_handler_of<ZR_Effect_Dist, &ZR_Effect_Dist::m_i>},
    {"o", ZR_handler_of<ZR_Effect_Dist, &ZR_Effect_Dist::m_o>},
    {"d", ZR_handler_of<ZR_Effect_Dist, &ZR_Effect_Dist::m_d>},
    {"s", ZR_handler_of<ZR_Effect_Dist, &ZR_Effect_Dist::m_s>},
    {"k", ZR_handler_of<ZR_Effect_Dist, &ZR_Effect_Dist::m_k>},
    {"l", ZR_handler_of<ZR_Effect_Dist, &ZR_Effect_Dist::m_l>},
    {nullptr, ZR_Effect::paramTable},
};
