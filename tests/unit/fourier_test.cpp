// The Fourier transform stage: its tables, its kernels against a plain
// double-precision DFT, the exact values of simple inputs, the history ring
// and the stage's parameters.
#include <gtest/gtest.h>

#include <cmath>
#include <complex>
#include <cstdarg>
#include <cstdint>
#include <deque>
#include <random>
#include <string>
#include <thread>
#include <vector>

#include "command_fixture.h"
#include "ZR_fourier.h"

namespace {

typedef std::complex<double> Complex;
const double kPi = 3.141592653589793;

// ---------------------------------------------------------------- references

// X[k] = scale * sum x[n] e^(+2 pi i nk/N), straight from the definition.
std::vector<Complex> dft(const std::vector<Complex>& x, double scale) {
  const size_t n = x.size();
  std::vector<Complex> roots(n);  // e^(+2 pi i m/N)
  for (size_t m = 0; m < n; ++m) {
    double angle = 2.0 * kPi * static_cast<double>(m) / static_cast<double>(n);
    roots[m] = Complex(std::cos(angle), std::sin(angle));
  }
  std::vector<Complex> out(n);
  for (size_t k = 0; k < n; ++k) {
    Complex sum = 0.0;
    for (size_t j = 0; j < n; ++j) sum += x[j] * roots[(j * k) % n];
    out[k] = sum * scale;
  }
  return out;
}

#if defined(__SIZEOF_FLOAT128__)
// Sine and cosine in binary128 arithmetic, with pi/2 to about 260 bits:
// an independent reference far more precise than a double.  pi/2 is the
// sum of five doubles; the first two sum exactly in binary128.
typedef __float128 Quad;
const Quad kQuadHalfPi1 = Quad(0x1.921fb54442d18p+0) + Quad(0x1.1a62633145c07p-54);
const Quad kQuadHalfPi2 =
    Quad(-0x1.f1976b7ed8fbcp-110) + (Quad(0x1.4cf98e804177dp-164) + Quad(0x1.31d89cd9128a5p-218));

Quad quadSeries(Quad r, bool cosine) {
  Quad r2 = r * r, term = cosine ? Quad(1) : r, sum = term;
  for (int n = cosine ? 1 : 2; n < 80; n += 2) {
    term = -term * r2 / Quad((n) * (n + 1));
    sum += term;
  }
  return sum;
}

double quadSin(double x, bool cosine = false) {
  int k = static_cast<int>(x / 1.5707963267948966 + 0.5);
  Quad r = (Quad(x) - Quad(k) * kQuadHalfPi1) - Quad(k) * kQuadHalfPi2;
  // sin(x) = sin(r + k pi/2), cos(x) = sin(r + (k+1) pi/2).
  int q = (k + (cosine ? 1 : 0)) & 3;
  Quad v = (q & 1) ? quadSeries(r, true) : quadSeries(r, false);
  if (q >= 2) v = -v;
  return static_cast<double>(v);  // rounded to nearest, once
}
#endif

// ---------------------------------------------------------------- fixture

class FourierTest : public CommandTest {
 protected:


  ZR_Buffer* buffer(int length) {
    ZR_Buffer* b = nullptr;
    EXPECT_EQ(cmd("ZR_Buffer -l %i", &b, length), ZR_OK);
    return b;
  }

  // A stage of size exponent s reading `in`.
  ZR_Fourier_Transform* transform(ZR_Buffer* in, int s, const char* direction = "forward",
                                  const char* window = "none") {
    ZR_Fourier_Transform* t = nullptr;
    EXPECT_EQ(cmd("ZR_Fourier_Transform -i %o -s %i -d %s -win %s", &t, in, s, direction, window), ZR_OK);
    return t;
  }

  static Complex point(const ZR_Fourier_Transform* t, int k) {
    return Complex(t->output->data[2 * k], t->output->data[2 * k + 1]);
  }

  // Forward-transforms one block holding exactly the N samples x.
  ZR_Fourier_Transform* forwardOf(const std::vector<int32_t>& x, int s, const char* window = "none") {
    ZR_Buffer* in = buffer(static_cast<int>(x.size()));
    std::copy(x.begin(), x.end(), in->data);
    ZR_Fourier_Transform* t = transform(in, s, "forward", window);
    t->process();
    return t;
  }

};

std::vector<int32_t> sineSamples(size_t n, double amplitude, double cycles, double phase) {
  std::vector<int32_t> x(n);
  for (size_t i = 0; i < n; ++i)
    x[i] = static_cast<int32_t>(
        std::lround(amplitude * std::sin(2.0 * kPi * cycles * static_cast<double>(i) / static_cast<double>(n) + phase)));
  return x;
}

// ---------------------------------------------------------------- sine and tables

TEST(FourierSine, RoundingBoundaryCaseIsCorrectlyRounded) {
  // sin(54 pi/1024): the exact value lies close enough to a rounding
  // boundary that a sine accurate to within one ulp may give the neighbour.
  EXPECT_EQ(ZR_sinRounded(54.0 * kPi / 1024.0), 0x1.51bdf8597c5f1p-3);
  // The cases of the 65536-point grid nearest to a rounding boundary.
  struct Case {
    int i;
    double expected;
  } cases[] = {{6388, 0x1.34b14781bd9f9p-2},
               {24240, 0x1.d5cf29d3bfa6fp-1},
               {59205, 0x1.32060618dadb5p-2},
               {17630, 0x1.7f012a1580a6cp-1}};
  for (const Case& c : cases)
    EXPECT_EQ(ZR_sinRounded(static_cast<double>(c.i) * kPi / 65536.0), c.expected) << c.i;
  // The cosine case of the twiddle grid nearest to a boundary.
  EXPECT_EQ(ZR_cosRounded(1277.0 * kPi / 2048.0), -0x1.838290bb359c7p-2);
}

TEST(FourierSine, ExactPointsAndDomain) {
  EXPECT_EQ(ZR_sinRounded(0.0), 0.0);
  EXPECT_EQ(ZR_cosRounded(0.0), 1.0);
  EXPECT_EQ(ZR_sinRounded(kPi / 2.0), 1.0);
  EXPECT_EQ(ZR_cosRounded(kPi / 2.0), 0x1.1a62633145c07p-54);  // pi/2 - double(pi/2)
  EXPECT_EQ(ZR_sinRounded(kPi), 0x1.1a62633145c07p-53);         // pi - double(pi)
  EXPECT_EQ(ZR_cosRounded(kPi), -1.0);
  EXPECT_TRUE(std::isnan(ZR_sinRounded(-0.5)));
  EXPECT_TRUE(std::isnan(ZR_cosRounded(3.5)));
  EXPECT_TRUE(std::isnan(ZR_sinRounded(std::nan(""))));
}

#if defined(__SIZEOF_FLOAT128__)
TEST(FourierSine, MatchesBinary128Reference) {
  // Every angle the tables use for N = 1024 and the twiddles, and a spread
  // of the 65536-point grid.
  int checked = 0;
  for (int i = 0; i < 2048; ++i) {
    double a = static_cast<double>(i) * kPi / 2048.0;
    ASSERT_EQ(ZR_sinRounded(a), quadSin(a)) << "sin " << i << "/2048";
    ASSERT_EQ(ZR_cosRounded(a), quadSin(a, true)) << "cos " << i << "/2048";
    checked += 2;
  }
  for (int i = 0; i < 1024; ++i) {
    double a = static_cast<double>(i) * kPi / 1024.0;
    ASSERT_EQ(ZR_sinRounded(a), quadSin(a)) << "sin " << i << "/1024";
    ++checked;
  }
  for (int i = 1; i < 65536; i += 97) {
    double a = static_cast<double>(i) * kPi / 65536.0;
    ASSERT_EQ(ZR_sinRounded(a), quadSin(a)) << "sin " << i << "/65536";
    ++checked;
  }
  EXPECT_GT(checked, 5000);
  // The reference itself gets the boundary case right.
  EXPECT_EQ(quadSin(54.0 * kPi / 1024.0), 0x1.51bdf8597c5f1p-3);
}
#endif

TEST(FourierTables, TwiddlesAreTruncatedScaledSines) {
  const int32_t* tw = ZR_Fourier_Transform::twiddles();
  EXPECT_EQ(tw[0], 2147483647);
  EXPECT_EQ(tw[1], 0);
  EXPECT_EQ(tw[2 * 1024], 0);  // cos(pi/2) is 6e-17: truncates to 0
  EXPECT_EQ(tw[2 * 1024 + 1], 2147483647);
  EXPECT_EQ(tw[2 * 512], 1518500249);  // 2^31 cos(pi/4) = 1518500249.99
  EXPECT_EQ(tw[2 * 512 + 1], 1518500249);
  // Values of the exact sine and cosine, scaled and truncated.
  EXPECT_EQ(tw[2 * 1], 2147481120);
  EXPECT_EQ(tw[2 * 1 + 1], 3294197);
  EXPECT_EQ(tw[2 * 1277], -812667415);
  EXPECT_EQ(tw[2 * 1277 + 1], 1987777071);
  EXPECT_EQ(tw[2 * 2047], -2147481120);
  EXPECT_EQ(tw[2 * 2047 + 1], 3294197);
  for (int i = 0; i < 2048; ++i) {
    double a = static_cast<double>(i) * kPi / 2048.0;
    ASSERT_EQ(tw[2 * i], static_cast<int32_t>(ZR_cosRounded(a) * 2147483647.0)) << i;
    ASSERT_EQ(tw[2 * i + 1], static_cast<int32_t>(ZR_sinRounded(a) * 2147483647.0)) << i;
    // Against the runtime's functions: never more than one unit apart.
    ASSERT_LE(std::abs(tw[2 * i] - static_cast<int32_t>(std::cos(a) * 2147483647.0)), 1) << i;
    ASSERT_LE(std::abs(tw[2 * i + 1] - static_cast<int32_t>(std::sin(a) * 2147483647.0)), 1) << i;
  }
}

TEST(FourierTables, ReversalAndWindowForEverySize) {
  for (int s = 0; s <= ZR_Fourier_Transform::MAX_SIZE; ++s) {
    const ZR_Fourier_Tables* t = ZR_Fourier_Transform::tablesFor(s);
    ASSERT_NE(t, nullptr);
    const int n = 1 << (s + 1);
    ASSERT_EQ(t->points, n);
    ASSERT_EQ(t->size, s);
    std::vector<bool> seen(static_cast<size_t>(n));
    for (int i = 0; i < n; ++i) {
      uint32_t r = 0;
      for (int j = 0; j <= s; ++j) r = (r << 1) | ((i >> j) & 1);
      ASSERT_EQ(t->reversal[i], r) << s << " " << i;
      seen[r] = true;
      double w = ZR_sinRounded(static_cast<double>(i) * kPi / n);
      ASSERT_EQ(t->window[i], w * w);
    }
    for (bool b : seen) ASSERT_TRUE(b);
    EXPECT_EQ(t->window[0], 0.0);
    EXPECT_EQ(t->window[n / 2], 1.0);
  }
  EXPECT_EQ(ZR_Fourier_Transform::tablesFor(-1), nullptr);
  EXPECT_EQ(ZR_Fourier_Transform::tablesFor(16), nullptr);
  // The entry whose sine is a rounding boundary case.
  const double s54 = 0x1.51bdf8597c5f1p-3;
  EXPECT_EQ(ZR_Fourier_Transform::tablesFor(9)->window[54], s54 * s54);
}

TEST(FourierTables, BuiltOnceWhenManyThreadsAskAtOnce) {
  std::vector<const ZR_Fourier_Tables*> got(4);
  std::vector<const int32_t*> twiddles(4);
  std::vector<std::thread> threads;
  for (int i = 0; i < 4; ++i)
    threads.emplace_back([&, i] {
      got[i] = ZR_Fourier_Transform::tablesFor(13);
      twiddles[i] = ZR_Fourier_Transform::twiddles();
    });
  for (auto& t : threads) t.join();
  for (int i = 1; i < 4; ++i) {
    EXPECT_EQ(got[i], got[0]);
    EXPECT_EQ(twiddles[i], twiddles[0]);
  }
  EXPECT_EQ(got[0]->reversal[1], 1u << 13);
}

// ---------------------------------------------------------------- exact values

TEST_F(FourierTest, ImpulseAtWindowIndexZeroGivesFlatSpectrum) {
  std::vector<int32_t> x(1024, 0);
  x[0] = 1 << 30;
  ZR_Fourier_Transform* t = forwardOf(x, 9);
  for (int k = 0; k < 1024; ++k) ASSERT_EQ(point(t, k), Complex(1048576, 0)) << k;
}

TEST_F(FourierTest, ImpulseAtWindowIndexOneGivesRotatingPhasor) {
  std::vector<int32_t> x(1024, 0);
  x[1] = 1 << 30;
  ZR_Fourier_Transform* t = forwardOf(x, 9);
  EXPECT_EQ(point(t, 256), Complex(0, 1048575));
  EXPECT_EQ(point(t, 512), Complex(-1048575, 0));
  EXPECT_EQ(point(t, 1), Complex(1048556, 6433));
  EXPECT_EQ(point(t, 768), Complex(0, -1048575));
  EXPECT_EQ(point(t, 1023), Complex(1048557, -6433));
  // Every point is 2^20 e^(+2 pi i k/N) to within the rounding of ten stages.
  for (int k = 0; k < 1024; ++k) {
    Complex expected = std::polar(1048576.0, 2.0 * kPi * k / 1024.0);
    ASSERT_LE(std::abs(point(t, k) - expected), 2.5) << k;
  }
}

TEST_F(FourierTest, ConstantInputLandsInPointZero) {
  // Each of the ten stages floors: a positive constant loses up to a unit
  // per stage and leaves residues of a unit or two elsewhere; a negative
  // even one comes through exactly (an odd one loses its odd unit in the
  // first stage), with exact zeros elsewhere.
  struct Case {
    int32_t c;
    int32_t lowest, highest;  // range of point 0
    bool exactZeros;
  } cases[] = {{1000000, 1000000 - 10, 1000000, false},
               {2147483647, 2147483647 - 10, 2147483647, false},
               {1, 0, 1, false},
               {-1000000, -1000000, -1000000, true},
               {-7, -8, -8, true},
               {-2147483647 - 1, -2147483647 - 1, -2147483647 - 1, true}};
  for (const Case& c : cases) {
    ZR_Fourier_Transform* t = forwardOf(std::vector<int32_t>(1024, c.c), 9);
    Complex p0 = point(t, 0);
    EXPECT_EQ(p0.imag(), 0) << c.c;
    EXPECT_GE(p0.real(), c.lowest) << c.c;
    EXPECT_LE(p0.real(), c.highest) << c.c;
    for (int k = 1; k < 1024; ++k) {
      if (c.exactZeros)
        ASSERT_EQ(point(t, k), Complex(0, 0)) << c.c << " " << k;
      else
        ASSERT_LE(std::abs(point(t, k)), 10.0) << c.c << " " << k;
    }
  }
}

TEST_F(FourierTest, SineHasPositiveImaginaryPartAtItsBin) {
  // Within the rounding of ten flooring stages (up to two units each).
  const double a = 1 << 29, tolerance = 20.0;
  ZR_Fourier_Transform* t = forwardOf(sineSamples(1024, a, 37, 0.0), 9);
  EXPECT_NEAR(point(t, 37).real(), 0.0, tolerance);
  EXPECT_NEAR(point(t, 37).imag(), a / 2, tolerance);
  EXPECT_NEAR(point(t, 1024 - 37).real(), 0.0, tolerance);
  EXPECT_NEAR(point(t, 1024 - 37).imag(), -a / 2, tolerance);
  ZR_Fourier_Transform* c = forwardOf(sineSamples(1024, a, 37, kPi / 2), 9);
  EXPECT_NEAR(point(c, 37).real(), a / 2, tolerance);
  EXPECT_NEAR(point(c, 1024 - 37).real(), a / 2, tolerance);
  EXPECT_NEAR(point(c, 37).imag(), 0.0, tolerance);
}

TEST_F(FourierTest, RealInputGivesConjugateSymmetricSpectrum) {
  ZR_Fourier_Transform* t = forwardOf(randomSamples(1024, 11, 1 << 30), 9);
  EXPECT_EQ(point(t, 0).imag(), 0);
  EXPECT_EQ(point(t, 512).imag(), 0);
  for (int k = 1; k < 512; ++k) {
    Complex a = point(t, k), b = point(t, 1024 - k);
    ASSERT_LE(std::abs(a - std::conj(b)), 8.0) << k;
  }
}

TEST_F(FourierTest, BackwardAfterForwardReversesTime) {
  std::vector<int32_t> x = randomSamples(1024, 5, 1 << 30);
  ZR_Fourier_Transform* f = forwardOf(x, 9);
  ZR_Fourier_Transform* b = transform(f->output, 9, "backward");
  b->process();
  // The spectrum carries 1/N: one unit of it is worth N = 1024 units of the
  // signal, and its points are a few units off (floor rounding), so the
  // round trip is exact to within a few times N.
  const double tolerance = 4.0 * 1024;
  for (int n = 0; n < 1024; ++n) {
    Complex y = point(b, n);
    ASSERT_NEAR(y.real(), x[(1024 - n) % 1024], tolerance) << n;
    ASSERT_NEAR(y.imag(), 0.0, tolerance) << n;
  }
  EXPECT_NEAR(point(b, 0).real(), x[0], tolerance);
  EXPECT_NEAR(point(b, 1).real(), x[1023], tolerance);
  // Not the unreversed signal.
  EXPECT_GT(std::abs(point(b, 1).real() - x[1]), 1e6);
}

TEST_F(FourierTest, WindowWeightsTheOldestSampleZeroAndTheMiddleOne) {
  // With the "sin" window an impulse at window index 0 vanishes, one at
  // N/2 passes whole: 2^20 e^(i pi k), to within a unit.
  std::vector<int32_t> x(1024, 0);
  x[0] = 1 << 30;
  ZR_Fourier_Transform* t0 = forwardOf(x, 9, "sin");
  for (int k = 0; k < 1024; ++k) ASSERT_EQ(point(t0, k), Complex(0, 0));
  x[0] = 0;
  x[512] = 1 << 30;
  ZR_Fourier_Transform* t1 = forwardOf(x, 9, "sin");
  for (int k = 0; k < 1024; ++k) {
    ASSERT_EQ(point(t1, k).imag(), 0) << k;
    ASSERT_NEAR(point(t1, k).real(), k % 2 ? -1048576 : 1048576, 1.0) << k;
  }
}

// ---------------------------------------------------------------- against the DFT

struct DftCase {
  int s;
  const char* direction;
  const char* window;
  const char* signal;  // "random" or "sine"
  uint32_t seed;
};

class FourierDftTest : public FourierTest, public ::testing::WithParamInterface<DftCase> {};

TEST_P(FourierDftTest, MatchesDoubleDft) {
  const DftCase& c = GetParam();
  const int n = 1 << (c.s + 1);
  const bool backward = std::string(c.direction) == "backward";
  const bool windowed = std::string(c.window) == "sin";

  std::vector<int32_t> values;  // N samples, or N complex points for backward
  if (!backward) {
    values = std::string(c.signal) == "sine" ? sineSamples(static_cast<size_t>(n), 1.9e9, 3.0, 0.3)
                                             : randomSamples(static_cast<size_t>(n), c.seed, 2147483647);
  } else {
    // Points small enough that no sum of N of them leaves the 32-bit range.
    int32_t amplitude = static_cast<int32_t>(1073741824 / n);
    values = randomSamples(2 * static_cast<size_t>(n), c.seed, amplitude);
    if (std::string(c.signal) == "sine") {
      std::fill(values.begin(), values.end(), 0);
      values[2 * 3 + 1] = amplitude;  // one bin: a complex exponential
    }
  }

  ZR_Buffer* in = buffer(static_cast<int>(values.size()));
  std::copy(values.begin(), values.end(), in->data);
  ZR_Fourier_Transform* t = transform(in, c.s, c.direction, c.window);
  t->process();

  std::vector<Complex> x(static_cast<size_t>(n));
  for (int i = 0; i < n; ++i) {
    if (backward) {
      x[i] = Complex(values[2 * i], values[2 * i + 1]);
    } else {
      double w = windowed ? std::pow(std::sin(i * kPi / n), 2) : 1.0;
      x[i] = static_cast<double>(values[i]) * w;
    }
  }
  std::vector<Complex> expected = dft(x, backward ? 1.0 : 1.0 / n);

  // Forward: each stage halves what it is given and adds its own floor
  // rounding (halving and two upper halves: under two units per part), so
  // the error grows by about two units per stage; the window's truncation
  // adds one.  Backward: no halving, an error can double in each of the s+1
  // stages, so the bound grows with N.
  const double tolerance = backward ? 4.0 * n : 2.0 * (c.s + 1) + 2.0;
  double worst = 0.0;
  for (int k = 0; k < n; ++k) {
    double err = std::abs(point(t, k) - expected[k]);
    worst = std::max(worst, err);
    ASSERT_LE(err, tolerance) << "point " << k << " got " << point(t, k) << " expected " << expected[k];
  }
  RecordProperty("worst", std::to_string(worst));
}

const DftCase kDftCases[] = {
    {0, "forward", "none", "random", 1},    {1, "forward", "none", "random", 2},
    {3, "forward", "none", "random", 3},    {6, "forward", "none", "sine", 0},
    {9, "forward", "none", "random", 4},    {9, "forward", "none", "sine", 0},
    {9, "forward", "sin", "random", 5},     {9, "forward", "sin", "sine", 0},
    {11, "forward", "none", "random", 6},   {10, "forward", "sin", "random", 7},
    {0, "backward", "none", "random", 8},   {4, "backward", "none", "random", 9},
    {9, "backward", "none", "random", 10},  {9, "backward", "none", "sine", 0},
    {11, "backward", "none", "random", 12},
};

INSTANTIATE_TEST_SUITE_P(Fourier, FourierDftTest, ::testing::ValuesIn(kDftCases));

TEST_F(FourierTest, SizesAboveTheTwiddleResolutionStillRun) {
  // Past N = 4096 the twiddle angle is quantised to the table's step, but
  // an impulse at window index 0 meets only halvings and comes out flat.
  struct Case {
    int s;
  } cases[] = {{12}, {15}};
  for (const Case& c : cases) {
    const int n = 1 << (c.s + 1);
    std::vector<int32_t> x(static_cast<size_t>(n), 0);
    x[0] = 1 << 30;
    ZR_Fourier_Transform* t = forwardOf(x, c.s);
    for (int k = 0; k < n; ++k) ASSERT_EQ(point(t, k), Complex((1 << 30) / n, 0)) << c.s << " " << k;
  }
}

// The fast kernels against the plain ones, bit for bit: random values of
// every magnitude (sums that wrap included), the extremes, every size and
// both directions.
TEST(FourierKernels, FastKernelsGiveThePlainKernelsBits) {
  std::mt19937 rng(20261211);
  for (int s = 0; s <= ZR_Fourier_Transform::MAX_SIZE; ++s) {
    const size_t values = size_t(4) << s;
    for (int pattern = 0; pattern < 6; ++pattern) {
      std::vector<int32_t> input(values);
      for (size_t i = 0; i < values; ++i) {
        uint32_t r = rng();
        switch (pattern) {
          case 0: input[i] = static_cast<int32_t>(r); break;                         // full range
          case 1: input[i] = static_cast<int32_t>(r) >> (r % 31); break;             // any magnitude
          case 2: input[i] = static_cast<int32_t>(r % 7) - 3; break;                 // tiny, odd and even
          case 3: input[i] = (r & 1) ? INT32_MIN : INT32_MAX; break;                 // extremes
          case 4: input[i] = (r & 3) == 0 ? static_cast<int32_t>(r) : 0; break;      // sparse
          default: input[i] = static_cast<int32_t>(r) >> (20 - (s + 1) % 20); break;  // no wrapping
        }
      }
      for (int backward = 0; backward <= 1; ++backward) {
        std::vector<int32_t> fast = input, plain = input;
        if (backward) {
          ZR_Fourier_Transform::backwardKernel(fast.data(), s);
          ZR_Fourier_Transform::plainBackwardKernel(plain.data(), s);
        } else {
          ZR_Fourier_Transform::forwardKernel(fast.data(), s);
          ZR_Fourier_Transform::plainForwardKernel(plain.data(), s);
        }
        for (size_t i = 0; i < values; ++i)
          ASSERT_EQ(fast[i], plain[i]) << "s " << s << " pattern " << pattern << " backward " << backward
                                       << " value " << i;
      }
    }
  }
}

// ---------------------------------------------------------------- history ring

TEST_F(FourierTest, ShortBlocksTransformOverlappingWindows) {
  // Blocks of 512 samples: each transform covers the last 1024, the older
  // half being the previous block.  Compare with transforms of the whole
  // window given at once.
  ZR_Buffer* in = buffer(512);
  ZR_Fourier_Transform* t = transform(in, 9);
  std::vector<int32_t> stream = randomSamples(512 * 4, 21, 1 << 30);
  for (int b = 0; b < 4; ++b) {
    std::copy(stream.begin() + 512 * b, stream.begin() + 512 * (b + 1), in->data);
    t->process();
    std::vector<int32_t> window(1024, 0);
    for (int i = 0; i < 1024; ++i) {
      int j = 512 * (b + 1) - 1024 + i;
      window[i] = j >= 0 ? stream[j] : 0;
    }
    ZR_Fourier_Transform* whole = forwardOf(window, 9);
    for (int k = 0; k < 1024; ++k) ASSERT_EQ(point(t, k), point(whole, k)) << b << " " << k;
    EXPECT_EQ(t->history->position, (512 * (b + 1)) % 1024);
  }
}

TEST_F(FourierTest, BlocksOfAnyLengthKeepTheLatestSamples) {
  struct Case {
    int length;
  } cases[] = {{1}, {3}, {700}, {1024}, {1500}, {4096}};
  for (const Case& c : cases) {
    ZR_Buffer* in = buffer(c.length);
    ZR_Fourier_Transform* t = transform(in, 9);
    std::vector<int32_t> stream = randomSamples(static_cast<size_t>(c.length) * 3, 30 + c.length, 1 << 30);
    for (int b = 0; b < 3; ++b) {
      std::copy(stream.begin() + c.length * b, stream.begin() + c.length * (b + 1), in->data);
      t->process();
    }
    std::vector<int32_t> window(1024, 0);
    const int end = 3 * c.length;
    for (int i = 0; i < 1024; ++i) {
      int j = end - 1024 + i;
      window[i] = j >= 0 ? stream[j] : 0;
    }
    ZR_Fourier_Transform* whole = forwardOf(window, 9);
    for (int k = 0; k < 1024; ++k) ASSERT_EQ(point(t, k), point(whole, k)) << c.length << " " << k;
    EXPECT_EQ(t->history->position, end % 1024) << c.length;
  }
}

TEST_F(FourierTest, FollowsThePipeBlockLength) {
  ZR_Soundpipe* pipe = nullptr;
  int32_t began = 0;
  ASSERT_EQ(cmd("ZR_Soundpipe -bl %i -b", &pipe, 512, &began), ZR_OK);
  ZR_Buffer* in = nullptr;
  ASSERT_EQ(cmd("ZR_Buffer", &in), ZR_OK);
  ZR_Fourier_Transform* t = transform(in, 9);
  int32_t ended = 0;
  ASSERT_EQ(cmd("%o -e", pipe, &ended), ZR_OK);
  pipe->blockLength = 100;
  for (int i = 0; i < 100; ++i) in->data[i] = i + 1;
  t->process();
  EXPECT_EQ(t->history->position, 100);
  EXPECT_EQ(t->history->data[99], 100);
  EXPECT_EQ(t->history->data[100], 0);
}

// ---------------------------------------------------------------- parameters

TEST_F(FourierTest, ConstructionAndSizes) {
  ZR_Fourier_Transform* t = nullptr;
  ASSERT_EQ(cmd("ZR_Fourier_Transform", &t), ZR_OK);
  EXPECT_EQ(t->input, nullptr);
  EXPECT_EQ(t->output, nullptr);
  EXPECT_EQ(t->history, nullptr);
  EXPECT_EQ(t->backward, 0);
  EXPECT_EQ(t->window, 0);
  t->process();  // no size yet: nothing to do, nothing touched

  int32_t s = 0;
  ZR_Buffer* w = nullptr;
  ASSERT_EQ(cmd("%o -s 9 -s -w", t, &s, &w), ZR_OK);
  EXPECT_EQ(s, 9);
  ASSERT_EQ(w, t->output);
  EXPECT_EQ(t->output->count, 2048);
  EXPECT_EQ(t->history->count, 1024);
  int32_t length = 0;
  ASSERT_EQ(cmd("%o -l", w, &length), ZR_OK);  // the owned buffer answers commands
  EXPECT_EQ(length, 2048);

  // Re-sizing keeps the same buffers and clears them.
  ZR_Buffer* history = t->history;
  t->output->data[5] = 9;
  history->data[7] = 9;
  ASSERT_EQ(cmd("%o -s 10", t), ZR_OK);
  EXPECT_EQ(t->output, w);
  EXPECT_EQ(t->history, history);
  EXPECT_EQ(t->output->count, 4096);
  EXPECT_EQ(t->history->count, 2048);
  EXPECT_EQ(t->output->data[5], 0);
  EXPECT_EQ(t->history->data[7], 0);

  // Sizes the tables do not cover are refused.
  struct Case {
    int s;
  } refused[] = {{-1}, {16}, {31}, {1000000}};
  for (const Case& c : refused) {
    ASSERT_EQ(cmd("%o -s %i -s", t, c.s, &s), ZR_OK);
    EXPECT_EQ(s, 10) << c.s;
    EXPECT_EQ(t->output->count, 4096);
  }
}

TEST_F(FourierTest, DirectionAndWindowWords) {
  ZR_Fourier_Transform* t = nullptr;
  ASSERT_EQ(cmd("ZR_Fourier_Transform", &t), ZR_OK);
  struct Case {
    const char* param;
    const char* word;
    const char* reported;
  } cases[] = {{"d", "backward", "backward"}, {"d", "sideways", "backward"}, {"d", "forward", "forward"},
               {"d", "Backward", "forward"},  {"win", "sin", "sin"},         {"win", "cos", "sin"},
               {"win", "none", "none"},       {"win", "sinus", "none"}};
  for (const Case& c : cases) {
    char* result = nullptr;
    std::string line = std::string("%o -") + c.param + " " + c.word + " -" + c.param;
    ASSERT_EQ(cmd(line.c_str(), t, &result), ZR_OK);
    EXPECT_STREQ(result, c.reported) << line;
  }
  // A number is not a word.
  char* result = nullptr;
  ASSERT_EQ(cmd("%o -d 1 -d", t, &result), ZR_OK);
  EXPECT_STREQ(result, "forward");
}

TEST_F(FourierTest, InputMustBeABuffer) {
  ZR_Buffer* in = buffer(16);
  ZR_Fourier_Transform* t = transform(in, 3);
  ZR_Fourier_Transform* other = transform(in, 3);
  int local = 0;
  ZR_Buffer* got = nullptr;
  ASSERT_EQ(cmd("%o -i %o -i", t, other, &got), ZR_OK);  // a stage is not a buffer
  EXPECT_EQ(got, in);
  ASSERT_EQ(cmd("%o -i %o -i", t, &local, &got), ZR_OK);  // nor is any other address
  EXPECT_EQ(got, in);
  ASSERT_EQ(cmd("%o -i 0 -i", t, &got), ZR_OK);  // none is allowed
  EXPECT_EQ(got, nullptr);
}

TEST_F(FourierTest, MissingInputIsSafe) {
  // Forward without input: no new samples; the history is transformed.
  ZR_Buffer* in = buffer(8);
  for (int i = 0; i < 8; ++i) in->data[i] = 1000 * (i + 1);
  ZR_Fourier_Transform* f = transform(in, 2);
  f->process();
  std::vector<int32_t> before(f->output->data, f->output->data + 16);
  ASSERT_EQ(cmd("%o -i 0", f), ZR_OK);
  f->process();
  EXPECT_EQ(std::vector<int32_t>(f->output->data, f->output->data + 16), before);
  // An input that lost its samples counts as no input.
  ASSERT_EQ(cmd("%o -i %o", f, in), ZR_OK);
  ASSERT_EQ(cmd("%o -l 0", in), ZR_OK);
  f->process();
  EXPECT_EQ(std::vector<int32_t>(f->output->data, f->output->data + 16), before);

  // Backward without input, or with fewer points than N: the missing
  // points are zero.
  ZR_Fourier_Transform* b = transform(nullptr, 2, "backward");
  for (int i = 0; i < 16; ++i) b->output->data[i] = 77;
  b->process();
  for (int i = 0; i < 16; ++i) EXPECT_EQ(b->output->data[i], 0);
  ZR_Buffer* shortInput = buffer(2);  // one point
  shortInput->data[0] = 1 << 20;
  ASSERT_EQ(cmd("%o -i %o", b, shortInput), ZR_OK);
  b->process();
  for (int k = 0; k < 8; ++k) EXPECT_EQ(point(b, k), Complex(1 << 20, 0)) << k;
}

TEST_F(FourierTest, OwnOutputAsBackwardInput) {
  // A backward stage reading its own output transforms it in place.
  std::vector<int32_t> points = randomSamples(64, 44, 1 << 20);
  ZR_Buffer* in = buffer(64);
  std::copy(points.begin(), points.end(), in->data);
  ZR_Fourier_Transform* reference = transform(in, 4, "backward");
  reference->process();
  ZR_Fourier_Transform* self = transform(nullptr, 4, "backward");
  std::copy(points.begin(), points.end(), self->output->data);
  ASSERT_EQ(cmd("%o -i %o", self, self->output), ZR_OK);
  self->process();
  for (int i = 0; i < 64; ++i) ASSERT_EQ(self->output->data[i], reference->output->data[i]) << i;
}

TEST_F(FourierTest, ShrunkenBuffersAreLeftAlone) {
  ZR_Buffer* in = buffer(16);
  ZR_Fourier_Transform* t = transform(in, 3);
  ASSERT_EQ(cmd("%o -l 4", t->output), ZR_OK);  // someone shrank the output
  t->process();                                 // must not write past it
  EXPECT_EQ(t->output->count, 4);
  ASSERT_EQ(cmd("%o -s 3", t), ZR_OK);  // "-s" restores it: 16 points
  in->data[0] = 1 << 20;
  t->process();
  EXPECT_EQ(t->output->count, 32);
  // The impulse is the newest of 16 samples: 2^20/16 e^(2 pi i 15k/16).
  for (int k = 0; k < 16; ++k) EXPECT_NEAR(std::abs(point(t, k)), 65536.0, 4.0) << k;
}

TEST_F(FourierTest, DeleteFreesOwnedBuffers) {
  int before = ZR_Object::liveCount();
  ZR_Fourier_Transform* t = nullptr;
  ASSERT_EQ(cmd("ZR_Fourier_Transform -s 9", &t), ZR_OK);
  EXPECT_EQ(ZR_Object::liveCount(), before + 3);
  ZR_Buffer* out = t->output;
  ASSERT_EQ(cmd("%o -delete", t), ZR_OK);
  EXPECT_FALSE(ZR_Object::isLive(t));
  EXPECT_FALSE(ZR_Object::isLive(out));
  EXPECT_EQ(ZR_Object::liveCount(), before);
}

TEST_F(FourierTest, RegistersWithTheOpenPipe) {
  ZR_Soundpipe* pipe = nullptr;
  int32_t began = 0;
  ASSERT_EQ(cmd("ZR_Soundpipe -bl %i -b", &pipe, 64, &began), ZR_OK);
  int buffersBefore = pipe->buffers.count;
  ZR_Fourier_Transform* t = nullptr;
  ASSERT_EQ(cmd("ZR_Fourier_Transform -s 5", &t), ZR_OK);
  int32_t ended = 0;
  ASSERT_EQ(cmd("%o -e", pipe, &ended), ZR_OK);
  EXPECT_EQ(t->pipe, pipe);
  EXPECT_EQ(pipe->buffers.count, buffersBefore + 2);
  t->history->data[3] = 5;
  t->output->data[3] = 5;
  pipe->clear();
  EXPECT_EQ(t->history->data[3], 0);
  EXPECT_EQ(t->output->data[3], 0);
}

}  // namespace
