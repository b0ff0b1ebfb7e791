// Tests of the settings dialog and the window-list dialog on a running program.

#include <gtest/gtest.h>

#include <array>
#include <optional>
#include <string>
#include <vector>

#include <memory>

#include "app/error_boxes.h"
#include "platform/sim/sim_desktop.h"
#include "settings/held_store.h"
#include "settings/running_settings.h"
#include "tests/unit/error_of.h"
#include "ui/settings_dialog.h"
#include "ui/window_list_dialog.h"

namespace kivo {
namespace {

// The two dialogs over the settings the program runs with, opened as the
// main window opens them.
class Dialogs : public ::testing::Test {
 protected:
  sim::SimDesktop d;
  HeldSettingsStore held{d.store};
  RunningSettings settings;
  ErrorBoxes errors{d.toolkit};
  WindowContext cx{d.toolkit, d.windows, d.fileDialog, d.program, held, settings, errors};
  std::unique_ptr<SettingsDialog> settingsDialog;
  std::unique_ptr<WindowListDialog> windowListDialog;

  void put(const std::string& key, const std::string& value) {
    d.store.saveSetting("Main", key, value);
  }
  std::string get(const std::string& key) { return d.store.getSetting("Main", key, "<missing>"); }
  // What the opener does before the dialog loads.
  SettingsDialog& openSet() {
    loadAlarmSettings(held, settings);
    settingsDialog = std::make_unique<SettingsDialog>(cx);
    settingsDialog->load();
    return *settingsDialog;
  }
  WindowListDialog& openWSet(const std::vector<std::string>& stored) {
    for (size_t i = 0; i < stored.size(); ++i) put("WindowList" + std::to_string(i), stored[i]);
    loadWindowList(held, settings.windowList);
    windowListDialog = std::make_unique<WindowListDialog>(cx);
    windowListDialog->load();
    return *windowListDialog;
  }
  // The last message box as "style title: text".
  std::string lastBox() {
    if (d.toolkit.boxes().empty()) return "<none>";
    const auto& b = d.toolkit.boxes().back();
    return std::to_string(b.style) + " " + b.title + ": " + b.text;
  }
  // The check boxes (chkShow, then chkEtc), the count, hour and minute, and
  // whether the chime's options are enabled.
  static std::string boxes(const SettingsDialog& f) {
    std::string out;
    for (auto* c : f.displayBoxes) out += std::to_string(c->value());
    out += " ";
    for (auto* c : f.signalBoxes) out += std::to_string(c->value());
    out += " " + f.fields[0]->text() + "|" + f.fields[1]->text() + "|" + f.fields[2]->text();
    return out + (f.browse[0]->enabled() && f.signalBoxes[3]->enabled() ? " on" : " off");
  }
  void tail(WindowListDialog& w, Hwnd h) {
    w.buttons[0]->click();
    d.windows.focus(h);
    d.toolkit.runFor(5250);
  }
};

TEST_F(Dialogs, LoadSetOptionsFillsTheBoxesThroughTheirHandlers) {
  SettingsDialog& f = openSet();
  EXPECT_EQ(boxes(f), "010011 10000 10|| off");
  EXPECT_EQ(f.fields[3]->text(), "時間だよ(^^)");
  EXPECT_EQ(f.defaultButton(), f.buttons[0]);
  EXPECT_EQ(f.cancelButton(), f.buttons[1]);
  // The separator box acts on the running program at once; Cancel puts back
  // what the store holds, OK is what stores it (the alarm box does the same:
  // the settings_live scenario).
  f.displayBoxes[5]->userClick();
  EXPECT_EQ(settings.layout.equalsSeparator, 0);
  f.buttons[1]->click();
  EXPECT_EQ(settings.layout.equalsSeparator, 1);
  EXPECT_EQ(get("EqualSeparate"), "<missing>");

  // Stored time split into hour and minute; "1.0" loads as a ticked box;
  // the stored count is loaded after the shake box, whose handler would
  // offer "10" for an empty one; the custom-template flag disables nothing
  // here (the opener does).
  put("Alarm", "1"), put("AlarmTime", "06:18"), put("TimePipo", "1.0"), put("EqualSeparate", "0");
  put("TimeFuru", "1"), put("TimeFuruCount", "");
  d.store.saveSetting("Plug in", "KivoXX", "1");
  SettingsDialog& g = openSet();
  EXPECT_EQ(boxes(g), "010010 11101 |06|18 on");
  for (int i = 0; i < 6; ++i) EXPECT_TRUE(g.displayBoxes[i]->enabled()) << i;
  g.unload();

  // Alarm on without a stored time: the boxes offer 12:00.
  d.store.deleteSetting("Main", "AlarmTime");
  SettingsDialog& h = openSet();
  EXPECT_EQ(boxes(h), "010010 11101 |12|00 on");
  h.signalBoxes[2]->setValue(2);  // grayed: the chime's options stay as they are
  EXPECT_TRUE(h.browse[0]->enabled());

  h.unload();

  // A value no check box can take is the opener's to report.
  put("ShowDay", "3");
  EXPECT_EQ(testing::errorOf([&] { openSet(); }), 380);
}

// The count is trimmed; the alarm time is kept only as two-digit 24-hour
// text. Both checks run on every OK, the alarm on or off, count first.
TEST_F(Dialogs, OkChecksTheCountAndTheAlarmTime) {
  // Which box by its first words: every text a box shows is pinned whole by
  // the translations check against the English catalog.
  struct Case {
    const char *count, *hour, *minute;
    bool alarm;
    const char *storedCount, *storedTime, *refused;  // refused: "c" count, "t" time
  } cases[] = {
      {" 9", "06", "18", true, "9", "06:18", ""},    {"09", "6", "5", true, "09", "06:05", ""},
      {"10", "23", "59", true, "10", "23:59", ""},   {"7", "0", "00", true, "7", "00:00", ""},
      {"", "06", "18", true, "10", "06:18", "c"},    {"-1", "06", "18", true, "10", "06:18", "c"},
      {"1.5", "06", "18", true, "10", "06:18", "c"}, {"9", "24", "00", true, "9", "12:00", "t"},
      {"9", "12", "60", true, "9", "12:00", "t"},    {"9", " 6", "18", true, "9", "12:00", "t"},
      {"9", "+6", "18", true, "9", "12:00", "t"},    {"9", "1.", "00", true, "9", "12:00", "t"},
      {"9", "", "", false, "9", "12:00", "t"},       {"x", "", "", true, "10", "12:00", "ct"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(std::string(c.count) + " " + c.hour + ":" + c.minute);
    put("Alarm", "0");
    d.toolkit.clearBoxes();
    SettingsDialog& f = openSet();
    f.signalBoxes[1]->setValue(1);
    if (c.alarm) f.signalBoxes[4]->userClick();
    EXPECT_EQ(settings.alarm.on, c.alarm ? 1 : 0);
    f.fields[0]->setText(c.count);
    f.fields[1]->setText(c.hour);
    f.fields[2]->setText(c.minute);
    const Hwnd dialog = f.hwnd();
    f.buttons[0]->click();
    EXPECT_TRUE(f.closed());
    const std::string refused = c.refused;
    EXPECT_EQ(get("TimeFuruCount"), c.storedCount);
    EXPECT_EQ(get("TimeFuru"), refused.find('c') == std::string::npos ? "1" : "0");
    EXPECT_EQ(get("AlarmTime"), c.storedTime);
    EXPECT_EQ(settings.alarm.time, c.storedTime);
    EXPECT_EQ(get("Alarm"), c.alarm && refused.find('t') == std::string::npos ? "1" : "0");
    std::string shown;
    for (const auto& b : d.toolkit.boxes()) {
      EXPECT_EQ(b.owner, dialog);
      EXPECT_EQ(std::to_string(b.style) + " " + b.title, "4144 エラー - Kivo");
      shown += b.text.rfind("ふるふる回数", 0) == 0   ? "c"
               : b.text.rfind("アラーム時刻", 0) == 0 ? "t"
                                                      : "?";
    }
    EXPECT_EQ(shown, refused);
  }
}

// That OK rebuilds the standard template from what it stored is the
// refused_save scenario's (the clock shows seconds after its OK).
TEST_F(Dialogs, OkTakesTheMessageAndLeavesACustomTemplateAlone) {
  settings.companions.customTemplate = 1;
  settings.clockTemplate = "custom";
  SettingsDialog& f = openSet();
  f.fields[3]->setText("起きて");
  f.buttons[0]->click();
  EXPECT_EQ(settings.alarm.message, "起きて");
  EXPECT_EQ(settings.clockTemplate, "custom");
}

TEST_F(Dialogs, BrowseWritesAtOnceOrOffersToSwitchOff) {
  enum Outcome { Chosen, Yes, No };
  for (int index : {0, 1}) {
    for (Outcome outcome : {Chosen, Yes, No}) {
      SCOPED_TRACE(std::to_string(index) + " " + std::to_string(outcome));
      const std::string key = index == 0 ? "WaveFilePath1" : "WaveFilePath2";
      put(key, "C:\\old.wav");
      put("TimePipo", "1");
      d.toolkit.clearBoxes();
      SettingsDialog& f = openSet();
      d.fileDialog.queueAnswer(outcome == Chosen ? std::optional<std::string>("C:\\new.wav")
                                                 : std::nullopt);
      if (outcome != Chosen) d.toolkit.queueAnswer(outcome == Yes ? kIdYes : kIdNo);
      f.browse[index]->click();

      const OpenFileRequest& r = d.fileDialog.lastRequest();
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
      EXPECT_EQ(boxes(f),
                index == 0 && outcome == Yes ? "010011 10000 10|| off" : "010011 10100 10|| on");
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
  openSet().browse[0]->click();
  EXPECT_EQ(d.fileDialog.lastRequest().file, longPath);
  EXPECT_GT(d.fileDialog.lastRequest().maxFile, static_cast<int>(longPath.size()));
  EXPECT_EQ(get("WaveFilePath1"), longPath + "x");
}

// That a class already listed is listed again is EntriesWithoutARowAreFree's.
TEST_F(Dialogs, TailingRegistersTheForegroundClass) {
  d.windows.addWindow(0x500, "Notepad", "memo");
  WindowListDialog& w = openWSet({});
  w.buttons[0]->click();
  EXPECT_EQ(w.windowState(), WindowState::Minimized);
  EXPECT_TRUE(w.tailTimer->enabled());
  d.windows.focus(0x500);
  d.toolkit.runFor(5250);
  EXPECT_FALSE(w.tailTimer->enabled());
  EXPECT_EQ(w.windowState(), WindowState::Normal);
  EXPECT_TRUE(d.windows.window(w.hwnd())->topmost);  // every resize raises it
  EXPECT_EQ(settings.windowList.classes[0], "Notepad");
  EXPECT_EQ(w.list->row(0), "Notepad");
  EXPECT_EQ(lastBox(), "4160 あの子嫌い: 名簿に登録しました");
  EXPECT_EQ(settings.windowList.count, 0);  // only OK counts

  // No window in front: nothing to register.
  tail(w, 0);
  EXPECT_EQ(lastBox(), "4160 あの子嫌い: 失敗しちゃった");
  EXPECT_EQ(w.list->listCount(), 1);
}

TEST_F(Dialogs, RemovalShiftsDownAndOkSavesTheRun) {
  WindowListDialog& w = openWSet({"A", "B", "C"});
  EXPECT_EQ(w.defaultButton(), w.buttons[2]);
  w.buttons[0]->click();
  EXPECT_EQ(w.windowState(), WindowState::Normal);
  EXPECT_FALSE(w.tailTimer->enabled());
  EXPECT_EQ(lastBox(), "4160 あの子嫌い: これ以上嫌いな子をつくっちゃだめよっ");
  w.buttons[1]->click();  // nothing selected
  EXPECT_EQ(w.list->listCount(), 3);
  w.list->setListIndex(0);
  w.buttons[1]->click();
  EXPECT_EQ(settings.windowList.classes, (std::array<std::string, 3>{"B", "C", ""}));
  EXPECT_EQ(w.list->rows(), (std::vector<std::string>{"B", "C"}));
  w.list->setListIndex(1);
  w.buttons[1]->click();
  EXPECT_EQ(settings.windowList.classes, (std::array<std::string, 3>{"B", "", ""}));
  EXPECT_EQ(settings.windowList.count, 3);  // only OK counts
  w.buttons[2]->click();
  EXPECT_TRUE(w.closed());
  EXPECT_EQ(get("WindowList0"), "B");
  EXPECT_EQ(get("WindowList1"), "<missing>");
  EXPECT_EQ(get("WindowList2"), "C");  // past the first free key: never read, never touched
  EXPECT_EQ(settings.windowList.count, 1);

  // The first free key may not exist: it is written before it is removed.
  d.store.deleteSetting("Main", "WindowList0");
  WindowListDialog& e = openWSet({});
  e.buttons[2]->click();
  EXPECT_EQ(get("WindowList0"), "<missing>");
  EXPECT_EQ(settings.windowList.count, 0);
}

// Loading stops at the first free key and leaves later entries as an
// earlier opening left them: such an entry has no row, and must neither be
// saved again nor leave a tail without a free entry.
TEST_F(Dialogs, EntriesWithoutARowAreFree) {
  d.windows.addWindow(0x500, "Notepad", "memo");
  settings.windowList.classes[2] = "Ghost";
  WindowListDialog& w = openWSet({"A"});
  tail(w, 0x500);
  tail(w, 0x500);
  EXPECT_EQ(settings.windowList.classes, (std::array<std::string, 3>{"A", "Notepad", "Notepad"}));
  EXPECT_EQ(w.list->listCount(), 3);
  w.unload();

  // A removal must not shift such an entry into view of the save.
  settings.windowList.classes = {"A", "", "Ghost"};
  WindowListDialog& v = openWSet({});
  tail(v, 0x500);
  v.list->setListIndex(0);
  v.buttons[1]->click();
  v.buttons[2]->click();
  EXPECT_EQ(get("WindowList0"), "Notepad");
  EXPECT_EQ(get("WindowList1"), "<missing>");
  EXPECT_EQ(settings.windowList.count, 1);
}

}  // namespace
}  // namespace kivo
