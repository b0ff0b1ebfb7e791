// Formats that show a text as written, and command arguments that arrive
// as written, on each compositor.
#include "platform/ipc/title_format.h"

#include <gtest/gtest.h>

namespace kivo::ipc {
namespace {

const std::string kJoiner = "\u2060";

std::string formatFor(const std::string& text, const std::string& title, bool markup = false) {
  return formatOf(decorationFor(text, title), FormatRules{Compositor::kSway, markup});
}

TEST(TitleFormat, TheTitleBecomesAPlaceholderAndEverythingElseShowsAsWritten) {
  EXPECT_EQ(formatFor("12:34 = Editor", "Editor"), "12:34 = %title");
  // The first occurrence only; the rest is text.
  EXPECT_EQ(formatFor("Editor - Editor 12:34", "Editor"), "%title - Editor 12:34");
  EXPECT_EQ(formatFor("メモ帳 🕐 12時34分", "メモ帳"), "%title 🕐 12時34分");
  // A % that would start a placeholder is broken up; any other stays.
  EXPECT_EQ(formatFor("100% %title %app_id %class %shell = Ed", "Ed"),
            "100% %" + kJoiner + "title %" + kJoiner + "app_id %" + kJoiner + "class %" + kJoiner +
                "shell = %title");
  // Without the title (or with an empty one) the text is fixed.
  const Decoration fixed = decorationFor(std::string("ab\0cd", 5), "Editor");
  EXPECT_TRUE(fixed.fixed);
  EXPECT_EQ(fixed.shown("Other"), "ab");
  EXPECT_TRUE(decorationFor("12:34", "").fixed);
  EXPECT_TRUE(decorationFor("Editor", "Editor").isPlainTitle());
  EXPECT_TRUE(decorationFor("", "").isPlainTitle());
  // Shown live around a new title.
  EXPECT_EQ(decorationFor("<12:34> Editor", "Editor").shown("Editor 2"), "<12:34> Editor 2");
  // Under a Pango font, markup characters are entities.
  EXPECT_EQ(formatFor("<b>&12:34 = Ed", "Ed", true), "&lt;b&gt;&amp;12:34 = %title");
}

TEST(TitleFormat, ArgumentsArriveAsWrittenOnEachCompositor) {
  // i3 undoes \" and \\ in a double-quoted argument.
  EXPECT_EQ(quoteArgument(R"(a "q" b\c ; , ] 'x')", Compositor::kI3),
            R"("a \"q\" b\\c ; , ] 'x'")");
  // sway keeps backslashes: a double quote goes in single quotes of its
  // own, and a backslash that would escape a quote is kept from it.
  EXPECT_EQ(quoteArgument(R"(a "q" ; , ] 'x')", Compositor::kSway), R"("a "'"'"q"'"'" ; , ] 'x'")");
  EXPECT_EQ(quoteArgument(R"(\x\\)", Compositor::kSway),
            "\"\\x\\" + kJoiner + "\\" + kJoiner + "\"");
  EXPECT_EQ(quoteArgument("", Compositor::kSway), "\"\"");
  EXPECT_EQ(quoteArgument("\"", Compositor::kSway), "'\"'");
  EXPECT_EQ(titleFormatCommand(7, "%title", Compositor::kSway),
            "[con_id=7] title_format \"%title\"");
}

}  // namespace
}  // namespace kivo::ipc
