// A store that refuses writes: the held values and the one box a refused
// save shows (the simulated store's switch is kivo-sim's, pinned by the
// refused_save scenario).
#include <gtest/gtest.h>

#include <set>
#include <string>

#include "platform/errors.h"
#include "platform/sim/sim_desktop.h"
#include "settings/held_store.h"
#include "settings/layout.h"
#include "settings/settings_save.h"
#include "ui/refused_save_box.h"

namespace kivo {
namespace {

// The simulated store, refusing the keys named in `refused` only.
class PickyStore : public sim::SimStore {
 public:
  std::set<std::string> refused;
  void saveSetting(const std::string& section, const std::string& key,
                   const std::string& value) override {
    if (refused.count(key)) throw RuntimeError(kErrInvalidCall, "no room for " + key);
    sim::SimStore::saveSetting(section, key, value);
  }
  void deleteSetting(const std::string& section, const std::string& key) override {
    if (refused.count(key)) throw RuntimeError(kErrInvalidCall, "no room for " + key);
    sim::SimStore::deleteSetting(section, key);
  }
};

TEST(RefusedSave, HeldValuesAnswerReadsUntilAWriteGoesThrough) {
  PickyStore stored;
  HeldSettingsStore held(stored);
  stored.saveSetting("Main", "ShowDay", "1");
  stored.refused = {"ShowDay", "ShowDate"};
  EXPECT_THROW(held.saveSetting("Main", "ShowDay", "0"), RuntimeError);
  EXPECT_EQ(held.getSetting("MAIN", "showday", "?"), "0");  // as the stores compare names
  EXPECT_EQ(stored.getSetting("Main", "ShowDay", "?"), "1");
  // A refused delete leaves the key missing for the program.
  EXPECT_THROW(held.deleteSetting("Main", "ShowDay"), RuntimeError);
  EXPECT_EQ(held.getSetting("Main", "ShowDay", "default"), "default");
  EXPECT_THROW(held.deleteSetting("Main", "ShowDay"), RuntimeError);  // missing: an error
  // A companion's edit of a key nothing was refused for shows at once.
  stored.saveSetting("Main", "ShowYear", "1");
  EXPECT_EQ(held.getSetting("Main", "ShowYear", "0"), "1");
  stored.refused.clear();
  held.saveSetting("Main", "ShowDay", "0");
  EXPECT_FALSE(held.holds("Main", "ShowDay"));
  stored.saveSetting("Main", "ShowDay", "1");
  EXPECT_EQ(held.getSetting("Main", "ShowDay", "?"), "1");
}

TEST(RefusedSave, TheFirstRefusalEndsTheSaveAndOneBoxTellsWhatWasAndWasNotSaved) {
  sim::SimDesktop d;
  PickyStore stored;
  HeldSettingsStore held(stored);
  stored.refused = {"ShowDate"};
  SettingsSave save(held, "the clock settings");
  save.number(keys::Show24h, 0);
  save.number(keys::ShowDate, 0);
  save.number(keys::ShowDay, 1);  // not tried after the refusal
  stored.refused.clear();         // so it would have gone through
  save.text(keys::WindowList[0], "1");
  save.remove(keys::WindowList[0]);
  EXPECT_TRUE(save.refused());
  EXPECT_FALSE(tellIfRefused(d.toolkit, 0, save));
  EXPECT_EQ(stored.getSetting("Main", "24h", "?"), "0");
  EXPECT_FALSE(stored.has("Main", "ShowDate"));
  EXPECT_FALSE(stored.has("Main", "ShowDay"));
  EXPECT_FALSE(stored.has("Main", "WindowList0"));
  EXPECT_EQ(held.getSetting("Main", "ShowDate", "?"), "0");
  EXPECT_EQ(held.getSetting("Main", "ShowDay", "?"), "1");
  EXPECT_EQ(held.getSetting("Main", "WindowList0", "none"), "none");
  ASSERT_EQ(d.toolkit.boxes().size(), 1u);
  // Its title and style, and the box of each save, are the refused_save scenario's.
  EXPECT_EQ(d.toolkit.boxes().back().text,
            "Kivo could not save the clock settings.\r\n\r\n"
            "Not saved: ShowDate, ShowDay, WindowList0\r\n"
            "Saved: 24h\r\n\r\n"
            "Why: no room for ShowDate\r\n\r\n"
            "Kivo goes on with these settings until it ends. Save them again once the reason is "
            "dealt with.");

  // A save the store takes shows nothing.
  SettingsSave fine(held, "the clock settings");
  fine.number(keys::ShowDate, 1);
  EXPECT_TRUE(tellIfRefused(d.toolkit, 0, fine));
  EXPECT_EQ(d.toolkit.boxes().size(), 1u);
  EXPECT_EQ(stored.getSetting("Main", "ShowDate", "?"), "1");
}

}  // namespace
}  // namespace kivo
