// The sound pipe, which runs a chain of processing stages block by block, and
// the stage base with its click-free on/off crossfades and combine modes.
#pragma once

#include "ZR_buffer.h"

class ZR_Effect;

class ZR_EXPORT ZR_Soundpipe : public ZR_Object {
 public:
  enum { MAX_BLOCK = 65535 };

  int32_t blockLength;
  ZR_Chain stages;          // processing order
  ZR_Effect* insertBefore;  // new stages go before it when set
  ZR_Chain buffers;

  ZR_Soundpipe();
  ~ZR_Soundpipe() override;

  // Runs one block.  Audio thread; never allocates or locks.
  int process();
  // Zeroes every buffer's main half and resets every stage.
  void clear();

  static ZR_value m_bl(ZR_Soundpipe* self, ZR_value v);
  static ZR_value m_be(ZR_Soundpipe* self, ZR_value v);
  static ZR_value m_b(ZR_Soundpipe* self, ZR_value v);
  static ZR_value m_e(ZR_Soundpipe* self, ZR_value v);
  static ZR_Object* construct();
  static const ZR_param paramTable[];
};

// The pipe that new buffers and stages join, or null.
extern ZR_Soundpipe* ZR_currentpipe;

// How a stage combines its result r with the output sample o already there,
// in wrapping 32-bit arithmetic.
enum ZR_mode { ZR_MODE_SET, ZR_MODE_ADD, ZR_MODE_SUB, ZR_MODE_STN, ZR_MODE_ADN, ZR_MODE_SBN, ZR_MODE_COUNT };
extern const char* const ZR_modeNames[ZR_MODE_COUNT];

inline int32_t ZR_wrapAdd(int32_t a, int32_t b) {
  return static_cast<int32_t>(static_cast<uint32_t>(a) + static_cast<uint32_t>(b));
}
inline int32_t ZR_wrapSub(int32_t a, int32_t b) {
  return static_cast<int32_t>(static_cast<uint32_t>(a) - static_cast<uint32_t>(b));
}
inline int32_t ZR_wrapNeg(int32_t a) { return static_cast<int32_t>(0u - static_cast<uint32_t>(a)); }

template <int M>
inline int32_t ZR_combineSample(int32_t o, int32_t r) {
  switch (M) {
    case ZR_MODE_SET: return r;
    case ZR_MODE_ADD: return ZR_wrapAdd(o, r);
    case ZR_MODE_SUB: return ZR_wrapSub(o, r);
    case ZR_MODE_STN: return ZR_wrapNeg(r);
    case ZR_MODE_ADN: return ZR_wrapNeg(ZR_wrapAdd(o, r));
    default: return ZR_wrapSub(r, o);
  }
}

// Block kernels: out[j] = combine(out[j], r[j]) for j < n, one per mode.
typedef void (*ZR_combineKernel)(int32_t* out, const int32_t* r, int n);
extern const ZR_combineKernel ZR_combineKernels[ZR_MODE_COUNT];

// Builds a table with one instance of a kernel template per mode, so a stage
// picks its per-sample loop by `mode` once per block.
template <template <int> class K>
struct ZR_modeTable {
  static constexpr decltype(&K<0>::run) table[ZR_MODE_COUNT] = {&K<0>::run, &K<1>::run, &K<2>::run,
                                                               &K<3>::run, &K<4>::run, &K<5>::run};
};

class ZR_EXPORT ZR_Effect : public ZR_Object {
 public:
  ZR_Chain_Item link;  // in the pipe's stage list
  uint8_t ready;       // 0 while prepare must run before the next processing
  int32_t mode;
  int32_t clock;       // sample rate in Hz
  uint8_t wasOn;
  uint8_t on;
  ZR_Soundpipe* pipe;

  ZR_Effect();
  ~ZR_Effect() override;
  virtual void process();
  virtual void prepare();
  virtual void recalc();
  virtual void reset();

  // The samples a stage reads or writes in this block: the main half, or the
  // shadow half while the stage switches; performs the pending crossfade.
  // Audio thread.  Null for a null buffer or one without samples.
  int32_t* samples(ZR_Buffer* buffer);
  // -1, 0 or +1: switching off, steady, switching on.
  int transition() const {
    uint8_t now = ZR_relaxedLoad(on);
    return now == wasOn ? 0 : (now ? 1 : -1);
  }

  static ZR_value m_before(ZR_Effect* self, ZR_value v);
  static ZR_value m_mode(ZR_Effect* self, ZR_value v);
  static ZR_value m_clock(ZR_Effect* self, ZR_value v);
  static ZR_value m_on(ZR_Effect* self, ZR_value v);
  static const ZR_param paramTable[];
};

// Crossfades used by `samples`, exposed for tests and benchmarks:
// main[j] = (to[j] * j + from[j] * (n - j)) / n in 64-bit arithmetic.
void ZR_crossfade(int32_t* main, const int32_t* from, const int32_t* to, int n);
