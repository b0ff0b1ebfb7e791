#pragma once
// How Kivo tells the user about an error: a box titled "エラー - Kivo" with
// the error number, the place it was met, its description with the version,
// and whom to tell.

#include <string>

#include "platform/errors.h"
#include "platform/platform.h"
#include "ui/translation.h"

namespace kivo {

inline constexpr const char* kErrorTitle = "エラー - Kivo";
inline constexpr int kReportStyle = kMbOkOnly | kMbIconStop | kMbSystemModal;

// The five-line report text, in the language of `texts`.
std::string errorReportText(ErrorSource source, std::string_view where, const RuntimeError& e,
                            const Translation& texts);

class ErrorBoxes : public ErrorReporter {
 public:
  // Boxes speak the language `texts` is set to when they are shown.
  explicit ErrorBoxes(Toolkit& toolkit, const Translation& texts = kJapaneseTexts)
      : toolkit_(toolkit), texts_(texts) {}
  void report(ErrorSource source, std::string_view where, const RuntimeError& e) override;
  int warn(Hwnd owner, const std::string& text, int style) override;

 private:
  Toolkit& toolkit_;
  const Translation& texts_;
};

}  // namespace kivo
