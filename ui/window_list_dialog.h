#pragma once
// The window-list dialog: the window classes that get no clock. The user
// registers a class by "tailing" a window: the dialog steps aside, and a few
// seconds later takes the class of whatever window is in front.

#include <array>

#include "ui/forms.h"
#include "ui/window_context.h"

namespace kivo {

class WindowListDialog : public Form {
 public:
  enum Button { Tail, Remove, OkButton };

  explicit WindowListDialog(WindowContext context);

  Label* caption = nullptr;
  ListBox* list = nullptr;
  std::array<CommandButton*, 3> buttons{};
  Timer* tailTimer = nullptr;

 private:
  void onLoad() override;
  void onResize() override;
  void startTail();
  void removeSelected();
  void finishTail();
  void saveList();
  // Clears the entries that have no row in the list (left over from an
  // earlier opening), so the rows and the entries in use agree.
  void forgetHiddenEntries();

  WindowContext cx_;
};

}  // namespace kivo
