// The toolkit contract suite's rig for Qt: the widgets read back into
// views, the user's clicks and keys through QTest, on a private Xvfb with a
// window manager, or natively on Wayland on a private headless sway.
#include <QApplication>
#include <QListWidget>
#include <QTest>

#include <cstdlib>

#include "platform/qt/qt_util.h"
#include "tests/contract/toolkit_contract.h"
#include "tests/x11/qt/qt_rig.h"

namespace kivo::contract {
namespace {

using qt::test::testArgc;
using qt::test::testArgv;

class QtToolkitRig : public ToolkitRig {
 public:
  Toolkit& toolkit() override { return tk_; }
  std::optional<NativeForm> read(const Form& form) override {
    return qt::test::readForm(tk_, form);
  }
  std::vector<std::string> clipped(const Form& form) override {
    std::vector<std::string> out = qt::test::clippedCaptions(tk_, form);
    for (std::string& line : qt::test::overlappingWidgets(tk_, form)) out.push_back(line);
    return out;
  }

  void click(Control& c) override {
    QWidget* w = tk_.widgetOf(c);
    // On the box or the round of a check box or option button.
    const QPoint at =
        c.kind() == ControlKind::CommandButton ? w->rect().center() : QPoint(6, w->height() / 2);
    QTest::mouseClick(w, Qt::LeftButton, {}, at);
  }
  void type(TextBox& box, const std::string& text) override {
    QTest::keyClicks(tk_.widgetOf(box), QString::fromStdString(text));
  }
  void select(ListBox& list, int row) override {
    auto* l = static_cast<QListWidget*>(tk_.widgetOf(list));
    QTest::mouseClick(l->viewport(), Qt::LeftButton, {}, l->visualItemRect(l->item(row)).center());
  }
  void press(Control& at, char key) override {
    QWidget* w = tk_.widgetOf(at);
    inFront(w);
    if (key == '\r') return QTest::keyClick(w, Qt::Key_Return);
    if (key == '\x1b') return QTest::keyClick(w, Qt::Key_Escape);
    QTest::keyClick(w, static_cast<Qt::Key>(Qt::Key_A + (key - 'a')), Qt::AltModifier);
  }
  void close(Form& form) override { tk_.widgetOf(form)->close(); }
  void setState(Form& form, WindowState state) override {
    QWidget* w = tk_.widgetOf(form);
    if (qt::onX11()) {
      // The user works on a window the window manager has taken in; a state
      // asked for before that may be lost in its handling of the mapping.
      qt::test::pumpUntil(tk_, [&] { return qt::test::wmState(form.hwnd()) != 0; });
      qt::test::windowManagerCaughtUp(tk_);
      // Minimizing through the window manager, as the user's button does.
      if (state == WindowState::Minimized) {
        std::system(("xdotool windowminimize " + std::to_string(form.hwnd())).c_str());
        return;
      }
    }
    w->setWindowState(state == WindowState::Minimized   ? Qt::WindowMinimized
                      : state == WindowState::Maximized ? Qt::WindowMaximized
                                                        : Qt::WindowNoState);
  }
  bool reachable(const Form& form) override {
    QWidget* w = tk_.widgetOf(form);
    return w && w->isVisible() && w->isEnabled();
  }
  void focus(Control& c) override {
    QWidget* w = tk_.widgetOf(c);
    inFront(w);
    w->setFocus();
  }
  bool hasFocus(const Control& c) override {
    return tk_.widgetOf(c) == QApplication::focusWidget();
  }

  void settle() override { qt::test::windowManagerCaughtUp(tk_); }
  int run() override { return tk_.run(); }
  bool pumpUntil(const std::function<bool()>& condition,
                 std::chrono::milliseconds deadline) override {
    return qt::test::pumpUntil(tk_, condition, deadline);
  }

 private:
  // Keys go to the active window: the user's keys reach the window in front.
  // Access keys need the application's active window too, which follows the
  // platform's report (a Wayland compositor's keyboard focus) a little later.
  void inFront(QWidget* w) {
    QWidget* top = w->window();
    if (!top->isActiveWindow()) top->activateWindow();
    qt::test::pumpUntil(tk_, [top] { return QApplication::activeWindow() == top; });
  }
  qt::QtToolkit tk_{testArgc(), testArgv()};
};

}  // namespace

std::unique_ptr<ToolkitRig> makeToolkitRig() {
  // One QApplication for the process; every rig's toolkit takes it.
  static QApplication* app = new QApplication(testArgc(), testArgv());
  (void)app;
  return std::make_unique<QtToolkitRig>();
}

}  // namespace kivo::contract
