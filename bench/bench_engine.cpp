// Benchmarks of the main tick on the simulated desktop: the steady state
// (same window, same time key: the caption check only) and a foreground
// change on every tick (restore the old window, decorate the new one).
#include <benchmark/benchmark.h>

#include "app/program.h"
#include "platform/sim/sim_desktop.h"
#include "ui/main_window.h"

namespace {

constexpr kivo::Hwnd kFirst = 0x100, kSecond = 0x200;

struct Running {
  kivo::sim::SimDesktop desk;
  kivo::Kivo app{desk.platform};
  Running() {
    desk.clock.set({2024, 5, 6}, {9, 15, 30});
    desk.windows.addWindow(kFirst, "Notepad", "Untitled - Notepad");
    desk.windows.addWindow(kSecond, "Edit", "Editor");
    desk.windows.focus(kFirst);
    app.start();
    tick();  // the first tick decorates: what follows is the steady state
  }
  void tick() { app.main()->tickTimer->fire(); }
};

void BM_TickSteadyState(benchmark::State& state) {
  Running r;
  for (auto _ : state) r.tick();
  // Nothing may be written in the steady state.
  if (r.desk.windows.titleWrites().size() != 1)
    state.SkipWithError("the steady state wrote a caption");
  state.SetItemsProcessed(state.iterations());
}
BENCHMARK(BM_TickSteadyState);

void BM_TickForegroundChange(benchmark::State& state) {
  Running r;
  bool second = false;
  for (auto _ : state) {
    second = !second;
    r.desk.windows.focus(second ? kSecond : kFirst);
    r.tick();
    // The recorder keeps every event line; drop them so its growth is not
    // what is measured.
    r.desk.log.clear();
  }
  // Each change restores one window and decorates the other.
  if (r.desk.windows.titleWrites().size() < 2 * static_cast<std::size_t>(state.iterations())) {
    state.SkipWithError("a foreground change wrote too few captions");
  }
  state.SetItemsProcessed(state.iterations());
}
BENCHMARK(BM_TickForegroundChange);

}  // namespace

BENCHMARK_MAIN();
