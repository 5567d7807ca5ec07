// The spectral noise gate: construction and parameters, the per-block
// steps as seen from outside (gains, learning, level), its net effect as a
// filter against a double-precision model, and a checksum of its outputs
// that every build must reproduce.
#include <gtest/gtest.h>

#include <cmath>
#include <complex>
#include <cstdarg>
#include <cstdint>
#include <deque>
#include <random>
#include <string>
#include <vector>

#include "command_fixture.h"
#include "ZR_fourier.h"

namespace {

const double kPi = 3.141592653589793;
const int kN = 1024;     // points of every transform here
const int kBlock = 512;  // largest block

// The graph the plug-in builds: input -> forward transform -> gate -> two
// backward transforms, run stage by stage as the plug-in runs them.
class NoisegateTest : public CommandTest {
 protected:
  ZR_Soundpipe* pipe = nullptr;
  ZR_Buffer* input = nullptr;
  ZR_Fourier_Transform* forward = nullptr;
  ZR_Fourier_Noisegate* gate = nullptr;
  ZR_Buffer* out1 = nullptr;
  ZR_Buffer* out2 = nullptr;
  ZR_Fourier_Transform* backward1 = nullptr;
  ZR_Fourier_Transform* backward2 = nullptr;
  std::vector<int32_t> history;  // every input sample so far



  void build() {
    int32_t began = 0, ended = 0;
    ASSERT_EQ(cmd("ZR_Soundpipe -bl %i -b", &pipe, kBlock, &began), ZR_OK);
    ASSERT_EQ(cmd("ZR_Buffer", &input), ZR_OK);
    ASSERT_EQ(cmd("ZR_Fourier_Transform -i %o -s 9", &forward, input), ZR_OK);
    ASSERT_EQ(cmd("ZR_Fourier_Noisegate -i %o -s %o", &gate, forward->output, input), ZR_OK);
    ASSERT_EQ(cmd("ZR_Fourier_Noisegate %o -o1", gate, &out1), ZR_OK);
    ASSERT_EQ(cmd("ZR_Fourier_Noisegate %o -o2", gate, &out2), ZR_OK);
    ASSERT_EQ(cmd("ZR_Fourier_Transform -i %o -s 9 -d backward", &backward1, out1), ZR_OK);
    ASSERT_EQ(cmd("ZR_Fourier_Transform -i %o -s 9 -d backward", &backward2, out2), ZR_OK);
    ASSERT_EQ(cmd("%o -e", pipe, &ended), ZR_OK);
  }

  // One block of n samples through the graph.
  void block(const int32_t* x, int n) {
    pipe->blockLength = n;
    std::copy(x, x + n, input->data);
    history.insert(history.end(), x, x + n);
    input->fade = 0;
    forward->process();
    gate->process();
    backward1->process();
    backward2->process();
  }
  void block(const std::vector<int32_t>& x) { block(x.data(), static_cast<int>(x.size())); }

  // The filtered samples of the last block of n, read from the top of a
  // backward result down (the transforms reverse time).
  static std::vector<double> readout(const ZR_Fourier_Transform* b, int n) {
    std::vector<double> y(static_cast<size_t>(n));
    for (int d = 0; d < n; ++d) y[d] = b->output->data[2 * (kN / 2 + n - 1 - d)];
    return y;
  }

  // The plug-in's output for the last block: from the previous filter to
  // the current one across the block.
  std::vector<double> crossfaded(int n) const {
    std::vector<double> a = readout(backward1, n), b = readout(backward2, n), y(static_cast<size_t>(n));
    for (int d = 0; d < n; ++d) y[d] = ((n - d) * a[d] + d * b[d]) / n;
    return y;
  }

};


// ---------------------------------------------------------------- construction and parameters

TEST_F(NoisegateTest, ConstructionBuildsTransformsAndDelayLine) {
  ZR_Fourier_Noisegate* g = nullptr;
  ASSERT_EQ(cmd("ZR_Fourier_Noisegate", &g), ZR_OK);
  EXPECT_EQ(g->input, nullptr);
  EXPECT_EQ(g->source, nullptr);
  EXPECT_EQ(g->output1, nullptr);
  EXPECT_EQ(g->output2, nullptr);
  EXPECT_EQ(g->adapt, 0);
  EXPECT_EQ(g->level, 0.0);
  EXPECT_EQ(g->points(), 0);
  for (ZR_Buffer* b : {g->thresholds, g->gains, g->delayed}) {
    ASSERT_TRUE(ZR_Object::isLive(b));
    EXPECT_EQ(b->length, 0);
    EXPECT_EQ(b->data, nullptr);
  }
  // The transforms and how they are wired.
  EXPECT_EQ(g->inverse->backward, 1);
  EXPECT_EQ(g->inverse->input, g->gains);
  EXPECT_EQ(g->inverse->size, 5);
  EXPECT_EQ(g->head->input, g->inverse->output);
  EXPECT_EQ(g->tail->input, g->inverse->output);
  EXPECT_EQ(g->head->backward, 0);
  EXPECT_EQ(g->tail->backward, 0);
  EXPECT_EQ(g->analysis->window, 1);
  EXPECT_EQ(g->analysis->size, 5);
  EXPECT_EQ(g->delayedTransform->input, g->delayed);
  EXPECT_EQ(g->delayedTransform->window, 0);
  EXPECT_EQ(g->delayedTransform->size, 5);
  // The delay line: one group into the delayed signal, one tap of 512
  // samples at full amplitude, unity gain, no feedback.
  ZR_Effect_Deline* d = g->delay;
  ASSERT_EQ(d->groups.count, 1);
  auto* group = static_cast<ZR_Effect_Deline_Group*>(d->groups.first()->data);
  EXPECT_EQ(group->gain, 8388607);
  EXPECT_EQ(group->feedback, 0);
  EXPECT_EQ(group->output, g->delayed);
  ASSERT_EQ(group->taps.count, 1);
  auto* tap = static_cast<ZR_Effect_Deline_Group_Delay*>(group->taps.first()->data);
  EXPECT_EQ(tap->amplitude, 2147483647);
  EXPECT_EQ(tap->delay, 512.0f);
  EXPECT_EQ(tap->inSamples, 1);
  EXPECT_EQ(d->input, nullptr);
  // The inner stages answer commands.
  int32_t s = 0;
  ASSERT_EQ(cmd("%o -s", g->analysis, &s), ZR_OK);
  EXPECT_EQ(s, 5);
  g->process();  // nothing sized yet: nothing to do
}

TEST_F(NoisegateTest, InputSizesEverything) {
  build();
  EXPECT_EQ(gate->points(), 1024);
  EXPECT_EQ(gate->thresholds->count, 513);
  for (int j = 0; j < 513; ++j) ASSERT_EQ(gate->thresholds->data[j], 0);
  ASSERT_EQ(gate->gains->count, 2048);
  for (int k = 0; k < 1024; ++k) {
    ASSERT_EQ(gate->gains->data[2 * k], 2097151);
    ASSERT_EQ(gate->gains->data[2 * k + 1], 0);
  }
  for (ZR_Fourier_Transform* t :
       {gate->inverse, gate->head, gate->tail, gate->analysis, gate->delayedTransform})
    EXPECT_EQ(t->size, 9);
  // The source: the analysis input, the delay line's input, and the block
  // length the delayed signal follows.
  EXPECT_EQ(gate->source, input);
  EXPECT_EQ(gate->analysis->input, input);
  EXPECT_EQ(gate->delay->input, input);
  EXPECT_EQ(gate->delayed->length, ZR_Buffer::FOLLOW_PIPE);
  EXPECT_EQ(gate->delayed->count, 512);
  pipe->blockLength = 100;
  EXPECT_EQ(gate->delayed->blockLength(), 100);
  // Outputs made by a query take the input's length and stay.
  EXPECT_EQ(out1->count, 2048);
  EXPECT_EQ(out2->count, 2048);
  ZR_Buffer* again = nullptr;
  ASSERT_EQ(cmd("%o -o1", gate, &again), ZR_OK);
  EXPECT_EQ(again, out1);
  ZR_Buffer* w = nullptr;
  ASSERT_EQ(cmd("%o -w", gate, &w), ZR_OK);
  EXPECT_EQ(w, gate->thresholds);
}

TEST_F(NoisegateTest, InputLengthsGiveSizes) {
  struct Case {
    int length;
    int bins;
    int size;    // given to the five transforms; -1: refused by them
    int points;  // 0: the gate stays idle
  } cases[] = {{2048, 513, 9, 1024}, {4096, 1025, 10, 2048}, {1024, 257, 8, 512},
               {3000, 751, 9, 1024}, {4, 2, 0, 2},          {2, 1, -1, 0}};
  for (const Case& c : cases) {
    ZR_Buffer* spectrum = nullptr;
    ZR_Fourier_Noisegate* g = nullptr;
    ASSERT_EQ(cmd("ZR_Buffer -l %i", &spectrum, c.length), ZR_OK);
    ASSERT_EQ(cmd("ZR_Fourier_Noisegate -i %o", &g, spectrum), ZR_OK);
    EXPECT_EQ(g->thresholds->count, c.bins) << c.length;
    EXPECT_EQ(g->gains->count, c.length) << c.length;
    EXPECT_EQ(g->points(), c.points) << c.length;
    if (c.size >= 0) {
      for (ZR_Fourier_Transform* t : {g->inverse, g->head, g->tail, g->analysis, g->delayedTransform}) {
        EXPECT_EQ(t->size, c.size) << c.length;
      }
    }
    g->process();  // without a source: silence in, nothing broken
  }
}

TEST_F(NoisegateTest, ParametersKeepOldValuesForNonBuffers) {
  build();
  int local = 0;
  struct Case {
    const char* param;
  } cases[] = {{"i"}, {"o1"}, {"o2"}, {"s"}};
  for (const Case& c : cases) {
    ZR_Buffer* before = nullptr;
    ZR_Buffer* after = nullptr;
    std::string query = std::string("%o -") + c.param;
    std::string set = query + " %o -" + c.param;
    ASSERT_EQ(cmd(query.c_str(), gate, &before), ZR_OK);
    ASSERT_EQ(cmd(set.c_str(), gate, &local, &after), ZR_OK);  // not an object
    EXPECT_EQ(after, before) << c.param;
    ASSERT_EQ(cmd(set.c_str(), gate, forward, &after), ZR_OK);  // not a buffer
    EXPECT_EQ(after, before) << c.param;
  }
  struct AdaptCase {
    int value;
    int32_t reported;
  } adapts[] = {{1, 1}, {0, 0}, {7, 1}, {-1, 1}, {0, 0}};
  for (const AdaptCase& a : adapts) {
    int32_t r = -1;
    ASSERT_EQ(cmd("%o -a %i -a", gate, a.value, &r), ZR_OK);
    EXPECT_EQ(r, a.reported) << a.value;
  }
  // "-on" reaches the stage base.
  int32_t on = -1;
  ASSERT_EQ(cmd("%o -on", gate, &on), ZR_OK);
  EXPECT_EQ(on, 1);
}

TEST_F(NoisegateTest, DeleteTakesEverythingItOwns) {
  int before = ZR_Object::liveCount();
  ZR_Buffer* spectrum = nullptr;
  ZR_Buffer* source = nullptr;
  ASSERT_EQ(cmd("ZR_Buffer -l 2048", &spectrum), ZR_OK);
  ASSERT_EQ(cmd("ZR_Buffer -l 512", &source), ZR_OK);
  ZR_Fourier_Noisegate* g = nullptr;
  ZR_Buffer* o1 = nullptr;
  ASSERT_EQ(cmd("ZR_Fourier_Noisegate -i %o -s %o -o1", &g, spectrum, source, &o1), ZR_OK);
  ASSERT_NE(o1, nullptr);
  ASSERT_EQ(cmd("%o -delete", g), ZR_OK);
  EXPECT_FALSE(ZR_Object::isLive(o1));
  EXPECT_TRUE(ZR_Object::isLive(spectrum));
  EXPECT_TRUE(ZR_Object::isLive(source));
  EXPECT_EQ(ZR_Object::liveCount(), before + 2);
}

// ---------------------------------------------------------------- per-block behaviour

TEST_F(NoisegateTest, TemporaryViewsAreRestored) {
  build();
  int32_t* gainData = gate->gains->data;
  int32_t* responseData = gate->inverse->output->data;
  block(randomSamples(512, 1, 1 << 28));
  EXPECT_EQ(gate->gains->data, gainData);
  EXPECT_EQ(gate->gains->length, 2048);
  EXPECT_EQ(gate->gains->count, 2048);
  EXPECT_EQ(gate->inverse->output->data, responseData);
  EXPECT_EQ(gate->inverse->output->length, 2048);
  EXPECT_EQ(gate->inverse->output->count, 2048);
  // The split left each half zero-padded.
  for (int k = 512; k < 1024; ++k) {
    ASSERT_EQ(responseData[k], 0) << k;
    ASSERT_EQ(responseData[1024 + k], 0) << k;
  }
}

TEST_F(NoisegateTest, ImpulseResponseIsSplitIntoZeroPaddedHalves) {
  // The inverse transform turns the whole gain spectrum into h; the split
  // keeps the real parts of points 0..N/2-1 and N/2..N-1, each followed by
  // zeros.  Compared with a separate backward transform of the same gains.
  // A thresholds buffer cut short changes only how many bins get new gains.
  struct Case {
    int bins;  // thresholds in use
  } cases[] = {{513}, {40}, {1}};
  for (const Case& c : cases) {
    build();
    ZR_Buffer* thresholds = nullptr;
    ASSERT_EQ(cmd("%o -w", gate, &thresholds), ZR_OK);
    ASSERT_EQ(cmd("%o -l %i", thresholds, c.bins), ZR_OK);
    for (int j = 0; j < c.bins; ++j) thresholds->data[j] = 3000000 + 20000 * (j % 13);
    for (int b = 0; b < 3; ++b) block(randomSamples(512, 50 + b, 1 << 28));

    ZR_Buffer* gains = nullptr;
    ZR_Fourier_Transform* reference = nullptr;
    ASSERT_EQ(cmd("ZR_Buffer -l 2048", &gains), ZR_OK);
    std::copy(gate->gains->data, gate->gains->data + 2048, gains->data);
    ASSERT_EQ(cmd("ZR_Fourier_Transform -i %o -s 9 -d backward", &reference, gains), ZR_OK);
    reference->process();
    const int32_t* h = gate->inverse->output->data;
    const int32_t* r = reference->output->data;
    for (int k = 0; k < 512; ++k) {
      ASSERT_EQ(h[k], r[2 * k]) << c.bins << " " << k;
      ASSERT_EQ(h[1024 + k], r[2 * (512 + k)]) << c.bins << " " << k;
      ASSERT_EQ(h[512 + k], 0);
      ASSERT_EQ(h[1536 + k], 0);
    }
    // Bins past the shortened thresholds keep unity gain.
    for (int j = c.bins; j <= 512; ++j) ASSERT_EQ(gate->gains->data[2 * j], 2097151) << c.bins << " " << j;
    if (c.bins > 1) {
      EXPECT_LT(gate->gains->data[2], 2097151);
    }
    TearDown();
    history.clear();
  }
}

TEST_F(NoisegateTest, FirstOutputOfTheFirstBlockIsSilent) {
  build();
  block(randomSamples(512, 2, 1 << 30));
  for (int i = 0; i < 2048; ++i) ASSERT_EQ(out1->data[i], 0) << i;
  bool any = false;
  for (int i = 0; i < 2048; ++i) any = any || out2->data[i] != 0;
  EXPECT_TRUE(any);
}

TEST_F(NoisegateTest, ZeroThresholdsPassAnImpulse511SamplesLater) {
  build();
  const int blocks = 8, at = 3 * kBlock + 100;
  std::vector<int32_t> x(static_cast<size_t>(blocks * kBlock), 0);
  x[at] = 1 << 30;
  std::vector<double> y;
  for (int b = 0; b < blocks; ++b) {
    block(x.data() + b * kBlock, kBlock);
    std::vector<double> part = crossfaded(kBlock);
    y.insert(y.end(), part.begin(), part.end());
  }
  // Unity gain is 2097151/2097152; each transform floors on the way.
  double offPeak = 0.0;
  for (size_t t = 0; t < y.size(); ++t)
    if (static_cast<int>(t) != at + 511) offPeak = std::max(offPeak, std::abs(y[t]));
  // The spectra's floor rounding leaves about 2e-6 of the impulse off at
  // its place and under 1e-6 of it elsewhere.
  EXPECT_NEAR(y[at + 511], (1 << 30) * (2097151.0 / 2097152.0), 4096.0);
  EXPECT_LE(offPeak, 1024.0);
  EXPECT_GT(y[at + 511], 1e9);
}

TEST_F(NoisegateTest, GainIsZeroAtTheThresholdAndHalfAtTwice) {
  build();
  // A constant source: its windowed spectrum has a real point 0 whose
  // magnitude is an integer, the same every block once the history is full.
  std::vector<int32_t> x(512, 0);
  int32_t m0 = 0;
  for (int32_t c = 100000000; m0 == 0 || m0 % 2; ++c) {
    std::fill(x.begin(), x.end(), c);
    block(x);
    block(x);
    ASSERT_EQ(gate->analysis->output->data[1], 0);
    m0 = std::abs(gate->analysis->output->data[0]);
  }
  int32_t* threshold = gate->thresholds->data;
  const int32_t* gain = gate->gains->data;
  struct Case {
    int32_t threshold;
    double level;
    int32_t gain;  // of point 0
  } cases[] = {
      {0, 0.0, 2097151},                                  // no threshold: unity
      {m0, 0.0, 0},                                        // at the threshold
      {m0 / 2, 0.0, 1048575},                              // at twice the threshold
      {m0 - 8000, 1.0, 0},                                 // level 1.0 adds 8000
      {m0 / 2 - 4000, 0.5, 1048575},                       // level 0.5 adds 4000
      {m0 - 8000, 0.0, static_cast<int32_t>(8000.0 / m0 * 2147483647.0 * 0.0009765625)},
      {m0 + 1, 0.0, 0},                                    // above the magnitude
      {0, -0.5, static_cast<int32_t>((m0 + 4000.0) / m0 * 2147483647.0 * 0.0009765625)},
  };
  for (const Case& c : cases) {
    threshold[0] = c.threshold;
    gate->level = c.level;
    block(x);
    EXPECT_EQ(gain[0], c.gain) << c.threshold << " " << c.level;
    EXPECT_EQ(gain[1], 0);
    EXPECT_EQ(threshold[0], c.threshold);  // the level never changes what is stored
  }
}

TEST_F(NoisegateTest, SilenceGivesUnityGainUnlessThresholded) {
  build();
  std::vector<int32_t> x(512, 0);
  block(x);
  block(x);
  for (int k = 0; k < 1024; ++k) ASSERT_EQ(gate->gains->data[2 * k], 2097151) << k;
  gate->level = 1.0;
  block(x);
  for (int k = 0; k < 1024; ++k) ASSERT_EQ(gate->gains->data[2 * k], 0) << k;
}

TEST_F(NoisegateTest, GainsAreMirrored) {
  build();
  for (int i = 0; i < 3; ++i) block(randomSamples(512, 10 + i, 1 << 29));
  for (int j = 0; j < 513; ++j) gate->thresholds->data[j] = 200000 + 1000 * (j % 7);
  block(randomSamples(512, 20, 1 << 29));
  const int32_t* g = gate->gains->data;
  int between = 0;
  for (int j = 1; j < 512; ++j) {
    ASSERT_EQ(g[2 * (1024 - j)], g[2 * j]) << j;
    ASSERT_EQ(g[2 * (1024 - j) + 1], 0);
    if (g[2 * j] > 0 && g[2 * j] < 2097151) ++between;
  }
  EXPECT_GT(between, 100);  // the thresholds sit inside the noise's range
}

TEST_F(NoisegateTest, LearningApproachesTheMagnitudeGeometrically) {
  build();
  // Steady noise: the same 512 samples every block, so once the history is
  // full the windowed magnitudes repeat exactly.
  std::vector<int32_t> x = randomSamples(512, 3, 1 << 29);
  block(x);
  block(x);
  const int32_t* a = gate->analysis->output->data;
  std::vector<double> m(513);
  for (int j = 0; j < 513; ++j) m[j] = std::sqrt(double(a[2 * j]) * a[2 * j] + double(a[2 * j + 1]) * a[2 * j + 1]);

  ASSERT_EQ(cmd("%o -a 1", gate), ZR_OK);
  std::vector<std::vector<int32_t>> steps;
  for (int b = 0; b < 22; ++b) {
    // The gains of a learning block use the thresholds from before it.
    std::vector<int32_t> before(gate->thresholds->data, gate->thresholds->data + 513);
    block(x);
    if (b == 0) {
      for (int j = 0; j < 513; ++j) {
        if (m[j] > 0) {
          ASSERT_EQ(gate->gains->data[2 * j], 2097151) << j;
        }
      }
    }
    steps.emplace_back(gate->thresholds->data, gate->thresholds->data + 513);
    for (int j = 0; j < 513; ++j) {
      // t' = trunc(t + 0.1 (m - t)): the remaining distance shrinks by 0.9.
      double expected = std::trunc(before[j] + 0.1 * (m[j] - before[j]));
      ASSERT_NEAR(steps.back()[j], expected, 1.0) << b << " " << j;
      ASSERT_GE(steps.back()[j], before[j]);
    }
  }
  int checked = 0;
  for (int j = 0; j < 513; ++j) {
    if (m[j] < 1e5) continue;
    EXPECT_NEAR(steps[0][j] / m[j], 0.1, 1e-4) << j;
    EXPECT_NEAR(steps[21][j] / m[j], 1.0 - std::pow(0.9, 22), 1e-3) << j;  // about 90 %
    ++checked;
  }
  EXPECT_GT(checked, 400);

  // Rising stops under 10 units below the magnitude.
  for (int b = 0; b < 300; ++b) block(x);
  for (int j = 0; j < 513; ++j) {
    ASSERT_LE(gate->thresholds->data[j], m[j]) << j;
    ASSERT_GT(gate->thresholds->data[j], m[j] - 10.0) << j;
  }
  // From above, a threshold falls until it is no longer above.
  for (int j = 0; j < 513; ++j) gate->thresholds->data[j] = static_cast<int32_t>(m[j] + 5000.0);
  for (int b = 0; b < 300; ++b) block(x);
  for (int j = 0; j < 513; ++j) ASSERT_EQ(gate->thresholds->data[j], static_cast<int32_t>(std::floor(m[j]))) << j;

  // Frozen once learning is off.
  ASSERT_EQ(cmd("%o -a 0", gate), ZR_OK);
  gate->thresholds->data[5] = 1234;
  block(randomSamples(512, 99, 1 << 30));
  EXPECT_EQ(gate->thresholds->data[5], 1234);
}

// ---------------------------------------------------------------- net effect

// The gate as a filter, in double precision: the gains from the windowed
// spectrum of the latest N samples against the thresholds, their impulse
// response h (real and even), the non-negative-time half applied to the
// current window and the negative-time half to the window 513 samples back.
class GateModel {
 public:
  // Gains for the window of N samples ending at `end` (exclusive).
  GateModel() : cos_(kN), sin_(kN), window_(kN) {
    for (int m = 0; m < kN; ++m) {
      cos_[m] = std::cos(2.0 * kPi * m / kN);
      sin_[m] = std::sin(2.0 * kPi * m / kN);
      window_[m] = std::pow(std::sin(kPi * m / kN), 2);
    }
  }

  void update(const std::vector<int32_t>& x, size_t end, const int32_t* thresholds, double level) {
    std::vector<double> g(kN), v(kN);
    for (int i = 0; i < kN; ++i) {
      long idx = static_cast<long>(end) - kN + i;
      v[i] = (idx >= 0 ? x[static_cast<size_t>(idx)] : 0.0) * window_[i];
    }
    for (int j = 0; j <= kN / 2; ++j) {
      std::complex<double> sum = 0.0;
      for (int i = 0; i < kN; ++i) {
        int m = (i * j) % kN;
        sum += v[i] * std::complex<double>(cos_[m], sin_[m]);
      }
      double m = std::abs(sum) / kN;
      double e = 8000.0 * level + thresholds[j];
      double gain = m > 0.0 ? std::max(0.0, (m - e) / m) : (e > 0.0 ? 0.0 : 1.0);
      // Gains are carried with 21 fraction bits, unity 2097151.
      gain = std::trunc(gain * 2147483647.0 / 1024.0) / 2097152.0;
      g[j] = gain;
      g[(kN - j) % kN] = gain;
    }
    h_.assign(kN, 0.0);
    for (int n = 0; n < kN; ++n) {
      double sum = 0.0;
      for (int k = 0; k < kN; ++k) sum += g[k] * cos_[(k * n) % kN];
      h_[n] = sum / kN;
    }
  }

  double at(const std::vector<int32_t>& x, long t) const {
    auto sample = [&](long i) { return i >= 0 && i < static_cast<long>(x.size()) ? double(x[i]) : 0.0; };
    double y = 0.0;
    for (int m = 0; m < kN / 2; ++m) y += h_[m] * sample(t - 511 + m);
    for (int l = 1; l <= kN / 2; ++l) y += h_[l] * sample(t - 512 - l);
    return y;
  }

 private:
  std::vector<double> cos_, sin_, window_;
  std::vector<double> h_;
};

TEST_F(NoisegateTest, FiltersLikeTheDoubleModel) {
  build();
  // Noise with two tones; thresholds learnt on the noise alone, then frozen.
  std::vector<int32_t> stream = randomSamples(512 * 12, 7, 1 << 27);
  for (size_t i = 0; i < stream.size(); ++i)
    if (i >= 512 * 4)
      stream[i] += static_cast<int32_t>(4e8 * std::sin(2.0 * kPi * 40.5 * i / kN) +
                                        2e8 * std::sin(2.0 * kPi * 170.25 * i / kN));
  ASSERT_EQ(cmd("%o -a 1", gate), ZR_OK);
  for (int b = 0; b < 4; ++b) block(stream.data() + 512 * b, 512);
  ASSERT_EQ(cmd("%o -a 0", gate), ZR_OK);
  gate->level = 20.0;
  const std::vector<int32_t> thresholds(gate->thresholds->data, gate->thresholds->data + 513);

  GateModel previous, current;
  double worst1 = 0.0, worst2 = 0.0, peak = 0.0;
  int zeroGains = 0;
  for (int b = 4; b < 12; ++b) {
    // Blocks of 512 and shorter ones: the model does not care.
    const int n = b == 7 ? 300 : (b == 9 ? 212 : 512);
    const size_t start = history.size();
    block(stream.data() + start, n);
    const size_t end = start + n;
    current.update(history, end, thresholds.data(), gate->level);
    for (int j = 0; j < 513; ++j) zeroGains += gate->gains->data[2 * j] == 0;
    std::vector<double> y2 = readout(backward2, n), y1 = readout(backward1, n);
    for (int d = 0; d < n; ++d) {
      double expected = current.at(history, static_cast<long>(start) + d);
      peak = std::max(peak, std::abs(expected));
      worst2 = std::max(worst2, std::abs(y2[d] - expected));
      if (b > 4) worst1 = std::max(worst1, std::abs(y1[d] - previous.at(history, static_cast<long>(start) + d)));
    }
    previous = current;
  }
  // The filter really removes something, and the signal is large.
  EXPECT_GT(zeroGains, 500);
  EXPECT_GT(peak, 3e8);
  // The spectra carry 1/N: a unit of them is worth N = 1024 units of the
  // signal, and the flooring stages leave them a few units off, so the
  // result agrees to within 8 N (4e-6 of full scale).  An index off by one
  // in either half of the filter would leave errors of 1e8 here.
  RecordProperty("worst_first", std::to_string(worst1));
  RecordProperty("worst_second", std::to_string(worst2));
  EXPECT_LT(worst2, 8192.0);
  EXPECT_LT(worst1, 8192.0);
}

// ---------------------------------------------------------------- the same bits everywhere

// FNV-1a over 32-bit values, byte by byte, least significant first.
uint64_t fnv1a(uint64_t hash, const int32_t* v, int n) {
  for (int i = 0; i < n; ++i) {
    uint32_t u = static_cast<uint32_t>(v[i]);
    for (int b = 0; b < 4; ++b) {
      hash ^= (u >> (8 * b)) & 0xFFu;
      hash *= 1099511628211ull;
    }
  }
  return hash;
}

TEST_F(NoisegateTest, OutputsHashToTheSameValueInEveryBuild) {
  // Several hundred blocks of integer-generated input (no library random
  // numbers or sines, whose values may differ between runtimes), with
  // learning, level changes and blocks of several lengths.  The 64-bit,
  // 32-bit and Windows builds must all give this checksum.
  build();
  uint32_t lcg = 12345;
  const int lengths[] = {512, 512, 300, 512, 128, 512, 1, 512, 511, 2};
  uint64_t hash = 14695981039346656037ull;
  std::vector<int32_t> x(512);
  for (int b = 0; b < 400; ++b) {
    const int n = lengths[b % 10];
    for (int i = 0; i < n; ++i) {
      lcg = lcg * 1664525u + 1013904223u;
      int32_t noiseSample = static_cast<int32_t>(lcg) >> 4;  // about 2^27
      int64_t t = static_cast<int64_t>(history.size()) + i;
      int32_t tone = (t / 37) % 2 ? 300000000 : -300000000;  // a square wave
      int32_t burst = b >= 200 && b < 260 ? static_cast<int32_t>((t % 101) * 9000000) - 450000000 : 0;
      x[i] = noiseSample + (b >= 100 ? tone : 0) + burst;
    }
    if (b == 20) {
      ASSERT_EQ(cmd("%o -a 1", gate), ZR_OK);
    }
    if (b == 90) {
      ASSERT_EQ(cmd("%o -a 0", gate), ZR_OK);
    }
    if (b == 150) gate->level = 0.75;
    if (b == 300) gate->level = 2.5;
    block(x.data(), n);
    hash = fnv1a(hash, out1->data, 2048);
    hash = fnv1a(hash, out2->data, 2048);
    hash = fnv1a(hash, backward2->output->data, 2048);
  }
  hash = fnv1a(hash, gate->thresholds->data, 513);
  EXPECT_EQ(hash, 0x9a0aa5bdc35b807eull) << std::hex << hash;
}

}  // namespace
