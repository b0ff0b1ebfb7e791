// libFuzzer target: arbitrary bytes as a clock template, rendered at a date
// and time taken from its first bytes. The renderer must never crash, and
// its key must be the moment it rendered.
#include <cstddef>
#include <cstdint>
#include <string>

#include "clocktext/renderer.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  // The whole input is the template, so the seeds are plain templates; its
  // first six bytes also choose the moment: any year the clock may show,
  // 1 to 9999, and day 1 to 28 so every month holds it.
  std::uint8_t b[6] = {};
  for (std::size_t i = 0; i < 6 && i < size; ++i) b[i] = data[i];
  const kivo::Date date{1 + (b[0] | b[1] << 8) % 9999, 1 + b[2] % 12, 1 + b[3] % 28};
  const kivo::TimeOfDay time{b[4] % 24, b[5] % 60, (b[4] ^ b[5]) % 60};
  const std::string clockTemplate(reinterpret_cast<const char*>(data), size);

  const kivo::RenderedClock clock = kivo::renderClock(clockTemplate, date, time);
  // The key is the moment's, whatever the template.
  if (clock.key.hour != time.hour || clock.key.minute != time.minute) __builtin_trap();
  if (clock.key.second != -1 && clock.key.second != time.second) __builtin_trap();
  return 0;
}
