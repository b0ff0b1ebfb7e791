// Benchmarks of the clock renderer: the standard template, which every tick
// renders, and a long custom template with moon and Japanese codes.
#include <benchmark/benchmark.h>

#include <string>

#include "clocktext/renderer.h"

namespace {

void renderLoop(benchmark::State& state, const std::string& clockTemplate) {
  const kivo::Date date{1998, 12, 5};
  const kivo::TimeOfDay time{15, 5, 7};
  for (auto _ : state) {
    kivo::RenderedClock clock = kivo::renderClock(clockTemplate, date, time);
    benchmark::DoNotOptimize(clock);
  }
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
