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

#include <algorithm>
#include <cstdlib>
#include <map>

#include "platform/qt/qt_util.h"
#include "tests/x11/backend/test_client.h"

namespace kivo::qt::test {

namespace {

// Qt's X connection; nullptr natively on Wayland, where the rig has no
// server to ask and reads what Qt knows.
xcb_connection_t* xcb() {
  if (!onX11()) return nullptr;
  auto* x11 = qApp->nativeInterface<QNativeInterface::QX11Application>();
  return x11 ? x11->connection() : nullptr;
}

// The X server as another client sees it (atoms are the server's, the
// same on every connection).
x11::test::TestClient& server() {
  static x11::test::TestClient client;
  return client;
}

int px(int twips, int dpi) { return twipsToPx(twips, dpi); }

// "a,b" for a place, "axb" for a size, in the messages of the comparisons.
std::string pair(int a, char between, int b) {
  return std::to_string(a) + between + std::to_string(b);
}

// The face of the design where the widget's font is the face the toolkit
// resolves it to.
FontSpec fontOf(QtToolkit& tk, const Control& c, const QWidget& w) {
  FontSpec f = c.font();
  if (w.font().family() != tk.resolvedFace(c.font())) f.face = ustr(w.font().family());
  f.points = w.font().pointSize();
  f.bold = w.font().bold();
  return f;
}

sim::ControlView readControl(QtToolkit& tk, const Control& c, QWidget& w) {
  sim::ControlView v = sim::buildView(c);  // the parts a kind's widget lacks
  QWidget* view = tk.widgetOf(c.form());
  if (auto* e = qobject_cast<QLineEdit*>(&w)) {
    v.text = ustr(e->text());
    // The limit holds for typing; a longer text set by code widens it.
    const auto& box = static_cast<const TextBox&>(c);
    const int limit = e->maxLength() >= 32767 ? 0 : e->maxLength();
    v.maxLength = limit > box.maxLength() && limit == static_cast<int>(e->text().size())
                      ? box.maxLength()
                      : limit;
  } else if (auto* l = qobject_cast<QListWidget*>(&w)) {
    v.rows.clear();
    for (int i = 0; i < l->count(); ++i) v.rows.push_back(ustr(l->item(i)->text()));
    const QModelIndexList selected = l->selectionModel()->selectedRows();
    v.selection = selected.isEmpty() ? -1 : selected.front().row();
  } else if (auto* b = qobject_cast<QAbstractButton*>(&w)) {
    v.caption = ustr(b->text());
  } else if (auto* g = qobject_cast<QGroupBox*>(&w)) {
    v.caption = ustr(g->title());
  } else if (auto* lb = qobject_cast<QLabel*>(&w)) {
    v.caption = ustr(lb->text());
  }
  if (auto* cb = qobject_cast<QCheckBox*>(&w)) {
    v.value = cb->checkState() == Qt::Checked            ? 1
              : cb->checkState() == Qt::PartiallyChecked ? 2
                                                         : 0;
  } else if (auto* r = qobject_cast<QRadioButton*>(&w)) {
    v.value = r->isChecked() ? 1 : 0;
  }
  v.enabled = w.isEnabledTo(view);
  v.visible = w.isVisibleTo(view);
  v.font = fontOf(tk, c, w);
  return v;
}

// Where the model puts a control, against its widget; a box grown for its
// text keeps its left edge and still covers its place.
void misplaced(std::vector<std::string>& out, QtToolkit& tk, const Control& c, const QWidget& w) {
  const Twips& t = c.layout();
  const int dx = tk.dpiX(), dy = tk.dpiY();
  const int left = px(t.left, dx), top = px(t.top, dy);
  const int width = px(t.left + t.width, dx) - left, height = px(t.top + t.height, dy) - top;
  const QRect g = w.geometry();
  const bool covers = g.y() <= top && g.y() + g.height() >= top + height;
  if (g.x() != left || g.width() < width || g.height() < height ||
      (g.height() == height ? g.y() != top : !covers)) {
    out.push_back(c.id() + " misplaced: widget " + pair(g.x(), ',', g.y()) + " " +
                  pair(g.width(), 'x', g.height()) + ", model " + pair(left, ',', top) + " " +
                  pair(width, 'x', height));
  }
}

// The controls in the order Tab visits those that take the focus.
std::vector<const Control*> focusChain(QtToolkit& tk, const Form& form) {
  std::map<QWidget*, const Control*> controls;
  QWidget* first = nullptr;
  for (const Control* c : form.tabOrder()) {
    QWidget* w = tk.widgetOf(*c);
    if (!w || w->focusPolicy() == Qt::NoFocus) continue;
    controls[w] = c;
    if (!first) first = w;
  }
  std::vector<const Control*> out;
  for (QWidget* w = first; w && out.size() < controls.size();) {
    out.push_back(controls[w]);
    do {
      w = w->nextInFocusChain();
    } while (w != first && !controls.count(w));
    if (w == first) break;
  }
  return out;
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

std::optional<contract::NativeForm> readForm(QtToolkit& tk, const Form& form) {
  QWidget* view = tk.widgetOf(form);
  if (!view) return std::nullopt;
  contract::NativeForm out;
  if (QtToolkit::handleOf(*view) != form.hwnd()) out.problems.push_back("handle differs");
  sim::FormView& f = out.form = sim::buildView(form);
  f.caption = ustr(view->windowTitle());
  f.visible = view->isVisible();
  if (view->isVisible())
    f.state = view->isMinimized()   ? WindowState::Minimized
              : view->isMaximized() ? WindowState::Maximized
                                    : WindowState::Normal;
  // The client area is at least the model's (grown for text): the window
  // manager frames it and places it, which placeDifferences checks.
  if (view->width() < px(form.clientWidth(), tk.dpiX()))
    f.width = view->width() * 1440 / tk.dpiX() + form.width() - form.clientWidth();
  if (view->height() < px(form.clientHeight(), tk.dpiY()))
    f.height = view->height() * 1440 / tk.dpiY() + form.height() - form.clientHeight();
  f.icon = view->windowIcon().isNull() ? kNoIcon : form.icon();
  for (const Control* c : form.tabOrder()) {
    QWidget* w = tk.widgetOf(*c);
    if (!w) continue;
    out.controls.emplace_back(c, readControl(tk, *c, *w));
    misplaced(out.problems, tk, *c, *w);
    if (auto* pb = qobject_cast<QPushButton*>(w); pb && pb->isDefault()) out.defaultButton = c;
  }
  out.tabOrder = focusChain(tk, form);
  return out;
}

std::vector<std::string> placeDifferences(QtToolkit& tk, const Form& form) {
  std::vector<std::string> out;
  QWidget* view = tk.widgetOf(form);
  if (!view) return {form.name() + ": no window"};
  if (!view->isVisible() || view->isMinimized()) return out;
  // A Wayland compositor places the windows and tells no client where.
  if (!onX11()) return out;
  // The frame as the window manager states it (Qt's own idea of it can lag).
  const std::vector<std::uint32_t> ltrb = server().cardinals(form.hwnd(), "_NET_FRAME_EXTENTS");
  QPoint frame = view->geometry().topLeft() - view->frameGeometry().topLeft();
  if (ltrb.size() == 4) {
    frame = QPoint(static_cast<int>(ltrb[0]), static_cast<int>(ltrb[2]));
  } else if (frame.isNull()) {
    out.push_back(form.name() + ": not framed");
  }
  const QPoint at = view->geometry().topLeft() - frame;
  const int left = px(form.left(), tk.dpiX()), top = px(form.top(), tk.dpiY());
  if (at.x() != left || at.y() != top) {
    out.push_back(form.name() + " at " + pair(at.x(), ',', at.y()) + ", model " +
                  pair(left, ',', top));
  }
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
                    pair(text.width(), 'x', text.height()) + " px, room " +
                    pair(room.width(), 'x', room.height()));
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
  if (!onX11()) return {};
  // "instance\0class\0" as "instance/class".
  std::string v = server().property(h, "WM_CLASS").bytes;
  if (!v.empty() && v.back() == '\0') v.pop_back();
  std::replace(v.begin(), v.end(), '\0', '/');
  return v;
}

std::string windowTitle(Hwnd h) {
  return onX11() ? server().property(h, "_NET_WM_NAME").bytes : std::string();
}

void setWindowTitle(Hwnd h, const std::string& title) {
  if (!onX11()) return;
  // As the X11 window system writes a title: both names.
  for (const char* name : {"_NET_WM_NAME", "WM_NAME"})
    server().setProperty(h, name, "UTF8_STRING", title);
}

void syncX() {
  if (xcb_connection_t* c = xcb())
    free(xcb_get_input_focus_reply(c, xcb_get_input_focus(c), nullptr));
}

QMargins frameExtents(Hwnd h) {
  if (!onX11()) return QMargins();
  const std::vector<std::uint32_t> e = server().cardinals(h, "_NET_FRAME_EXTENTS");
  if (e.size() < 4) return QMargins();
  return QMargins(static_cast<int>(e[0]), static_cast<int>(e[2]), static_cast<int>(e[1]),
                  static_cast<int>(e[3]));
}

int wmState(Hwnd h) {
  if (!onX11()) return 0;
  const std::vector<std::uint32_t> state = server().cardinals(h, "WM_STATE");
  return state.empty() ? 0 : static_cast<int>(state[0]);
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
  // A Wayland compositor handles a client's requests in the order they come
  // and lets go of no window; what it answered is taken in here.
  if (!onX11()) {
    tk.doEvents();
    return true;
  }
  // Once the server has carried out the program's requests, the window
  // manager answers a request made after them after them.
  syncX();
  x11::test::TestClient& x = server();
  const xcb_window_t probe = x.create("KivoProbe");
  x.send(x.root(), probe, "_NET_REQUEST_FRAME_EXTENTS", 0);
  const bool answered =
      pumpUntil(tk, [&] { return !x.cardinals(probe, "_NET_FRAME_EXTENTS").empty(); });
  x.destroy(probe);
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
