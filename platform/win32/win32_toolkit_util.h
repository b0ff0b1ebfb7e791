#pragma once
// Helpers of the Win32 toolkit: twips and pixels (1440 twips to the
// logical inch, at the dots per inch the layout is made for) and the error
// a failed system call raises.

#include <windows.h>

#include <string>

#include "platform/errors.h"

namespace kivo::win32 {

// Rounded to the nearest pixel; edges are converted rather than sizes, so
// controls that touch in twips touch on the screen as well.
inline int twipsToPx(int twips, int dpi) { return MulDiv(twips, dpi, 1440); }
inline int pxToTwips(int px, int dpi) { return MulDiv(px, 1440, dpi); }

// A window or class the system would not make: the classic "Out of
// memory", naming the call and the system's error code.
[[noreturn]] inline void systemFailed(const char* call) {
  const unsigned long code = GetLastError();
  throw RuntimeError(
      kErrOutOfMemory, "Out of memory (" + std::string(call) + " failed, error " + std::to_string(code) + ")");
}

}  // namespace kivo::win32
