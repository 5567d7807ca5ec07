// The Fourier stages: the fixed-point FFT stage and the spectral noise gate
// built from five of them and a delay line.
//
// Spectrum layout: N complex points stored as 2N signed 32-bit values,
// (re, im) per point, point k at positions 2k and 2k+1.  A transform of size
// exponent s has N = 2^(s+1) points.  Both directions use the positive
// exponent: the forward transform computes X[k] = (1/N) sum x[n] e^(+2 pi i nk/N)
// and the backward one x[n] = sum X[k] e^(+2 pi i nk/N), so backward(forward(x))
// is x time-reversed.
#pragma once

#include "ZR_deline.h"
#include "ZR_effect.h"

// Correctly rounded sine and cosine of a double in [0, pi], evaluated in
// double-double arithmetic with an exact argument reduction.  Every build
// computes the same bits, whatever its runtime's sin and cos do.  Arguments
// outside [0, pi] give NaN.  Not for the audio path (it is slow).
double ZR_sinRounded(double x);
double ZR_cosRounded(double x);

// Tables shared by every transform of one size, built once on first use
// (thread-safe) and never freed.
struct ZR_Fourier_Tables {
  int32_t size;             // s
  int32_t points;           // N = 2^(s+1)
  const uint32_t* reversal; // N entries: the lowest s+1 bits of i reversed
  const double* window;     // N entries: sin(i pi / N)^2
};

class ZR_Fourier_Transform : public ZR_Effect {
 public:
  enum {
    MAX_SIZE = 15,          // largest size exponent accepted: N = 65536
    TWIDDLE_COUNT = 2048,   // (cos, sin) pairs over [0, pi) in steps of pi/2048
    UNSET = -1,             // `size` before the first "-s"
  };

  ZR_Buffer* input;    // not owned
  ZR_Buffer* history;  // owned: ring of N samples, `position` is the oldest
  ZR_Buffer* output;   // owned: N complex points
  int32_t size;        // s, or UNSET
  uint8_t backward;    // 0 forward, 1 backward
  int32_t window;      // 0 none, 1 sin

  ZR_Fourier_Transform();
  ~ZR_Fourier_Transform() override;
  // One transform.  Audio thread: no allocation, no locks.
  void process() override;

  // N, or 0 while no size is set.
  int32_t points() const { return tables ? tables->points : 0; }

  // The shared twiddle table: TWIDDLE_COUNT pairs (c_i, s_i) of
  // trunc(cos(i pi/2048) x 2147483647.0) and trunc(sin(i pi/2048) x 2147483647.0).
  static const int32_t* twiddles();
  // The tables for size exponent s (0..MAX_SIZE), null for any other s.
  static const ZR_Fourier_Tables* tablesFor(int32_t s);

  // The kernels, in place on N = 2^(s+1) points already in bit-reversed
  // order; the result is in natural order.  Exposed for tests and benchmarks.
  static void forwardKernel(int32_t* data, int32_t s);
  static void backwardKernel(int32_t* data, int32_t s);
  // The same kernels written plainly, one butterfly at a time, straight from
  // the definition.  The fast kernels must give exactly their bits; tests
  // compare the two.
  static void plainForwardKernel(int32_t* data, int32_t s);
  static void plainBackwardKernel(int32_t* data, int32_t s);

  static ZR_value m_i(ZR_Fourier_Transform* self, ZR_value v);
  static ZR_value m_w(ZR_Fourier_Transform* self, ZR_value v);
  static ZR_value m_d(ZR_Fourier_Transform* self, ZR_value v);
  static ZR_value m_win(ZR_Fourier_Transform* self, ZR_value v);
  static ZR_value m_s(ZR_Fourier_Transform* self, ZR_value v);
  static const ZR_param paramTable[];

 private:
  const ZR_Fourier_Tables* tables;  // for `size`, or null
  void gatherForward(int32_t* out);
  void gatherBackward(int32_t* out);
};

class ZR_Fourier_Noisegate : public ZR_Effect {
 public:
  ZR_Buffer* input;        // input spectrum, not owned
  ZR_Buffer* delayed;      // owned: the source delayed by 513 samples
  ZR_Buffer* source;       // time samples, not owned
  ZR_Buffer* thresholds;   // owned: N/2 + 1 per-bin thresholds
  ZR_Buffer* gains;        // owned: gain spectrum, unity = (2097151, 0)
  ZR_Buffer* output1;      // filtered with the previous block's filter
  ZR_Buffer* output2;      // filtered with this block's filter
  ZR_Fourier_Transform* analysis;  // forward, "sin" window, input = source
  ZR_Fourier_Transform* delayedTransform;  // forward, input = delayed
  ZR_Fourier_Transform* inverse;   // backward, input = gains
  ZR_Fourier_Transform* head;      // forward, first half of the impulse response
  ZR_Fourier_Transform* tail;      // forward, second half
  ZR_Effect_Deline* delay;     // one group into `delayed`, one tap of 512
  uint8_t adapt;                   // learning the thresholds
  alignas(8) double level;         // threshold offset in units of 8000; set directly

  enum { UNITY_GAIN = 2097151, DELAY_TAP = 512 };

  ZR_Fourier_Noisegate();
  ~ZR_Fourier_Noisegate() override;
  // One block.  Audio thread: no allocation, no locks.
  void process() override;

  // N of the transforms, or 0 while "-i" has not given consistent sizes.
  int32_t points() const { return points_; }

  static ZR_value m_i(ZR_Fourier_Noisegate* self, ZR_value v);
  static ZR_value m_o1(ZR_Fourier_Noisegate* self, ZR_value v);
  static ZR_value m_o2(ZR_Fourier_Noisegate* self, ZR_value v);
  static ZR_value m_s(ZR_Fourier_Noisegate* self, ZR_value v);
  static ZR_value m_a(ZR_Fourier_Noisegate* self, ZR_value v);
  static ZR_value m_w(ZR_Fourier_Noisegate* self, ZR_value v);
  static const ZR_param paramTable[];

 private:
  int32_t points_;
  bool consistent() const;
  void computeGains(int32_t n);
  void splitImpulseResponse(int32_t n);
  static ZR_value outputParam(ZR_Fourier_Noisegate* self, ZR_Buffer*& slot, ZR_value v);
};
