// kivo_usage.exe: what kivo.exe costs while it keeps the clock in a window
// that stays in front: its processor time per minute at the 250 ms tick,
// and its memory after start-up as GetProcessMemoryInfo reports it.
//
//   kivo_usage.exe [SECONDS]      (default 60: the measured stretch)
//
// Uses the registry key of the prefix it runs in (its settings are reset).
// psapi.h needs windows.h before it.
#include <windows.h>

#include <psapi.h>

#include <cstdio>
#include <cwchar>

#include "tests/wine/e2e.h"

using namespace kivo::e2e;

namespace {

double cpuSeconds(HANDLE process) {
  FILETIME created, exited, kernel, user;
  if (!GetProcessTimes(process, &created, &exited, &kernel, &user)) return -1;
  auto seconds = [](const FILETIME& f) {
    return static_cast<double>((static_cast<unsigned long long>(f.dwHighDateTime) << 32) |
                               f.dwLowDateTime) /
           1e7;
  };
  return seconds(kernel) + seconds(user);
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
  const int seconds = argc > 1 ? _wtoi(argv[1]) : 60;
  if (seconds <= 0) {
    std::fprintf(stderr, "usage: kivo_usage [SECONDS]\n");
    return 2;
  }
  store::reset();
  store::set(L"Main", L"CheckInterval", L"250");
  TestWindow editor(L"KivoUsageEditor", L"Editor");
  KivoProcess kivo;
  if (!editor.frontUntil([&] { return decoratedLeft(editor.text(), L"Editor", L" = "); },
                         kStartUp)) {
    std::fprintf(stderr, "kivo_usage: kivo.exe put no clock into the window\n");
    return 1;
  }

  PROCESS_MEMORY_COUNTERS_EX memory{};
  memory.cb = sizeof memory;
  const bool haveMemory = GetProcessMemoryInfo(
      kivo.process(), reinterpret_cast<PROCESS_MEMORY_COUNTERS*>(&memory), sizeof memory);

  const double cpuBefore = cpuSeconds(kivo.process());
  // bench/kivo-usage.sh reads the same stretch from the Linux side.
  std::printf("measuring for %d s\n", seconds);
  std::fflush(stdout);
  const auto start = SteadyClock::now();
  // The measured stretch: the window stays in front and keeps its title.
  kivo.waitExit(Ms(seconds * 1000));
  const double wall = std::chrono::duration<double>(SteadyClock::now() - start).count();
  const double cpu = cpuSeconds(kivo.process()) - cpuBefore;

  std::printf("kivo.exe, 250 ms tick, one window in front for %.1f s:\n", wall);
  // Wine reports neither figure for another process (0 for both): then
  // only the Linux side's figures of bench/kivo-usage.sh count.
  if (cpu <= 0) {
    std::printf("  processor time: not reported by GetProcessTimes\n");
  } else {
    std::printf("  processor time: %.1f ms per minute (%.3f %% of one core)\n", cpu / wall * 60e3,
                cpu / wall * 100);
  }
  if (haveMemory && memory.PrivateUsage == 0) {
    std::printf(
        "  after start-up: private bytes not reported by GetProcessMemoryInfo, "
        "working set %zu KiB\n",
        memory.WorkingSetSize / 1024);
  } else if (haveMemory) {
    std::printf(
        "  after start-up: private bytes %zu KiB (target: under 4096 KiB), "
        "working set %zu KiB, peak working set %zu KiB\n",
        memory.PrivateUsage / 1024, memory.WorkingSetSize / 1024, memory.PeakWorkingSetSize / 1024);
  } else {
    std::printf("  memory: not reported by GetProcessMemoryInfo (error %lu)\n", GetLastError());
  }

  PostMessageW(kivo.mainWindow(), WM_CLOSE, 0, 0);
  return kivo.waitExit(10s) && editor.text() == L"Editor" ? 0 : 1;
}
