// The Qt toolkit natively on Wayland, on a private headless sway
// (sway-run.sh): the forms are the compositor's own Wayland windows under
// the desktop file's app_id, with handles no sway container number can be
// taken for; a second start brings the hidden main window up through the
// instance socket; and a compositor that goes away ends the program with
// Kivo's own line. The toolkit contract suite runs there too (CMakeLists.txt).
#include <gmock/gmock.h>
#include <gtest/gtest.h>
#include <nlohmann/json.hpp>

#include <QApplication>
#include <QTimer>
#include <QWidget>

#include <cstdio>
#include <cstdlib>
#include <future>
#include <string>

#include "app/program.h"
#include "platform/qt/qt_display_loss.h"
#include "platform/qt/qt_toolkit.h"
#include "platform/sim/sim_desktop.h"
#include "platform/xdg/socket_program_info.h"
#include "tests/x11/qt/qt_rig.h"
#include "ui/main_window.h"
#include "ui/settings_dialog.h"

namespace kivo::qt::test {
namespace {

using ::testing::AllOf;
using ::testing::HasSubstr;
using ::testing::Not;
using namespace std::chrono_literals;

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

TEST(QtOnWaylandHandOver, ASecondStartBringsUpTheHiddenMainWindow) {
  // The running instance as the program wires it on sway.
  xdg::SocketProgramInfo running;
  ASSERT_TRUE(running.ownsInstance());
  WaylandRig rig;
  running.setLocalWindows(&rig.toolkit);
  rig.toolkit.onFormsChanged = [&] { running.advertise(); };
  rig.toolkit.watchFd(running.fd(), [&] { running.dispatch(); });
  rig.app.start();
  MainWindow& m = *rig.app.main();
  ASSERT_FALSE(m.visible());
  // A second start (a thread here: the same socket, the same requests)
  // finds the main window among the advertised ones, by the title the
  // toolkit gives for it, and asks for it.
  auto second = std::async(std::launch::async, [] {
    xdg::SocketProgramInfo start;
    xdg::LocalWindows& instance = start.runningInstance();
    for (const Hwnd h : instance.ownWindows()) {
      if (start.previousInstance() && instance.ownWindowTitle(h) == kMainCaption) {
        instance.showOwnWindow(h, kSwShowNormal);
        return h;
      }
    }
    return Hwnd{0};
  });
  ASSERT_TRUE(
      pumpUntil(rig.toolkit, [&] { return second.wait_for(0s) == std::future_status::ready; }));
  EXPECT_EQ(second.get(), m.hwnd());
  EXPECT_TRUE(pumpUntil(rig.toolkit, [&] { return m.visible() && !swayWindows("kivo").empty(); }));
  EXPECT_EQ(m.windowState(), WindowState::Normal);
}

TEST(QtOnWaylandDeathTest, LosingTheCompositorEndsKivoWithItsOwnLine) {
  EXPECT_EXIT(
      {
        QtToolkit toolkit(testArgc(), testArgv(), "wayland");
        reportDisplayLossAsKivo(waylandDisplayName());
        QWidget window;
        window.show();
        QTimer::singleShot(0, [] { std::system("swaymsg exit >/dev/null 2>&1"); });
        // A compositor that outlives the request fails the test.
        QTimer::singleShot(20000, [&] { toolkit.quit(); });
        toolkit.run();
        std::exit(0);
      },
      ::testing::ExitedWithCode(1),
      AllOf(HasSubstr("kivo: lost the Wayland display " + waylandDisplayName() + "\n"),
            Not(HasSubstr("The Wayland connection"))));
}

}  // namespace
}  // namespace kivo::qt::test

int main(int argc, char** argv) {
  ::testing::InitGoogleTest(&argc, argv);
  // The dying child starts afresh: no QApplication of the parent in it.
  GTEST_FLAG_SET(death_test_style, "threadsafe");
  return RUN_ALL_TESTS();
}
