// Tests of the hourly signals, the caption flash burst, the window shake and
// the daily alarm. (That no tick nests in the cuckoo count or in the alarm box
// is the timer model's promise, pinned by its own test and the timers
// contract suite, and seen whole in the alarm_repeat scenario.)
#include <gtest/gtest.h>

#include <climits>
#include <string>
#include <vector>

#include "platform/sim/sim_desktop.h"
#include "settings/layout.h"
#include "signals/flash_burst.h"
#include "tests/unit/engine_rig.h"

namespace kivo {
namespace {

constexpr Hwnd kWnd = 100;
constexpr Date kDay{2024, 5, 1};

// What the event log does not show: the exact sound flags, whether the flash
// was already on at each play, and the shell's arguments.
struct Recorder : Sound, Shell {
  explicit Recorder(sim::SimDesktop& d) : desk(d) {}
  void playSound(const std::string& file, std::uint32_t flags) override {
    plays.push_back({file, flags, flashOn != nullptr && *flashOn});
    desk.sound.playSound(file, flags);
  }
  void shellExecute(Hwnd owner, const std::string& verb, const std::string& file,
                    const std::string& params, const std::string& dir, int show) override {
    shellCall =
        std::to_string(owner) + "|" + verb + "|" + params + "|" + dir + "|" + std::to_string(show);
    desk.shell.shellExecute(owner, verb, file, params, dir, show);
  }
  struct Play {
    std::string file;
    std::uint32_t flags;
    bool flashOn;
  };
  sim::SimDesktop& desk;
  const bool* flashOn = nullptr;
  std::vector<Play> plays;
  std::string shellCall;
};

// The signals as the program wires them, the flash timer replaced by a
// switch that notes how many boxes had been shown when it was turned on.
class Signals : public ::testing::Test {
 protected:
  void SetUp() override {
    desk.windows.addWindow(kWnd, "Notepad", "memo");
    desk.windows.focus(kWnd);
    at(12, 30);
    rec.flashOn = &flashOn;
    desk.log.clear();
  }
  void at(int h, int n, int s = 0, Date d = kDay) { desk.clock.set(d, TimeOfDay{h, n, s}); }
  void put(const SettingKey& key, const std::string& v) { writeText(desk.store, key, v); }
  std::string stored(const SettingKey& key) { return readText(desk.store, key); }
  // The recorded events that start with one of the prefixes.
  std::vector<std::string> events(std::initializer_list<const char*> prefixes) {
    std::vector<std::string> out;
    for (const std::string& line : desk.log.take())
      for (const char* p : prefixes)
        if (line.rfind(p, 0) == 0) out.push_back(line);
    return out;
  }
  int flashes() { return desk.windows.window(kWnd)->flashes; }
  // Runs one whole burst by hand and returns the inversions it made.
  int burst(FlashBurst& burst) {
    const int before = flashes();
    for (int i = 0; i < 1000 && burst.step(kWnd); ++i) {
    }
    return flashes() - before;
  }
  // The signals of the hour at h:00, re-armed first as minute 01 does.
  void signalHour(int h) {
    at(h, 1);
    rig.hourly.check(kWnd);
    at(h, 0);
    rig.hourly.check(kWnd);
  }
  const std::deque<sim::RecordedBox>& boxes() { return desk.toolkit.boxes(); }
  // Expects no box ("") or one: a repair, by its first words (the whole text
  // is the translations check's), or a report naming the tag.
  void expectBox(const std::string& repair, const std::string& kind, const std::string& tag) {
    if (kind.empty()) {
      EXPECT_TRUE(boxes().empty());
      return;
    }
    ASSERT_EQ(boxes().size(), 1u);
    EXPECT_EQ(boxes()[0].title, "エラー - Kivo");
    EXPECT_EQ(boxes()[0].style, 4112);
    if (kind == "repair") EXPECT_EQ(boxes()[0].text.rfind(repair, 0), 0u);
    else EXPECT_NE(boxes()[0].text.find("場所:" + tag + "- Kivo"), std::string::npos);
  }
  void startFlash() {
    flashOn = true;
    boxesBeforeFlash = boxes().size();
  }

  sim::SimDesktop desk;
  Recorder rec{desk};
  bool flashOn = false;
  std::size_t boxesBeforeFlash = 0;
  testing::EngineRig rig{desk, rec, rec, [this] { startFlash(); }};
  FlashBurst flash{desk.windows, desk.store, rig.errors, [] { return Hwnd{0}; }};
};

// The shake's count is read at each hour: n + 1 rounds of four moves; a
// count that is no number is reported under the hourly check's tag and
// shakes nothing.
TEST_F(Signals, ChimeCuckooFileNamesAndShakeRounds) {
  struct Case {
    const char* hato;
    const char* wave;
    int hour, syncs, asyncs;
    const char* count;
    size_t moves;
    const char* box;
  } cases[] = {
      {"1", "C:\\kivo\\pipo.wav", 0, 23, 1, "1", 8, ""},
      {"0", "C:\\kivo\\pipo.Wav", 15, 0, 1, "0", 4, ""},
      {"2", "C:\\kivo\\pipo.wav", 15, 0, 0, "-1", 0, ""},
      {"0", "C:\\kivo\\pipo.mp3", 15, 0, 0, "abc", 0, "report"},
      {"1", "wav", 15, 0, 0, "0", 4, ""},
  };
  put(keys::TimePipo, "1");
  put(keys::TimeFuru, "1");
  for (const Case& c : cases) {
    SCOPED_TRACE(std::string(c.hato) + " " + c.wave + " " + std::to_string(c.hour));
    put(keys::PipoHato, c.hato);
    put(keys::WaveFilePath1, c.wave);
    put(keys::TimeFuruCount, c.count);
    flashOn = false;
    rec.plays.clear();
    desk.toolkit.clearBoxes();
    signalHour(c.hour);
    std::vector<std::uint32_t> want(c.syncs, 131074u), got;
    if (c.asyncs) want.push_back(131075u);
    for (const auto& p : rec.plays) {
      got.push_back(p.flags);
      EXPECT_EQ(p.file, c.wave);
      EXPECT_FALSE(p.flashOn);  // the sound comes first
    }
    EXPECT_EQ(got, want);
    // Whatever the sound did, the flash and the shake follow.
    EXPECT_TRUE(flashOn);
    EXPECT_TRUE(rig.hourly.given());
    EXPECT_EQ(events({"move "}).size(), c.moves);
    expectBox("", c.box, "frmMain!ChkPika");
  }
}

TEST_F(Signals, OncePerHourAndRearmedAfterAMissedMinuteOne) {
  struct Call {
    int h, n, s;
    Date day;
    bool signals;
  } calls[] = {
      {15, 0, 10, kDay, true},
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
    rig.hourly.check(kWnd);
    EXPECT_EQ(flashOn, c.signals);
    flashOn = false;
  }
  // A fresh store gives only the flash.
  EXPECT_TRUE(rec.plays.empty());
  EXPECT_TRUE(events({"move "}).empty());
  EXPECT_TRUE(boxes().empty());
}

TEST_F(Signals, UnreadableSwitchesRunTheirSignals) {
  put(keys::TimePipo, "yes");
  put(keys::WaveFilePath1, "C:\\pipo.wav");
  put(keys::PipoHato, "0");
  put(keys::TimePika, "on");
  put(keys::TimeFuru, "?");
  put(keys::TimeFuruCount, "0");
  at(9, 0, 0);
  rig.hourly.check(kWnd);
  ASSERT_EQ(boxes().size(), 3u);
  for (const auto& b : boxes())
    EXPECT_NE(b.text.find("場所:frmMain!ChkPika- Kivo"), std::string::npos);
  EXPECT_EQ(rec.plays.size(), 1u);
  EXPECT_TRUE(flashOn);
  EXPECT_EQ(events({"move "}).size(), 4u);
}

TEST_F(Signals, FlashBurstLengthAndRepairs) {
  struct Case {
    const char* limit;  // nullptr: not stored
    int inversions;
    const char* box;  // "" none, "repair" or "report"
    const char* after;
  } cases[] = {
      {nullptr, 52, "", "50"},
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
    EXPECT_EQ(burst(flash), c.inversions);
    EXPECT_EQ(flash.count(), 0);
    EXPECT_EQ(stored(keys::FlashLimit), c.after);
    expectBox("レジストリの点滅回数設定", c.box, "frmMain_Load");
  }

  // A program's first burst meeting a limit that is no number runs with the
  // limit it starts with, 0: two inversions.
  FlashBurst fresh{desk.windows, desk.store, rig.errors, [] { return Hwnd{0}; }};
  put(keys::FlashLimit, "abc");
  EXPECT_EQ(burst(fresh), 2);
}

// One round at the default width is the interface scenario's.
TEST_F(Signals, ShakeMovesAroundTheCornerAndEndsHigher) {
  struct Case {
    const char* width;  // nullptr: not stored
    std::int16_t n;
    size_t moves;
    int dx, dy;
    const char* box;
    const char* after;
  } cases[] = {
      {nullptr, 10, 44, 1, 1, "", "20"},       {nullptr, -1, 0, 0, 0, "", "20"},
      {"14", 10, 44, 0, 0, "", "14"},          {"300", 2, 12, 20, 20, "", "300"},
      {"40000", 10, 44, 1, 1, "repair", "20"}, {"abc", 1, 8, 0, 0, "report", "abc"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(std::string(c.width ? c.width : "(none)") + " n=" + std::to_string(c.n));
    if (c.width) put(keys::VibrateWidth, c.width);
    desk.toolkit.clearBoxes();
    auto* w = desk.windows.window(kWnd);
    w->rect = Rect{100, 200, 500, 400};
    w->topmost = true;
    w->visible = false;
    desk.windows.focus(0);
    const size_t rectsBefore = desk.windows.rectQueries().size();
    rig.shake.shake(kWnd, c.n);
    EXPECT_EQ(desk.windows.rectQueries().size(), rectsBefore + 1);  // taken once
    const auto got = events({"move "});
    ASSERT_EQ(got.size(), c.moves);
    if (c.moves) {
      EXPECT_EQ(got[0], "move 100 " + std::to_string(100 + c.dx) + " 200");
      EXPECT_EQ(got[1], "move 100 100 " + std::to_string(200 + c.dy));
      EXPECT_EQ(got[2], "move 100 " + std::to_string(100 - c.dx) + " 200");
      EXPECT_EQ(got[3], "move 100 100 " + std::to_string(200 - c.dy));
      EXPECT_EQ(w->rect.top, 200 - c.dy);  // no move back
      // Shown, activated, and out of the topmost band.
      EXPECT_TRUE(w->visible);
      EXPECT_EQ(desk.windows.getForegroundWindow(), kWnd);
      EXPECT_FALSE(w->topmost);
    }
    EXPECT_EQ(stored(keys::VibrateWidth), c.after);
    expectBox("レジストリの振幅設定", c.box, "frmMain!VibrateWindow");
  }

  // Coordinates that overflow: every "right" move is skipped, one repair box.
  desk.toolkit.clearBoxes();
  put(keys::VibrateWidth, "300");
  desk.windows.window(kWnd)->rect = Rect{INT_MAX, 100, INT_MAX, 400};
  rig.shake.shake(kWnd, 10);
  EXPECT_EQ(events({"move "}).size(), 33u);
  EXPECT_EQ(boxes().size(), 1u);
  EXPECT_EQ(stored(keys::VibrateWidth), "20");

  // Each axis by its own twips per pixel, truncating toward zero.
  desk.toolkit.setScreen(1024, 768, 10, 20);
  put(keys::VibrateWidth, "-25");
  desk.windows.window(kWnd)->rect = Rect{100, 200, 500, 400};
  rig.shake.shake(kWnd, 0);
  EXPECT_EQ(events({"move "}), (std::vector<std::string>{"move 100 98 200", "move 100 100 199",
                                                         "move 100 102 200", "move 100 100 201"}));
}

TEST_F(Signals, AlarmPlaysOrOpensTheFileThenShowsTheBoxThenFlashes) {
  const std::string box = "msgbox 4417 \"Alarm - Kivo\" \"起きて\"";
  struct Case {
    const char* file;
    std::vector<std::string> expected;
  } cases[] = {
      {"", {box}},
      {"C:\\snd\\ring.WAV", {"sound \"C:\\\\snd\\\\ring.WAV\" async", box}},
      {"C:\\bin\\wake.exe", {"open \"C:\\\\bin\\\\wake.exe\"", box}},
  };
  rig.settings.alarm.time = "07:30";
  rig.settings.alarm.message = "起きて";
  for (const Case& c : cases) {
    SCOPED_TRACE(c.file);
    put(keys::WaveFilePath2, c.file);
    flashOn = false;
    desk.toolkit.clearBoxes();
    at(7, 30);
    desk.toolkit.queueAnswer(kIdOk, 1000);
    rig.alarm.check();
    EXPECT_EQ(events({"sound", "open", "msgbox"}), c.expected);
    EXPECT_TRUE(flashOn);
    EXPECT_EQ(boxesBeforeFlash, 1u);  // the flash starts once the box is closed
    EXPECT_FALSE(rig.alarm.snoozing());
  }
  ASSERT_EQ(rec.plays.size(), 1u);
  EXPECT_EQ(rec.plays[0].flags, 131075u);
  EXPECT_EQ(rec.shellCall, "0|open|||1");

  // Without its leading zero the time never matches.
  rig.settings.alarm.time = "7:30";
  rig.alarm.check();
  EXPECT_TRUE(events({"msgbox"}).empty());
}

}  // namespace
}  // namespace kivo
