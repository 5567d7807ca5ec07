// Runs a command for a benchmark's set-up.  Every line is kept for the
// program's life: objects keep a pointer to the line that created them.
#pragma once

#include <deque>
#include <string>

#include "ZR_command.h"

template <class... A>
void command(const char* text, A... args) {
  static std::deque<std::string> lines;
  lines.emplace_back(text);
  spcpp(&lines.back()[0], args...);
}
