// Sample buffers: signed 32-bit samples, full scale 2^31, with a main half
// that carries the signal and a shadow half used while a stage fades in or
// out.  A buffer has a fixed length or follows its pipe's block length.
#pragma once

#include "ZR_command.h"

class ZR_Soundpipe;

class ZR_EXPORT ZR_Buffer : public ZR_Object {
 public:
  enum { FOLLOW_PIPE = -1, MAX_LENGTH = 1 << 24 };

  int32_t length;   // requested: FOLLOW_PIPE, 0 or a fixed sample count
  int32_t count;    // samples allocated in each half
  char* tag;        // label, not copied
  int32_t* data;    // main half
  int32_t* shadow;  // shadow half, right after the main half
  int32_t position; // ring cursor for stages that keep a history
  int32_t limit;    // largest magnitude meant to be carried
  ZR_Soundpipe* pipe;  // followed pipe, when length is FOLLOW_PIPE
  int32_t fade;     // 0 steady, +1 / -1 shadow written by a stage going on / off
  ZR_Chain_Item link;   // in the pipe's buffer list
  ZR_Chain_Item spare;

  ZR_Buffer();
  ~ZR_Buffer() override;

  // Samples per block as stages see them: the fixed length, or the followed
  // pipe's block length (never more than is allocated).  Audio thread.
  int32_t blockLength() const;
  // Zeroes the main half.
  void clear();
  // Frees the samples and allocates for the new length.  Not while the
  // pipe is processing.
  void resize(int32_t newLength);

  static ZR_value m_l(ZR_Buffer* self, ZR_value v);
  static ZR_value m_t(ZR_Buffer* self, ZR_value v);
  static ZR_value m_limit(ZR_Buffer* self, ZR_value v);
  static const ZR_param paramTable[];

 private:
  void release();
};
