#pragma once
// Helpers of the Win32 backend's own tests: a token unique to the run, and
// waiting for a condition while this thread's messages are pumped.

#include <windows.h>

#include <chrono>
#include <cstdio>
#include <functional>
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

// True once `condition` holds, false when ten seconds passed first.
inline bool pollUntil(const std::function<bool()>& condition) {
  const auto end = std::chrono::steady_clock::now() + std::chrono::seconds(10);
  while (!condition()) {
    if (std::chrono::steady_clock::now() >= end) return false;
    MSG msg;
    while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) DispatchMessageW(&msg);
    MsgWaitForMultipleObjects(0, nullptr, FALSE, 10, QS_ALLINPUT);
  }
  return true;
}

}  // namespace kivo::win32::test
