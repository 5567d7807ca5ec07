// Pitch and resampling stages: frequency multipliers, pitch shifters and
// the oversampler, against scalar models written here and exact delays.
#include <climits>
#include <cmath>
#include <memory>

#include "ZR_effect_pitch.h"
#include "stage_fixture.h"

namespace {

const double kPi = 3.14159265358979323846;

class StagePitch : public StageFixture {
 protected:
  static const int N = 64;
  void SetUp() override { makePipe(N); }

  // Runs `blocks` blocks, feeding `signal` from `in` and collecting `out`.
  std::vector<int32_t> run(ZR_Buffer* in, ZR_Buffer* out, const std::vector<int32_t>& signal) {
    std::vector<int32_t> result;
    for (size_t at = 0; at + N <= signal.size(); at += N) {
      std::copy(signal.begin() + at, signal.begin() + at + N, in->data);
      pipe->process();
      result.insert(result.end(), out->data, out->data + N);
    }
    return result;
  }
  std::vector<int32_t> sine(size_t n, double hz, double amplitude, int clock = 48000) {
    std::vector<int32_t> v(n);
    for (size_t t = 0; t < n; ++t) v[t] = static_cast<int32_t>(std::lround(amplitude * std::sin(2 * kPi * hz * t / clock)));
    return v;
  }
};

// 0.02 s at `clock`, the product rounded once to a float.
double latencySamples(int clock) { return static_cast<float>(static_cast<float>(clock) * 0.02f); }

// ---------------------------------------------------------------- models

// The multiplier as a plain scalar loop over its own ring.
struct FreqmulModel {
  int mask;
  std::vector<int32_t> ring;
  int32_t factor, writePos = 0, readPos = 0, lastCross = 0, previous = -1;
  FreqmulModel(int size, int32_t k) : mask(size - 1), ring(size, 0), factor(k) {}
  void block(const int32_t* in, int32_t* out, int n, int clock) {
    for (int j = 0; j < n; ++j) {
      int32_t x = in[j];
      writePos = (writePos + 1) & mask;
      if (previous < 0 && x >= 0) {
        int32_t e = writePos;
        for (int r = 0; r < factor - 1; ++r)
          for (int32_t p = lastCross; p != e; p = (p + 1) & mask) {
            ring[writePos] = ring[p];
            writePos = (writePos + 1) & mask;
          }
        lastCross = writePos;
      }
      ring[writePos] = x;
      previous = x;
    }
    int32_t start = (readPos - static_cast<int32_t>(latencySamples(clock) + double(n) * factor)) & mask;
    for (int i = 0; i < n; ++i) {
      out[i] = ring[start];
      start = (start + factor) & mask;
      readPos = (readPos + factor) & mask;
    }
  }
};

struct NefreqmulModel {
  int mask = 32767;
  std::vector<int32_t> ring = std::vector<int32_t>(32768, 0);
  int32_t factor, writePos = 0, readPos = 0, lastCross = 0, previous = -1;
  double slopeAverage = 0, randomness, stability;
  NefreqmulModel(int32_t k, double r, double s) : factor(k), randomness(r), stability(s) {}
  static int32_t trunc(double v) { return static_cast<int32_t>(std::max(-2147483648.0, std::min(2147483647.0, v))); }
  void block(const int32_t* in, int32_t* out, int n, int clock, const std::string& mode) {
    double window = latencySamples(clock);
    for (int j = 0; j < n; ++j) {
      int32_t x = in[j];
      writePos = (writePos + 1) & mask;
      bool candidate = previous < 0 && x >= 0;
      double d = double(x) - double(previous);
      bool accepted = candidate;
      if (candidate && slopeAverage > 0.1) {
        double r = d / slopeAverage;
        if (r > 1 || r < randomness) accepted = false;
        if (((writePos - lastCross) & mask) > window) accepted = true;
      }
      if (accepted) {
        int32_t h = writePos, c = (h - lastCross) & mask;
        for (int rep = 0; rep <= factor - 2; ++rep)
          for (int t = 0; t < c; ++t) {
            double m = ring[(lastCross + t) & mask];
            double v = double(x) + double(previous) - ring[(h - 1 - t) & mask];
            double value;
            if (rep % 2 == 1)
              value = m;
            else if (rep == factor - 2)
              value = (t * m + (c - t) * v) / c;
            else
              value = v - (double(x) + double(previous)) * t / c;
            ring[writePos] = trunc(value);
            writePos = (writePos + 1) & mask;
          }
        lastCross = writePos;
        slopeAverage = stability * slopeAverage + (1 - stability) * d;
      }
      ring[writePos] = x;
      previous = x;
    }
    int32_t start = (readPos - static_cast<int32_t>(window * factor)) & mask;
    for (int i = 0; i < n; ++i) {
      if (mode == "set") out[i] = ring[start];
      if (mode == "add") out[i] = StageFixture::wadd(out[i], ring[start]);
      start = (start + factor) & mask;
      readPos = (readPos + factor) & mask;
    }
  }
};

// The two shifters with the windows from the standard library's sine.
struct ShiftModel {
  bool feedback;
  std::vector<int32_t> ring = std::vector<int32_t>(8192, 0), echo = std::vector<int32_t>(8192, 0);
  int32_t writePos = 0, phase = 0, speed = 0;
  uint32_t period = 8388608;
  explicit ShiftModel(bool fb) : feedback(fb) {}
  int32_t at(const std::vector<int32_t>& r, int32_t i) const { return r[i & 8191]; }
  int32_t read14(int32_t p) const {
    int32_t f = p % 16384, k = writePos + p / 16384;
    return static_cast<int32_t>(uint32_t(f) * uint32_t(at(ring, k + 1) >> 14) + uint32_t(16384 - f) * uint32_t(at(ring, k) >> 14));
  }
  int32_t read64(const std::vector<int32_t>& r, int32_t p) const {
    int32_t f = p % 16384, k = writePos + p / 16384;
    int64_t s = int64_t(at(r, k + 1)) * f + int64_t(at(r, k)) * (16384 - f);
    return static_cast<int32_t>(s >> 14);
  }
  int32_t step(int32_t x) {
    writePos = (writePos - 1) & 8191;
    ring[writePos] = x;
    phase = StageFixture::wadd(phase, speed);
    if (phase < 0)
      phase = StageFixture::wadd(phase, int32_t(period));
    else if (uint32_t(phase) >= period)
      phase = StageFixture::wsub(phase, int32_t(period));
    double w1 = std::pow(std::sin(kPi * phase / (2.0 * period)), 2);
    double w2 = std::pow(std::sin(kPi * (double(phase) + period) / (2.0 * period)), 2);
    int32_t other = StageFixture::wadd(phase, int32_t(period));
    if (!feedback) return static_cast<int32_t>(read14(phase) * w1 + read14(other) * w2);
    double a = read64(ring, phase), b = read64(ring, other);
    double mx = w1 >= w2 ? w1 : w2, mn = w1 >= w2 ? w2 : w1;
    float g = 1.0f / float(mx);
    double e = read64(echo, static_cast<int32_t>(period / (1.0 - speed / 16384.0)));
    double y = (a * w1 + b * w2) * g - e * (mn / mx);
    echo[writePos] = static_cast<int32_t>(y);
    return static_cast<int32_t>(y);
  }
};

struct OversamModel {
  int32_t y0 = 0, y1 = 0, y2 = 0, m0 = 0, m1 = 0;
  // i counts output samples within the block
  int32_t step(int i, const int32_t* in) {
    int a = i % 8;
    if (a == 0) {
      m0 = m1;
      y0 = y1;
      y1 = y2;
      y2 = in[i / 8] / 8;
      m1 = ((y2 - y0) / 2) / 8;
    }
    int64_t v = int64_t(8 - a) * (int64_t(a) * m0 + y0) + int64_t(a) * (y1 - int64_t(8 - a) * m1);
    return static_cast<int32_t>(static_cast<uint32_t>(static_cast<uint64_t>(v)));
  }
};

// ---------------------------------------------------------------- frequency multipliers

TEST_F(StagePitch, FreqmulFactorOneIsAPureDelay) {
  struct {
    int clock;
    int delay;  // trunc(clock x 0.02 + n) + 1
  } cases[] = {{48000, 960 + N + 1}, {44125, 882 + N + 1}, {8000, 160 + N + 1}};
  for (const auto& c : cases) {
    SCOPED_TRACE(c.clock);
    ZR_Buffer* in = makeBuffer();
    ZR_Buffer* out = makeBuffer();
    ZR_Effect_Freqmul* fm = nullptr;
    ASSERT_EQ(cmd("ZR_Effect_Freqmul -i %o -o %o -k 1 -clock %i", &fm, in, out, c.clock), ZR_OK);
    EXPECT_EQ(queryInt(fm, "k"), 1);
    std::vector<int32_t> v = randomSamples(N * 40);
    std::vector<int32_t> y = run(in, out, v);
    for (size_t t = 0; t < y.size(); ++t) ASSERT_EQ(y[t], t >= size_t(c.delay) ? v[t - c.delay] : 0) << t;
    ASSERT_EQ(cmd("%o -delete", fm), ZR_OK);
  }
}

TEST_F(StagePitch, FreqmulDoublesASquareWave) {
  ZR_Buffer* in = makeBuffer();
  ZR_Buffer* out = makeBuffer();
  ZR_Effect_Freqmul* fm = nullptr;
  ASSERT_EQ(cmd("ZR_Effect_Freqmul -i %o -o %o -clock 48000", &fm, in, out), ZR_OK);
  EXPECT_EQ(queryInt(fm, "k"), 2);  // the factor at construction
  const int32_t amp = 1 << 28;
  std::vector<int32_t> v(N * 150);
  for (size_t t = 0; t < v.size(); ++t) v[t] = (t % 100) < 50 ? amp : -amp;
  std::vector<int32_t> y = run(in, out, v);
  // after the start-up: period 50, half of it high
  const size_t from = 4000;
  for (size_t t = from; t + 50 < y.size(); ++t) ASSERT_EQ(y[t + 50], y[t]) << t;
  int high = 0;
  for (size_t t = from; t < from + 50; ++t) {
    ASSERT_TRUE(y[t] == amp || y[t] == -amp) << t;
    high += y[t] == amp;
  }
  EXPECT_EQ(high, 25);
}

TEST_F(StagePitch, FreqmulAgainstModel) {
  for (int k : {1, 2, 3, 5}) {
    SCOPED_TRACE(k);
    ZR_Buffer* in = makeBuffer();
    ZR_Buffer* out = makeBuffer();
    ZR_Effect_Freqmul* fm = nullptr;
    ASSERT_EQ(cmd("ZR_Effect_Freqmul -i %o -o %o -k %i -clock 44100", &fm, in, out, k), ZR_OK);
    auto model = std::make_unique<FreqmulModel>(16384, k);
    // a wobbling tone with noise: periods of varying length
    std::vector<int32_t> v = sine(N * 200, 330, 1e9, 44100), noise = randomSamples(v.size(), 26);
    for (size_t t = 0; t < v.size(); ++t) v[t] += noise[t] + static_cast<int32_t>(3e8 * std::sin(t * 0.0007));
    std::vector<int32_t> expect(N);
    for (size_t at = 0; at < v.size(); at += N) {
      std::copy(v.begin() + at, v.begin() + at + N, in->data);
      pipe->process();
      model->block(&v[at], expect.data(), N, 44100);
      ASSERT_EQ(read(out), expect) << at;
    }
    EXPECT_EQ(fm->writePos, model->writePos);
    EXPECT_EQ(fm->lastCross, model->lastCross);
    ASSERT_EQ(cmd("%o -delete", fm), ZR_OK);
  }
}

TEST_F(StagePitch, FrequencyMultiplierFactorsOutsideTheRange) {
  for (const char* cls : {"ZR_Effect_Freqmul", "ZR_Effect_Nefreqmul"}) {
    SCOPED_TRACE(cls);
    ZR_Effect* fm = nullptr;
    ASSERT_EQ(cmd((std::string(cls) + " -k 3").c_str(), &fm), ZR_OK);
    for (const char* bad : {"0", "-1", "65", "-2147483648", "0.9"}) {
      ASSERT_EQ(cmd((std::string("%o -k ") + bad).c_str(), fm), ZR_OK);
      EXPECT_EQ(queryInt(fm, "k"), 3) << bad;  // kept
    }
    ASSERT_EQ(cmd("%o -k 64.7", fm), ZR_OK);
    EXPECT_EQ(queryInt(fm, "k"), 64);
  }
  // A factor forced below 1 behind the handler's back runs as 1: a pure
  // delay, finishing at once instead of repeating a period 2^32 - 1 times.
  ZR_Buffer* in = makeBuffer();
  ZR_Buffer* out = makeBuffer();
  ZR_Effect_Freqmul* fm = nullptr;
  ASSERT_EQ(cmd("ZR_Effect_Freqmul -i %o -o %o -clock 8000", &fm, in, out), ZR_OK);
  fm->factor = 0;
  std::vector<int32_t> v = sine(N * 10, 300, 1e9, 8000);
  std::vector<int32_t> y = run(in, out, v);
  const int delay = 160 + N + 1;
  for (size_t t = delay; t < y.size(); ++t) ASSERT_EQ(y[t], v[t - delay]) << t;
  fm->factor = INT32_MAX;  // held at 64
  run(in, out, v);
  EXPECT_EQ(fm->readPos, (10 * N + 10 * N * 64) & 16383);
}

TEST_F(StagePitch, NefreqmulAgainstModelInEveryMode) {
  for (const std::string& mode : modes()) {
    SCOPED_TRACE(mode);
    ZR_Buffer* in = makeBuffer();
    ZR_Buffer* out = makeBuffer();
    ZR_Effect_Nefreqmul* fm = nullptr;
    ASSERT_EQ(cmd("ZR_Effect_Nefreqmul -i %o -o %o -k 3 -rand 0.3 -stab 0.8 -clock 48000 -mode %s", &fm, in, out,
                  mode.c_str()),
              ZR_OK);
    EXPECT_FLOAT_EQ(queryFloat(fm, "rand"), 0.3f);
    EXPECT_FLOAT_EQ(queryFloat(fm, "stab"), 0.8f);
    auto model = std::make_unique<NefreqmulModel>(3, double(0.3f), double(0.8f));
    std::vector<int32_t> v = sine(N * 120, 220, 6e8), noise = randomSamples(v.size(), 27);
    for (size_t t = 0; t < v.size(); ++t) v[t] += noise[t];
    std::vector<int32_t> expect(N);
    for (size_t at = 0; at < v.size(); at += N) {
      std::copy(v.begin() + at, v.begin() + at + N, in->data);
      std::vector<int32_t> before = randomSamples(N);
      fill(out, before);
      expect = before;
      pipe->process();
      model->block(&v[at], expect.data(), N, 48000, mode);
      ASSERT_EQ(read(out), expect) << at;  // "sub" and the others leave the output untouched
    }
    EXPECT_DOUBLE_EQ(fm->slopeAverage, model->slopeAverage);
    if (mode == "set") {
      EXPECT_GT(fm->slopeAverage, 0.1);
    }
    ASSERT_EQ(cmd("%o -delete", fm), ZR_OK);
  }
}

TEST_F(StagePitch, NefreqmulDefaultsDelayAndReset) {
  ZR_Buffer* in = makeBuffer();
  ZR_Buffer* out = makeBuffer();
  ZR_Effect_Nefreqmul* fm = nullptr;
  ASSERT_EQ(cmd("ZR_Effect_Nefreqmul -i %o -o %o -k 1 -clock 48000", &fm, in, out), ZR_OK);
  EXPECT_FLOAT_EQ(queryFloat(fm, "rand"), 0.6f);
  EXPECT_FLOAT_EQ(queryFloat(fm, "stab"), 0.7f);
  ASSERT_EQ(cmd("%o -rand 1 -stab 0", fm), ZR_OK);  // integers converted
  EXPECT_FLOAT_EQ(queryFloat(fm, "rand"), 1.0f);
  EXPECT_FLOAT_EQ(queryFloat(fm, "stab"), 0.0f);
  // factor 1: a delay of trunc(clock x latency) + 1 samples
  std::vector<int32_t> v = randomSamples(N * 30);
  std::vector<int32_t> y = run(in, out, v);
  for (size_t t = 961; t < y.size(); ++t) ASSERT_EQ(y[t], v[t - 961]) << t;
  EXPECT_NE(fm->slopeAverage, 0.0);
  // switching off runs once more, then clears the ring and the slope average
  ASSERT_EQ(cmd("%o -on 0", fm), ZR_OK);
  pipe->process();
  EXPECT_EQ(fm->slopeAverage, 0.0);
  for (int32_t s : fm->ring) ASSERT_EQ(s, 0);
}

// ---------------------------------------------------------------- shifters

TEST_F(StagePitch, ShifterPeriodFollowsClock) {
  struct {
    int clock;
    uint32_t period;
  } cases[] = {
      {44100, 7707033u},  // 44100 x 2^23 / 48000
      {48000, 8388608u},
      {96000, 16777216u},
      {1, 174u},
      {0, 174u},          // no clock: kept
      {-5, 174u},
      {400000, 67108864u},  // held at 2^26: both heads inside the ring
  };
  for (const char* cls : {"ZR_Effect_Shift", "ZR_Effect_Nshift"}) {
    ZR_Effect_Shifter* s = nullptr;
    ASSERT_EQ(cmd(cls, &s), ZR_OK);
    EXPECT_EQ(s->period, 8388608u);
    for (const auto& c : cases) {
      ASSERT_EQ(cmd("%o -clock %i", s, c.clock), ZR_OK);
      EXPECT_EQ(s->period, c.period) << cls << " " << c.clock;
    }
    ASSERT_EQ(cmd("%o -s -4096.5 -p 77.9", s), ZR_OK);
    EXPECT_EQ(queryInt(s, "s"), -4096);
    EXPECT_EQ(queryInt(s, "p"), 77);
  }
}

TEST_F(StagePitch, ShiftersAtRestAreDelays) {
  ZR_Buffer* in = makeBuffer();
  ZR_Buffer* plain = makeBuffer();
  ZR_Buffer* compensated = makeBuffer();
  ZR_Effect_Nshift* ns = nullptr;
  ZR_Effect_Shift* sh = nullptr;
  ASSERT_EQ(cmd("ZR_Effect_Nshift -i %o -o %o -s 0 -p 0 -clock 48000", &ns, in, plain), ZR_OK);
  ASSERT_EQ(cmd("ZR_Effect_Shift -i %o -o %o -s 0 -p 0 -clock 48000", &sh, in, compensated), ZR_OK);
  endPipe();
  std::vector<int32_t> v = randomSamples(N * 20);
  std::vector<int32_t> a, b;
  for (size_t at = 0; at < v.size(); at += N) {
    std::copy(v.begin() + at, v.begin() + at + N, in->data);
    pipe->process();
    a.insert(a.end(), plain->data, plain->data + N);
    b.insert(b.end(), compensated->data, compensated->data + N);
  }
  // 512 samples at 48 kHz; the plain shifter keeps the top 18 bits
  for (size_t t = 0; t < v.size(); ++t) {
    int32_t d = t >= 512 ? v[t - 512] : 0;
    ASSERT_EQ(a[t], static_cast<int32_t>(static_cast<uint32_t>(d) & ~16383u)) << t;
    ASSERT_EQ(b[t], d) << t;
  }
}

TEST_F(StagePitch, ShiftersAgainstModel) {
  struct {
    const char* cls;
    bool feedback;
    int speed, phase, clock;
  } cases[] = {
      {"ZR_Effect_Nshift", false, -4096, 0, 48000}, {"ZR_Effect_Nshift", false, 3000, 12345, 44100},
      // faster than one window per sample: the phase leaves the window and
      // the heads read at negative offsets
      {"ZR_Effect_Nshift", false, -9000000, 0, 48000},
      {"ZR_Effect_Shift", true, -4096, 0, 48000},   {"ZR_Effect_Shift", true, 2500, 777777, 44100},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(std::string(c.cls) + " " + std::to_string(c.speed));
    ZR_Buffer* in = makeBuffer();
    ZR_Buffer* out = makeBuffer();
    ZR_Effect_Shifter* s = nullptr;
    ASSERT_EQ(cmd((std::string(c.cls) + " -i %o -o %o -s %i -p %i -clock %i").c_str(), &s, in, out, c.speed, c.phase,
                  c.clock),
              ZR_OK);
    auto m = std::make_unique<ShiftModel>(c.feedback);
    m->speed = c.speed;
    m->phase = c.phase;
    m->period = s->period;
    std::vector<int32_t> v = sine(N * 150, 440, 9e8, c.clock), noise = randomSamples(v.size(), 24);
    for (size_t t = 0; t < v.size(); ++t) v[t] += noise[t];
    std::vector<int32_t> y = run(in, out, v);
    // The windows come from two different sines (each within an ulp), so a
    // truncation may land one unit apart; the echo carries such a unit on,
    // damped by the window ratio.
    int64_t worst = 0;
    for (size_t t = 0; t < y.size(); ++t) {
      int32_t expect = m->step(v[t]);
      worst = std::max<int64_t>(worst, std::llabs(int64_t(y[t]) - expect));
    }
    EXPECT_LE(worst, 2);
    EXPECT_EQ(s->phase, m->phase);
    EXPECT_EQ(s->writePos, m->writePos);
    ASSERT_EQ(cmd("%o -delete", s), ZR_OK);
  }
}

// Mean level of a tone of `hz` in y[from..], projected over segments of
// 4 ms (whole periods of every tone used here) so that the phase jumps
// where the heads change places do not cancel it out.
double toneLevel(const std::vector<int32_t>& y, size_t from, double hz, int clock) {
  const size_t segment = 192;
  double total = 0;
  int count = 0;
  for (size_t at = from; at + segment <= y.size(); at += segment, ++count) {
    double s = 0, c = 0;
    for (size_t t = at; t < at + segment; ++t) {
      s += y[t] * std::sin(2 * kPi * hz * t / clock);
      c += y[t] * std::cos(2 * kPi * hz * t / clock);
    }
    total += 2 * std::hypot(s, c) / segment;
  }
  return total / count;
}

TEST_F(StagePitch, ShiftersMoveThePitch) {
  // Each head's delay grows by speed / 16384 samples per sample, so a tone f
  // comes out at f (1 - speed / 16384).
  struct {
    const char* cls;
    int speed;
    double out;
  } cases[] = {{"ZR_Effect_Nshift", -4096, 1250}, {"ZR_Effect_Nshift", 4096, 750}, {"ZR_Effect_Shift", -4096, 1250},
               {"ZR_Effect_Shift", 8192, 500}};
  for (const auto& c : cases) {
    SCOPED_TRACE(std::string(c.cls) + " " + std::to_string(c.speed));
    ZR_Buffer* in = makeBuffer();
    ZR_Buffer* out = makeBuffer();
    ZR_Effect* s = nullptr;
    ASSERT_EQ(cmd((std::string(c.cls) + " -i %o -o %o -s %i -clock 48000").c_str(), &s, in, out, c.speed), ZR_OK);
    const double amp = 4e8;
    std::vector<int32_t> y = run(in, out, sine(48000, 1000, amp));
    double shifted = toneLevel(y, 4800, c.out, 48000), original = toneLevel(y, 4800, 1000, 48000);
    EXPECT_GT(shifted, 0.5 * amp);
    EXPECT_LT(original, 0.1 * shifted);
    ASSERT_EQ(cmd("%o -delete", s), ZR_OK);
  }
}

TEST_F(StagePitch, ShifterResetClearsHistories) {
  ZR_Buffer* in = makeBuffer();
  ZR_Buffer* out = makeBuffer();
  ZR_Effect_Shift* sh = nullptr;
  ASSERT_EQ(cmd("ZR_Effect_Shift -i %o -o %o -s 100 -clock 48000", &sh, in, out), ZR_OK);
  fill(in, randomSamples(N));
  pipe->process();
  int32_t phase = sh->phase, writePos = sh->writePos;
  ASSERT_EQ(cmd("%o -on 0", sh), ZR_OK);
  pipe->process();
  for (int32_t s : sh->ring) ASSERT_EQ(s, 0);
  for (int32_t s : sh->echo) ASSERT_EQ(s, 0);
  // the heads keep their places
  EXPECT_EQ(sh->phase, phase + 100 * N);
  EXPECT_EQ(sh->writePos, (writePos - N) & 8191);
}

// ---------------------------------------------------------------- oversampler

TEST_F(StagePitch, OversamAgainstModel) {
  ZR_Buffer* in = makeBuffer();
  ZR_Buffer* out = makeBuffer(8 * N);
  ZR_Effect_Oversam* os = nullptr;
  ASSERT_EQ(cmd("ZR_Effect_Oversam -i %o -o %o -k 8", &os, in, out), ZR_OK);
  EXPECT_EQ(queryInt(os, "k"), 8);
  endPipe();
  OversamModel m;
  for (int block = 0; block < 8; ++block) {
    std::vector<int32_t> v = randomSamples(N, block < 4 ? 31 : 32);
    fill(in, v);
    pipe->process();
    for (int i = 0; i < 8 * N; ++i) ASSERT_EQ(out->data[i], m.step(i, v.data())) << block << " " << i;
  }
}

TEST_F(StagePitch, OversamRebuildsConstantsAndRamps) {
  ZR_Buffer* in = makeBuffer();
  ZR_Buffer* flat = makeBuffer(8 * N);
  ZR_Buffer* sloped = makeBuffer(8 * N);
  ZR_Buffer* rampIn = makeBuffer();
  ZR_Effect_Oversam *os1 = nullptr, *os2 = nullptr;
  ASSERT_EQ(cmd("ZR_Effect_Oversam -i %o -o %o", &os1, in, flat), ZR_OK);
  ASSERT_EQ(cmd("ZR_Effect_Oversam -i %o -o %o", &os2, rampIn, sloped), ZR_OK);
  endPipe();
  // c (a multiple of 8) comes back once three input samples have filled
  // the values and the slopes; a ramp rising 512 per input sample comes
  // out rising 64 per output sample, 16 output samples late.
  const int32_t c = 123456 * 8;
  fillAll(in, c);
  for (int block = 0; block < 2; ++block) {
    std::vector<int32_t> ramp(N);
    for (int j = 0; j < N; ++j) ramp[j] = c + 512 * (j + block * N);
    fill(rampIn, ramp);
    pipe->process();
    for (int i = block ? 0 : 24; i < 8 * N; ++i) {
      ASSERT_EQ(flat->data[i], c) << block << " " << i;
      ASSERT_EQ(sloped->data[i], c + 64 * (i + block * 8 * N - 16)) << block << " " << i;
    }
  }
  ASSERT_EQ(cmd("%o -on 0", os1), ZR_OK);
  pipe->process();
  EXPECT_EQ(os1->y0 | os1->y1 | os1->y2 | os1->m0 | os1->m1, 0);
  EXPECT_NE(os2->y0, 0);
}

TEST_F(StagePitch, OversamCountsByTheOutputLengthSetting) {
  struct {
    int outLength;  // -1: follows the pipe
    int written;
  } cases[] = {{8 * N, 8 * N}, {20, 20}, {8 * N + 40, 8 * N}, {-1, 0}};
  for (const auto& c : cases) {
    SCOPED_TRACE(c.outLength);
    ZR_Buffer* in = makeBuffer();
    ZR_Buffer* out = makeBuffer(c.outLength);
    ZR_Effect_Oversam* os = nullptr;
    ASSERT_EQ(cmd("ZR_Effect_Oversam -i %o -o %o", &os, in, out), ZR_OK);
    fillAll(in, 8000);
    fillAll(out, 7);
    pipe->process();
    for (int i = 0; i < out->count; ++i) ASSERT_EQ(out->data[i] == 7, i >= c.written) << i;
    ASSERT_EQ(cmd("%o -delete", os), ZR_OK);
  }
}

// ---------------------------------------------------------------- robustness

TEST_F(StagePitch, MissingOrEmptyBuffersAreSkipped) {
  ZR_Buffer* empty = makeBuffer(0);
  ZR_Buffer* sentinel = makeBuffer();
  int notAnObject = 0;
  fillAll(sentinel, -0x13572468);
  for (const char* cls : {"ZR_Effect_Freqmul", "ZR_Effect_Nefreqmul", "ZR_Effect_Oversam", "ZR_Effect_Shift",
                          "ZR_Effect_Nshift"}) {
    SCOPED_TRACE(cls);
    ZR_Effect *bare, *noInput, *noOutput, *emptyIn, *emptyOut;
    std::string made = std::string(cls) + " -clock 48000";
    ASSERT_EQ(cmd(made.c_str(), &bare), ZR_OK);
    ASSERT_EQ(cmd((made + " -o %o").c_str(), &noInput, sentinel), ZR_OK);
    ASSERT_EQ(cmd((made + " -i %o").c_str(), &noOutput, sentinel), ZR_OK);
    ASSERT_EQ(cmd((made + " -i %o -o %o").c_str(), &emptyIn, empty, sentinel), ZR_OK);
    ASSERT_EQ(cmd((made + " -i %o -o %o").c_str(), &emptyOut, sentinel, empty), ZR_OK);
    ASSERT_EQ(cmd("%o -i %o -o %o", emptyOut, &notAnObject, &notAnObject), ZR_OK);  // kept
    EXPECT_EQ(queryObject(emptyOut, "i"), sentinel);
    EXPECT_EQ(queryObject(emptyOut, "o"), empty);
    for (int b = 0; b < 3; ++b) pipe->process();
    ZR_CHAIN_FOR(ZR_Effect, s, pipe->stages) s->on = 0;
    pipe->process();
    EXPECT_EQ(read(sentinel), std::vector<int32_t>(N, -0x13572468));
    while (pipe->stages.count) delete static_cast<ZR_Effect*>(pipe->stages.first()->data);
  }
}

// ---------------------------------------------------------------- a graph

// in -> Koef (x 0.5) -> Nshift at rest (512 samples, top 18 bits) -> Oversam,
// and the delayed signal also through Freqmul with factor 1; all by commands.
TEST_F(StagePitch, GraphOfCommandsMatchesScalarChain) {
  ZR_Buffer *in, *half, *delayed, *up, *again;
  ZR_Effect *koef, *ns, *os, *fm;
  ASSERT_EQ(cmd("ZR_Buffer", &in), ZR_OK);
  ASSERT_EQ(cmd("ZR_Buffer", &half), ZR_OK);
  ASSERT_EQ(cmd("ZR_Buffer", &delayed), ZR_OK);
  ASSERT_EQ(cmd("ZR_Buffer -l %i", &up, 8 * N), ZR_OK);
  ASSERT_EQ(cmd("ZR_Buffer", &again), ZR_OK);
  ASSERT_EQ(cmd("ZR_Effect_Koef -i %o -o %o -oper mul -k 0.5", &koef, in, half), ZR_OK);
  ASSERT_EQ(cmd("ZR_Effect_Nshift -i %o -o %o", &ns, half, delayed), ZR_OK);
  ASSERT_EQ(cmd("ZR_Effect_Oversam -i %o -o %o", &os, delayed, up), ZR_OK);
  ASSERT_EQ(cmd("ZR_Effect_Freqmul -i %o -o %o -k 1", &fm, delayed, again), ZR_OK);
  for (ZR_Effect* s : {koef, ns, os, fm}) ASSERT_EQ(cmd("ZR_Effect %o -clock 48000", s), ZR_OK);
  endPipe();
  std::vector<int32_t> v = randomSamples(N * 40, 31), d(v.size());
  OversamModel om;
  for (size_t at = 0; at < v.size(); at += N) {
    std::copy(v.begin() + at, v.begin() + at + N, in->data);
    pipe->process();
    for (size_t t = at; t < at + N; ++t) {
      int32_t h = t >= 512 ? v[t - 512] : 0;
      int64_t p = int64_t(h) * 8454660;  // k 0.5 -> 0.5 x 2^31 / 127
      int32_t scaled = static_cast<int32_t>(p >= 0 ? p / 16777216 : -((-p + 16777215) / 16777216));
      d[t] = static_cast<int32_t>(static_cast<uint32_t>(scaled) & ~16383u);
      ASSERT_EQ(delayed->data[t - at], d[t]) << t;
      const int lag = 960 + N + 1;
      ASSERT_EQ(again->data[t - at], t >= size_t(lag) ? d[t - lag] : 0) << t;
    }
    for (int i = 0; i < 8 * N; ++i) ASSERT_EQ(up->data[i], om.step(i, &d[at])) << at << " " << i;
  }
}

}  // namespace
