#pragma once
// The previous-instance question on X11, and the hand-over a second start
// makes to the running instance.
//
// The running instance owns the selection KIVO_S<screen> through a small
// unmapped owner window; the X server frees it when that window's client
// ends, however it ends, so a dead instance never stops a new start. The
// owner window carries the instance's windows (_KIVO_WINDOWS, type WINDOW),
// and takes a second start's show and raise requests for them as client
// messages (_KIVO_REQUEST), carried out through the toolkit
// (LocalWindows): one client cannot properly show another client's hidden
// window.

#include <xcb/xcb.h>

#include <cstdint>
#include <functional>

#include "platform/platform.h"
#include "platform/x11/local_windows.h"
#include "platform/x11/x11_connection.h"

namespace kivo::x11 {

// The first word of a _KIVO_REQUEST message; the second is the window, the
// third the show command.
inline constexpr std::uint32_t kRequestShow = 1;
inline constexpr std::uint32_t kRequestRaise = 2;

class X11ProgramInfo : public ProgramInfo {
 public:
  // Takes the selection unless another live client holds it already.
  explicit X11ProgramInfo(XConnection& x);
  ~X11ProgramInfo() override;
  X11ProgramInfo(const X11ProgramInfo&) = delete;
  X11ProgramInfo& operator=(const X11ProgramInfo&) = delete;

  // True when another instance held the selection when this one started.
  bool previousInstance() override { return previous_; }
  // The language of the user's messages, as the environment names it:
  // LANGUAGE's first entry, else LC_ALL, LC_MESSAGES, LANG.
  std::string userLanguage() const override;
  // The user's autostart entry (autostart.h), starting this program file.
  bool startsAtLogin() const override;
  bool setStartAtLogin(bool on) override;

  // The windows to advertise and to carry requests out on (nullptr: none).
  void setLocalWindows(LocalWindows* local);
  // Writes the current list of own windows onto the owner window; called
  // again whenever forms are attached or detached.
  void advertise();

  // Called once when another client takes the selection from this
  // instance: the program ends then, giving back the title it wrote.
  std::function<void()> onSelectionLost;

  // True while this instance holds the selection.
  bool ownsSelection() const { return owning_; }
  xcb_window_t ownerWindow() const { return owner_; }

 private:
  // Asks for the selection and decides previousInstance().
  void takeSelection();
  void handle(const xcb_generic_event_t& event);
  void answerSelectionRequest(const xcb_selection_request_event_t& request);

  XConnection& x_;
  LocalWindows* local_ = nullptr;
  xcb_window_t owner_ = 0;
  xcb_timestamp_t acquired_ = XCB_CURRENT_TIME;
  bool previous_ = false;
  bool owning_ = false;
  int handlerId_ = 0;
};

}  // namespace kivo::x11
