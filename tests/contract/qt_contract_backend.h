#pragma once
// What the contract backends over the Qt toolkit share (the X11 desktop's
// and sway's and i3's): the toolkit's timers and message boxes in real
// time, a user at the boxes, and a pump that also reads the window
// system's news. The settings are simulated: no such instance runs the
// settings part.

#include <chrono>
#include <memory>
#include <optional>
#include <thread>
#include <vector>

#include "platform/qt/qt_toolkit.h"
#include "platform/sim/sim_store.h"
#include "tests/contract/contract.h"
#include "tests/x11/qt/qt_rig.h"

namespace kivo::contract {

class QtContractBackend : public ContractBackend {
 public:
  Toolkit& toolkit() override { return toolkit_; }
  SettingsStore& store() override { return store_; }
  std::unique_ptr<SettingsStore> freshStore() override { return std::make_unique<sim::SimStore>(); }

  // The user at the box presses the button once it has stayed open for
  // `hold`, the program's timers firing meanwhile.
  void answerNextBox(int answer, milliseconds hold) override {
    using Clock = std::chrono::steady_clock;
    QMessageBox::StandardButton button = QMessageBox::Ok;
    if (answer == kIdCancel) button = QMessageBox::Cancel;
    if (answer == kIdYes) button = QMessageBox::Yes;
    if (answer == kIdNo) button = QMessageBox::No;
    auto seenAt = std::make_shared<std::optional<Clock::time_point>>();
    boxUsers_.push_back(std::make_unique<qt::test::BoxUser>(button, [seenAt, hold] {
      if (!*seenAt) *seenAt = Clock::now();
      return Clock::now() >= **seenAt + hold;
    }));
  }

  bool pumpUntil(const std::function<bool()>& condition, milliseconds deadline) override {
    const auto end = std::chrono::steady_clock::now() + deadline;
    for (;;) {
      dispatchWindows();
      if (condition()) return true;
      if (std::chrono::steady_clock::now() >= end) return false;
      // Everything queued, through the toolkit's own loop (its timers);
      // then the window manager and the timers answer in their own time:
      // look again soon.
      toolkit_.doEvents();
      if (condition()) return true;
      std::this_thread::sleep_for(milliseconds(5));
    }
  }
  void letTimePass(milliseconds duration) override { std::this_thread::sleep_for(duration); }

 protected:
  // Reads what the window system has been told since the last look.
  virtual void dispatchWindows() = 0;

 private:
  sim::SimStore store_;
  qt::QtToolkit toolkit_{qt::test::testArgc(), qt::test::testArgv()};
  std::vector<std::unique_ptr<qt::test::BoxUser>> boxUsers_;
};

}  // namespace kivo::contract
