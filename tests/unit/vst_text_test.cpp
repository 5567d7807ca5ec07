// The text formatting operations and the speaker arrangement helpers.
#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <limits>
#include <string>

#include "vst_test_support.h"

using namespace vsttest;

namespace {

enum class Op { Float, Int, DB, Hz, Ms };

const char* opName(Op op) {
  switch (op) {
    case Op::Float: return "float2string";
    case Op::Int: return "int2string";
    case Op::DB: return "dB2string";
    case Op::Hz: return "Hz2string";
    case Op::Ms: return "ms2string";
  }
  return "?";
}

struct TextCase {
  Op op;
  double input;
  int32_t maxLen;
  const char* expected;
};

const TextCase kTextCases[] = {
    // At most eight characters, fraction truncated.
    {Op::Float, 1.5, 24, "1.500000"},
    {Op::Float, 0.0, 24, "0.000000"},
    {Op::Float, -1.5, 24, "-1.50000"},
    {Op::Float, -0.25, 24, "-0.25000"},
    {Op::Float, 0.25, 24, "0.250000"},
    {Op::Float, 0.1, 24, "0.100000"},
    {Op::Float, 0.7, 24, "0.699999"},  // 0.7f is 0.69999998...
    {Op::Float, 2.999999, 24, "2.999999"},
    {Op::Float, 123.456, 24, "123.4560"},
    {Op::Float, 1234567.0, 24, "1234567."},
    {Op::Float, 9999999.0, 24, "9999999."},
    {Op::Float, -999999.5, 24, "-999999."},
    {Op::Float, -123456.0, 24, "-123456."},
    // Out of range.
    {Op::Float, 100000000.0, 24, "Huge!"},
    {Op::Float, -10000000.0, 24, "Huge!"},
    {Op::Float, 1e30, 24, "Huge!"},
    {Op::Float, -1e30, 24, "Huge!"},
    {Op::Float, std::numeric_limits<double>::quiet_NaN(), 24, "Huge!"},
    // More integer digits than the eight characters hold: all of them.
    {Op::Float, 12345678.0, 24, "12345678."},
    {Op::Float, 99999992.0, 24, "99999992."},
    {Op::Float, -1234567.0, 24, "-1234567."},
    {Op::Float, -9999999.0, 24, "-9999999."},
    // Bounded by maxLen.
    {Op::Float, 1.5, 4, "1.50"},
    {Op::Float, 1234567.0, 3, "123"},
    {Op::Float, 1.5, 0, ""},

    {Op::Int, 0, 24, ""},
    {Op::Int, -42, 24, "-42"},
    {Op::Int, 7, 24, "7"},
    {Op::Int, 100, 24, "100"},
    {Op::Int, 1020304, 24, "1020304"},
    {Op::Int, 99999999, 24, "99999999"},
    {Op::Int, 100000000, 24, "Huge!"},
    {Op::Int, 2147483647, 24, "Huge!"},
    {Op::Int, -999999999, 24, "-999999999"},
    {Op::Int, -1000000000, 24, "Huge!"},
    {Op::Int, -2147483648.0, 24, "Huge!"},
    {Op::Int, 1000000, 3, "100"},

    {Op::DB, 1.0, 24, "0.000000"},
    {Op::DB, 10.0, 24, "20.00000"},
    {Op::DB, 100.0, 24, "40.00000"},
    {Op::DB, 0.5, 24, "-6.02059"},
    {Op::DB, 0.0, 24, "-oo"},
    {Op::DB, -1.0, 24, "-oo"},
    {Op::DB, 0.0, 2, "-o"},

    // At the default 44100 Hz.
    {Op::Hz, 0.0, 24, "0.000000"},
    {Op::Hz, 100.0, 24, "441.0000"},
    {Op::Hz, 44100.0, 24, "1.000000"},
    {Op::Hz, 1.0, 24, "44100.00"},

    {Op::Ms, 0.0, 24, "0.000000"},
    {Op::Ms, 441.0, 24, "10.00000"},
    {Op::Ms, 44100.0, 24, "1000.000"},
    {Op::Ms, 4410.0, 24, "100.0000"},
};

TEST(VstText, FormattingTable) {
  MinimalEffect effect(nullptr);
  for (const TextCase& c : kTextCases) {
    char text[40];
    std::memset(text, '#', sizeof text);
    float f = static_cast<float>(c.input);
    switch (c.op) {
      case Op::Float: effect.float2string(f, text, c.maxLen); break;
      case Op::Int: effect.int2string(static_cast<int32_t>(c.input), text, c.maxLen); break;
      case Op::DB: effect.dB2string(f, text, c.maxLen); break;
      case Op::Hz: effect.Hz2string(f, text, c.maxLen); break;
      case Op::Ms: effect.ms2string(f, text, c.maxLen); break;
    }
    std::string where = std::string(opName(c.op)) + "(" + std::to_string(c.input) + ", " +
                        std::to_string(c.maxLen) + ")";
    EXPECT_STREQ(text, c.expected) << where;
    // The terminating zero at text[maxLen]; nothing written past it.
    EXPECT_EQ(text[c.maxLen], 0) << where;
    for (size_t i = c.maxLen + 1; i < sizeof text; ++i)
      ASSERT_EQ(text[i], '#') << where << " wrote at " << i;
  }
}

// Frequencies and times follow the effect's sample rate.
TEST(VstText, HzAndMsUseTheSampleRate) {
  MinimalEffect effect(nullptr);
  effect.setSampleRate(48000.0f);
  char text[16];
  effect.Hz2string(480.0f, text, 15);
  EXPECT_STREQ(text, "100.0000");
  effect.ms2string(48.0f, text, 15);
  EXPECT_STREQ(text, "1.000000");
}

TEST(VstText, BoundedCopyAndAppend) {
  char text[8];
  std::memset(text, '#', sizeof text);
  vstCopyText(text, "abcdefghij", 5);
  EXPECT_STREQ(text, "abcde");
  vstCopyText(text, "ab", 5);
  EXPECT_STREQ(text, "ab");
  EXPECT_EQ(text[5], 0);
  vstAppendText(text, "cdefgh", 5);
  EXPECT_STREQ(text, "abcde");
  vstAppendText(text, "xyz", 5);
  EXPECT_STREQ(text, "abcde");
  vstCopyText(text, nullptr, 5);
  EXPECT_STREQ(text, "");
  EXPECT_EQ(text[6], '#');
  vstCopyText(nullptr, "abc", 5);  // nothing to write into
  vstCopyText(text, "abc", -1);
  EXPECT_STREQ(text, "");
}

// ------------------------------------------------------ speaker arrangements

void fillSpeaker(VstSpeakerProperties& s, int seed) {
  s.azimuth = 0.5f * seed;
  s.elevation = -0.25f * seed;
  s.radius = 1.0f + seed;
  s.reserved = 3.0f * seed;
  std::memset(s.name, 'a' + seed, sizeof s.name);  // no terminating zero
  s.type = 100 + seed;
  for (size_t i = 0; i < sizeof s.future; ++i) s.future[i] = static_cast<char>(seed * 7 + i);
}

void expectSameSpeaker(const VstSpeakerProperties& to, const VstSpeakerProperties& from) {
  EXPECT_EQ(to.azimuth, from.azimuth);
  EXPECT_EQ(to.elevation, from.elevation);
  EXPECT_EQ(to.radius, from.radius);
  EXPECT_EQ(to.reserved, from.reserved);
  EXPECT_EQ(to.type, from.type);
  EXPECT_EQ(std::memcmp(to.future, from.future, sizeof to.future), 0);
  // The name: at most 63 characters, then a zero.
  EXPECT_EQ(std::strlen(to.name), 63u);
  EXPECT_EQ(std::memcmp(to.name, from.name, 63), 0);
}

TEST(VstSpeakers, AllocateAndDeallocate) {
  MinimalEffect effect(nullptr);
  VstSpeakerArrangement* arrangement = nullptr;
  ASSERT_TRUE(effect.allocateArrangement(&arrangement, 3));
  ASSERT_NE(arrangement, nullptr);
  EXPECT_EQ(arrangement->numChannels, 3);
  EXPECT_EQ(arrangement->type, 0);
  const unsigned char* bytes = reinterpret_cast<const unsigned char*>(arrangement);
  for (size_t i = 8; i < vstArrangementBytes(3); ++i) ASSERT_EQ(bytes[i], 0) << i;
  // The last channel is inside the allocation.
  fillSpeaker(arrangement->speakers[2], 1);

  // Reallocating releases the previous array.
  ASSERT_TRUE(effect.allocateArrangement(&arrangement, 1));
  EXPECT_EQ(arrangement->numChannels, 1);
  EXPECT_EQ(arrangement->speakers[0].type, 0);

  EXPECT_TRUE(effect.deallocateArrangement(&arrangement));
  EXPECT_EQ(arrangement, nullptr);
  EXPECT_TRUE(effect.deallocateArrangement(&arrangement));

  EXPECT_FALSE(effect.allocateArrangement(nullptr, 2));
  EXPECT_FALSE(effect.deallocateArrangement(nullptr));
  EXPECT_FALSE(effect.allocateArrangement(&arrangement, -1));
  EXPECT_EQ(arrangement, nullptr);
}

TEST(VstSpeakers, CopySpeaker) {
  MinimalEffect effect(nullptr);
  VstSpeakerProperties from{}, to{};
  fillSpeaker(from, 2);
  EXPECT_TRUE(effect.copySpeaker(&to, &from));
  expectSameSpeaker(to, from);
  EXPECT_FALSE(effect.copySpeaker(nullptr, &from));
  EXPECT_FALSE(effect.copySpeaker(&to, nullptr));

  // A short name is copied with its terminating zero.
  std::strcpy(from.name, "Left");
  EXPECT_TRUE(effect.copySpeaker(&to, &from));
  EXPECT_STREQ(to.name, "Left");
}

TEST(VstSpeakers, MatchArrangement) {
  MinimalEffect effect(nullptr);
  VstSpeakerArrangement* from = nullptr;
  ASSERT_TRUE(effect.allocateArrangement(&from, 2));
  from->type = 5;
  fillSpeaker(from->speakers[0], 1);
  fillSpeaker(from->speakers[1], 2);

  VstSpeakerArrangement* to = nullptr;
  ASSERT_TRUE(effect.allocateArrangement(&to, 6));  // replaced by the match
  ASSERT_TRUE(effect.matchArrangement(&to, from));
  ASSERT_NE(to, nullptr);
  EXPECT_NE(to, from);
  EXPECT_EQ(to->type, 5);
  EXPECT_EQ(to->numChannels, 2);
  expectSameSpeaker(to->speakers[0], from->speakers[0]);
  expectSameSpeaker(to->speakers[1], from->speakers[1]);

  EXPECT_FALSE(effect.matchArrangement(&to, nullptr));
  EXPECT_FALSE(effect.matchArrangement(nullptr, from));

  effect.deallocateArrangement(&to);
  effect.deallocateArrangement(&from);
}

}  // namespace
