// The plug-in object a VST 2 host talks to: the host interface on one side,
// the noise-gate application on the other.
#pragma once

#include "ZR_application.h"
#include "audio_effect.h"

class ZR_Main_Vst : public AudioEffectX {
 public:
  enum : int32_t {
    UNIQUE_ID = 942750006,  // "6918" read as a little-endian integer
    VENDOR_VERSION = 1000,
    // Vendor-specific call that switches learning: index LEARN_SELECTOR,
    // value 0 or 1; answers 1.  The host-visible switch is the editor's
    // learn button; this lets a host without the editor learn too.
    LEARN_SELECTOR = 0x5A416C6E,  // 'ZAln'
  };
  static const char* const kVendor;

  explicit ZR_Main_Vst(audioMasterCallback audioMaster);
  ~ZR_Main_Vst() override;

  void open() override;
  void setSampleRate(float rate) override;
  void processReplacing(float** inputs, float** outputs, int32_t frames) override;
  void setParameter(int32_t index, float value) override;
  float getParameter(int32_t index) override;
  int32_t getProgram() override { return 0; }
  void setProgram(int32_t) override {}
  void setProgramName(char*) override {}
  void getProgramName(char* name) override;
  void getParameterLabel(int32_t index, char* text) override;
  void getParameterDisplay(int32_t index, char* text) override;
  void getParameterName(int32_t index, char* text) override;
  int32_t getChunk(void** data, bool isPreset) override;
  int32_t setChunk(void* data, int32_t byteSize, bool isPreset) override;
  bool getProgramNameIndexed(int32_t category, int32_t index, char* text) override;
  bool getEffectName(char* name) override;
  bool getVendorString(char* text) override;
  bool getProductString(char* text) override;
  int32_t getVendorVersion() override { return VENDOR_VERSION; }
  intptr_t vendorSpecific(int32_t selector, intptr_t value, void* ptr, float opt) override;
  int32_t getPlugCategory() override { return 1; }

  ZR_Application& application() { return app_; }

 private:
  ZR_Application app_;
};
