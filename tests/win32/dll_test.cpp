// Loads the built ZuverAduz.dll the way a host program does (LoadLibrary and
// GetProcAddress, nothing linked) and checks the framework's exports: the
// error codes, the empty value, the class table, the command processor and
// the exported constructors.
//
//   zr_dll_tests PATH\TO\ZuverAduz.dll [gtest flags]
#include <windows.h>

#include <gtest/gtest.h>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <set>
#include <string>
#include <vector>

namespace {

std::string g_dllPath;
HMODULE g_dll = nullptr;

// The records as a host sees them on the 32-bit target, written out here
// rather than taken from the framework's headers, so that the layouts are
// checked rather than assumed.
typedef const char* Error;

struct Value {
  virtual void changed(void*) {}
  int32_t data;
  int32_t type;
  int32_t length;
};
static_assert(sizeof(Value) == 16, "value record: virtual table, data, type, length");

struct ChainItem {
  ChainItem* prev;
  ChainItem* next;
  void* data;
  void* list;
};
static_assert(sizeof(ChainItem) == 16, "list item: prev, next, data, list");

struct Param {
  const char* name;
  const void* fn;
};

struct ClassEntry {
  const char* name;
  const Param* descriptor;
};

struct Object {
  void* vtable;
  const Param* descriptor;
  char* command;
};

typedef Error (*Spcpp)(char* command, ...);
typedef Error (*SpcppExec)(int flags, char* command, char* text, int* size, va_list* args);
typedef void (*Initall)();
typedef void(__attribute__((thiscall)) * ItemCtor)(void* self, void* data);
typedef void(__attribute__((thiscall)) * AppCtor)(void* self);
typedef int(__attribute__((thiscall)) * HasChunk)(void* self);
typedef Value(__attribute__((thiscall)) * GetState)(void* self);

// The exported names, as the linker writes them.  C++ entries carry the
// compiler's mangling.
const char kChainItemCtor[] = "_ZN13ZR_Chain_ItemC1EPv";
const char kApptplCtor[] = "_ZN9ZR_ApptplC1Ev";
const char kInitall[] = "ZR_initall";

struct ErrorCode {
  const char* name;
  const char* text;
};

const ErrorCode kErrorCodes[] = {
    {"ZR_OK", "Operation OK"},
    {"ZR_ERROR_UNKNOWN", "Unknown error"},
    {"ZR_ERROR_FILE_CANNOT_OPEN", "Cannot open file"},
    {"ZR_ERROR_FILE_CANNOT_READ", "Cannot read file"},
    {"ZR_ERROR_FILE_CANNOT_CLOSE", "Cannot close file"},
    {"ZR_ERROR_MEMORY_CANNOT_ALLOCATE", "Cannot allocate memory"},
    {"ZR_ERROR_MEMORY_CANNOT_REALLOC", "Cannot re-allocate memory"},
    {"ZR_ERROR_MEMORY_CANNOT_FREE", "Cannot free memory"},
    {"ZR_ERROR_PARAM_REQUIRED", "Argument required"},
    {"ZR_ERROR_RESOURCE_CANNOT_LOAD", "Cannot load resource"},
    {"ZR_ERROR_RESOURCE_CANNOT_FIND", "Cannot find resource"},
    {"ZR_ERROR_RESOURCE_CANNOT_LOCK", "Cannot lock resource"},
    {"ZR_ERROR_AUDIO", "Audio operating error"},
    {"ZR_ERROR_AUDIO_CANNOT_OPEN", "Cannot open audio device"},
    {"ZR_ERROR_AUDIO_CANNOT_INPUT_STOP", "Cannot stop input audio device"},
    {"ZR_ERROR_AUDIO_CANNOT_INPUT_CLOSE", "Cannot close input audio device"},
    {"ZR_ERROR_AUDIO_CANNOT_OUTPUT_RESET", "Cannot reset output audio device"},
    {"ZR_ERROR_AUDIO_CANNOT_OUTPUT_CLOSE", "Cannot close output audio device"},
    {"ZR_ERROR_COMMAND_NOT_FOUND", "Command not found"},
    {"ZR_ERROR_COMMAND_NOT_PARAM", "Param not found"},
    {"ZR_ERROR_COMMAND_NOT_SPACE", "Not enough space for command result"},
};

// The class table's order; a module carries a growing prefix-respecting
// subset of it as the classes are built.
const char* const kClassOrder[] = {
    "ZR_Object",        "ZR_Soundpipe",       "ZR_Buffer",           "ZR_Effect",
    "ZR_Effect_Zero",   "ZR_Effect_Hipass",   "ZR_Effect_Lopass",    "ZR_Effect_Freqmul",
    "ZR_Effect_Nefreqmul", "ZR_Effect_Gtzero", "ZR_Effect_Ltzero",   "ZR_Effect_Bapass",
    "ZR_Effect_Ampdet", "ZR_Effect_Copy",     "ZR_Effect_Oper",      "ZR_Effect_Koef",
    "ZR_Effect_Dist",   "ZR_Effect_Deline",   "ZR_Effect_Oversam",   "ZR_Effect_Shift",
    "ZR_Effect_Nshift", "ZR_Fourier_Transform", "ZR_Fourier_Noisegate", "ZR_Wid",
    "ZR_Wid_Pic",       "ZR_Wid_Butt",        "ZR_Wid_Knob",         "ZR_Wid_Pal",
    "ZR_Wid_Text",
};
const int kMaxClasses = 64;   // far more than the table ever holds
const int kMaxParams = 64;    // per descriptor

template <class T>
T symbol(const char* name) {
  return reinterpret_cast<T>(reinterpret_cast<void*>(GetProcAddress(g_dll, name)));
}

Error error(const char* name) {
  Error* p = symbol<Error*>(name);
  return p ? *p : nullptr;
}

// True when `p` lies inside the loaded module's image.
bool inModule(const void* p) {
  auto base = reinterpret_cast<const unsigned char*>(g_dll);
  auto dos = reinterpret_cast<const IMAGE_DOS_HEADER*>(base);
  auto nt = reinterpret_cast<const IMAGE_NT_HEADERS*>(base + dos->e_lfanew);
  auto q = static_cast<const unsigned char*>(p);
  return q >= base && q < base + nt->OptionalHeader.SizeOfImage;
}

const ClassEntry* classTable() { return symbol<const ClassEntry*>("__ZR"); }

const Param* descriptorOf(const char* name) {
  const ClassEntry* table = classTable();
  for (int i = 0; table && i < kMaxClasses && table[i].name; ++i)
    if (std::strcmp(table[i].name, name) == 0) return table[i].descriptor;
  return nullptr;
}

// Runs spcpp_exec in text mode with no variadic arguments.
Error execText(char* line, char* text, int* size, ...) {
  va_list args;
  va_start(args, size);
  Error e = symbol<SpcppExec>("spcpp_exec")(1, line, text, size, &args);
  va_end(args);
  return e;
}

class Dll : public ::testing::Test {
 protected:
  void SetUp() override { ASSERT_NE(g_dll, nullptr) << "could not load " << g_dllPath; }
};

TEST_F(Dll, ExportsEveryFrameworkSymbol) {
  std::vector<const char*> names = {"__ZR",      "ZR_EMPTY",     "ZR_specialobject", "hInstance",
                                    "spcpp",     "spcpp_exec",   kInitall,           kChainItemCtor,
                                    kApptplCtor};
  for (const ErrorCode& code : kErrorCodes) names.push_back(code.name);
  for (const char* name : names) EXPECT_NE(symbol<void*>(name), nullptr) << name;
}

TEST_F(Dll, ErrorCodesPointAtTheirTextsAndAreDistinct) {
  std::set<Error> seen;
  for (const ErrorCode& code : kErrorCodes) {
    Error e = error(code.name);
    ASSERT_NE(e, nullptr) << code.name;
    EXPECT_STREQ(e, code.text) << code.name;
    EXPECT_TRUE(inModule(e)) << code.name << " points outside the module";
    EXPECT_TRUE(seen.insert(e).second) << code.name << " shares its pointer with another code";
  }
}

TEST_F(Dll, EmptyValueIsSetAtStartUp) {
  const Value* empty = symbol<const Value*>("ZR_EMPTY");
  ASSERT_NE(empty, nullptr);
  EXPECT_EQ(empty->data, 0);
  EXPECT_EQ(empty->type, 1);
  EXPECT_EQ(empty->length, -1);
  const void* vtable = *reinterpret_cast<void* const*>(empty);
  EXPECT_TRUE(inModule(vtable)) << "the empty value's virtual table is not the module's";
}

TEST_F(Dll, ModuleEntryStoredTheInstanceHandle) {
  HINSTANCE* instance = symbol<HINSTANCE*>("hInstance");
  ASSERT_NE(instance, nullptr);
  EXPECT_EQ(*instance, static_cast<HINSTANCE>(g_dll));
}

TEST_F(Dll, ClassTableFollowsTheClassOrderAndEndsWithNull) {
  const ClassEntry* table = classTable();
  ASSERT_NE(table, nullptr);
  ASSERT_NE(table[0].name, nullptr);
  EXPECT_STREQ(table[0].name, "ZR_Object");
  size_t order = 0;
  int i = 0;
  for (; i < kMaxClasses && table[i].name; ++i) {
    const char* name = table[i].name;
    while (order < sizeof kClassOrder / sizeof *kClassOrder && std::strcmp(kClassOrder[order], name) != 0) ++order;
    ASSERT_LT(order, sizeof kClassOrder / sizeof *kClassOrder) << name << " is unknown or out of order";
    ++order;
    EXPECT_NE(table[i].descriptor, nullptr) << name;
  }
  ASSERT_LT(i, kMaxClasses) << "the class table has no closing entry";
  EXPECT_EQ(table[i].descriptor, nullptr);
}

TEST_F(Dll, DescriptorsChainToTheRootTable) {
  const ClassEntry* table = classTable();
  const Param* root = descriptorOf("ZR_Object");
  ASSERT_NE(root, nullptr);
  EXPECT_STREQ(root[0].name, "");
  EXPECT_EQ(root[0].fn, nullptr) << "ZR_Object cannot be constructed";
  EXPECT_STREQ(root[1].name, "delete");
  EXPECT_EQ(root[2].name, nullptr);
  EXPECT_EQ(root[2].fn, nullptr) << "ZR_Object has no base";

  for (int i = 0; i < kMaxClasses && table[i].name; ++i) {
    const Param* d = table[i].descriptor;
    int depth = 0;
    while (d && d != root && depth < kMaxClasses) {
      ASSERT_STREQ(d[0].name, "") << table[i].name;
      int p = 1;
      while (p < kMaxParams && d[p].name) ++p;
      ASSERT_LT(p, kMaxParams) << table[i].name << ": no closing entry";
      d = static_cast<const Param*>(d[p].fn);
      ++depth;
    }
    EXPECT_EQ(d, root) << table[i].name << " does not chain to ZR_Object";
  }
}

struct CommandCase {
  const char* line;
  const char* expected;  // exported name of the expected code
};

TEST_F(Dll, CommandsRunThroughTheModulesOwnProcessor) {
  Spcpp spcpp = symbol<Spcpp>("spcpp");
  ASSERT_NE(spcpp, nullptr);
  const CommandCase cases[] = {
      {"%o", "ZR_OK"},
      {"%o -delete", "ZR_OK"},
      {"%o -nosuchparam", "ZR_ERROR_COMMAND_NOT_PARAM"},
      {"Nothing -x 1", "ZR_ERROR_COMMAND_NOT_FOUND"},
      {" ZR_Object", "ZR_ERROR_COMMAND_NOT_FOUND"},
      {"ZR_Object", "ZR_ERROR_COMMAND_NOT_FOUND"},  // a class without constructor
  };
  for (const CommandCase& c : cases) {
    std::vector<char> line(c.line, c.line + std::strlen(c.line) + 1);
    Error expected = error(c.expected);
    ASSERT_NE(expected, nullptr) << c.expected;
    Error got = spcpp(line.data(), static_cast<void*>(nullptr));
    EXPECT_EQ(got, expected) << "'" << c.line << "' gave " << (got ? got : "(null)");
    EXPECT_STREQ(line.data(), c.line) << "the line was not restored";
  }
}

TEST_F(Dll, ConstructsAndDeletesAnObject) {
  // Any class of the module's table that has a constructor.
  const ClassEntry* table = classTable();
  const ClassEntry* cls = nullptr;
  for (int i = 0; i < kMaxClasses && table[i].name && !cls; ++i)
    if (table[i].descriptor[0].fn) cls = &table[i];
  ASSERT_NE(cls, nullptr) << "no class of the module can be constructed";

  std::vector<char> line(cls->name, cls->name + std::strlen(cls->name) + 1);
  Object* object = nullptr;
  ASSERT_EQ(symbol<Spcpp>("spcpp")(line.data(), &object), error("ZR_OK")) << cls->name;
  ASSERT_NE(object, nullptr);
  EXPECT_EQ(object->descriptor, cls->descriptor) << "descriptor not stored in the new object";
  EXPECT_EQ(object->command, line.data()) << "command line not stored in the new object";
  EXPECT_TRUE(inModule(object->vtable));

  char remove[] = "%o -delete";
  EXPECT_EQ(symbol<Spcpp>("spcpp")(remove, object), error("ZR_OK"));
}

// A pipe built by commands in the module, run by its exported process():
// a one-sample delay line turns an impulse into the impulse one sample
// later, scaled by the tap's amplitude and the group's gain.
typedef int(__attribute__((thiscall)) * PipeProcess)(void* self);

TEST_F(Dll, DrivesAPipeThroughTheModule) {
  Spcpp spcpp = symbol<Spcpp>("spcpp");
  PipeProcess process = symbol<PipeProcess>("_ZN12ZR_Soundpipe7processEv");
  ASSERT_NE(process, nullptr);
  void* pipe = nullptr;
  int32_t began = 0;
  char makePipe[] = "ZR_Soundpipe -bl %i -b";
  ASSERT_EQ(spcpp(makePipe, &pipe, 8, &began), error("ZR_OK"));
  struct Buffer {  // the leading fields of a sample buffer
    void* vtable;
    const void* descriptor;
    char* command;
    int32_t length, count;
    char* tag;
    int32_t* data;
  };
  Buffer* in = nullptr;
  Buffer* out = nullptr;
  char makeBuffer[] = "ZR_Buffer";
  char makeBuffer2[] = "ZR_Buffer";
  ASSERT_EQ(spcpp(makeBuffer, &in), error("ZR_OK"));
  ASSERT_EQ(spcpp(makeBuffer2, &out), error("ZR_OK"));
  ASSERT_EQ(in->count, 8);
  void* delay = nullptr;
  void* group = nullptr;
  void* tap = nullptr;
  char makeDelay[] = "ZR_Effect_Deline -i %o -g";
  char setGroup[] = "ZR_Effect_Deline %o -go %o -ga 1. -d";
  char setTap[] = "ZR_Effect_Deline %o -dt 0 -da 1.";
  char end[] = "ZR_Soundpipe %o -e";
  ASSERT_EQ(spcpp(makeDelay, &delay, in, &group), error("ZR_OK"));
  ASSERT_EQ(spcpp(setGroup, delay, out, &tap), error("ZR_OK"));
  ASSERT_EQ(spcpp(setTap, delay), error("ZR_OK"));
  ASSERT_EQ(spcpp(end, pipe, &began), error("ZR_OK"));
  EXPECT_EQ(began, 1);

  in->data[2] = 1 << 30;
  EXPECT_EQ(process(pipe), 0);
  // (2^30 * (2^31 - 1)) >> 31, then * (2^23 - 1) >> 23, rounding down.
  int64_t tapSum = (int64_t(1) << 30) * 2147483647LL >> 31;
  int32_t want = static_cast<int32_t>((tapSum * 8388607LL) >> 23);
  for (int j = 0; j < 8; ++j) EXPECT_EQ(out->data[j], j == 3 ? want : 0) << j;

  char remove[] = "%o -delete";
  for (void* object : {delay, static_cast<void*>(out), static_cast<void*>(in), pipe}) {
    std::vector<char> line(remove, remove + sizeof remove);
    EXPECT_EQ(spcpp(line.data(), object), error("ZR_OK"));
  }
}

TEST_F(Dll, TextModeWritesTheNewObjectsAddress) {
  const ClassEntry* table = classTable();
  const ClassEntry* cls = nullptr;
  for (int i = 0; i < kMaxClasses && table[i].name && !cls; ++i)
    if (table[i].descriptor[0].fn) cls = &table[i];
  ASSERT_NE(cls, nullptr);

  std::vector<char> line(cls->name, cls->name + std::strlen(cls->name) + 1);
  char text[32];
  std::memset(text, 'x', sizeof text);
  int size = 16;
  ASSERT_EQ(execText(line.data(), text, &size), error("ZR_OK"));
  ASSERT_GT(size, 2);
  ASSERT_LT(size, 16);
  EXPECT_EQ(text[size], '\0');
  for (size_t i = 16; i < sizeof text; ++i) EXPECT_EQ(text[i], 'x') << "written past the buffer at " << i;
  ASSERT_EQ(std::strncmp(text, "0x", 2), 0) << text;
  for (int i = 2; i < size; ++i)
    EXPECT_TRUE(std::strchr("0123456789ABCDEF", text[i])) << "not upper-case hexadecimal: " << text;
  void* object = reinterpret_cast<void*>(std::strtoul(text + 2, nullptr, 16));

  char remove[] = "%o -delete";
  EXPECT_EQ(symbol<Spcpp>("spcpp")(remove, object), error("ZR_OK"));

  // Too small for "0x" and eight digits: refused, nothing beyond the buffer.
  std::memset(text, 'x', sizeof text);
  size = 3;
  EXPECT_EQ(execText(line.data(), text, &size), error("ZR_ERROR_COMMAND_NOT_SPACE"));
  for (size_t i = 3; i < sizeof text; ++i) EXPECT_EQ(text[i], 'x') << "written past the buffer at " << i;
}

TEST_F(Dll, ChainItemConstructorSetsOnlyData) {
  ItemCtor ctor = symbol<ItemCtor>(kChainItemCtor);
  ASSERT_NE(ctor, nullptr);
  unsigned char memory[sizeof(ChainItem) + 4];
  std::memset(memory, 0xAB, sizeof memory);
  int marker = 0;
  ctor(memory, &marker);
  ChainItem item;
  std::memcpy(&item, memory, sizeof item);
  EXPECT_EQ(item.prev, nullptr);
  EXPECT_EQ(item.next, nullptr);
  EXPECT_EQ(item.data, &marker);
  EXPECT_EQ(item.list, nullptr);
  for (size_t i = sizeof(ChainItem); i < sizeof memory; ++i) EXPECT_EQ(memory[i], 0xAB) << "constructor wrote past the item";
}

TEST_F(Dll, ApplicationBaseConstructorSetsTheDefaults) {
  AppCtor ctor = symbol<AppCtor>(kApptplCtor);
  ASSERT_NE(ctor, nullptr);
  void* app[2] = {nullptr, reinterpret_cast<void*>(0x5A5A5A5A)};
  ctor(app);
  ASSERT_NE(app[0], nullptr);
  EXPECT_TRUE(inModule(app[0])) << "virtual table outside the module";
  EXPECT_EQ(app[1], reinterpret_cast<void*>(0x5A5A5A5A)) << "the base has no fields besides its virtual table";

  // Slots: build, attachWindow, detachWindow, teardown, hasChunk, getState, setState.
  void* const* vtable = static_cast<void* const*>(app[0]);
  HasChunk hasChunk = reinterpret_cast<HasChunk>(vtable[4]);
  GetState getState = reinterpret_cast<GetState>(vtable[5]);
  EXPECT_EQ(hasChunk(app), 0);
  Value state = getState(app);
  EXPECT_EQ(state.data, 0);
  EXPECT_EQ(state.type, 1);
  EXPECT_EQ(state.length, -1);
}

TEST_F(Dll, InitallCanBeCalledAgain) {
  Initall initall = symbol<Initall>(kInitall);
  ASSERT_NE(initall, nullptr);
  initall();
  const Value* empty = symbol<const Value*>("ZR_EMPTY");
  EXPECT_EQ(empty->type, 1);
  char line[] = "%o -delete";
  EXPECT_EQ(symbol<Spcpp>("spcpp")(line, static_cast<void*>(nullptr)), error("ZR_OK"));
}

}  // namespace

int main(int argc, char** argv) {
  ::testing::InitGoogleTest(&argc, argv);
  if (argc < 2) {
    std::fprintf(stderr, "usage: %s PATH-TO-DLL [gtest flags]\n", argv[0]);
    return 2;
  }
  g_dllPath = argv[1];
  g_dll = LoadLibraryA(g_dllPath.c_str());
  if (!g_dll && g_dllPath[0] == '/') {
    // A Unix path under Wine: the root file system is drive Z:.
    std::string windows = "Z:" + g_dllPath;
    for (char& c : windows)
      if (c == '/') c = '\\';
    g_dll = LoadLibraryA(windows.c_str());
  }
  int result = RUN_ALL_TESTS();
  if (g_dll) FreeLibrary(g_dll);
  return result;
}
