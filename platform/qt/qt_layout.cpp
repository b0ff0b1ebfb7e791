// Qt toolkit: the forms' layout from the model's twips at the screen's
// density, with every box that is too small for its text grown until the
// text fits (the program's layout was made for a narrower, shorter face).
#include <QAbstractButton>
#include <QFontMetrics>
#include <QGroupBox>
#include <QPushButton>
#include <QStyle>
#include <QStyleOptionButton>

#include <algorithm>
#include <map>

#include "platform/qt/qt_form_view.h"
#include "platform/qt/qt_toolkit.h"
#include "platform/qt/qt_util.h"

namespace kivo::qt {

namespace {

// Room a button leaves its caption on each side beyond the style's own
// frame, so a grown button does not look stuffed.
constexpr int kButtonPaddingPx = 3;
// Room a grown control keeps from the edge of its frame and of its form.
constexpr int kFrameInsetPx = 2;
constexpr int kFormMarginPx = 4;

QSize buttonChrome(const QPushButton& b) {
  // What the style takes from a button's rectangle before it draws the
  // caption, measured on a rectangle of any size.
  QStyleOptionButton opt;
  opt.initFrom(&b);
  opt.features = QStyleOptionButton::None;
  if (b.autoDefault()) opt.features |= QStyleOptionButton::AutoDefaultButton;
  if (b.isDefault()) opt.features |= QStyleOptionButton::DefaultButton;
  opt.rect = QRect(0, 0, 200, 100);
  const QRect inner = b.style()->subElementRect(QStyle::SE_PushButtonContents, &opt, &b);
  return QSize(200 - inner.width(), 100 - inner.height());
}

// The size a control needs to show its caption (and a text box its text)
// whole in its font; 0 where there is nothing to fit.
QSize neededSize(const Control& c, QWidget& w) {
  const QFontMetrics fm(w.font());
  const QString caption = qstr(c.caption());
  switch (c.kind()) {
    case ControlKind::Label:
      return caption.isEmpty() ? QSize() : fm.size(Qt::TextShowMnemonic, caption);
    case ControlKind::CheckBox:
    case ControlKind::OptionButton:
      // The indicator, the gap and the text, as the style lays them out.
      return w.sizeHint();
    case ControlKind::CommandButton: {
      const QSize text = fm.size(Qt::TextShowMnemonic, caption);
      return text + buttonChrome(static_cast<QPushButton&>(w)) + QSize(2 * kButtonPaddingPx, 0);
    }
    case ControlKind::TextBox:
      // The line of text with the box's frame and margins; the width
      // scrolls.
      return QSize(0, w.minimumSizeHint().height());
    case ControlKind::Frame:
      // The title along the top; the height is its contents'.
      return QSize(static_cast<QGroupBox&>(w).minimumSizeHint().width(), 0);
    default: return QSize();
  }
}

// The box `r` made at least `need` big. Wider to the right, where the text
// runs. Taller on both sides, so the text stays on the line it was laid out
// on, unless that crosses a neighbour: then downwards, or else upwards.
template <typename Crosses>
QRect grownBox(QRect r, QSize need, const Crosses& crosses) {
  if (need.width() > r.width()) r.setWidth(need.width());
  if (need.height() <= r.height()) return r;
  const int extra = need.height() - r.height();
  const bool wasClear = !crosses(r);
  r.setHeight(need.height());
  QRect centred = r.translated(0, -extra / 2);
  if (centred.top() < 0) centred.moveTop(0);
  const QRect down = r, up = r.translated(0, -std::min(extra, r.top()));
  if (!wasClear || !crosses(centred)) return centred;
  if (!crosses(down)) return down;
  if (!crosses(up)) return up;
  return centred;
}

}  // namespace

void QtToolkit::layoutForm(FormEntry& fe) {
  const int dx = dpiX(), dy = dpiY();
  std::map<const Control*, QRect> place;  // relative to the container's widget
  // Boxes placed so far that a grown box had better not cross.
  auto crosses = [&](const Control& c, const QRect& r) {
    for (const auto& [other, o] : place) {
      if (other->container() == c.container() && o.intersects(r)) return true;
    }
    return false;
  };
  for (ControlWidget& cw : fe.controls) {
    const Control& c = *cw.control;
    const Twips& t = c.layout();
    const int x0 = twipsToPx(t.left, dx), y0 = twipsToPx(t.top, dy);
    const QRect r(x0, y0, twipsToPx(t.left + t.width, dx) - x0,
                  twipsToPx(t.top + t.height, dy) - y0);
    place[cw.control] =
        grownBox(r, neededSize(c, *cw.widget), [&](const QRect& box) { return crosses(c, box); });
  }
  // Each frame holds what it contains (inner controls come later in tab
  // order, so they are settled first going backwards).
  for (auto it = fe.controls.rbegin(); it != fe.controls.rend(); ++it) {
    const Control* frame = it->control->container();
    if (!frame || !place.count(frame)) continue;
    QRect& f = place[frame];
    const QRect& r = place[it->control];
    f.setWidth(std::max(f.width(), r.x() + r.width() + kFrameInsetPx));
    f.setHeight(std::max(f.height(), r.y() + r.height() + kFrameInsetPx));
  }
  QSize client(twipsToPx(fe.form->clientWidth(), dx), twipsToPx(fe.form->clientHeight(), dy));
  for (const ControlWidget& cw : fe.controls) {
    const QRect& r = place[cw.control];
    cw.widget->setGeometry(r);
    if (cw.control->container()) continue;
    // A control that grew past the form's edge widens the form; one laid
    // out there already stays as it was.
    const Twips& t = cw.control->layout();
    if (r.right() > twipsToPx(t.left + t.width, dx) - 1)
      client.setWidth(std::max(client.width(), r.x() + r.width() + kFormMarginPx));
    if (r.bottom() > twipsToPx(t.top + t.height, dy) - 1)
      client.setHeight(std::max(client.height(), r.y() + r.height() + kFormMarginPx));
  }
  fe.view->setFixedSize(client);
}

}  // namespace kivo::qt
