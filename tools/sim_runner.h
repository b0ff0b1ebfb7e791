#pragma once
// The kivo-sim command runner: a simulated desktop, the program running on
// it, and the script commands that drive both.

#include <cstdint>
#include <iosfwd>
#include <memory>
#include <string>
#include <vector>

#include "app/program.h"
#include "platform/sim/sim_desktop.h"
#include "tools/sim_script.h"
#include "ui/forms.h"

namespace kivo::simscript {

// The desktop's toolkit as one process sees it. Everything goes to the
// shared toolkit but quit(), which ends only this process: a second start
// that ends at once must not stop the timers of the instance it handed over
// to, and a program started again after an Exit must find them running.
// After quit() this process's forms are ended on the shared toolkit (no
// timer of theirs fires, their modal loops are left, their views take no
// input), and its boxes, modal loops and pending messages are skipped here.
class ProcessToolkit : public Toolkit {
 public:
  explicit ProcessToolkit(sim::SimToolkit& base) : base_(base) {}
  int messageBox(Hwnd owner, const std::string& text, const std::string& title,
                 int style) override {
    return quit_ ? 0 : base_.messageBox(owner, text, title, style);
  }
  void doEvents() override {
    if (!quit_) base_.doEvents();
  }
  int screenWidthTwips() override { return base_.screenWidthTwips(); }
  int screenHeightTwips() override { return base_.screenHeightTwips(); }
  int twipsPerPixelX() override { return base_.twipsPerPixelX(); }
  int twipsPerPixelY() override { return base_.twipsPerPixelY(); }
  void attachForm(Form& form) override {
    base_.attachForm(form);
    forms_.push_back(&form);
    if (quit_) base_.endProgram(form);
  }
  void detachForm(Form& form) override {
    std::erase(forms_, &form);
    base_.detachForm(form);
  }
  void formChanged(Form& form, std::uint32_t what) override { base_.formChanged(form, what); }
  void controlChanged(Control& c, std::uint32_t what) override { base_.controlChanged(c, what); }
  void runModal(Form& form, Hwnd owner) override {
    if (!quit_) base_.runModal(form, owner);
  }
  void timerChanged(Timer& timer) override { base_.timerChanged(timer); }
  void quit() override {
    quit_ = true;
    for (Form* form : forms_) base_.endProgram(*form);
  }
  bool quitRequested() const { return quit_; }

 private:
  sim::SimToolkit& base_;
  std::vector<Form*> forms_;  // attached through this process
  bool quit_ = false;
};

// One start of the program: its own answer to "is a previous instance
// running?", its own view of the toolkit, and the program object.
class Process {
 public:
  Process(sim::SimDesktop& desk, bool previousInstance);
  Kivo& app() { return app_; }
  // The program has ended (Exit, or a start that handed over).
  bool over() const { return app_.ended() || toolkit_.quitRequested(); }

 private:
  sim::SimProgramInfo info_;
  ProcessToolkit toolkit_;
  Platform platform_;
  Kivo app_;
};

class Runner {
 public:
  // Reads commands from `in`; `scriptName` names it in error messages;
  // command output goes to `out`.
  Runner(std::istream& in, std::string scriptName, std::ostream& out);
  ~Runner();
  Runner(const Runner&) = delete;
  Runner& operator=(const Runner&) = delete;

  // Runs to the end of the input. Returns 0, or 1 after a script error,
  // whose message (naming the line) goes to `err`.
  int run(std::ostream& err);

  sim::SimDesktop& desktop() { return desk_; }
  // The running program, or nullptr before start and after it has ended.
  Kivo* program() { return main_ ? &main_->app() : nullptr; }

 private:
  using Words = std::vector<std::string>;
  // Reads and runs the next command; false at the end of the input.
  bool step();
  void execute(const Words& w);
  // Discards the program once it has ended (only outside modal loops: its
  // own code is still on the stack there).
  void reap();

  // Argument helpers.
  void arity(const Words& w, std::size_t min, std::size_t max, const char* usage) const;
  Kivo& needProgram(const Words& w);
  Form& liveForm(const std::string& name);
  Control& control(Form& form, const std::string& word);
  // A handle, or the name of a live form standing for its window.
  Hwnd handleOrForm(const std::string& word);
  void checkReachable(Form& form) const;

  // The script commands, each given all the words of its line.
  struct Command {
    const char* name;
    std::size_t minWords, maxWords;  // counting the command's own word
    const char* usage;
    void (Runner::*run)(const Words& w);
  };
  static const Command kCommands[];
  void cmdStore(const Words& w);
  void cmdUnstore(const Words& w);
  void cmdRefuseWrites(const Words& w);
  void cmdGet(const Words& w);
  void cmdClock(const Words& w);
  void cmdWindow(const Words& w);
  void cmdClose(const Words& w);
  void cmdFocus(const Words& w);
  void cmdRetitle(const Words& w);
  void cmdStart(const Words& w);
  void cmdSecond(const Words& w);
  void cmdTick(const Words& w);
  void cmdRun(const Words& w);
  void cmdAnswer(const Words& w);
  void cmdFile(const Words& w);
  void cmdScreen(const Words& w);
  void cmdClick(const Words& w);
  void cmdSet(const Words& w);
  void cmdTitle(const Words& w);
  void cmdValue(const Words& w);
  void cmdPrint(const Words& w);
  void cmdEvents(const Words& w);
  void cmdEcho(const Words& w);
  // Sets the desktop clock; a step back keeps each timer's time left.
  void moveClock(const DateTime& t);

  std::istream& in_;
  std::string name_;
  std::ostream& out_;
  int line_ = 0;
  sim::SimDesktop desk_;
  std::unique_ptr<Process> main_;
  bool ended_ = false;  // a program ran and has ended
};

}  // namespace kivo::simscript
