// The error boxes.
#include "app/error_boxes.h"

#include "kivo_version.h"

namespace kivo {

namespace {
constexpr const char* kContactLine = "\"Welmark\" <welmark@kivo.example> まで連絡してください。";
}  // namespace

std::string errorReportText(ErrorSource source, std::string_view where, const RuntimeError& e) {
  const std::string crlf = "\r\n";
  // The place says which part of the program met the error.
  const char* part = source == ErrorSource::CustomFormat ? "- XXModule" : "- Kivo";
  return "エラー番号:" + std::to_string(e.number()) + crlf +  //
         "場所:" + std::string(where) + part + crlf +         //
         e.description() + std::to_string(kVersionMajor) + std::to_string(kVersionMinor) + crlf +
         "上記の説明と、エラーの発生したときの簡単な状況を書いて、" + crlf +  //
         kContactLine;
}

void ErrorBoxes::report(ErrorSource source, std::string_view where, const RuntimeError& e) {
  toolkit_.messageBox(0, errorReportText(source, where, e), kErrorTitle, kReportStyle);
}

int ErrorBoxes::warn(Hwnd owner, const std::string& text, int style) {
  return toolkit_.messageBox(owner, text, kErrorTitle, style);
}

}  // namespace kivo
