// The template of the standard clock.
#include "clocktext/standard_template.h"

namespace kivo {

std::string standardClockTemplate(const ClockFace& face) {
  std::string t = face.hours24 ? "%h:nn" : "%tt h:nn";
  if (face.seconds) t += ":ss";
  t += "%";
  if (face.year) t += ",%yy%";
  if (face.style == 0) {
    if (face.date) t += ",%mmm%,%d%";
    if (face.weekday) t += ",%ddd%";
  } else if (face.style == 1) {
    if (face.date) t += ",%m%/%d%";
    if (face.weekday) t += ",%aaa%";
  }
  return t;
}

}  // namespace kivo
