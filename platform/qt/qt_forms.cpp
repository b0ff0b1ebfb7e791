// Qt toolkit: the forms' top-level windows (WM_CLASS "kivo",
// kFormWindowClass), their change reports, what the window manager and the
// user do to them, and the program's own windows for the X11 window system.
#include <QApplication>
#include <QCloseEvent>
#include <QGuiApplication>
#include <QIcon>
#include <QKeyEvent>
#include <QPushButton>
#include <QScreen>
#include <QTimer>
#include <QWindow>

#include <xcb/xcb.h>

#include <cstdlib>
#include <cstring>
#include <string>
#include <string_view>
#include <vector>

#include "platform/qt/qt_form_view.h"
#include "platform/qt/qt_toolkit.h"
#include "platform/qt/qt_util.h"

namespace kivo::qt {

namespace {

// The instance part of the forms' WM_CLASS; the class part is kFormWindowClass.
constexpr const char* kWindowInstance = "kivo";

Qt::WindowFlags formFlags(const Form& form) {
  // Fixed size, a close box; the main window can be minimized from its
  // title bar, the dialogs cannot (the program still minimizes them).
  Qt::WindowFlags flags = Qt::Window | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                          Qt::WindowSystemMenuHint | Qt::WindowCloseButtonHint;
  if (form.borderStyle() == BorderStyle::FixedSingle) flags |= Qt::WindowMinimizeButtonHint;
  return flags;
}

WindowState nativeState(const QWidget& view) {
  if (view.isMinimized()) return WindowState::Minimized;
  if (view.isMaximized()) return WindowState::Maximized;
  return WindowState::Normal;
}

}  // namespace

// ---- The view ----------------------------------------------------------------

FormView::FormView(QtToolkit& toolkit, Form& form, Qt::WindowFlags flags)
    : QWidget(nullptr, flags), toolkit_(toolkit), form_(&form) {}

void FormView::closeEvent(QCloseEvent* event) {
  // The model decides: an unloaded form's view goes with detachForm.
  event->ignore();
  if (form_) toolkit_.viewClosed(*this);
}

void FormView::changeEvent(QEvent* event) {
  QWidget::changeEvent(event);
  // The window manager activates a window it has just framed: the frame's
  // place is known from then on.
  const QEvent::Type t = event->type();
  if (form_ && (t == QEvent::WindowStateChange || t == QEvent::ActivationChange))
    toolkit_.syncFromView(*this);
}

void FormView::moveEvent(QMoveEvent* event) {
  QWidget::moveEvent(event);
  if (form_) toolkit_.syncFromView(*this);
}

void FormView::showEvent(QShowEvent* event) {
  QWidget::showEvent(event);
  if (form_) toolkit_.syncFromView(*this);
}

void FormView::hideEvent(QHideEvent* event) {
  QWidget::hideEvent(event);
  if (form_) toolkit_.syncFromView(*this);
}

void FormView::keyPressEvent(QKeyEvent* event) {
  bool handled = false;
  if (form_) toolkit_.keyPressed(*this, event->key(), event->modifiers(), handled);
  if (!handled) QWidget::keyPressEvent(event);
}

// ---- Views -------------------------------------------------------------------

void QtToolkit::attachForm(Form& form) {
  Pushing pushing(pushing_);
  auto owned = std::make_unique<FormEntry>();
  FormEntry& fe = *owned;
  fe.form = &form;
  fe.view = new FormView(*this, form, formFlags(form));
  fe.view->setWindowTitle(qtitle(form.caption()));
  fe.view->setFont(qfont(form.font()));
  if (form.icon() == kProgramIcon) fe.view->setWindowIcon(QIcon(QStringLiteral(":/kivo/kivo.ico")));
  forms_[&form] = std::move(owned);
  QPoint place;
  try {
    createControls(fe);
    // A new window opens in the middle of the work area, as a centred
    // dialog does; the model learns the place as a move the system made.
    const QScreen* screen = QGuiApplication::primaryScreen();
    const QRect work = screen ? screen->availableGeometry() : QRect(0, 0, 1024, 768);
    place = work.center() - QPoint(fe.view->width() / 2, fe.view->height() / 2);
    // The native window exists from now on: its handle is the form's.
    fe.view->winId();
    setWindowClass(*fe.view);
    placeFrame(fe, place);
  } catch (...) {
    // The form does not load: no half-made window may stay behind.
    fe.view->detach();
    delete fe.view;
    forms_.erase(&form);
    throw;
  }
  form.setHwnd(static_cast<Hwnd>(fe.view->winId()));
  form.nativeMoved(pxToTwips(place.x(), dpiX()), pxToTwips(place.y(), dpiY()));
  if (onFormsChanged) onFormsChanged();
}

void QtToolkit::setWindowClass(QWidget& view) {
  // Qt names the window after the program's file and application name; a
  // second start and the window list know the forms by this class, so it is
  // set before the window is first mapped (and never made again: nothing
  // changes the view's window flags after this).
  auto* x11 = qApp->nativeInterface<QNativeInterface::QX11Application>();
  if (!x11 || !x11->connection()) return;
  std::string value = kWindowInstance;
  value.push_back('\0');
  value += kFormWindowClass;
  value.push_back('\0');
  xcb_connection_t* c = x11->connection();
  xcb_change_property(c, XCB_PROP_MODE_REPLACE, static_cast<xcb_window_t>(view.winId()),
                      XCB_ATOM_WM_CLASS, XCB_ATOM_STRING, 8,
                      static_cast<std::uint32_t>(value.size()), value.data());
  xcb_flush(c);
}

void QtToolkit::forgetIconicState(QWidget& view) {
  // A window hidden while minimized keeps the _NET_WM_STATE_HIDDEN the
  // window manager gave it, and a window manager that manages it anew
  // honours that: shown again, it would come back iconic. Qt sets only the
  // states it knows of, so the hidden one goes here, before the window is
  // mapped again.
  if (view.isVisible()) return;
  auto* x11 = qApp->nativeInterface<QNativeInterface::QX11Application>();
  if (!x11 || !x11->connection()) return;
  xcb_connection_t* c = x11->connection();
  const auto window = static_cast<xcb_window_t>(view.winId());
  // Interned once: the program has one connection to one X server.
  static xcb_atom_t state = XCB_ATOM_NONE, hidden = XCB_ATOM_NONE;
  if (state == XCB_ATOM_NONE || hidden == XCB_ATOM_NONE) {
    const auto ask = [c](std::string_view name) {
      return xcb_intern_atom(c, 0, static_cast<std::uint16_t>(name.size()), name.data());
    };
    const auto answer = [c](xcb_intern_atom_cookie_t cookie) {
      xcb_intern_atom_reply_t* r = xcb_intern_atom_reply(c, cookie, nullptr);
      const xcb_atom_t atom = r ? r->atom : xcb_atom_t{XCB_ATOM_NONE};
      std::free(r);
      return atom;
    };
    const xcb_intern_atom_cookie_t s = ask("_NET_WM_STATE"), h = ask("_NET_WM_STATE_HIDDEN");
    state = answer(s);
    hidden = answer(h);
  }
  // Both properties asked for at once: one round trip.
  const xcb_get_property_cookie_t hintsAsked =
      xcb_get_property(c, 0, window, XCB_ATOM_WM_HINTS, XCB_ATOM_WM_HINTS, 0, 9);
  const xcb_get_property_cookie_t stateAsked =
      xcb_get_property(c, 0, window, state, XCB_ATOM_ATOM, 0, 64);
  // The hints a window minimized before it was hidden keeps: mapped with
  // them, it starts iconic.
  if (xcb_get_property_reply_t* h = xcb_get_property_reply(c, hintsAsked, nullptr)) {
    if (h->format == 32 && xcb_get_property_value_length(h) >= 12) {
      std::vector<std::uint32_t> hints(static_cast<std::size_t>(xcb_get_property_value_length(h)) /
                                       4);
      std::memcpy(hints.data(), xcb_get_property_value(h), hints.size() * 4);
      constexpr std::uint32_t kStateHint = 2, kNormalState = 1;
      if ((hints[0] & kStateHint) && hints[2] != kNormalState) {
        hints[2] = kNormalState;
        xcb_change_property(c, XCB_PROP_MODE_REPLACE, window, XCB_ATOM_WM_HINTS, XCB_ATOM_WM_HINTS,
                            32, static_cast<std::uint32_t>(hints.size()), hints.data());
      }
    }
    std::free(h);
  }
  xcb_get_property_reply_t* r = xcb_get_property_reply(c, stateAsked, nullptr);
  if (!r || hidden == XCB_ATOM_NONE) {
    std::free(r);
    xcb_flush(c);
    return;
  }
  std::vector<xcb_atom_t> kept;
  const auto* atoms = static_cast<const xcb_atom_t*>(xcb_get_property_value(r));
  const int n = r->format == 32 ? xcb_get_property_value_length(r) / 4 : 0;
  for (int i = 0; i < n; ++i) {
    if (atoms[i] != hidden) kept.push_back(atoms[i]);
  }
  std::free(r);
  if (static_cast<int>(kept.size()) != n) {
    xcb_change_property(c, XCB_PROP_MODE_REPLACE, window, state, XCB_ATOM_ATOM, 32,
                        static_cast<std::uint32_t>(kept.size()), kept.data());
  }
  xcb_flush(c);
}

void QtToolkit::detachForm(Form& form) {
  const auto it = forms_.find(&form);
  if (it == forms_.end()) return;
  std::unique_ptr<FormEntry> fe = std::move(it->second);
  forms_.erase(it);
  for (Timer* t : form.timers()) {
    if (const auto ti = timers_.find(t); ti != timers_.end()) {
      ti->second->stop();
      ti->second->deleteLater();
      timers_.erase(ti);
    }
  }
  // A dialog's owner is enabled before the dialog goes, so the window
  // manager hands the focus back to it rather than to some other program.
  for (Modal& m : modal_) {
    if (m.form == &form && m.owner) m.owner->setEnabled(true);
  }
  wakeModal(form);
  // Nothing the widgets say from now on reaches the model; they go once
  // control is back in the loop (a handler of one of them may be running).
  for (const QMetaObject::Connection& c : fe->connections) QObject::disconnect(c);
  fe->view->detach();
  {
    Pushing pushing(pushing_);
    fe->view->hide();
  }
  fe->view->deleteLater();
  form.setHwnd(0);
  if (onFormsChanged) onFormsChanged();
}

void QtToolkit::formChanged(Form& form, std::uint32_t what) {
  FormEntry* fe = entry(form);
  if (!fe) return;
  Pushing pushing(pushing_);
  // The title only on a caption report: the engine writes its clock into
  // this window's title through the window system, and no other change of
  // the form may undo that.
  if (what & kFormCaption) fe->view->setWindowTitle(qtitle(form.caption()));
  // The model following the window reports a place the window has already.
  if ((what & kFormPosition) && following_ == 0) pushFormPosition(*fe);
  if (what & kFormVisible) pushFormVisible(*fe);
  if (what & kFormWindowState) pushFormState(*fe);
  // A modal dialog hidden by code ends its modal run.
  if (what & kFormVisible) wakeModal(form);
}

void QtToolkit::pushFormPosition(FormEntry& fe) {
  placeFrame(fe, QPoint(twipsToPx(fe.form->left(), dpiX()), twipsToPx(fe.form->top(), dpiY())));
}

void QtToolkit::placeFrame(FormEntry& fe, QPoint at) {
  // The form's left and top are those of the whole window, frame and title
  // bar included, as on the program's home desktop. A framed window is
  // moved by its frame; one not framed yet (never shown) gets its client
  // area where the frame will leave it, as the window manager framed the
  // windows before it.
  fe.placing = at;
  fe.stalePlaces = 0;
  FormView& v = *fe.view;
  const bool framed = v.frameGeometry() != v.geometry();
  v.move(framed ? at : at + frameOffset_);
}

void QtToolkit::pushFormVisible(FormEntry& fe) {
  FormView& v = *fe.view;
  if (!fe.form->visible()) {
    v.hide();
    return;
  }
  // Showing applies the state the model holds (a hidden window's state
  // waits for its showing, see pushFormState).
  if (fe.form->windowState() != WindowState::Minimized) forgetIconicState(v);
  switch (fe.form->windowState()) {
    case WindowState::Normal:
      if (v.isMinimized() || v.isMaximized()) {
        v.showNormal();
      } else {
        v.show();
      }
      break;
    case WindowState::Minimized: v.showMinimized(); break;
    case WindowState::Maximized: v.showMaximized(); break;
  }
}

void QtToolkit::pushFormState(FormEntry& fe) {
  FormView& v = *fe.view;
  const WindowState want = fe.form->windowState();
  if (!v.isVisible()) {
    // Kept for the showing: minimizing or restoring a hidden window would
    // show it.
    v.setWindowState(want == WindowState::Minimized   ? Qt::WindowMinimized
                     : want == WindowState::Maximized ? Qt::WindowMaximized
                                                      : Qt::WindowNoState);
    return;
  }
  if (nativeState(v) == want) return;
  switch (want) {
    case WindowState::Normal: v.showNormal(); break;
    case WindowState::Minimized: v.showMinimized(); break;
    case WindowState::Maximized: v.showMaximized(); break;
  }
}

// ---- What the window manager and the user do to a form's window ------------------

void QtToolkit::syncFromView(FormView& view) {
  if (pushing_ != 0) return;
  guarded([&] { syncNow(view); });
}

void QtToolkit::syncNow(FormView& view) {
  const QPointer<FormView> alive(&view);
  Form* form = view.form();
  if (!form) return;
  const bool visible = view.isVisible();
  // A hidden window's state is the model's until it is shown (see
  // pushFormState): only a shown window tells its state.
  const WindowState state = visible ? nativeState(view) : form->windowState();
  if (visible != form->visible() || state != form->windowState()) {
    // onResize may run here, and may even unload the form.
    form->nativeStateChanged(state, visible);
    if (!alive || view.form() != form) return;
  }
  // A hidden or minimized window's place is not the form's.
  if (!visible || view.isMinimized()) return;
  const QPoint at = view.pos();
  const bool framed = view.frameGeometry() != view.geometry();
  if (framed) frameOffset_ = view.geometry().topLeft() - view.frameGeometry().topLeft();
  // Reports older than the toolkit's own last placing would move the model
  // back (and the window after it): while one is under way, the window is
  // put where the model says once its frame is known, and a window manager
  // that keeps it elsewhere has the last word after a few reports.
  constexpr int kMaxStalePlaces = 4;
  if (FormEntry* fe = entry(*form); fe && fe->placing) {
    if (at == *fe->placing || ++fe->stalePlaces > kMaxStalePlaces) {
      fe->placing.reset();
    } else {
      if (framed) {
        Pushing pushing(pushing_);
        view.move(*fe->placing);
      }
      return;
    }
  }
  const int dx = dpiX(), dy = dpiY();
  if (at.x() != twipsToPx(form->left(), dx) || at.y() != twipsToPx(form->top(), dy)) {
    Pushing following(following_);
    form->nativeMoved(pxToTwips(at.x(), dx), pxToTwips(at.y(), dy));
  }
}

void QtToolkit::viewClosed(FormView& view) {
  // A form behind a modal dialog cannot be closed, as it cannot be clicked.
  guarded([&] {
    Form* form = view.form();
    if (form && !behindModal(*form)) form->userClose();
  });
}

void QtToolkit::keyPressed(FormView& view, int key, Qt::KeyboardModifiers modifiers,
                           bool& handled) {
  // Enter and Esc press the default and the cancel button, as in any
  // dialog; Enter on a focused button presses that one (its own key).
  if (pushing_ != 0 || quit_ || (modifiers & ~Qt::KeypadModifier) != Qt::NoModifier) return;
  Form* form = view.form();
  FormEntry* fe = form ? entry(*form) : nullptr;
  if (!fe) return;
  CommandButton* b = nullptr;
  if (key == Qt::Key_Return || key == Qt::Key_Enter) b = form->defaultButton();
  if (key == Qt::Key_Escape) b = form->cancelButton();
  ControlWidget* cw = b ? controlWidget(*fe, *b) : nullptr;
  if (!cw) return;
  handled = true;
  auto* button = static_cast<QPushButton*>(cw->widget);
  if (button->isEnabled() && button->isVisible()) button->click();
}

bool QtToolkit::behindModal(const Form& form) const {
  return !modal_.empty() && modal_.back().form != &form;
}

// ---- The program's own windows -----------------------------------------------------

bool QtToolkit::ownsWindow(Hwnd h) { return h != 0 && entry(h) != nullptr; }

std::vector<Hwnd> QtToolkit::ownWindows() {
  std::vector<Hwnd> out;
  for (const auto& [form, fe] : forms_) out.push_back(form->hwnd());
  return out;
}

void QtToolkit::showOwnWindow(Hwnd h, int cmd) {
  FormEntry* fe = entry(h);
  if (!fe || quit_) return;
  FormView& v = *fe->view;
  bool activate = true;
  if (cmd != kSwHide && cmd != kSwShowMinimized && cmd != kSwMinimize &&
      cmd != kSwShowMinNoActive && cmd != kSwForceMinimize) {
    forgetIconicState(v);
  }
  switch (cmd) {
    case kSwHide:
      v.hide();
      activate = false;
      break;
    case kSwShowNormal:
    case kSwRestore: v.showNormal(); break;
    case kSwShowMinimized:
    case kSwMinimize:
    case kSwShowMinNoActive:
    case kSwForceMinimize:
      v.showMinimized();
      activate = false;
      break;
    case kSwShowMaximized: v.showMaximized(); break;
    default:
      // kSwShow and the rest: shown in the state it has.
      v.show();
      break;
  }
  if (activate && !v.isMinimized()) {
    v.raise();
    v.activateWindow();
  }
  // The model follows, as it follows the window manager.
  syncNow(v);
}

void QtToolkit::raiseOwnWindow(Hwnd h) {
  FormEntry* fe = entry(h);
  if (!fe || quit_) return;
  FormView& v = *fe->view;
  if (!v.isVisible()) v.show();
  // A minimized window stays so: brought to the front it would open, and
  // the window-list dialog minimizes itself on purpose while it tails.
  if (!v.isMinimized()) {
    v.raise();
    v.activateWindow();
  }
  syncNow(v);
}

// ---- Lookups -----------------------------------------------------------------

QtToolkit::FormEntry* QtToolkit::entry(const Form& form) {
  const auto it = forms_.find(&form);
  return it == forms_.end() ? nullptr : it->second.get();
}

const QtToolkit::FormEntry* QtToolkit::entry(const Form& form) const {
  const auto it = forms_.find(&form);
  return it == forms_.end() ? nullptr : it->second.get();
}

QtToolkit::FormEntry* QtToolkit::entry(Hwnd h) {
  if (h == 0) return nullptr;
  for (const auto& [form, fe] : forms_) {
    if (form->hwnd() == h) return fe.get();
  }
  return nullptr;
}

const QtToolkit::FormEntry* QtToolkit::entry(Hwnd h) const {
  return const_cast<QtToolkit*>(this)->entry(h);
}

QWidget* QtToolkit::widgetOf(const Form& form) const {
  const FormEntry* fe = entry(form);
  return fe ? fe->view : nullptr;
}

QWidget* QtToolkit::ownerWidget(Hwnd h) const {
  const FormEntry* fe = entry(h);
  if (!fe || !fe->view->isVisible() || fe->view->isMinimized()) return nullptr;
  return fe->view;
}

}  // namespace kivo::qt
