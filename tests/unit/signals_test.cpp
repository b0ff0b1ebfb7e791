// Tests of the hourly signals, the caption flash burst and the window shake.
#include <gtest/gtest.h>

#include <climits>
#include <string>
#include <utility>
#include <vector>

#include "engine/program.h"
#include "platform/sim/sim_desktop.h"
#include "settings/layout.h"
#include "ui/frmMain.h"

namespace kivo {
namespace {

constexpr Hwnd kWnd = 100;
constexpr Date kDay{2024, 5, 1};

// Keeps the exact flags of every play, which the event log does not show.
struct RecordingSound : Sound {
  explicit RecordingSound(sim::SimDesktop& d) : desk(d) {}
  void playSound(const std::string& file, std::uint32_t flags) override {
    plays.emplace_back(file, flags);
    desk.sound.playSound(file, flags);
  }
  sim::SimDesktop& desk;
  std::vector<std::pair<std::string, std::uint32_t>> plays;
};

class SignalsTest : public ::testing::Test {
 protected:
  void SetUp() override {
    desk.windows.addWindow(kWnd, "Notepad", "memo");
    desk.windows.focus(kWnd);
    at(12, 30);
    app.start();
    m = app.main();
    // These tests call the procedures themselves, outside any tick: a tick
    // fired from their DoEvents would nest, which the running tick's own
    // guard prevents in the program.
    m->tmrMain->setEnabled(false);
    app.s.hActiveWnd = kWnd;
    desk.log.clear();
  }
  void at(int h, int n, int s = 0, Date d = kDay) { desk.clock.set(d, TimeOfDay{h, n, s}); }
  void put(const SettingKey& key, const std::string& v) { writeText(desk.store, key, v); }
  std::string stored(const SettingKey& key) { return readText(desk.store, key); }
  std::vector<std::string> moves() {
    std::vector<std::string> out;
    for (const std::string& line : desk.log.take())
      if (line.rfind("move ", 0) == 0) out.push_back(line);
    return out;
  }
  int flashes() { return desk.windows.window(kWnd)->flashes; }
  // Runs one whole burst by hand and returns the inversions it made.
  int burst() {
    const int before = flashes();
    m->tmrFlash->setEnabled(true);
    for (int i = 0; i < 1000 && m->tmrFlash->enabled(); ++i) m->tmrFlash_Timer();
    return flashes() - before;
  }
  const std::deque<sim::RecordedBox>& boxes() { return desk.toolkit.boxes(); }

  sim::SimDesktop desk;
  RecordingSound sound{desk};
  Platform platform{desk.windows, sound,      desk.shell, desk.fileDialog,
                    desk.toolkit, desk.store, desk.clock, desk.program};
  Kivo app{platform};
  frmMain* m = nullptr;
};

TEST_F(SignalsTest, ChimeCuckooAndFileNames) {
  struct Case {
    const char* hato;
    const char* wave;
    int hour, syncs, asyncs;
  } cases[] = {
      {"1", "C:\\kivo\\pipo.wav", 15, 14, 1},
      {"1", "C:\\kivo\\pipo.wav", 0, 23, 1},
      {"1", "C:\\kivo\\pipo.wav", 1, 0, 1},
      {"1", "C:\\KIVO\\PIPO.WAV", 13, 12, 1},
      {"0", "C:\\kivo\\pipo.Wav", 15, 0, 1},
      {"2", "C:\\kivo\\pipo.wav", 15, 0, 0},
      {"0", "C:\\kivo\\pipo.mp3", 15, 0, 0},
      {"0", "", 15, 0, 0},
      {"1", "wav", 15, 0, 0},
  };
  put(keys::TimePipo, "1");
  put(keys::TimeFuru, "1");
  put(keys::TimeFuruCount, "0");
  for (const Case& c : cases) {
    SCOPED_TRACE(std::string(c.hato) + " " + c.wave + " " + std::to_string(c.hour));
    put(keys::PipoHato, c.hato);
    put(keys::WaveFilePath1, c.wave);
    m->bSignalDone = 0;
    m->tmrFlash->setEnabled(false);
    sound.plays.clear();
    at(c.hour, 0, 0);
    m->ChkPika();
    ASSERT_EQ(sound.plays.size(), static_cast<size_t>(c.syncs + c.asyncs));
    for (int i = 0; i < c.syncs; ++i) EXPECT_EQ(sound.plays[i].second, 131074u);
    if (c.asyncs) {
      EXPECT_EQ(sound.plays.back(), std::make_pair(std::string(c.wave), 131075u));
    }
    // Whatever the sound did, the flash and the shake follow.
    EXPECT_TRUE(m->tmrFlash->enabled());
    EXPECT_EQ(m->bSignalDone, 1);
    EXPECT_EQ(moves().size(), 4u);
  }
  EXPECT_TRUE(boxes().empty());
}

TEST_F(SignalsTest, OncePerHourAndRearmedAfterAMissedMinuteOne) {
  struct Call {
    int h, n, s;
    Date day;
    bool signals;
  } calls[] = {
      {15, 0, 10, kDay, true},
      {15, 0, 40, kDay, false},
      {15, 1, 0, kDay, false},
      {15, 30, 0, kDay, false},
      {16, 0, 5, kDay, true},
      // Asleep through 16:01: the next hour still signals, once.
      {17, 0, 20, kDay, true},
      {17, 0, 50, kDay, false},
      // A whole day asleep lands in the same hour of the next day.
      {17, 0, 10, Date{2024, 5, 2}, true},
  };
  for (const Call& c : calls) {
    SCOPED_TRACE(std::to_string(c.h) + ":" + std::to_string(c.n) + ":" + std::to_string(c.s));
    at(c.h, c.n, c.s, c.day);
    m->ChkPika();
    EXPECT_EQ(m->tmrFlash->enabled(), c.signals);
    m->tmrFlash->setEnabled(false);
  }
  // A fresh store gives only the flash.
  EXPECT_TRUE(sound.plays.empty());
  EXPECT_TRUE(moves().empty());
  EXPECT_TRUE(boxes().empty());
}

TEST_F(SignalsTest, UnreadableSwitchesRunTheirSignalsAndABadCountStopsTheShake) {
  put(keys::TimePipo, "yes");
  put(keys::WaveFilePath1, "C:\\pipo.wav");
  put(keys::PipoHato, "0");
  put(keys::TimePika, "on");
  put(keys::TimeFuru, "?");
  put(keys::TimeFuruCount, "0");
  at(9, 0, 0);
  m->ChkPika();
  ASSERT_EQ(boxes().size(), 3u);
  for (const auto& b : boxes())
    EXPECT_NE(b.text.find("場所:frmMain!ChkPika- Kivo"), std::string::npos);
  EXPECT_EQ(sound.plays.size(), 1u);
  EXPECT_TRUE(m->tmrFlash->enabled());
  EXPECT_EQ(moves().size(), 4u);

  desk.toolkit.clearBoxes();
  put(keys::TimeFuru, "1");
  put(keys::TimeFuruCount, "99999");
  at(10, 0, 0);
  m->ChkPika();
  ASSERT_EQ(boxes().size(), 3u);  // the two unreadable switches, then the count
  EXPECT_NE(boxes()[2].text.find("エラー番号:6"), std::string::npos);
  EXPECT_TRUE(moves().empty());
}

TEST_F(SignalsTest, FlashBurstLengthAndRepairs) {
  const std::string repair =
      "レジストリの点滅回数設定が正しくありません。\r\n初期設定値に戻しました。";
  struct Case {
    const char* limit;  // nullptr: not stored
    int inversions;
    const char* box;  // "" none, "repair" or "report"
    const char* after;
  } cases[] = {
      {nullptr, 52, "", "50"},
      {"0", 2, "", "0"},
      {"7", 9, "", "7"},
      {"300", 52, "repair", "50"},
      {"-1", 52, "repair", "50"},
      // Not a number: reported, the burst runs with the limit left from before.
      {"abc", 52, "report", "abc"},
      // A valid 255 is no error: the byte counter's end is the burst's end.
      {"255", 256, "", "255"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.limit ? c.limit : "(none)");
    if (c.limit) put(keys::FlashLimit, c.limit);
    desk.toolkit.clearBoxes();
    EXPECT_EQ(burst(), c.inversions);
    EXPECT_FALSE(m->tmrFlash->enabled());
    EXPECT_EQ(m->bytFlashCount, 0);
    EXPECT_EQ(stored(keys::FlashLimit), c.after);
    if (std::string(c.box).empty()) {
      EXPECT_TRUE(boxes().empty());
    } else {
      ASSERT_EQ(boxes().size(), 1u);
      EXPECT_EQ(boxes()[0].title, "エラー - Kivo");
      EXPECT_EQ(boxes()[0].style, 4112);
      if (std::string(c.box) == "repair") EXPECT_EQ(boxes()[0].text, repair);
      else EXPECT_NE(boxes()[0].text.find("場所:frmMain_Load- Kivo"), std::string::npos);
    }
  }
}

TEST_F(SignalsTest, ShakeMovesAroundTheCornerAndEndsHigher) {
  const std::string repair = "レジストリの振幅設定が正しくありません。\r\n初期設定値に戻しました。";
  struct Case {
    const char* width;  // nullptr: not stored
    std::int16_t n;
    size_t moves;
    int dx, dy;
    const char* box;
    const char* after;
  } cases[] = {
      {nullptr, 10, 44, 1, 1, "", "20"},    {nullptr, 0, 4, 1, 1, "", "20"},
      {nullptr, -1, 0, 0, 0, "", "20"},     {"14", 10, 44, 0, 0, "", "14"},
      {"300", 2, 12, 20, 20, "", "300"},    {"40000", 10, 44, 1, 1, "repair", "20"},
      {"abc", 1, 8, 0, 0, "report", "abc"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(std::string(c.width ? c.width : "(none)") + " n=" + std::to_string(c.n));
    if (c.width) put(keys::VibrateWidth, c.width);
    desk.toolkit.clearBoxes();
    auto* w = desk.windows.window(kWnd);
    w->rect = Rect{100, 200, 500, 400};
    w->topmost = true;
    m->VibrateWindow(kWnd, c.n);
    const auto got = moves();
    ASSERT_EQ(got.size(), c.moves);
    if (c.moves) {
      const std::string right = "move 100 " + std::to_string(100 + c.dx) + " 200";
      EXPECT_EQ(got[0], right);
      EXPECT_EQ(got[1], "move 100 100 " + std::to_string(200 + c.dy));
      EXPECT_EQ(got[2], "move 100 " + std::to_string(100 - c.dx) + " 200");
      EXPECT_EQ(got[3], "move 100 100 " + std::to_string(200 - c.dy));
      EXPECT_EQ(w->rect.top, 200 - c.dy);  // no move back
      EXPECT_FALSE(w->topmost);
    }
    EXPECT_EQ(stored(keys::VibrateWidth), c.after);
    if (std::string(c.box).empty()) {
      EXPECT_TRUE(boxes().empty());
    } else {
      ASSERT_EQ(boxes().size(), 1u);
      if (std::string(c.box) == "repair") EXPECT_EQ(boxes()[0].text, repair);
      else EXPECT_NE(boxes()[0].text.find("場所:frmMain!VibrateWindow- Kivo"), std::string::npos);
    }
  }
}

TEST_F(SignalsTest, CoordinateOverflowRepairsOnceAndSkipsOnlyThoseMoves) {
  desk.windows.window(kWnd)->rect = Rect{INT_MAX, 100, INT_MAX, 400};
  m->VibrateWindow(kWnd, 10);
  EXPECT_EQ(moves().size(), 33u);  // every "right" move overflows
  EXPECT_EQ(boxes().size(), 1u);
  EXPECT_EQ(stored(keys::VibrateWidth), "20");
}

}  // namespace
}  // namespace kivo
