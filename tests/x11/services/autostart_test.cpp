// Start at login on a Linux desktop: the autostart entry as desktops read
// it, and as a user may have left it.
#include "platform/x11/autostart.h"

#include <gtest/gtest.h>

#include "tests/x11/services/test_dir.h"

namespace kivo::x11 {
namespace {

using testing::ScopedEnv;

TEST(Autostart, TheEntryStartsTheProgramUntilItIsDeletedOrHidden) {
  testing::TempDir dir;
  ScopedEnv config("XDG_CONFIG_HOME", dir.str().c_str());
  const std::string path = autostartEntryPath();
  EXPECT_EQ(path, dir / "autostart/kivo.desktop");
  EXPECT_FALSE(autostartEnabled(path));
  // The directory is made; a path with a blank is quoted for the Exec key.
  ASSERT_TRUE(setAutostart(path, true, "/opt/my apps/kivo"));
  EXPECT_TRUE(autostartEnabled(path));
  const std::string entry = testing::readFile(path).value_or("");
  EXPECT_NE(entry.find("[Desktop Entry]\nType=Application\n"), std::string::npos);
  EXPECT_NE(entry.find("\nExec=\"/opt/my apps/kivo\"\n"), std::string::npos);
  ASSERT_TRUE(setAutostart(path, false, ""));
  EXPECT_FALSE(testing::readFile(path).has_value());
  EXPECT_TRUE(setAutostart(path, false, ""));  // off already

  // An entry the user or the desktop switched off counts as off; a key of
  // that name in another group does not.
  testing::writeFile(path, "[Desktop Entry]\nExec=kivo\nHidden = true\n");
  EXPECT_FALSE(autostartEnabled(path));
  testing::writeFile(path, "[Desktop Entry]\nExec=kivo\nX-GNOME-Autostart-enabled=false\n");
  EXPECT_FALSE(autostartEnabled(path));
  testing::writeFile(path, "[Desktop Entry]\nExec=kivo\n[Desktop Action x]\nHidden=true\n");
  EXPECT_TRUE(autostartEnabled(path));
  // Switched on from Kivo, the user's hidden entry gives way to ours.
  testing::writeFile(path, "[Desktop Entry]\nExec=kivo\nHidden=true\n");
  ASSERT_TRUE(setAutostart(path, true, "/usr/bin/kivo"));
  EXPECT_TRUE(autostartEnabled(path));
}

TEST(Autostart, AnUnwritablePlaceIsAFailureNotASuccess) {
  testing::TempDir dir;
  testing::writeFile(dir / "autostart", "a file where the directory should be");
  EXPECT_FALSE(setAutostart(dir / "autostart/kivo.desktop", true, "/usr/bin/kivo"));
}

}  // namespace
}  // namespace kivo::x11
