#pragma once
// Window handles across the seam on Windows.
//
// A Win64 window handle is a 32-bit value, sign-extended to pointer width
// (handles are shared with 32-bit processes), so the seam's 32-bit Hwnd
// carries it whole: the low 32 bits go across, and coming back they are
// sign-extended again. The insert-after pseudo-handles survive the trip
// too: kHwndTopmost (-1) becomes HWND_TOPMOST, kHwndNoTopmost (-2)
// HWND_NOTOPMOST.

#include <windows.h>

#include <cstdint>

#include "platform/platform.h"

namespace kivo::win32 {

inline Hwnd fromHwnd(HWND h) {
  return static_cast<Hwnd>(reinterpret_cast<std::uintptr_t>(h) & 0xFFFFFFFFu);
}

inline HWND toHwnd(Hwnd h) {
  return reinterpret_cast<HWND>(static_cast<std::intptr_t>(static_cast<std::int32_t>(h)));
}

}  // namespace kivo::win32
