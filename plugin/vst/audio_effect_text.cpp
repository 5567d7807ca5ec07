// The text formatting operations of AudioEffect: numbers, levels, frequencies
// and times written into the host's short text fields.  Every operation
// writes at most maxLen characters and a terminating zero at text[maxLen].
#include <cmath>

#include "audio_effect.h"

void vstCopyText(char* text, const char* source, int32_t maxLen) {
  if (!text || maxLen < 0) return;
  int32_t n = 0;
  if (source)
    for (; n < maxLen && source[n]; ++n) text[n] = source[n];
  text[n] = 0;
  text[maxLen] = 0;
}

void vstAppendText(char* text, const char* source, int32_t maxLen) {
  if (!text || maxLen < 0) return;
  int32_t n = 0;
  while (n < maxLen && text[n]) ++n;
  if (source)
    for (; n < maxLen && *source; ++n) text[n] = *source++;
  text[n] = 0;
  text[maxLen] = 0;
}

namespace {
const char kHuge[] = "Huge!";
}

// At most eight characters counting the sign and the point: the integer part
// and as many fraction digits as fit, truncated, never rounded.  Values with
// more integer digits than the budget (positive from 10000000 up to
// 99999999, negative from 1000000 down to 9999999 in magnitude) keep all
// their digits and end with the point; anything larger, and NaN, is "Huge!".
void AudioEffect::float2string(float value, char* text, int32_t maxLen) {
  double v = value;
  int c = 0;  // characters used so far
  bool negative = false;
  if (std::isnan(v)) {
    vstCopyText(text, kHuge, maxLen);
    return;
  }
  if (v < 0) {
    negative = true;
    v = -v;
    c = 1;
    if (v > 9999999.0) {
      vstCopyText(text, kHuge, maxLen);
      return;
    }
  } else if (v > 99999999.0) {
    vstCopyText(text, kHuge, maxLen);
    return;
  }

  // The integer part, right to left.
  char scratch[32];
  int pos = sizeof scratch - 1;
  scratch[pos] = 0;
  scratch[--pos] = '.';
  ++c;
  double integ = std::floor(v);
  do {
    scratch[--pos] = static_cast<char>('0' + static_cast<int>(std::fmod(integ, 10.0)));
    integ /= 10.0;
    ++c;
  } while (integ >= 1.0);
  if (negative) scratch[--pos] = '-';
  vstCopyText(text, scratch + pos, maxLen);
  if (c >= 8) return;

  // The fraction, right to left, from the fraction scaled to an integer.
  int digits = 8 - c;
  double mantissa = std::fmod(v, 1.0) * std::pow(10.0, digits);
  char fraction[16];
  fraction[digits] = 0;
  for (int i = digits - 1; i >= 0; --i) {
    if (mantissa <= 0) {
      fraction[i] = '0';
    } else {
      fraction[i] = static_cast<char>('0' + static_cast<int>(std::fmod(mantissa, 10.0)));
      mantissa *= 0.1;
    }
  }
  vstAppendText(text, fraction, maxLen);
}

// Digits without leading zeros (so 0 gives an empty text), after a minus sign
// for negative values.  From 100000000 up, and for values whose magnitude has
// ten digits (-1000000000 and below), "Huge!".
void AudioEffect::int2string(int32_t value, char* text, int32_t maxLen) {
  if (value >= 100000000 || value <= -1000000000) {
    vstCopyText(text, kHuge, maxLen);
    return;
  }
  char out[16];
  int n = 0;
  if (value < 0) {
    out[n++] = '-';
    value = -value;
  }
  bool seen = false;
  for (int32_t divisor = 100000000; divisor > 0; divisor /= 10) {
    int32_t digit = value / divisor;
    value -= digit * divisor;
    if (digit) seen = true;
    if (seen) out[n++] = static_cast<char>('0' + digit);
  }
  out[n] = 0;
  vstCopyText(text, out, maxLen);
}

void AudioEffect::dB2string(float value, char* text, int32_t maxLen) {
  if (value <= 0)
    vstCopyText(text, "-oo", maxLen);
  else
    float2string(static_cast<float>(20.0 * std::log10(static_cast<double>(value))), text, maxLen);
}

void AudioEffect::Hz2string(float samples, char* text, int32_t maxLen) {
  float rate = getSampleRate();
  if (samples == 0)
    float2string(0.0f, text, maxLen);
  else
    float2string(static_cast<float>(static_cast<double>(rate) / samples), text, maxLen);
}

void AudioEffect::ms2string(float samples, char* text, int32_t maxLen) {
  float rate = getSampleRate();
  float2string(static_cast<float>(samples * 1000.0 / rate), text, maxLen);
}
