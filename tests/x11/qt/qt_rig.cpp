// The Qt toolkit test's rig: the widgets compared with the models, captions
// measured against their widgets, the X properties, the pump and the user at
// the message boxes.
#include "tests/x11/qt/qt_rig.h"

#include <QAbstractButton>
#include <QApplication>
#include <QCheckBox>
#include <QFontMetrics>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QRadioButton>
#include <QStyle>
#include <QStyleOptionButton>

#include <xcb/xcb.h>

#include <cstdlib>
#include <memory>

#include "platform/qt/qt_util.h"

namespace kivo::qt::test {

namespace {

xcb_connection_t* xcb() {
  auto* x11 = qApp->nativeInterface<QNativeInterface::QX11Application>();
  return x11 ? x11->connection() : nullptr;
}

xcb_atom_t atom(const char* name) {
  auto* reply =
      xcb_intern_atom_reply(xcb(), xcb_intern_atom(xcb(), 0, strlen(name), name), nullptr);
  const xcb_atom_t a = reply ? reply->atom : xcb_atom_t{XCB_ATOM_NONE};
  free(reply);
  return a;
}

std::string property(Hwnd h, xcb_atom_t name) {
  xcb_get_property_reply_t* r = xcb_get_property_reply(
      xcb(), xcb_get_property(xcb(), 0, h, name, XCB_GET_PROPERTY_TYPE_ANY, 0, 1024), nullptr);
  std::string out;
  if (r) {
    out.assign(static_cast<const char*>(xcb_get_property_value(r)),
               static_cast<std::size_t>(xcb_get_property_value_length(r)));
  }
  free(r);
  return out;
}

template <class T>
void compare(std::vector<std::string>& out, const std::string& who, const char* part,
             const T& widget, const T& model) {
  if (widget == model) return;
  std::string w, m;
  if constexpr (std::is_same_v<T, std::string>) {
    w = "\"" + widget + "\"", m = "\"" + model + "\"";
  } else {
    w = std::to_string(widget), m = std::to_string(model);
  }
  out.push_back(who + " " + part + ": widget " + w + ", model " + m);
}

bool reachableEnabled(const Control& c) {
  for (const Control* p = &c; p; p = p->container()) {
    if (!p->enabled()) return false;
  }
  return true;
}

bool reachableVisible(const Control& c) {
  for (const Control* p = &c; p; p = p->container()) {
    if (!p->visible()) return false;
  }
  return true;
}

int px(int twips, int dpi) { return twipsToPx(twips, dpi); }

void compareControl(std::vector<std::string>& out, QtToolkit& tk, const Control& c, QWidget& w) {
  const std::string who = c.form().name() + " " + c.id();
  QWidget* view = tk.widgetOf(c.form());
  if (auto* e = qobject_cast<QLineEdit*>(&w)) {
    const auto& box = static_cast<const TextBox&>(c);
    compare(out, who, "text", ustr(e->text()), box.text());
    // The limit holds for typing; a longer text set by code is shown whole.
    if (box.maxLength() > 0)
      compare(out, who, "maxLength", e->maxLength(),
              std::max<int>(box.maxLength(), static_cast<int>(e->text().size())));
  } else if (auto* l = qobject_cast<QListWidget*>(&w)) {
    const auto& list = static_cast<const ListBox&>(c);
    std::vector<std::string> rows;
    for (int i = 0; i < l->count(); ++i) rows.push_back(ustr(l->item(i)->text()));
    compare(out, who, "rows", static_cast<int>(rows.size()), list.listCount());
    const QModelIndexList selected = l->selectionModel()->selectedRows();
    const int row = selected.isEmpty() ? -1 : selected.front().row();
    if (rows == list.rows()) compare(out, who, "selection", row, list.listIndex());
  } else if (auto* b = qobject_cast<QAbstractButton*>(&w)) {
    compare(out, who, "caption", ustr(b->text()), c.caption());
  } else if (auto* g = qobject_cast<QGroupBox*>(&w)) {
    compare(out, who, "caption", ustr(g->title()), c.caption());
  } else if (auto* lb = qobject_cast<QLabel*>(&w)) {
    compare(out, who, "caption", ustr(lb->text()), c.caption());
  }
  if (auto* cb = qobject_cast<QCheckBox*>(&w)) {
    const int v = cb->checkState() == Qt::Checked            ? 1
                  : cb->checkState() == Qt::PartiallyChecked ? 2
                                                             : 0;
    compare(out, who, "value", v, static_cast<const CheckBox&>(c).value());
  } else if (auto* r = qobject_cast<QRadioButton*>(&w)) {
    compare(out, who, "value", r->isChecked(), static_cast<const OptionButton&>(c).value());
  } else if (auto* pb = qobject_cast<QPushButton*>(&w)) {
    compare(out, who, "default", pb->isDefault(), static_cast<const CommandButton&>(c).isDefault());
  }
  compare(out, who, "enabled", w.isEnabledTo(view), reachableEnabled(c));
  compare(out, who, "visible", w.isVisibleTo(view), reachableVisible(c));
  compare(out, who, "font face", ustr(w.font().family()), ustr(tk.resolvedFace(c.font())));
  compare(out, who, "font points", w.font().pointSize(), c.font().points);
  compare(out, who, "font bold", w.font().bold(), c.font().bold);

  // Where the model puts it; a box grown for its text keeps its left edge
  // and its middle line.
  const Twips& t = c.layout();
  const int dx = tk.dpiX(), dy = tk.dpiY();
  const int left = px(t.left, dx), top = px(t.top, dy);
  const int width = px(t.left + t.width, dx) - left, height = px(t.top + t.height, dy) - top;
  const QRect g = w.geometry();
  compare(out, who, "left", g.x(), left);
  if (g.width() < width) compare(out, who, "width", g.width(), width);
  if (g.height() < height) compare(out, who, "height", g.height(), height);
  // Grown up, down or both ways, it still covers its place in the layout.
  if (g.height() == height) compare(out, who, "top", g.y(), top);
  if (g.height() > height && (g.y() > top || g.y() + g.height() < top + height))
    compare(out, who, "top", g.y(), top);
}

}  // namespace

int& testArgc() {
  static int argc = 1;
  return argc;
}

char** testArgv() {
  static char name[] = "kivo_qt_tests";
  static char* argv[] = {name, nullptr};
  return argv;
}

std::vector<std::string> viewDifferences(QtToolkit& tk, const Form& form) {
  std::vector<std::string> out;
  QWidget* view = tk.widgetOf(form);
  if (!view) return {form.name() + ": no window"};
  compare(out, form.name(), "handle", static_cast<Hwnd>(view->winId()), form.hwnd());
  compare(out, form.name(), "class", windowClass(form.hwnd()),
          std::string("kivo/") + kFormWindowClass);
  compare(out, form.name(), "caption", ustr(view->windowTitle()), form.caption());
  compare(out, form.name(), "visible", view->isVisible(), form.visible());
  if (view->isVisible()) {
    const int state = view->isMinimized() ? 1 : view->isMaximized() ? 2 : 0;
    compare(out, form.name(), "state", state, static_cast<int>(form.windowState()));
  }
  if (view->width() < px(form.clientWidth(), tk.dpiX()))
    compare(out, form.name(), "client width", view->width(), px(form.clientWidth(), tk.dpiX()));
  if (view->height() < px(form.clientHeight(), tk.dpiY()))
    compare(out, form.name(), "client height", view->height(), px(form.clientHeight(), tk.dpiY()));
  compare(out, form.name(), "icon", !view->windowIcon().isNull(), true);
  for (const Control* c : form.tabOrder()) {
    QWidget* w = tk.widgetOf(*c);
    if (!w) {
      out.push_back(form.name() + " " + c->id() + ": no widget");
      continue;
    }
    compareControl(out, tk, *c, *w);
  }
  // Tab visits the controls that take the focus in the model's order.
  std::vector<QWidget*> order;
  for (const Control* c : form.tabOrder()) {
    QWidget* w = tk.widgetOf(*c);
    if (w && w->focusPolicy() != Qt::NoFocus) order.push_back(w);
  }
  for (std::size_t i = 0; i + 1 < order.size(); ++i) {
    QWidget* next = order[i]->nextInFocusChain();
    while (next != order[i] && next->focusPolicy() == Qt::NoFocus) next = next->nextInFocusChain();
    if (next != order[i + 1])
      out.push_back(form.name() + " " + ustr(order[i]->objectName()) + ": tab goes to " +
                    ustr(next->objectName()));
  }
  return out;
}

std::vector<std::string> placeDifferences(QtToolkit& tk, const Form& form) {
  std::vector<std::string> out;
  QWidget* view = tk.widgetOf(form);
  if (!view) return {form.name() + ": no window"};
  if (!view->isVisible() || view->isMinimized()) return out;
  if (view->frameGeometry() == view->geometry()) out.push_back(form.name() + ": not framed");
  compare(out, form.name(), "left", view->x(), px(form.left(), tk.dpiX()));
  compare(out, form.name(), "top", view->y(), px(form.top(), tk.dpiY()));
  return out;
}

std::vector<std::string> clippedCaptions(QtToolkit& tk, const Form& form) {
  std::vector<std::string> out;
  for (const Control* c : form.tabOrder()) {
    QWidget* w = tk.widgetOf(*c);
    if (!w) continue;
    const QFontMetrics fm(w->font());
    const QString caption = qstr(c->caption());
    QSize text = fm.size(Qt::TextShowMnemonic, caption);
    // The room each kind leaves its caption: the indicator and its gap, a
    // button's frame, a frame's title insets, a text box's frame.
    QSize room = w->size();
    QStyle* st = w->style();
    switch (c->kind()) {
      case ControlKind::CheckBox:
        room.rwidth() -= st->pixelMetric(QStyle::PM_IndicatorWidth, nullptr, w) +
                         st->pixelMetric(QStyle::PM_CheckBoxLabelSpacing, nullptr, w);
        break;
      case ControlKind::OptionButton:
        room.rwidth() -= st->pixelMetric(QStyle::PM_ExclusiveIndicatorWidth, nullptr, w) +
                         st->pixelMetric(QStyle::PM_RadioButtonLabelSpacing, nullptr, w);
        break;
      case ControlKind::CommandButton: {
        // Where the style draws the caption.
        QStyleOptionButton opt;
        opt.initFrom(w);
        opt.rect = w->rect();
        room = st->subElementRect(QStyle::SE_PushButtonContents, &opt, w).size();
        break;
      }
      case ControlKind::Frame: room = QSize(room.width() - 16, text.height()); break;
      case ControlKind::TextBox:
        text = QSize(0, fm.height());
        room -= QSize(0, 4);
        break;
      case ControlKind::ListBox: continue;
      default: break;
    }
    if (c->kind() != ControlKind::TextBox && caption.isEmpty()) continue;
    if (text.width() > room.width() || text.height() > room.height()) {
      out.push_back(form.name() + " " + c->id() + " \"" + c->caption() + "\": text " +
                    std::to_string(text.width()) + "x" + std::to_string(text.height()) +
                    " px, room " + std::to_string(room.width()) + "x" +
                    std::to_string(room.height()));
    }
  }
  return out;
}

std::vector<std::string> overlappingWidgets(QtToolkit& tk, const Form& form) {
  std::vector<std::string> out;
  const std::vector<Control*> all = form.tabOrder();
  for (std::size_t i = 0; i < all.size(); ++i) {
    for (std::size_t j = i + 1; j < all.size(); ++j) {
      if (all[i]->container() != all[j]->container()) continue;
      QWidget* a = tk.widgetOf(*all[i]);
      QWidget* b = tk.widgetOf(*all[j]);
      if (a && b && a->geometry().intersects(b->geometry()))
        out.push_back(form.name() + " " + all[i]->id() + " and " + all[j]->id());
    }
  }
  return out;
}

std::string windowClass(Hwnd h) {
  std::string v = property(h, XCB_ATOM_WM_CLASS);
  const std::size_t nul = v.find('\0');
  if (nul == std::string::npos) return v;
  std::string cls = v.substr(nul + 1);
  if (!cls.empty() && cls.back() == '\0') cls.pop_back();
  return v.substr(0, nul) + "/" + cls;
}

std::string windowTitle(Hwnd h) { return property(h, atom("_NET_WM_NAME")); }

void setWindowTitle(Hwnd h, const std::string& title) {
  // As the X11 window system writes a title: both names.
  for (xcb_atom_t name : {atom("_NET_WM_NAME"), static_cast<xcb_atom_t>(XCB_ATOM_WM_NAME)}) {
    xcb_change_property(xcb(), XCB_PROP_MODE_REPLACE, h, name, atom("UTF8_STRING"), 8,
                        static_cast<std::uint32_t>(title.size()), title.data());
  }
  xcb_flush(xcb());
}

void syncX() { free(xcb_get_input_focus_reply(xcb(), xcb_get_input_focus(xcb()), nullptr)); }

QMargins frameExtents(Hwnd h) {
  const std::string v = property(h, atom("_NET_FRAME_EXTENTS"));
  if (v.size() < 16) return QMargins();
  std::uint32_t e[4];
  memcpy(e, v.data(), sizeof e);
  return QMargins(static_cast<int>(e[0]), static_cast<int>(e[2]), static_cast<int>(e[1]),
                  static_cast<int>(e[3]));
}

int wmState(Hwnd h) {
  const std::string v = property(h, atom("WM_STATE"));
  if (v.size() < 4) return 0;
  std::uint32_t state;
  memcpy(&state, v.data(), 4);
  return static_cast<int>(state);
}

bool pumpUntil(QtToolkit& tk, const std::function<bool()>& condition,
               std::chrono::milliseconds deadline) {
  const auto end = std::chrono::steady_clock::now() + deadline;
  // Wakes the wait below now and then, so the deadline is seen.
  QTimer wake;
  wake.start(5);
  for (;;) {
    tk.doEvents();
    if (condition()) return true;
    if (std::chrono::steady_clock::now() >= end) return false;
    QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents);
  }
}

bool windowManagerCaughtUp(QtToolkit& tk) {
  xcb_connection_t* c = xcb();
  const xcb_screen_t* screen = xcb_setup_roots_iterator(xcb_get_setup(c)).data;
  const xcb_window_t probe = xcb_generate_id(c);
  xcb_create_window(c, XCB_COPY_FROM_PARENT, probe, screen->root, 0, 0, 1, 1, 0,
                    XCB_WINDOW_CLASS_INPUT_OUTPUT, XCB_COPY_FROM_PARENT, 0, nullptr);
  xcb_client_message_event_t request{};
  request.response_type = XCB_CLIENT_MESSAGE;
  request.format = 32;
  request.window = probe;
  request.type = atom("_NET_REQUEST_FRAME_EXTENTS");
  xcb_send_event(c, 0, screen->root,
                 XCB_EVENT_MASK_SUBSTRUCTURE_REDIRECT | XCB_EVENT_MASK_SUBSTRUCTURE_NOTIFY,
                 reinterpret_cast<const char*>(&request));
  xcb_flush(c);
  const xcb_atom_t extents = atom("_NET_FRAME_EXTENTS");
  const bool answered = pumpUntil(tk, [&] { return !property(probe, extents).empty(); });
  xcb_destroy_window(c, probe);
  xcb_flush(c);
  return answered;
}

BoxUser::BoxUser(QMessageBox::StandardButton answer, std::function<bool()> until)
    : answer_(answer), until_(std::move(until)) {
  QObject::connect(&timer_, &QTimer::timeout, [this] { look(); });
  timer_.start(5);
}

void BoxUser::look() {
  QMessageBox* box = nullptr;
  for (QWidget* w : QApplication::topLevelWidgets()) {
    if (auto* b = qobject_cast<QMessageBox*>(w); b && b->isVisible()) box = b;
  }
  if (!box) return;
  if (!seen_) {
    SeenBox s;
    s.title = ustr(box->windowTitle());
    s.text = ustr(box->text());
    s.icon = box->icon();
    for (QAbstractButton* b : box->buttons()) s.buttons.push_back(box->standardButton(b));
    std::sort(s.buttons.begin(), s.buttons.end());
    s.defaultButton = box->standardButton(box->defaultButton());
    s.modality = box->windowModality();
    s.staysOnTop = box->windowFlags().testFlag(Qt::WindowStaysOnTopHint);
    s.hasParent = box->parentWidget() != nullptr;
    seen_ = s;
  }
  if (until_ && !until_()) return;
  timer_.stop();
  answered_ = true;
  if (QAbstractButton* b = box->button(answer_)) b->click();
}

}  // namespace kivo::qt::test
