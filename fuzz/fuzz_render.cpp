// libFuzzer target: arbitrary bytes as a clock template, rendered at a date
// and time taken from the first bytes. The renderer must never crash.
#include <cstddef>
#include <cstdint>
#include <string>

#include "clocktext/mdlKivoX.h"
#include "platform/sim/sim_desktop.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  if (size < 6) return 0;
  // Six bytes choose the moment: any year the clock may show, 1 to 9999,
  // and day 1 to 28 so every month holds it.
  const int year = 1 + (data[0] | data[1] << 8) % 9999;
  const kivo::Date date{year, 1 + data[2] % 12, 1 + data[3] % 28};
  const kivo::TimeOfDay time{data[4] % 24, data[5] % 60, (data[4] ^ data[5]) % 60};
  const std::string clockTemplate(reinterpret_cast<const char*>(data + 6), size - 6);

  kivo::sim::SimDesktop desktop;
  desktop.clock.set(date, time);
  std::string timeKey;
  const std::string clock = kivo::FromXXFToShowClk(desktop.platform, clockTemplate, timeKey);
  // Nothing in a template may make the renderer report an error: the only
  // failure it knows is the unclosed code, which it answers with "XXErr".
  if (!desktop.toolkit.boxes().empty()) __builtin_trap();
  if (timeKey.empty()) __builtin_trap();
  return 0;
}
