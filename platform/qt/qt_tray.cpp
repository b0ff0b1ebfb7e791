// The tray icon over Qt's QSystemTrayIcon.
#include "platform/qt/qt_tray.h"

#include <QAction>
#include <QFont>
#include <QIcon>
#include <QMenu>
#include <QSystemTrayIcon>
#include <utility>

#include "platform/qt/qt_util.h"

namespace kivo::qt {

QtTrayIcon::QtTrayIcon(std::function<void()> beforeMenu)
    : beforeMenu_(std::move(beforeMenu)),
      icon_(new QSystemTrayIcon(programIcon())),
      menu_(new QMenu) {
  icon_->setContextMenu(menu_);
  // Asked afresh on every opening: the start at login may have changed
  // elsewhere since.
  QObject::connect(menu_, &QMenu::aboutToShow, menu_, [this] { fillMenu(); });
  QObject::connect(icon_, &QSystemTrayIcon::activated, icon_,
                   [this](QSystemTrayIcon::ActivationReason reason) {
                     if (reason == QSystemTrayIcon::DoubleClick && onChoose) onChoose(-1);
                   });
}

QtTrayIcon::~QtTrayIcon() {
  icon_->hide();
  // Connections made with `this` in mind end here; the objects go when Qt
  // is back in its event loop.
  QObject::disconnect(menu_, nullptr, nullptr, nullptr);
  QObject::disconnect(icon_, nullptr, nullptr, nullptr);
  for (QAction* action : menu_->actions()) QObject::disconnect(action, nullptr, nullptr, nullptr);
  icon_->deleteLater();
  menu_->deleteLater();
}

bool QtTrayIcon::show(const std::string& tooltip) {
  icon_->setToolTip(qstr(tooltip));
  if (!icon_->isVisible()) icon_->show();
  return QSystemTrayIcon::isSystemTrayAvailable();
}

void QtTrayIcon::hide() { icon_->hide(); }

void QtTrayIcon::fillMenu() {
  if (beforeMenu_) beforeMenu_();
  menu_->clear();
  if (!menu) return;
  const std::vector<TrayMenuItem> items = menu();
  for (int i = 0; i < static_cast<int>(items.size()); ++i) {
    const TrayMenuItem& item = items[i];
    if (item.separatorBefore) menu_->addSeparator();
    QAction* action = menu_->addAction(qstr(item.text));
    action->setCheckable(item.checkable);
    action->setChecked(item.checked);
    if (i == 0) {
      // The item a double-click runs stands out, as Windows shows it.
      QFont bold = action->font();
      bold.setBold(true);
      action->setFont(bold);
    }
    QObject::connect(action, &QAction::triggered, menu_, [this, i] {
      if (onChoose) onChoose(i);
    });
  }
}

}  // namespace kivo::qt
