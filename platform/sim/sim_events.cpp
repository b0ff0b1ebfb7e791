// Event record of the simulated desktop.
#include "platform/sim/sim_events.h"

namespace kivo::sim {

std::string quote(std::string_view s) {
  std::string out = "\"";
  for (char c : s) {
    switch (c) {
      case '"': out += "\\\""; break;
      case '\\': out += "\\\\"; break;
      case '\0': out += "\\0"; break;
      case '\r': out += "\\r"; break;
      case '\n': out += "\\n"; break;
      default: out += c;
    }
  }
  return out + "\"";
}

std::vector<std::string> EventLog::take() {
  std::vector<std::string> out;
  out.swap(lines_);
  return out;
}

}  // namespace kivo::sim
