#include <gtest/gtest.h>

#include <cstdarg>
#include <cstring>
#include <string>
#include <vector>

#include "ZR_command.h"

namespace {

// A small class with one parameter of each kind, recording every handler
// call so tests can see order, values and the in-place termination.
struct Probe : ZR_Object {
  static std::vector<std::string> calls;
  int32_t number = 5;
  const char* word = "set";
  float real = 0.5f;

  static void record(const char* name, ZR_value v) {
    std::string s = name;
    if (v.type == ZR_TYPE_TEXT) s += std::string(":") + v.asText();
    else if (v.given()) s += ":" + std::to_string(v.type) + "/" + std::to_string(v.asInt());
    calls.push_back(s);
  }
  static ZR_value m_n(Probe* p, ZR_value v) {
    record("n", v);
    if (v.given()) p->number = v.asInt();
    return ZR_value::ofInt(p->number);
  }
  static ZR_value m_w(Probe* p, ZR_value v) {
    record("w", v);
    if (v.type == ZR_TYPE_TEXT) p->word = "changed";
    return ZR_value::ofText(p->word);
  }
  static ZR_value m_r(Probe* p, ZR_value v) {
    record("r", v);
    if (v.given()) p->real = v.asNumber();
    return ZR_value::ofFloat(p->real);
  }
  static ZR_value m_nothing(Probe*, ZR_value v) {
    record("nothing", v);
    return ZR_EMPTY;
  }
  static ZR_value m_self(Probe* p, ZR_value v) {
    record("self", v);
    return ZR_value::ofObject(p);
  }
  // Re-enters the processor from inside a handler.
  static ZR_value m_nest(Probe* p, ZR_value v) {
    record("nest", v);
    char line[] = "%o -n 77";
    spcpp(line, p);
    return ZR_EMPTY;
  }
  static const ZR_param paramTable[];
};
std::vector<std::string> Probe::calls;

struct SubProbe : Probe {
  static ZR_value m_n(SubProbe* p, ZR_value v) {
    record("sub.n", v);
    return ZR_value::ofInt(-1);
  }
  static const ZR_param paramTable[];
};

const ZR_param Probe::paramTable[] = {
    {"", ZR_ctor_of<Probe>},
    {"n", ZR_handler_of<Probe, &Probe::m_n>},
    {"w", ZR_handler_of<Probe, &Probe::m_w>},
    {"r", ZR_handler_of<Probe, &Probe::m_r>},
    {"nothing", ZR_handler_of<Probe, &Probe::m_nothing>},
    {"self", ZR_handler_of<Probe, &Probe::m_self>},
    {"nest", ZR_handler_of<Probe, &Probe::m_nest>},
    {nullptr, ZR_Object::paramTable},
};
const ZR_param SubProbe::paramTable[] = {
    {"", ZR_ctor_of<SubProbe>},
    {"n", ZR_handler_of<SubProbe, &SubProbe::m_n>},
    {nullptr, Probe::paramTable},
};

const ZR_class kClasses[] = {
    {"ZR_Object", ZR_Object::paramTable},
    {"Probe", Probe::paramTable},
    {"SubProbe", SubProbe::paramTable},
    {nullptr, nullptr},
};

ZR_error run(std::string& line, ...) {
  va_list args;
  va_start(args, line);
  ZR_error e = spcpp_exec_with(kClasses, ZR_EXEC_STORE, &line[0], nullptr, nullptr, &args);
  va_end(args);
  return e;
}

ZR_error runText(std::string& line, std::string& out, int capacity, int* written, ...) {
  std::vector<char> buffer(static_cast<size_t>(capacity) + 8, '#');
  va_list args;
  va_start(args, written);
  int size = capacity;
  ZR_error e = spcpp_exec_with(kClasses, ZR_EXEC_TEXT, &line[0], buffer.data(), &size, &args);
  va_end(args);
  // Nothing may be written past the buffer.
  for (int i = capacity; i < capacity + 8; ++i) EXPECT_EQ(buffer[static_cast<size_t>(i)], '#');
  out.assign(buffer.data(), strnlen(buffer.data(), static_cast<size_t>(capacity)));
  *written = size;
  return e;
}

class Command : public ::testing::Test {
 protected:
  void SetUp() override { Probe::calls.clear(); }
  void TearDown() override { ZR_Object::deleteAll(); }
};

TEST_F(Command, ConstructAndStore) {
  std::string line = "Probe";
  Probe* p = nullptr;
  EXPECT_EQ(run(line, &p), ZR_OK);
  ASSERT_NE(p, nullptr);
  EXPECT_EQ(p->descriptor, Probe::paramTable);
  EXPECT_EQ(p->command, &line[0]);
}

TEST_F(Command, SetsFromLineAndArguments) {
  std::string line = "Probe -n -5 -r %f -n %i";
  Probe* p = nullptr;
  EXPECT_EQ(run(line, &p, 2.25, 42), ZR_OK);
  EXPECT_EQ(p->real, 2.25f);
  EXPECT_EQ(p->number, 42);
  std::vector<std::string> want = {"n:2/-5", "r:3/" + std::to_string(ZR_value::ofFloat(2.25f).asInt()), "n:2/42"};
  EXPECT_EQ(Probe::calls, want);
}

TEST_F(Command, QueriesInOrderStoreThroughTheirOwnArguments) {
  Probe probe;
  probe.descriptor = Probe::paramTable;
  std::string line = "%o -n -w";
  int32_t n = 0;
  ZR_word w = 0;
  EXPECT_EQ(run(line, &probe, &n, &w), ZR_OK);
  EXPECT_EQ(n, 5);
  EXPECT_STREQ(reinterpret_cast<const char*>(w), "set");
  EXPECT_EQ(Probe::calls, (std::vector<std::string>{"n", "w"}));
}

TEST_F(Command, ClassThenQueryConstructsThenQueries) {
  std::string line = "Probe -n";
  Probe* p = nullptr;
  int32_t n = 0;
  EXPECT_EQ(run(line, &p, &n), ZR_OK);
  EXPECT_NE(p, nullptr);
  EXPECT_EQ(n, 5);
}

TEST_F(Command, NegativeNumberIsAValueAndNameAfterNameIsAQuery) {
  std::string line = "Probe -n -x";
  Probe* p = nullptr;
  int32_t n = 0;
  testing::internal::CaptureStdout();
  EXPECT_EQ(run(line, &p, &n), ZR_ERROR_COMMAND_NOT_PARAM);
  std::string out = testing::internal::GetCapturedStdout();
  EXPECT_EQ(n, 5);  // "-n" was queried before "-x" failed
  EXPECT_EQ(out, "spcpp: Probe -n -x\nspcpp: param 'x' not found\n");
}

ZR_value captureText(Probe*, ZR_value v) {
  EXPECT_STREQ(v.asText(), "r");
  return ZR_EMPTY;
}
ZR_value blockResult(Probe*, ZR_value) { return ZR_value::ofBlock("ab\0cd", 5); }

const ZR_param kExtraTable[] = {{"", ZR_ctor_of<Probe>},
                                {"ch", ZR_handler_of<Probe, &captureText>},
                                {"b", ZR_handler_of<Probe, &blockResult>},
                                {nullptr, Probe::paramTable}};
const ZR_class kExtraClasses[] = {{"T", kExtraTable}, {nullptr, nullptr}};

TEST_F(Command, TextIsTerminatedInPlaceAndRestored) {
  char line[] = "T -ch r -n 3";
  EXPECT_EQ(spcpp_exec_with(kExtraClasses, 0, line, nullptr, nullptr, nullptr), ZR_OK);
  EXPECT_STREQ(line, "T -ch r -n 3");
}

TEST_F(Command, BaseParameterFoundThroughTheChainAndHidden) {
  std::string line = "SubProbe -n 9 -w x -delete";
  SubProbe* p = nullptr;
  EXPECT_EQ(run(line, &p), ZR_OK);
  EXPECT_EQ(Probe::calls, (std::vector<std::string>{"sub.n:2/9", "w:x"}));
  EXPECT_EQ(ZR_Object::liveCount(), 0);  // deleted through the base chain
}

TEST_F(Command, NamedClassDescriptorWinsOverTheObjects) {
  SubProbe* s = new SubProbe;
  s->descriptor = SubProbe::paramTable;
  std::string line = "Probe %o -n 3";
  EXPECT_EQ(run(line, s), ZR_OK);
  EXPECT_EQ(s->number, 3);  // Probe's handler, not SubProbe's
  std::string own = "%o -n 4";
  EXPECT_EQ(run(own, s), ZR_OK);
  EXPECT_EQ(Probe::calls.back(), "sub.n:2/4");
}

TEST_F(Command, ObjectAloneAndDelete) {
  Probe* p = new Probe;
  std::string alone = "%o";
  EXPECT_EQ(run(alone, p), ZR_OK);
  EXPECT_TRUE(Probe::calls.empty());
  std::string del = "%o -delete";
  EXPECT_EQ(run(del, p), ZR_OK);
  EXPECT_FALSE(ZR_Object::isLive(p));
  std::string nullDelete = "%o -delete";
  EXPECT_EQ(run(nullDelete, static_cast<void*>(nullptr)), ZR_OK);
}

TEST_F(Command, PlaceholdersConsumeNothing) {
  Probe probe;
  probe.descriptor = Probe::paramTable;
  // "%-junk" is a placeholder value: the query stores nothing and takes no argument.
  std::string line = "%o -n %-junk -w";
  ZR_word w = 0;
  EXPECT_EQ(run(line, &probe, &w), ZR_OK);
  EXPECT_STREQ(reinterpret_cast<const char*>(w), "set");
  std::string trailing = "Probe -n %";
  Probe* unused = nullptr;
  EXPECT_EQ(run(trailing, &unused), ZR_OK);
  EXPECT_EQ(Probe::calls.back(), "n");
}

TEST_F(Command, ReentrantHandlers) {
  std::string line = "Probe -nest -n";
  Probe* p = nullptr;
  int32_t n = 0;
  EXPECT_EQ(run(line, &p, &n), ZR_OK);
  EXPECT_EQ(n, 77);
}

TEST_F(Command, UnknownCommandsReportTheLine) {
  const char* lines[] = {"Nothing -x 1", " Probe", "", "5 -n", "Probes"};
  for (const char* l : lines) {
    std::string line = l;
    testing::internal::CaptureStdout();
    EXPECT_EQ(run(line, nullptr), ZR_ERROR_COMMAND_NOT_FOUND) << l;
    EXPECT_EQ(testing::internal::GetCapturedStdout(), std::string("spcpp: command '") + l + "' not found\n");
  }
}

TEST_F(Command, ParametersBeforeAFailureStayApplied) {
  std::string line = "Probe -n 12 -bogus 1 -n 13";
  Probe* p = nullptr;
  testing::internal::CaptureStdout();
  EXPECT_EQ(run(line, &p), ZR_ERROR_COMMAND_NOT_PARAM);
  EXPECT_EQ(testing::internal::GetCapturedStdout(),
            "spcpp: Probe -n 12 -bogus 1 -n 13\nspcpp: param 'bogus 1 -n 13' not found\n");
  EXPECT_EQ(p->number, 12);
}

TEST_F(Command, NothingToConstruct) {
  const char* lines[] = {"ZR_Object", "%s -n", "%i"};
  for (const char* l : lines) {
    std::string line = l;
    testing::internal::CaptureStdout();
    EXPECT_EQ(run(line, "text", 7), ZR_ERROR_COMMAND_NOT_FOUND) << l;
    EXPECT_NE(testing::internal::GetCapturedStdout().find("spcpp: "), std::string::npos);
  }
}

TEST_F(Command, AddressesWrittenInTheLineMustNameLiveObjectsOfTheClass) {
  Probe* p = new Probe;
  p->descriptor = Probe::paramTable;
  char hex[64];
  std::snprintf(hex, sizeof hex, "Probe 0x%llX -n 31", static_cast<unsigned long long>(reinterpret_cast<uintptr_t>(p)));
  std::string line = hex;
  EXPECT_EQ(run(line), ZR_OK);
  EXPECT_EQ(p->number, 31);
  const char* bad[] = {"Probe 0x1234 -n 1", "Probe 7 -delete", "Probe 1.5 -n 2", "ZR_Object 0 -delete"};
  for (const char* l : bad) {
    std::string b = l;
    testing::internal::CaptureStdout();
    EXPECT_EQ(run(b), ZR_ERROR_COMMAND_NOT_FOUND) << l;
    testing::internal::GetCapturedStdout();
  }
  // A live object of another class is refused too.
  ZR_Object* other = new ZR_Object;
  other->descriptor = ZR_Object::paramTable;
  std::snprintf(hex, sizeof hex, "Probe 0x%llX -n 1", static_cast<unsigned long long>(reinterpret_cast<uintptr_t>(other)));
  std::string wrong = hex;
  testing::internal::CaptureStdout();
  EXPECT_EQ(run(wrong), ZR_ERROR_COMMAND_NOT_FOUND);
  testing::internal::GetCapturedStdout();
}

TEST_F(Command, TextModeResults) {
  Probe probe;
  probe.descriptor = Probe::paramTable;
  std::string line = "%o -n -w -nothing -r";
  std::string out;
  int written = 0;
  EXPECT_EQ(runText(line, out, 64, &written, &probe), ZR_OK);
  EXPECT_EQ(out, "5 set 0.500000");
  EXPECT_EQ(written, 14);

  std::string two = "%o -n -w";
  EXPECT_EQ(runText(two, out, 64, &written, &probe), ZR_OK);
  EXPECT_EQ(out, "5 set");
  EXPECT_EQ(written, 5);

  std::string make = "Probe";
  EXPECT_EQ(runText(make, out, 64, &written), ZR_OK);
  EXPECT_EQ(out.substr(0, 2), "0x");
  EXPECT_EQ(out.find_first_not_of("0123456789ABCDEF", 2), std::string::npos);
  EXPECT_EQ(written, static_cast<int>(out.size()));
}

TEST_F(Command, TextModeNeverWritesPastTheBuffer) {
  Probe probe;
  probe.descriptor = Probe::paramTable;
  for (int capacity = 0; capacity <= 7; ++capacity) {
    std::string line = "%o -n -w";
    std::string out;
    int written = -1;
    ZR_error e = runText(line, out, capacity, &written, &probe);
    // "5 set" and its NUL need 6 bytes.
    EXPECT_EQ(e, capacity >= 6 ? ZR_OK : ZR_ERROR_COMMAND_NOT_SPACE) << capacity;
  }
}

TEST_F(Command, ByteBlockResultsAreCopiedRaw) {
  char line[] = "T -b";
  char buffer[32];
  int size = sizeof buffer;
  EXPECT_EQ(spcpp_exec_with(kExtraClasses, ZR_EXEC_TEXT, line, buffer, &size, nullptr), ZR_OK);
  // The construction's address comes first, then a blank and the 5 raw bytes.
  std::string all(buffer, static_cast<size_t>(size));
  ASSERT_GE(all.size(), 6u);
  EXPECT_EQ(all.substr(0, 2), "0x");
  EXPECT_EQ(all.substr(all.size() - 6), std::string(" ab\0cd", 6));
}

}  // namespace
