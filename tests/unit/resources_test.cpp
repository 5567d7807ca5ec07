// The error box text and the lookup of the module's "DATA" resources.
#include <gtest/gtest.h>

#include <climits>
#include <cstdint>
#include <cstring>
#include <fstream>
#include <iterator>
#include <regex>
#include <sstream>
#include <string>
#include <vector>

#include "ZR_cfuncs.h"

namespace {

struct Report {
  std::string text;
  std::string caption;
  const char* buffer;  // where the text was handed over
};

std::vector<Report> reports;
int reporterAnswer = 1;

int captureReport(const char* text, const char* caption) {
  reports.push_back({text, caption, text});
  return reporterAnswer;
}

// Catches every report of its lifetime instead of showing it.
class CaptureReports {
 public:
  CaptureReports() : previous_(ZR_setErrorReporter(captureReport)) {
    reports.clear();
    reporterAnswer = 1;
  }
  ~CaptureReports() { ZR_setErrorReporter(previous_); }

 private:
  ZR_error_reporter previous_;
};

std::vector<std::string> linesOf(const std::string& text) {
  std::vector<std::string> lines;
  std::istringstream in(text);
  for (std::string line; std::getline(in, line);) lines.push_back(line);
  return lines;
}

bool endsWith(const std::string& s, const std::string& tail) {
  return s.size() >= tail.size() && s.compare(s.size() - tail.size(), tail.size(), tail) == 0;
}

char* text(const char* s) { return const_cast<char*>(s); }

// ---------------------------------------------------------------- error box

struct ErrorCase {
  const char* file;
  int line;
  const char* proc;
  const char* date;
  const char* time;
  const char* message;
  int answer;
  const char* expected;
};

const ErrorCase kErrorCases[] = {
    {"c:\\src\\ZR_Pic.cpp", 57, "ZR_Pic_Base", "Jan  5 2024", "09:08:07", "Bad picture header", 1,
     "Error: Bad picture header\nFile: c:\\src\\ZR_Pic.cpp\nLine: 57\nProc: ZR_Pic_Base\n"
     "Date: Jan  5 2024\nTime: 09:08:07"},
    {"", 0, "", "", "", "", 2, "Error: \nFile: \nLine: 0\nProc: \nDate: \nTime: "},
    {"a.cpp", -1, "p", "Dec 31 1999", "23:59:59", "100% %s %d %n", 0,
     "Error: 100% %s %d %n\nFile: a.cpp\nLine: -1\nProc: p\nDate: Dec 31 1999\nTime: 23:59:59"},
    {"f", INT_MAX, "q", "d", "t", "m", -7,
     "Error: m\nFile: f\nLine: 2147483647\nProc: q\nDate: d\nTime: t"},
    {"f", INT_MIN, "q", "d", "t", "two\nlines", 1,
     "Error: two\nlines\nFile: f\nLine: -2147483648\nProc: q\nDate: d\nTime: t"},
    {nullptr, 3, nullptr, nullptr, nullptr, nullptr, 1,
     "Error: (null)\nFile: (null)\nLine: 3\nProc: (null)\nDate: (null)\nTime: (null)"},
};

TEST(ErrorFunc, FormatsTheSixLinesAndCaptionsThemError) {
  for (const ErrorCase& c : kErrorCases) {
    SCOPED_TRACE(c.expected);
    CaptureReports capture;
    reporterAnswer = c.answer;
    int answer = ZR_error_func(text(c.file), c.line, text(c.proc), text(c.date), text(c.time), c.message);
    EXPECT_EQ(answer, c.answer);
    ASSERT_EQ(reports.size(), 1u);
    EXPECT_EQ(reports[0].text, c.expected);
    EXPECT_EQ(reports[0].caption, "ERROR");
  }
}

TEST(ErrorFunc, ErrorCodeTextAsMessage) {
  CaptureReports capture;
  ZR_error_func(text("x.cpp"), 130, text("ZR_resource"), text("Feb 29 2024"), text("12:00:00"),
                ZR_ERROR_RESOURCE_CANNOT_LOAD);
  ASSERT_EQ(reports.size(), 1u);
  EXPECT_EQ(linesOf(reports[0].text)[0], "Error: Cannot load resource");
}

TEST(ErrorFunc, UsesOneStaticBuffer) {
  CaptureReports capture;
  ZR_error_func(text("a"), 1, text("b"), text("c"), text("d"), "first");
  ZR_error_func(text("a"), 2, text("b"), text("c"), text("d"), "second, longer");
  ASSERT_EQ(reports.size(), 2u);
  EXPECT_EQ(reports[0].buffer, reports[1].buffer);
  // The second text fully replaced the first, terminator included.
  EXPECT_EQ(std::string(reports[1].buffer), reports[1].text);
  EXPECT_EQ(linesOf(reports[1].text)[0], "Error: second, longer");
}

// The text is cut to 4095 characters plus the terminator; shorter texts pass
// whole.  Lengths are around the bound and far beyond it.
TEST(ErrorFunc, CutsTheTextAtTheBufferSize) {
  const std::string tail = "\nFile: f.cpp\nLine: 12\nProc: proc\nDate: Mar  1 2024\nTime: 01:02:03";
  const size_t fixed = std::string("Error: ").size() + tail.size();
  const size_t room = ZR_ERROR_TEXT_SIZE - 1;
  const size_t lengths[] = {0, 1, room - fixed - 1, room - fixed, room - fixed + 1, room, 10000, 1000000};
  for (size_t n : lengths) {
    SCOPED_TRACE(n);
    CaptureReports capture;
    std::string message(n, 'x');
    ZR_error_func(text("f.cpp"), 12, text("proc"), text("Mar  1 2024"), text("01:02:03"), message.c_str());
    ASSERT_EQ(reports.size(), 1u);
    std::string full = "Error: " + message + tail;
    EXPECT_EQ(reports[0].text, full.substr(0, room));
    EXPECT_EQ(reports[0].text.size(), std::min(full.size(), room));
  }
}

TEST(ErrorFunc, CutsLongFieldsAfterTheMessageToo) {
  CaptureReports capture;
  std::string proc(8000, 'p');
  ZR_error_func(text("f"), 5, text(proc.c_str()), text("d"), text("t"), "m");
  ASSERT_EQ(reports.size(), 1u);
  std::string head = "Error: m\nFile: f\nLine: 5\nProc: ";
  EXPECT_EQ(reports[0].text, head + std::string(ZR_ERROR_TEXT_SIZE - 1 - head.size(), 'p'));
}

TEST(ErrorFunc, ReportMacroPassesTheCallersSourceAndBuildTime) {
  CaptureReports capture;
  const int line = __LINE__ + 1;
  ZR_REPORT("Caller", "Something failed");
  ASSERT_EQ(reports.size(), 1u);
  std::vector<std::string> lines = linesOf(reports[0].text);
  ASSERT_EQ(lines.size(), 6u);
  EXPECT_EQ(lines[0], "Error: Something failed");
  EXPECT_EQ(lines[1], std::string("File: ") + __FILE__);
  EXPECT_EQ(lines[2], "Line: " + std::to_string(line));
  EXPECT_EQ(lines[3], "Proc: Caller");
  EXPECT_EQ(lines[4], std::string("Date: ") + __DATE__);
  EXPECT_EQ(lines[5], std::string("Time: ") + __TIME__);
}

TEST(ErrorFunc, SetReporterReturnsThePreviousAndNullRestoresThePlatformOne) {
  ZR_error_reporter before = ZR_setErrorReporter(nullptr);
  EXPECT_EQ(ZR_setErrorReporter(captureReport), &ZR_platformErrorBox);
  EXPECT_EQ(ZR_setErrorReporter(nullptr), &captureReport);
  EXPECT_EQ(ZR_setErrorReporter(before), &ZR_platformErrorBox);
}

TEST(ErrorFunc, NativeReporterWritesCaptionAndTextToStandardError) {
  ZR_error_reporter before = ZR_setErrorReporter(nullptr);
  testing::internal::CaptureStderr();
  int answer = ZR_error_func(text("g.cpp"), 9, text("P"), text("Apr  2 2024"), text("10:11:12"), "boom");
  std::string err = testing::internal::GetCapturedStderr();
  ZR_setErrorReporter(before);
  EXPECT_EQ(answer, 1);
  EXPECT_EQ(err, "ERROR\nError: boom\nFile: g.cpp\nLine: 9\nProc: P\nDate: Apr  2 2024\nTime: 10:11:12\n");
}

// ---------------------------------------------------------------- resources

std::string sourceRoot() {
  std::string path = __FILE__;  // <root>/tests/unit/resources_test.cpp
  for (int i = 0; i < 3; ++i) path = path.substr(0, path.find_last_of("/\\"));
  return path;
}

std::string readFile(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  EXPECT_TRUE(in.good()) << path;
  return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

struct Listed {
  std::string name;
  std::string file;
};

// The resources the script lists, read independently of the build step.
std::vector<Listed> listedResources() {
  const std::string dir = sourceRoot() + "/plugin/resources/";
  std::vector<Listed> listed;
  std::istringstream in(readFile(dir + "ZuverAduz.rc"));
  const std::regex entry("^\\s*([A-Za-z_][A-Za-z0-9_]*)\\s+DATA\\s+\"([^\"]+)\".*$");
  for (std::string line; std::getline(in, line);) {
    std::smatch m;
    if (std::regex_match(line, m, entry)) listed.push_back({m[1], dir + m[2].str()});
  }
  return listed;
}

std::string lower(std::string s) {
  for (char& c : s) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  return s;
}
std::string upper(std::string s) {
  for (char& c : s) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
  return s;
}
std::string mixed(std::string s) {
  for (size_t i = 0; i < s.size(); ++i)
    s[i] = static_cast<char>(i % 2 ? std::tolower(static_cast<unsigned char>(s[i]))
                                   : std::toupper(static_cast<unsigned char>(s[i])));
  return s;
}

TEST(Resource, ScriptListsTheAboutText) {
  bool found = false;
  for (const Listed& r : listedResources()) found |= upper(r.name) == "ABOUT";
  EXPECT_TRUE(found);
}

TEST(Resource, EveryListedResourceIsFoundInAnyCaseWithTheFilesBytes) {
  std::vector<Listed> listed = listedResources();
  ASSERT_FALSE(listed.empty());
  for (const Listed& r : listed) {
    SCOPED_TRACE(r.name);
    CaptureReports capture;
    const std::string bytes = readFile(r.file);
    const unsigned char* first = ZR_resource(lower(r.name).c_str());
    ASSERT_NE(first, nullptr);
    EXPECT_EQ(reinterpret_cast<std::uintptr_t>(first) % 8, 0u);
    for (const std::string& spelling : {lower(r.name), upper(r.name), mixed(r.name), lower(r.name)}) {
      SCOPED_TRACE(spelling);
      EXPECT_EQ(ZR_resource(spelling.c_str()), first);
      EXPECT_EQ(ZR_resourceSize(spelling.c_str()), bytes.size());
    }
    EXPECT_EQ(std::memcmp(first, bytes.data(), bytes.size()), 0);
    EXPECT_TRUE(reports.empty());
  }
}

TEST(Resource, AboutTextNamesTheProduct) {
  CaptureReports capture;
  const unsigned char* about = ZR_resource("about");
  ASSERT_NE(about, nullptr);
  const char head[] = "Zuver Aduz\n";
  ASSERT_GE(ZR_resourceSize("about"), sizeof head - 1);
  EXPECT_EQ(std::memcmp(about, head, sizeof head - 1), 0);
}

void expectResourceReport(const Report& report, const std::string& message) {
  std::vector<std::string> lines = linesOf(report.text);
  ASSERT_EQ(lines.size(), 6u) << report.text;
  EXPECT_EQ(lines[0], "Error: " + message);
  EXPECT_TRUE(endsWith(lines[1], "ZR_cfuncs.cpp")) << lines[1];
  EXPECT_EQ(lines[1].rfind("File: ", 0), 0u);
  EXPECT_EQ(lines[2], "Line: 121");
  EXPECT_EQ(lines[3], "Proc: ZR_resource");
  EXPECT_TRUE(std::regex_match(lines[4], std::regex("Date: [A-Z][a-z]{2} [ 1-3][0-9] [0-9]{4}"))) << lines[4];
  EXPECT_TRUE(std::regex_match(lines[5], std::regex("Time: [0-2][0-9]:[0-5][0-9]:[0-6][0-9]"))) << lines[5];
  EXPECT_EQ(report.caption, "ERROR");
}

TEST(Resource, MissingNameReportsItsNameAndReturnsNull) {
  const char* missing[] = {"nosuch", "ABOUTX", "abou", "about.txt", " about", "about ", "", "knob"};
  for (const char* name : missing) {
    SCOPED_TRACE(name);
    CaptureReports capture;
    EXPECT_EQ(ZR_resource(name), nullptr);
    ASSERT_EQ(reports.size(), 1u);
    expectResourceReport(reports[0], name);
    EXPECT_EQ(ZR_resourceSize(name), 0u);
    EXPECT_EQ(reports.size(), 1u);  // the size query reports nothing
  }
}

TEST(Resource, NullNameReportsNotFoundAndReturnsNull) {
  CaptureReports capture;
  EXPECT_EQ(ZR_resource(nullptr), nullptr);
  ASSERT_EQ(reports.size(), 1u);
  expectResourceReport(reports[0], ZR_ERROR_RESOURCE_CANNOT_FIND);
  EXPECT_EQ(ZR_resourceSize(nullptr), 0u);
  EXPECT_EQ(reports.size(), 1u);
}

TEST(Resource, FailureThenSuccessStillFindsTheResource) {
  CaptureReports capture;
  EXPECT_EQ(ZR_resource("missing"), nullptr);
  const unsigned char* about = ZR_resource("ABOUT");
  EXPECT_NE(about, nullptr);
  EXPECT_EQ(ZR_resource("About"), about);
  EXPECT_EQ(reports.size(), 1u);
}

}  // namespace
