#pragma once
// One save of a group of settings (a window's OK): the writes in order, and
// one box for the user when the store refuses them.
//
// The first write the store refuses ends the writing: the keys after it are
// not tried (a store that refuses one write refuses the next as a rule, and
// each try may wait for a lock). The refused key and every key after it are
// held in memory by the HeldSettingsStore, so the program goes on with the
// user's choice, and refusalText() tells the user which settings were not saved
// (and which were, when only some were) and the store's reason. A save is
// never left half done without a word.

#include <optional>
#include <string>
#include <vector>

#include "platform/platform.h"
#include "settings/held_store.h"
#include "settings/layout.h"

namespace kivo {

class SettingsSave {
 public:
  // `what` names the group for the user ("the main window's options").
  SettingsSave(HeldSettingsStore& store, std::string what)
      : store_(store), what_(std::move(what)) {}

  void text(const SettingKey& key, const std::string& value);
  void number(const SettingKey& key, long value);
  // Deletes the key (RuntimeError 5 when it is missing, as the store says).
  void remove(const SettingKey& key);

  bool refused() const { return reason_.has_value(); }
  // What the user is told when a write was refused; empty when everything
  // was saved. The windows show it in a box of its own (ui/refused_save_box.h).
  std::string refusalText() const;

 private:
  void write(const SettingKey& key, const std::optional<std::string>& value);

  HeldSettingsStore& store_;
  std::string what_;
  std::vector<std::string> saved_;
  std::vector<std::string> notSaved_;
  std::optional<std::string> reason_;
};

}  // namespace kivo
