#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <cstring>
#include <functional>
#include <limits>
#include <algorithm>
#include <list>
#include <random>
#include <string>
#include <vector>

#include "ZR_deline.h"

namespace {

// ---------------------------------------------------------------- reference arithmetic
//
// Written from the definitions with plain integer division, independent of
// the shifts the stage uses.

int32_t wrap(int64_t v) {
  uint64_t u = static_cast<uint64_t>(v) & 0xffffffffu;
  return u >= 0x80000000u ? static_cast<int32_t>(static_cast<int64_t>(u) - 0x100000000LL) : static_cast<int32_t>(u);
}

// floor(a * b / 2^k), reduced to 32 bits.
int32_t floorMul(int32_t a, int32_t b, int k) {
  int64_t p = static_cast<int64_t>(a) * b;
  int64_t d = int64_t{1} << k;
  int64_t q = p / d;
  if (p % d != 0 && p < 0) --q;
  return wrap(q);
}

int32_t combine(const std::string& mode, int32_t o, int32_t r) {
  int64_t O = o, R = r;
  if (mode == "set") return r;
  if (mode == "add") return wrap(O + R);
  if (mode == "sub") return wrap(O - R);
  if (mode == "stn") return wrap(-R);
  if (mode == "adn") return wrap(-(O + R));
  return wrap(R - O);  // "sbn"
}

// Raw fixed-point values as the handlers derive them from a float.
int32_t rawGain(double v) { return static_cast<int32_t>(std::trunc(static_cast<double>(static_cast<float>(v)) * 8388607.0)); }
int32_t rawAmplitude(double v) {
  return static_cast<int32_t>(std::trunc(static_cast<double>(static_cast<float>(v)) * 2147483647.0));
}

// A plain delay line: memory, write position, groups of taps.
struct ModelTap {
  int delay;
  int32_t amplitude;
};
struct ModelGroup {
  std::vector<ModelTap> taps;
  int32_t gain;
  int32_t feedback;
  int output;  // index into the outputs, or -1
};
struct Model {
  std::vector<int32_t> memory = std::vector<int32_t>(65536, 0);
  int pos = 0;
  std::vector<ModelGroup> groups;
  std::string mode = "set";

  void run(const std::vector<int32_t>& in, std::vector<std::vector<int32_t>>& outputs) {
    for (size_t j = 0; j < in.size(); ++j) {
      int64_t acc = in[j];
      for (const ModelGroup& g : groups) {
        int64_t sum = 0;
        for (const ModelTap& t : g.taps) sum += floorMul(memory[(pos + t.delay + 1) % 65536], t.amplitude, 31);
        int32_t s = wrap(sum);
        int32_t y = floorMul(s, g.gain, 23);
        if (g.output >= 0) outputs[g.output][j] = combine(mode, outputs[g.output][j], y);
        acc += floorMul(s, g.feedback, 23);
      }
      memory[pos] = wrap(acc);
      pos = (pos + 65535) % 65536;
    }
  }
};

// ---------------------------------------------------------------- fixture

class Deline : public ::testing::Test {
 protected:
  ZR_Soundpipe* pipe = nullptr;
  ZR_Buffer* in = nullptr;
  ZR_Effect_Deline* line = nullptr;
  std::list<std::string> lines;  // objects keep the line that created them

  void TearDown() override {
    ZR_Object::deleteAll();
    EXPECT_EQ(ZR_currentpipe, nullptr);
  }

  template <class... A>
  ZR_error run(const char* command, A... args) {
    lines.emplace_back(command);
    return spcpp(&lines.back()[0], args...);
  }

  // A pipe of n samples per block with an input buffer and a delay line on it.
  void build(int n, bool withInput = true) {
    int32_t began = -1;
    ASSERT_EQ(run("ZR_Soundpipe -bl %i -b", &pipe, n, &began), ZR_OK);
    in = makeBuffer();
    if (withInput) ASSERT_EQ(run("ZR_Effect_Deline -i %o", &line, in), ZR_OK);
    else ASSERT_EQ(run("ZR_Effect_Deline", &line), ZR_OK);
    ASSERT_NE(line, nullptr);
  }
  void endPipe() {
    int32_t ended = -1;
    ASSERT_EQ(run("%o -e", pipe, &ended), ZR_OK);
    EXPECT_EQ(ended, 1);
  }
  ZR_Buffer* makeBuffer() {
    ZR_Buffer* b = nullptr;
    EXPECT_EQ(run("ZR_Buffer", &b), ZR_OK);
    return b;
  }
  ZR_Buffer* makeFixedBuffer(int length) {
    ZR_Buffer* b = nullptr;
    EXPECT_EQ(run("ZR_Buffer -l %i", &b, length), ZR_OK);
    return b;
  }
  ZR_word addGroup(ZR_Buffer* out) {
    ZR_word g = 0;
    EXPECT_EQ(run("%o -g -go %o", line, &g, out), ZR_OK);
    EXPECT_NE(g, 0);
    return g;
  }
  ZR_word addTap(int delay, double amplitude) {
    ZR_word t = 0;
    EXPECT_EQ(run("%o -d -dt %i -da %f", line, &t, delay, amplitude), ZR_OK);
    EXPECT_NE(t, 0);
    return t;
  }
  int32_t queryInt(const char* command) {
    int32_t r = 12345;
    EXPECT_EQ(run(command, line, &r), ZR_OK);
    return r;
  }
  float queryFloat(const char* command) {
    int32_t bits = 12345;
    EXPECT_EQ(run(command, line, &bits), ZR_OK);
    float f;
    std::memcpy(&f, &bits, sizeof f);
    return f;
  }
  ZR_word queryObject(const char* command) {
    ZR_word r = 12345;
    EXPECT_EQ(run(command, line, &r), ZR_OK);
    return r;
  }
  void feed(const std::vector<int32_t>& x) {
    ASSERT_EQ(static_cast<int>(x.size()), in->blockLength());
    std::copy(x.begin(), x.end(), in->data);
  }
  static std::vector<int32_t> contents(const ZR_Buffer* b) { return std::vector<int32_t>(b->data, b->data + b->blockLength()); }
};

// ---------------------------------------------------------------- golden cases

TEST_F(Deline, OneSampleDelayRoundsTowardMinusInfinityAtBothSteps) {
  build(8);
  ZR_Buffer* out = makeBuffer();
  endPipe();
  addGroup(out);
  addTap(0, 1.0);
  EXPECT_EQ(queryInt("%o -ga"), 8388607);
  EXPECT_EQ(queryInt("%o -gf"), 0);

  const std::vector<int32_t> x = {1 << 30, -(1 << 30), 12345, -1, 1, INT32_MAX, INT32_MIN, -12345};
  feed(x);
  pipe->process();
  std::vector<int32_t> y = contents(out);
  // Sample j is input j - 1 times (2^31-1)/2^31, then (2^23-1)/2^23, each floored.
  const std::vector<int32_t> golden = {0, 1073741695, -1073741696, 12343, -1, 0, 2147483390, -2147483392};
  EXPECT_EQ(y, golden);
  for (size_t j = 1; j < x.size(); ++j)
    EXPECT_EQ(y[j], floorMul(floorMul(x[j - 1], INT32_MAX, 31), 8388607, 23)) << j;

  // The last input of the block comes out first in the next one.
  feed(std::vector<int32_t>(8, 0));
  pipe->process();
  EXPECT_EQ(out->data[0], -12345);
  for (int j = 1; j < 8; ++j) EXPECT_EQ(out->data[j], 0);
}

TEST_F(Deline, FixedPointParametersScaleAndTruncateTowardZero) {
  build(4);
  endPipe();
  addGroup(nullptr);
  addTap(0, 0.0);
  const double nan = std::numeric_limits<double>::quiet_NaN();
  struct Case {
    const char* param;  // "ga", "gf" or "da"
    double value;
    int32_t raw;
  } cases[] = {
      {"ga", 0.5, 4194303},     {"ga", -1.0, -8388607},          {"ga", -0.3, -2516582},
      {"ga", 1e30, INT32_MAX},  {"ga", -1e30, INT32_MIN},        {"gf", 0.5, 4194303},
      {"gf", 0.5000001192092896, 4194304},                       {"gf", -0.25, -2097151},
      {"gf", nan, 0},           {"da", 0.5, 1073741823},         {"da", -1.0, -2147483647},
      {"da", 0.1, 214748367},   {"da", 2.0, INT32_MAX},          {"da", -0.3, -644245119},
  };
  for (const Case& c : cases) {
    const std::string param = c.param;
    ASSERT_EQ(run(("%o -" + param + " %f").c_str(), line, c.value), ZR_OK);
    ZR_Effect_Deline_Group* g = line->currentGroup;
    int32_t raw = param == "ga" ? g->gain : param == "gf" ? g->feedback : g->currentTap->amplitude;
    EXPECT_EQ(raw, c.raw) << param << " " << c.value;
    if (std::isfinite(c.value) && std::fabs(c.value) <= 1.0) {
      EXPECT_EQ(raw, param == "da" ? rawAmplitude(c.value) : rawGain(c.value)) << param << " " << c.value;
    }
    if (param != "da") {
      EXPECT_EQ(queryInt(("%o -" + param).c_str()), c.raw);
    }
  }
  // Integers are numbers, converted and scaled like floats.
  struct IntCase {
    const char* param;
    int value;
    int32_t raw;
  } ints[] = {{"ga", 1, 8388607}, {"ga", 2, 16777214}, {"gf", -1, -8388607}, {"da", 1, INT32_MAX}, {"da", -1, -INT32_MAX}};
  for (const IntCase& c : ints) {
    const std::string param = c.param;
    ASSERT_EQ(run(("%o -" + param + " %i").c_str(), line, c.value), ZR_OK);
    ZR_Effect_Deline_Group* g = line->currentGroup;
    EXPECT_EQ(param == "ga" ? g->gain : param == "gf" ? g->feedback : g->currentTap->amplitude, c.raw) << param;
  }
}

// ---------------------------------------------------------------- delays

TEST_F(Deline, DelayWordsFromSecondsOrSamplesAreTruncatedAndClamped) {
  build(4);
  endPipe();
  addGroup(nullptr);
  const double nan = std::numeric_limits<double>::quiet_NaN();
  struct Case {
    bool seconds;
    double value;
    int clock;
    int32_t word;
  } cases[] = {
      {true, 0.5, 44100, 22050},    {false, 22050, 44100, 22050}, {false, 22050, 8000, 22050},
      {true, 0.5, 8000, 4000},      {true, 0.00999, 44100, 440},  {false, 0, 44100, 0},
      {false, -5, 44100, 0},        {false, 100000, 44100, 65534}, {false, 65534, 0, 65534},
      {false, 65535, 0, 65534},     {true, -0.25, 44100, 0},      {true, nan, 44100, 0},
      {true, 1e9, 44100, 65534},    {true, 1.5, 0, 0},            {true, 1.48, 44100, 65268},
  };
  for (const Case& c : cases) {
    ASSERT_EQ(run("%o -gc -clock %i", line, c.clock), ZR_OK);
    ZR_word tap = 0;
    if (c.seconds) ASSERT_EQ(run("%o -d -dt %f", line, &tap, c.value), ZR_OK);
    else ASSERT_EQ(run("%o -d -dt %i", line, &tap, static_cast<int>(c.value)), ZR_OK);
    auto* t = reinterpret_cast<ZR_Effect_Deline_Group_Delay*>(tap);
    EXPECT_EQ(t->inSamples, c.seconds ? 0 : 1);
    // The query gives the delay as it was set, not the compiled word.
    float given = queryFloat("%o -dt");
    if (std::isnan(c.value)) {
      EXPECT_TRUE(std::isnan(given));
    } else {
      EXPECT_EQ(given, static_cast<float>(c.seconds ? c.value : static_cast<int>(c.value)));
    }
    pipe->process();
    ASSERT_EQ(t->delaySlot, &line->program[0]);
    EXPECT_EQ(line->program[0], c.word) << c.value << " at " << c.clock;
    double expected = c.seconds ? static_cast<double>(c.clock) * static_cast<float>(c.value) : static_cast<int>(c.value);
    if (!std::isnan(expected)) {
      EXPECT_EQ(line->program[0], std::trunc(std::min(65534.0, std::max(0.0, expected))));
    }
  }
}

TEST_F(Deline, ImpulseComesOutDelayPlusOneSamplesLater) {
  struct Case {
    bool seconds;
    double value;
    int clock;
    int at;
  } cases[] = {{true, 0.5, 44100, 22051}, {false, 22050, 8000, 22051}, {false, 65534, 44100, 65535}, {false, 0, 0, 1}};
  for (const Case& c : cases) {
    ZR_Object::deleteAll();
    build(512);
    ZR_Buffer* out = makeBuffer();
    endPipe();
    addGroup(out);
    ASSERT_EQ(run("%o -clock %i", line, c.clock), ZR_OK);
    ZR_word tap = 0;
    if (c.seconds) ASSERT_EQ(run("%o -d -dt %f -da %f", line, &tap, c.value, 1.0), ZR_OK);
    else ASSERT_EQ(run("%o -d -dt %i -da %f", line, &tap, static_cast<int>(c.value), 1.0), ZR_OK);
    std::vector<int32_t> heard;
    for (int block = 0; block * 512 <= c.at + 512; ++block) {
      std::vector<int32_t> x(512, 0);
      if (block == 0) x[0] = 1 << 30;
      feed(x);
      pipe->process();
      std::vector<int32_t> y = contents(out);
      heard.insert(heard.end(), y.begin(), y.end());
    }
    for (size_t j = 0; j < heard.size(); ++j)
      ASSERT_EQ(heard[j], static_cast<int>(j) == c.at ? 1073741695 : 0) << "sample " << j << ", delay " << c.value;
  }
}

TEST_F(Deline, ClockChangeRecompilesSecondsDelaysBeforeTheNextBlock) {
  build(16);
  ZR_Buffer* a = makeBuffer();
  ZR_Buffer* b = makeBuffer();
  endPipe();
  ASSERT_EQ(run("%o -clock %i", line, 4000), ZR_OK);
  addGroup(a);
  ZR_word tap = 0;
  ASSERT_EQ(run("%o -d -dt %f -da %f", line, &tap, 0.001, 1.0), ZR_OK);  // 4 samples at 4000 Hz
  addGroup(b);
  addTap(6, 1.0);  // samples: independent of the clock

  auto impulseBlock = [&] {
    std::vector<int32_t> x(16, 0);
    x[0] = 1 << 30;
    feed(x);
    pipe->process();
  };
  auto only = [](int at) {
    std::vector<int32_t> v(16, 0);
    v[at] = 1073741695;
    return v;
  };
  impulseBlock();
  EXPECT_EQ(contents(a), only(5));
  EXPECT_EQ(contents(b), only(7));

  ASSERT_EQ(run("%o -clock %i", line, 8000), ZR_OK);
  EXPECT_EQ(line->ready, 0);
  impulseBlock();
  EXPECT_EQ(contents(a), only(9));
  EXPECT_EQ(contents(b), only(7));
  EXPECT_EQ(line->program[0], 8);
}

TEST_F(Deline, DelayAndAmplitudeSettingsReachTheCompiledProgramAtOnce) {
  build(4);
  endPipe();
  ASSERT_EQ(run("%o -clock %i", line, 4000), ZR_OK);
  addGroup(nullptr);
  ZR_word tap = addTap(3, 0.5);
  auto* t = reinterpret_cast<ZR_Effect_Deline_Group_Delay*>(tap);
  EXPECT_EQ(t->delaySlot, nullptr);  // not compiled yet
  pipe->process();
  ASSERT_EQ(t->delaySlot, &line->program[0]);
  ASSERT_EQ(t->amplitudeSlot, &line->program[1]);
  EXPECT_EQ(line->program[0], 3);
  EXPECT_EQ(line->program[1], 1073741823);
  struct Step {
    const char* command;
    double value;
    bool isInt;
    ZR_word delayWord, amplitudeWord;
  } steps[] = {
      {"%o -dt %i", 9, true, 9, 1073741823},        {"%o -dt %f", 0.002, false, 8, 1073741823},
      {"%o -dt %i", 70000, true, 65534, 1073741823}, {"%o -da %f", -0.3, false, 65534, -644245119},
      {"%o -da", 0, false, 65534, 0},
  };
  for (const Step& s : steps) {
    if (std::string(s.command) == "%o -da") EXPECT_EQ(queryInt(s.command), 0);
    else if (s.isInt) ASSERT_EQ(run(s.command, line, static_cast<int>(s.value)), ZR_OK);
    else ASSERT_EQ(run(s.command, line, s.value), ZR_OK);
    EXPECT_EQ(line->program[0], s.delayWord) << s.command << " " << s.value;
    EXPECT_EQ(line->program[1], s.amplitudeWord) << s.command << " " << s.value;
  }
}

// ---------------------------------------------------------------- feedback, modes, taps

TEST_F(Deline, FeedbackReturnsTheImpulseEveryDelayPlusOneSamplesHalved) {
  build(64);
  ZR_Buffer* out = makeBuffer();
  endPipe();
  addGroup(out);
  ASSERT_EQ(run("%o -gf %f", line, 0.5000001192092896), ZR_OK);
  ASSERT_EQ(queryInt("%o -gf"), 4194304);  // exactly one half
  addTap(3, 1.0);
  std::vector<int32_t> x(64, 0);
  x[0] = 1 << 24;
  feed(x);
  pipe->process();
  // Each return is the tap sum (memory x (2^31-1)/2^31, floored) times the
  // gain; the memory then receives half of that sum, floored.
  const int32_t golden[15] = {16777213, 8388605, 4194301, 2097149, 1048573, 524285, 262141, 131069,
                              65533,    32765,   16381,   8189,    4093,    2045,    1021};
  std::vector<int32_t> expected(64, 0);
  for (int k = 0; k < 15; ++k) expected[4 * (k + 1)] = golden[k];
  EXPECT_EQ(contents(out), expected);
  // The same from the definition.
  int32_t m = 1 << 24;
  for (int k = 0; k < 15; ++k) {
    int32_t sum = floorMul(m, INT32_MAX, 31);
    EXPECT_EQ(golden[k], floorMul(sum, 8388607, 23));
    m = floorMul(sum, 4194304, 23);
  }
}

TEST_F(Deline, EveryModeCombinesEachGroupResultIntoItsOutput) {
  const std::vector<int32_t> x = {1 << 30, -(1 << 30), 12345, -1, 1, INT32_MAX, INT32_MIN, -12345};
  const std::vector<int32_t> o = {7, INT32_MAX, -5, 1000, INT32_MIN, -7, 300, -300};
  const std::vector<int32_t> y = {0, 1073741695, -1073741696, 12343, -1, 0, 2147483390, -2147483392};
  struct Case {
    const char* mode;
    std::vector<int32_t> golden;  // empty: checked against the definition only
  } cases[] = {
      {"set", y},
      {"add", {7, -1073741954, -1073741701, 13343, 2147483647, -7, -2147483606, 2147483604}},
      {"sub", {}},
      {"stn", {0, -1073741695, 1073741696, -12343, 1, 0, -2147483390, 2147483392}},
      {"adn", {}},
      {"sbn", {}},
  };
  for (const Case& c : cases) {
    ZR_Object::deleteAll();
    build(8);
    ZR_Buffer* out = makeBuffer();
    endPipe();
    ASSERT_EQ(run("%o -mode %s", line, c.mode), ZR_OK);
    addGroup(out);
    addTap(0, 1.0);
    std::copy(o.begin(), o.end(), out->data);
    feed(x);
    pipe->process();
    std::vector<int32_t> got = contents(out);
    for (size_t j = 0; j < o.size(); ++j) EXPECT_EQ(got[j], combine(c.mode, o[j], y[j])) << c.mode << " " << j;
    if (!c.golden.empty()) {
      EXPECT_EQ(got, c.golden) << c.mode;
    }
  }
}

TEST_F(Deline, ClearingTapsLeavesAnEmptySumWithGainAndFeedback) {
  build(8);
  ZR_Buffer* out = makeBuffer();
  endPipe();
  addGroup(out);
  ASSERT_EQ(run("%o -gf %f", line, 0.5), ZR_OK);
  addTap(0, 1.0);
  addTap(1, 0.5);
  addTap(2, 0.25);
  EXPECT_EQ(line->programLength, 10);
  const std::vector<int32_t> x = {1000, 2000, 3000, 4000, 5000, 6000, 7000, 8000};
  feed(x);
  pipe->process();
  EXPECT_NE(contents(out), std::vector<int32_t>(8, 0));

  // "gc" gives the empty value, so it takes no argument from the line.
  int32_t gain = 0;
  ASSERT_EQ(run("%o -gc -ga", line, &gain), ZR_OK);
  EXPECT_EQ(gain, 8388607);
  EXPECT_EQ(line->programLength, 4);
  EXPECT_EQ(line->currentGroup->taps.count, 0);
  EXPECT_EQ(line->currentGroup->currentTap, nullptr);

  std::fill(out->data, out->data + 8, 777);
  feed(x);
  pipe->process();
  EXPECT_EQ(contents(out), std::vector<int32_t>(8, 0));
  EXPECT_EQ(line->compiledLength, 4);
  EXPECT_EQ(line->program[0], -1);
  EXPECT_EQ(line->program[1], 8388607);
  EXPECT_EQ(line->program[3], 4194303);
  // The memory holds the input alone: the feedback of an empty sum is 0.
  for (int j = 0; j < 8; ++j) EXPECT_EQ(line->memory[65536 - 8 - j], x[j]) << j;
  EXPECT_EQ(line->writePos, 65536 - 16);
}

TEST_F(Deline, AmplitudeQueryWithoutValueSilencesTheTap) {
  build(4);
  ZR_Buffer* out = makeBuffer();
  endPipe();
  addGroup(out);
  addTap(0, 1.0);
  feed({1 << 20, 1 << 20, 1 << 20, 1 << 20});
  pipe->process();
  EXPECT_EQ(out->data[1], floorMul(floorMul(1 << 20, INT32_MAX, 31), 8388607, 23));
  EXPECT_EQ(queryInt("%o -da"), 0);
  EXPECT_EQ(line->currentGroup->currentTap->amplitude, 0);
  feed({1 << 20, 1 << 20, 1 << 20, 1 << 20});
  pipe->process();
  EXPECT_EQ(contents(out), std::vector<int32_t>(4, 0));
}

// ---------------------------------------------------------------- input and lifecycle

TEST_F(Deline, WithoutInputTheLineIsNeverProcessed) {
  build(8, false);
  ZR_Buffer* out = makeBuffer();
  endPipe();
  addGroup(out);
  addTap(0, 1.0);
  // An object that is not a buffer is refused as input.
  EXPECT_EQ(run("%o -i %o", line, pipe), ZR_OK);
  EXPECT_EQ(queryObject("%o -i"), 0);
  std::fill(out->data, out->data + 8, 55);
  feed(std::vector<int32_t>(8, 1 << 20));
  for (int block = 0; block < 2; ++block) {
    pipe->process();
    EXPECT_EQ(line->ready, 0);
    EXPECT_EQ(line->writePos, 0);
    EXPECT_EQ(line->compiledLength, 0);
    EXPECT_EQ(contents(out), std::vector<int32_t>(8, 55));
  }
  ASSERT_EQ(run("%o -i %o", line, in), ZR_OK);
  EXPECT_EQ(queryObject("%o -i"), reinterpret_cast<ZR_word>(in));
  pipe->process();
  EXPECT_EQ(line->writePos, 65536 - 8);
  EXPECT_EQ(out->data[1], floorMul(floorMul(1 << 20, INT32_MAX, 31), 8388607, 23));
}

TEST_F(Deline, ResetClearsTheMemoryAndKeepsTheWritePosition) {
  build(8);
  ZR_Buffer* out = makeBuffer();
  endPipe();
  addGroup(out);
  addTap(10, 1.0);  // the impulse would come out at sample 3 of the next block
  feed({1 << 20, 0, 0, 0, 0, 0, 0, 0});
  pipe->process();
  EXPECT_EQ(line->memory[0], 1 << 20);
  pipe->clear();
  EXPECT_EQ(line->writePos, 65536 - 8);
  for (int i = 0; i < 65536; ++i) ASSERT_EQ(line->memory[i], 0) << i;
  feed(std::vector<int32_t>(8, 0));
  pipe->process();
  EXPECT_EQ(contents(out), std::vector<int32_t>(8, 0));
}

TEST_F(Deline, SwitchingOffWritesTheShadowOfTheOutputThenResets) {
  build(4);
  ZR_Buffer* out = makeBuffer();
  endPipe();
  addGroup(out);
  addTap(0, 1.0);
  feed({1 << 20, 2 << 20, 3 << 20, 4 << 20});
  pipe->process();
  ASSERT_EQ(run("%o -on %i", line, 0), ZR_OK);
  std::fill(out->data, out->data + 4, 5);
  feed({1 << 20, 2 << 20, 3 << 20, 4 << 20});
  pipe->process();
  EXPECT_EQ(out->fade, -1);
  EXPECT_EQ(contents(out), std::vector<int32_t>(4, 5));  // no later reader: main untouched
  auto y = [](int32_t v) { return floorMul(floorMul(v, INT32_MAX, 31), 8388607, 23); };
  const std::vector<int32_t> shadow(out->shadow, out->shadow + 4);
  EXPECT_EQ(shadow, (std::vector<int32_t>{y(4 << 20), y(1 << 20), y(2 << 20), y(3 << 20)}));
  for (int i = 0; i < 65536; ++i) ASSERT_EQ(line->memory[i], 0) << i;  // reset after going off
  const int32_t pos = line->writePos;
  pipe->process();  // off and was off: not processed
  EXPECT_EQ(line->writePos, pos);
}

TEST_F(Deline, DeleteLeavesThePipe) {
  build(4);
  endPipe();
  addGroup(nullptr);
  addTap(1, 0.5);
  addTap(2, 0.5);
  addGroup(nullptr);
  addTap(3, 0.5);
  ASSERT_EQ(pipe->stages.count, 1);
  const int live = ZR_Object::liveCount();
  ASSERT_EQ(run("%o -delete", line), ZR_OK);
  EXPECT_EQ(pipe->stages.count, 0);
  EXPECT_EQ(ZR_Object::liveCount(), live - 1);  // groups and taps are not objects of their own
  pipe->process();
}

// ---------------------------------------------------------------- addressing groups and taps

TEST_F(Deline, ParametersWithoutCurrentGroupOrTapAreIgnored) {
  build(4);
  ZR_Buffer* out = makeBuffer();
  endPipe();
  // Queries give a zero of their type, so each still takes its argument.
  struct Query {
    const char* command;
  } queries[] = {{"%o -go"}, {"%o -ga"}, {"%o -gf"}, {"%o -d"}, {"%o -da"}, {"%o -dt"}};
  for (const Query& q : queries) {
    ZR_word r = 12345;
    ASSERT_EQ(run(q.command, line, &r), ZR_OK) << q.command;
    EXPECT_EQ(static_cast<int32_t>(r), 0) << q.command;
  }
  int32_t ga = 1, gf = 1;
  ASSERT_EQ(run("%o -ga -gf", line, &ga, &gf), ZR_OK);
  EXPECT_EQ(ga, 0);
  EXPECT_EQ(gf, 0);
  ASSERT_EQ(run("%o -go %o -ga %f -gf %f -gc -dt %i -da %f", line, out, 0.5, 0.5, 7, 0.5), ZR_OK);
  EXPECT_EQ(line->groups.count, 0);
  EXPECT_EQ(line->programLength, 0);
  pipe->process();
  EXPECT_EQ(line->compiledLength, 0);

  // A group but no tap: the tap parameters are still ignored.
  addGroup(out);
  ASSERT_EQ(run("%o -dt %i -da %f", line, 7, 0.5), ZR_OK);
  EXPECT_EQ(queryFloat("%o -dt"), 0.0f);
  EXPECT_EQ(line->currentGroup->taps.count, 0);
  EXPECT_EQ(line->programLength, 4);
}

TEST_F(Deline, SelectingGroupsAndTapsAcceptsOnlyTheLinesOwn) {
  build(4);
  ZR_Buffer* a = makeBuffer();
  ZR_Effect_Deline* other = nullptr;
  ASSERT_EQ(run("ZR_Effect_Deline -i %o", &other, in), ZR_OK);
  endPipe();
  ZR_word foreignGroup = 0, foreignTap = 0;
  ASSERT_EQ(run("%o -g -d", other, &foreignGroup, &foreignTap), ZR_OK);

  ZR_word g1 = addGroup(a);
  ZR_word t1 = addTap(1, 0.5);
  ZR_word t2 = addTap(2, 0.5);
  ZR_word g2 = addGroup(nullptr);
  struct Case {
    const char* command;
    ZR_word value;
    ZR_word group;  // current group afterwards
  } groups[] = {
      {"%o -g %o", g1, g1}, {"%o -g %o", foreignGroup, g1}, {"%o -g %o", reinterpret_cast<ZR_word>(a), g1},
      {"%o -g %o", t1, g1}, {"%o -g %o", g2, g2},           {"%o -g %o", 0, 0},
  };
  for (const Case& c : groups) {
    ASSERT_EQ(run(c.command, line, reinterpret_cast<void*>(c.value)), ZR_OK);
    EXPECT_EQ(reinterpret_cast<ZR_word>(line->currentGroup), c.group) << &c - groups;
  }
  EXPECT_EQ(line->groups.count, 2);
  ASSERT_EQ(run("%o -g %o -ga %f", line, reinterpret_cast<void*>(g1), 0.25), ZR_OK);
  EXPECT_EQ(reinterpret_cast<ZR_Effect_Deline_Group*>(g1)->gain, 2097151);
  EXPECT_EQ(reinterpret_cast<ZR_Effect_Deline_Group*>(g2)->gain, 8388607);

  struct TapCase {
    ZR_word value;
    ZR_word tap;
  } taps[] = {{t1, t1}, {foreignTap, t1}, {g1, t1}, {t2, t2}, {0, 0}, {t1, t1}};
  for (const TapCase& c : taps) {
    ASSERT_EQ(run("%o -d %o", line, reinterpret_cast<void*>(c.value)), ZR_OK);
    EXPECT_EQ(reinterpret_cast<ZR_word>(line->currentGroup->currentTap), c.tap) << &c - taps;
  }
  EXPECT_EQ(line->currentGroup->taps.count, 2);
  ASSERT_EQ(run("%o -dt %i", line, 40), ZR_OK);
  EXPECT_EQ(reinterpret_cast<ZR_Effect_Deline_Group_Delay*>(t1)->delay, 40.0f);
  EXPECT_EQ(reinterpret_cast<ZR_Effect_Deline_Group_Delay*>(t2)->delay, 2.0f);
  // A tap of another group of the same line is not the current group's.
  ASSERT_EQ(run("%o -g %o -d %o", line, reinterpret_cast<void*>(g2), reinterpret_cast<void*>(t1)), ZR_OK);
  EXPECT_EQ(reinterpret_cast<ZR_Effect_Deline_Group*>(g2)->currentTap, nullptr);
}

TEST_F(Deline, ChangesLeaveTheLineToBeCompiledAgain) {
  build(4);
  ZR_Buffer* out = makeBuffer();
  endPipe();
  addGroup(out);
  addTap(1, 0.5);
  struct Case {
    const char* what;
    std::function<void()> action;
    int ready;
  } cases[] = {
      {"go query", [&] { queryObject("%o -go"); }, 0},
      {"go set", [&] { run("%o -go %o", line, out); }, 0},
      {"ga set", [&] { run("%o -ga %f", line, 0.5); }, 0},
      {"gf set", [&] { run("%o -gf %f", line, 0.5); }, 0},
      {"dt query", [&] { queryFloat("%o -dt"); }, 0},
      {"dt set", [&] { run("%o -dt %i", line, 3); }, 0},
      {"da set", [&] { run("%o -da %f", line, 0.5); }, 0},
      {"da query", [&] { queryInt("%o -da"); }, 0},
      {"clock", [&] { run("%o -clock %i", line, 48000); }, 0},
      {"i", [&] { run("%o -i %o", line, in); }, 0},
      {"d new", [&] { queryObject("%o -d"); }, 0},
      {"g new", [&] { queryObject("%o -g"); }, 0},
      {"gc", [&] { run("%o -gc", line); }, 0},
      {"ga query", [&] { queryInt("%o -ga"); }, 1},
      {"gf query", [&] { queryInt("%o -gf"); }, 1},
  };
  for (const Case& c : cases) {
    line->prepare();
    ASSERT_EQ(line->ready, 1);
    c.action();
    EXPECT_EQ(line->ready, c.ready) << c.what;
  }
}

// ---------------------------------------------------------------- limits

TEST_F(Deline, FullProgramRefusesNewGroupsAndTaps) {
  build(4);
  ZR_Buffer* out = makeBuffer();
  ZR_Effect_Deline* wide = nullptr;
  ASSERT_EQ(run("ZR_Effect_Deline -i %o", &wide, in), ZR_OK);
  endPipe();

  // Groups: 4096 of 4 words fill the program.
  ZR_word first = 0;
  for (int i = 0; i < 4096; ++i) {
    ZR_word g = queryObject("%o -g");
    ASSERT_NE(g, 0) << i;
    if (i == 0) first = g;
  }
  EXPECT_EQ(line->programLength, 16384);
  EXPECT_EQ(queryObject("%o -g"), 0);
  EXPECT_EQ(line->currentGroup, nullptr);  // what follows cannot alter another group
  EXPECT_EQ(line->groups.count, 4096);
  EXPECT_EQ(line->programLength, 16384);
  ASSERT_EQ(run("%o -ga %f", line, 0.5), ZR_OK);
  ZR_CHAIN_FOR(ZR_Effect_Deline_Group, g, line->groups) {
    ASSERT_EQ(g->gain, 8388607);
  }
  ASSERT_EQ(run("%o -g %o", line, reinterpret_cast<void*>(first)), ZR_OK);
  EXPECT_EQ(queryObject("%o -d"), 0);  // no room for a tap either
  EXPECT_EQ(line->programLength, 16384);
  pipe->process();
  EXPECT_EQ(line->compiledLength, 16384);

  // Taps: one group and 8190 taps fill it.
  ZR_Effect_Deline* keep = line;
  line = wide;
  addGroup(out);
  for (int i = 0; i < 8190; ++i) ASSERT_NE(queryObject("%o -d"), 0) << i;
  EXPECT_EQ(line->programLength, 16384);
  EXPECT_EQ(queryObject("%o -d"), 0);
  EXPECT_EQ(line->currentGroup->currentTap, nullptr);
  EXPECT_EQ(line->currentGroup->taps.count, 8190);
  EXPECT_EQ(queryObject("%o -g"), 0);
  ASSERT_EQ(run("%o -g %o", line, line->groups.first()->data), ZR_OK);
  ASSERT_EQ(run("%o -da %f", line, 1.0), ZR_OK);  // no current tap: ignored
  pipe->process();
  EXPECT_EQ(line->compiledLength, 16384);
  EXPECT_EQ(line->program[16380], -1);
  // Clearing the taps makes room again.
  ASSERT_EQ(run("%o -gc", line), ZR_OK);
  EXPECT_EQ(line->programLength, 4);
  EXPECT_NE(queryObject("%o -d"), 0);
  EXPECT_EQ(line->programLength, 6);
  (void)keep;
}

TEST_F(Deline, GroupOutputShorterThanTheBlockIsLeftAlone) {
  build(8);
  endPipe();
  addGroup(nullptr);
  addTap(0, 1.0);
  Model model;
  model.groups.push_back({{{0, INT32_MAX}}, 8388607, 0, 0});
  struct Case {
    int length;   // fixed length of the output, 0: no samples
    int written;  // samples written at its end
  } cases[] = {{4, 0}, {7, 0}, {8, 8}, {16, 8}, {0, 0}, {9, 8}};
  int block = 0;
  for (const Case& c : cases) {
    ZR_Buffer* out = makeFixedBuffer(c.length);
    ASSERT_EQ(run("%o -go %o", line, out), ZR_OK);
    std::fill(out->data, out->data + out->count, 99);
    std::vector<int32_t> x(8);
    for (int j = 0; j < 8; ++j) x[j] = (block * 8 + j + 1) << 16;
    ++block;
    feed(x);
    std::vector<std::vector<int32_t>> y(1, std::vector<int32_t>(8, 0));
    model.run(x, y);
    pipe->process();
    EXPECT_EQ(line->program[4], c.written ? reinterpret_cast<ZR_word>(out->data + c.length) : 0) << c.length;
    for (int i = 0; i < out->count; ++i) {
      int fromEnd = out->count - i;
      int32_t want = fromEnd <= c.written ? y[0][8 - fromEnd] : 99;
      EXPECT_EQ(out->data[i], want) << "length " << c.length << " sample " << i;
    }
  }
}

// ---------------------------------------------------------------- against the model

class DelineModel : public Deline {
 protected:
  void check(const std::string& mode, int n, int blocks, uint32_t seed) {
    std::mt19937 rng(seed);
    auto uniform = [&](double lo, double hi) { return std::uniform_real_distribution<double>(lo, hi)(rng); };
    auto delay = [&](int hi) { return std::uniform_int_distribution<int>(0, hi)(rng); };

    build(n);
    ZR_Buffer* outputs[2] = {makeBuffer(), makeBuffer()};
    endPipe();
    ASSERT_EQ(run("%o -mode %s", line, mode.c_str()), ZR_OK);

    Model model;
    model.mode = mode;
    // Group 0: two taps into output 0.  Group 1: the longest delay, a short
    // one and delay 0 into output 1.  Group 2: no taps, also into output 0.
    // Group 3: one tap, feedback only.
    struct Plan {
      int output;
      std::vector<int> delays;
    } plans[] = {{0, {delay(300), delay(300)}}, {1, {65534, delay(2000), 0}}, {0, {}}, {-1, {delay(5000)}}};
    for (const Plan& p : plans) {
      double gain = uniform(-1.5, 1.5), feedback = uniform(-0.3, 0.3);
      ZR_word g = 0;
      ASSERT_EQ(run("%o -g -go %o -ga %f -gf %f", line, &g, p.output >= 0 ? outputs[p.output] : nullptr, gain,
                    feedback),
                ZR_OK);
      ModelGroup mg{{}, rawGain(gain), rawGain(feedback), p.output};
      for (int d : p.delays) {
        double amplitude = uniform(-1.0, 1.0);
        addTap(d, amplitude);
        mg.taps.push_back({d, rawAmplitude(amplitude)});
      }
      model.groups.push_back(mg);
    }

    std::uniform_int_distribution<int32_t> sample(INT32_MIN, INT32_MAX);
    std::vector<std::vector<int32_t>> expected(2, std::vector<int32_t>(static_cast<size_t>(n)));
    for (int b = 0; b < blocks; ++b) {
      std::vector<int32_t> x(static_cast<size_t>(n));
      for (int32_t& v : x) v = sample(rng) >> (b % 3 == 0 ? 0 : 4);
      feed(x);
      for (int k = 0; k < 2; ++k) {
        for (int32_t& v : expected[k]) v = sample(rng);
        std::copy(expected[k].begin(), expected[k].end(), outputs[k]->data);
      }
      model.run(x, expected);
      pipe->process();
      for (int k = 0; k < 2; ++k) ASSERT_EQ(contents(outputs[k]), expected[k]) << mode << " block " << b << " output " << k;
      ASSERT_EQ(line->writePos, model.pos);
    }
    ASSERT_TRUE(std::equal(model.memory.begin(), model.memory.end(), line->memory));
  }
};

TEST_F(DelineModel, EveryModeMatchesThePlainModel) {
  const char* modes[] = {"set", "add", "sub", "stn", "adn", "sbn"};
  uint32_t seed = 11;
  for (const char* m : modes) {
    ZR_Object::deleteAll();
    check(m, 37, 60, seed++);
  }
}

TEST_F(DelineModel, LongRunAcrossTheMemoryWrapMatchesThePlainModel) { check("add", 1023, 70, 5); }
}  // namespace
