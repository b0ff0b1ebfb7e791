// Error descriptions and the two error reporters.
#include "platform/errors.h"

#include "platform/platform.h"

namespace kivo {

std::string errorDescription(int number) {
  switch (number) {
    case kErrInvalidCall: return "Invalid procedure call or argument";
    case kErrOverflow: return "Overflow";
    case kErrSubscript: return "Subscript out of range";
    case kErrTypeMismatch: return "Type mismatch";
    default: return "Application-defined or object-defined error";
  }
}

std::string errorReportText(const RuntimeError& e, const std::string& tag,
                            const std::string& suffix, int versionMajor, int versionMinor) {
  const std::string crlf = "\r\n";
  return "エラー番号:" + std::to_string(e.number()) + crlf +  //
         "場所:" + tag + suffix + crlf +                       //
         e.description() + std::to_string(versionMajor) + std::to_string(versionMinor) + crlf +
         "上記の説明と、エラーの発生したときの簡単な状況を書いて、" + crlf +  //
         kContactLine;
}

void ReportError(Toolkit& toolkit, ProgramInfo& program, const std::string& tag,
                 const RuntimeError& e) {
  toolkit.messageBox(
      0,
      errorReportText(e, tag, "- Kivo", program.versionMajor(), program.versionMinor()),
      kErrorTitle, kReportStyle);
}

void ReportXXError(Toolkit& toolkit, ProgramInfo& program, const std::string& tag,
                   const RuntimeError& e) {
  toolkit.messageBox(
      0,
      errorReportText(e, tag, "- XXModule", program.versionMajor(), program.versionMinor()),
      kErrorTitle, kReportStyle);
}

}  // namespace kivo
