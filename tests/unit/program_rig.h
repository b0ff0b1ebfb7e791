#pragma once
// The whole program on a simulated desktop, started over stored settings.

#include <gtest/gtest.h>

#include <string>
#include <utility>
#include <vector>

#include "app/program.h"
#include "platform/sim/sim_desktop.h"
#include "settings/layout.h"
#include "ui/main_window.h"

namespace kivo::testing {

using Stored = std::vector<std::pair<SettingKey, std::string>>;

struct RunningProgram {
  sim::SimDesktop d;
  Kivo app{d.platform};
  // Started at 12:34 unless `start` is false (to set the desktop up first).
  explicit RunningProgram(const Stored& stored = {}, bool start = true) {
    d.clock.set(Date{2024, 5, 6}, TimeOfDay{12, 34, 0});
    for (const auto& [key, value] : stored) writeText(d.store, key, value);
    if (start) app.start();
  }
  MainWindow& m() { return *app.main(); }
  void tick() { m().tickTimer->fire(); }
  std::string title(Hwnd h) const { return d.windows.window(h)->title; }
  std::string stored(const SettingKey& key) { return readText(d.store, key); }
  // Every view against its model, and no report that changed nothing.
  void expectInStep(const char* where) {
    SCOPED_TRACE(where);
    EXPECT_EQ(d.toolkit.staleViews(), std::vector<std::string>{});
    EXPECT_EQ(d.toolkit.idleReports(), std::vector<sim::Report>{});
  }
  // What a second start does to the running instance's window.
  void bringUp() { d.windows.showWindow(m().hwnd(), kSwShowNormal); }
};

}  // namespace kivo::testing
