// Benchmarks of the clock renderer: the standard template, which every tick
// renders, and a long custom template with moon and Japanese codes.
#include <benchmark/benchmark.h>

#include <string>

#include "clocktext/mdlKivoX.h"
#include "platform/sim/sim_desktop.h"

namespace {

void renderLoop(benchmark::State& state, const std::string& clockTemplate) {
  kivo::sim::SimDesktop desktop;
  desktop.clock.set({1998, 12, 5}, {15, 5, 7});
  std::string timeKey;
  for (auto _ : state) {
    std::string clock = kivo::FromXXFToShowClk(desktop.platform, clockTemplate, timeKey);
    benchmark::DoNotOptimize(clock);
    benchmark::DoNotOptimize(timeKey);
  }
  if (!desktop.toolkit.boxes().empty()) state.SkipWithError("the renderer reported an error");
}

// The default standard template: 24-hour time, month name and day.
void BM_RenderStandard(benchmark::State& state) { renderLoop(state, "%h:nn%,%mmm%,%d%"); }
BENCHMARK(BM_RenderStandard);

// Style 1 with everything on, the longest standard template.
void BM_RenderStandardFull(benchmark::State& state) {
  renderLoop(state, "%tt h:nn:ss%,%yy%,%m%/%d%,%aaa%");
}
BENCHMARK(BM_RenderStandardFull);

// A companion program's template: fifteen codes, literal Japanese text,
// escapes, the moon and the designators.
void BM_RenderLongCustom(benchmark::State& state) {
  renderLoop(state,
             "%yyyy%年%m%月%d%日(%aaa%) %ddd% %mmm% %AM/PM% %tt hh:nn:ss% "
             "%hh%時%nn%分%ss%秒 \\%%a/p% 月齢%o% %r% %ooo% [%yy%/%mm%/%dd%]");
}
BENCHMARK(BM_RenderLongCustom);

}  // namespace

BENCHMARK_MAIN();
