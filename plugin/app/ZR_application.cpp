#include "ZR_application.h"

#include <algorithm>
#include <cstdio>
#include <cstring>

#include "ZR_deline.h"
#include "ZR_fourier.h"

int ZR_numInputs = 0;

namespace {

const float kToFloat = 4.656612873077393e-10f;  // 2^-31
const char kOnOff[20] = "On\0\0\0\0\0\0\0\0Off";
const char kYesNo[20] = "Yes\0\0\0\0\0\0\0No";

// Float sample to the graph's fixed point: clamped to -1..1 (NaN gives -1),
// scaled by 2^31 in single precision; +1.0 is brought into range.
int32_t toFixed(float x) {
  if (x > 1.0f)
    x = 1.0f;
  else if (!(x >= -1.0f))
    x = -1.0f;
  float y = x * 2147483648.0f;
  if (y >= 2147483648.0f) return INT32_MAX;
  return static_cast<int32_t>(y);
}

// Runs a command that creates nothing, so no object keeps its line: a
// writable copy on the stack will do.
void run(const char* command, ...) {
  char line[96];
  std::snprintf(line, sizeof line, "%s", command);
  va_list args;
  va_start(args, command);
  spcpp_exec(ZR_EXEC_STORE, line, nullptr, nullptr, &args);
  va_end(args);
}

}  // namespace

// ---------------------------------------------------------------- Param

ZR_Application::Param::Param()
    : ZR_value(0, ZR_TYPE_NONE), name(""), label(kYesNo), widget(nullptr), min(0), max(0), kind(ZR_TYPE_NONE),
      low(0.0f), high(1.0f) {}

void ZR_Application::Param::changed(void* data) { apply(data); }
void ZR_Application::Param::apply(void*) {}

void ZR_Application::Param::getName(char* text) { std::sprintf(text, "%s", name); }

void ZR_Application::Param::getDisplay(char* text) {
  switch (kind) {
    case KIND_INT: std::sprintf(text, "%i", intValue()); break;
    case KIND_FLOAT: std::sprintf(text, "%f", static_cast<double>(floatValue())); break;
    case KIND_SWITCH: std::sprintf(text, "%s", intValue() ? "On" : "Off"); break;
    default: break;
  }
}

void ZR_Application::Param::getLabel(char* text) { std::sprintf(text, "%s", label ? label : ""); }

void ZR_Application::Param::fromHost(float x) {
  switch (kind) {
    case KIND_INT:
      setInt(ZR_truncate((max - min + 0.999999999) * x + min));
      break;
    case KIND_FLOAT: setFloat(low + (high - low) * x); break;
    case KIND_SWITCH: setInt(x > 0.5f ? 1 : 0); break;
    default: break;
  }
}

float ZR_Application::Param::toHost() const {
  switch (kind) {
    case KIND_INT: return static_cast<float>((intValue() - min + 0.5) / (max - min + 1.0));
    case KIND_FLOAT: return (floatValue() - low) / (high - low);
    case KIND_SWITCH: return intValue() ? 1.0f : 0.0f;
    default: return 0.0f;
  }
}

void ZR_Application::StateParam::apply(void* data) {
  // The editor's widgets follow with the editor; the graph follows here.
  static_cast<ZR_Application*>(data)->switchStages(intValue());
}

void ZR_Application::LevelParam::apply(void* data) {
  ZR_Application* app = static_cast<ZR_Application*>(data);
  if (app->gate) ZR_relaxedStore(app->gate->level, static_cast<double>(floatValue()));
}

void ZR_Application::LearnValue::changed(void*) {
  if (app && app->gate) run("ZR_Fourier_Noisegate %o -a %i", app->gate, asInt());
}

// ---------------------------------------------------------------- application

ZR_Application::ZR_Application() {
  learn.app = this;
  std::memset(stateBlock, 0, sizeof stateBlock);
}

ZR_Application::~ZR_Application() {}

char* ZR_Application::keep(const char* text) {
  lines_.emplace_back(text);
  return &lines_.back()[0];
}

ZR_error ZR_Application::build() {
  editorWidth = 180;
  editorHeight = 183;
  ZR_numInputs = 1;
  blockSize = BLOCK;

  int32_t began = 0;
  static char tag[] = "zrFTi";
  spcpp(keep("ZR_Soundpipe -bl %i -b"), &pipe, BLOCK, &began);
  spcpp(keep("ZR_Buffer -t %o"), &input, tag);
  spcpp(keep("ZR_Fourier_Transform -i %o -s 9"), &forward, input);
  run("ZR_Fourier_Transform %o -w", forward, &spectrum_);
  spcpp(keep("ZR_Fourier_Noisegate -i %o -s %o"), &gate, spectrum_, input);
  spcpp(keep("ZR_Fourier_Noisegate %o -o1"), gate, &output1);
  spcpp(keep("ZR_Fourier_Noisegate %o -o2"), gate, &output2);
  spcpp(keep("ZR_Fourier_Transform -i %o -s 9 -d backward"), &backward1, output1);
  spcpp(keep("ZR_Fourier_Transform -i %o -s 9 -d backward"), &backward2, output2);
  run("ZR_Soundpipe %o -e", pipe, &began);
  run("ZR_Fourier_Transform %o -w", backward1, &filtered1_);
  run("ZR_Fourier_Transform %o -w", backward2, &filtered2_);
  run("ZR_Fourier_Noisegate %o -w", gate, &thresholds_);

  state.name = "State";
  state.label = kOnOff;
  state.kind = KIND_SWITCH;
  state.type = KIND_SWITCH;
  state.setInt(1);
  level.name = "Level";
  level.label = "";
  level.kind = KIND_FLOAT;
  level.type = KIND_FLOAT;
  level.setFloat(0.0f);
  state.changed(this);
  level.changed(this);
  return ZR_OK;
}

ZR_error ZR_Application::attachWindow(ZR_Win* window) {
  window_ = window;
  return ZR_OK;
}

ZR_error ZR_Application::detachWindow(ZR_Win*) { return ZR_OK; }

ZR_error ZR_Application::teardown() {
  ZR_Object** objects[] = {reinterpret_cast<ZR_Object**>(&backward2), reinterpret_cast<ZR_Object**>(&backward1),
                           reinterpret_cast<ZR_Object**>(&gate),      reinterpret_cast<ZR_Object**>(&forward),
                           reinterpret_cast<ZR_Object**>(&input),     reinterpret_cast<ZR_Object**>(&pipe)};
  for (ZR_Object** object : objects) {
    if (*object)
      run("%o -delete", *object);
    else
      std::puts("NULL OBJECT");
    *object = nullptr;
  }
  // The gate deleted its own outputs and the transforms theirs.
  output1 = output2 = nullptr;
  spectrum_ = filtered1_ = filtered2_ = thresholds_ = nullptr;
  return ZR_OK;
}

void ZR_Application::switchStages(int32_t on) {
  ZR_Effect* stages[] = {forward, gate, backward1, backward2};
  for (ZR_Effect* stage : stages)
    if (stage) run("ZR_Effect %o -on %i", stage, on);
}

void ZR_Application::setClock(float rate) {
  clock = ZR_truncate(rate);
  if (!pipe) return;
  ZR_CHAIN_FOR(ZR_Effect, stage, pipe->stages) run("ZR_Effect %o -clock %i", stage, clock);
}

void ZR_Application::process(float** inputs, float** outputs, int32_t frames) {
  for (int32_t pos = 0; pos < frames; pos += BLOCK) {
    int n = static_cast<int>(std::min<int32_t>(frames - pos, BLOCK));
    processChunk(inputs[0] + pos, outputs[0] + pos, outputs[1] + pos, n);
  }
  blockCounter = (blockCounter + 1) % 8;
}

void ZR_Application::processChunk(const float* in, float* out0, float* out1, int n) {
  if (!input || !input->data || !gate || !filtered1_ || !filtered2_) return;
  int32_t* x = input->data;
  for (int i = 0; i < n; ++i) x[i] = toFixed(in[i]);

  if (state.intValue() == 0) {
    for (int i = 0; i < n; ++i) out0[i] = out1[i] = static_cast<float>(x[i] * kToFloat);
    return;
  }

  ZR_Soundpipe::m_bl(pipe, ZR_value::ofInt(n));
  input->fade = 0;
  gate->delayed->length = n;
  gate->delay->ready = 0;
  gate->delay->prepare();
  forward->process();
  gate->process();
  backward1->process();
  backward2->process();

  // The backward results are time-reversed: read from the top down, fading
  // from the previous block's filter (first) to this block's (second).
  const int32_t* a = filtered1_->data;
  const int32_t* b = filtered2_->data;
  const int m = filtered1_->blockLength() / 4;
  for (int d = 0; d < n; ++d) {
    int k = m + n - 1 - d;
    int64_t sum = static_cast<int64_t>(n - d) * a[2 * k] + static_cast<int64_t>(d) * b[2 * k];
    double v = static_cast<double>(static_cast<long double>(sum) / n);
    out0[d] = out1[d] = static_cast<float>(v * kToFloat);
  }
}

ZR_value ZR_Application::getState() {
  const int32_t* thresholds = thresholds_ ? thresholds_->data : nullptr;
  int32_t count = thresholds ? thresholds_->blockLength() : 0;
  count = std::min<int32_t>(count, THRESHOLDS);
  unsigned char* p = stateBlock;
  if (count) std::memcpy(p, thresholds, 4 * static_cast<size_t>(count));
  p += 4 * count;
  int32_t on = state.intValue();
  uint32_t levelBits = static_cast<uint32_t>(level.word());
  std::memcpy(p, &on, 4);
  std::memcpy(p + 4, &levelBits, 4);
  return ZR_value(reinterpret_cast<ZR_word>(stateBlock), ZR_TYPE_NONE, 4 * count + 8);
}

void ZR_Application::setState(ZR_value value) { loadState(value.asPointer<const void>(), value.length); }

bool ZR_Application::loadState(const void* bytes, int32_t size) {
  if (!thresholds_ || !thresholds_->data) return false;
  int32_t count = thresholds_->blockLength();
  if (!bytes || size != 4 * count + 8) return false;
  const unsigned char* p = static_cast<const unsigned char*>(bytes);
  std::memcpy(thresholds_->data, p, 4 * static_cast<size_t>(count));
  p += 4 * count;
  int32_t on;
  uint32_t levelBits;
  std::memcpy(&on, p, 4);
  std::memcpy(&levelBits, p + 4, 4);
  state.setInt(on);
  level.setWord(static_cast<ZR_word>(static_cast<int32_t>(levelBits)));
  state.changed(this);
  level.changed(this);
  return true;
}
