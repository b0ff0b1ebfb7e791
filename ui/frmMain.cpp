// The main window's controls, their layout and the wiring of their events.
#include "ui/frmMain.h"

#include "engine/program.h"

namespace kivo {

frmMain::frmMain(Kivo& app)
    // The caption a second start looks for is set only once start-up has
    // made sure no other instance runs, so the new window is never mistaken
    // for the running one.
    : Form(app.p.toolkit, "frmMain", "Kivo", 4992, 3312, BorderStyle::FixedSingle),
      app_(app),
      p_(app.p),
      s_(app.s) {
  // The program's own window carries its icon; the dialogs have none.
  setIcon(kProgramIcon);
  fraMain[0] = &add<Frame>("fraMain", 0, "アクティブウィンドウ検出精度", {120, 120, 3432, 1455});
  optInterval[0] = &add<OptionButton>("optInterval", 0, "Hi    - CPU負担大(&H)",
                                      {180, 300, 2532, 312}, fraMain[0]);
  optInterval[1] =
      &add<OptionButton>("optInterval", 1, "Middle(&M)", {180, 660, 1512, 312}, fraMain[0]);
  optInterval[2] = &add<OptionButton>("optInterval", 2, "Low  - CPU負担小(&L)",
                                      {180, 1020, 2532, 312}, fraMain[0]);
  fraMain[1] = &add<Frame>("fraMain", 1, "ユーザーの好み", {120, 1680, 3432, 1512});
  optTaste[0] = &add<OptionButton>("optTaste", 0, "弱洋風(&A)", {180, 300, 1512, 312}, fraMain[1]);
  optTaste[1] = &add<OptionButton>("optTaste", 1, "一般(&N)", {180, 660, 1512, 312}, fraMain[1]);
  chkRight = &add<CheckBox>("chkRight", -1, "時計は右(&C)", {180, 1080, 1512, 312}, fraMain[1]);
  cmdToSet[0] =
      &add<CommandButton>("cmdToSet", 0, "あの子嫌い(&B)", {1800, 300, 1452, 495}, fraMain[1]);
  cmdToSet[1] = &add<CommandButton>("cmdToSet", 1, "詳細(&S)", {1800, 900, 1452, 495}, fraMain[1]);
  cmdMain[0] = &add<CommandButton>("cmdMain", 0, "OK", {3720, 240, 1152, 495});
  cmdMain[1] = &add<CommandButton>("cmdMain", 1, "Cancel", {3720, 900, 1152, 495});
  cmdMain[2] = &add<CommandButton>("cmdMain", 2, "About(&A)", {3720, 1620, 1152, 495});
  cmdMain[3] = &add<CommandButton>("cmdMain", 3, "Exit(&X)", {3720, 2700, 1152, 495});
  tmrFlash = &add<Timer>("tmrFlash", -1, "", {});
  tmrMain = &add<Timer>("tmrMain", -1, "", {});

  // The initial selections are the window's own state, not clicks: they are
  // made before the handlers are attached.
  optInterval[1]->setValue(true);
  optTaste[0]->setValue(true);
  cmdMain[0]->setDefault(true);
  cmdMain[1]->setCancel(true);
  tmrFlash->setInterval(100);
  tmrFlash->setEnabled(false);
  // The tick runs from the window's creation; the stored interval replaces
  // this one when the options are loaded.
  tmrMain->setInterval(300);
  tmrMain->setEnabled(true);

  for (int i = 0; i < static_cast<int>(optInterval.size()); ++i) {
    optInterval[i]->onClick = [this, i] { optInterval_Click(i); };
  }
  chkRight->onClick = [this] { chkRight_Click(); };
  for (int i = 0; i < static_cast<int>(cmdToSet.size()); ++i) {
    cmdToSet[i]->onClick = [this, i] { cmdToSet_Click(i); };
  }
  for (int i = 0; i < static_cast<int>(cmdMain.size()); ++i) {
    cmdMain[i]->onClick = [this, i] { cmdMain_Click(i); };
  }
  tmrFlash->onTimer = [this] { tmrFlash_Timer(); };
  tmrMain->onTimer = [this] { tmrMain_Timer(); };
}

}  // namespace kivo
