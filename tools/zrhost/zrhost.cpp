// zrhost: a test host for VST 2 effects on Windows.  It loads an effect DLL
// with LoadLibrary, answers the host callback, checks what a host sees, and
// denoises audio with the same protocol as zuver-aduz.
#include <windows.h>

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <stdexcept>
#include <string>
#include <vector>

#include "denoise_session.h"
#include "plugin_host.h"
#include "wav_io.h"

namespace {

VstEntry loadEntry(const char* dll) {
  HMODULE module = LoadLibraryA(dll);
  if (!module) {
    std::fprintf(stderr, "zrhost: cannot load '%s' (error %lu)\n", dll, GetLastError());
    std::exit(1);
  }
  FARPROC entry = GetProcAddress(module, "VSTPluginMain");
  if (!entry) entry = GetProcAddress(module, "main");
  if (!entry) {
    std::fprintf(stderr, "zrhost: '%s' exports no VST 2 entry\n", dll);
    std::exit(1);
  }
  return reinterpret_cast<VstEntry>(reinterpret_cast<void*>(entry));
}

int failures = 0;

template <class T>
void expect(const char* what, T got, T want) {
  bool ok = got == want;
  std::printf("%-28s %s\n", what, ok ? "ok" : "MISMATCH");
  if (!ok) ++failures;
}

void expectText(const char* what, const std::string& got, const char* want) {
  std::printf("%-28s \"%s\" %s\n", what, got.c_str(), got == want ? "ok" : "MISMATCH");
  if (got != want) ++failures;
}

// What a host sees of Zuver Aduz, and one pass through its life cycle.
int check(const char* dll) {
  VstEntry entry = loadEntry(dll);
  AEffect* effect = entry(&PluginHost::callback);
  if (!effect) {
    std::fprintf(stderr, "zrhost: the plug-in refused to load\n");
    return 1;
  }
  PluginHost host(effect);
  expect("magic", effect->magic, kEffectMagic);
  expect("inputs", effect->numInputs, 1);
  expect("outputs", effect->numOutputs, 2);
  expect("programs", effect->numPrograms, 1);
  expect("parameters", effect->numParams, 2);
  expect("unique id", effect->uniqueID, 942750006);
  expect("flags replacing+chunks", effect->flags & 0x30, 0x30);
  expectText("effect name", host.text(effGetEffectName), "Zuver Aduz");
  expectText("parameter 0", host.text(effGetParamName, 0), "State");
  expectText("parameter 1", host.text(effGetParamName, 1), "Level");
  expectText("program", host.text(effGetProgramName), "Default program");
  host.start(44100.0f, 512);
  host.setParameter(1, 0.25f);
  expect("level reported", host.parameter(1), 0.25f);
  expectText("level display", host.text(effGetParamDisplay, 1), "0.25000");
  std::vector<uint8_t> chunk = host.chunk();
  expect("chunk size", chunk.size(), size_t(2060));
  expect("chunk accepted", host.setChunk(chunk), true);
  std::vector<float> in(2000, 0.0f), out0(2000), out1(2000);
  in[100] = 0.5f;
  host.process(in.data(), out0.data(), out1.data(), 2000, 441);
  expect("impulse 511 later", std::fabs(out0[611] - 0.5f) < 5e-6f, true);
  expect("close answers 1", host.close(), intptr_t(1));
  std::printf("%s\n", failures ? "FAILED" : "all checks passed");
  return failures ? 1 : 0;
}

struct Args {
  DenoiseSettings settings;
  double learnStart = 0.0, learnEnd = 1.0;
  int rawRate = 44100;
};

double number(const char* text) {
  char* end = nullptr;
  double v = std::strtod(text, &end);
  if (!*text || *end || !std::isfinite(v)) {
    std::fprintf(stderr, "zrhost: invalid number '%s'\n", text);
    std::exit(2);
  }
  return v;
}

int denoise(int argc, char** argv) {
  if (argc < 5) {
    std::fprintf(stderr, "usage: zrhost denoise DLL IN OUT [--learn START:END] [--level L] [--block N] "
                         "[--rate R] [--no-latency-compensation]\n");
    return 2;
  }
  Args a;
  for (int i = 5; i < argc; ++i) {
    std::string o = argv[i];
    const char* v = i + 1 < argc ? argv[i + 1] : "";
    if (o == "--learn") {
      const char* colon = std::strchr(v, ':');
      if (!colon) return std::fprintf(stderr, "zrhost: invalid learn range\n"), 2;
      a.learnStart = number(std::string(v, colon).c_str());
      a.learnEnd = number(colon + 1);
      ++i;
    } else if (o == "--level") {
      a.settings.level = static_cast<float>(number(v));
      a.settings.levelGiven = true;
      ++i;
    } else if (o == "--block") {
      a.settings.block = static_cast<int32_t>(number(v));
      ++i;
    } else if (o == "--rate") {
      a.rawRate = static_cast<int>(number(v));
      ++i;
    } else if (o == "--no-latency-compensation") {
      a.settings.compensate = false;
    } else {
      std::fprintf(stderr, "zrhost: unknown option '%s'\n", o.c_str());
      return 2;
    }
  }
  if (a.settings.block < 1) return std::fprintf(stderr, "zrhost: invalid block size\n"), 2;
  VstEntry entry = loadEntry(argv[2]);
  AudioData audio;
  std::string error;
  if (!readAudio(argv[3], a.rawRate, audio, error)) return std::fprintf(stderr, "zrhost: %s\n", error.c_str()), 1;
  a.settings.sampleRate = static_cast<float>(audio.sampleRate);
  const int64_t frames = audio.frames();
  int64_t from = std::llround(a.learnStart * audio.sampleRate);
  int64_t to = std::min<int64_t>(std::llround(a.learnEnd * audio.sampleRate), frames);
  if (from < 0 || from >= to) return std::fprintf(stderr, "zrhost: the learn span is empty\n"), 1;
  AudioData result = audio;
  try {
    for (int c = 0; c < audio.channels; ++c) {
      std::vector<float> channel(static_cast<size_t>(frames));
      for (int64_t i = 0; i < frames; ++i) channel[static_cast<size_t>(i)] = audio.samples[static_cast<size_t>(i * audio.channels + c)];
      std::vector<uint8_t> profile = learnProfile(entry, channel, from, to, a.settings, nullptr);
      std::vector<float> out = renderWithProfile(entry, channel, profile, false, a.settings, nullptr);
      for (int64_t i = 0; i < frames; ++i) result.samples[static_cast<size_t>(i * audio.channels + c)] = out[static_cast<size_t>(i)];
    }
  } catch (const std::runtime_error& e) {
    std::fprintf(stderr, "zrhost: %s\n", e.what());
    return 1;
  }
  if (!writeAudio(argv[4], result, error)) return std::fprintf(stderr, "zrhost: %s\n", error.c_str()), 1;
  return 0;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc >= 3 && std::strcmp(argv[1], "check") == 0) return check(argv[2]);
  if (argc >= 2 && std::strcmp(argv[1], "denoise") == 0) return denoise(argc, argv);
  std::fprintf(stderr, "usage: zrhost check DLL\n       zrhost denoise DLL IN OUT [options]\n");
  return 2;
}
