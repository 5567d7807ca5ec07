#include "ZR_main_vst.h"

#include <cstdio>
#include <cstring>

const char* const ZR_Main_Vst::kVendor = "www.zuver-aduz.com";

AudioEffect* createEffectInstance(audioMasterCallback audioMaster) { return new ZR_Main_Vst(audioMaster); }

ZR_Main_Vst::ZR_Main_Vst(audioMasterCallback audioMaster) : AudioEffectX(audioMaster, 1, 2) {
  app_.build();
  sizeWindow(app_.editorWidth, app_.editorHeight);
  if (app_.hasChunk()) programsAreChunks(true);
  setNumInputs(ZR_numInputs);
  setNumOutputs(2);
  setUniqueID(UNIQUE_ID);
  // The editor comes with the editor window; until then the host sees none.
}

ZR_Main_Vst::~ZR_Main_Vst() { app_.teardown(); }

void ZR_Main_Vst::open() {
  if (app_.pipe) app_.pipe->clear();
}

void ZR_Main_Vst::setSampleRate(float rate) { app_.setClock(rate); }

void ZR_Main_Vst::processReplacing(float** inputs, float** outputs, int32_t frames) {
  app_.process(inputs, outputs, frames);
}

void ZR_Main_Vst::setParameter(int32_t index, float value) {
  ZR_Application::Param* p = app_.param(index);
  if (!p) return;
  p->fromHost(value);
  p->changed(&app_);
}

float ZR_Main_Vst::getParameter(int32_t index) {
  ZR_Application::Param* p = app_.param(index);
  return p ? p->toHost() : 0.0f;
}

void ZR_Main_Vst::getProgramName(char* name) {
  std::memset(name, 0, 24);
  std::snprintf(name, 24, "%s", "Default program");
}

namespace {
// Parameter texts: 8 bytes cleared, at most 7 characters written.
void writeShort(char* text, const char* s) {
  std::memset(text, 0, 8);
  for (int i = 0; i < 7 && s[i]; ++i) text[i] = s[i];
}
const char* slot(const char* label, int which) { return label ? label + 10 * which : ""; }
}  // namespace

void ZR_Main_Vst::getParameterName(int32_t index, char* text) {
  ZR_Application::Param* p = app_.param(index);
  writeShort(text, p && p->name ? p->name : "");
}

void ZR_Main_Vst::getParameterLabel(int32_t index, char* text) {
  ZR_Application::Param* p = app_.param(index);
  char full[32] = "";
  if (p && (p->kind == ZR_Application::KIND_INT || p->kind == ZR_Application::KIND_FLOAT))
    std::snprintf(full, sizeof full, "%s", slot(p->label, 0));
  else if (p && p->kind == ZR_Application::KIND_SWITCH)
    std::snprintf(full, sizeof full, "%s/%s", slot(p->label, 0), slot(p->label, 1));
  writeShort(text, full);
}

void ZR_Main_Vst::getParameterDisplay(int32_t index, char* text) {
  ZR_Application::Param* p = app_.param(index);
  std::memset(text, 0, 8);
  if (!p) return;
  const char* label = slot(p->label, 0);
  const char* separator = *label ? " " : "";
  char full[64];
  switch (p->kind) {
    case ZR_Application::KIND_INT:
      std::snprintf(full, sizeof full, "%d%s%s", p->intValue(), separator, label);
      break;
    case ZR_Application::KIND_FLOAT:
      std::snprintf(full, sizeof full, "%f%s%s", static_cast<double>(p->floatValue()), separator, label);
      break;
    case ZR_Application::KIND_SWITCH:
      std::snprintf(full, sizeof full, "%s", slot(p->label, p->intValue() ? 0 : 1));
      break;
    default: return;
  }
  writeShort(text, full);
}

int32_t ZR_Main_Vst::getChunk(void** data, bool) {
  ZR_value state = app_.getState();
  *data = state.asPointer<void>();
  return state.length;
}

int32_t ZR_Main_Vst::setChunk(void* data, int32_t byteSize, bool) {
  // A chunk of another size is not ours: keep the current state.
  return app_.loadState(data, byteSize) ? byteSize : 0;
}

bool ZR_Main_Vst::getProgramNameIndexed(int32_t, int32_t, char* text) {
  std::strcpy(text, "Default program");
  return true;
}

bool ZR_Main_Vst::getEffectName(char* name) {
  std::strcpy(name, "Zuver Aduz");
  return true;
}

bool ZR_Main_Vst::getVendorString(char* text) {
  std::strcpy(text, kVendor);
  return true;
}

bool ZR_Main_Vst::getProductString(char* text) {
  std::sprintf(text, "%s %s", kVendor, "Zuver Aduz");
  return true;
}

intptr_t ZR_Main_Vst::vendorSpecific(int32_t selector, intptr_t value, void* ptr, float opt) {
  if (selector != LEARN_SELECTOR) return AudioEffectX::vendorSpecific(selector, value, ptr, opt);
  // As the learn button does: store the switch, then announce the change.
  app_.learn.data = value ? 1 : 0;
  app_.learn.type = ZR_TYPE_INT;
  app_.learn.changed(&app_);
  return 1;
}
