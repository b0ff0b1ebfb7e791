#pragma once
// Simulated sound, shell, open-file dialog and program information: each
// records what the program asked for in the event log.

#include <deque>
#include <optional>
#include <string>

#include "platform/platform.h"
#include "platform/sim/sim_events.h"

namespace kivo::sim {

class SimSound : public Sound {
 public:
  explicit SimSound(EventLog& log) : log_(log) {}
  // Records `sound "FILE" sync|async`.
  void playSound(const std::string& file, std::uint32_t flags) override;

 private:
  EventLog& log_;
};

class SimShell : public Shell {
 public:
  explicit SimShell(EventLog& log) : log_(log) {}
  // Records `open "FILE"`.
  void shellExecute(Hwnd owner, const std::string& verb, const std::string& file,
                    const std::string& parameters, const std::string& directory,
                    int showCmd) override;

 private:
  EventLog& log_;
};

class SimFileDialog : public FileDialog {
 public:
  explicit SimFileDialog(EventLog& log) : log_(log) {}
  // Answers the next request with the queued path, or cancels when nothing
  // is queued. Records `filedialog "TITLE" "INITIAL"`.
  bool getOpenFileName(OpenFileRequest& request) override;
  // An empty optional queues a cancel.
  void queueAnswer(std::optional<std::string> path) { answers_.push_back(std::move(path)); }
  const OpenFileRequest& lastRequest() const { return last_; }

 private:
  EventLog& log_;
  std::deque<std::optional<std::string>> answers_;
  OpenFileRequest last_;
};

class SimProgramInfo : public ProgramInfo {
 public:
  bool previousInstance() override { return previous_; }
  void setPreviousInstance(bool running) { previous_ = running; }
  // A Japanese user unless told otherwise: the simulated desktop speaks as
  // the program always has.
  std::string userLanguage() const override { return userLanguage_; }
  void setUserLanguage(std::string language) { userLanguage_ = std::move(language); }
  bool startsAtLogin() const override { return startsAtLogin_; }
  bool setStartAtLogin(bool on) override {
    if (loginEntryRefused) return false;
    startsAtLogin_ = on;
    return true;
  }
  // The desktop refuses to record the start at login.
  bool loginEntryRefused = false;

 private:
  bool previous_ = false;
  std::string userLanguage_ = "ja_JP.UTF-8";
  bool startsAtLogin_ = false;
};

}  // namespace kivo::sim
