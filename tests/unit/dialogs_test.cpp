// Tests of the settings dialog and the window-list dialog on a running program.

#include <gtest/gtest.h>

#include <array>
#include <optional>
#include <string>
#include <vector>

#include "clocktext/mdlKivo_template.h"
#include "engine/mdlKivo.h"
#include "engine/program.h"
#include "platform/errors.h"
#include "platform/sim/sim_desktop.h"
#include "settings/frmSet.h"
#include "settings/frmWSet.h"

namespace kivo {
namespace {

// Passes everything to the simulated store and remembers the keys written.
class RecordingStore : public SettingsStore {
 public:
  explicit RecordingStore(SettingsStore& inner) : inner_(inner) {}
  std::string getSetting(const std::string& s, const std::string& k,
                         const std::string& d) override {
    return inner_.getSetting(s, k, d);
  }
  void saveSetting(const std::string& s, const std::string& k, const std::string& v) override {
    written.push_back(k);
    inner_.saveSetting(s, k, v);
  }
  void deleteSetting(const std::string& s, const std::string& k) override {
    inner_.deleteSetting(s, k);
  }
  std::vector<std::string> written;

 private:
  SettingsStore& inner_;
};

class Dialogs : public ::testing::Test {
 protected:
  sim::SimDesktop d;
  RecordingStore store{d.store};
  Platform platform{d.windows, d.sound, d.shell, d.fileDialog,
                    d.toolkit, store,   d.clock, d.program};
  Kivo app{platform};

  void put(const std::string& key, const std::string& value) {
    d.store.saveSetting("Main", key, value);
  }
  std::string get(const std::string& key) { return d.store.getSetting("Main", key, "<missing>"); }
  // What the opener does before the dialog loads.
  frmSet& openSet() {
    LoadAlarmSettings(app);
    return app.set();
  }
  frmWSet& openWSet(const std::vector<std::string>& stored) {
    for (size_t i = 0; i < stored.size(); ++i) put("WindowList" + std::to_string(i), stored[i]);
    LoadWindowList(app);
    return app.wset();
  }
  // The last message box as "style title: text".
  std::string lastBox() {
    if (d.toolkit.boxes().empty()) return "<none>";
    const auto& b = d.toolkit.boxes().back();
    return std::to_string(b.style) + " " + b.title + ": " + b.text;
  }
  // The check boxes (chkShow, then chkEtc), the count, hour and minute, and
  // whether the chime's options are enabled.
  static std::string boxes(const frmSet& f) {
    std::string out;
    for (auto* c : f.chkShow) out += std::to_string(c->value());
    out += " ";
    for (auto* c : f.chkEtc) out += std::to_string(c->value());
    out += " " + f.txtEtc[0]->text() + "|" + f.txtEtc[1]->text() + "|" + f.txtEtc[2]->text();
    return out + (f.cmdWavSet[0]->enabled() && f.chkEtc[3]->enabled() ? " on" : " off");
  }
  void tail(frmWSet& w, Hwnd h) {
    w.cmdWSet[0]->click();
    d.windows.focus(h);
    d.toolkit.runFor(5250);
  }
  void okWithValidTime(frmSet& f) {
    f.txtEtc[1]->setText("06");
    f.txtEtc[2]->setText("18");
    f.cmdSet[0]->click();
  }
};

TEST_F(Dialogs, LoadSetOptionsFillsTheBoxesThroughTheirHandlers) {
  app.start();
  frmSet& f = openSet();
  EXPECT_EQ(boxes(f), "010011 10000 10|| off");
  EXPECT_EQ(f.txtEtc[3]->text(), "時間だよ(^^)");
  EXPECT_EQ(f.tabOrder().size(), 25u);
  f.unload();

  // Stored time split into hour and minute; "1.0" loads as a ticked box;
  // the custom-template flag disables nothing here (the opener does).
  put("Alarm", "1"), put("AlarmTime", "06:18"), put("TimePipo", "1.0"), put("EqualSeparate", "0");
  d.store.saveSetting("Plug in", "KivoXX", "1");
  frmSet& g = openSet();
  EXPECT_EQ(boxes(g), "010010 10101 10|06|18 on");
  for (int i = 0; i < 6; ++i) EXPECT_TRUE(g.chkShow[i]->enabled()) << i;
  g.unload();

  // Alarm on without a stored time: the boxes offer 12:00.
  d.store.deleteSetting("Main", "AlarmTime");
  frmSet& h = openSet();
  EXPECT_EQ(boxes(h), "010010 10101 10|12|00 on");

  // A value no check box can take is the opener's to report.
  put("ShowDay", "3");
  try {
    h.LoadSetOptions();
    ADD_FAILURE() << "no error";
  } catch (const RuntimeError& e) {
    EXPECT_EQ(e.number(), 380);
  }
}

TEST_F(Dialogs, ShakeCountIsTrimmedAndCheckedAtOk) {
  app.start();
  struct Case {
    const char* typed;
    const char* stored;
    bool accepted;
  };
  for (const Case& c : {Case{" 9", "9", true}, Case{"09", "09", true}, Case{"10", "10", true},
                        Case{"", "10", false}, Case{"-1", "10", false}, Case{"1.5", "10", false}}) {
    d.toolkit.clearBoxes();
    frmSet& f = openSet();
    f.chkEtc[1]->setValue(1);
    f.txtEtc[0]->setText(c.typed);
    okWithValidTime(f);
    EXPECT_TRUE(f.closed());
    EXPECT_EQ(get("TimeFuruCount"), c.stored) << c.typed;
    EXPECT_EQ(get("TimeFuru"), c.accepted ? "1" : "0") << c.typed;
    EXPECT_EQ(lastBox(), c.accepted ? "<none>"
                                    : "4144 エラー - Kivo: ふるふる回数が正常に設定されていません。"
                                      "ふるふるをOFFにします。\r\n\r\n"
                                      "<Hint!> 回数は整数（例 9）で設定しましたか?")
        << c.typed;
  }
}

TEST_F(Dialogs, AlarmTimeIsStoredAsTwoDigitsOrRefused) {
  app.start();
  struct Case {
    const char *hour, *minute, *stored;
  };
  const std::string refused = "12:00";
  for (const Case& c :
       {Case{"06", "18", "06:18"}, Case{"6", "5", "06:05"}, Case{"23", "59", "23:59"},
        Case{"0", "00", "00:00"}, Case{"24", "00", "12:00"}, Case{"12", "60", "12:00"},
        Case{"", "", "12:00"}, Case{" 6", "18", "12:00"}, Case{"+6", "18", "12:00"},
        Case{"1.", "00", "12:00"}}) {
    d.toolkit.clearBoxes();
    frmSet& f = openSet();
    f.chkEtc[4]->userClick();
    EXPECT_EQ(app.s.bAlarm, 1);
    f.txtEtc[1]->setText(c.hour);
    f.txtEtc[2]->setText(c.minute);
    f.cmdSet[0]->click();
    const bool ok = c.stored != refused;
    SCOPED_TRACE(std::string(c.hour) + ":" + c.minute);
    EXPECT_EQ(get("AlarmTime"), c.stored);
    EXPECT_EQ(app.s.strAlarmTime, c.stored);
    EXPECT_EQ(get("Alarm"), ok ? "1" : "0");
    EXPECT_EQ(lastBox(), ok ? "<none>"
                            : "4144 エラー - Kivo: アラーム時刻が正常に設定されていません。"
                              "アラームをOFFにします。\r\n\r\n"
                              "<Hint!> 時刻は 24h制 の 数字2桁（例 06:18）で設定しましたか?");
    put("Alarm", "0");
  }
}

TEST_F(Dialogs, OkWritesInOrderAndRebuildsTheStandardTemplateOnly) {
  app.start();
  put("UserTaste", "1");
  frmSet& f = openSet();
  f.chkShow[0]->userClick();
  f.txtEtc[3]->setText("起きて");
  store.written.clear();
  okWithValidTime(f);
  EXPECT_EQ(store.written, (std::vector<std::string>{
                               "24h", "Alarm", "EqualSeparate", "ShowDate", "ShowDay", "ShowSecond",
                               "ShowYear", "TimePika", "TimeFuru", "TimeFuruCount", "TimePipo",
                               "PipoHato", "AlarmTime", "AlarmMessage"}));
  EXPECT_EQ(app.s.strAlarmMessage, "起きて");
  EXPECT_EQ(app.s.strClockTemplate, MakeClockTemplate(d.store, 1));

  app.s.PlugInFlags.KivoXX = 1;
  app.s.strClockTemplate = "custom";
  okWithValidTime(openSet());
  EXPECT_EQ(app.s.strClockTemplate, "custom");
}

TEST_F(Dialogs, CancelPutsTheImmediateBoxesBackAndWritesNothing) {
  app.start();
  frmSet& f = openSet();
  f.chkEtc[4]->userClick();
  f.chkShow[5]->userClick();
  EXPECT_EQ(app.s.bAlarm, 1);  // the engine sees both at once
  EXPECT_EQ(app.s.bEqualSeparate, 0);
  const int writes = d.store.writes();
  f.cmdSet[1]->click();
  EXPECT_TRUE(f.closed());
  EXPECT_EQ(app.s.bAlarm, 0);
  EXPECT_EQ(app.s.bEqualSeparate, 1);
  EXPECT_EQ(d.store.writes(), writes);
}

TEST_F(Dialogs, BrowseWritesAtOnceOrOffersToSwitchOff) {
  app.start();
  enum Outcome { Chosen, Yes, No };
  for (int index : {0, 1}) {
    for (Outcome outcome : {Chosen, Yes, No}) {
      const std::string key = index == 0 ? "WaveFilePath1" : "WaveFilePath2";
      put(key, "C:\\old.wav");
      put("TimePipo", "1");
      d.toolkit.clearBoxes();
      frmSet& f = openSet();
      d.fileDialog.queueAnswer(outcome == Chosen ? std::optional<std::string>("C:\\new.wav")
                                                 : std::nullopt);
      if (outcome != Chosen) d.toolkit.queueAnswer(outcome == Yes ? kIdYes : kIdNo);
      f.cmdWavSet[index]->click();

      const OpenFileRequest& r = d.fileDialog.lastRequest();
      EXPECT_EQ(r.structSize, 76u);
      EXPECT_EQ(r.owner, f.hwnd());
      EXPECT_EQ(r.file, "C:\\old.wav");
      EXPECT_EQ(r.maxFile, 255);
      EXPECT_EQ(r.flags, 4100u);
      EXPECT_EQ(r.title, index == 0 ? "ファイルの参照 - ぴぽんと" : "ファイルの参照 - Call Me");
      std::vector<std::pair<std::string, std::string>> filters{{"WaveFile (*.wav)", "*.WAV"}};
      if (index == 1) filters.push_back({"ExecutableFile", "*.exe;*.com;*.bat;*.cmd;*.lnk"});
      EXPECT_EQ(r.filters, filters);

      const bool emptied = index == 1 && outcome == Yes;
      EXPECT_EQ(get(key), outcome == Chosen ? "C:\\new.wav" : emptied ? "" : "C:\\old.wav");
      EXPECT_EQ(f.chkEtc[2]->value(), index == 0 && outcome == Yes ? 0 : 1);
      EXPECT_EQ(get("TimePipo"), "1");  // the chime box reaches the store at OK only
      EXPECT_EQ(lastBox(),
                outcome == Chosen ? "<none>" : "260 ぴぽんと: ぴぽんとを OFF にしますか?");
      f.unload();
    }
  }

  // A path longer than the classic buffer is offered and kept whole.
  const std::string longPath = "C:\\" + std::string(300, 'a') + ".wav";
  put("WaveFilePath1", longPath);
  d.fileDialog.queueAnswer(longPath + "x");
  openSet().cmdWavSet[0]->click();
  EXPECT_EQ(d.fileDialog.lastRequest().file, longPath);
  EXPECT_GT(d.fileDialog.lastRequest().maxFile, static_cast<int>(longPath.size()));
  EXPECT_EQ(get("WaveFilePath1"), longPath + "x");
}

TEST_F(Dialogs, TailingRegistersTheForegroundClass) {
  app.start();
  d.windows.addWindow(0x500, "Notepad", "memo");
  frmWSet& w = openWSet({});
  for (int round = 0; round < 2; ++round) {  // the same class twice is listed twice
    d.toolkit.clearBoxes();
    w.cmdWSet[0]->click();
    EXPECT_EQ(w.windowState(), WindowState::Minimized);
    EXPECT_TRUE(w.tmrWSet->enabled());
    d.windows.focus(0x500);
    d.toolkit.runFor(5250);
    EXPECT_FALSE(w.tmrWSet->enabled());
    EXPECT_EQ(w.windowState(), WindowState::Normal);
    EXPECT_EQ(app.s.strWindowList[round], "Notepad");
    EXPECT_EQ(w.lstWSet->row(round), "Notepad");
    EXPECT_EQ(lastBox(), "4160 あの子嫌い: 名簿に登録しました");
  }
  EXPECT_EQ(app.s.bytWListCount, 0);  // only OK counts

  // No window in front: nothing to register.
  tail(w, 0);
  EXPECT_EQ(lastBox(), "4160 あの子嫌い: 失敗しちゃった");
  EXPECT_EQ(w.lstWSet->listCount(), 2);
}

TEST_F(Dialogs, FullListRefusesTailingAndRemovalShiftsDown) {
  app.start();
  frmWSet& w = openWSet({"A", "B", "C"});
  w.cmdWSet[0]->click();
  EXPECT_EQ(w.windowState(), WindowState::Normal);
  EXPECT_FALSE(w.tmrWSet->enabled());
  EXPECT_EQ(lastBox(), "4160 あの子嫌い: これ以上嫌いな子をつくっちゃだめよっ");
  w.cmdWSet[1]->click();  // nothing selected
  EXPECT_EQ(w.lstWSet->listCount(), 3);
  w.lstWSet->setListIndex(0);
  w.cmdWSet[1]->click();
  EXPECT_EQ(app.s.strWindowList, (std::array<std::string, 3>{"B", "C", ""}));
  EXPECT_EQ(w.lstWSet->rows(), (std::vector<std::string>{"B", "C"}));
  w.lstWSet->setListIndex(1);
  w.cmdWSet[1]->click();
  EXPECT_EQ(app.s.strWindowList, (std::array<std::string, 3>{"B", "", ""}));
  EXPECT_EQ(app.s.bytWListCount, 3);  // only OK counts
}

TEST_F(Dialogs, OkSavesTheRunAndRemovesTheFirstFreeKey) {
  app.start();
  frmWSet& w = openWSet({"A", "B", "C"});
  w.lstWSet->setListIndex(2);
  w.cmdWSet[1]->click();
  w.lstWSet->setListIndex(1);
  w.cmdWSet[1]->click();
  w.cmdWSet[2]->click();
  EXPECT_TRUE(w.closed());
  EXPECT_EQ(get("WindowList0"), "A");
  EXPECT_EQ(get("WindowList1"), "<missing>");
  EXPECT_EQ(get("WindowList2"), "C");  // past the first free key: never read, never touched
  EXPECT_EQ(app.s.bytWListCount, 1);

  frmWSet& e = openWSet({});
  e.lstWSet->setListIndex(0);
  e.cmdWSet[1]->click();
  e.cmdWSet[2]->click();
  EXPECT_EQ(get("WindowList0"), "<missing>");
  EXPECT_EQ(app.s.bytWListCount, 0);
}

// Loading stops at the first free key and leaves later entries as an
// earlier opening left them: such an entry has no row, and must neither be
// saved again nor leave a tail without a free entry.
TEST_F(Dialogs, EntriesWithoutARowAreFree) {
  app.start();
  d.windows.addWindow(0x500, "Notepad", "memo");
  app.s.strWindowList[2] = "Ghost";
  frmWSet& w = openWSet({"A"});
  tail(w, 0x500);
  tail(w, 0x500);
  EXPECT_EQ(app.s.strWindowList, (std::array<std::string, 3>{"A", "Notepad", "Notepad"}));
  EXPECT_EQ(w.lstWSet->listCount(), 3);
  w.unload();

  // A removal must not shift such an entry into view of the save.
  app.s.strWindowList = {"A", "", "Ghost"};
  frmWSet& v = openWSet({});
  tail(v, 0x500);
  v.lstWSet->setListIndex(0);
  v.cmdWSet[1]->click();
  v.cmdWSet[2]->click();
  EXPECT_EQ(get("WindowList0"), "Notepad");
  EXPECT_EQ(get("WindowList1"), "<missing>");
  EXPECT_EQ(app.s.bytWListCount, 1);
}

}  // namespace
}  // namespace kivo
