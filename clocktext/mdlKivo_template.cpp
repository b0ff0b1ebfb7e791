// The standard clock template, built from the stored display settings.
#include "clocktext/mdlKivo_template.h"

#include "settings/layout.h"

namespace kivo {

std::string MakeClockTemplate(SettingsStore& store, std::uint8_t userTaste) {
  std::string t = readEqualsOne(store, keys::Show24h) ? "%h:nn" : "%tt h:nn";
  if (readEqualsOne(store, keys::ShowSecond)) t += ":ss";
  t += "%";
  if (readEqualsOne(store, keys::ShowYear)) t += ",%yy%";
  if (userTaste == 0) {
    if (readEqualsOne(store, keys::ShowDate)) t += ",%mmm%,%d%";
    if (readEqualsOne(store, keys::ShowDay)) t += ",%ddd%";
  } else if (userTaste == 1) {
    if (readEqualsOne(store, keys::ShowDate)) t += ",%m%/%d%";
    if (readEqualsOne(store, keys::ShowDay)) t += ",%aaa%";
  }
  return t;
}

}  // namespace kivo
