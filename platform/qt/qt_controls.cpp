// Qt toolkit: the forms' child widgets (QGroupBox, QRadioButton, QCheckBox,
// QPushButton, QLineEdit, QLabel, QListWidget), their change reports and the
// user's input on them.
#include <QButtonGroup>
#include <QCheckBox>
#include <QGroupBox>
#include <QItemSelectionModel>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QRadioButton>
#include <QSignalBlocker>

#include "platform/qt/qt_form_view.h"
#include "platform/qt/qt_toolkit.h"
#include "platform/qt/qt_util.h"

namespace kivo::qt {

namespace {

// QLineEdit's own ceiling, standing for "no limit".
constexpr int kNoLimit = 32767;

bool takesFocus(ControlKind kind) {
  return kind != ControlKind::Label && kind != ControlKind::Frame && kind != ControlKind::Timer;
}

Qt::CheckState checkState(int value) {
  return value == 1 ? Qt::Checked : value == 2 ? Qt::PartiallyChecked : Qt::Unchecked;
}

// The row the user has selected, -1 for none.
int selectedRow(const QListWidget& list) {
  const QModelIndexList rows = list.selectionModel()->selectedRows();
  return rows.isEmpty() ? -1 : rows.front().row();
}

}  // namespace

void QtToolkit::createControls(FormEntry& fe) {
  for (Control* c : fe.form->tabOrder()) {
    ControlWidget* container = c->container() ? controlWidget(fe, *c->container()) : nullptr;
    QWidget* w = newControlWidget(fe, *c, container ? container->widget : fe.view);
    if (!w) continue;
    w->setObjectName(qstr(c->id()));
    w->setFont(qfont(c->font()));
    fe.controls.push_back(ControlWidget{c, w});
  }
  setLabelBuddies(fe);
  layoutForm(fe);
  for (ControlWidget& cw : fe.controls)
    pushControl(fe, cw,
                kChangeValue | kChangeEnabled | kChangeVisible | kChangeRows | kChangeMaxLength);
  for (ControlWidget& cw : fe.controls) connectInput(fe, cw);
  setTabOrder(fe);
}

QWidget* QtToolkit::newControlWidget(FormEntry& fe, const Control& c, QWidget* parent) {
  const QString caption = qstr(c.caption());
  switch (c.kind()) {
    case ControlKind::Frame: return new QGroupBox(caption, parent);
    case ControlKind::OptionButton: {
      // The option buttons of one container are one exclusive group.
      auto* r = new QRadioButton(caption, parent);
      QButtonGroup*& group = fe.groups[c.container()];
      if (!group) group = new QButtonGroup(fe.view);
      group->addButton(r);
      return r;
    }
    case ControlKind::CheckBox: return new QCheckBox(caption, parent);
    case ControlKind::CommandButton: {
      auto* b = new QPushButton(caption, parent);
      // Enter presses the focused button, else the default one (the
      // form's key handling), as on the program's home desktop.
      b->setAutoDefault(true);
      b->setDefault(static_cast<const CommandButton&>(c).isDefault());
      return b;
    }
    case ControlKind::TextBox: return new QLineEdit(parent);
    case ControlKind::Label: {
      auto* l = new QLabel(caption, parent);
      l->setTextFormat(Qt::PlainText);
      l->setAlignment(Qt::AlignLeft | Qt::AlignTop);
      return l;
    }
    case ControlKind::ListBox: {
      auto* l = new QListWidget(parent);
      l->setSelectionMode(QAbstractItemView::SingleSelection);
      return l;
    }
    case ControlKind::Timer: return nullptr;
  }
  return nullptr;
}

void QtToolkit::setLabelBuddies(FormEntry& fe) {
  // A label's access key moves to the control after it in tab order.
  for (std::size_t i = 0; i < fe.controls.size(); ++i) {
    auto* label = qobject_cast<QLabel*>(fe.controls[i].widget);
    if (!label) continue;
    for (std::size_t j = i + 1; j < fe.controls.size(); ++j) {
      if (!takesFocus(fe.controls[j].control->kind())) continue;
      label->setBuddy(fe.controls[j].widget);
      break;
    }
  }
}

void QtToolkit::setTabOrder(FormEntry& fe) {
  QWidget* previous = nullptr;
  for (ControlWidget& cw : fe.controls) {
    if (!takesFocus(cw.control->kind())) continue;
    if (previous) QWidget::setTabOrder(previous, cw.widget);
    previous = cw.widget;
  }
}

// ---- Pushes --------------------------------------------------------------------

void QtToolkit::controlChanged(Control& control, std::uint32_t what) {
  FormEntry* fe = entry(control.form());
  ControlWidget* cw = fe ? controlWidget(*fe, control) : nullptr;
  if (!cw) return;
  Pushing pushing(pushing_);
  pushControl(*fe, *cw, what);
  // A longer caption or a larger font may need a larger box.
  if (what & (kChangeCaption | kChangeFont)) layoutForm(*fe);
}

void QtToolkit::pushControl(FormEntry& fe, ControlWidget& cw, std::uint32_t what) {
  const Control& c = *cw.control;
  QWidget* w = cw.widget;
  const QSignalBlocker block(w);
  if (what & kChangeCaption) {
    const QString caption = qstr(c.caption());
    if (auto* b = qobject_cast<QAbstractButton*>(w)) b->setText(caption);
    if (auto* g = qobject_cast<QGroupBox*>(w)) g->setTitle(caption);
    if (auto* l = qobject_cast<QLabel*>(w)) l->setText(caption);
  }
  if (what & kChangeFont) w->setFont(qfont(c.font()));
  if (what & (kChangeEnabled | kChangeVisible)) pushEffectiveState(cw);
  if (auto* list = qobject_cast<QListWidget*>(w); list && (what & kChangeRows)) {
    const QSignalBlocker blockSelection(list->selectionModel());
    list->clear();
    for (const std::string& row : static_cast<const ListBox&>(c).rows()) list->addItem(qstr(row));
    // New rows lose the selection: the model's goes back.
    what |= kChangeValue;
  }
  if (what & (kChangeValue | kChangeMaxLength)) pushValue(fe, cw);
}

void QtToolkit::pushValue(FormEntry& fe, ControlWidget& cw) {
  const Control& c = *cw.control;
  QWidget* w = cw.widget;
  const QSignalBlocker block(w);
  switch (c.kind()) {
    case ControlKind::CheckBox: {
      auto* b = static_cast<QCheckBox*>(w);
      const int value = static_cast<const CheckBox&>(c).value();
      // Grayed only when the model says so: a click never makes it grayed.
      b->setTristate(value == 2);
      b->setCheckState(checkState(value));
      break;
    }
    case ControlKind::OptionButton: {
      auto* r = static_cast<QRadioButton*>(w);
      const bool on = static_cast<const OptionButton&>(c).value();
      if (on == r->isChecked()) break;
      if (on) {
        r->setChecked(true);
      } else if (QButtonGroup* group = fe.groups[c.container()]) {
        // An exclusive group keeps its one checked button: the model may
        // have none selected.
        group->setExclusive(false);
        r->setChecked(false);
        group->setExclusive(true);
      }
      break;
    }
    case ControlKind::TextBox: {
      auto* e = static_cast<QLineEdit*>(w);
      const auto& box = static_cast<const TextBox&>(c);
      const QString want = qstr(box.text());
      // The limit holds for typing; code may have set a longer text, which
      // the box shows in full.
      const int limit = box.maxLength() > 0 ? box.maxLength() : kNoLimit;
      e->setMaxLength(std::max<int>(limit, static_cast<int>(want.size())));
      // Setting the text the box shows already would put the cursor back
      // to the start while the user types.
      if (e->text() != want) e->setText(want);
      break;
    }
    case ControlKind::ListBox: {
      auto* list = static_cast<QListWidget*>(w);
      const QSignalBlocker blockSelection(list->selectionModel());
      const int row = static_cast<const ListBox&>(c).listIndex();
      if (row < 0) {
        list->clearSelection();
        list->setCurrentRow(-1);
      } else {
        list->setCurrentRow(row, QItemSelectionModel::ClearAndSelect);
      }
      break;
    }
    default: break;
  }
}

void QtToolkit::pushEffectiveState(ControlWidget& cw) {
  // A frame's widget holds its controls, so a disabled or hidden frame
  // takes them out of the user's reach, as the model says; Qt moves the
  // focus off a widget the user can no longer reach.
  cw.widget->setEnabled(cw.control->enabled());
  cw.widget->setVisible(cw.control->visible());
}

// ---- The user's input ----------------------------------------------------------------

void QtToolkit::connectInput(FormEntry& fe, ControlWidget& cw) {
  Control* c = cw.control;
  const Form* form = fe.form;
  auto input = [this, form, c](const std::function<void(Control&)>& take) {
    if (pushing_ != 0) return;
    guarded([&] { take(*c); });
    guarded([&] { resync(form, c); });
  };
  switch (c->kind()) {
    case ControlKind::CheckBox:
    case ControlKind::OptionButton:
    case ControlKind::CommandButton:
      fe.connections.push_back(
          QObject::connect(static_cast<QAbstractButton*>(cw.widget), &QAbstractButton::clicked,
                           [input] { input([](Control& c) { c.userClick(); }); }));
      break;
    case ControlKind::TextBox:
      // Only the user's edits: setText by a push does not emit textEdited.
      fe.connections.push_back(QObject::connect(
          static_cast<QLineEdit*>(cw.widget), &QLineEdit::textEdited, [input](const QString& s) {
            input([&](Control& c) { static_cast<TextBox&>(c).userType(ustr(s)); });
          }));
      break;
    case ControlKind::ListBox: {
      auto* list = static_cast<QListWidget*>(cw.widget);
      fe.connections.push_back(QObject::connect(
          list->selectionModel(), &QItemSelectionModel::selectionChanged, [input, list] {
            const int row = selectedRow(*list);
            // The user cannot select nothing: resync puts the model's back.
            input([row](Control& c) {
              if (row >= 0) static_cast<ListBox&>(c).userSelect(row);
            });
          }));
      break;
    }
    default: break;
  }
}

void QtToolkit::resync(const Form* form, Control* control) {
  // The handler may have unloaded the form: look it up again.
  const auto it = forms_.find(form);
  if (it == forms_.end()) return;
  FormEntry& fe = *it->second;
  Pushing pushing(pushing_);
  for (ControlWidget& cw : fe.controls) {
    // An option button's click may have moved Qt's check within its group.
    const bool sibling = control->kind() == ControlKind::OptionButton &&
                         cw.control->kind() == ControlKind::OptionButton &&
                         cw.control->container() == control->container();
    if (cw.control == control || sibling) pushValue(fe, cw);
  }
}

QtToolkit::ControlWidget* QtToolkit::controlWidget(FormEntry& fe, const Control& control) {
  for (ControlWidget& cw : fe.controls) {
    if (cw.control == &control) return &cw;
  }
  return nullptr;
}

QWidget* QtToolkit::widgetOf(const Control& control) const {
  auto* self = const_cast<QtToolkit*>(this);
  FormEntry* fe = self->entry(control.form());
  if (!fe) return nullptr;
  if (!fe->built) {
    Pushing pushing(self->pushing_);
    self->buildControls(*fe);
  }
  for (const ControlWidget& cw : fe->controls) {
    if (cw.control == &control) return cw.widget;
  }
  return nullptr;
}

}  // namespace kivo::qt
