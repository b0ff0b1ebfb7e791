// Tests of the text helpers, the stored-text conversions, the reporters and
// the store start-up falls back on.
#include <gtest/gtest.h>

#include <clocale>
#include <string>
#include <utility>

#include "app/error_boxes.h"
#include "platform/date.h"
#include "platform/errors.h"
#include "platform/sim/sim_desktop.h"
#include "platform/text.h"
#include "platform/utf16.h"
#include "settings/convert.h"
#include "settings/defaults_store.h"
#include "tests/unit/error_of.h"

namespace kivo {
namespace {

using testing::errorOf;

TEST(Conversions, ByteAndInt16Boundaries) {
  // Halves round to even; hex and octal are two's complement at the type's width.
  const std::pair<const char*, int> bytes[] = {
      {"0", 0},   {"255", 255}, {"  7 ", 7}, {"\t7\t", 7},  {"2.5", 2},
      {"3.5", 4}, {"-0.4", 0},  {"+12", 12}, {"&HFF", 255},
  };
  for (const auto& [text, value] : bytes) EXPECT_EQ(toByte(text), value) << text;
  const std::pair<const char*, int> int16s[] = {
      {"32767", 32767}, {"-32768", -32768}, {"&HFFFF", -1},
      {"&O17", 15},     {"1E3", 1000},      {"0250", 250},
  };
  for (const auto& [text, value] : int16s) EXPECT_EQ(toInt16(text), value) << text;
  for (const char* big : {"256", "255.5", "-1", "&H100"})
    EXPECT_EQ(errorOf([&] { (void)toByte(big); }), kErrOverflow) << big;
  for (const char* big : {"32768", "-32769", "&H10000"})
    EXPECT_EQ(errorOf([&] { (void)toInt16(big); }), kErrOverflow) << big;
  for (const char* bad :
       {"", "   ", "abc", "1,000", "12x", "1.2.3", "--1", "&H", "&HG", "1e", ".", "&H100000000G"}) {
    EXPECT_EQ(errorOf([&] { (void)toByte(bad); }), kErrTypeMismatch) << "'" << bad << "'";
  }
}

TEST(Conversions, NumbersBeyondADouble) {
  // A number too large for any type is an overflow, not a type mismatch;
  // one too small is zero.
  const std::string huge = "1" + std::string(400, '0');
  for (const char* big : {"1E400", "-1e400", " 1D999999999999 ", "&H100000000", huge.c_str()}) {
    EXPECT_EQ(errorOf([&] { (void)toDouble(big); }), kErrOverflow) << big;
    EXPECT_FALSE(isNumeric(big)) << big;
  }
  EXPECT_EQ(toDouble("1e-400"), 0.0);
  EXPECT_EQ(toDouble("0.000000001e-399"), 0.0);
  EXPECT_EQ(toDouble("0.00001e310"), 1e305);
  EXPECT_EQ(toInt16("1D3"), 1000);
  EXPECT_EQ(toDouble("&HFFFFFFFF"), -1.0);
}

TEST(Conversions, DecimalMarkIgnoresTheProcessLocale) {
  // A toolkit may switch the process to the user's locale; where its
  // decimal mark is a comma, the stored "3.5" must still read as 3.5.
  const std::string before = std::setlocale(LC_NUMERIC, nullptr);
  const char* chosen = nullptr;
  for (const char* name : {"de_DE.UTF-8", "de_DE.utf8", "German_Germany.1252"}) {
    if (!chosen && std::setlocale(LC_NUMERIC, name) && *std::localeconv()->decimal_point == ',')
      chosen = name;
  }
  if (chosen) {
    EXPECT_EQ(toByte("3.5"), 4) << chosen;
    EXPECT_EQ(toDouble("0.25"), 0.25) << chosen;
    EXPECT_TRUE(equalsOne("1.0")) << chosen;
    EXPECT_FALSE(isNumeric("3,5")) << chosen;
  }
  std::setlocale(LC_NUMERIC, before.c_str());
  if (!chosen) GTEST_SKIP() << "no locale with a decimal comma on this machine";
}

TEST(Conversions, EqualsOneAndNumericTest) {
  for (const char* one : {"1", "1.0", " 1 "}) EXPECT_TRUE(equalsOne(one)) << one;
  for (const char* other : {"0", "2", "-1"}) EXPECT_FALSE(equalsOne(other)) << other;
  EXPECT_THROW(equalsOne("yes"), RuntimeError);
  EXPECT_THROW(equalsOne(""), RuntimeError);
  for (const char* number : {"9", " 9", "-1.5"}) EXPECT_TRUE(isNumeric(number)) << number;
  // Full-width digits are not numbers.
  for (const char* other : {"", "９", "1 2"}) EXPECT_FALSE(isNumeric(other)) << other;
}

// The file-name and trimming helpers are pinned through the chime's file
// names and the settings dialog's count.
TEST(Text, CountsCharactersNotBytes) {
  const std::string s = "時間だよ(^^)";
  EXPECT_EQ(text::length(s), 8u);
  EXPECT_EQ(text::left(s, 2), "時間");
  EXPECT_EQ(text::right(s, 4), "(^^)");
  EXPECT_EQ(text::mid(s, 3, 2), "だよ");
  EXPECT_EQ(text::mid(s, 20), "");
  EXPECT_TRUE(text::contains("abc", ""));
  EXPECT_FALSE(text::contains("", ""));
  EXPECT_FALSE(text::contains("abc", "B"));
  // A stray byte counts as one character and nothing reads past the end.
  const std::string broken = "a\xE3\x81";
  EXPECT_EQ(text::length(broken), 3u);
  EXPECT_EQ(text::cutAtNul(std::string("ab\0cd", 5)), "ab");
}

TEST(ErrorBoxes, ShowTheFiveLineReportAndGoOn) {
  sim::SimDesktop d;
  ErrorBoxes errors(d.toolkit);
  errors.report(ErrorSource::Program, "frmMain!MakeCap", RuntimeError(kErrOverflow));
  errors.report(ErrorSource::CustomFormat, "GetXXF", RuntimeError(kErrTypeMismatch));
  int steps = 0;
  EXPECT_FALSE(reportFailure(errors, "frmMain!ChkCap", [&] { throw RuntimeError(kErrSubscript); }));
  EXPECT_TRUE(reportFailure(errors, "frmMain!ChkCap", [&] { ++steps; }));
  EXPECT_EQ(steps, 1);
  ASSERT_EQ(d.toolkit.boxes().size(), 3u);
  const auto& box = d.toolkit.boxes()[0];
  EXPECT_EQ(box.title, "エラー - Kivo");
  EXPECT_EQ(box.style, 4112);
  EXPECT_EQ(box.text,
            "エラー番号:6\r\n場所:frmMain!MakeCap- Kivo\r\nOverflow145\r\n"
            "上記の説明と、エラーの発生したときの簡単な状況を書いて、\r\n"
            "\"Welmark\" <welmark@kivo.example> まで連絡してください。");
  EXPECT_NE(d.toolkit.boxes()[1].text.find("場所:GetXXF- XXModule\r\nType mismatch145\r\n"),
            std::string::npos);
  EXPECT_NE(d.toolkit.boxes()[2].text.find("エラー番号:9\r\n場所:frmMain!ChkCap- Kivo"),
            std::string::npos);
}

// The store start-up falls back on: reads give the default, writes are
// dropped, and every delete fails as deleting a missing key does.
TEST(DefaultsOnlyStore, KeepsNothingAndEveryDeleteFailsWith5) {
  DefaultsOnlyStore store;
  store.saveSetting("Main", "ClockRight", "1");
  EXPECT_EQ(store.getSetting("Main", "ClockRight", "0"), "0");
  EXPECT_EQ(errorOf([&] { store.deleteSetting("Main", "ClockRight"); }), kErrInvalidCall);
}

TEST(Utf16Boundary, EveryCharacterSurvivesBothWays) {
  // Latin-1, Japanese, outside the Basic Multilingual Plane, NUL inside.
  for (const std::string& s : {std::string("Café Zürich ©"), std::string("メモ帳 - 無題"),
                               std::string("🕐 Clock 𠮷"), std::string("a\0b", 3)}) {
    EXPECT_EQ(text::fromUtf16(text::toUtf16(s)), s);
  }
  EXPECT_EQ(text::toUtf16("𠮷"), std::u16string(u"\xD842\xDFB7"));
  // One character of text.h is one code point: a count means the same on
  // both sides.
  EXPECT_EQ(text::length("🕐x"), 2u);
  // A lone surrogate from a Windows title keeps its unit through the core.
  const std::u16string lone = u"a\xD800z\xDC00";
  const std::string core = text::fromUtf16(lone);
  EXPECT_EQ(text::length(core), 4u);
  EXPECT_EQ(text::toUtf16(core), lone);
  // A stray byte, a cut sequence, an overlong form: one U+FFFD each.
  EXPECT_EQ(text::toUtf16("a\xFF"
                          "b\xE3\x81"),
            std::u16string(u"a\xFFFD"
                           u"b\xFFFD\xFFFD"));
  EXPECT_EQ(text::toUtf16("\xC0\xAF"), std::u16string(u"\xFFFD\xFFFD"));
  EXPECT_EQ(text::toUtf16("\xE0\x80\xAF"), std::u16string(u"\xFFFD"));
}

TEST(Calendar, DayNumbersAndValidDates) {
  EXPECT_EQ(date::daysFrom1970(Date{1970, 1, 1}), 0);
  EXPECT_EQ(date::daysFrom1970(Date{2000, 3, 1}), 11017);
  EXPECT_EQ(date::daysFrom1970(Date{1, 1, 1}), -719162);
  // Every day of two centuries (2000-02-29 among them) comes back as itself,
  // one day apart.
  std::int64_t n = date::daysFrom1970(Date{1899, 12, 30});
  for (Date d = Date{1899, 12, 30}; d.year < 2101; ++n) {
    ASSERT_EQ(date::daysFrom1970(d), n);
    const Date next = date::fromDays1970(n + 1);
    ASSERT_TRUE(date::isValid(next)) << next.year << "-" << next.month << "-" << next.day;
    d = next;
  }
  EXPECT_FALSE(date::isValid(Date{1900, 2, 29}));
  EXPECT_FALSE(date::isValid(Date{2023, 4, 31}));
  EXPECT_TRUE(date::isValid(Date{9999, 12, 31}));
  EXPECT_FALSE(date::isValid(Date{10000, 1, 1}));
  EXPECT_FALSE(date::isValid(Date{2023, 13, 1}));
}

}  // namespace
}  // namespace kivo
