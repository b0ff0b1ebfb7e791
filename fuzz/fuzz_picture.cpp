// libFuzzer target for the picture formatter: arbitrary bytes as a picture,
// with a date and time taken from the first bytes.
//
// Byte 0 picks the kind of values: mostly ordinary dates and times, now and
// then stray ones (month 13, negative years, the int limits), since a
// custom template's picture must never fault whatever the caller passes.
// Beyond the sanitizers' checks, a picture that is valid UTF-8 must give
// valid UTF-8: an escape or literal must never cut a character in two.
#include <climits>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string_view>

#include "clocktext/picture.h"

namespace {

constexpr std::size_t kHeader = 7;

bool validUtf8(std::string_view s) {
  std::size_t i = 0;
  while (i < s.size()) {
    const auto b = static_cast<unsigned char>(s[i]);
    std::size_t n = b < 0x80 ? 1 : (b & 0xE0) == 0xC0 ? 2 : (b & 0xF0) == 0xE0 ? 3 : (b & 0xF8) == 0xF0 ? 4 : 0;
    if (n == 0 || (n > 1 && b < 0xC2) || i + n > s.size()) return false;
    for (std::size_t k = 1; k < n; ++k) {
      if ((static_cast<unsigned char>(s[i + k]) & 0xC0) != 0x80) return false;
    }
    i += n;
  }
  return true;
}

int stray(std::uint8_t b) {
  static constexpr int kValues[] = {INT_MIN, INT_MIN + 1, -400, -1, 0, 13, 24, 60, 10000, INT_MAX};
  return kValues[b % (sizeof kValues / sizeof kValues[0])];
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  std::uint8_t h[kHeader] = {};
  const std::size_t used = size < kHeader ? size : kHeader;
  for (std::size_t k = 0; k < used; ++k) h[k] = data[k];

  kivo::Date date;
  kivo::TimeOfDay time;
  if (h[0] % 8 != 0) {
    date = {1860 + (h[1] | (h[2] << 8)) % 240, 1 + h[3] % 12, 1 + h[4] % 28};
    time = {h[5] % 24, h[6] % 60, (h[5] ^ h[6]) % 60};
  } else {
    date = {stray(h[1]), stray(h[2]), stray(h[3])};
    time = {stray(h[4]), stray(h[5]), stray(h[6])};
  }

  const std::string_view picture(reinterpret_cast<const char*>(data) + used, size - used);
  const std::string out = kivo::formatPicture(date, time, picture);
  if (validUtf8(picture) && !validUtf8(out)) std::abort();
  return 0;
}
