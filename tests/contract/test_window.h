#pragma once
// A top-level test window made through the backend's factory, gone with the
// case however the case ends, so a real desktop is left as it was found.

#include <string>

#include "tests/contract/contract.h"

namespace kivo::contract {

class TestWindow {
 public:
  // The class is "KivoContract", the role letter and the run's token:
  // unique to the role and the run.
  TestWindow(char role, std::string title)
      : className_("KivoContract" + std::string(1, role) + runToken()),
        title_(std::move(title)),
        h_(backend().createWindow(className_, title_)) {}
  ~TestWindow() { destroy(); }
  TestWindow(const TestWindow&) = delete;
  TestWindow& operator=(const TestWindow&) = delete;

  Hwnd get() const { return h_; }
  const std::string& className() const { return className_; }
  // The title it was made with.
  const std::string& title() const { return title_; }
  void destroy() {
    if (h_ != 0) backend().destroyWindow(h_);
    h_ = 0;
  }

 private:
  std::string className_;
  std::string title_;
  Hwnd h_;
};

}  // namespace kivo::contract
