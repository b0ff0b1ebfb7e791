// The decoration journal's promises: records outlive the program that wrote
// them, name their window exactly, and die with it.
#include <algorithm>
#include <string>
#include <vector>

#include "tests/contract/contract.h"
#include "tests/contract/test_window.h"

namespace kivo::contract {
namespace {

// The records of `h` among everything listed (a real desktop may hold
// records of other windows).
std::vector<DecorationRecord> recordsOf(DecorationJournal& journal, Hwnd h) {
  std::vector<DecorationRecord> mine;
  for (DecorationRecord& r : journal.leftOver()) {
    if (r.window == h) mine.push_back(std::move(r));
  }
  return mine;
}

TEST(JournalContract, RecordsOutliveTheProgramUntilForgotten) {
  TestWindow editor('E', "Editor"), mail('M', "メール 😀");
  ASSERT_NE(editor.get(), 0u);
  ASSERT_NE(mail.get(), 0u);
  DecorationJournal& journal = backend().journal();
  journal.remember(editor.get(), "6:17 = Editor", "Editor");
  journal.remember(editor.get(), "6:18 = Editor", "Editor");  // replaces the first
  journal.remember(mail.get(), "メール 😀 = 6:18", "メール 😀");
  journal.remember(0, "6:18 = nothing", "nothing");  // no window: ignored
  journal.forget(0);

  const std::unique_ptr<DecorationJournal> next = backend().freshJournal();
  EXPECT_EQ(recordsOf(*next, editor.get()),
            (std::vector<DecorationRecord>{{editor.get(), "6:18 = Editor", "Editor"}}));
  EXPECT_EQ(recordsOf(*next, mail.get()),
            (std::vector<DecorationRecord>{{mail.get(), "メール 😀 = 6:18", "メール 😀"}}));
  EXPECT_TRUE(recordsOf(*next, 0).empty());

  next->forget(editor.get());
  next->forget(editor.get());  // twice is harmless
  EXPECT_TRUE(recordsOf(journal, editor.get()).empty());
  EXPECT_EQ(recordsOf(journal, mail.get()).size(), 1u);
  journal.forget(mail.get());
  EXPECT_TRUE(recordsOf(*backend().freshJournal(), mail.get()).empty());
}

TEST(JournalContract, RecordDiesWithItsWindow) {
  TestWindow gone('G', "Gone"), stays('S', "Stays");
  ASSERT_NE(gone.get(), 0u);
  const Hwnd goneHandle = gone.get();
  backend().journal().remember(goneHandle, "6:17 = Gone", "Gone");
  backend().journal().remember(stays.get(), "6:17 = Stays", "Stays");
  gone.destroy();
  // A window made after it (on some desktops under the very same handle)
  // is never taken for it.
  TestWindow after('A', "After");
  const std::unique_ptr<DecorationJournal> next = backend().freshJournal();
  EXPECT_TRUE(recordsOf(*next, goneHandle).empty());
  EXPECT_EQ(recordsOf(*next, stays.get()).size(), 1u);
  next->forget(stays.get());
  next->forget(goneHandle);  // a vanished window: quietly nothing
}

}  // namespace
}  // namespace kivo::contract
