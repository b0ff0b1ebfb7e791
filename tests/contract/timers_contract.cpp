// The toolkit's promises about timers and message boxes: interval changes
// and disabling take effect, a handler never nests even inside a box,
// doEvents runs a due timer, and a box returns the button pressed.
//
// A second, fast reference timer is the clock of these cases: what the
// subject timer did is judged against how often the reference fired, never
// against a sleep, so the same cases hold on simulated and real time.
#include <algorithm>
#include <functional>
#include <string>

#include "tests/contract/contract.h"
#include "ui/forms.h"

namespace kivo::contract {
namespace {

constexpr int kReferenceMs = 20;

// A form with the two timers, its view made by the backend's toolkit.
class TimerForm : public Form {
 public:
  TimerForm()
      : Form(backend().toolkit(), "frmContract", "Kivo contract timers " + runToken(), 3000, 2000,
             BorderStyle::FixedSingle) {
    subject = &add<Timer>("tmrSubject", -1, "", {});
    reference = &add<Timer>("tmrReference", -1, "", {});
    subject->onTimer = [this] {
      ++subjectFires;
      if (onSubject) onSubject();
    };
    reference->onTimer = [this] {
      ++referenceFires;
      if (onReference) onReference();
    };
    load();
  }

  // Starts (or restarts) a timer at this interval.
  static void start(Timer& timer, int ms) {
    timer.setEnabled(true);
    timer.setInterval(ms);
  }
  // Processes events until the reference has fired n more times.
  bool referenceFiresMore(int n) {
    const int until = referenceFires + n;
    return backend().pumpUntil([&] { return referenceFires >= until; }, kDeadline);
  }
  bool subjectFiresAtLeast(int n) {
    return backend().pumpUntil([&] { return subjectFires >= n; }, kDeadline);
  }

  Timer* subject;
  Timer* reference;
  int subjectFires = 0;
  int referenceFires = 0;
  std::function<void()> onSubject;
  std::function<void()> onReference;
};

TEST(TimersContract, AnIntervalChangeTakesEffectAndRestartsTheCount) {
  KIVO_CONTRACT(Promise::TimerIntervalChange);
  TimerForm f;
  TimerForm::start(*f.reference, kReferenceMs);
  TimerForm::start(*f.subject, 65535);  // far beyond the deadline

  // Shorter: it fires.
  f.subject->setInterval(2 * kReferenceMs);
  EXPECT_TRUE(f.subjectFiresAtLeast(3));

  // Longer: the old interval would fire a dozen times meanwhile.
  f.subject->setInterval(65535);
  int before = f.subjectFires;
  EXPECT_TRUE(f.referenceFiresMore(25));
  EXPECT_EQ(f.subjectFires, before);

  // A change restarts the count: changed at every reference firing, a
  // subject never comes due, though 80 firings are longer than its interval.
  const int slow = 50 * kReferenceMs;
  f.subject->setInterval(slow);
  f.onReference = [&] { f.subject->setInterval(f.subject->interval() == slow ? slow + 1 : slow); };
  before = f.subjectFires;
  EXPECT_TRUE(f.referenceFiresMore(80));
  EXPECT_EQ(f.subjectFires, before);
}

TEST(TimersContract, ADisabledTimerNeverFires) {
  KIVO_CONTRACT(Promise::TimerDisable);
  TimerForm f;
  TimerForm::start(*f.reference, kReferenceMs);
  // Disabled from inside its own handler, as the one-shot timers do: no
  // firing already on its way may still arrive.
  f.onSubject = [&] {
    if (f.subjectFires == 2) f.subject->setEnabled(false);
  };
  TimerForm::start(*f.subject, 2 * kReferenceMs);
  EXPECT_TRUE(f.subjectFiresAtLeast(2));
  EXPECT_TRUE(f.referenceFiresMore(25));
  EXPECT_EQ(f.subjectFires, 2);

  // Enabled again it runs; disabled from outside it stops.
  f.onSubject = nullptr;
  f.subject->setEnabled(true);
  EXPECT_TRUE(f.subjectFiresAtLeast(3));
  f.subject->setEnabled(false);
  const int before = f.subjectFires;
  EXPECT_TRUE(f.referenceFiresMore(25));
  EXPECT_EQ(f.subjectFires, before);
}

TEST(TimersContract, AHandlerNeverNestsInABoxOrInDoEvents) {
  KIVO_CONTRACT(Promise::TimerNeverNests);
  TimerForm f;
  int depth = 0, maxDepth = 0, answer = 0;
  int referenceInBox = -1, subjectInBox = -1, referenceInEvents = -1, subjectInEvents = -1;
  f.onSubject = [&] {
    maxDepth = std::max(maxDepth, ++depth);
    const int reference0 = f.referenceFires, subject0 = f.subjectFires;
    if (f.subjectFires == 1) {
      // A box held for twenty of its intervals: the other timers go on, and
      // its own firings that fall due meanwhile are dropped.
      answer = f.toolkit().messageBox(f.hwnd(), "Kivo contract: a box held open", "Kivo contract",
                                      kMbOkOnly | kMbIconInformation | kMbSystemModal);
      referenceInBox = f.referenceFires - reference0;
      subjectInBox = f.subjectFires - subject0;
    } else if (f.subjectFires == 2) {
      // The cuckoo count's way: an interval passes (a chime played to its
      // end), then the pending messages are processed; and again.
      for (int i = 0; i < 500 && f.referenceFires < reference0 + 5; ++i) {
        backend().letTimePass(milliseconds(50));
        f.toolkit().doEvents();
      }
      referenceInEvents = f.referenceFires - reference0;
      subjectInEvents = f.subjectFires - subject0;
    }
    --depth;
  };
  backend().answerNextBox(kIdOk, milliseconds(20 * 50));
  TimerForm::start(*f.reference, kReferenceMs);
  TimerForm::start(*f.subject, 50);
  EXPECT_TRUE(f.subjectFiresAtLeast(4));  // and it goes on afterwards
  EXPECT_EQ(answer, kIdOk);
  EXPECT_EQ(maxDepth, 1);
  EXPECT_EQ(subjectInBox, 0);
  EXPECT_GE(referenceInBox, 10);
  EXPECT_EQ(subjectInEvents, 0);
  EXPECT_GE(referenceInEvents, 5);
}

TEST(TimersContract, DoEventsRunsADueTimerOnce) {
  KIVO_CONTRACT(Promise::DoEventsRunsDueTimer);
  TimerForm f;
  TimerForm::start(*f.subject, 60);
  EXPECT_EQ(f.subjectFires, 0);
  // Three intervals pass with nothing processed; then one doEvents runs the
  // due timer, once: missed firings do not pile up.
  backend().letTimePass(milliseconds(200));
  backend().toolkit().doEvents();
  EXPECT_EQ(f.subjectFires, 1);
}

TEST(MessageBoxContract, ReturnsTheButtonPressed) {
  KIVO_CONTRACT(Promise::MessageBoxAnswers);
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
