#include <gtest/gtest.h>

#include <climits>
#include <cstdint>
#include <vector>

#include "ZR_effect.h"

namespace {

// A stage that combines a constant into its output by its mode and counts
// the base operations the pipe calls.
struct Writer : ZR_Effect {
  ZR_Buffer* out = nullptr;
  int32_t value = 0;
  int prepares = 0, processes = 0, resets = 0, recalcs = 0;
  void prepare() override {
    ++prepares;
    ready = 1;
  }
  void process() override {
    ++processes;
    int32_t* o = samples(out);
    if (!o) return;
    std::vector<int32_t> r(static_cast<size_t>(out->blockLength()), value);
    ZR_combineKernels[mode](o, r.data(), out->blockLength());
  }
  void reset() override { ++resets; }
  void recalc() override { ++recalcs; }
};

// A stage that copies what it reads from a buffer.
struct Reader : ZR_Effect {
  ZR_Buffer* in = nullptr;
  std::vector<int32_t> seen;
  void process() override {
    const int32_t* s = samples(in);
    seen.assign(s, s + in->blockLength());
  }
};

struct Thrower : ZR_Effect {
  void process() override { throw 1; }
};

class Pipe : public ::testing::Test {
 protected:
  void TearDown() override {
    ZR_Object::deleteAll();
    EXPECT_EQ(ZR_currentpipe, nullptr);
  }
  ZR_Soundpipe* makePipe(int blockLength) {
    ZR_Soundpipe* pipe = nullptr;
    int32_t began = -1;
    char line[] = "ZR_Soundpipe -bl %i -b";
    EXPECT_EQ(spcpp(line, &pipe, blockLength, &began), ZR_OK);
    EXPECT_EQ(began, 0);  // the constructor already made it current
    return pipe;
  }
  ZR_Buffer* makeBuffer() {
    ZR_Buffer* buffer = nullptr;
    char line[] = "ZR_Buffer";
    EXPECT_EQ(spcpp(line, &buffer), ZR_OK);
    return buffer;
  }
  int32_t query(const char* command, void* object) {
    std::string line = command;
    int32_t result = 0;
    EXPECT_EQ(spcpp(&line[0], object, &result), ZR_OK);
    return result;
  }
  const char* queryText(const char* command, void* object) {
    std::string line = command;
    ZR_word result = 0;
    EXPECT_EQ(spcpp(&line[0], object, &result), ZR_OK);
    return reinterpret_cast<const char*>(result);
  }
  void set(const char* command, void* object, ...) {
    std::string line = command;
    va_list args;
    va_start(args, object);
    // Commands with one "%o" and one more argument.
    void* arg = va_arg(args, void*);
    va_end(args);
    EXPECT_EQ(spcpp(&line[0], object, arg), ZR_OK);
  }
};

TEST_F(Pipe, BufferFollowsThePipe) {
  ZR_Soundpipe* pipe = makePipe(512);
  ZR_Buffer* buffer = makeBuffer();
  EXPECT_EQ(buffer->count, 512);
  EXPECT_EQ(buffer->length, -1);
  EXPECT_EQ(buffer->shadow, buffer->data + 512);
  EXPECT_EQ(query("%o -l", buffer), 512);
  for (int i = 0; i < 512; ++i) ASSERT_EQ(buffer->data[i], 0);
  EXPECT_EQ(pipe->buffers.count, 1);
  EXPECT_EQ(buffer->link.list, &pipe->buffers);

  char bl[] = "%o -bl %i";
  EXPECT_EQ(spcpp(bl, pipe, 256), ZR_OK);
  EXPECT_EQ(query("%o -l", buffer), 256);
  EXPECT_EQ(buffer->count, 512);
  // A pipe block longer than the buffer never reads past it.
  EXPECT_EQ(spcpp(bl, pipe, 4096), ZR_OK);
  EXPECT_EQ(buffer->blockLength(), 512);
  EXPECT_EQ(query("%o -e", pipe), 1);
}

TEST_F(Pipe, BufferWithoutPipeAndResizing) {
  ZR_Buffer* buffer = makeBuffer();
  EXPECT_EQ(buffer->length, 0);
  EXPECT_EQ(buffer->data, nullptr);
  char l[] = "%o -l %i";
  EXPECT_EQ(spcpp(l, buffer, 256), ZR_OK);
  EXPECT_EQ(buffer->count, 256);
  EXPECT_EQ(buffer->pipe, nullptr);
  EXPECT_EQ(query("%o -l", buffer), 256);

  buffer->position = 700;
  EXPECT_EQ(spcpp(l, buffer, 1024), ZR_OK);
  EXPECT_EQ(buffer->position, 700);
  EXPECT_EQ(spcpp(l, buffer, 512), ZR_OK);
  EXPECT_EQ(buffer->position, 188);

  // Nonsense lengths keep the old size.
  for (int bad : {-2, -1000, ZR_Buffer::MAX_LENGTH + 1, INT_MAX}) {
    EXPECT_EQ(spcpp(l, buffer, bad), ZR_OK);
    EXPECT_EQ(buffer->count, 512) << bad;
  }
  // An owner shortening the length for one block: stages see the shorter
  // length, never more than the allocation.
  buffer->length = 100;
  EXPECT_EQ(buffer->blockLength(), 100);
  EXPECT_EQ(query("%o -l", buffer), 100);
  buffer->length = 5000;
  EXPECT_EQ(buffer->blockLength(), 512);
  buffer->length = 512;

  EXPECT_EQ(spcpp(l, buffer, 0), ZR_OK);
  EXPECT_EQ(buffer->data, nullptr);
  EXPECT_EQ(query("%o -l", buffer), 0);
}

TEST_F(Pipe, BufferTagAndLimit) {
  ZR_Buffer* buffer = makeBuffer();
  static char tag[] = "t_noise";
  char t[] = "%o -t %o";
  EXPECT_EQ(spcpp(t, buffer, tag), ZR_OK);
  EXPECT_EQ(buffer->tag, tag);
  EXPECT_EQ(queryText("%o -t", buffer), tag);
  EXPECT_EQ(query("%o -limit", buffer), 1073741823);
  const struct {
    double value;
    int32_t stored;
  } limits[] = {{1.9, 1}, {-1.9, -1}, {1e12, INT32_MAX}};
  char lim[] = "%o -limit %f";
  for (auto c : limits) {
    EXPECT_EQ(spcpp(lim, buffer, c.value), ZR_OK);
    EXPECT_EQ(buffer->limit, c.stored);
  }
  char text[] = "ZR_Buffer -limit 7 -t label";
  ZR_Buffer* labelled = nullptr;
  EXPECT_EQ(spcpp(text, &labelled), ZR_OK);
  EXPECT_EQ(labelled->limit, 7);
  EXPECT_STREQ(labelled->tag, "label");
}

TEST_F(Pipe, CurrentPipeBeginEnd) {
  ZR_Soundpipe* first = makePipe(64);
  ZR_Soundpipe* again = nullptr;
  char current[] = "ZR_Soundpipe current";
  EXPECT_EQ(spcpp(current, &again), ZR_OK);
  EXPECT_EQ(again, first);
  EXPECT_EQ(query("%o -e", first), 1);
  EXPECT_EQ(query("%o -e", first), 0);

  testing::internal::CaptureStdout();
  again = first;
  EXPECT_EQ(spcpp(current, &again), ZR_ERROR_COMMAND_NOT_FOUND);
  EXPECT_EQ(again, nullptr);
  EXPECT_NE(testing::internal::GetCapturedStdout().find("spcpp:"), std::string::npos);

  EXPECT_EQ(query("%o -b", first), 1);
  ZR_Soundpipe* second = makePipe(32);  // a new pipe replaces the current one
  EXPECT_EQ(ZR_currentpipe, second);
  EXPECT_EQ(query("%o -b", first), 0);
  EXPECT_EQ(query("%o -e", first), 0);
  EXPECT_EQ(query("%o -e", second), 1);
}

TEST_F(Pipe, StagesJoinInOrderAndBeforeInsertionPoint) {
  ZR_Soundpipe* pipe = makePipe(8);
  Writer* a = new Writer;
  Writer* b = new Writer;
  EXPECT_EQ(a->pipe, pipe);
  EXPECT_EQ(a->wasOn, 1);
  EXPECT_EQ(a->on, 1);
  EXPECT_EQ(a->ready, 0);
  char be[] = "%o -be %o";
  EXPECT_EQ(spcpp(be, pipe, b), ZR_OK);
  Writer* c = new Writer;
  Writer* d = new Writer;
  std::vector<void*> order;
  ZR_CHAIN_FOR(void, s, pipe->stages) order.push_back(s);
  EXPECT_EQ(order, (std::vector<void*>{a, c, d, b}));

  // "before" moves a stage; its result is the new successor.
  ZR_word next = 0;
  char before[] = "ZR_Effect %o -before %o";
  EXPECT_EQ(spcpp(before, b, a), ZR_OK);
  char q[] = "ZR_Effect %o -before";
  EXPECT_EQ(spcpp(q, b, &next), ZR_OK);
  EXPECT_EQ(next, reinterpret_cast<ZR_word>(a));
  // Itself, a dead address or a stage of no pipe: nothing changes.
  EXPECT_EQ(spcpp(before, c, c), ZR_OK);
  EXPECT_EQ(spcpp(before, c, reinterpret_cast<void*>(0x10)), ZR_OK);
  order.clear();
  ZR_CHAIN_FOR(void, s, pipe->stages) order.push_back(s);
  EXPECT_EQ(order, (std::vector<void*>{b, a, c, d}));
  EXPECT_EQ(pipe->stages.count, 4);
  EXPECT_EQ(spcpp(q, d, &next), ZR_OK);
  EXPECT_EQ(next, 0);

  delete b;  // the insertion point leaves with its stage
  EXPECT_EQ(pipe->insertBefore, nullptr);
  EXPECT_EQ(pipe->stages.count, 3);
  EXPECT_EQ(query("%o -e", pipe), 1);
}

TEST_F(Pipe, ModeClockOnParameters) {
  makePipe(4);
  Writer* w = new Writer;
  w->descriptor = ZR_Effect::paramTable;
  char mode[] = "%o -mode %s";
  EXPECT_EQ(spcpp(mode, w, "adn"), ZR_OK);
  EXPECT_EQ(w->mode, 4);
  EXPECT_EQ(spcpp(mode, w, "xyz"), ZR_OK);
  EXPECT_EQ(w->mode, 4);
  char modeInt[] = "%o -mode 3";
  EXPECT_EQ(spcpp(modeInt, w), ZR_OK);
  EXPECT_EQ(w->mode, 4);
  EXPECT_STREQ(queryText("%o -mode", w), "adn");

  char clock[] = "%o -clock %f";
  EXPECT_EQ(spcpp(clock, w, 44100.7), ZR_OK);
  EXPECT_EQ(w->clock, 44100);
  EXPECT_EQ(w->recalcs, 1);
  EXPECT_EQ(query("%o -clock", w), 44100);
  EXPECT_EQ(w->recalcs, 1);

  char on[] = "%o -on %i";
  EXPECT_EQ(spcpp(on, w, 0), ZR_OK);
  EXPECT_EQ(query("%o -on", w), 0);
  EXPECT_EQ(spcpp(on, w, 7), ZR_OK);
  EXPECT_EQ(w->on, 1);
  char e[] = "ZR_Soundpipe current -e";
  ZR_Soundpipe* current = nullptr;
  int32_t ended = 0;
  EXPECT_EQ(spcpp(e, &current, &ended), ZR_OK);
  EXPECT_EQ(ended, 1);
}

TEST_F(Pipe, CombineModesWrap) {
  const int32_t o[] = {10, INT32_MAX, INT32_MIN, -7};
  const int32_t r[] = {3, 1, 1, INT32_MIN};
  const int32_t want[ZR_MODE_COUNT][4] = {
      {3, 1, 1, INT32_MIN},                              // set
      {13, INT32_MIN, INT32_MIN + 1, INT32_MAX - 6},     // add
      {7, INT32_MAX - 1, INT32_MAX, INT32_MAX - 6},      // sub
      {-3, -1, -1, INT32_MIN},                           // stn
      {-13, INT32_MIN, INT32_MAX, -(INT32_MAX - 6)},     // adn
      {-7, INT32_MIN + 2, INT32_MIN + 1, INT32_MIN + 7}, // sbn
  };
  for (int m = 0; m < ZR_MODE_COUNT; ++m) {
    std::vector<int32_t> out(o, o + 4);
    ZR_combineKernels[m](out.data(), r, 4);
    for (int j = 0; j < 4; ++j) EXPECT_EQ(out[static_cast<size_t>(j)], want[m][j]) << ZR_modeNames[m] << " " << j;
  }
}

// The expected reader view of a block in which the writer switches: sample
// j weighs the new signal by j/n with 64-bit products and truncation.
std::vector<int32_t> fade(int32_t from, int32_t to, int n) {
  std::vector<int32_t> v;
  for (int j = 0; j < n; ++j)
    v.push_back(static_cast<int32_t>((static_cast<int64_t>(to) * j + static_cast<int64_t>(from) * (n - j)) / n));
  return v;
}

TEST_F(Pipe, SwitchingCrossfadesOverTheBlock) {
  for (int n : {1, 3, 1000}) {
    SCOPED_TRACE(n);
    ZR_Soundpipe* pipe = makePipe(n);
    ZR_Buffer* buffer = makeBuffer();
    Writer* writer = new Writer;
    Reader* reader = new Reader;
    writer->out = buffer;
    writer->value = -2000000000;
    reader->in = buffer;
    query("%o -e", pipe);
    const int32_t old = 1500000000;
    auto refill = [&] { std::fill(buffer->data, buffer->data + n, old); };

    refill();
    pipe->process();  // steady on
    EXPECT_EQ(reader->seen, std::vector<int32_t>(static_cast<size_t>(n), writer->value));
    EXPECT_EQ(buffer->fade, 0);

    writer->on = 0;
    refill();
    pipe->process();  // switching off: written into the shadow, then reset
    EXPECT_EQ(reader->seen, fade(writer->value, old, n));
    EXPECT_EQ(writer->resets, 1);
    EXPECT_EQ(writer->wasOn, 0);
    EXPECT_EQ(writer->processes, 2);

    refill();
    pipe->process();  // off and was off: neither prepared nor processed
    EXPECT_EQ(writer->processes, 2);
    EXPECT_EQ(reader->seen, std::vector<int32_t>(static_cast<size_t>(n), old));

    writer->on = 1;
    refill();
    pipe->process();  // switching on
    EXPECT_EQ(reader->seen, fade(old, writer->value, n));
    EXPECT_EQ(writer->resets, 1);
    if (n == 1) {
      EXPECT_EQ(reader->seen[0], old);
    }
    ZR_Object::deleteAll();
  }
}

TEST_F(Pipe, ModesWorkOnTheShadowCopyWhileSwitching) {
  const int n = 16;
  ZR_Soundpipe* pipe = makePipe(n);
  ZR_Buffer* buffer = makeBuffer();
  Writer* writer = new Writer;
  Reader* reader = new Reader;
  writer->out = buffer;
  writer->value = 100;
  writer->mode = ZR_MODE_ADD;
  reader->in = buffer;
  query("%o -e", pipe);
  writer->on = 0;
  writer->wasOn = 0;
  std::fill(buffer->data, buffer->data + n, 1000);
  writer->on = 1;
  pipe->process();
  EXPECT_EQ(reader->seen, fade(1000, 1100, n));
}

TEST_F(Pipe, UnpreparedStageIsNotProcessedAndFaultsEndTheBlock) {
  ZR_Soundpipe* pipe = makePipe(4);
  struct Never : Writer {
    void prepare() override { ++prepares; }
  };
  Never* never = new Never;
  new Thrower;
  Writer* after = new Writer;
  query("%o -e", pipe);
  EXPECT_EQ(pipe->process(), 0);
  EXPECT_EQ(pipe->process(), 0);
  EXPECT_EQ(never->prepares, 2);
  EXPECT_EQ(never->processes, 0);
  EXPECT_EQ(after->processes, 0);  // the block ended at the fault
}

TEST_F(Pipe, ClearZeroesMainHalvesAndResetsStages) {
  ZR_Soundpipe* pipe = makePipe(4);
  ZR_Buffer* buffer = makeBuffer();
  Writer* w = new Writer;
  query("%o -e", pipe);
  std::fill(buffer->data, buffer->data + 8, 9);
  pipe->clear();
  EXPECT_EQ(std::vector<int32_t>(buffer->data, buffer->data + 4), std::vector<int32_t>(4, 0));
  EXPECT_EQ(std::vector<int32_t>(buffer->shadow, buffer->shadow + 4), std::vector<int32_t>(4, 9));
  EXPECT_EQ(w->resets, 1);
}

TEST_F(Pipe, DeletingThePipeFirstLeavesStagesAndBuffersSafe) {
  ZR_Soundpipe* pipe = makePipe(4);
  ZR_Buffer* buffer = makeBuffer();
  Writer* w = new Writer;
  char del[] = "%o -delete";
  EXPECT_EQ(spcpp(del, pipe), ZR_OK);
  EXPECT_EQ(ZR_currentpipe, nullptr);
  EXPECT_EQ(w->pipe, nullptr);
  EXPECT_EQ(buffer->blockLength(), 0);
  EXPECT_EQ(spcpp(del, w), ZR_OK);
  EXPECT_EQ(spcpp(del, buffer), ZR_OK);
}

TEST_F(Pipe, SamplesOfMissingBuffers) {
  Writer w;
  EXPECT_EQ(w.samples(nullptr), nullptr);
  ZR_Buffer empty;
  EXPECT_EQ(w.samples(&empty), nullptr);
}

}  // namespace
