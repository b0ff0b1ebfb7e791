#pragma once
// The kivo-sim script language: splitting a line into words and reading the
// typed arguments (handles, times, answers, control names) of its commands.

#include <cstdint>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

#include "platform/platform.h"

namespace kivo::simscript {

// A mistake in the script. The runner adds the line it came from.
class ScriptError : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

// The words of one line. A word is a run of non-blank characters, or a text
// in double quotes with \" \\ \0 \r \n escapes (which may hold blanks or be
// empty). A blank line and a line whose first non-blank character is '#'
// give no words. Throws ScriptError on an unclosed quote, an unknown escape,
// or a quote glued to other characters.
std::vector<std::string> splitLine(std::string_view line);

// A control named as in the program: "chkRight" or "chkShow(5)". The index
// is -1 for a control outside an indexed group.
struct ControlRef {
  std::string name;
  int index = -1;
};
ControlRef parseControlRef(std::string_view word);

// A whole number in [min, max]; `what` names the argument in the message.
long long parseInteger(std::string_view word, long long min, long long max, std::string_view what);

// A window handle: decimal, or hexadecimal with 0x; 32 bits.
Hwnd parseHandle(std::string_view word);

// "YYYY-MM-DD" and "HH:MM:SS": a real calendar date and time of day.
struct DateTime {
  Date date;
  TimeOfDay time;
};
DateTime parseDateTime(std::string_view date, std::string_view time);

// A duration in seconds, whole or with up to three decimals ("5.25"), in ms.
std::int64_t parseSeconds(std::string_view word);

// A message-box answer: a number 1..7 or a button name (ok, cancel, abort,
// retry, ignore, yes, no; any letter case).
int parseAnswer(std::string_view word);

}  // namespace kivo::simscript
