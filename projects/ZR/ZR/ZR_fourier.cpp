// The fixed-point FFT stage, its shared tables and the correctly rounded
// sine that fills them.
//
// This source must be compiled without floating-point contraction
// (-ffp-contract=off) and with SSE2 doubles: the double-double arithmetic
// below relies on every product and sum being rounded to double.
#include "ZR_fourier.h"

#include <cmath>
#include <cstring>
#include <limits>
#include <new>

// The kernels use SSE2 where every build target has it; elsewhere the plain
// kernel runs.  Both give the same bits.
#if !defined(ZR_FOURIER_SSE2)
#if defined(__SSE2__) || defined(_M_X64) || (defined(_M_IX86_FP) && _M_IX86_FP >= 2)
#define ZR_FOURIER_SSE2 1
#else
#define ZR_FOURIER_SSE2 0
#endif
#endif
#if ZR_FOURIER_SSE2
#include <emmintrin.h>
#endif

static_assert((-3 >> 1) == -2, "signed right shift must be arithmetic (floor)");
static_assert((static_cast<int64_t>(-3) >> 1) == -2, "signed right shift must be arithmetic (floor)");
static_assert(std::numeric_limits<double>::is_iec559, "IEEE doubles required");

// ---------------------------------------------------------------- sine

namespace {

// An unevaluated sum hi + lo with |lo| <= ulp(hi)/2.
struct DD {
  double hi, lo;
};

inline DD twoSum(double a, double b) {
  double s = a + b;
  double bb = s - a;
  double err = (a - (s - bb)) + (b - bb);
  return {s, err};
}

inline DD quickTwoSum(double a, double b) {  // |a| >= |b|
  double s = a + b;
  return {s, b - (s - a)};
}

// Dekker's split: a = hi + lo with 26-bit halves.
inline void split(double a, double& hi, double& lo) {
  double t = 134217729.0 * a;  // 2^27 + 1
  hi = t - (t - a);
  lo = a - hi;
}

inline DD twoProd(double a, double b) {
  double p = a * b;
  double ah, al, bh, bl;
  split(a, ah, al);
  split(b, bh, bl);
  double err = ((ah * bh - p) + ah * bl + al * bh) + al * bl;
  return {p, err};
}

inline DD add(DD a, DD b) {
  DD s = twoSum(a.hi, b.hi);
  DD t = twoSum(a.lo, b.lo);
  s.lo += t.hi;
  s = quickTwoSum(s.hi, s.lo);
  s.lo += t.lo;
  return quickTwoSum(s.hi, s.lo);
}

inline DD addDouble(DD a, double b) {
  DD s = twoSum(a.hi, b);
  s.lo += a.lo;
  return quickTwoSum(s.hi, s.lo);
}

inline DD mul(DD a, DD b) {
  DD p = twoProd(a.hi, b.hi);
  p.lo += a.hi * b.lo + a.lo * b.hi;
  return quickTwoSum(p.hi, p.lo);
}

inline DD divDouble(DD a, double b) {
  double q1 = a.hi / b;
  DD p = twoProd(q1, b);
  DD s = twoSum(a.hi, -p.hi);
  s.lo -= p.lo;
  s.lo += a.lo;
  double q2 = (s.hi + s.lo) / b;
  return quickTwoSum(q1, q2);
}

inline DD neg(DD a) { return {-a.hi, -a.lo}; }

// pi/2 = P1 + P2 + P3 to about 160 bits.
const double kHalfPi1 = 0x1.921fb54442d18p+0;
const double kHalfPi2 = 0x1.1a62633145c07p-54;
const double kHalfPi3 = -0x1.f1976b7ed8fbcp-110;

const int kSeriesTerms = 15;  // |r| <= pi/4: the next term is below 2^-110

// sin(r) = r (1 - r^2/(2 3) (1 - r^2/(4 5) (1 - ...)))
DD sinSeries(DD r) {
  DD r2 = mul(r, r);
  DD acc = {1.0, 0.0};
  for (int n = kSeriesTerms; n >= 1; --n)
    acc = addDouble(neg(divDouble(mul(acc, r2), static_cast<double>((2 * n) * (2 * n + 1)))), 1.0);
  return mul(r, acc);
}

// cos(r) = 1 - r^2/(1 2) (1 - r^2/(3 4) (1 - ...))
DD cosSeries(DD r) {
  DD r2 = mul(r, r);
  DD acc = {1.0, 0.0};
  for (int n = kSeriesTerms; n >= 1; --n)
    acc = addDouble(neg(divDouble(mul(acc, r2), static_cast<double>((2 * n - 1) * (2 * n)))), 1.0);
  return acc;
}

// x = k pi/2 + r with |r| <= about pi/4, k in 0..2.  x - k P1 is exact
// (Sterbenz: x lies within a factor of two of k P1), k P2 and k P3 are
// exact multiples, so r carries far more than double precision even where
// x is within an ulp of pi/2.
int reduce(double x, DD& r) {
  int k = static_cast<int>(x * (2.0 / 3.141592653589793) + 0.5);
  if (k > 2) k = 2;
  double kd = static_cast<double>(k);
  double r0 = x - kd * kHalfPi1;
  r = twoSum(r0, -kd * kHalfPi2);
  r = addDouble(r, -kd * kHalfPi3);
  return k;
}

// Rounds a normalised double-double: hi is already the nearest double.
inline double rounded(DD a) { return a.hi + a.lo; }

}  // namespace

double ZR_sinRounded(double x) {
  if (!(x >= 0.0 && x <= 3.141592653589793)) return std::numeric_limits<double>::quiet_NaN();
  DD r;
  switch (reduce(x, r)) {
    case 0: return rounded(sinSeries(r));
    case 1: return rounded(cosSeries(r));
    default: return rounded(neg(sinSeries(r)));
  }
}

double ZR_cosRounded(double x) {
  if (!(x >= 0.0 && x <= 3.141592653589793)) return std::numeric_limits<double>::quiet_NaN();
  DD r;
  switch (reduce(x, r)) {
    case 0: return rounded(cosSeries(r));
    case 1: return rounded(neg(sinSeries(r)));
    default: return rounded(neg(cosSeries(r)));
  }
}

// ---------------------------------------------------------------- tables

namespace {

const double kPi = 3.141592653589793;

// Truncation toward zero of a value known to be within the 32-bit range.
inline int32_t truncated(double v) { return static_cast<int32_t>(v); }

struct Twiddles {
  int32_t pairs[2 * ZR_Fourier_Transform::TWIDDLE_COUNT];
  Twiddles() {
    for (int i = 0; i < ZR_Fourier_Transform::TWIDDLE_COUNT; ++i) {
      double angle = static_cast<double>(i) * kPi / 2048.0;
      pairs[2 * i] = truncated(ZR_cosRounded(angle) * 2147483647.0);
      pairs[2 * i + 1] = truncated(ZR_sinRounded(angle) * 2147483647.0);
    }
  }
};

class SizeTables {
 public:
  explicit SizeTables(int32_t s) {
    int32_t n = int32_t(1) << (s + 1);
    reversal_ = new uint32_t[static_cast<size_t>(n)];
    window_ = new double[static_cast<size_t>(n)];
    for (int32_t i = 0; i < n; ++i) {
      uint32_t r = 0;
      for (int32_t j = 0; j <= s; ++j)
        if (i & (int32_t(1) << j)) r |= uint32_t(1) << (s - j);
      reversal_[i] = r;
      double w = ZR_sinRounded(static_cast<double>(i) * kPi / static_cast<double>(n));
      window_[i] = w * w;
    }
    tables_ = {s, n, reversal_, window_};
  }
  const ZR_Fourier_Tables* get() const { return &tables_; }

 private:
  uint32_t* reversal_;  // never freed, like the tables of every size
  double* window_;
  ZR_Fourier_Tables tables_;
};

// One function per size so that each table is a function-local static:
// built once, on first use, safely when several threads ask at once.
template <int S>
const ZR_Fourier_Tables* tablesOfSize() {
  static const SizeTables* tables = new SizeTables(S);
  return tables->get();
}

typedef const ZR_Fourier_Tables* (*TablesGetter)();
const TablesGetter kTablesGetters[ZR_Fourier_Transform::MAX_SIZE + 1] = {
    tablesOfSize<0>,  tablesOfSize<1>,  tablesOfSize<2>,  tablesOfSize<3>,
    tablesOfSize<4>,  tablesOfSize<5>,  tablesOfSize<6>,  tablesOfSize<7>,
    tablesOfSize<8>,  tablesOfSize<9>,  tablesOfSize<10>, tablesOfSize<11>,
    tablesOfSize<12>, tablesOfSize<13>, tablesOfSize<14>, tablesOfSize<15>};

}  // namespace

const int32_t* ZR_Fourier_Transform::twiddles() {
  static const Twiddles* table = new Twiddles;  // never freed
  return table->pairs;
}

const ZR_Fourier_Tables* ZR_Fourier_Transform::tablesFor(int32_t s) {
  if (s < 0 || s > MAX_SIZE) return nullptr;
  return kTablesGetters[s]();
}

// ---------------------------------------------------------------- kernels

namespace {

// floor(x y / 2^32): the upper half of the signed 64-bit product.
inline int32_t upper(int32_t x, int32_t y) {
  return static_cast<int32_t>((static_cast<int64_t>(x) * y) >> 32);
}

// The kernel one butterfly at a time.  Every other kernel must give its bits.
template <bool Backward>
void plainKernel(int32_t* data, int32_t s, const int32_t* table) {
  const int32_t n = int32_t(1) << (s + 1);
  for (int32_t k = 0; k <= s; ++k) {
    const int32_t half = int32_t(1) << k;
    const int32_t span = half << 1;
    for (int32_t m = 0; m < half; ++m) {
      // (((m 2^s) >> k) 2^11) >> s, i.e. m 2^(11-k), or m >> (k-11) past 11.
      const int32_t t = k <= 11 ? m << (11 - k) : m >> (k - 11);
      const int32_t c = table[2 * t];
      const int32_t sn = table[2 * t + 1];
      for (int32_t a = m; a < n; a += span) {
        int32_t* pa = data + 2 * a;
        int32_t* pb = pa + 2 * half;
        const int32_t rb = pb[0], ib = pb[1];
        uint32_t tr = static_cast<uint32_t>(upper(rb, c)) - static_cast<uint32_t>(upper(ib, sn));
        uint32_t ti = static_cast<uint32_t>(upper(rb, sn)) + static_cast<uint32_t>(upper(ib, c));
        uint32_t ar, ai;
        if (Backward) {
          tr <<= 1;
          ti <<= 1;
          ar = static_cast<uint32_t>(pa[0]);
          ai = static_cast<uint32_t>(pa[1]);
        } else {
          ar = static_cast<uint32_t>(pa[0] >> 1);
          ai = static_cast<uint32_t>(pa[1] >> 1);
        }
        pa[0] = static_cast<int32_t>(ar + tr);
        pa[1] = static_cast<int32_t>(ai + ti);
        pb[0] = static_cast<int32_t>(ar - tr);
        pb[1] = static_cast<int32_t>(ai - ti);
      }
    }
  }
}

#if ZR_FOURIER_SSE2

// The SSE2 kernel works on two butterflies at once: the b points of elements
// m and m+1 of a group are one vector (rb0, ib0, rb1, ib1).  SSE2 multiplies
// only unsigned 32-bit lanes, so each signed product x y is formed exactly in
// 64 bits from the biased xu = x + 2^31:
//   x y = xu y - 2^31 y            for y >= 0,
//   x y = 2^31 |y| - xu |y|        for y <= 0,
// and the subtracted product enters negated through
//   -floor(p / 2^32) = floor((2^32 - 1 - p) / 2^32).
// The upper halves are then the same floor(x y / 2^32) as one at a time, and
// the 32-bit sums wrap alike.
//
// The sines of the table are never negative; the cosines are not negative
// below a quarter turn (m < half/2) and not positive from it on.

// Twiddles of elements m, m+1 (m even) of one stage, 64-bit lanes.
struct alignas(16) TwiddlePair {
  int64_t c[2];    // |C|
  int64_t s[2];    // S
  int64_t kc[2];   // 2^31 |C|
  int64_t ks[2];   // 2^31 S
  int64_t ks1[2];  // 2^31 S + 2^32 - 1
};

// Pair index from which the cosines are not positive.  At stage 1 the one
// pair holds m = 0 (cosine 2^31 - 1) and m = 1 (cosine 0), taken as
// not negative.
inline int32_t firstTurnedPair(int32_t half) { return half >= 4 ? half >> 2 : 1; }

class StageTwiddles {
 public:
  explicit StageTwiddles(int32_t k) {
    const int32_t* table = ZR_Fourier_Transform::twiddles();
    const int32_t half = int32_t(1) << k;
    const int32_t pairs = half >> 1;
    const int32_t turned = firstTurnedPair(half);
    pairs_ = new TwiddlePair[static_cast<size_t>(pairs)];
    for (int32_t p = 0; p < pairs; ++p) {
      TwiddlePair& w = pairs_[p];
      for (int32_t j = 0; j < 2; ++j) {
        const int32_t m = 2 * p + j;
        const int32_t t = k <= 11 ? m << (11 - k) : m >> (k - 11);
        const int64_t c = table[2 * t], s = table[2 * t + 1];
        w.c[j] = p < turned ? c : -c;
        w.s[j] = s;
        w.kc[j] = w.c[j] << 31;
        w.ks[j] = s << 31;
        w.ks1[j] = (s << 31) + 0xFFFFFFFFll;
      }
    }
  }
  const TwiddlePair* get() const { return pairs_; }

 private:
  TwiddlePair* pairs_;  // never freed, like the other tables
};

template <int K>
const TwiddlePair* stageTwiddlesOf() {
  static const StageTwiddles* table = new StageTwiddles(K);
  return table->get();
}

typedef const TwiddlePair* (*StageGetter)();
const StageGetter kStageGetters[ZR_Fourier_Transform::MAX_SIZE + 1] = {
    nullptr,              stageTwiddlesOf<1>,  stageTwiddlesOf<2>,  stageTwiddlesOf<3>,
    stageTwiddlesOf<4>,   stageTwiddlesOf<5>,  stageTwiddlesOf<6>,  stageTwiddlesOf<7>,
    stageTwiddlesOf<8>,   stageTwiddlesOf<9>,  stageTwiddlesOf<10>, stageTwiddlesOf<11>,
    stageTwiddlesOf<12>,  stageTwiddlesOf<13>, stageTwiddlesOf<14>, stageTwiddlesOf<15>};

struct Twiddle2 {
  __m128i c, s, kc, ks, ks1;
  explicit Twiddle2(const TwiddlePair& w)
      : c(_mm_load_si128(reinterpret_cast<const __m128i*>(w.c))),
        s(_mm_load_si128(reinterpret_cast<const __m128i*>(w.s))),
        kc(_mm_load_si128(reinterpret_cast<const __m128i*>(w.kc))),
        ks(_mm_load_si128(reinterpret_cast<const __m128i*>(w.ks))),
        ks1(_mm_load_si128(reinterpret_cast<const __m128i*>(w.ks1))) {}
};

inline __m128i upperHalves(__m128i x, __m128i y) {
  // (x1, x3, y1, y3): the upper halves of two 64-bit lanes each.
  return _mm_castps_si128(_mm_shuffle_ps(_mm_castsi128_ps(x), _mm_castsi128_ps(y), _MM_SHUFFLE(3, 1, 3, 1)));
}

// (tr0, ti0, tr1, ti1) for b = (rb0, ib0, rb1, ib1).
template <bool Turned>
inline __m128i twiddled(__m128i b, const Twiddle2& w) {
  const __m128i bu = _mm_xor_si128(b, _mm_set1_epi32(static_cast<int32_t>(0x80000000u)));
  const __m128i bo = _mm_srli_epi64(bu, 32);
  const __m128i urc = _mm_mul_epu32(bu, w.c), uic = _mm_mul_epu32(bo, w.c);
  const __m128i rc = Turned ? _mm_sub_epi64(w.kc, urc) : _mm_sub_epi64(urc, w.kc);  // rb C
  const __m128i ic = Turned ? _mm_sub_epi64(w.kc, uic) : _mm_sub_epi64(uic, w.kc);  // ib C
  const __m128i rs = _mm_sub_epi64(_mm_mul_epu32(bu, w.s), w.ks);                    // rb S
  const __m128i nis = _mm_sub_epi64(w.ks1, _mm_mul_epu32(bo, w.s));                 // -ib S, ceiling
  // (hi rc0 - hi is0, hi rc1 - hi is1, hi ic0 + hi rs0, hi ic1 + hi rs1)
  const __m128i t = _mm_add_epi32(upperHalves(rc, ic), upperHalves(nis, rs));
  return _mm_shuffle_epi32(t, _MM_SHUFFLE(3, 1, 2, 0));
}

template <bool Backward>
inline void combine(__m128i& a, __m128i& b, __m128i t) {
  if (Backward)
    t = _mm_slli_epi32(t, 1);
  else
    a = _mm_srai_epi32(a, 1);
  b = _mm_sub_epi32(a, t);
  a = _mm_add_epi32(a, t);
}

template <bool Backward, bool Turned>
inline void butterflies(int32_t* pa, int32_t* pb, const Twiddle2& w) {
  __m128i a = _mm_loadu_si128(reinterpret_cast<const __m128i*>(pa));
  __m128i b = _mm_loadu_si128(reinterpret_cast<const __m128i*>(pb));
  combine<Backward>(a, b, twiddled<Turned>(b, w));
  _mm_storeu_si128(reinterpret_cast<__m128i*>(pa), a);
  _mm_storeu_si128(reinterpret_cast<__m128i*>(pb), b);
}

template <bool Backward>
void fastKernel(int32_t* data, int32_t s) {
  const int32_t n = int32_t(1) << (s + 1);

  // Stages 0 and 1 together, four points at a time.  Stage 0 has the
  // twiddle (2^31 - 1, 0): its sine products are exactly zero.
  {
    const int32_t c0 = ZR_Fourier_Transform::twiddles()[0];
    TwiddlePair first = {{c0, c0}, {0, 0}, {int64_t(c0) << 31, int64_t(c0) << 31}, {0, 0},
                         {0xFFFFFFFFll, 0xFFFFFFFFll}};
    const Twiddle2 w0(first);
    const Twiddle2 w1(*kStageGetters[1]());
    for (int32_t i = 0; i < n; i += 4) {
      __m128i* p = reinterpret_cast<__m128i*>(data + 2 * i);
      const __m128i v0 = _mm_loadu_si128(p), v1 = _mm_loadu_si128(p + 1);
      __m128i a = _mm_unpacklo_epi64(v0, v1);  // points 0, 2
      __m128i b = _mm_unpackhi_epi64(v0, v1);  // points 1, 3
      combine<Backward>(a, b, twiddled<false>(b, w0));
      __m128i lo = _mm_unpacklo_epi64(a, b);  // points 0, 1
      __m128i hi = _mm_unpackhi_epi64(a, b);  // points 2, 3
      combine<Backward>(lo, hi, twiddled<false>(hi, w1));
      _mm_storeu_si128(p, lo);
      _mm_storeu_si128(p + 1, hi);
    }
  }

  for (int32_t k = 2; k <= s; ++k) {
    const int32_t half = int32_t(1) << k;
    const int32_t span = half << 1;
    const int32_t pairs = half >> 1;
    const int32_t turned = firstTurnedPair(half);
    const TwiddlePair* tw = kStageGetters[k]();
    if (n / span >= pairs) {
      // Many groups: one twiddle pair at a time over all groups.
      for (int32_t q = 0; q < pairs; ++q) {
        const Twiddle2 w(tw[q]);
        int32_t* pa = data + 4 * q;
        if (q < turned)
          for (int32_t a = 0; a < n; a += span) butterflies<Backward, false>(pa + 2 * a, pa + 2 * (a + half), w);
        else
          for (int32_t a = 0; a < n; a += span) butterflies<Backward, true>(pa + 2 * a, pa + 2 * (a + half), w);
      }
    } else {
      for (int32_t g = 0; g < n; g += span) {
        int32_t* pa = data + 2 * g;
        int32_t* pb = pa + 2 * half;
        for (int32_t q = 0; q < turned; ++q) butterflies<Backward, false>(pa + 4 * q, pb + 4 * q, Twiddle2(tw[q]));
        for (int32_t q = turned; q < pairs; ++q) butterflies<Backward, true>(pa + 4 * q, pb + 4 * q, Twiddle2(tw[q]));
      }
    }
  }
}

#endif  // ZR_FOURIER_SSE2

template <bool Backward>
void kernel(int32_t* data, int32_t s) {
#if ZR_FOURIER_SSE2
  if (s >= 1 && s <= ZR_Fourier_Transform::MAX_SIZE) {
    fastKernel<Backward>(data, s);
    return;
  }
#endif
  plainKernel<Backward>(data, s, ZR_Fourier_Transform::twiddles());
}

}  // namespace

void ZR_Fourier_Transform::forwardKernel(int32_t* data, int32_t s) { kernel<false>(data, s); }
void ZR_Fourier_Transform::backwardKernel(int32_t* data, int32_t s) { kernel<true>(data, s); }
void ZR_Fourier_Transform::plainForwardKernel(int32_t* data, int32_t s) { plainKernel<false>(data, s, twiddles()); }
void ZR_Fourier_Transform::plainBackwardKernel(int32_t* data, int32_t s) { plainKernel<true>(data, s, twiddles()); }

// ---------------------------------------------------------------- stage

ZR_Fourier_Transform::ZR_Fourier_Transform()
    : input(nullptr), history(nullptr), output(nullptr), size(UNSET), backward(0), window(0), tables(nullptr) {
  twiddles();  // fills the shared table on first construction
}

ZR_Fourier_Transform::~ZR_Fourier_Transform() {
  // The buffers are ours; one already deleted by a command is left alone.
  if (ZR_Object::isLive(output)) delete output;
  if (ZR_Object::isLive(history)) delete history;
}

namespace {
// Window samples i in [begin, end), read from from[i - begin], windowed or
// not, to the points rev[i] of `out` as (v, 0).
template <bool Windowed>
inline void gatherRun(int32_t* out, const uint32_t* rev, const double* w, const int32_t* from, int32_t begin,
                      int32_t end) {
  for (int32_t i = begin; i < end; ++i) {
    int32_t* p = out + 2 * rev[i];
    const int32_t v = from[i - begin];
    p[0] = Windowed ? truncated(static_cast<double>(v) * w[i]) : v;
    p[1] = 0;
  }
}
}  // namespace

void ZR_Fourier_Transform::gatherForward(int32_t* out) {
  const int32_t n = tables->points;
  const int32_t mask = n - 1;
  int32_t* ring = history->data;
  int32_t pos = history->position & mask;

  // New samples: only the last N of a long block can survive in the ring.
  int32_t length = input ? input->blockLength() : 0;
  const int32_t* x = samples(input);
  if (!x) length = 0;
  int32_t from = 0;
  if (length > n) {
    from = length - n;
    pos = (pos + from) & mask;
  }
  // The ring in at most two straight runs, and read back the same way:
  // the oldest sample is at `pos`.
  for (int32_t j = from; j < length;) {
    int32_t run = length - j;
    if (run > n - pos) run = n - pos;
    std::memcpy(ring + pos, x + j, sizeof(int32_t) * static_cast<size_t>(run));
    j += run;
    pos = (pos + run) & mask;
  }
  history->position = pos;

  const uint32_t* rev = tables->reversal;
  const int32_t first = n - pos;  // samples from `pos` to the ring's end
  if (window) {
    const double* w = tables->window;
    gatherRun<true>(out, rev, w, ring + pos, 0, first);
    gatherRun<true>(out, rev, w, ring, first, n);
  } else {
    gatherRun<false>(out, rev, nullptr, ring + pos, 0, first);
    gatherRun<false>(out, rev, nullptr, ring, first, n);
  }
}

void ZR_Fourier_Transform::gatherBackward(int32_t* out) {
  const int32_t n = tables->points;
  const uint32_t* rev = tables->reversal;
  const int32_t* in = samples(input);
  // Points the input does not hold count as zero.
  int32_t available = in ? input->count / 2 : 0;
  if (available > n) available = n;
  if (in == out) {
    // The stage's own output as its input: permute in place.
    for (int32_t i = 0; i < n; ++i) {
      uint32_t r = rev[i];
      if (r > static_cast<uint32_t>(i)) {
        int32_t* p = out + 2 * i;
        int32_t* q = out + 2 * r;
        int32_t t0 = p[0], t1 = p[1];
        p[0] = q[0];
        p[1] = q[1];
        q[0] = t0;
        q[1] = t1;
      }
    }
    return;
  }
  for (int32_t i = 0; i < available; ++i) {
    int32_t* p = out + 2 * rev[i];
    p[0] = in[2 * i];
    p[1] = in[2 * i + 1];
  }
  for (int32_t i = available; i < n; ++i) {
    int32_t* p = out + 2 * rev[i];
    p[0] = p[1] = 0;
  }
}

void ZR_Fourier_Transform::process() {
  const ZR_Fourier_Tables* t = tables;
  if (!t || !output || !history) return;  // no size yet
  const int32_t n = t->points;
  if (output->count < 2 * n || history->count < n) return;  // buffers lost their samples
  int32_t* out = samples(output);
  if (!out) return;
  if (backward) {
    gatherBackward(out);
    kernel<true>(out, t->size);
  } else {
    gatherForward(out);
    kernel<false>(out, t->size);
  }
}

// ---------------------------------------------------------------- parameters

namespace {
// A buffer the stage owns; it answers "%o -..." commands like one made by
// "ZR_Buffer".
ZR_Buffer* newOwnedBuffer() {
  ZR_Buffer* b = new ZR_Buffer;
  b->descriptor = ZR_Buffer::paramTable;
  return b;
}
}  // namespace

ZR_value ZR_Fourier_Transform::m_i(ZR_Fourier_Transform* self, ZR_value v) {
  if (v.given()) {
    ZR_Buffer* buffer = ZR_liveAs<ZR_Buffer>(v);
    if (!v.data || buffer) self->input = buffer;
  }
  return ZR_value::ofObject(self->input);
}

ZR_value ZR_Fourier_Transform::m_w(ZR_Fourier_Transform* self, ZR_value) {
  return ZR_value::ofObject(self->output);
}

ZR_value ZR_Fourier_Transform::m_d(ZR_Fourier_Transform* self, ZR_value v) {
  if (v.type == ZR_TYPE_TEXT && v.asText()) {
    if (std::strcmp(v.asText(), "forward") == 0) self->backward = 0;
    else if (std::strcmp(v.asText(), "backward") == 0) self->backward = 1;
  }
  return ZR_value::ofText(self->backward ? "backward" : "forward");
}

ZR_value ZR_Fourier_Transform::m_win(ZR_Fourier_Transform* self, ZR_value v) {
  if (v.type == ZR_TYPE_TEXT && v.asText()) {
    if (std::strcmp(v.asText(), "none") == 0) self->window = 0;
    else if (std::strcmp(v.asText(), "sin") == 0) self->window = 1;
  }
  return ZR_value::ofText(self->window ? "sin" : "none");
}

ZR_value ZR_Fourier_Transform::m_s(ZR_Fourier_Transform* self, ZR_value v) {
  if (v.given()) {
    // A size the tables do not cover keeps the old one.
    const ZR_Fourier_Tables* t = tablesFor(v.asInt());
    if (t) {
      self->size = t->size;
      ZR_value points = ZR_value::ofInt(2 * t->points);
      ZR_value ring = ZR_value::ofInt(t->points);
      if (!self->output) self->output = newOwnedBuffer();
      ZR_Buffer::m_l(self->output, points);
      if (!self->history) self->history = newOwnedBuffer();
      ZR_Buffer::m_l(self->history, ring);
      self->tables = t;
    }
  }
  return ZR_value::ofInt(self->size);
}

const ZR_param ZR_Fourier_Transform::paramTable[] = {
    {"", ZR_ctor_of<ZR_Fourier_Transform>},
    {"i", ZR_handler_of<ZR_Fourier_Transform, &ZR_Fourier_Transform::m_i>},
    {"w", ZR_handler_of<ZR_Fourier_Transform, &ZR_Fourier_Transform::m_w>},
    {"d", ZR_handler_of<ZR_Fourier_Transform, &ZR_Fourier_Transform::m_d>},
    {"win", ZR_handler_of<ZR_Fourier_Transform, &ZR_Fourier_Transform::m_win>},
    {"s", ZR_handler_of<ZR_Fourier_Transform, &ZR_Fourier_Transform::m_s>},
    {"delete", ZR_handler_of<ZR_Object, &ZR_Object::m_delete>},
    {nullptr, ZR_Effect::paramTable},
};
