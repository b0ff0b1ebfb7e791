// The toolkit's promises about timers and message boxes: interval changes
// and disabling take effect, a handler never nests even inside a box,
// doEvents runs a due timer, and a box returns the button pressed.
//
// A second, fast reference timer is the clock of these cases: what the
// subject timer did is judged against how often the reference fired, never
// against a sleep, so the same cases hold on simulated and real time.
#include <algorithm>

#include "tests/contract/contract.h"
#include "tests/contract/toolkit_contract.h"

namespace kivo::contract {
namespace {

constexpr int kReferenceMs = 20;

// The subject timer is `a`, the reference `b`; the form's view is made by
// the backend's toolkit.
struct TimerForm : TimersForm {
  TimerForm() : TimersForm(backend().toolkit(), "frmContract") { load(); }
  // Processes events until the reference has fired n more times.
  bool referenceFiresMore(int n) {
    const int until = bFires + n;
    return backend().pumpUntil([&] { return bFires >= until; }, kDeadline);
  }
  bool subjectFiresAtLeast(int n) {
    return backend().pumpUntil([&] { return aFires >= n; }, kDeadline);
  }
};

TEST(TimersContract, AnIntervalChangeTakesEffectAndRestartsTheCount) {
  TimerForm f;
  TimersForm::start(*f.b, kReferenceMs);
  TimersForm::start(*f.a, 65535);  // far beyond the deadline

  // Shorter: it fires.
  f.a->setInterval(2 * kReferenceMs);
  EXPECT_TRUE(f.subjectFiresAtLeast(3));

  // Longer: the old interval would fire a dozen times meanwhile.
  f.a->setInterval(65535);
  int before = f.aFires;
  EXPECT_TRUE(f.referenceFiresMore(25));
  EXPECT_EQ(f.aFires, before);

  // A change restarts the count: changed at every reference firing, a
  // subject never comes due, though 80 firings are longer than its interval.
  const int slow = 50 * kReferenceMs;
  f.a->setInterval(slow);
  f.onB = [&] { f.a->setInterval(f.a->interval() == slow ? slow + 1 : slow); };
  before = f.aFires;
  EXPECT_TRUE(f.referenceFiresMore(80));
  EXPECT_EQ(f.aFires, before);
}

TEST(TimersContract, ADisabledTimerNeverFiresAndDoEventsRunsADueOneOnce) {
  TimerForm f;
  TimersForm::start(*f.b, kReferenceMs);
  // Disabled from inside its own handler, as the one-shot timers do: no
  // firing already on its way may still arrive.
  f.onA = [&] {
    if (f.aFires == 2) f.a->setEnabled(false);
  };
  TimersForm::start(*f.a, 2 * kReferenceMs);
  EXPECT_TRUE(f.subjectFiresAtLeast(2));
  EXPECT_TRUE(f.referenceFiresMore(25));
  EXPECT_EQ(f.aFires, 2);

  // Enabled again it runs; disabled from outside it stops.
  f.onA = nullptr;
  f.a->setEnabled(true);
  EXPECT_TRUE(f.subjectFiresAtLeast(3));
  f.a->setEnabled(false);
  const int before = f.aFires;
  EXPECT_TRUE(f.referenceFiresMore(25));
  EXPECT_EQ(f.aFires, before);

  // Started again, three intervals pass with nothing processed; then one
  // doEvents runs the due timer, once: missed firings do not pile up.
  TimersForm::start(*f.a, 60);
  backend().letTimePass(milliseconds(200));
  backend().toolkit().doEvents();
  EXPECT_EQ(f.aFires, before + 1);
}

TEST(TimersContract, AHandlerNeverNestsInABoxOrInDoEvents) {
  TimerForm f;
  int depth = 0, maxDepth = 0, answer = 0;
  int referenceInBox = -1, subjectInBox = -1, referenceInEvents = -1, subjectInEvents = -1;
  f.onA = [&] {
    maxDepth = std::max(maxDepth, ++depth);
    const int reference0 = f.bFires, subject0 = f.aFires;
    if (f.aFires == 1) {
      // A box held for twenty of its intervals: the other timers go on, and
      // its own firings that fall due meanwhile are dropped.
      answer = f.toolkit().messageBox(f.hwnd(), "Kivo contract: a box held open", "Kivo contract",
                                      kMbOkOnly | kMbIconInformation | kMbSystemModal);
      referenceInBox = f.bFires - reference0;
      subjectInBox = f.aFires - subject0;
    } else if (f.aFires == 2) {
      // The cuckoo count's way: an interval passes (a chime played to its
      // end), then the pending messages are processed; and again.
      for (int i = 0; i < 500 && f.bFires < reference0 + 5; ++i) {
        backend().letTimePass(milliseconds(50));
        f.toolkit().doEvents();
      }
      referenceInEvents = f.bFires - reference0;
      subjectInEvents = f.aFires - subject0;
    }
    --depth;
  };
  backend().answerNextBox(kIdOk, milliseconds(20 * 50));
  TimersForm::start(*f.b, kReferenceMs);
  TimersForm::start(*f.a, 50);
  EXPECT_TRUE(f.subjectFiresAtLeast(4));  // and it goes on afterwards
  EXPECT_EQ(answer, kIdOk);
  EXPECT_EQ(maxDepth, 1);
  EXPECT_EQ(subjectInBox, 0);
  EXPECT_GE(referenceInBox, 10);
  EXPECT_EQ(subjectInEvents, 0);
  EXPECT_GE(referenceInEvents, 5);
}

TEST(MessageBoxContract, ReturnsTheButtonPressed) {
  TimerForm owner;  // the settings dialog's question has an owner
  struct Case {
    int answer, style;
    Hwnd owner;
  };
  const int alarm = kMbOkCancel | kMbIconInformation | kMbDefButton2 | kMbSystemModal;
  for (const Case& c :
       {Case{kIdOk, kMbOkOnly | kMbIconStop | kMbSystemModal, 0}, Case{kIdCancel, alarm, 0},
        Case{kIdOk, alarm, 0}, Case{kIdYes, kMbYesNo | kMbIconQuestion, owner.hwnd()},
        Case{kIdNo, kMbYesNo | kMbIconQuestion, owner.hwnd()}}) {
    backend().answerNextBox(c.answer, milliseconds(0));
    EXPECT_EQ(backend().toolkit().messageBox(c.owner, "Kivo contract: which button?\r\n二行目",
                                             "Kivo contract", c.style),
              c.answer)
        << "style " << c.style;
  }
}

}  // namespace
}  // namespace kivo::contract
