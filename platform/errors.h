#pragma once
// Run-time errors with the classic numbers, and the one interface through
// which the program's parts tell the user about an error they met. How an
// error is told (the box, its title and text) is the program's own policy,
// decided in app/.

#include <exception>
#include <string>
#include <string_view>
#include <utility>

#include "platform/platform.h"

namespace kivo {

// Every error number the program raises or reports, with its classic
// description (errorDescription).
inline constexpr int kErrInvalidCall = 5;         // also: a store that refuses a write
inline constexpr int kErrOverflow = 6;
inline constexpr int kErrOutOfMemory = 7;         // a window the system would not make
inline constexpr int kErrSubscript = 9;
inline constexpr int kErrDivisionByZero = 11;
inline constexpr int kErrTypeMismatch = 13;
inline constexpr int kErrInvalidProperty = 380;   // a control value out of range
inline constexpr int kErrInvalidArrayIndex = 381;  // a list row that does not exist

// The classic description of an error number ("Overflow" for 6 ...).
std::string errorDescription(int number);

class RuntimeError : public std::exception {
 public:
  explicit RuntimeError(int number) : number_(number), description_(errorDescription(number)) {}
  RuntimeError(int number, std::string description)
      : number_(number), description_(std::move(description)) {}
  int number() const noexcept { return number_; }
  const std::string& description() const noexcept { return description_; }
  const char* what() const noexcept override { return description_.c_str(); }

 private:
  int number_;
  std::string description_;
};

// Which part of the program met an error: the clock's custom format (the
// companion program's template) or anything else. The report names it.
enum class ErrorSource { Program, CustomFormat };

// Tells the user about errors. The parts of the program that meet an error
// they can survive report it here and go on.
class ErrorReporter {
 public:
  virtual ~ErrorReporter() = default;
  // A run-time error met at `where` (the place named in the report).
  virtual void report(ErrorSource source, std::string_view where, const RuntimeError& e) = 0;
  // A message about a setting the user should know of, in a box titled as
  // the error reports are. Returns the button the user chose.
  virtual int warn(Hwnd owner, const std::string& text, int style) = 0;
};

// Runs `step`; a RuntimeError it raises is reported as met at `where` and
// swallowed. Returns false when the step failed.
template <class Step>
bool reportFailure(ErrorReporter& errors, std::string_view where, Step&& step,
                   ErrorSource source = ErrorSource::Program) {
  try {
    std::forward<Step>(step)();
    return true;
  } catch (const RuntimeError& e) {
    errors.report(source, where, e);
    return false;
  }
}

}  // namespace kivo
