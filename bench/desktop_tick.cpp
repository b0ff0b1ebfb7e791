// The program's steady tick over a real desktop's window system, at the
// 250 ms tick for SECONDS of real time: sway or i3 (the title-format window
// system over their IPC socket, when SWAYSOCK or I3SOCK is set) or X11 (xcb,
// on DISPLAY). The window in front is one bench/desktop-usage.sh opened. The
// forms, settings and sounds are the simulated desktop's, so what is measured
// is the tick and the window system, not a toolkit.
//
//   desktop_tick [SECONDS]
//
// Prints one line: the backend, processor time per minute (user + system,
// scaled from the run), the requests (IPC) or round trips (X11) of all the
// ticks and how many of those ticks changed the minute (each writes the
// clock once), and resident memory at the end.
#include <sys/resource.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <functional>
#include <memory>
#include <string>
#include <thread>

#include "app/program.h"
#include "platform/ipc/ipc_session.h"
#include "platform/sim/sim_desktop.h"
#include "platform/x11/linux_clock.h"
#include "platform/x11/x11_connection.h"
#include "platform/x11/x11_windows.h"
#include "ui/main_window.h"

namespace {

using namespace kivo;

double processorSeconds() {
  rusage u{};
  getrusage(RUSAGE_SELF, &u);
  return u.ru_utime.tv_sec + u.ru_stime.tv_sec + (u.ru_utime.tv_usec + u.ru_stime.tv_usec) / 1e6;
}

std::string residentMemory() {
  std::ifstream status("/proc/self/status");
  std::string line;
  while (std::getline(status, line)) {
    if (line.rfind("VmRSS:", 0) == 0) return line.substr(6);
  }
  return "?";
}

}  // namespace

int main(int argc, char** argv) {
  const int seconds = argc > 1 ? std::atoi(argv[1]) : 20;
  std::string error, backend;
  std::unique_ptr<ipc::IpcSession> session;
  std::unique_ptr<x11::XConnection> x;
  std::unique_ptr<x11::X11WindowSystem> xWindows;
  WindowSystem* windows = nullptr;
  std::function<std::uint64_t()> requests;
  std::function<void()> dispatch = [] {};
  if (const std::string socket = ipc::IpcSession::socketFromEnvironment(); !socket.empty()) {
    session = ipc::IpcSession::open(socket, error);
    if (!session) return std::fprintf(stderr, "desktop_tick: %s\n", error.c_str()), 1;
    backend = session->windows().rules().compositor == ipc::Compositor::kSway ? "sway" : "i3";
    windows = &session->windows();
    requests = [&] { return session->windows().requestCount(); };
    dispatch = [&] { session->dispatch(); };
  } else {
    x = x11::XConnection::open(nullptr, error);
    if (!x) return std::fprintf(stderr, "desktop_tick: %s\n", error.c_str()), 1;
    backend = "x11";
    xWindows = std::make_unique<x11::X11WindowSystem>(*x);
    windows = xWindows.get();
    requests = [&] { return x->roundTrips(); };
    dispatch = [&] { x->dispatch(); };
  }

  sim::SimServices services;
  sim::SimToolkit toolkit{services.log, services.clock, services.windows};
  x11::LinuxClock clock;
  NoDecorationJournal journal;
  Platform real{*windows, services.sound, services.shell, services.fileDialog,
                toolkit,  services.store, clock,          services.program,
                journal};
  Kivo app{real};
  app.start();
  const auto tick = [&] {
    dispatch();
    app.main()->tickTimer->fire();
    services.log.clear();
  };
  tick();  // the first tick decorates: what follows is the steady state

  const auto interval = std::chrono::milliseconds(250);
  const int ticks = seconds * 4;
  const double cpu0 = processorSeconds();
  const std::uint64_t asked0 = requests();
  // The clock text changes once a minute: that tick writes, once.
  int minuteChanges = 0;
  TimeOfDay last = clock.timeOfDay();
  auto next = std::chrono::steady_clock::now();
  for (int i = 0; i < ticks; ++i) {
    next += interval;
    std::this_thread::sleep_until(next);
    tick();
    const TimeOfDay now = clock.timeOfDay();
    if (now.minute != last.minute) ++minuteChanges;
    last = now;
  }
  const double cpu = processorSeconds() - cpu0;
  std::printf(
      "%s: %.3f s processor time per minute at 250 ms; %llu requests in %d ticks, "
      "%d of them minute changes; RSS%s\n",
      backend.c_str(), cpu * 60.0 / seconds, static_cast<unsigned long long>(requests() - asked0),
      ticks, minuteChanges, residentMemory().c_str());
  app.end();
  if (session) session->end();
  return 0;
}
