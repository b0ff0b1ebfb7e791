// kivo-sim: runs the whole program on the simulated desktop from a script.
//
//   kivo-sim [SCRIPT]      reads SCRIPT, or standard input without one
//
// One command a line. A line whose first non-blank character is '#' is a
// comment. Words are separated by blanks; a text with blanks, or an empty
// one, is written in double quotes with the escapes \" \\ \0 \r \n. An
// unquoted word is taken as it stands (C:\x.wav needs no escapes).
//
// The desktop and its store:
//   store SECTION KEY VALUE    write a setting ("Plug in" needs quotes)
//   unstore SECTION KEY        delete a setting (nothing when it is missing)
//   get SECTION KEY            print the setting, or <missing>
//   refuse-writes on|off       the store refuses the program's saves and
//                              deletes (as an unusable settings file does);
//                              store and unstore still edit it
//   clock YYYY-MM-DD HH:MM:SS  set the local date and time. Forward is as
//                              after a sleep: a timer that fell due fires
//                              once at the next run. Back, the timers keep
//                              the time they had left.
//   window HANDLE CLASS TITLE  open a top-level window (handles are chosen
//                              by the script; decimal or 0x hexadecimal)
//   close HANDLE               close a window; for a form's window (or a form
//                              name) it is the close box: the form unloads
//   focus HANDLE               bring a window to the front (0 = none)
//   retitle HANDLE TITLE       a window changes its own title
//   screen W H [TX TY]         screen size in pixels and twips per pixel
//                              (default 1024 768 15 15)
// The program:
//   start                      start it (again, after it has ended)
//   second                     a second start while it runs: a new process
//                              that finds a previous instance and hands over
//   tick [N]                   N main ticks (default 1); the clock stands still
//   run SECONDS                advance the clock (decimals allowed: 5.25),
//                              firing every timer as it falls due
//   answer VALUE [HOLD]        queue the answer of the next message box: a
//                              number or ok/cancel/abort/retry/ignore/yes/no;
//                              HOLD seconds pass (timers fire) while it is
//                              open. Unqueued boxes answer OK at once.
//   file PATH | file cancel    queue the answer of the next open-file dialog;
//                              unqueued dialogs are cancelled
//   click FORM CONTROL[(I)]    a user's click on frmMain, frmSet or frmWSet
//   set FORM CONTROL[(I)] V    as the user would: text box: type V; check
//                              box: 0/1, a click when it shows the other;
//                              option button: 1, a click; list box: select
//                              row V
// Looking:
//   title HANDLE               print `title HANDLE: TEXT`, the caption up to
//                              its first NUL (HANDLE may be a form name);
//                              <no window> for a handle that has none
//   value FORM [CONTROL[(I)]]  print a form's state (shown/hidden, window
//                              state, left and top in twips, caption) or a
//                              control's value, with " disabled" when it is
//   print [NAME]               print the program's state under the names
//                              scripts use (or the one named)
//   events                     print and forget the recorded events, one a
//                              line (settext, sound, open, msgbox, flash,
//                              move, show, foreground, filedialog)
//   echo WORDS...              print the words (a marker for golden files)
//
// A modal dialog opened by a command stays open for the following commands
// until it closes; at the end of the input the system closes it. While it is
// open the forms behind it take no clicks. click, set and close act on the
// simulated desktop's views through the user entry points of the forms: a
// control shown disabled or hidden takes no input, which is lost as on the
// screen.
//
// After Exit the program is gone: commands that need it (tick, click, set,
// value, print, second) are errors until the next start. A run-time error
// that the program does not trap ends it the same way, with a line
// "program ended by run-time error N: DESCRIPTION".
//
// A mistake in the script stops it with "SCRIPT:LINE: message" on standard
// error and exit status 1.
#include <fstream>
#include <iostream>

#include "tools/sim_runner.h"

int main(int argc, char** argv) {
  if (argc > 2 ||
      (argc == 2 && (std::string(argv[1]) == "-h" || std::string(argv[1]) == "--help"))) {
    std::cerr << "usage: kivo-sim [SCRIPT]\n"
                 "Runs the program on the simulated desktop from a script (standard input\n"
                 "without one); see the comment at the top of tools/kivo_sim.cpp.\n";
    return argc > 2 ? 2 : 0;
  }
  if (argc == 2 && std::string(argv[1]) != "-") {
    std::ifstream file(argv[1], std::ios::binary);
    if (!file) {
      std::cerr << "kivo-sim: cannot read " << argv[1] << "\n";
      return 2;
    }
    kivo::simscript::Runner runner(file, argv[1], std::cout);
    return runner.run(std::cerr);
  }
  kivo::simscript::Runner runner(std::cin, "<stdin>", std::cout);
  return runner.run(std::cerr);
}
