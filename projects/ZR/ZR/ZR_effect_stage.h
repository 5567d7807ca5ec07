// Helpers shared by the processing stage families: buffer parameters, the
// number of samples a stage may touch, safe mode lookup and the conversions
// of real numbers to fixed-point words.
//
// Every stage processes as many samples as the shortest of its buffers
// holds, and skips the block when a buffer it needs is unset or has no
// samples, so a stage that is on can never overrun or dereference null.
#pragma once

#include <algorithm>
#include <cmath>

#include "ZR_effect.h"

// A buffer parameter: a live buffer is stored, a null value clears the
// setting, anything else (an address that names no buffer) keeps it.
// Returns the setting as an object.
inline ZR_value ZR_bufferParam(ZR_Buffer*& field, const ZR_value& v) {
  if (v.given()) {
    if (!v.data)
      field = nullptr;
    else if (ZR_Buffer* buffer = ZR_liveAs<ZR_Buffer>(v))
      field = buffer;
  }
  return ZR_value::ofObject(field);
}

// Samples per block of a buffer as a stage may use them: 0 for a missing
// buffer or one without samples.  Audio thread.
inline int32_t ZR_stageLength(const ZR_Buffer* buffer) {
  return buffer && buffer->data ? buffer->blockLength() : 0;
}

// The stage's mode as a table index; anything out of range counts as "set".
inline int ZR_modeIndex(int32_t mode) {
  return mode >= 0 && mode < ZR_MODE_COUNT ? mode : ZR_MODE_SET;
}

// The low 32 bits of a real number truncated toward zero.  Values beyond
// the 64-bit range (and NaN) have no defined low bits and give 0.
inline uint32_t ZR_lowBits(long double v) {
  if (!(v > -9223372036854775808.0L && v < 9223372036854775808.0L)) return 0;
  return static_cast<uint32_t>(static_cast<uint64_t>(static_cast<int64_t>(v)));
}

// Saturating 64-bit to 32-bit narrowing.
inline int32_t ZR_saturate(int64_t v) {
  return v > INT32_MAX ? INT32_MAX : (v < INT32_MIN ? INT32_MIN : static_cast<int32_t>(v));
}
