// Tests of the daily alarm, its file, its settings, and of ticks not nesting
// while a signal or an alarm box holds the tick.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "engine/mdlKivo.h"
#include "engine/program.h"
#include "platform/errors.h"
#include "platform/sim/sim_desktop.h"
#include "settings/layout.h"
#include "ui/frmMain.h"

namespace kivo {
namespace {

constexpr Hwnd kWnd = 100;

// Exact flags and shell arguments; a synchronous stroke takes syncMs of
// simulated time, as a real chime blocks the thread without pumping.
struct RecordingServices : Sound, Shell {
  explicit RecordingServices(sim::SimDesktop& d) : desk(d) {}
  void playSound(const std::string& file, std::uint32_t flags) override {
    flagsSeen.push_back(flags);
    desk.sound.playSound(file, flags);
    if (!(flags & kSndAsync)) desk.clock.advanceMs(syncMs);
  }
  void shellExecute(Hwnd owner, const std::string& verb, const std::string& file,
                    const std::string& params, const std::string& dir, int show) override {
    shellCall =
        std::to_string(owner) + "|" + verb + "|" + params + "|" + dir + "|" + std::to_string(show);
    desk.shell.shellExecute(owner, verb, file, params, dir, show);
  }
  sim::SimDesktop& desk;
  std::vector<std::uint32_t> flagsSeen;
  std::string shellCall;
  std::int64_t syncMs = 0;
};

class AlarmTest : public ::testing::Test {
 protected:
  void SetUp() override {
    desk.windows.addWindow(kWnd, "Notepad", "memo");
    desk.windows.focus(kWnd);
  }
  void startAt(int h, int n, int s = 0) {
    at(h, n, s);
    app.start();
    m = app.main();
    app.s.hActiveWnd = kWnd;
    desk.log.clear();
  }
  void at(int h, int n, int s = 0) { desk.clock.set(Date{2024, 5, 1}, TimeOfDay{h, n, s}); }
  void put(const SettingKey& key, const std::string& v) { writeText(desk.store, key, v); }
  // The alarm's own events: sounds, opened files, boxes.
  std::vector<std::string> events() {
    std::vector<std::string> out;
    for (const std::string& line : desk.log.take())
      if (line.rfind("sound", 0) == 0 || line.rfind("open", 0) == 0 || line.rfind("msgbox", 0) == 0)
        out.push_back(line);
    return out;
  }
  int flashLines() {
    int n = 0;
    for (const std::string& line : desk.log.lines()) n += line.rfind("flash ", 0) == 0;
    return n;
  }

  sim::SimDesktop desk;
  RecordingServices rec{desk};
  Platform platform{desk.windows, rec,        rec,        desk.fileDialog,
                    desk.toolkit, desk.store, desk.clock, desk.program};
  Kivo app{platform};
  frmMain* m = nullptr;
};

TEST_F(AlarmTest, SettingsFromTheStore) {
  startAt(12, 0);
  EXPECT_EQ(app.s.bAlarm, 0);
  EXPECT_EQ(app.s.bEqualSeparate, 1);
  EXPECT_EQ(app.s.strAlarmMessage, "時間だよ(^^)");
  EXPECT_EQ(app.s.strAlarmTime, "");

  put(keys::Alarm, "1");
  put(keys::EqualSeparate, "0");
  put(keys::AlarmMessage, "起きて");
  put(keys::AlarmTime, "06:18");
  LoadAlarmSettings(app);
  EXPECT_EQ(app.s.bAlarm, 1);
  EXPECT_EQ(app.s.bEqualSeparate, 0);
  EXPECT_EQ(app.s.strAlarmMessage, "起きて");
  EXPECT_EQ(app.s.strAlarmTime, "06:18");

  put(keys::Alarm, "x");  // no trap of its own: the caller's trap reports it
  try {
    LoadAlarmSettings(app);
    FAIL();
  } catch (const RuntimeError& e) {
    EXPECT_EQ(e.number(), kErrTypeMismatch);
  }
}

TEST_F(AlarmTest, FileThenBoxThenFlash) {
  const std::string box = "msgbox 4417 \"Alarm - Kivo\" \"起きて\"";
  struct Case {
    const char* file;
    std::vector<std::string> expected;
  } cases[] = {
      {"", {box}},
      {"C:\\snd\\ring.WAV", {"sound \"C:\\\\snd\\\\ring.WAV\" async", box}},
      {"C:\\bin\\wake.exe", {"open \"C:\\\\bin\\\\wake.exe\"", box}},
  };
  startAt(7, 30);
  app.s.strAlarmTime = "07:30";
  app.s.strAlarmMessage = "起きて";
  for (const Case& c : cases) {
    SCOPED_TRACE(c.file);
    put(keys::WaveFilePath2, c.file);
    m->tmrFlash->setEnabled(false);
    // Held open a while: a flash timer enabled before the box would fire.
    desk.toolkit.queueAnswer(kIdOk, 1000);
    m->ChkAlarm();
    EXPECT_EQ(flashLines(), 0);
    EXPECT_EQ(events(), c.expected);
    EXPECT_TRUE(m->tmrFlash->enabled());
    EXPECT_EQ(m->bAlarmRepeat, 0);
    at(7, 30);
  }
  EXPECT_EQ(rec.flagsSeen, std::vector<std::uint32_t>{131075u});
  EXPECT_EQ(rec.shellCall, "0|open|||1");
}

TEST_F(AlarmTest, CancelRepeatsEveryFourthCallUntilOk) {
  startAt(7, 0);
  app.s.strAlarmTime = "07:30";
  for (int answer : {kIdCancel, kIdCancel, kIdCancel, kIdOk}) desk.toolkit.queueAnswer(answer);
  std::vector<int> boxMinutes;
  for (int minute = 29; minute <= 59; ++minute) {
    at(7, minute);
    const size_t before = desk.toolkit.boxes().size();
    m->ChkAlarm();
    if (desk.toolkit.boxes().size() != before) boxMinutes.push_back(minute);
  }
  EXPECT_EQ(boxMinutes, (std::vector<int>{30, 33, 37, 41}));
  EXPECT_EQ(m->bAlarmRepeat, 0);

  // Without its leading zero the time never matches.
  app.s.strAlarmTime = "7:30";
  at(7, 30);
  m->ChkAlarm();
  EXPECT_EQ(desk.toolkit.boxes().size(), 4u);
}

// Through the timers: the hour's cuckoo count and an alarm box held open for
// five minutes both keep the tick running; no tick may start inside them,
// while the flash timer goes on.
TEST_F(AlarmTest, TicksDoNotNestInsideTheCuckooOrTheAlarmBox) {
  put(keys::Alarm, "1");
  put(keys::AlarmTime, "16:00");
  put(keys::TimePipo, "1");
  put(keys::PipoHato, "1");
  put(keys::WaveFilePath1, "pipo.wav");
  rec.syncMs = 2000;
  startAt(15, 59, 58);
  desk.toolkit.queueAnswer(kIdOk, 5 * 60 * 1000);
  desk.toolkit.runFor(7 * 60 * 1000);

  EXPECT_EQ(rec.flagsSeen.size(), 16u);  // struck once, not again by a nested tick
  ASSERT_EQ(desk.toolkit.boxes().size(), 1u);
  EXPECT_EQ(desk.toolkit.boxes()[0].title, "Alarm - Kivo");
  // The hour's burst ran during the hold and ended; the alarm's own burst
  // then started afresh after the box: two whole bursts.
  EXPECT_EQ(desk.windows.window(kWnd)->flashes, 104);
}

}  // namespace
}  // namespace kivo
