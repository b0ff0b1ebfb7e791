#pragma once
// How Kivo tells the user about an error: a box titled "エラー - Kivo" with
// the error number, the place it was met, its description with the version,
// and whom to tell.

#include <string>

#include "platform/errors.h"
#include "platform/platform.h"

namespace kivo {

inline constexpr const char* kErrorTitle = "エラー - Kivo";
inline constexpr int kReportStyle = kMbOkOnly | kMbIconStop | kMbSystemModal;

// The five-line report text.
std::string errorReportText(ErrorSource source, std::string_view where, const RuntimeError& e);

class ErrorBoxes : public ErrorReporter {
 public:
  explicit ErrorBoxes(Toolkit& toolkit) : toolkit_(toolkit) {}
  void report(ErrorSource source, std::string_view where, const RuntimeError& e) override;
  int warn(Hwnd owner, const std::string& text, int style) override;

 private:
  Toolkit& toolkit_;
};

}  // namespace kivo
