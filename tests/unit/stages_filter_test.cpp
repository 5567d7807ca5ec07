// Filters and the envelope detector: coefficients, the recursions against
// scalar models, frequency responses against the analogue prototypes, and
// a graph built by commands.
#include <climits>
#include <cmath>
#include <complex>

#include "ZR_effect_filter.h"
#include "stage_fixture.h"

namespace {

const double kPi = 3.14159265358979323846;

class StageFilter : public StageFixture {
 protected:
  static const int N = 48;
  void SetUp() override { makePipe(N); }
};

// ---------------------------------------------------------------- models

// One pole, s = s + a (x - s) with a = c / 2^32, as the unsigned high half
// of the offset difference times c, less half of c.
struct OnepoleModel {
  uint32_t c = 0;
  int32_t s = 0;
  int32_t step(int32_t x) {
    uint32_t d = static_cast<uint32_t>(x) - static_cast<uint32_t>(s) + 2147483648u;
    uint64_t high = (static_cast<uint64_t>(d) * c) >> 32;
    s = static_cast<int32_t>(static_cast<uint32_t>(s) + static_cast<uint32_t>(high) - c / 2);
    return s;
  }
};

int32_t floorShift31(int64_t p) {
  int64_t q = p / 2147483648LL;
  if (p % 2147483648LL != 0 && p < 0) --q;
  return static_cast<int32_t>(static_cast<uint32_t>(static_cast<uint64_t>(q)));
}

struct BapassModel {
  int32_t c1 = 0, c2 = 0, c3 = 0, x1 = 0, x2 = 0, y1 = 0, y2 = 0;
  int32_t step(int32_t x) {
    using F = StageFixture;
    int32_t y = F::wadd(y1, y1);
    y = F::wsub(y, F::wadd(floorShift31(int64_t(y1) * c1), floorShift31(int64_t(y1) * c1)));
    y = F::wsub(y, y2);
    y = F::wadd(y, floorShift31(int64_t(y2) * c2));
    y = F::wadd(y, floorShift31(int64_t(F::wsub(x, x2)) * c3));
    x2 = x1;
    x1 = x;
    y2 = y1;
    y1 = y;
    return y;
  }
};

// Envelope as an unsigned magnitude (0 .. 2^31).
struct EnvelopeModel {
  int64_t attack = 0, release = 0, env = 0;
  int32_t step(int32_t x) {
    int64_t a = x < 0 ? -int64_t(x) : int64_t(x);
    int64_t c = a < env ? release : attack;
    int64_t p = (a - env) * c;
    env += p >= 0 ? p / 2147483648LL : -((-p + 2147483647LL) / 2147483648LL);
    return static_cast<int32_t>(static_cast<uint32_t>(env));
  }
};

// ---------------------------------------------------------------- coefficients

TEST_F(StageFilter, OnepoleCoefficients) {
  struct {
    int32_t f, clock;
    uint32_t coefficient;  // 2^32 pi f / (pi f + clock / 2), worked out to 60 digits
  } cases[] = {
      {1000, 44100, 535616699u}, {200, 48000, 109573357u},   {10000, 44100, 2523670415u},  // above clock / 2 pi
      {1, 8000, 3370612u},       {30000, 48000, 3423245091u}, {20, 44100, 12203807u},
  };
  for (const char* cls : {"ZR_Effect_Lopass", "ZR_Effect_Hipass"})
    for (const auto& c : cases) {
      SCOPED_TRACE(std::string(cls) + " " + std::to_string(c.f) + " " + std::to_string(c.clock));
      ZR_Effect_Onepole* s = nullptr;
      ASSERT_EQ(cmd((std::string(cls) + " -f %i").c_str(), &s, c.f), ZR_OK);
      EXPECT_EQ(s->coefficient, 0u);  // no clock yet
      ASSERT_EQ(cmd("%o -clock %i", s, c.clock), ZR_OK);
      EXPECT_EQ(s->coefficient, c.coefficient);
      EXPECT_EQ(queryInt(s, "f"), c.f);
      // "f" 0 keeps the coefficient; a float is truncated
      ASSERT_EQ(cmd("%o -f 0", s), ZR_OK);
      EXPECT_EQ(s->coefficient, c.coefficient);
      ASSERT_EQ(cmd("%o -f %f -clock 0", s, c.f + 0.9), ZR_OK);
      EXPECT_EQ(queryInt(s, "f"), c.f);
      EXPECT_EQ(s->coefficient, c.coefficient);
    }
}

TEST_F(StageFilter, BapassCoefficients) {
  ZR_Effect_Bapass* bp = nullptr;
  ASSERT_EQ(cmd("ZR_Effect_Bapass -f 1000 -q 0.7 -clock 48000", &bp), ZR_OK);
  EXPECT_FLOAT_EQ(queryFloat(bp, "f"), 1000.0f);
  EXPECT_FLOAT_EQ(queryFloat(bp, "q"), 0.7f);
  struct {
    double f, q;
    int clock;
  } cases[] = {{1000, 0.7, 48000}, {440, 0.9, 44100}, {5000, 0.5, 96000}, {100, 1.2, 48000}};
  for (const auto& c : cases) {
    SCOPED_TRACE(c.f);
    ASSERT_EQ(cmd("%o -clock %i -q %f -f %f", bp, c.clock, c.q, c.f), ZR_OK);
    // The prototype's terms in long double, from the float settings.
    long double f = static_cast<float>(c.f), q = static_cast<float>(c.q);
    long double wl = 2 * kPi * f * q, wh = 2 * kPi * f / q, k = c.clock;
    long double g = k * (wh - wl) / (wh * wl) / 2, h = k * k / (wh * wl), d = g + h;
    EXPECT_NEAR(bp->c1, static_cast<double>((2 * g + 1) / d * 1073741824.0L), 1.0);
    EXPECT_NEAR(bp->c2, static_cast<double>(2 * g / d * 2147483648.0L), 1.0);
    EXPECT_NEAR(bp->c3, static_cast<double>(g / d * 2147483648.0L), 1.0);
  }
  // q of 1 or 0, a frequency of 0 or no clock keep the coefficients.
  int32_t c1 = bp->c1, c2 = bp->c2, c3 = bp->c3;
  for (const char* line : {"%o -q 1.0", "%o -q 0.0", "%o -f 0 -q 0.3", "%o -clock 0 -f 700"}) {
    ASSERT_EQ(cmd(line, bp), ZR_OK);
    EXPECT_EQ(bp->c1, c1) << line;
    EXPECT_EQ(bp->c2, c2) << line;
    EXPECT_EQ(bp->c3, c3) << line;
  }
  // "q" takes the word as a float's bits: the integer 1065353216 is 1.0f.
  ASSERT_EQ(cmd("%o -q %i", bp, 1065353216), ZR_OK);
  EXPECT_FLOAT_EQ(queryFloat(bp, "q"), 1.0f);
  // "f" converts an integer.
  ASSERT_EQ(cmd("%o -f 250", bp), ZR_OK);
  EXPECT_FLOAT_EQ(queryFloat(bp, "f"), 250.0f);
}

TEST_F(StageFilter, AmpdetCoefficients) {
  ZR_Effect_Ampdet* det = nullptr;
  ASSERT_EQ(cmd("ZR_Effect_Ampdet -f1 10 -f2 1000.0", &det), ZR_OK);
  EXPECT_EQ(det->attackCoefficient, 0);  // no clock yet
  EXPECT_FLOAT_EQ(queryFloat(det, "f1"), 10.0f);
  ASSERT_EQ(cmd("%o -clock 48000", det), ZR_OK);
  EXPECT_EQ(det->attackCoefficient, 2807374);    // 2^31 pi 10 / (pi 10 + 24000)
  EXPECT_EQ(det->releaseCoefficient, 248567537);
  ASSERT_EQ(cmd("%o -f1 0 -f2 5 -clock 44100", det), ZR_OK);
  EXPECT_EQ(det->attackCoefficient, INT32_MAX);  // follows at once
  EXPECT_EQ(det->releaseCoefficient, 1528733);
  EXPECT_FLOAT_EQ(queryFloat(det, "f2"), 5.0f);
}

// ---------------------------------------------------------------- recursions

TEST_F(StageFilter, OnepoleRecursionsAgainstModel) {
  struct {
    const char* cls;
    int f;
    bool lowpass;
  } cases[] = {
      {"ZR_Effect_Lopass", 1000, true}, {"ZR_Effect_Lopass", 12000, true},  // coefficient above 2^31
      {"ZR_Effect_Hipass", 300, false},  {"ZR_Effect_Hipass", 15000, false},
  };
  for (const auto& c : cases)
    for (const std::string& mode : modes()) {
      SCOPED_TRACE(std::string(c.cls) + " " + std::to_string(c.f) + " " + mode);
      ZR_Buffer* in = makeBuffer();
      ZR_Buffer* out = makeBuffer();
      ZR_Effect_Onepole* s = nullptr;
      ASSERT_EQ(cmd((std::string(c.cls) + " -i %o -o %o -clock 44100 -f %i -mode %s").c_str(), &s, in, out, c.f,
                    mode.c_str()),
                ZR_OK);
      OnepoleModel m;
      m.c = s->coefficient;
      for (int block = 0; block < 4; ++block) {
        std::vector<int32_t> v = randomSamples(N), o = randomSamples(N);
        fill(in, v);
        fill(out, o);
        pipe->process();
        for (int j = 0; j < N; ++j) {
          int32_t st = m.step(v[j]);
          int32_t expect = c.lowpass ? combine(mode, o[j], st) : wsub(v[j], st);  // the high-pass ignores the mode
          ASSERT_EQ(out->data[j], expect) << block << " " << j;
        }
        ASSERT_EQ(s->state, m.s);
      }
      ASSERT_EQ(cmd("%o -delete", s), ZR_OK);
    }
}

TEST_F(StageFilter, OnepoleConvergesOnConstants) {
  ZR_Buffer* in = makeBuffer();
  ZR_Buffer* low = makeBuffer();
  ZR_Buffer* high = makeBuffer();
  ZR_Buffer* idleOut = makeBuffer();
  ZR_Effect_Lopass* lp = nullptr;
  ZR_Effect_Hipass* hp = nullptr;
  ZR_Effect_Lopass* idle = nullptr;
  ASSERT_EQ(cmd("ZR_Effect_Lopass -i %o -o %o -f 1000 -clock 44100", &lp, in, low), ZR_OK);
  ASSERT_EQ(cmd("ZR_Effect_Hipass -i %o -o %o -f 1000 -clock 44100", &hp, in, high), ZR_OK);
  ASSERT_EQ(cmd("ZR_Effect_Lopass -i %o -o %o -f 1000", &idle, in, idleOut), ZR_OK);
  endPipe();
  // Without a clock there is no coefficient and the state holds.
  idle->state = 4242;
  for (int32_t level : {1 << 30, -123456789, INT32_MAX, INT32_MIN}) {
    fillAll(in, level);
    for (int block = 0; block < 40; ++block) pipe->process();
    // Steps below one unit round away, so the state settles within 1 / a
    // (about 8) of the input, on the wrapping circle of 32-bit words.
    for (int j = 0; j < N; ++j) {
      EXPECT_LE(std::abs(wsub(low->data[j], level)), 8) << level;
      EXPECT_LE(std::abs(high->data[j]), 8) << level;
    }
    EXPECT_EQ(read(idleOut), std::vector<int32_t>(N, 4242));
  }
}

TEST_F(StageFilter, BapassRecursionAgainstModel) {
  for (const std::string& mode : modes()) {
    SCOPED_TRACE(mode);
    ZR_Buffer* in = makeBuffer();
    ZR_Buffer* out = makeBuffer();
    ZR_Effect_Bapass* bp = nullptr;
    ASSERT_EQ(cmd("ZR_Effect_Bapass -i %o -o %o -clock 48000 -f 3000 -q 0.8 -mode %s", &bp, in, out, mode.c_str()),
              ZR_OK);
    BapassModel m;
    m.c1 = bp->c1;
    m.c2 = bp->c2;
    m.c3 = bp->c3;
    for (int block = 0; block < 5; ++block) {
      std::vector<int32_t> v = randomSamples(N, block < 3 ? 28 : 32), o = randomSamples(N);
      fill(in, v);
      fill(out, o);
      pipe->process();
      for (int j = 0; j < N; ++j) ASSERT_EQ(out->data[j], combine(mode, o[j], m.step(v[j]))) << block << " " << j;
      // the memory holds y itself, whatever the mode
      ASSERT_EQ(bp->y1, m.y1);
      ASSERT_EQ(bp->y2, m.y2);
      ASSERT_EQ(bp->x1, m.x1);
      ASSERT_EQ(bp->x2, m.x2);
    }
    ASSERT_EQ(cmd("%o -delete", bp), ZR_OK);
  }
  // Without a clock the coefficients stay 0 and the output is 0.
  ZR_Buffer* in = makeBuffer();
  ZR_Buffer* out = makeBuffer();
  ZR_Effect_Bapass* idle = nullptr;
  ASSERT_EQ(cmd("ZR_Effect_Bapass -i %o -o %o -f 3000 -q 0.8", &idle, in, out), ZR_OK);
  fill(in, randomSamples(N));
  fillAll(out, 5);
  pipe->process();
  EXPECT_EQ(read(out), std::vector<int32_t>(N, 0));
}

TEST_F(StageFilter, AmpdetAgainstModel) {
  struct {
    const char* outputs;  // which buffers are set
    const char* mode;
    const char* freqs;
  } cases[] = {
      {"oa", "set", "-f1 50 -f2 5"}, {"oa", "add", "-f1 0 -f2 20"}, {"o", "sbn", "-f1 200 -f2 200"},
      {"a", "set", "-f1 50 -f2 5"},  {"oa", "stn", "-f1 0 -f2 0"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(std::string(c.outputs) + " " + c.mode + " " + c.freqs);
    ZR_Buffer* in = makeBuffer();
    ZR_Buffer* env = makeBuffer();
    ZR_Buffer* rect = makeBuffer();
    ZR_Effect_Ampdet* det = nullptr;
    std::string line = std::string("ZR_Effect_Ampdet -i %o -clock 48000 -mode ") + c.mode + " " + c.freqs;
    ASSERT_EQ(cmd(line.c_str(), &det, in), ZR_OK);
    bool withOut = std::strchr(c.outputs, 'o') != nullptr, withAbs = std::strchr(c.outputs, 'a') != nullptr;
    if (withOut) {
      ASSERT_EQ(cmd("%o -o %o", det, env), ZR_OK);
    }
    if (withAbs) {
      ASSERT_EQ(cmd("%o -a %o", det, rect), ZR_OK);
    }
    EnvelopeModel m;
    m.attack = det->attackCoefficient;
    m.release = det->releaseCoefficient;
    for (int block = 0; block < 6; ++block) {
      std::vector<int32_t> v = randomSamples(N, block % 2 ? 31 : 20), o = randomSamples(N), r = randomSamples(N);
      v[3] = INT32_MIN;  // magnitude 2^31
      v[4] = 0;
      fill(in, v);
      fill(env, o);
      fill(rect, r);
      pipe->process();
      for (int j = 0; j < N; ++j) {
        int32_t magnitude = static_cast<int32_t>(v[j] < 0 ? 0u - static_cast<uint32_t>(v[j]) : uint32_t(v[j]));
        ASSERT_EQ(rect->data[j], withAbs ? magnitude : r[j]) << j;  // always overwritten when set
        if (withOut) {
          ASSERT_EQ(env->data[j], combine(c.mode, o[j], m.step(v[j]))) << block << " " << j;
        }
      }
      if (!withOut) {
        ASSERT_EQ(env->data[0], o[0]);
      }
      ASSERT_EQ(det->envelope, withOut ? static_cast<int32_t>(m.env) : 0);
    }
    ASSERT_EQ(cmd("%o -delete", det), ZR_OK);
  }
}

TEST_F(StageFilter, AmpdetAttackAndRelease) {
  ZR_Buffer* in = makeBuffer();
  ZR_Buffer* env = makeBuffer();
  ZR_Effect_Ampdet* det = nullptr;
  ASSERT_EQ(cmd("ZR_Effect_Ampdet -i %o -o %o -f1 0 -f2 100 -clock 48000", &det, in, env), ZR_OK);
  endPipe();
  fillAll(in, -(1 << 29));
  pipe->process();
  EXPECT_EQ(env->data[0], (1 << 29) - 1);  // one step of (2^31 - 1) / 2^31
  EXPECT_EQ(env->data[1], (1 << 29) - 1);
  fillAll(in, INT32_MIN);
  pipe->process();
  EXPECT_EQ(det->envelope, INT32_MAX);  // 2^31 approached from below, never wrapped negative
  fillAll(in, 0);
  pipe->process();
  // falls exponentially with a = 2 pi 100 / (2 pi 100 + 48000)
  double a = det->releaseCoefficient / 2147483648.0;
  EXPECT_NEAR(env->data[N - 1], INT32_MAX * std::pow(1 - a, N), INT32_MAX * 1e-6);
}

// ---------------------------------------------------------------- reset

TEST_F(StageFilter, SwitchingOffClearsMemories) {
  ZR_Buffer* in = makeBuffer();
  ZR_Buffer* out = makeBuffer();
  ZR_Effect_Lopass* lp = nullptr;
  ZR_Effect_Hipass* hp = nullptr;
  ZR_Effect_Bapass* bp = nullptr;
  ZR_Effect_Ampdet* det = nullptr;
  ASSERT_EQ(cmd("ZR_Effect_Lopass -i %o -o %o -f 500 -clock 48000", &lp, in, out), ZR_OK);
  ASSERT_EQ(cmd("ZR_Effect_Hipass -i %o -o %o -f 500 -clock 48000", &hp, in, out), ZR_OK);
  ASSERT_EQ(cmd("ZR_Effect_Bapass -i %o -o %o -f 500 -q 0.5 -clock 48000", &bp, in, out), ZR_OK);
  ASSERT_EQ(cmd("ZR_Effect_Ampdet -i %o -o %o -f1 500 -f2 50 -clock 48000", &det, in, out), ZR_OK);
  endPipe();
  fill(in, randomSamples(N, 28));
  pipe->process();
  EXPECT_NE(lp->state, 0);
  EXPECT_NE(hp->state, 0);
  EXPECT_NE(bp->y1, 0);
  EXPECT_NE(det->envelope, 0);
  for (ZR_Effect* s : std::initializer_list<ZR_Effect*>{lp, hp, bp, det}) ASSERT_EQ(cmd("%o -on 0", s), ZR_OK);
  pipe->process();
  EXPECT_EQ(lp->state, 0);
  EXPECT_EQ(hp->state, 0);
  EXPECT_EQ(bp->x1, 0);
  EXPECT_EQ(bp->x2, 0);
  EXPECT_EQ(bp->y1, 0);
  EXPECT_EQ(bp->y2, 0);
  EXPECT_EQ(det->envelope, 0);
  EXPECT_NE(bp->c1, 0);  // coefficients stay
}

// ---------------------------------------------------------------- frequency response

// Steady-state gain of a stage on a sine of `hz`, measured over one second
// at 48 kHz (a whole number of periods) after half a second of settling.
double measureGain(ZR_Soundpipe* pipe, ZR_Buffer* in, ZR_Buffer* out, double hz, int n) {
  const double amplitude = 536870912.0, clock = 48000.0;
  double sumSin = 0, sumCos = 0;
  int64_t index = 0;
  const int settle = 24000, measure = 48000;
  while (index < settle + measure) {
    for (int j = 0; j < n; ++j)
      in->data[j] = static_cast<int32_t>(std::lround(amplitude * std::sin(2 * kPi * hz * double(index + j) / clock)));
    pipe->process();
    for (int j = 0; j < n; ++j, ++index)
      if (index >= settle) {
        double phase = 2 * kPi * hz * double(index) / clock;
        sumSin += out->data[j] * std::sin(phase);
        sumCos += out->data[j] * std::cos(phase);
      }
  }
  return 2.0 * std::hypot(sumSin, sumCos) / measure / amplitude;
}

TEST_F(StageFilter, FrequencyResponseAgainstAnaloguePrototypes) {
  // The one-pole filters are the backward-difference images of
  // 1 / (1 + s / wc) and (s / wc) / (1 + s / wc), and the band-pass the
  // central-difference image of s B / (s^2 + s B + w0^2); below clock / 24
  // their gains stay within 1.5 % (one pole, corner at clock / 240) and
  // 0.5 % (band-pass) of the prototypes, so the tolerances are 2.5 % and 1 %.
  struct {
    const char* setup;
    int kind;  // 0 low-pass, 1 high-pass, 2 band-pass
    double tolerance;
  } filters[] = {
      {"ZR_Effect_Lopass -i %o -o %o -f 200 -clock 48000", 0, 0.025},
      {"ZR_Effect_Hipass -i %o -o %o -f 200 -clock 48000", 1, 0.025},
      {"ZR_Effect_Bapass -i %o -o %o -f 1000 -q 0.7 -clock 48000", 2, 0.01},
  };
  const double freqs[] = {20, 50, 100, 200, 400, 1000, 1414, 2000};
  ZR_Buffer* in = makeBuffer();
  ZR_Buffer* out = makeBuffer();
  for (const auto& f : filters) {
    ZR_Effect* stage = nullptr;
    ASSERT_EQ(cmd(f.setup, &stage, in, out), ZR_OK);
    for (double hz : freqs) {
      double w = 2 * kPi * hz;
      double expect;
      if (f.kind == 0) {
        expect = 1.0 / std::abs(std::complex<double>(1.0, w / (2 * kPi * 200)));
      } else if (f.kind == 1) {
        std::complex<double> s(0.0, w / (2 * kPi * 200));
        expect = std::abs(s / (1.0 + s));
      } else {
        double w0 = 2 * kPi * 1000, q = 0.7, wl = w0 * q, wh = w0 / q;
        std::complex<double> s(0.0, w);
        expect = std::abs(s * (wh - wl) / (s * s + s * (wh - wl) + wl * wh));
      }
      double gain = measureGain(pipe, in, out, hz, N);
      EXPECT_NEAR(gain / expect, 1.0, f.tolerance) << f.setup << " at " << hz << " Hz: " << gain << " vs " << expect;
    }
    ASSERT_EQ(cmd("%o -delete", stage), ZR_OK);
  }
}

// ---------------------------------------------------------------- robustness

TEST_F(StageFilter, MissingOrEmptyBuffersAreSkipped) {
  struct {
    const char* cls;
    std::vector<const char*> params;
  } cases[] = {
      {"ZR_Effect_Lopass", {"i", "o"}},
      {"ZR_Effect_Hipass", {"i", "o"}},
      {"ZR_Effect_Bapass", {"i", "o"}},
      {"ZR_Effect_Ampdet", {"i", "o", "a"}},
  };
  ZR_Buffer* empty = makeBuffer(0);
  ZR_Buffer* sentinel = makeBuffer();
  int notAnObject = 0;
  fillAll(sentinel, 0x2468ACE);
  for (const auto& c : cases) {
    SCOPED_TRACE(c.cls);
    ZR_Effect* bare = nullptr;
    ASSERT_EQ(cmd((std::string(c.cls) + " -clock 48000").c_str(), &bare), ZR_OK);
    for (size_t k = 0; k < c.params.size(); ++k) {
      ZR_Effect* partial = nullptr;
      ASSERT_EQ(cmd((std::string(c.cls) + " -clock 48000").c_str(), &partial), ZR_OK);
      for (size_t i = 0; i < c.params.size(); ++i) {
        std::string set = std::string("%o -") + c.params[i] + " %o";
        ASSERT_EQ(cmd(set.c_str(), partial, i == k ? empty : sentinel), ZR_OK);
        ASSERT_EQ(cmd(set.c_str(), partial, &notAnObject), ZR_OK);  // ignored
        EXPECT_EQ(queryObject(partial, c.params[i]), i == k ? empty : sentinel);
      }
    }
    pipe->process();
    ZR_CHAIN_FOR(ZR_Effect, s, pipe->stages) s->on = 0;
    pipe->process();
    ZR_CHAIN_FOR(ZR_Effect, s, pipe->stages) s->on = 1;
    pipe->process();
    EXPECT_EQ(read(sentinel), std::vector<int32_t>(N, 0x2468ACE));
    while (pipe->stages.count) delete static_cast<ZR_Effect*>(pipe->stages.first()->data);
  }
}

TEST_F(StageFilter, MismatchedLengthsUseTheShortest) {
  ZR_Buffer* in = makeBuffer(10);
  ZR_Buffer* out = makeBuffer(20);
  ZR_Buffer* rect = makeBuffer(6);
  ZR_Effect_Lopass* lp = nullptr;
  ZR_Effect_Ampdet* det = nullptr;
  ASSERT_EQ(cmd("ZR_Effect_Lopass -i %o -o %o -f 1000 -clock 48000", &lp, in, out), ZR_OK);
  ASSERT_EQ(cmd("ZR_Effect_Ampdet -i %o -a %o", &det, in, rect), ZR_OK);
  endPipe();
  fillAll(in, 1 << 28);
  fillAll(out, 3);
  pipe->process();
  EXPECT_NE(out->data[9], 3);
  for (int j = 10; j < 20; ++j) EXPECT_EQ(out->data[j], 3);
  EXPECT_EQ(read(rect), std::vector<int32_t>(6, 1 << 28));
}

// ---------------------------------------------------------------- a graph

// in -> high-pass 50 Hz -> low-pass 3 kHz (added onto a copy of the input)
//    -> band-pass 1 kHz -> envelope; every stage made and wired by commands.
TEST_F(StageFilter, GraphOfCommandsMatchesScalarChain) {
  ZR_Buffer *in, *hpOut, *mix, *bpOut, *env, *rect;
  ZR_Effect *hp, *lp, *bp, *det, *copy;
  ASSERT_EQ(cmd("ZR_Buffer", &in), ZR_OK);
  ASSERT_EQ(cmd("ZR_Buffer", &hpOut), ZR_OK);
  ASSERT_EQ(cmd("ZR_Buffer", &mix), ZR_OK);
  ASSERT_EQ(cmd("ZR_Buffer", &bpOut), ZR_OK);
  ASSERT_EQ(cmd("ZR_Buffer", &env), ZR_OK);
  ASSERT_EQ(cmd("ZR_Buffer", &rect), ZR_OK);
  ASSERT_EQ(cmd("ZR_Effect_Hipass -i %o -o %o -f 50", &hp, in, hpOut), ZR_OK);
  ASSERT_EQ(cmd("ZR_Effect_Copy -i %o -o %o", &copy, in, mix), ZR_OK);
  ASSERT_EQ(cmd("ZR_Effect_Lopass -i %o -o %o -f 3000 -mode add", &lp, hpOut, mix), ZR_OK);
  ASSERT_EQ(cmd("ZR_Effect_Bapass -i %o -o %o -f 1000 -q 0.6", &bp, mix, bpOut), ZR_OK);
  ASSERT_EQ(cmd("ZR_Effect_Ampdet -i %o -o %o -a %o -f1 0 -f2 30", &det, bpOut, env, rect), ZR_OK);
  // the copy must run before the low-pass adds onto its result
  void* next = nullptr;
  ASSERT_EQ(cmd("%o -before %o", copy, hp), ZR_OK);
  ASSERT_EQ(cmd("%o -before", copy, &next), ZR_OK);
  EXPECT_EQ(next, hp);
  for (ZR_Effect* s : {hp, lp, bp, det}) ASSERT_EQ(cmd("ZR_Effect %o -clock 44100", s), ZR_OK);
  endPipe();
  OnepoleModel mh, ml;
  mh.c = ZR_Effect_Onepole::coefficientOf(50, 44100);
  ml.c = ZR_Effect_Onepole::coefficientOf(3000, 44100);
  BapassModel mb;
  mb.c1 = static_cast<ZR_Effect_Bapass*>(bp)->c1;
  mb.c2 = static_cast<ZR_Effect_Bapass*>(bp)->c2;
  mb.c3 = static_cast<ZR_Effect_Bapass*>(bp)->c3;
  EnvelopeModel me;
  me.attack = INT32_MAX;
  me.release = ZR_Effect_Ampdet::coefficientOf(30.0f, 44100);
  for (int block = 0; block < 20; ++block) {
    std::vector<int32_t> v = randomSamples(N, 29);
    fill(in, v);
    pipe->process();
    for (int j = 0; j < N; ++j) {
      int32_t h = wsub(v[j], mh.step(v[j]));
      int32_t m = wadd(v[j], ml.step(h));
      int32_t b = mb.step(m);
      int32_t e = me.step(b);
      ASSERT_EQ(mix->data[j], m) << block << " " << j;
      ASSERT_EQ(bpOut->data[j], b) << block << " " << j;
      ASSERT_EQ(env->data[j], e) << block << " " << j;
      ASSERT_EQ(rect->data[j], b < 0 ? -b : b);
    }
  }
}

}  // namespace
