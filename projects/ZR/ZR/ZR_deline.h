// The multi-tap delay line with feedback.  One input is written sample by
// sample into a circular memory of 65536 samples; taps are organised in
// groups, each group sums its taps, writes the sum with a gain into its own
// output buffer and feeds it back with a feedback factor into the memory.
// The groups and taps are compiled into a flat program of words that one
// per-sample loop (one instance per combine mode) runs.
#pragma once

#include "ZR_effect.h"

// One tap: a delayed input sample with its own amplitude.
struct ZR_Effect_Deline_Group_Delay {
  int32_t amplitude;       // 31 fraction bits
  float delay;             // samples or seconds
  uint8_t inSamples;       // 1: `delay` counts samples, 0: seconds
  ZR_word* amplitudeSlot;  // where the compiled program holds the amplitude, or null
  ZR_word* delaySlot;      // where the compiled program holds the delay, or null
  ZR_Chain_Item link;      // in the group's taps

  ZR_Effect_Deline_Group_Delay();
};

// A group of taps summed into one output, with gain and feedback.
struct ZR_Effect_Deline_Group {
  int32_t feedback;    // 23 fraction bits
  int32_t gain;        // 23 fraction bits
  ZR_Buffer* output;   // or null: the group only feeds back
  ZR_Chain_Item link;  // in the delay line's groups
  ZR_Chain taps;       // ZR_Effect_Deline_Group_Delay, in creation order
  ZR_Effect_Deline_Group_Delay* currentTap;

  ZR_Effect_Deline_Group();
  ~ZR_Effect_Deline_Group();  // frees its taps
  // Frees every tap; returns how many there were.
  int32_t clearTaps();
  bool holds(ZR_word tap) const;
};

class ZR_EXPORT ZR_Effect_Deline : public ZR_Effect {
 public:
  enum {
    MEMORY_SIZE = 65536,       // samples of delay memory; the index wraps in 16 bits
    PROGRAM_CAPACITY = 16384,  // words of compiled program
    MAX_DELAY = 65534,         // largest tap delay in samples
    GROUP_WORDS = 4,           // end marker, gain, output end, feedback
    TAP_WORDS = 2,             // delay, amplitude
    GROUP_END = -1,
  };

  ZR_Buffer* input;
  ZR_Chain groups;  // ZR_Effect_Deline_Group, in creation order
  ZR_Effect_Deline_Group* currentGroup;
  int32_t* memory;   // MEMORY_SIZE samples
  int32_t writePos;  // where the next input sample goes, 0..65535
  ZR_word* program;  // PROGRAM_CAPACITY words
  int32_t programLength;
  int32_t programCapacity;
  int32_t compiledLength;  // words the last compilation produced
  int32_t compiledBlock;   // input samples per block the program was compiled for

  ZR_Effect_Deline();
  ~ZR_Effect_Deline() override;
  void process() override;
  void prepare() override;
  void recalc() override;
  void reset() override;

  // The delay word a tap compiles to at this sample rate: samples, or
  // seconds times `clock`, truncated toward zero and held in 0..MAX_DELAY.
  static int32_t delayInSamples(const ZR_Effect_Deline_Group_Delay& tap, int32_t clock);
  // Builds the program; a group whose output holds fewer samples than a block
  // of `blockSamples` gets no output.
  void compile(int32_t blockSamples);

  static ZR_value m_i(ZR_Effect_Deline* self, ZR_value v);
  static ZR_value m_g(ZR_Effect_Deline* self, ZR_value v);
  static ZR_value m_go(ZR_Effect_Deline* self, ZR_value v);
  static ZR_value m_ga(ZR_Effect_Deline* self, ZR_value v);
  static ZR_value m_gf(ZR_Effect_Deline* self, ZR_value v);
  static ZR_value m_gc(ZR_Effect_Deline* self, ZR_value v);
  static ZR_value m_d(ZR_Effect_Deline* self, ZR_value v);
  static ZR_value m_dt(ZR_Effect_Deline* self, ZR_value v);
  static ZR_value m_da(ZR_Effect_Deline* self, ZR_value v);
  static ZR_Object* construct();
  static const ZR_param paramTable[];

 private:
  bool holds(ZR_word group) const;
};

// The per-sample loop: runs `program` (up to `programEnd`) over n input
// samples, updating `memory` and `*writePos`, and combining each group's
// result into its output according to the mode.  No allocation, no locks.
typedef void (*ZR_delineKernel)(int32_t* memory, int32_t* writePos, const ZR_word* program,
                                const ZR_word* programEnd, const int32_t* in, int n);
extern const ZR_delineKernel (&ZR_delineKernels)[ZR_MODE_COUNT];
