// The settings store's promises: defaults for what is missing, values kept
// verbatim, the delete rules, and one storage behind every store object.
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "platform/errors.h"
#include "tests/contract/contract.h"

namespace kivo::contract {
namespace {

// A section of this run only, dropped when the case ends with every key in
// it, so a real store (registry, INI file) is left as it was.
class ScratchSection {
 public:
  ScratchSection() : name_("Kivo contract " + runToken()) {}
  ~ScratchSection() { backend().dropSection(name_); }
  ScratchSection(const ScratchSection&) = delete;
  ScratchSection& operator=(const ScratchSection&) = delete;

  const std::string& name() const { return name_; }
  // A section never written in this run.
  std::string missing() const { return name_ + " missing"; }
  void save(const std::string& key, const std::string& value) {
    backend().store().saveSetting(name_, key, value);
  }
  std::string get(const std::string& key, const std::string& defaultValue = "<default>") const {
    return backend().store().getSetting(name_, key, defaultValue);
  }

 private:
  std::string name_;
};

// The error number deleting the key raises, 0 when none.
int deleteError(SettingsStore& store, const std::string& section, const std::string& key) {
  try {
    store.deleteSetting(section, key);
  } catch (const RuntimeError& e) {
    return e.number();
  }
  return 0;
}

TEST(SettingsContract, MissingKeyOrSectionGivesTheDefault) {
  ScratchSection s;
  s.save("Present", "1");
  // The default comes back as given, however it looks.
  const std::string odd = " 時間だよ(^^), 100% \"=;[x]\" ";
  EXPECT_EQ(s.get("Absent", odd), odd);
  EXPECT_EQ(backend().store().getSetting(s.missing(), "Absent", odd), odd);
}

TEST(SettingsContract, ValuesComeBackVerbatim) {
  std::string longValue;
  for (int i = 0; i < 300; ++i) longValue += "時計a,";  // 1200 characters
  // What INI files, the registry and their escapes are known to trip on.
  const std::vector<std::string> values = {
      "%PATH%",
      "\"quoted\"",
      "key=value",
      "=leading equals",
      "a;b",
      "; looks like a comment",
      "[Main]",
      "  leading and trailing  ",
      " ",
      "\ttabs\tinside\t",
      "C:\\Windows\\Media\\chimes.wav",
      "時間だよ(^^)",
      "",
      longValue,
  };
  ScratchSection s;
  for (std::size_t i = 0; i < values.size(); ++i) s.save("Value" + std::to_string(i), values[i]);
  // All written first: each value must survive its neighbours' writes.
  for (std::size_t i = 0; i < values.size(); ++i) {
    EXPECT_EQ(s.get("Value" + std::to_string(i)), values[i]) << "value " << i;
  }

  // Rewriting replaces the whole value: a short one after a long one.
  s.save("Value0", longValue);
  s.save("Value0", "short");
  EXPECT_EQ(s.get("Value0"), "short");
  EXPECT_EQ(s.get("Value1"), values[1]);
}

TEST(SettingsContract, DeletingRemovesTheKeyAloneAndAMissingKeyFailsWithError5) {
  ScratchSection s;
  SettingsStore& store = backend().store();
  EXPECT_EQ(deleteError(store, s.missing(), "Absent"), kErrInvalidCall);
  s.save("Doomed", "0");
  s.save("Kept", "1");
  EXPECT_EQ(deleteError(store, s.name(), "Absent"), kErrInvalidCall);
  EXPECT_EQ(deleteError(store, s.name(), "Doomed"), 0);
  EXPECT_EQ(s.get("Doomed"), "<default>");
  EXPECT_EQ(s.get("Kept"), "1");
}

TEST(SettingsContract, AFreshStoreObjectSharesTheStorage) {
  ScratchSection s;
  s.save("Written", "by the first 時計");
  const std::unique_ptr<SettingsStore> fresh = backend().freshStore();
  ASSERT_NE(fresh, nullptr);
  EXPECT_EQ(fresh->getSetting(s.name(), "Written", "<default>"), "by the first 時計");

  // And back: the first object reads what the fresh one wrote or deleted.
  fresh->saveSetting(s.name(), "Answer", "by the fresh one");
  EXPECT_EQ(s.get("Answer"), "by the fresh one");
  EXPECT_EQ(deleteError(*fresh, s.name(), "Written"), 0);
  EXPECT_EQ(s.get("Written"), "<default>");
}

}  // namespace
}  // namespace kivo::contract
