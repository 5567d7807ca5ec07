// Base fixture for tests that drive objects by commands: runs lines in store
// mode, keeps every line alive for the whole test (objects keep a pointer to
// the line that created them), and deletes every object afterwards.
#pragma once

#include <gtest/gtest.h>

#include <cstdarg>
#include <cstdint>
#include <deque>
#include <random>
#include <string>
#include <vector>

#include "ZR_effect.h"

class CommandTest : public ::testing::Test {
 protected:
  void TearDown() override {
    ZR_currentpipe = nullptr;
    ZR_Object::deleteAll();
  }

  ZR_error cmd(const char* line, ...) {
    lines_.emplace_back(line);
    va_list args;
    va_start(args, line);
    ZR_error e = spcpp_exec(ZR_EXEC_STORE, &lines_.back()[0], nullptr, nullptr, &args);
    va_end(args);
    return e;
  }

 private:
  std::deque<std::string> lines_;
};

// n uniformly distributed samples in [-amplitude, amplitude], the same for
// the same seed.
inline std::vector<int32_t> randomSamples(size_t n, uint32_t seed, int32_t amplitude) {
  std::mt19937 rng(seed);
  std::uniform_int_distribution<int32_t> d(-amplitude, amplitude);
  std::vector<int32_t> x(n);
  for (auto& v : x) v = d(rng);
  return x;
}
