// The Qt toolkit natively on Wayland, on a private headless sway
// (sway-run.sh): the forms are the compositor's own Wayland windows under
// the desktop file's app_id, with handles no sway container number can be
// taken for. (A second start through the instance socket, and the program's
// own line when the compositor goes, are the real program's end-to-end case
// on sway.) The toolkit contract suite runs there too (CMakeLists.txt).
#include <gmock/gmock.h>
#include <gtest/gtest.h>
#include <nlohmann/json.hpp>

#include <QApplication>
#include <QTimer>
#include <QWidget>

#include <cstdio>
#include <cstdlib>
#include <string>

#include "app/program.h"
#include "platform/qt/qt_toolkit.h"
#include "platform/sim/sim_desktop.h"
#include "tests/x11/qt/qt_rig.h"
#include "ui/main_window.h"
#include "ui/settings_dialog.h"

namespace kivo::qt::test {
namespace {

// The toolkit makes the QApplication itself, as the program does on sway.
struct WaylandRig : sim::SimServices {
  QtToolkit toolkit{testArgc(), testArgv(), "wayland"};
  Platform platform = platformWith(toolkit);
  Kivo app{platform};
};

// Every window in sway's tree whose app_id is `appId`, as "name|shell".
std::vector<std::string> swayWindows(const std::string& appId) {
  std::vector<std::string> out;
  FILE* p = ::popen("swaymsg -r -t get_tree", "r");
  if (!p) return out;
  std::string text;
  char buffer[4096];
  for (std::size_t n; (n = std::fread(buffer, 1, sizeof buffer, p)) > 0;) text.append(buffer, n);
  ::pclose(p);
  const auto walk = [&](const auto& self, const nlohmann::json& node) -> void {
    if (node.value("app_id", nlohmann::json()).is_string() && node["app_id"] == appId)
      out.push_back(node.value("name", "") + "|" + node.value("shell", ""));
    for (const char* children : {"nodes", "floating_nodes"}) {
      if (node.contains(children))
        for (const nlohmann::json& child : node[children]) self(self, child);
    }
  };
  const nlohmann::json tree = nlohmann::json::parse(text, nullptr, false);
  if (!tree.is_discarded()) walk(walk, tree);
  return out;
}

TEST(QtOnWayland, FormsAreTheCompositorsWindowsWithHandlesOfTheirOwn) {
  WaylandRig rig;
  ASSERT_EQ(QGuiApplication::platformName(), QStringLiteral("wayland"));
  rig.app.start();
  MainWindow& m = *rig.app.main();
  SettingsDialog& s = m.settingsDialog();
  s.show();
  m.show();
  // Shown at once (nothing waits for a frame), under the desktop file's name.
  EXPECT_TRUE(pumpUntil(rig.toolkit, [&] { return swayWindows("kivo").size() == 2; }))
      << ::testing::PrintToString(swayWindows("kivo"));
  EXPECT_THAT(swayWindows("kivo"), ::testing::Contains(std::string(kMainCaption) + "|xdg_shell"));
  // The compositor places a window and tells nobody where: shown again, the
  // dialog's model keeps the place the program gave it.
  s.hide();
  s.move(1500, 1200);
  s.show();
  EXPECT_TRUE(pumpUntil(rig.toolkit, [&] { return swayWindows("kivo").size() == 2; }));
  rig.toolkit.doEvents();
  EXPECT_EQ(s.left(), 1500);
  EXPECT_EQ(s.top(), 1200);
  // Qt numbers Wayland windows from 1 as sway numbers its containers: the
  // forms' handles lie beyond any such number, one each.
  EXPECT_GE(m.hwnd(), QtToolkit::kWaylandHandleBase);
  EXPECT_GE(s.hwnd(), QtToolkit::kWaylandHandleBase);
  EXPECT_NE(m.hwnd(), s.hwnd());
}

}  // namespace
}  // namespace kivo::qt::test

int main(int argc, char** argv) {
  ::testing::InitGoogleTest(&argc, argv);
  return RUN_ALL_TESTS();
}
