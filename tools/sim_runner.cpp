// The kivo-sim command runner: reads the script, keeps the program's
// processes, and runs each command against the simulated desktop.
#include "tools/sim_runner.h"

#include <cstdint>
#include <istream>
#include <optional>
#include <ostream>

#include "platform/errors.h"
#include "platform/text.h"
#include "ui/main_window.h"
#include "ui/settings_dialog.h"
#include "ui/window_list_dialog.h"

namespace kivo::simscript {

namespace {

// A run-time error that no trap of the program caught: the program is gone,
// as a classic program ends on an untrapped error. A type of its own so it
// passes the program's traps on its way out of nested modal loops.
struct ProgramCrash {
  int number;
  std::string description;
};

}  // namespace

Process::Process(sim::SimDesktop& desk, bool previousInstance)
    : toolkit_(desk.toolkit),
      platform_{desk.windows, desk.sound, desk.shell, desk.fileDialog, toolkit_,
                desk.store,   desk.clock, info_,      desk.journal},
      app_(platform_) {
  info_.setPreviousInstance(previousInstance);
}

Runner::Runner(std::istream& in, std::string scriptName, std::ostream& out)
    : in_(in), name_(std::move(scriptName)), out_(out) {
  // A dialog opened by a command runs the following commands until it closes.
  desk_.toolkit.modalPump = [this] {
    if (!step()) return false;
    // A program that ended meanwhile takes its dialogs with it.
    return !(main_ && main_->over());
  };
}

Runner::~Runner() {
  desk_.toolkit.modalPump = nullptr;
  // The program's forms go before the desktop they live on.
  main_.reset();
}

int Runner::run(std::ostream& err) {
  for (;;) {
    try {
      if (!step()) break;
    } catch (const ScriptError& e) {
      out_.flush();
      err << name_ << ":" << line_ << ": " << e.what() << "\n";
      return 1;
    } catch (const ProgramCrash& c) {
      // Only here, with no code of the program left on the stack, can it go.
      out_ << "program ended by run-time error " << c.number << ": " << c.description << "\n";
      main_.reset();
      ended_ = true;
    }
    reap();
  }
  out_.flush();
  return 0;
}

bool Runner::step() {
  std::string line;
  for (;;) {
    if (!std::getline(in_, line)) return false;
    ++line_;
    // Editors that mark UTF-8 files put a byte order mark before the first line.
    if (line_ == 1 && line.rfind("\xEF\xBB\xBF", 0) == 0) line.erase(0, 3);
    const Words words = splitLine(line);
    if (words.empty()) continue;
    try {
      execute(words);
    } catch (const RuntimeError& e) {
      throw ProgramCrash{e.number(), e.description()};
    }
    out_.flush();
    return true;
  }
}

void Runner::reap() {
  if (main_ && main_->over() && desk_.toolkit.modalForms().empty()) {
    main_.reset();
    ended_ = true;
  }
}

// Every command: its name, how many words it takes (counting its own) and
// the usage shown otherwise, and the member that runs it.
const Runner::Command Runner::kCommands[] = {
    {"store", 4, 4, "store SECTION KEY VALUE", &Runner::cmdStore},
    {"unstore", 3, 3, "unstore SECTION KEY", &Runner::cmdUnstore},
    {"refuse-writes", 2, 2, "refuse-writes on|off", &Runner::cmdRefuseWrites},
    {"get", 3, 3, "get SECTION KEY", &Runner::cmdGet},
    {"clock", 3, 3, "clock YYYY-MM-DD HH:MM:SS", &Runner::cmdClock},
    {"window", 4, 4, "window HANDLE CLASS TITLE", &Runner::cmdWindow},
    {"close", 2, 2, "close HANDLE", &Runner::cmdClose},
    {"focus", 2, 2, "focus HANDLE", &Runner::cmdFocus},
    {"retitle", 3, 3, "retitle HANDLE TITLE", &Runner::cmdRetitle},
    {"start", 1, 1, "start", &Runner::cmdStart},
    {"second", 1, 1, "second", &Runner::cmdSecond},
    {"tick", 1, 2, "tick [N]", &Runner::cmdTick},
    {"run", 2, 2, "run SECONDS", &Runner::cmdRun},
    {"answer", 2, 3, "answer VALUE [HOLD_SECONDS]", &Runner::cmdAnswer},
    {"file", 2, 2, "file PATH|cancel", &Runner::cmdFile},
    {"screen", 3, 5, "screen WIDTH HEIGHT [TWIPS_X TWIPS_Y]", &Runner::cmdScreen},
    {"click", 3, 3, "click FORM CONTROL[(INDEX)]", &Runner::cmdClick},
    {"set", 4, 4, "set FORM CONTROL[(INDEX)] VALUE", &Runner::cmdSet},
    {"title", 2, 2, "title HANDLE", &Runner::cmdTitle},
    {"value", 2, 3, "value FORM [CONTROL[(INDEX)]]", &Runner::cmdValue},
    {"print", 1, 2, "print [NAME]", &Runner::cmdPrint},
    {"events", 1, 1, "events", &Runner::cmdEvents},
    {"echo", 1, SIZE_MAX, "echo [WORD]...", &Runner::cmdEcho},
};

void Runner::execute(const Words& w) {
  for (const Command& command : kCommands) {
    if (w[0] != command.name) continue;
    arity(w, command.minWords, command.maxWords, command.usage);
    (this->*command.run)(w);
    return;
  }
  throw ScriptError("unknown command \"" + w[0] + "\"");
}

// ---- Commands of a few lines ------------------------------------------------

void Runner::cmdStore(const Words& w) {
  // The script edits the store as another program would: a refusal is
  // for the program's own writes.
  sim::SimStorage& storage = *desk_.store.storage();
  storage.values[{w[1], w[2]}] = w[3];
  ++storage.writes;
}

void Runner::cmdUnstore(const Words& w) {
  sim::SimStorage& storage = *desk_.store.storage();
  if (storage.values.erase({w[1], w[2]}) != 0) ++storage.writes;
}

void Runner::cmdRefuseWrites(const Words& w) {
  if (w[1] != "on" && w[1] != "off") throw ScriptError("usage: refuse-writes on|off");
  desk_.store.refuseWrites(w[1] == "on" ? std::optional<std::string>(sim::kSimRefusal)
                                        : std::nullopt);
}

void Runner::cmdGet(const Words& w) {
  out_ << (desk_.store.has(w[1], w[2]) ? desk_.store.getSetting(w[1], w[2], "") : "<missing>")
       << "\n";
}

void Runner::cmdClock(const Words& w) { moveClock(parseDateTime(w[1], w[2])); }

void Runner::cmdWindow(const Words& w) {
  const Hwnd h = parseHandle(w[1]);
  if (h == 0) throw ScriptError("0 is no window handle");
  if (desk_.windows.exists(h)) throw ScriptError("window " + w[1] + " exists already");
  desk_.windows.addWindow(h, w[2], w[3]);
}

void Runner::cmdFocus(const Words& w) {
  const Hwnd h = handleOrForm(w[1]);
  if (h != 0 && !desk_.windows.exists(h)) throw ScriptError("no window " + w[1]);
  desk_.windows.focus(h);
}

void Runner::cmdRetitle(const Words& w) {
  const Hwnd h = handleOrForm(w[1]);
  if (!desk_.windows.exists(h)) throw ScriptError("no window " + w[1]);
  desk_.windows.retitle(h, w[2]);
}

void Runner::cmdTick(const Words& w) {
  const long long n = w.size() > 1 ? parseInteger(w[1], 0, 1'000'000, "the tick count") : 1;
  Kivo& app = needProgram(w);
  for (long long i = 0; i < n && !main_->over(); ++i) app.main()->tickTimer->fire();
}

void Runner::cmdRun(const Words& w) { desk_.toolkit.runFor(parseSeconds(w[1])); }

void Runner::cmdAnswer(const Words& w) {
  desk_.toolkit.queueAnswer(parseAnswer(w[1]), w.size() > 2 ? parseSeconds(w[2]) : 0);
}

void Runner::cmdFile(const Words& w) {
  if (w[1] == "cancel") {
    desk_.fileDialog.queueAnswer(std::nullopt);
  } else {
    desk_.fileDialog.queueAnswer(w[1]);
  }
}

void Runner::cmdScreen(const Words& w) {
  const auto px = [&](std::size_t i) {
    return static_cast<int>(parseInteger(w[i], 1, 100000, "a screen size"));
  };
  const auto tw = [&](std::size_t i) {
    return w.size() > i ? static_cast<int>(parseInteger(w[i], 1, 1440, "twips per pixel")) : 15;
  };
  desk_.toolkit.setScreen(px(1), px(2), tw(3), tw(4));
}

void Runner::cmdEcho(const Words& w) {
  for (std::size_t i = 1; i < w.size(); ++i) out_ << (i > 1 ? " " : "") << w[i];
  out_ << "\n";
}

// ---- Helpers ------------------------------------------------------------------

void Runner::arity(const Words& w, std::size_t min, std::size_t max, const char* usage) const {
  if (w.size() < min || w.size() > max) throw ScriptError(std::string("usage: ") + usage);
}

Kivo& Runner::needProgram(const Words& w) {
  if (main_) return main_->app();
  if (ended_) throw ScriptError(w[0] + ": the program has ended");
  throw ScriptError(w[0] + " needs a running program: start it first");
}

Form& Runner::liveForm(const std::string& name) {
  Kivo& app = needProgram({name});
  Form* form = nullptr;
  if (name == "frmMain") {
    form = app.main();
  } else if (name == "frmSet") {
    form = app.main()->settingsDialogIfLoaded();
  } else if (name == "frmWSet") {
    form = app.main()->windowListDialogIfLoaded();
  } else {
    throw ScriptError("unknown form \"" + name + "\" (frmMain, frmSet or frmWSet)");
  }
  if (!form || !form->loaded()) throw ScriptError(name + " is not open");
  return *form;
}

Control& Runner::control(Form& form, const std::string& word) {
  const ControlRef ref = parseControlRef(word);
  Control* c = form.find(ref.name, ref.index);
  if (!c) throw ScriptError(form.name() + " has no control " + word);
  return *c;
}

Hwnd Runner::handleOrForm(const std::string& word) {
  if (word.rfind("frm", 0) == 0) {
    const Hwnd h = liveForm(word).hwnd();
    if (h == 0) throw ScriptError(word + " has no window");
    return h;
  }
  return parseHandle(word);
}

void Runner::checkReachable(Form& form) const {
  // The user cannot reach a window behind a modal dialog.
  const auto& modal = desk_.toolkit.modalForms();
  if (!modal.empty() && modal.back() != &form) {
    throw ScriptError(form.name() + " is behind the modal dialog " + modal.back()->name());
  }
}

}  // namespace kivo::simscript
