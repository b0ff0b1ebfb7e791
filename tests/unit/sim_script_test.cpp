// Tests of the kivo-sim script language and of the runner's error handling.
#include <gtest/gtest.h>

#include <sstream>

#include "tools/sim_runner.h"
#include "tools/sim_script.h"

namespace kivo::simscript {
namespace {

using Words = std::vector<std::string>;

TEST(SimScript, SplitsWordsQuotesAndEscapesAndRefusesBadQuoting) {
  const struct {
    std::string line;
    Words words;
  } cases[] = {
      {"", {}},
      {"# a comment \"unclosed", {}},
      {"   # indented comment", {}},
      {"  tick   3  ", {"tick", "3"}},
      {"store \"Plug in\" KivoXX 1", {"store", "Plug in", "KivoXX", "1"}},
      {"retitle 5 \"\"", {"retitle", "5", ""}},
      {R"(window 7 Edit "a \"b\" \\ c")", {"window", "7", "Edit", "a \"b\" \\ c"}},
      {R"(retitle 7 "x\0\0")", {"retitle", "7", std::string("x\0\0", 3)}},
      {R"(echo "a\r\nb")", {"echo", "a\r\nb"}},
      // Backslashes outside quotes are kept: Windows paths need no escapes.
      {R"(file C:\sounds\hato.wav)", {"file", R"(C:\sounds\hato.wav)"}},
      // Only a line that starts with # is a comment.
      {"window 9 #32770 x#y", {"window", "9", "#32770", "x#y"}},
      {"events\r", {"events"}},  // a CRLF script
  };
  for (const auto& c : cases) EXPECT_EQ(splitLine(c.line), c.words) << c.line;
  for (const char* line :
       {R"(echo "open)", R"(echo "a\tb")", R"(echo "a\)", R"(echo "a"b)", R"(echo a"b")"})
    EXPECT_THROW(splitLine(line), ScriptError) << line;
}

TEST(SimScript, ReadsTypedArguments) {
  // The values the scenarios use are pinned by them; here the edges.
  EXPECT_EQ(parseControlRef("chkRight").index, -1);
  for (const char* bad : {"chkShow(", "chkShow()", "chkShow(x)", "(3)", "chkShow(-1)"})
    EXPECT_THROW(parseControlRef(bad), ScriptError) << bad;

  EXPECT_EQ(parseHandle("4294967295"), 0xFFFFFFFFu);
  EXPECT_EQ(parseHandle("0x10004"), 0x10004u);
  for (const char* bad : {"", "-1", "4294967296", "0x", "0xZZ", "12a"})
    EXPECT_THROW(parseHandle(bad), ScriptError) << bad;

  const DateTime t = parseDateTime("2024-02-29", "23:59:58");
  EXPECT_EQ(t.date, (Date{2024, 2, 29}));
  EXPECT_EQ(t.time, (TimeOfDay{23, 59, 58}));
  EXPECT_THROW(parseDateTime("2023-02-29", "00:00:00"), ScriptError);
  EXPECT_THROW(parseDateTime("2023-2-28", "00:00:00"), ScriptError);
  EXPECT_THROW(parseDateTime("2023-02-28", "24:00:00"), ScriptError);

  EXPECT_EQ(parseSeconds("0.001"), 1);
  for (const char* bad : {"-1", "1.", "1.2345", "x", ".5"})
    EXPECT_THROW(parseSeconds(bad), ScriptError) << bad;

  EXPECT_EQ(parseAnswer("7"), kIdNo);
  EXPECT_THROW(parseAnswer("8"), ScriptError);
  EXPECT_THROW(parseAnswer("maybe"), ScriptError);
}

// Runs a script; returns (exit status, stdout, stderr).
struct Result {
  int status;
  std::string out, err;
};
Result runScript(const std::string& script) {
  std::istringstream in(script);
  std::ostringstream out, err;
  Runner runner(in, "t.kivo", out);
  const int status = runner.run(err);
  return {status, out.str(), err.str()};
}

// Whole scripts: the exit status, what they print, and the error that stops
// them, naming the line; nothing after it runs. (The other commands' output
// is pinned by the interface scenario.)
TEST(SimScript, RunsUntilTheFirstErrorAndNamesItsLine) {
  const struct {
    std::string script;
    int status;
    std::string out, err;
  } cases[] = {
      {"echo a\n\n# c\nfrobnicate\necho b\n", 1, "a\n",
       "t.kivo:4: unknown command \"frobnicate\"\n"},
      {"tick\n", 1, "", "t.kivo:1: tick needs a running program: start it first\n"},
      {"get Main\n", 1, "", "t.kivo:1: usage: get SECTION KEY\n"},
      {"window 5 Edit x\nwindow 5 Edit y\n", 1, "", "t.kivo:2: window 5 exists already\n"},
      {"start\nclick frmFoo cmdMain(0)\n", 1, "",
       "t.kivo:2: unknown form \"frmFoo\" (frmMain, frmSet or frmWSet)\n"},
      {"start\nclick frmMain cmdMain\n", 1, "", "t.kivo:2: frmMain has no control cmdMain\n"},
      {"start\nclick frmMain cmdMain(3)\ntick\n", 1, "", "t.kivo:3: tick: the program has ended\n"},
      // A user ticks and unticks; only the program grays a box.
      {"start\nset frmMain chkRight 2\n", 1, "",
       "t.kivo:2: a check box value must be from 0 to 1, not 2\n"},
      {"store \"Plug in\" KivoXX 1\nunstore \"Plug in\" KivoXX\nunstore \"Plug in\" KivoXX\n"
       "get \"Plug in\" KivoXX\nwindow 0x10 Edit \"a\\0b\"\ntitle 16\n",
       0, "<missing>\ntitle 16: a\n", ""},
      {"\xEF\xBB\xBF# saved by an editor that marks UTF-8\necho ok\n", 0, "ok\n", ""},
      // The settings dialog opened by a click takes the next commands; the
      // main window behind it takes no clicks. (That Cancel closes it is the
      // interface scenario's: it clicks the main window right after.)
      {"start\nclick frmMain cmdToSet(1)\nvalue frmSet chkShow(4)\nclick frmMain cmdMain(2)\n", 1,
       "value frmSet chkShow(4): 1\n", "t.kivo:4: frmMain is behind the modal dialog frmSet\n"},
      // The close box closes the dialog; a box the program disabled takes no
      // click; set ticks by a click only when the box shows otherwise.
      {"store \"Plug in\" KivoXX 1\nstart\nclick frmMain cmdToSet(1)\nclick frmSet chkShow(4)\n"
       "set frmSet chkShow(5) 1\nset frmSet chkShow(5) 0\nvalue frmSet chkShow(4)\n"
       "value frmSet chkShow(5)\nclose frmSet\nprint bEqualSeparate\nvalue frmSet\n",
       1, "value frmSet chkShow(4): 1 disabled\nvalue frmSet chkShow(5): 0\nbEqualSeparate 0\n",
       "t.kivo:11: frmSet is not open\n"},
  };
  for (const auto& c : cases) {
    const Result r = runScript(c.script);
    EXPECT_EQ(r.status, c.status) << c.script;
    EXPECT_EQ(r.out, c.out) << c.script;
    EXPECT_EQ(r.err, c.err) << c.script;
  }
}

TEST(SimScript, TimersKeepRunningWhenTheClockIsSetBack) {
  // The timers count elapsed time: setting the clock back an hour must not
  // leave them waiting for the old time. The burst that started at 10:00
  // goes on with its 52 inversions and the tick goes on every 250 ms.
  const Result r = runScript(
      "clock 2024-05-06 10:00:30\nwindow 1 Edit a\nfocus 1\nstart\nrun 1\nevents\n"
      "clock 2024-05-06 09:00:59\nrun 10\nevents\n");
  EXPECT_EQ(r.status, 0) << r.err;
  std::istringstream lines(r.out);
  std::vector<std::string> settexts;
  int flashes = 0;
  for (std::string line; std::getline(lines, line);) {
    if (line.rfind("settext", 0) == 0) settexts.push_back(line);
    if (line == "flash 1") ++flashes;
  }
  EXPECT_EQ(settexts, (Words{"settext 1 \"10:00,May,6 = a\"", "settext 1 \"9:00,May,6 = a\"",
                             "settext 1 \"9:01,May,6 = a\""}));
  EXPECT_EQ(flashes, 52);
}

}  // namespace
}  // namespace kivo::simscript
