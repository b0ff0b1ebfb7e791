// kivo.exe end to end: what a companion program writes in the registry and
// what a second start does. The companion's template is used, and a second
// start brings the running one's main window up.
#include <gtest/gtest.h>

#include "tests/wine/e2e.h"

namespace kivo::e2e {
namespace {

TEST(SettingsE2E, CompanionTemplateAndSecondStart) {
  freshStore();
  // As a companion program writes them.
  store::set(L"Plug in", L"KivoXX", L"1");
  store::set(L"Main", L"XXFormat", L"[%yyyy%年 %h:nn%]");
  TestWindow editor(L"KivoE2EEditor", L"Editor");
  const std::wregex custom(L"\\[[0-9]{4}年 [0-9]{1,2}:[0-9]{2}\\]");
  const auto decorated = [&] { return decoratedLeft(editor.text(), L"Editor", L" = ", custom); };
  ASSERT_TRUE(editor.bringToFront());
  KivoProcess kivo;
  ASSERT_TRUE(editor.frontUntil(decorated, kStartUp)) << editor.text();
  const HWND main = kivo.mainWindow();
  ASSERT_NE(main, nullptr);
  EXPECT_FALSE(IsWindowVisible(main)) << "the main window shows after start-up";

  // The second process finds the first one's window, shows it in front and
  // ends; the first one goes on.
  {
    KivoProcess second;
    ASSERT_TRUE(second.waitExit(10s)) << "the second start did not end";
    EXPECT_EQ(second.exitCode(), 0u);
  }
  EXPECT_TRUE(waitFor([&] { return IsWindowVisible(main) && GetForegroundWindow() == main; }, 5s));
  EXPECT_FALSE(IsIconic(main));

  ASSERT_TRUE(kivo.close());
}

}  // namespace
}  // namespace kivo::e2e
