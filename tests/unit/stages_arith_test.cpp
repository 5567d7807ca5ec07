// Arithmetic and routing stages, driven through commands and checked
// against scalar models written here and exact values.
#include <climits>
#include <cmath>
#include <limits>

#include "ZR_effect_arith.h"
#include "stage_fixture.h"

namespace {

const int32_t kMin = INT32_MIN;
const int32_t kMax = INT32_MAX;

// Oper on inputs a and b into out1, Koef on a into out2, in one pipe.
struct OperGraph {
  ZR_Buffer *a, *b, *out1, *out2;
  ZR_Effect_Oper* oper = nullptr;
  ZR_Effect_Koef* koef = nullptr;
};

class StageArith : public StageFixture {
 protected:
  static const int N = 16;
  void SetUp() override { makePipe(N); }

  OperGraph operGraph() {
    OperGraph g;
    g.a = makeBuffer();
    g.b = makeBuffer();
    g.out1 = makeBuffer();
    g.out2 = makeBuffer();
    EXPECT_EQ(cmd("ZR_Effect_Oper -i1 %o -i2 %o -o %o", &g.oper, g.a, g.b, g.out1), ZR_OK);
    EXPECT_EQ(cmd("ZR_Effect_Koef -i %o -o %o", &g.koef, g.a, g.out2), ZR_OK);
    endPipe();
    return g;
  }
};

// ---------------------------------------------------------------- models

int32_t sat(int64_t v) { return v > kMax ? kMax : (v < kMin ? kMin : static_cast<int32_t>(v)); }

// The operators written out plainly; `koef` picks the constant
// stage's wrapping "add" and its zero-is-negative sign rule.
int32_t modelOper(const std::string& op, int32_t a, int32_t b, bool koef) {
  if (op == "add") return koef ? StageFixture::wadd(a, b) : sat(static_cast<int64_t>(a) + static_cast<int64_t>(b));
  if (op == "sub") return StageFixture::wsub(a, b);
  if (op == "mul") {
    // floor(a * b / 2^24) without relying on shifts of negative numbers
    int64_t p = static_cast<int64_t>(a) * static_cast<int64_t>(b);
    int64_t q = p / 16777216;
    if (p % 16777216 != 0 && p < 0) --q;
    return sat(q);
  }
  uint64_t ma = a < 0 ? static_cast<uint64_t>(-static_cast<int64_t>(a)) : static_cast<uint64_t>(a);
  uint64_t mb = b < 0 ? static_cast<uint64_t>(-static_cast<int64_t>(b)) : static_cast<uint64_t>(b);
  uint64_t q = (ma + 1) * 16777216u / (mb + 1);
  int signA = koef ? (a > 0 ? 1 : -1) : (a >= 0 ? 1 : -1);
  int signB = koef ? (b > 0 ? 1 : -1) : (b >= 0 ? 1 : -1);
  bool negative = signA * signB < 0;
  if (q > 2147483647u) return negative ? kMin : kMax;
  return negative ? -static_cast<int32_t>(q) : static_cast<int32_t>(q);
}

// ---------------------------------------------------------------- operators

struct OperCase {
  const char* op;
  int32_t a, b;
  int32_t oper;  // ZR_Effect_Oper
  int32_t koef;  // ZR_Effect_Koef
};

const OperCase kOperCases[] = {
    {"add", kMax, 1, kMax, kMin},                // saturated / wrapping
    {"add", kMin, -1, kMin, kMax},
    {"add", 5, -7, -2, -2},
    {"sub", kMin, 1, kMax, kMax},                // wraps in both
    {"sub", 100, 30, 70, 70},
    {"mul", 1 << 30, 1 << 24, 1 << 30, 1 << 30}, // 2^24 is 1.0
    {"mul", kMax, kMax, kMax, kMax},             // saturates
    {"mul", kMin, kMax, kMin, kMin},
    {"mul", -3, 1 << 23, -2, -2},                // -1.5 rounds toward minus infinity
    {"mul", 3, 1 << 23, 1, 1},
    {"div", 0, 0, 1 << 24, 1 << 24},             // both zeros negative for Koef: positive
    {"div", 0, 5, 2796202, -2796202},            // 2^24 / 6; Koef counts the 0 sample negative
    {"div", 7, 0, 134217728, -134217728},        // a zero divisor is |0| + 1
    {"div", 1 << 20, -1, kMin, kMin},            // (2^20 + 1) * 2^24 / 2 saturates
    {"div", -5, -3, 25165824, 25165824},         // 6 * 2^24 / 4
    {"div", (1 << 24) - 1, (1 << 24) - 1, 1 << 24, 1 << 24},
    {"div", kMin, kMin, 1 << 24, 1 << 24},       // |-2^31| is 2^31
    {"div", kMin, (1 << 24) - 1, kMin, kMin},    // 2^31 + 1 does not fit
    {"div", kMin, kMax, -16777216, -16777216},   // floor((2^31 + 1) * 2^24 / 2^31)
    {"div", kMax, kMin, -16777215, -16777215},
    {"div", kMax, 0, kMax, kMin},
};

TEST_F(StageArith, OperatorTableBothClasses) {
  OperGraph g = operGraph();
  ZR_Buffer *a = g.a, *b = g.b, *out1 = g.out1, *out2 = g.out2;
  ZR_Effect_Oper* oper = g.oper;
  ZR_Effect_Koef* koef = g.koef;
  ASSERT_NE(oper, nullptr);
  ASSERT_NE(koef, nullptr);
  for (const OperCase& c : kOperCases) {
    SCOPED_TRACE(std::string(c.op) + " " + std::to_string(c.a) + " " + std::to_string(c.b));
    ASSERT_EQ(cmd("%o -oper %s", oper, c.op), ZR_OK);
    ASSERT_EQ(cmd("%o -oper %s", koef, c.op), ZR_OK);
    EXPECT_EQ(queryText(oper, "oper"), c.op);
    fillAll(a, c.a);
    fillAll(b, c.b);
    koef->coefficient = c.b;
    pipe->process();
    EXPECT_EQ(out1->data[0], c.oper);
    EXPECT_EQ(out1->data[N - 1], c.oper);
    EXPECT_EQ(out2->data[0], c.koef);
    // The written-out model agrees with the table.
    EXPECT_EQ(modelOper(c.op, c.a, c.b, false), c.oper);
    EXPECT_EQ(modelOper(c.op, c.a, c.b, true), c.koef);
  }
}

TEST_F(StageArith, OperatorsAndModesAgainstModel) {
  OperGraph g = operGraph();
  ZR_Buffer *a = g.a, *b = g.b, *out1 = g.out1, *out2 = g.out2;
  ZR_Effect_Oper* oper = g.oper;
  ZR_Effect_Koef* koef = g.koef;
  ASSERT_NE(oper, nullptr);
  ASSERT_NE(koef, nullptr);
  const char* ops[] = {"add", "sub", "mul", "div"};
  for (const char* op : ops)
    for (const std::string& mode : modes())
      for (int bits : {32, 26, 12}) {
        SCOPED_TRACE(std::string(op) + " " + mode + " bits " + std::to_string(bits));
        ASSERT_EQ(cmd("%o -oper %s -mode %s", oper, op, mode.c_str()), ZR_OK);
        ASSERT_EQ(cmd("%o -oper %s -mode %s", koef, op, mode.c_str()), ZR_OK);
        std::vector<int32_t> va = randomSamples(N, bits), vb = randomSamples(N, bits);
        va[0] = 0;
        vb[1] = 0;
        std::vector<int32_t> o1 = randomSamples(N), o2 = randomSamples(N);
        fill(a, va);
        fill(b, vb);
        fill(out1, o1);
        fill(out2, o2);
        koef->coefficient = vb[2];
        pipe->process();
        for (int j = 0; j < N; ++j) {
          ASSERT_EQ(out1->data[j], combine(mode, o1[j], modelOper(op, va[j], vb[j], false))) << j;
          ASSERT_EQ(out2->data[j], combine(mode, o2[j], modelOper(op, va[j], vb[2], true))) << j;
        }
      }
}

TEST_F(StageArith, OperNamesOutsideTheListKeepTheOperator) {
  ZR_Effect_Oper* oper = nullptr;
  ZR_Effect_Koef* koef = nullptr;
  ASSERT_EQ(cmd("ZR_Effect_Oper -oper mul", &oper), ZR_OK);
  ASSERT_EQ(cmd("ZR_Effect_Koef -oper div", &koef), ZR_OK);
  for (const char* bad : {"Mul", "muls", "", "set"}) {
    ASSERT_EQ(cmd("%o -oper %s", oper, bad), ZR_OK);
    ASSERT_EQ(cmd("%o -oper %s", koef, bad), ZR_OK);
    EXPECT_EQ(queryText(oper, "oper"), "mul");
    EXPECT_EQ(queryText(koef, "oper"), "div");
  }
  ASSERT_EQ(cmd("%o -oper 2", oper), ZR_OK);  // not text
  EXPECT_EQ(queryText(oper, "oper"), "mul");
}

// ---------------------------------------------------------------- Koef "k"

TEST_F(StageArith, KoefCoefficientFromK) {
  ZR_Effect_Koef* koef = nullptr;
  ASSERT_EQ(cmd("ZR_Effect_Koef", &koef), ZR_OK);
  EXPECT_EQ(queryInt(koef, "k"), 0);
  struct {
    double k;
    int32_t coefficient;
  } floats[] = {
      {1.0, 16909320},       // 2^31 / 127
      {-1.0, -16909320},
      {0.5, 8454660},
      {0.0, 0},
      {126.0, 2130574327},   // trunc(126 * 2^31 / 127)
      {127.0, kMax},         // 2^31 does not fit: saturated
      {-127.0, kMin},
      {1000.0, kMax},
      {-1e30, kMin},
      {std::numeric_limits<double>::quiet_NaN(), 0},
  };
  for (const auto& c : floats) {
    ASSERT_EQ(cmd("%o -k %f", koef, c.k), ZR_OK);
    EXPECT_EQ(queryInt(koef, "k"), c.coefficient) << c.k;
  }
  // The word is read as a float's bits even when it is an integer.
  ASSERT_EQ(cmd("%o -k %i", koef, 1065353216), ZR_OK);  // the bits of 1.0f
  EXPECT_EQ(queryInt(koef, "k"), 16909320);
  ASSERT_EQ(cmd("%o -k 1", koef), ZR_OK);  // a denormal: nearly 0
  EXPECT_EQ(queryInt(koef, "k"), 0);
  ASSERT_EQ(cmd("%o -k 2.0", koef), ZR_OK);
  EXPECT_EQ(queryInt(koef, "k"), 33818640);
}

TEST_F(StageArith, KoefMulByOneIsAboutUnity) {
  ZR_Buffer* in = makeBuffer();
  ZR_Buffer* out = makeBuffer();
  ZR_Effect_Koef* koef = nullptr;
  ASSERT_EQ(cmd("ZR_Effect_Koef -i %o -o %o -oper mul -k 1.0", &koef, in, out), ZR_OK);
  endPipe();
  std::vector<int32_t> v = randomSamples(N, 30);
  fill(in, v);
  pipe->process();
  for (int j = 0; j < N; ++j) {
    int64_t p = static_cast<int64_t>(v[j]) * 16909320;
    EXPECT_EQ(out->data[j], static_cast<int32_t>(p >= 0 ? p / 16777216 : -((-p + 16777215) / 16777216)));
    EXPECT_NEAR(out->data[j], v[j] * 1.0079, std::fabs(v[j]) * 1e-4 + 1);
  }
}

// ---------------------------------------------------------------- Copy

struct CopyCase {
  int32_t is, os;
  int nIn, nOut;
  const char* mode;
};

const CopyCase kCopyCases[] = {
    {1, 1, 16, 16, "set"}, {2, 1, 16, 16, "set"},  {1, 2, 16, 16, "add"}, {3, 2, 16, 16, "sub"},
    {1, 1, 16, 8, "set"},  {1, 1, 8, 16, "sbn"},   {2, 3, 16, 10, "adn"}, {5, 1, 16, 16, "stn"},
    {0, 1, 16, 16, "set"}, {1, 0, 16, 16, "set"},  {-1, 1, 16, 16, "set"}, {1, -2, 16, 16, "add"},
    {17, 1, 16, 16, "set"},
};

TEST_F(StageArith, CopyStridesModesAndLengths) {
  for (const CopyCase& c : kCopyCases) {
    SCOPED_TRACE("is " + std::to_string(c.is) + " os " + std::to_string(c.os) + " in " + std::to_string(c.nIn) +
                 " out " + std::to_string(c.nOut) + " " + c.mode);
    ZR_Buffer* in = makeBuffer(c.nIn);
    ZR_Buffer* out = makeBuffer(c.nOut);
    ZR_Effect_Copy* copy = nullptr;
    ASSERT_EQ(cmd("ZR_Effect_Copy -i %o -o %o -is %i -os %i -mode %s", &copy, in, out, c.is, c.os, c.mode), ZR_OK);
    EXPECT_EQ(queryInt(copy, "is"), c.is);
    EXPECT_EQ(queryInt(copy, "os"), c.os);
    std::vector<int32_t> vi = randomSamples(c.nIn), vo = randomSamples(c.nOut);
    fill(in, vi);
    fill(out, vo);
    pipe->process();
    std::vector<int32_t> expect = vo;
    if (c.is > 0 && c.os > 0)
      for (int j = 0; j * c.is < c.nIn && j * c.os < c.nOut; ++j) {
        // the first n / is input samples, where they land inside the output
        if (j >= c.nIn / c.is) break;
        expect[j * c.os] = combine(c.mode, expect[j * c.os], vi[j * c.is]);
      }
    EXPECT_EQ(read(out), expect);
    ASSERT_EQ(cmd("%o -delete", copy), ZR_OK);
  }
}

TEST_F(StageArith, CopyOntoItself) {
  ZR_Buffer* buf = makeBuffer();
  ZR_Effect_Copy* copy = nullptr;
  ASSERT_EQ(cmd("ZR_Effect_Copy -i %o -o %o", &copy, buf, buf), ZR_OK);
  endPipe();
  std::vector<int32_t> v = randomSamples(N, 20);
  fill(buf, v);
  pipe->process();  // "set" onto the same samples does nothing
  EXPECT_EQ(read(buf), v);
  ASSERT_EQ(cmd("%o -is 2", copy), ZR_OK);  // not even with a stride
  pipe->process();
  EXPECT_EQ(read(buf), v);
  // "add" with input stride 2 runs in order over the shared samples.
  ASSERT_EQ(cmd("%o -mode add -is 2", copy), ZR_OK);
  pipe->process();
  std::vector<int32_t> expect = v;
  for (int j = 0; j < N / 2; ++j) expect[j] = wadd(expect[j], expect[2 * j]);
  EXPECT_EQ(read(buf), expect);
}

// ---------------------------------------------------------------- Zero, limiters

TEST_F(StageArith, ZeroIgnoresMode) {
  ZR_Buffer* out = makeBuffer();
  ZR_Effect_Zero* zero = nullptr;
  ASSERT_EQ(cmd("ZR_Effect_Zero -o %o -mode add", &zero, out), ZR_OK);
  endPipe();
  EXPECT_EQ(queryObject(zero, "o"), out);
  fill(out, randomSamples(N));
  pipe->process();
  EXPECT_EQ(read(out), std::vector<int32_t>(N, 0));
}

struct LimitCase {
  const char* cls;
  const char* level;  // as written in the command
  int32_t stored;
  bool greater;
};

const LimitCase kLimitCases[] = {
    {"ZR_Effect_Gtzero", "-1000", -1000, true},
    {"ZR_Effect_Gtzero", "0", 0, true},
    {"ZR_Effect_Gtzero", "-1000.7", -1000, true},  // float truncated toward zero
    {"ZR_Effect_Ltzero", "1000.9", 1000, false},
    {"ZR_Effect_Ltzero", "-2147483648", kMin, false},
    {"ZR_Effect_Ltzero", "0", 0, false},
};

TEST_F(StageArith, LimitersFromBelowAndAbove) {
  std::vector<int32_t> v = randomSamples(N, 12);
  v[0] = kMin;
  v[1] = kMax;
  v[2] = -1000;
  v[3] = -1001;
  v[4] = 1000;
  v[5] = 1001;
  for (const LimitCase& c : kLimitCases) {
    SCOPED_TRACE(std::string(c.cls) + " " + c.level);
    ZR_Buffer* in = makeBuffer();
    ZR_Buffer* out = makeBuffer();
    ZR_Effect* stage = nullptr;
    std::string line = std::string(c.cls) + " -i %o -o %o -mode add -l " + c.level;
    ASSERT_EQ(cmd(line.c_str(), &stage, in, out), ZR_OK);
    EXPECT_EQ(queryInt(stage, "l"), c.stored);
    fill(in, v);
    fill(out, randomSamples(N));
    pipe->process();
    for (int j = 0; j < N; ++j) {
      int32_t expect = c.greater ? (v[j] > c.stored ? v[j] : c.stored) : (v[j] < c.stored ? v[j] : c.stored);
      EXPECT_EQ(out->data[j], expect) << j;  // overwritten, whatever the mode
    }
    ASSERT_EQ(cmd("%o -delete", stage), ZR_OK);
  }
}

// ---------------------------------------------------------------- Dist

// The soft clipper as a plain scalar loop, one sample at a time.
struct DistModel {
  int32_t offset = 0, rate = 67108864, drive = 16777216, knee = 4194304, clip = 8388608, lowerFollows = 0;
  int32_t step(int32_t x) {
    int32_t o = offset;
    int32_t u = (x >> 1) - o;  // no overflow for |o| < 2^30
    u >>= 1;
    int32_t upper = clip, lower = -clip;
    if (lowerFollows & 1) lower = std::max(-clip - knee, std::min(o, clip));
    int32_t c = std::min(u, upper);
    c = std::max(c, lower);
    int32_t e = u - c;
    int32_t q = 4 * knee;
    int32_t w = q - q / 2;
    if ((lowerFollows & 1) && e <= 0) w /= 8;
    if (e > 0) w = q / 2;
    int64_t den = static_cast<int64_t>(w) + std::llabs(e);
    int32_t y = c + (den ? static_cast<int32_t>(static_cast<int64_t>(w) * e / den) : 0);
    int64_t p = static_cast<int64_t>(u - y) * rate;
    offset = o + static_cast<int32_t>(p >= 0 ? p / 4294967296LL : -((-p + 4294967295LL) / 4294967296LL));
    return y * 4;
  }
};

TEST_F(StageArith, DistParametersAndDerivedLimits) {
  ZR_Effect_Dist* dist = nullptr;
  ASSERT_EQ(cmd("ZR_Effect_Dist", &dist), ZR_OK);
  EXPECT_FLOAT_EQ(queryFloat(dist, "d"), 0.015625f);  // 2^24 / 2^30
  EXPECT_FLOAT_EQ(queryFloat(dist, "s"), 0.5f);
  EXPECT_FLOAT_EQ(queryFloat(dist, "k"), 0.0f);
  EXPECT_EQ(queryInt(dist, "l"), 0);
  EXPECT_EQ(dist->clip, 8388608);
  EXPECT_EQ(dist->knee, 4194304);
  EXPECT_EQ(dist->rate, 67108864);
  struct {
    const char* line;
    float d;
    int32_t drive, clip, knee;
  } cases[] = {
      {"%o -d 1.0", 0.5f, 1 << 29, 1 << 28, 1 << 27},  // reads back half of what was set
      {"%o -d 0.5 -s 0.25", 0.25f, 1 << 28, 201326592, 33554432},
      {"%o -d 1 -s 1.0", 0.5f, 1 << 29, 0, 1 << 28},  // an integer is converted
      {"%o -d 0.25 -s 0", 0.125f, 1 << 27, 1 << 27, 0},
      {"%o -d 0.3 -s 0.3", 0.15f, 161061280, 112742894, 24159193},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.line);
    ASSERT_EQ(cmd(c.line, dist), ZR_OK);
    EXPECT_FLOAT_EQ(queryFloat(dist, "d"), c.d);
    EXPECT_EQ(dist->drive, c.drive);
    EXPECT_EQ(dist->clip, c.clip);
    EXPECT_EQ(dist->knee, c.knee);
  }
  // The rate follows "k" relative to 48 kHz, once a clock is known.
  ASSERT_EQ(cmd("%o -k 0.001", dist), ZR_OK);
  EXPECT_FLOAT_EQ(queryFloat(dist, "k"), 0.001f);
  EXPECT_EQ(dist->rate, 67108864);
  ASSERT_EQ(cmd("%o -clock 96000", dist), ZR_OK);
  EXPECT_EQ(dist->rate, static_cast<int32_t>(static_cast<double>(0.001f) * 0.5 * 2147483647.0));
  ASSERT_EQ(cmd("%o -k 0.002", dist), ZR_OK);
  EXPECT_EQ(dist->rate, static_cast<int32_t>(static_cast<double>(0.002f) * 0.5 * 2147483647.0));
  ASSERT_EQ(cmd("%o -l 3", dist), ZR_OK);
  EXPECT_EQ(queryInt(dist, "l"), 3);
}

TEST_F(StageArith, DistPassesSmallSignals) {
  ZR_Buffer* in = makeBuffer();
  ZR_Buffer* out = makeBuffer();
  ZR_Effect_Dist* dist = nullptr;
  ASSERT_EQ(cmd("ZR_Effect_Dist -i %o -o %o", &dist, in, out), ZR_OK);
  endPipe();
  std::vector<int32_t> v = randomSamples(N, 25);  // |x / 4| < 2^23
  v[0] = (1 << 25) - 1;
  v[1] = -(1 << 25);
  fill(in, v);
  pipe->process();
  for (int j = 0; j < N; ++j) EXPECT_EQ(out->data[j], v[j] & ~3) << j;
  EXPECT_EQ(dist->offset, 0);
}

TEST_F(StageArith, DistAgainstModel) {
  struct {
    const char* setup;
    int32_t lowerFollows;
  } cases[] = {
      {"%o -clock 48000 -k 0.01", 0},
      {"%o -clock 48000 -k 0.01 -l 1", 1},
      {"%o -clock 44100 -k 0.2 -d 0.1 -s 0.8 -l 1", 1},
      {"%o -clock 96000 -k 0.05 -d 0.05 -s 0.1", 0},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.setup);
    ZR_Buffer* in = makeBuffer();
    ZR_Buffer* out = makeBuffer();
    ZR_Effect_Dist* dist = nullptr;
    ASSERT_EQ(cmd("ZR_Effect_Dist -i %o -o %o", &dist, in, out), ZR_OK);
    ASSERT_EQ(cmd(c.setup, dist), ZR_OK);
    DistModel m;
    m.rate = dist->rate;
    m.drive = dist->drive;
    m.clip = dist->clip;
    m.knee = dist->knee;
    m.lowerFollows = c.lowerFollows;
    for (int block = 0; block < 40; ++block) {
      // a loud signal with a slowly moving bias, so clipping and the
      // offset both get exercised
      std::vector<int32_t> v = randomSamples(N, 30);
      for (auto& s : v) s += (block % 10) * 60000000;
      fill(in, v);
      pipe->process();
      for (int j = 0; j < N; ++j) ASSERT_EQ(out->data[j], m.step(v[j])) << "block " << block << " sample " << j;
      ASSERT_EQ(dist->offset, m.offset);
    }
    EXPECT_NE(dist->offset, 0);
    // Switching off runs the stage once more, then clears the offset.
    ASSERT_EQ(cmd("%o -on 0", dist), ZR_OK);
    pipe->process();
    EXPECT_EQ(dist->offset, 0);
    ASSERT_EQ(cmd("%o -delete", dist), ZR_OK);
  }
}

// ---------------------------------------------------------------- robustness

struct BufferParams {
  const char* cls;
  std::vector<const char*> params;
};

const BufferParams kArithBuffers[] = {
    {"ZR_Effect_Zero", {"o"}},        {"ZR_Effect_Copy", {"i", "o"}},         {"ZR_Effect_Gtzero", {"i", "o"}},
    {"ZR_Effect_Ltzero", {"i", "o"}}, {"ZR_Effect_Oper", {"i1", "i2", "o"}}, {"ZR_Effect_Koef", {"i", "o"}},
    {"ZR_Effect_Dist", {"i", "o"}},
};

TEST_F(StageArith, BufferParametersTakeOnlyLiveBuffers) {
  ZR_Buffer* good = makeBuffer();
  int notAnObject = 0;
  for (const BufferParams& c : kArithBuffers) {
    ZR_Effect* stage = nullptr;
    ASSERT_EQ(cmd(c.cls, &stage), ZR_OK) << c.cls;
    for (const char* p : c.params) {
      SCOPED_TRACE(std::string(c.cls) + " -" + p);
      std::string set = std::string("%o -") + p + " %o";
      EXPECT_EQ(queryObject(stage, p), nullptr);
      ASSERT_EQ(cmd(set.c_str(), stage, good), ZR_OK);
      EXPECT_EQ(queryObject(stage, p), good);
      ASSERT_EQ(cmd(set.c_str(), stage, &notAnObject), ZR_OK);  // keeps the buffer
      EXPECT_EQ(queryObject(stage, p), good);
      ASSERT_EQ(cmd(set.c_str(), stage, stage), ZR_OK);  // an object, but no buffer
      EXPECT_EQ(queryObject(stage, p), good);
      ASSERT_EQ(cmd(set.c_str(), stage, nullptr), ZR_OK);  // clears
      EXPECT_EQ(queryObject(stage, p), nullptr);
    }
  }
}

TEST_F(StageArith, MissingOrEmptyBuffersAreSkipped) {
  ZR_Buffer* empty = makeBuffer(0);
  ZR_Buffer* sentinel = makeBuffer();
  fillAll(sentinel, 0x12345678);
  for (const BufferParams& c : kArithBuffers) {
    SCOPED_TRACE(c.cls);
    ZR_Effect* bare = nullptr;
    ASSERT_EQ(cmd(c.cls, &bare), ZR_OK);
    // every buffer empty, then each one empty with the others real
    ZR_Effect* allEmpty = nullptr;
    ASSERT_EQ(cmd(c.cls, &allEmpty), ZR_OK);
    for (const char* p : c.params) ASSERT_EQ(cmd((std::string("%o -") + p + " %o").c_str(), allEmpty, empty), ZR_OK);
    for (size_t k = 0; k < c.params.size(); ++k) {
      ZR_Effect* partial = nullptr;
      ASSERT_EQ(cmd(c.cls, &partial), ZR_OK);
      for (size_t i = 0; i < c.params.size(); ++i)
        ASSERT_EQ(cmd((std::string("%o -") + c.params[i] + " %o").c_str(), partial, i == k ? empty : sentinel), ZR_OK);
    }
    pipe->process();
    pipe->process();
    EXPECT_EQ(read(sentinel), std::vector<int32_t>(N, 0x12345678));
    // the same while switching on and off
    ZR_CHAIN_FOR(ZR_Effect, s, pipe->stages) s->on = 0;
    pipe->process();
    ZR_CHAIN_FOR(ZR_Effect, s, pipe->stages) s->on = 1;
    pipe->process();
    EXPECT_EQ(read(sentinel), std::vector<int32_t>(N, 0x12345678));
    ZR_CHAIN_FOR(ZR_Effect, s, pipe->stages) s->on = 0;
    pipe->process();
    while (pipe->stages.count) delete static_cast<ZR_Effect*>(pipe->stages.first()->data);
  }
}

TEST_F(StageArith, MismatchedLengthsUseTheShortest) {
  ZR_Buffer* a = makeBuffer(8);
  ZR_Buffer* b = makeBuffer(16);
  ZR_Buffer* out = makeBuffer(12);
  ZR_Buffer* out2 = makeBuffer(4);
  ZR_Effect_Oper* oper = nullptr;
  ZR_Effect_Ltzero* lt = nullptr;
  ASSERT_EQ(cmd("ZR_Effect_Oper -i1 %o -i2 %o -o %o -oper sub", &oper, b, a, out), ZR_OK);
  ASSERT_EQ(cmd("ZR_Effect_Ltzero -i %o -o %o -l 0", &lt, b, out2), ZR_OK);
  endPipe();
  std::vector<int32_t> va = randomSamples(8, 20), vb = randomSamples(16, 20);
  fill(a, va);
  fill(b, vb);
  fillAll(out, 77);
  pipe->process();
  for (int j = 0; j < 12; ++j) EXPECT_EQ(out->data[j], j < 8 ? vb[j] - va[j] : 77) << j;
  for (int j = 0; j < 4; ++j) EXPECT_EQ(out2->data[j], std::min(vb[j], 0));
}

// ---------------------------------------------------------------- a graph

// Built only by commands: out = -clamp(in + in * k, +-2^29) and a clipped
// copy, checked against the scalar chain.
TEST_F(StageArith, GraphOfCommandsMatchesScalarChain) {
  ZR_Buffer *in, *t1, *t2, *out, *clipped;
  ZR_Effect *zero, *koef, *oper, *lt, *gt, *copy, *dist;
  ASSERT_EQ(cmd("ZR_Buffer -t input", &in), ZR_OK);
  ASSERT_EQ(cmd("ZR_Buffer", &t1), ZR_OK);
  ASSERT_EQ(cmd("ZR_Buffer", &t2), ZR_OK);
  ASSERT_EQ(cmd("ZR_Buffer", &out), ZR_OK);
  ASSERT_EQ(cmd("ZR_Buffer", &clipped), ZR_OK);
  ASSERT_EQ(cmd("ZR_Effect_Zero -o %o", &zero, out), ZR_OK);
  ASSERT_EQ(cmd("ZR_Effect_Koef -i %o -o %o -oper mul -k 0.5", &koef, in, t1), ZR_OK);
  ASSERT_EQ(cmd("ZR_Effect_Oper -i1 %o -i2 %o -o %o -oper add", &oper, t1, in, t2), ZR_OK);
  ASSERT_EQ(cmd("ZR_Effect_Ltzero -i %o -o %o -l 536870912", &lt, t2, t2), ZR_OK);
  ASSERT_EQ(cmd("ZR_Effect_Gtzero -i %o -o %o -l -536870912", &gt, t2, t2), ZR_OK);
  ASSERT_EQ(cmd("ZR_Effect_Copy -i %o -o %o -mode sub", &copy, t2, out), ZR_OK);
  ASSERT_EQ(cmd("ZR_Effect_Dist -i %o -o %o -clock 48000 -k 0.05", &dist, t2, clipped), ZR_OK);
  endPipe();
  const int32_t k = 8454660;  // 0.5 * 2^31 / 127
  DistModel dm;
  dm.rate = static_cast<int32_t>(static_cast<double>(0.05f) * 2147483647.0);
  for (int block = 0; block < 6; ++block) {
    std::vector<int32_t> v = randomSamples(N, 31);
    fill(in, v);
    fillAll(out, 999);  // cleared by the first stage
    pipe->process();
    for (int j = 0; j < N; ++j) {
      int64_t scaled = static_cast<int64_t>(v[j]) * k;
      int32_t r1 = static_cast<int32_t>(scaled >= 0 ? scaled / 16777216 : -((-scaled + 16777215) / 16777216));
      int32_t r2 = static_cast<int32_t>(std::max<int64_t>(kMin, std::min<int64_t>(kMax, int64_t(r1) + v[j])));
      int32_t r3 = std::max(-536870912, std::min(536870912, r2));
      ASSERT_EQ(t1->data[j], r1);
      ASSERT_EQ(out->data[j], -r3) << block << " " << j;
      ASSERT_EQ(clipped->data[j], dm.step(r3)) << block << " " << j;
    }
  }
}

}  // namespace

// ---------------------------------------------------------------- class table

namespace {

// The stage classes in the order of the exported class table, each with its
// own parameters in table order; every table chains to ZR_Effect's.
struct TableEntry {
  const char* cls;
  std::vector<const char*> params;
};

const TableEntry kStageTable[] = {
    {"ZR_Effect_Zero", {"o"}},
    {"ZR_Effect_Hipass", {"i", "o", "f"}},
    {"ZR_Effect_Lopass", {"i", "o", "f"}},
    {"ZR_Effect_Freqmul", {"i", "o", "k"}},
    {"ZR_Effect_Nefreqmul", {"i", "o", "k", "rand", "stab"}},
    {"ZR_Effect_Gtzero", {"i", "o", "l"}},
    {"ZR_Effect_Ltzero", {"i", "o", "l"}},
    {"ZR_Effect_Bapass", {"i", "o", "f", "q"}},
    {"ZR_Effect_Ampdet", {"i", "o", "a", "f1", "f2"}},
    {"ZR_Effect_Copy", {"i", "o", "is", "os"}},
    {"ZR_Effect_Oper", {"i1", "i2", "o", "oper"}},
    {"ZR_Effect_Koef", {"i", "o", "oper", "k"}},
    {"ZR_Effect_Dist", {"i", "o", "d", "s", "k", "l"}},
    {"ZR_Effect_Oversam", {"i", "o", "k"}},
    {"ZR_Effect_Shift", {"i", "o", "s", "p"}},
    {"ZR_Effect_Nshift", {"i", "o", "s", "p"}},
};

class StageTable : public StageFixture {};

TEST_F(StageTable, StagesAreRegisteredInOrderWithTheirParameters) {
  int effectAt = -1, last = -1;
  for (int i = 0; __ZR[i].name; ++i)
    if (std::strcmp(__ZR[i].name, "ZR_Effect") == 0) effectAt = i;
  ASSERT_GE(effectAt, 0);
  for (const TableEntry& e : kStageTable) {
    SCOPED_TRACE(e.cls);
    int at = -1;
    for (int i = 0; __ZR[i].name; ++i)
      if (std::strcmp(__ZR[i].name, e.cls) == 0) at = i;
    ASSERT_GT(at, effectAt);
    EXPECT_GT(at, last);  // keeps the table order
    last = at;
    const ZR_param* table = __ZR[at].descriptor;
    EXPECT_STREQ(table[0].name, "");
    EXPECT_NE(table[0].ctor, nullptr);
    size_t k = 0;
    for (; table[k + 1].name; ++k) {
      ASSERT_LT(k, e.params.size());
      EXPECT_STREQ(table[k + 1].name, e.params[k]);
    }
    EXPECT_EQ(k, e.params.size());
    EXPECT_EQ(table[k + 1].base, ZR_Effect::paramTable);
  }
}

TEST_F(StageTable, EveryStageIsMadeQueriedAndDeletedByCommands) {
  makePipe(8);
  for (const TableEntry& e : kStageTable) {
    SCOPED_TRACE(e.cls);
    ZR_Effect* s = nullptr;
    ASSERT_EQ(cmd(e.cls, &s), ZR_OK);
    ASSERT_NE(s, nullptr);
    EXPECT_EQ(s->pipe, pipe);
    for (const char* p : e.params) {
      std::string line = std::string("%o -") + p;
      ZR_word r = 0;
      EXPECT_EQ(cmd(line.c_str(), s, &r), ZR_OK) << p;
    }
    EXPECT_EQ(queryText(s, "mode"), "set");  // the base parameters are reached too
    EXPECT_EQ(queryInt(s, "on"), 1);
    int before = ZR_Object::liveCount();
    ASSERT_EQ(cmd("%o -delete", s), ZR_OK);
    EXPECT_EQ(ZR_Object::liveCount(), before - 1);
  }
  EXPECT_EQ(pipe->stages.count, 0);
}

}  // namespace
