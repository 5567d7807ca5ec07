// Test fixture for the processing stages: builds pipes, buffers and stages
// through commands, fills and reads buffers, and supplies the wrapping
// arithmetic and the combine rules the models use.
#pragma once

#include <gtest/gtest.h>

#include <cstdarg>
#include <cstdint>
#include <cstring>
#include <deque>
#include <random>
#include <string>
#include <vector>

#include "command_fixture.h"
#include "ZR_effect.h"

class StageFixture : public CommandTest {
 protected:
  ZR_Soundpipe* pipe = nullptr;

  void TearDown() override {
    if (pipe && ZR_currentpipe == pipe) endPipe();
    CommandTest::TearDown();
  }


  ZR_Soundpipe* makePipe(int blockLength) {
    int32_t began = -1;
    EXPECT_EQ(cmd("ZR_Soundpipe -bl %i -b", &pipe, blockLength, &began), ZR_OK);
    return pipe;
  }
  void endPipe() {
    int32_t ended = 0;
    EXPECT_EQ(cmd("%o -e", pipe, &ended), ZR_OK);
  }
  // A buffer following the pipe (length -1) or of a fixed length.
  ZR_Buffer* makeBuffer(int length = -1) {
    ZR_Buffer* b = nullptr;
    if (length == -1)
      EXPECT_EQ(cmd("ZR_Buffer", &b), ZR_OK);
    else
      EXPECT_EQ(cmd("ZR_Buffer -l %i", &b, length), ZR_OK);
    return b;
  }

  int32_t queryInt(void* object, const char* param) {
    std::string line = std::string("%o -") + param;
    int32_t r = 0x5A5A5A5A;
    EXPECT_EQ(cmd(line.c_str(), object, &r), ZR_OK);
    return r;
  }
  float queryFloat(void* object, const char* param) {
    int32_t bits = queryInt(object, param);
    float f;
    std::memcpy(&f, &bits, sizeof f);
    return f;
  }
  void* queryObject(void* object, const char* param) {
    std::string line = std::string("%o -") + param;
    ZR_word r = 0x5A5A5A5A;
    EXPECT_EQ(cmd(line.c_str(), object, &r), ZR_OK);
    return reinterpret_cast<void*>(r);
  }
  std::string queryText(void* object, const char* param) {
    std::string line = std::string("%o -") + param;
    ZR_word r = 0;
    EXPECT_EQ(cmd(line.c_str(), object, &r), ZR_OK);
    return r ? std::string(reinterpret_cast<const char*>(r)) : std::string("(null)");
  }

  static void fill(ZR_Buffer* b, const std::vector<int32_t>& v) {
    ASSERT_NE(b->data, nullptr);
    ASSERT_LE(v.size(), static_cast<size_t>(b->count));
    std::copy(v.begin(), v.end(), b->data);
  }
  static void fillAll(ZR_Buffer* b, int32_t value) { std::fill(b->data, b->data + b->count, value); }
  static std::vector<int32_t> read(const ZR_Buffer* b) { return std::vector<int32_t>(b->data, b->data + b->count); }

  // Deterministic full-range samples (mt19937 is bit-exact everywhere).
  std::vector<int32_t> randomSamples(size_t n, uint32_t bits = 32) {
    std::vector<int32_t> v(n);
    for (auto& s : v) {
      uint32_t r = static_cast<uint32_t>(rng_());
      s = bits >= 32 ? static_cast<int32_t>(r) : static_cast<int32_t>(r << (32 - bits)) >> (32 - bits);
    }
    return v;
  }


 public:
  static int32_t wadd(int32_t a, int32_t b) { return static_cast<int32_t>(static_cast<uint32_t>(a) + static_cast<uint32_t>(b)); }
  static int32_t wsub(int32_t a, int32_t b) { return static_cast<int32_t>(static_cast<uint32_t>(a) - static_cast<uint32_t>(b)); }
  static int32_t wneg(int32_t a) { return static_cast<int32_t>(0u - static_cast<uint32_t>(a)); }
  // The combine rules by mode name, written out for the models.
  static int32_t combine(const std::string& mode, int32_t o, int32_t r) {
    if (mode == "set") return r;
    if (mode == "add") return wadd(o, r);
    if (mode == "sub") return wsub(o, r);
    if (mode == "stn") return wneg(r);
    if (mode == "adn") return wneg(wadd(o, r));
    if (mode == "sbn") return wsub(r, o);
    ADD_FAILURE() << "unknown mode " << mode;
    return 0;
  }
  static const std::vector<std::string>& modes() {
    static const std::vector<std::string> m = {"set", "add", "sub", "stn", "adn", "sbn"};
    return m;
  }

 protected:
  std::mt19937 rng_{12345u};
};
