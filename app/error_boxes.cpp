// The error boxes.
#include "app/error_boxes.h"

#include "kivo_version.h"

namespace kivo {

namespace {
constexpr const char* kContactLine = "\"Welmark\" <welmark@kivo.example> まで連絡してください。";
}  // namespace

std::string errorReportText(ErrorSource source, std::string_view where, const RuntimeError& e,
                            const Translation& texts) {
  const std::string crlf = "\r\n";
  // The place says which part of the program met the error.
  const char* part = source == ErrorSource::CustomFormat ? "- XXModule" : "- Kivo";
  return texts("エラー番号:") + std::to_string(e.number()) + crlf +  //
         texts("場所:") + std::string(where) + part + crlf +         //
         e.description() + std::to_string(kVersionMajor) + std::to_string(kVersionMinor) + crlf +
         texts("上記の説明と、エラーの発生したときの簡単な状況を書いて、") + crlf +  //
         texts(kContactLine);
}

void ErrorBoxes::report(ErrorSource source, std::string_view where, const RuntimeError& e) {
  toolkit_.messageBox(0, errorReportText(source, where, e, texts_), texts_(kErrorTitle),
                      kReportStyle);
}

int ErrorBoxes::warn(Hwnd owner, const std::string& text, int style) {
  // The signals word their warnings in Japanese; they are shown here.
  return toolkit_.messageBox(owner, texts_(text), texts_(kErrorTitle), style);
}

}  // namespace kivo
