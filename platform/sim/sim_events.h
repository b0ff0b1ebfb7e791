#pragma once
// The record of everything the program did to the simulated desktop, one
// event a line in the fixed kivo-sim format.

#include <string>
#include <string_view>
#include <vector>

namespace kivo::sim {

// A text in double quotes with \" \\ \0 \r \n escapes.
std::string quote(std::string_view s);

class EventLog {
 public:
  void add(std::string line) { lines_.push_back(std::move(line)); }
  const std::vector<std::string>& lines() const { return lines_; }
  // Returns the recorded lines and forgets them.
  std::vector<std::string> take();
  void clear() { lines_.clear(); }

 private:
  std::vector<std::string> lines_;
};

}  // namespace kivo::sim
