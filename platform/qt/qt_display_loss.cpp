// Kivo's own last words when the X server goes away, in place of Qt's.
#include "platform/qt/qt_display_loss.h"

#include <QString>
#include <QtGlobal>
#include <atomic>
#include <cstdio>
#include <cstdlib>

namespace kivo::qt {

namespace {

std::string g_displayName;
QtMessageHandler g_previousHandler = nullptr;
std::atomic_flag g_said = ATOMIC_FLAG_INIT;

void sayLostDisplay(const std::string& displayName) {
  if (g_said.test_and_set()) return;
  std::fprintf(stderr, "kivo: lost the X display %s\n", displayName.c_str());
  std::fflush(stderr);
}

void filterMessages(QtMsgType type, const QMessageLogContext& context, const QString& message) {
  // The xcb plugin's words just before it exits with status 1 (Qt 6 says
  // "The X11 connection broke (error N). Did the X11 server die?" or
  // "The X11 connection broke: WHY (code N)").
  if (message.startsWith(QLatin1String("The X11 connection broke")))
    endOnLostDisplay(g_displayName);
  if (g_previousHandler != nullptr) {
    g_previousHandler(type, context, message);
  } else {
    std::fprintf(stderr, "%s\n",
                 qFormatLogMessage(type, context, message).toLocal8Bit().constData());
  }
}

}  // namespace

void reportDisplayLossAsKivo(const std::string& displayName) {
  g_displayName = displayName;
  QtMessageHandler previous = qInstallMessageHandler(filterMessages);
  // Installed twice (a second desktop in one process): keep the first one.
  if (previous != filterMessages) g_previousHandler = previous;
}

void endOnLostDisplay(const std::string& displayName) {
  sayLostDisplay(displayName);
  // No exit handlers: Qt's would close its Xlib display on the dead
  // connection, and Xlib would then print its own "XIO: fatal IO error"
  // after our line.
  std::fflush(nullptr);
  std::_Exit(1);
}

}  // namespace kivo::qt
