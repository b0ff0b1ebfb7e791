#pragma once
// The window-list dialog.

#include <array>

#include "ui/forms.h"

namespace kivo {

class Kivo;

class frmWSet : public Form {
 public:
  explicit frmWSet(Kivo& app);

  Label* lblWSet = nullptr;
  ListBox* lstWSet = nullptr;
  std::array<CommandButton*, 3> cmdWSet{};
  Timer* tmrWSet = nullptr;

  void Form_Resize() override;
  void cmdWSet_Click(int index);
  void tmrWSet_Timer();
  void SaveWindowList();

 private:
  // Clears the entries that have no row in the list (left over from an
  // earlier opening), so the rows and the entries in use agree.
  void ForgetHiddenEntries();

  Kivo& app_;
};

}  // namespace kivo
