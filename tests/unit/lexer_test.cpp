#include <gtest/gtest.h>

#include <clocale>
#include <cmath>
#include <cstring>
#include <string>

#include "ZR_value.h"

namespace {

struct Lexed {
  ZR_value value;
  int end;
};

Lexed lex(std::string& text, int position = 0) {
  int pos = position;
  ZR_value v(&text[0], pos, " ");
  return {v, pos};
}

float floatOf(const ZR_value& v) { return v.asFloat(); }

struct Case {
  const char* token;
  int type;
  int64_t data;  // integer bits; for floats the expected value in `number`
  double number;
};

const Case kCases[] = {
    {"0", ZR_TYPE_INT, 0, 0},
    {"007", ZR_TYPE_INT, 7, 0},
    {"-5", ZR_TYPE_INT, -5, 0},
    {"+5", ZR_TYPE_INT, 5, 0},
    {"4294967295", ZR_TYPE_INT, -1, 0},
    {"2147483647", ZR_TYPE_INT, 2147483647, 0},
    {"-2147483648", ZR_TYPE_INT, INT32_MIN, 0},
    {"0x1F", ZR_TYPE_OBJECT, 31, 0},
    {"0X1f", ZR_TYPE_OBJECT, 31, 0},
    {"0xE", ZR_TYPE_OBJECT, 14, 0},
    {"0xFFC58FAD", ZR_TYPE_OBJECT, 0xFFC58FAD, 0},
    {"1.", ZR_TYPE_FLOAT, 0, 1.0},
    {".5", ZR_TYPE_FLOAT, 0, 0.5},
    {"0.", ZR_TYPE_FLOAT, 0, 0.0},
    {".999", ZR_TYPE_FLOAT, 0, 0.999f},
    {".", ZR_TYPE_FLOAT, 0, 0.0},
    {"-.", ZR_TYPE_FLOAT, 0, 0.0},
    {".e5", ZR_TYPE_FLOAT, 0, 0.0},
    {"1e3", ZR_TYPE_FLOAT, 0, 1000.0},
    {"1E+3", ZR_TYPE_FLOAT, 0, 1000.0},
    {"1e-3", ZR_TYPE_FLOAT, 0, 0.001f},
    {"0e5", ZR_TYPE_FLOAT, 0, 0.0},
    {"-2.5", ZR_TYPE_FLOAT, 0, -2.5},
    {"44100.7", ZR_TYPE_FLOAT, 0, 44100.7f},
    {"0.1", ZR_TYPE_FLOAT, 0, 0.1f},
    {"-0.000123e+7", ZR_TYPE_FLOAT, 0, -1230.0},
    {"1e40", ZR_TYPE_FLOAT, 0, HUGE_VALF},
    {"1e-50", ZR_TYPE_FLOAT, 0, 0.0},
    {"16777217.", ZR_TYPE_FLOAT, 0, 16777216.0},
    {"3.4028235e38", ZR_TYPE_FLOAT, 0, 3.4028235e38f},
    {"0x", ZR_TYPE_TEXT, 0, 0},
    {"0x1G", ZR_TYPE_TEXT, 0, 0},
    {"-0x1", ZR_TYPE_TEXT, 0, 0},
    {"00x5", ZR_TYPE_TEXT, 0, 0},
    {"1e", ZR_TYPE_TEXT, 0, 0},
    {"1.5e", ZR_TYPE_TEXT, 0, 0},
    {"e5", ZR_TYPE_TEXT, 0, 0},
    {"12ab", ZR_TYPE_TEXT, 0, 0},
    {"abc", ZR_TYPE_TEXT, 0, 0},
    {"t_noise", ZR_TYPE_TEXT, 0, 0},
    {"i41x89", ZR_TYPE_TEXT, 0, 0},
    {"backward", ZR_TYPE_TEXT, 0, 0},
    {"-delete", ZR_TYPE_TEXT, 0, 0},
    {"-", ZR_TYPE_TEXT, 0, 0},
    {"+", ZR_TYPE_TEXT, 0, 0},
    {"12\xE9", ZR_TYPE_TEXT, 0, 0},
    {"\x80", ZR_TYPE_TEXT, 0, 0},
    {"1.5.2", ZR_TYPE_TEXT, 0, 0},
    {"--5", ZR_TYPE_TEXT, 0, 0},
};

TEST(Lexer, TokenTable) {
  for (const Case& c : kCases) {
    SCOPED_TRACE(c.token);
    // Each token is followed by a blank and more text: the lexer must stop
    // on the blank and leave the position there.
    std::string line = std::string(c.token) + " rest";
    Lexed r = lex(line);
    EXPECT_EQ(r.end, static_cast<int>(std::strlen(c.token)));
    EXPECT_EQ(r.value.type, c.type);
    EXPECT_EQ(r.value.length, -1);
    switch (c.type) {
      case ZR_TYPE_INT:
        EXPECT_EQ(r.value.asInt(), static_cast<int32_t>(c.data));
        break;
      case ZR_TYPE_OBJECT:
        EXPECT_EQ(static_cast<uint32_t>(r.value.data), static_cast<uint32_t>(c.data));
        break;
      case ZR_TYPE_FLOAT:
        EXPECT_EQ(floatOf(r.value), static_cast<float>(c.number));
        break;
      case ZR_TYPE_TEXT:
        EXPECT_EQ(r.value.asText(), &line[0]);
        break;
    }
  }
}

// A host may switch the process to a locale whose decimal mark is a comma;
// command lines always use the point.
TEST(Lexer, FloatsIgnoreTheLocale) {
  const char* previous = std::setlocale(LC_NUMERIC, nullptr);
  std::string saved = previous ? previous : "C";
  const char* comma = nullptr;
  for (const char* name : {"de_DE.UTF-8", "German_Germany.1252", "deu"})
    if (!comma) comma = std::setlocale(LC_NUMERIC, name);
  ASSERT_NE(comma, nullptr) << "no German locale is installed (the setup generates de_DE.UTF-8)";
  ASSERT_EQ(std::localeconv()->decimal_point[0], ',');
  std::string line = "0.25 -1.5e2";
  int pos = 0;
  ZR_value a(&line[0], pos, " ");
  ++pos;
  ZR_value b(&line[0], pos, " ");
  std::setlocale(LC_NUMERIC, saved.c_str());
  EXPECT_EQ(a.asFloat(), 0.25f);
  EXPECT_EQ(b.asFloat(), -150.0f);
}

TEST(Lexer, TokenEndingAtNul) {
  std::string line = "-7";
  Lexed r = lex(line);
  EXPECT_EQ(r.end, 2);
  EXPECT_EQ(r.value.asInt(), -7);
}

TEST(Lexer, EmptyTokenDoesNotMove) {
  std::string line = "a  b";
  Lexed r = lex(line, 1);
  EXPECT_EQ(r.end, 1);
  EXPECT_EQ(r.value.type, ZR_TYPE_TEXT);
  EXPECT_EQ(r.value.asText(), &line[1]);
  std::string empty;
  Lexed e = lex(empty);
  EXPECT_EQ(e.end, 0);
  EXPECT_EQ(e.value.type, ZR_TYPE_TEXT);
}

TEST(Lexer, ReadsFromTheGivenPosition) {
  std::string line = "-x -5 -y";
  Lexed r = lex(line, 3);
  EXPECT_EQ(r.end, 5);
  EXPECT_EQ(r.value.asInt(), -5);
}

TEST(Lexer, OverlongNumbersSaturate) {
  std::string big = "99999999999";
  EXPECT_EQ(static_cast<uint32_t>(lex(big).value.asInt()), 0xFFFFFFFFu);
  std::string neg = "-99999999999";
  EXPECT_EQ(lex(neg).value.asInt(), INT32_MIN);
  std::string pos = "+99999999999";
  EXPECT_EQ(lex(pos).value.asInt(), INT32_MAX);
}

TEST(Lexer, CharacterClasses) {
  const struct {
    const char* chars;
    int cls;
  } classes[] = {{"+-", 1}, {"0", 2}, {"123456789", 3}, {".", 4}, {"Ee", 5},
                 {"Xx", 6}, {"ABCDFabcdf", 7}, {" ", 8}, {"gG_%/\t\n", 0}};
  for (const auto& c : classes)
    for (const char* p = c.chars; *p; ++p) EXPECT_EQ(ZR_lexClass(static_cast<unsigned char>(*p)), c.cls) << *p;
  EXPECT_EQ(ZR_lexClass(0), 8);
  for (int b = 128; b < 256; ++b) EXPECT_EQ(ZR_lexClass(static_cast<unsigned char>(b)), 0);
}

TEST(Lexer, FinalStatesAfterEnd) {
  // Every move on the end class lands on a final state.
  for (int s = 0; s < ZR_LEX_STATES; ++s) {
    int next = ZR_lexNext(s, 8);
    EXPECT_TRUE(next == 4 || next == 5 || next == 6 || next == 7 || next == 11) << s;
  }
  EXPECT_EQ(ZR_lexNext(2, 6), 3);   // "0x"
  EXPECT_EQ(ZR_lexNext(3, 5), 4);   // "0xE"
  EXPECT_EQ(ZR_lexNext(10, 8), 7);  // exponent digits end a float
}

TEST(TokenEqual, EndsAtBlankOrNul) {
  EXPECT_TRUE(tokenEqual("bl", "bl %i -b"));
  EXPECT_TRUE(tokenEqual("bl %i", "bl"));
  EXPECT_FALSE(tokenEqual("bl", "b"));
  EXPECT_FALSE(tokenEqual("b", "bl"));
  EXPECT_FALSE(tokenEqual("Bl", "bl"));
  EXPECT_TRUE(tokenEqual("", " x"));
}

TEST(ErrorCodes, DistinctPointersWithTheirTexts) {
  const ZR_error codes[] = {ZR_OK,
                            ZR_ERROR_UNKNOWN,
                            ZR_ERROR_FILE_CANNOT_OPEN,
                            ZR_ERROR_FILE_CANNOT_READ,
                            ZR_ERROR_FILE_CANNOT_CLOSE,
                            ZR_ERROR_MEMORY_CANNOT_ALLOCATE,
                            ZR_ERROR_MEMORY_CANNOT_REALLOC,
                            ZR_ERROR_MEMORY_CANNOT_FREE,
                            ZR_ERROR_PARAM_REQUIRED,
                            ZR_ERROR_RESOURCE_CANNOT_LOAD,
                            ZR_ERROR_RESOURCE_CANNOT_FIND,
                            ZR_ERROR_RESOURCE_CANNOT_LOCK,
                            ZR_ERROR_AUDIO,
                            ZR_ERROR_AUDIO_CANNOT_OPEN,
                            ZR_ERROR_AUDIO_CANNOT_INPUT_STOP,
                            ZR_ERROR_AUDIO_CANNOT_INPUT_CLOSE,
                            ZR_ERROR_AUDIO_CANNOT_OUTPUT_RESET,
                            ZR_ERROR_AUDIO_CANNOT_OUTPUT_CLOSE,
                            ZR_ERROR_COMMAND_NOT_FOUND,
                            ZR_ERROR_COMMAND_NOT_PARAM,
                            ZR_ERROR_COMMAND_NOT_SPACE};
  const int n = sizeof codes / sizeof codes[0];
  for (int i = 0; i < n; ++i)
    for (int j = i + 1; j < n; ++j) EXPECT_NE(codes[i], codes[j]);
  EXPECT_STREQ(ZR_OK, "Operation OK");
  EXPECT_STREQ(ZR_ERROR_MEMORY_CANNOT_REALLOC, "Cannot re-allocate memory");
  EXPECT_STREQ(ZR_ERROR_COMMAND_NOT_SPACE, "Not enough space for command result");
  // A code with the same text but another address is not the same code.
  char copy[32];
  std::strcpy(copy, ZR_OK);
  EXPECT_NE(static_cast<ZR_error>(copy), ZR_OK);
}

TEST(Value, EmptyAndLayout) {
  EXPECT_EQ(ZR_EMPTY.data, 0);
  EXPECT_EQ(ZR_EMPTY.type, 1);
  EXPECT_EQ(ZR_EMPTY.length, -1);
#if defined(__i386__)
  // The 32-bit target's record: virtual table, data, type, length.
  EXPECT_EQ(sizeof(ZR_value), 16u);
#endif
  EXPECT_EQ(sizeof(ZR_word), sizeof(void*));
}

TEST(Value, TruncatingConversion) {
  EXPECT_EQ(ZR_value::ofFloat(1.9f).asIntTruncated(), 1);
  EXPECT_EQ(ZR_value::ofFloat(-1.9f).asIntTruncated(), -1);
  EXPECT_EQ(ZR_value::ofFloat(3e9f).asIntTruncated(), INT32_MAX);
  EXPECT_EQ(ZR_value::ofFloat(-3e9f).asIntTruncated(), INT32_MIN);
  EXPECT_EQ(ZR_value::ofFloat(NAN).asIntTruncated(), 0);
  EXPECT_EQ(ZR_value::ofInt(-7).asIntTruncated(), -7);
}

}  // namespace
