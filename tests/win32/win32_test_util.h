#pragma once
// Helpers of the Win32 backend's own tests: a token unique to the run.

#include <windows.h>

#include <string>

namespace kivo::win32::test {

// The process and the moment it began, for the titles, keys and names of
// this run only.
inline const std::string& token() {
  static const std::string value =
      std::to_string(GetCurrentProcessId()) + "-" + std::to_string(GetTickCount());
  return value;
}

}  // namespace kivo::win32::test
