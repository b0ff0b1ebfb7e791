#pragma once
// Opening a file on Linux. The verb "open" (or none) starts an executable
// regular file directly, and hands anything else to the desktop's opener,
// `xdg-open FILE`. Both run detached: in a session of their own, reparented
// away from Kivo (no zombie, and they outlive it), with standard input from
// /dev/null. No shell ever sees the name, so no character in it can do
// anything but name the file. Nothing waits for the program, and a failure
// (no such file, no xdg-open, a program that cannot start) is silent.
//
// `parameters` are the started program's arguments, split at blanks, with
// double quotes around an argument that holds blanks; `directory`, when
// given, is its working directory, and a relative file name is taken
// relative to it. The window owner and show command mean nothing here.

#include <string>
#include <utility>

#include "platform/platform.h"

namespace kivo::x11 {

class LinuxShell : public Shell {
 public:
  // `opener` is looked up on PATH at each call.
  explicit LinuxShell(std::string opener = "xdg-open") : opener_(std::move(opener)) {}

  void shellExecute(Hwnd owner, const std::string& verb, const std::string& file,
                    const std::string& parameters, const std::string& directory,
                    int showCmd) override;

 private:
  std::string opener_;
};

}  // namespace kivo::x11
