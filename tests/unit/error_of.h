#pragma once
// The number of the run-time error a piece of code raises.

#include <functional>

#include "platform/errors.h"

namespace kivo::testing {

// 0 when f returns normally.
inline int errorOf(const std::function<void()>& f) {
  try {
    f();
  } catch (const RuntimeError& e) {
    return e.number();
  }
  return 0;
}

}  // namespace kivo::testing
