// The display settings of the standard clock, read from the store.
#include "settings/clock_face.h"

#include "settings/layout.h"

namespace kivo {

ClockFace readClockFace(SettingsStore& store, std::uint8_t style) {
  ClockFace face;
  face.style = style;
  face.hours24 = readEqualsOne(store, keys::Show24h);
  face.seconds = readEqualsOne(store, keys::ShowSecond);
  face.year = readEqualsOne(store, keys::ShowYear);
  // The other styles show no date, so their date flags are never read (a
  // bad one does no harm there).
  if (style == 0 || style == 1) {
    face.date = readEqualsOne(store, keys::ShowDate);
    face.weekday = readEqualsOne(store, keys::ShowDay);
  }
  return face;
}

}  // namespace kivo
