// The spectral noise gate: per-bin gains by magnitude subtraction against
// learnt thresholds, turned into a zero-phase filter applied by fast
// convolution.  Two filtered spectra per block: with the previous block's
// filter and with this block's.
//
// Compiled, like the transform, without floating-point contraction: every
// double product and sum below is rounded to double.
#include <cmath>
#if defined(__SSE2__)
#include <emmintrin.h>
#endif

#include "ZR_fourier.h"

namespace {

constexpr double kFilterScale = 1024.0;                 // N of the size the system uses
constexpr double kInverseFullScale = 4.656612875245797e-10;  // 1/2147483647 rounded to double
constexpr double kLevelUnit = 8000.0;
constexpr double kLearningRate = 0.1;
constexpr double kGainFullScale = 2147483647.0;
constexpr double kGainPerPoint = 0.0009765625;          // 1/1024

static_assert(kInverseFullScale == 1.0 / 2147483647.0, "the double nearest 1/2147483647");

// The correctly rounded square root, the same instruction in every x86 build.
inline double squareRoot(double v) {
#if defined(__SSE2__)
  return _mm_cvtsd_f64(_mm_sqrt_sd(_mm_setzero_pd(), _mm_set_sd(v)));
#else
  return std::sqrt(v);
#endif
}

// Changes a buffer's length (and data start) for one call of a stage that
// reads it, and restores it afterwards.  With `narrowCount` the count
// follows the length, so that the length the reader is told is the new one
// whichever of the two it consults; the count then never exceeds the
// allocation.
class BufferView {
 public:
  BufferView(ZR_Buffer* b, int32_t offset, int32_t length, bool narrowCount)
      : buffer_(b), data_(b->data), length_(b->length), count_(b->count) {
    b->data = data_ + offset;
    b->length = length;
    if (narrowCount) b->count = length;
  }
  ~BufferView() {
    buffer_->data = data_;
    buffer_->length = length_;
    buffer_->count = count_;
  }
  BufferView(const BufferView&) = delete;
  BufferView& operator=(const BufferView&) = delete;

 private:
  ZR_Buffer* buffer_;
  int32_t* data_;
  int32_t length_;
  int32_t count_;
};

// Y = X conj(H'') + D conj(T''), H'' = H K/2147483647 and T'' likewise.
void filterSpectrum(int32_t* out, const int32_t* x, const int32_t* d, const int32_t* h, const int32_t* t,
                    int32_t n) {
  for (int32_t k = 0; k < n; ++k) {
    const double xr = x[2 * k], xi = x[2 * k + 1];
    const double dr = d[2 * k], di = d[2 * k + 1];
    const double hr = static_cast<double>(h[2 * k]) * kFilterScale * kInverseFullScale;
    const double hi = static_cast<double>(ZR_wrapNeg(h[2 * k + 1])) * kFilterScale * kInverseFullScale;
    const double tr = static_cast<double>(t[2 * k]) * kFilterScale * kInverseFullScale;
    const double ti = static_cast<double>(ZR_wrapNeg(t[2 * k + 1])) * kFilterScale * kInverseFullScale;
    const double re = (dr * tr - di * ti) + (xr * hr - xi * hi);
    const double im = (dr * ti + di * tr) + (xr * hi + xi * hr);
    out[2 * k] = ZR_truncate(re);
    out[2 * k + 1] = ZR_truncate(im);
  }
}

bool holdsPoints(const ZR_Buffer* b, int32_t n) { return b && b->data && b->count >= 2 * n; }
bool transformOfSize(const ZR_Fourier_Transform* t, int32_t n) {
  return t && t->points() == n && holdsPoints(t->output, n);
}

int32_t significantBits(int32_t v) {
  int32_t bits = 0;
  for (uint32_t u = v > 0 ? static_cast<uint32_t>(v) : 0u; u; u >>= 1) ++bits;
  return bits;
}

ZR_Fourier_Transform* newTransform() {
  ZR_Fourier_Transform* t = new ZR_Fourier_Transform;
  t->descriptor = ZR_Fourier_Transform::paramTable;  // reachable by "%o -..." commands
  return t;
}

ZR_Buffer* newBuffer(int32_t length) {
  ZR_Buffer* b = new ZR_Buffer;
  b->descriptor = ZR_Buffer::paramTable;
  ZR_Buffer::m_l(b, ZR_value::ofInt(length));
  return b;
}

}  // namespace

ZR_Fourier_Noisegate::ZR_Fourier_Noisegate()
    : input(nullptr), delayed(nullptr), source(nullptr), thresholds(nullptr), gains(nullptr), output1(nullptr),
      output2(nullptr), analysis(nullptr), delayedTransform(nullptr), inverse(nullptr), head(nullptr),
      tail(nullptr), delay(nullptr), adapt(0), level(0.0), points_(0) {
  thresholds = newBuffer(0);
  gains = newBuffer(0);
  delayed = newBuffer(0);

  inverse = newTransform();
  ZR_Fourier_Transform::m_i(inverse, ZR_value::ofObject(gains));
  ZR_Fourier_Transform::m_d(inverse, ZR_value::ofText("backward"));
  ZR_Fourier_Transform::m_s(inverse, ZR_value::ofInt(5));

  head = newTransform();
  ZR_Fourier_Transform::m_i(head, ZR_Fourier_Transform::m_w(inverse, ZR_EMPTY));
  tail = newTransform();
  ZR_Fourier_Transform::m_i(tail, ZR_Fourier_Transform::m_w(inverse, ZR_EMPTY));

  analysis = newTransform();
  ZR_Fourier_Transform::m_s(analysis, ZR_value::ofInt(5));
  ZR_Fourier_Transform::m_win(analysis, ZR_value::ofText("sin"));

  delayedTransform = newTransform();
  ZR_Fourier_Transform::m_s(delayedTransform, ZR_value::ofInt(5));
  ZR_Fourier_Transform::m_i(delayedTransform, ZR_value::ofObject(delayed));

  // One group writing into the delayed signal at unity gain, one tap of 512
  // samples at full amplitude: the source delayed by 513 samples.
  delay = new ZR_Effect_Deline;
  delay->descriptor = ZR_Effect_Deline::paramTable;
  ZR_Effect_Deline::m_g(delay, ZR_EMPTY);
  ZR_Effect_Deline::m_ga(delay, ZR_value::ofInt(1));
  ZR_Effect_Deline::m_go(delay, ZR_value::ofObject(delayed));
  ZR_Effect_Deline::m_d(delay, ZR_EMPTY);
  ZR_Effect_Deline::m_da(delay, ZR_value::ofInt(1));
  ZR_Effect_Deline::m_dt(delay, ZR_value::ofInt(DELAY_TAP));
}

ZR_Fourier_Noisegate::~ZR_Fourier_Noisegate() {
  // Reverse order of creation; anything already deleted by a command is
  // left alone.
  ZR_Object* owned[] = {delay, delayedTransform, analysis, tail,  head,
                        inverse,   output2,          output1,  delayed, gains, thresholds};
  for (ZR_Object* o : owned)
    if (ZR_Object::isLive(o)) delete o;
}

bool ZR_Fourier_Noisegate::consistent() const {
  const int32_t n = points_;
  if (n <= 0) return false;
  if (!holdsPoints(input, n) || !holdsPoints(gains, n)) return false;
  if (!thresholds || !thresholds->data) return false;
  const int32_t bins = thresholds->blockLength();
  if (bins < 1 || bins > n) return false;
  return transformOfSize(analysis, n) && transformOfSize(delayedTransform, n) && transformOfSize(inverse, n) &&
         transformOfSize(head, n) && transformOfSize(tail, n) && delay;
}

void ZR_Fourier_Noisegate::computeGains(int32_t n) {
  const int32_t* a = analysis->output->data;
  int32_t* threshold = thresholds->data;
  int32_t* g = gains->data;
  const int32_t bins = thresholds->blockLength();
  // The learn flag and the level are set from other threads: read once per block.
  const bool learning = ZR_relaxedLoad(adapt) != 0;
  const double offset = kLevelUnit * ZR_relaxedLoad(level);
  for (int32_t j = 0; j < bins; ++j) {
    const double re = a[2 * j], im = a[2 * j + 1];
    const double m = squareRoot(re * re + im * im);
    const double t = threshold[j];
    if (learning) threshold[j] = ZR_truncate((m - t) * kLearningRate + t);
    const double e = offset + t;
    const double v = m >= e ? m : e;
    const double gain = v != 0.0 ? (v - e) / v : 1.0;
    const int32_t q = ZR_truncate((gain * kGainFullScale) * kGainPerPoint);
    g[2 * j] = q;
    g[2 * j + 1] = 0;
    if (j != 0) {
      g[2 * (n - j)] = q;
      g[2 * (n - j) + 1] = 0;
    }
  }
}

void ZR_Fourier_Noisegate::splitImpulseResponse(int32_t n) {
  // Viewed as 2N values: the real parts of points 0..N/2-1 go to values
  // 0..N/2-1, those of points N/2..N-1 to values N..3N/2-1, zeros behind
  // each.  In ascending order every value is read before it is written.
  int32_t* v = inverse->output->data;
  const int32_t half = n / 2;
  for (int32_t k = 0; k < n; ++k) {
    if (k < half) {
      v[k] = v[2 * k];
      v[n + k] = v[n + 2 * k];
    } else {
      v[k] = 0;
      v[n + k] = 0;
    }
  }
}

void ZR_Fourier_Noisegate::process() {
  if (!consistent()) return;
  const int32_t n = points_;

  // 1. The source delayed by 513 samples.
  if (!delay->ready) delay->prepare();
  if (delay->ready) delay->process();

  // 2. Its spectrum D.
  delayedTransform->process();

  // 3. First output, with the previous block's filter.
  const int32_t* x = samples(input);
  int32_t* y1 = holdsPoints(output1, n) ? samples(output1) : nullptr;
  if (x && y1)
    filterSpectrum(y1, x, delayedTransform->output->data, head->output->data, tail->output->data, n);

  // 4, 5. Analysis and gains.
  analysis->process();
  computeGains(n);

  // 6. Impulse response.  The backward transform reads N points whatever
  // the length says.
  {
    BufferView spectrum(gains, 0, 4 * (thresholds->blockLength() - 1), false);
    inverse->process();
  }

  // 7. Split it into its non-negative-time and negative-time halves.
  splitImpulseResponse(n);

  // 8, 9. Their spectra H and T.
  ZR_Buffer* response = inverse->output;
  {
    BufferView first(response, 0, n, true);
    head->process();
  }
  {
    BufferView second(response, n, n, true);
    tail->process();
  }

  // 10. Second output, with this block's filter.
  int32_t* y2 = holdsPoints(output2, n) ? samples(output2) : nullptr;
  if (x && y2)
    filterSpectrum(y2, x, delayedTransform->output->data, head->output->data, tail->output->data, n);
}

// ---------------------------------------------------------------- parameters

ZR_value ZR_Fourier_Noisegate::m_i(ZR_Fourier_Noisegate* self, ZR_value v) {
  if (v.given()) {
    ZR_Buffer* buffer = ZR_liveAs<ZR_Buffer>(v);
    if (!v.data || buffer) {
      self->input = buffer;
      self->points_ = 0;
      const int32_t length = buffer ? ZR_Buffer::m_l(buffer, ZR_EMPTY).asInt() : 0;
      const int32_t bins = length / 4 + 1;
      ZR_Buffer::m_l(self->thresholds, ZR_value::ofInt(bins));
      ZR_Buffer::m_l(self->gains, ZR_value::ofInt(length));
      const int32_t e = significantBits(length) - 3;
      ZR_Fourier_Transform* sized[] = {self->inverse, self->head, self->tail, self->analysis,
                                       self->delayedTransform};
      for (ZR_Fourier_Transform* t : sized) ZR_Fourier_Transform::m_s(t, ZR_value::ofInt(e));
      if (self->thresholds->data)
        for (int32_t j = 0; j < self->thresholds->count; ++j) self->thresholds->data[j] = 0;
      if (self->gains->data)
        for (int32_t j = 0; j + 1 < self->gains->count; j += 2) {
          self->gains->data[j] = UNITY_GAIN;
          self->gains->data[j + 1] = 0;
        }
      // Sizes that the transforms do not take leave the gate idle.
      const ZR_Fourier_Tables* tables = ZR_Fourier_Transform::tablesFor(e);
      if (tables) self->points_ = tables->points;
    }
  }
  return ZR_value::ofObject(self->input);
}

ZR_value ZR_Fourier_Noisegate::outputParam(ZR_Fourier_Noisegate* self, ZR_Buffer*& slot, ZR_value v) {
  if (v.given()) {
    ZR_Buffer* buffer = ZR_liveAs<ZR_Buffer>(v);
    if (!v.data || buffer) slot = buffer;
  } else if (!slot && self->input) {
    slot = newBuffer(ZR_Buffer::m_l(self->input, ZR_EMPTY).asInt());
  }
  return ZR_value::ofObject(slot);
}

ZR_value ZR_Fourier_Noisegate::m_o1(ZR_Fourier_Noisegate* self, ZR_value v) {
  return outputParam(self, self->output1, v);
}

ZR_value ZR_Fourier_Noisegate::m_o2(ZR_Fourier_Noisegate* self, ZR_value v) {
  return outputParam(self, self->output2, v);
}

ZR_value ZR_Fourier_Noisegate::m_s(ZR_Fourier_Noisegate* self, ZR_value v) {
  if (v.given()) {
    ZR_Buffer* buffer = ZR_liveAs<ZR_Buffer>(v);
    if (!v.data || buffer) {
      self->source = buffer;
      ZR_Fourier_Transform::m_i(self->analysis, ZR_value::ofObject(buffer));
      ZR_Buffer::m_l(self->delayed, ZR_value::ofInt(buffer ? buffer->length : 0));
      ZR_Effect_Deline::m_i(self->delay, ZR_value::ofObject(buffer));
    }
  }
  return ZR_value::ofObject(self->source);
}

ZR_value ZR_Fourier_Noisegate::m_a(ZR_Fourier_Noisegate* self, ZR_value v) {
  if (v.given()) ZR_relaxedStore<uint8_t>(self->adapt, v.data != 0 ? 1 : 0);
  return ZR_value::ofInt(ZR_relaxedLoad(self->adapt));
}

ZR_value ZR_Fourier_Noisegate::m_w(ZR_Fourier_Noisegate* self, ZR_value) {
  return ZR_value::ofObject(self->thresholds);
}

const ZR_param ZR_Fourier_Noisegate::paramTable[] = {
    {"", ZR_ctor_of<ZR_Fourier_Noisegate>},
    {"i", ZR_handler_of<ZR_Fourier_Noisegate, &ZR_Fourier_Noisegate::m_i>},
    {"o1", ZR_handler_of<ZR_Fourier_Noisegate, &ZR_Fourier_Noisegate::m_o1>},
    {"o2", ZR_handler_of<ZR_Fourier_Noisegate, &ZR_Fourier_Noisegate::m_o2>},
    {"s", ZR_handler_of<ZR_Fourier_Noisegate, &ZR_Fourier_Noisegate::m_s>},
    {"a", ZR_handler_of<ZR_Fourier_Noisegate, &ZR_Fourier_Noisegate::m_a>},
    {"w", ZR_handler_of<ZR_Fourier_Noisegate, &ZR_Fourier_Noisegate::m_w>},
    {"delete", ZR_handler_of<ZR_Object, &ZR_Object::m_delete>},
    {nullptr, ZR_Effect::paramTable},
};
