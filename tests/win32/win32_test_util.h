#pragma once
// Helpers of the Win32 backend's own tests: a token unique to the run.

#include <windows.h>

#include <cstdio>
#include <string>

namespace kivo::win32::test {

// Eight hex digits for the titles, keys and names of this run only.
inline const std::string& token() {
  static const std::string value = [] {
    LARGE_INTEGER ticks;
    QueryPerformanceCounter(&ticks);
    char text[9];
    std::snprintf(text, sizeof text, "%08lx", ticks.LowPart ^ (GetCurrentProcessId() << 16));
    return std::string(text);
  }();
  return value;
}

}  // namespace kivo::win32::test
