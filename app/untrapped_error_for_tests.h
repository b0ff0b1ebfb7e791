#pragma once
// A way for the end-to-end tests to reach the fatal path of both programs.
//
// Every handler of the program traps the errors it can meet, and a refused
// save is told and survived, so no run-time error is left to end the
// program by itself; the fatal path (the title given back, the fatal box,
// exit status 1) would go untested. With KIVO_TEST_UNTRAPPED_ERROR set to a
// file's path, the main tick raises run-time error 5 after its own work,
// outside any trap, once that file exists: the test writes the file when it
// has seen the clock. Without the variable nothing changes.

#include <cstdlib>
#include <filesystem>
#include <string>
#include <system_error>

#include "app/program.h"
#include "platform/errors.h"
#include "ui/main_window.h"

namespace kivo {

inline void armUntrappedErrorForTests(Kivo& app) {
  const char* path = std::getenv("KIVO_TEST_UNTRAPPED_ERROR");
  if (path == nullptr || *path == '\0' || app.main() == nullptr) return;
  Timer& tick = *app.main()->tickTimer;
  tick.onTimer = [tickHandler = tick.onTimer, file = std::filesystem::path(path)] {
    if (tickHandler) tickHandler();
    std::error_code ignored;
    if (std::filesystem::exists(file, ignored)) throw RuntimeError(kErrInvalidCall);
  };
}

}  // namespace kivo
