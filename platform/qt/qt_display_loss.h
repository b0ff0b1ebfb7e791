#pragma once
// When the X server goes away, Kivo's last words are its own: one line,
// "kivo: lost the X display :N", on stderr, and exit status 1, whichever
// connection notices first (Qt's, which would otherwise have the last
// word, or one of Kivo's own).

#include <string>

namespace kivo::qt {

// From now on Qt's report of its broken X connection is replaced by
// Kivo's line (Qt then ends the program with status 1 itself); Qt's other
// messages go where they went before.
void reportDisplayLossAsKivo(const std::string& displayName);

// Says Kivo's line (once, however often it is called) and ends the program
// with status 1: nothing can be given back on a display that has gone.
[[noreturn]] void endOnLostDisplay(const std::string& displayName);

}  // namespace kivo::qt
