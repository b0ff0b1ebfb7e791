#pragma once
// Run-time errors with the classic numbers, the two error reporters and the
// trap helper that reports a failed step and goes on with the next one.

#include <exception>
#include <string>
#include <utility>

#include "platform/platform.h"

namespace kivo {

inline constexpr int kErrInvalidCall = 5;
inline constexpr int kErrOverflow = 6;
inline constexpr int kErrSubscript = 9;
inline constexpr int kErrTypeMismatch = 13;

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

inline constexpr int kReportStyle = kMbOkOnly | kMbIconStop | kMbSystemModal;
inline constexpr const char* kErrorTitle = "エラー - Kivo";
inline constexpr const char* kContactLine =
    "\"Welmark\" <welmark@kivo.example> まで連絡してください。";

// The five-line report text; `suffix` is "- Kivo" or "- XXModule".
std::string errorReportText(const RuntimeError& e, const std::string& tag,
                            const std::string& suffix, int versionMajor, int versionMinor);

// Shows the report box of the general module.
void ReportError(Toolkit& toolkit, ProgramInfo& program, const std::string& tag,
                 const RuntimeError& e);
// Shows the report box of the custom-format module.
void ReportXXError(Toolkit& toolkit, ProgramInfo& program, const std::string& tag,
                   const RuntimeError& e);

// Runs the steps of a procedure that traps: a step that raises a
// RuntimeError is reported under the procedure's tag and the next step runs.
class Trap {
 public:
  using ReportFn = void (*)(Toolkit&, ProgramInfo&, const std::string&, const RuntimeError&);
  Trap(Toolkit& toolkit, ProgramInfo& program, std::string tag, ReportFn report = &ReportError)
      : toolkit_(toolkit), program_(program), tag_(std::move(tag)), report_(report) {}

  // Runs one step; returns false when it failed (and was reported).
  template <class F>
  bool operator()(F&& step) {
    try {
      std::forward<F>(step)();
      return true;
    } catch (const RuntimeError& e) {
      report_(toolkit_, program_, tag_, e);
      return false;
    }
  }
  const std::string& tag() const { return tag_; }

 private:
  Toolkit& toolkit_;
  ProgramInfo& program_;
  std::string tag_;
  ReportFn report_;
};

}  // namespace kivo
