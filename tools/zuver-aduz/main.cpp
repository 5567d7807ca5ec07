// zuver-aduz: the command-line denoiser.  It loads the plug-in through its
// VST 2 entry and drives it exactly as a host does: it learns the noise from
// a span of the file with one instance, then renders the whole file from its
// start with the learnt profile in a fresh instance.
#include <sndfile.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <stdexcept>
#include <string>
#include <vector>

#include "ZR_main_vst.h"
#include "fxp.h"
#include "denoise_session.h"

namespace {

struct Options {
  std::string in, out;
  double learnStart = 0.0, learnEnd = 1.0;
  bool learnRangeGiven = false;
  bool levelGiven = false;
  float level = 0.0f;
  int32_t block = 512;
  bool compensate = true;
  std::string savePreset, preset;
  std::string format;  // "" keeps the input's format
};

struct Failure {
  std::string message;
};

[[noreturn]] void fail(const std::string& message) { throw Failure{message}; }

void usage(FILE* to) {
  std::fprintf(to,
               "usage: zuver-aduz denoise IN OUT [options]\n"
               "  Learns the noise from the start of IN, then gates all of IN into OUT.\n"
               "options:\n"
               "  --learn-seconds S        learn from the first S seconds (default 1.0)\n"
               "  --learn START:END        learn from START to END seconds\n"
               "  --level L                threshold offset, 0..1 (default 0)\n"
               "  --block N                host call size in frames, 1..65536 (default 512)\n"
               "  --no-latency-compensation  keep the plug-in's 511-sample delay\n"
               "  --save-preset F          save the learnt profile and settings as a .fxp preset\n"
               "  --preset F               use a saved profile instead of learning\n"
               "  --format wav|flac|aiff|float-wav|raw  output format (default: the input's;\n"
               "                           raw is headerless 32-bit float, little-endian)\n");
}

double number(const char* text, const char* what) {
  char* end = nullptr;
  errno = 0;
  double v = std::strtod(text, &end);
  if (!*text || *end || errno || !std::isfinite(v)) fail(std::string("invalid ") + what + " '" + text + "'");
  return v;
}

Options parse(int argc, char** argv) {
  if (argc < 2 || std::strcmp(argv[1], "denoise") != 0) {
    if (argc >= 2 && (!std::strcmp(argv[1], "--help") || !std::strcmp(argv[1], "-h"))) {
      usage(stdout);
      std::exit(0);
    }
    usage(stderr);
    std::exit(2);
  }
  Options o;
  std::vector<std::string> positional;
  for (int i = 2; i < argc; ++i) {
    std::string a = argv[i];
    auto value = [&](const char* name) -> const char* {
      if (i + 1 >= argc) fail(std::string("missing value after ") + name);
      return argv[++i];
    };
    if (a == "--learn-seconds") {
      o.learnStart = 0.0;
      o.learnEnd = number(value("--learn-seconds"), "learn length");
      if (o.learnEnd <= 0) fail("the learn length must be positive");
      o.learnRangeGiven = true;
    } else if (a == "--learn") {
      std::string range = value("--learn");
      size_t colon = range.find(':');
      if (colon == std::string::npos) fail("invalid learn range '" + range + "' (expected START:END)");
      o.learnStart = number(range.substr(0, colon).c_str(), "learn start");
      o.learnEnd = number(range.substr(colon + 1).c_str(), "learn end");
      if (o.learnStart < 0 || o.learnEnd <= o.learnStart) fail("invalid learn range '" + range + "'");
      o.learnRangeGiven = true;
    } else if (a == "--level") {
      double l = number(value("--level"), "level");
      if (l < 0 || l > 1) fail("the level must be between 0 and 1");
      o.level = static_cast<float>(l);
      o.levelGiven = true;
    } else if (a == "--block") {
      double b = number(value("--block"), "block size");
      if (b != std::floor(b) || b < 1 || b > 65536) fail("the block size must be a whole number from 1 to 65536");
      o.block = static_cast<int32_t>(b);
    } else if (a == "--no-latency-compensation") {
      o.compensate = false;
    } else if (a == "--save-preset") {
      o.savePreset = value("--save-preset");
    } else if (a == "--preset") {
      o.preset = value("--preset");
    } else if (a == "--format") {
      o.format = value("--format");
      if (o.format != "wav" && o.format != "flac" && o.format != "aiff" && o.format != "float-wav" && o.format != "raw")
        fail("unknown output format '" + o.format + "'");
    } else if (!a.empty() && a[0] == '-' && a != "-") {
      fail("unknown option '" + a + "'");
    } else {
      positional.push_back(a);
    }
  }
  if (positional.size() != 2) fail("denoise needs an input and an output file");
  o.in = positional[0];
  o.out = positional[1];
  if (!o.preset.empty() && o.learnRangeGiven) fail("--preset and a learn span exclude each other");
  return o;
}

bool sameFile(const std::string& a, const std::string& b) {
  struct stat sa, sb;
  if (stat(a.c_str(), &sa) != 0 || stat(b.c_str(), &sb) != 0) return false;
  return sa.st_dev == sb.st_dev && sa.st_ino == sb.st_ino;
}

std::vector<uint8_t> readFile(const std::string& path) {
  FILE* f = std::fopen(path.c_str(), "rb");
  if (!f) fail("cannot open '" + path + "': " + std::strerror(errno));
  std::vector<uint8_t> bytes;
  uint8_t buffer[65536];
  size_t n;
  while ((n = std::fread(buffer, 1, sizeof buffer, f)) > 0) {
    bytes.insert(bytes.end(), buffer, buffer + n);
    if (bytes.size() > (1u << 24)) {
      std::fclose(f);
      fail("'" + path + "' is too large to be a preset");
    }
  }
  bool bad = std::ferror(f);
  std::fclose(f);
  if (bad) fail("cannot read '" + path + "'");
  return bytes;
}

// Writes next to the target and renames at the end, so a failure never
// leaves a half-written file or a damaged earlier one.
void writeFileAtomically(const std::string& path, const std::vector<uint8_t>& bytes) {
  std::string temp = path + ".part";
  FILE* f = std::fopen(temp.c_str(), "wb");
  if (!f) fail("cannot create '" + path + "': " + std::strerror(errno));
  bool ok = std::fwrite(bytes.data(), 1, bytes.size(), f) == bytes.size();
  ok = (std::fclose(f) == 0) && ok;
  if (!ok || std::rename(temp.c_str(), path.c_str()) != 0) {
    std::remove(temp.c_str());
    fail("cannot write '" + path + "'");
  }
}

class Progress {
 public:
  explicit Progress(int64_t total) : total_(total), show_(isatty(2) && total > 0) {}
  void advance(int64_t n) {
    done_ += n;
    if (!show_) return;
    int percent = static_cast<int>(100 * done_ / total_);
    if (percent == last_) return;
    last_ = percent;
    int bars = percent * 40 / 100;
    std::fprintf(stderr, "\r[%.*s%*s] %3d%%", bars, "########################################", 40 - bars, "", percent);
    if (done_ >= total_) std::fputc('\n', stderr);
    std::fflush(stderr);
  }

 private:
  int64_t total_, done_ = 0;
  bool show_;
  int last_ = -1;
};

int outputFormat(const Options& o, int inputFormat) {
  if (o.format.empty()) return inputFormat;
  if (o.format == "wav") return SF_FORMAT_WAV | SF_FORMAT_PCM_16;
  if (o.format == "float-wav") return SF_FORMAT_WAV | SF_FORMAT_FLOAT;
  if (o.format == "flac") return SF_FORMAT_FLAC | SF_FORMAT_PCM_16;
  if (o.format == "raw") return SF_FORMAT_RAW | SF_FORMAT_FLOAT | SF_ENDIAN_LITTLE;
  return SF_FORMAT_AIFF | SF_FORMAT_PCM_16;
}

int denoise(const Options& o) {
  if (o.in == o.out || sameFile(o.in, o.out)) fail("the output would overwrite the input '" + o.in + "'");

  SF_INFO info;
  std::memset(&info, 0, sizeof info);
  SNDFILE* in = sf_open(o.in.c_str(), SFM_READ, &info);
  if (!in) fail("cannot read '" + o.in + "': " + sf_strerror(nullptr));
  std::vector<float> interleaved(static_cast<size_t>(info.frames) * static_cast<size_t>(info.channels));
  sf_count_t got = sf_readf_float(in, interleaved.data(), info.frames);
  sf_close(in);
  if (got != info.frames) fail("cannot read all of '" + o.in + "'");
  if (info.frames == 0) fail("'" + o.in + "' holds no audio");
  if (info.channels > 1 && !o.savePreset.empty()) fail("--save-preset needs a mono input (a preset holds one noise profile)");

  DenoiseSettings settings;
  settings.sampleRate = static_cast<float>(info.samplerate);
  settings.block = o.block;
  settings.level = o.level;
  settings.levelGiven = o.levelGiven;
  settings.compensate = o.compensate;
  int64_t learnFrom = 0, learnTo = 0;
  std::vector<uint8_t> preset;
  if (!o.preset.empty()) {
    FxpProgram program;
    std::string why;
    if (!fxpDecode(readFile(o.preset), program, why)) fail("'" + o.preset + "': " + why);
    if (program.pluginId != ZR_Main_Vst::UNIQUE_ID) fail("'" + o.preset + "' is a preset of another plug-in");
    if (program.chunk.size() != ZR_Application::STATE_BYTES)
      fail("'" + o.preset + "' holds a state of the wrong size (" + std::to_string(program.chunk.size()) + " bytes)");
    preset = program.chunk;
  } else {
    learnFrom = static_cast<int64_t>(std::llround(o.learnStart * info.samplerate));
    learnTo = static_cast<int64_t>(std::llround(o.learnEnd * info.samplerate));
    if (learnTo > info.frames) {
      if (o.learnRangeGiven || info.frames < info.samplerate / 10)
        fail("the learn span ends after the file (" + std::to_string(static_cast<double>(info.frames) / info.samplerate) +
             " s long)");
      learnTo = info.frames;  // a short file: learn from all of it
    }
    if (learnFrom >= learnTo) fail("the learn span is empty");
  }

  const int channels = info.channels;
  Progress bar(channels * ((learnTo - learnFrom) + info.frames + (o.compensate ? kPluginLatency : 0)));
  ProgressFn progress = [&bar](int64_t n) { bar.advance(n); };
  std::vector<float> result(interleaved.size());
  for (int c = 0; c < channels; ++c) {
    std::vector<float> channel(static_cast<size_t>(info.frames));
    for (sf_count_t i = 0; i < info.frames; ++i) channel[static_cast<size_t>(i)] = interleaved[static_cast<size_t>(i * channels + c)];
    std::vector<uint8_t> profile =
        preset.empty() ? learnProfile(&VSTPluginMain, channel, learnFrom, learnTo, settings, progress) : preset;
    if (!o.savePreset.empty()) {
      FxpProgram program;
      program.pluginId = ZR_Main_Vst::UNIQUE_ID;
      program.pluginVersion = 1;
      program.name = "Default program";
      program.chunk = profile;
      writeFileAtomically(o.savePreset, fxpEncode(program));
    }
    std::vector<float> out = renderWithProfile(&VSTPluginMain, channel, profile, !preset.empty(), settings, progress);
    for (sf_count_t i = 0; i < info.frames; ++i) result[static_cast<size_t>(i * channels + c)] = out[static_cast<size_t>(i)];
  }

  SF_INFO outInfo = info;
  outInfo.format = outputFormat(o, info.format);
  if (!sf_format_check(&outInfo)) fail("the output format cannot hold this audio");
  std::string temp = o.out + ".part";
  SNDFILE* out = sf_open(temp.c_str(), SFM_WRITE, &outInfo);
  if (!out) fail("cannot create '" + o.out + "': " + sf_strerror(nullptr));
  sf_command(out, SFC_SET_CLIPPING, nullptr, SF_TRUE);
  sf_count_t written = sf_writef_float(out, result.data(), info.frames);
  int closed = sf_close(out);
  if (written != info.frames || closed != 0 || std::rename(temp.c_str(), o.out.c_str()) != 0) {
    std::remove(temp.c_str());
    fail("cannot write '" + o.out + "'");
  }
  return 0;
}

}  // namespace

int main(int argc, char** argv) {
  try {
    return denoise(parse(argc, argv));
  } catch (const Failure& f) {
    std::fprintf(stderr, "zuver-aduz: %s\n", f.message.c_str());
    return 1;
  } catch (const std::runtime_error& e) {
    std::fprintf(stderr, "zuver-aduz: %s\n", e.what());
    return 1;
  } catch (const std::bad_alloc&) {
    std::fprintf(stderr, "zuver-aduz: out of memory\n");
    return 1;
  }
}
