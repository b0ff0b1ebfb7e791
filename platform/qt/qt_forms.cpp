// Qt toolkit: the forms' top-level windows, their change reports, and what
// the window manager (or a Wayland compositor) and the user do to them. What is written to the X
// server directly, and the program's own windows as the window system asks
// for them, are in qt_native_windows.cpp.
#include <QApplication>
#include <QCloseEvent>
#include <QGuiApplication>
#include <QIcon>
#include <QKeyEvent>
#include <QPushButton>
#include <QScreen>
#include <QTimer>
#include <QWindow>

#include <string>
#include <vector>

#include "platform/qt/qt_form_view.h"
#include "platform/qt/qt_toolkit.h"
#include "platform/qt/qt_util.h"

namespace kivo::qt {

namespace {

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
  if (form_ && t == QEvent::WindowStateChange) toolkit_.buildWhenShown(*this);
  if (form_ && (t == QEvent::WindowStateChange || t == QEvent::ActivationChange))
    toolkit_.syncFromView(*this);
}

bool FormView::nativeEvent(const QByteArray& type, void* message, qintptr* result) {
  // A frame put around the window without moving it brings no move event;
  // the model learns the frame's place once Qt has taken the change in.
  if (form_ && QtToolkit::isFrameChange(type, message)) {
    QTimer::singleShot(0, this, [this] {
      if (form_) toolkit_.syncFromView(*this);
    });
  }
  return QWidget::nativeEvent(type, message, result);
}

void FormView::moveEvent(QMoveEvent* event) {
  QWidget::moveEvent(event);
  if (form_) toolkit_.syncFromView(*this);
}

void FormView::showEvent(QShowEvent* event) {
  QWidget::showEvent(event);
  if (form_) toolkit_.buildWhenShown(*this);
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
  if (form.icon() == kProgramIcon) fe.view->setWindowIcon(programIcon());
  forms_[&form] = std::move(owned);
  QPoint place;
  try {
    // A window that has never been up on the screen has no child widgets:
    // they are made at its first showing (buildWhenShown). The main window
    // spends most runs hidden, and its widgets alone would load the fonts,
    // the text shaper and their caches (about 5 MB).
    if (form.visible() && form.windowState() != WindowState::Minimized) {
      buildControls(fe);
    } else {
      layoutForm(fe);
    }
    // A new window opens in the middle of the work area, as a centred
    // dialog does; the model learns the place as a move the system made.
    const QScreen* screen = QGuiApplication::primaryScreen();
    const QRect work = screen ? screen->availableGeometry() : QRect(0, 0, 1024, 768);
    place = work.center() - QPoint(fe.view->width() / 2, fe.view->height() / 2);
    // The native window exists from now on: its handle is the form's.
    fe.view->winId();
    setWindowClass(*fe.view);
    requestFrameExtents(*fe.view);
    placeFrame(fe, place);
  } catch (...) {
    // The form does not load: no half-made window may stay behind.
    fe.view->detach();
    delete fe.view;
    forms_.erase(&form);
    throw;
  }
  form.setHwnd(handleOf(*fe.view));
  form.nativeMoved(pxToTwips(place.x(), dpiX()), pxToTwips(place.y(), dpiY()));
  if (onFormsChanged) onFormsChanged();
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
  FormView& v = *fe.view;
  if (!onX11()) {
    // Natively on Wayland the compositor places every window and tells no
    // client where: there is no frame to wait for and no report to wait
    // out, and the model keeps the place it asked for.
    fe.placing.reset();
    moveClientArea(v, at);
    return;
  }
  fe.placing = at;
  fe.stalePlaces = 0;
  const std::optional<QPoint> offset = frameOffset(v);
  fe.placedBlind = !offset && !frameOffset_;
  moveClientArea(v, at + offset.value_or(frameOffset_.value_or(QPoint())));
}

std::optional<QPoint> QtToolkit::frameOffset(FormView& view) {
  if (std::optional<QPoint> extents = frameExtents(view)) return extents;
  if (view.frameGeometry() != view.geometry())
    return view.geometry().topLeft() - view.frameGeometry().topLeft();
  return std::nullopt;
}

void QtToolkit::pushFormVisible(FormEntry& fe) {
  FormView& v = *fe.view;
  if (!fe.form->visible()) {
    v.hide();
    return;
  }
  // A place given while the frame was unknown is given again now that the
  // window manager may have told it.
  if (!v.isVisible() && fe.placing) placeFrame(fe, *fe.placing);
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
  // A hidden or minimized window's place is not the form's; nor is the
  // place Qt makes up for a window on Wayland, where only the compositor
  // knows where it put it.
  if (!visible || view.isMinimized() || !onX11()) return;
  const std::optional<QPoint> offset = frameOffset(view);
  const bool framed = offset.has_value();
  if (framed) frameOffset_ = *offset;
  const QPoint at = view.geometry().topLeft() - offset.value_or(QPoint());
  // Reports older than the toolkit's own last placing would move the model
  // back (and the window after it): while one is under way, the window is
  // put where the model says once its frame is known, and a window manager
  // that keeps it elsewhere has the last word after a few reports. Qt's
  // geometry holds a place as soon as it is asked for, and a window manager
  // places a window as it takes it on, so the placing ends when the X server
  // has a managed window there too.
  constexpr int kMaxStalePlaces = 4;
  if (FormEntry* fe = entry(*form); fe && fe->placing) {
    // A window placed blind is where it belongs only once its frame is known.
    if (!framed && fe->placedBlind && at == *fe->placing) return;
    const bool there =
        at == *fe->placing && (!framed || (managed(view) && clientPosition(view) - *offset == at));
    if (there || ++fe->stalePlaces > kMaxStalePlaces) {
      fe->placing.reset();
    } else {
      if (framed) {
        Pushing pushing(pushing_);
        moveClientArea(view, *fe->placing + *offset);
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

// ---- Lookups -----------------------------------------------------------------

Hwnd QtToolkit::handleOf(QWidget& view) {
  const auto id = static_cast<Hwnd>(view.winId());
  // Qt numbers its Wayland windows 1, 2, 3 ..., as sway numbers its
  // containers: the window system must never take one for the other.
  return onX11() ? id : kWaylandHandleBase | id;
}

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

void QtToolkit::buildWhenShown(FormView& view) {
  Form* form = view.form();
  FormEntry* fe = form ? entry(*form) : nullptr;
  if (!fe || fe->built) return;
  // Once control is back in the loop: a window shown, minimized and hidden
  // again in one go (the main window at start-up) is never built.
  QTimer::singleShot(0, &view, [this, &view] {
    Form* f = view.form();
    FormEntry* e = f ? entry(*f) : nullptr;
    if (!e || e->built || !view.isVisible() || view.isMinimized()) return;
    guarded([&] {
      Pushing pushing(pushing_);
      buildControls(*e);
    });
  });
}

void QtToolkit::buildControls(FormEntry& fe) {
  if (fe.built) return;
  fe.built = true;
  useProgramFonts();
  fe.view->setFont(qfont(fe.form->font()));
  createControls(fe);
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
