// Qt toolkit: message boxes (QMessageBox with the style's buttons, icon,
// default button and modality) and modal dialogs in the toolkit's loops.
#include <QDialog>
#include <QEventLoop>
#include <QMessageBox>
#include <QPointer>
#include <QPushButton>

#include "platform/qt/qt_toolkit.h"
#include "platform/qt/qt_util.h"

namespace kivo::qt {

namespace {

struct BoxButton {
  QMessageBox::StandardButton button;
  int answer;
};

// The buttons of a style, in the order the style numbers them.
std::vector<BoxButton> buttonsOf(int style) {
  switch (style & kMbButtonsMask) {
    case kMbOkCancel: return {{QMessageBox::Ok, kIdOk}, {QMessageBox::Cancel, kIdCancel}};
    case kMbYesNo: return {{QMessageBox::Yes, kIdYes}, {QMessageBox::No, kIdNo}};
    default: return {{QMessageBox::Ok, kIdOk}};
  }
}

QMessageBox::Icon iconOf(int style) {
  switch (style & kMbIconMask) {
    case kMbIconStop: return QMessageBox::Critical;
    case kMbIconQuestion: return QMessageBox::Question;
    case kMbIconExclamation: return QMessageBox::Warning;
    case kMbIconInformation: return QMessageBox::Information;
    default: return QMessageBox::NoIcon;
  }
}

// Lines end in CR LF in the program's texts; a label breaks at LF.
QString boxText(const std::string& text) {
  QString s = qstr(text);
  s.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
  s.replace(QChar(u'\r'), QChar(u'\n'));
  return s;
}

}  // namespace

int QtToolkit::messageBox(Hwnd owner, const std::string& text, const std::string& title,
                          int style) {
  // The program has ended: no box may appear any more.
  if (quit_) return 0;
  useProgramFonts();
  // On its owner when the owner is up; a box over a hidden or minimized
  // window would not be seen (the alarm's owner is the hidden main window),
  // so it stands alone in the middle of the screen.
  QWidget* parent = ownerWidget(owner);
  QPointer<QMessageBox> box = new QMessageBox(parent);
  box->setWindowTitle(qstr(title));
  box->setTextFormat(Qt::PlainText);
  box->setText(boxText(text));
  box->setIcon(iconOf(style));
  const std::vector<BoxButton> buttons = buttonsOf(style);
  for (const BoxButton& b : buttons) box->addButton(b.button);
  const std::size_t defaultIndex = (style & kMbDefaultMask) == kMbDefButton2 ? 1 : 0;
  box->setDefaultButton(buttons[std::min(defaultIndex, buttons.size() - 1)].button);
  // (QMessageBox makes its window afresh for a modality: the flag after it.)
  if ((style & kMbModalityMask) == kMbSystemModal) {
    box->setWindowModality(Qt::ApplicationModal);
    // Above every window of every program until it is answered.
    box->setWindowFlag(Qt::WindowStaysOnTopHint, true);
  } else {
    box->setWindowModality(parent ? Qt::WindowModal : Qt::ApplicationModal);
  }
  runDialog(*box);
  int answer = 0;  // left by quit(), or gone with its owner
  if (box && !quit_) {
    const QMessageBox::StandardButton pressed = box->standardButton(box->clickedButton());
    for (const BoxButton& b : buttons) {
      if (b.button == pressed) answer = b.answer;
    }
  }
  delete box.data();
  return answer;
}

void QtToolkit::showLastBox(const std::string& text, const std::string& title) {
  if (signalledAfterQuit_) return;
  useProgramFonts();
  QMessageBox box(QMessageBox::Critical, qstr(title), boxText(text), QMessageBox::Ok);
  box.setTextFormat(Qt::PlainText);
  box.setWindowFlag(Qt::WindowStaysOnTopHint);
  lastBox_ = &box;
  box.exec();
  lastBox_ = nullptr;
}

int QtToolkit::runDialog(QDialog& dialog) {
  if (quit_) return 0;
  const QPointer<QDialog> alive(&dialog);
  QEventLoop loop;
  QObject::connect(&dialog, &QDialog::finished, &loop, [&loop] { loop.exit(0); });
  QObject::connect(&dialog, &QObject::destroyed, &loop, [&loop] { loop.exit(0); });
  dialog.show();
  dialog.raise();
  dialog.activateWindow();
  // The timers go on firing meanwhile; quit() leaves the loop.
  runLoop(loop, LoopKind::Dialog);
  if (!alive) return 0;
  if (quit_) {
    dialog.hide();
    return 0;
  }
  return dialog.result();
}

}  // namespace kivo::qt
