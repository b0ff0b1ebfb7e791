// Kivo's own last words when the X server or the Wayland compositor goes
// away, in place of Qt's.
#include "platform/qt/qt_display_loss.h"

#include <QString>
#include <QtGlobal>
#include <cstdio>
#include <cstdlib>
#include <mutex>

namespace kivo::qt {

namespace {

std::string g_displayName;
QtMessageHandler g_previousHandler = nullptr;
// Held from the line to the end: a second thread that finds the display
// gone (Qt's Wayland event thread beside Kivo's own socket) waits here until
// the first has said it and ended the process, so the line is never cut off.
std::mutex g_ending;

[[noreturn]] void endSaying(const char* kind, const std::string& displayName) {
  g_ending.lock();
  std::fprintf(stderr, "kivo: lost the %s display %s\n", kind, displayName.c_str());
  // No exit handlers: Qt's would close its Xlib display on the dead
  // connection, and Xlib would then print its own "XIO: fatal IO error"
  // after our line.
  std::fflush(nullptr);
  std::_Exit(1);
}

void filterMessages(QtMsgType type, const QMessageLogContext& context, const QString& message) {
  // The xcb plugin's words just before it exits with status 1 (Qt 6 says
  // "The X11 connection broke (error N). Did the X11 server die?" or
  // "The X11 connection broke: WHY (code N)").
  if (message.startsWith(QLatin1String("The X11 connection broke")))
    endOnLostDisplay(g_displayName);
  // The wayland plugin's, before it exits with status 255: "The Wayland
  // connection broke. Did the Wayland compositor die?", or "The Wayland
  // connection experienced a fatal error: WHY".
  if (message.startsWith(QLatin1String("The Wayland connection")))
    endSaying("Wayland", g_displayName);
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

void endOnLostDisplay(const std::string& displayName) { endSaying("X", displayName); }
void endOnLostWaylandDisplay(const std::string& displayName) { endSaying("Wayland", displayName); }

std::string waylandDisplayName() {
  const char* name = std::getenv("WAYLAND_DISPLAY");
  return name != nullptr && *name != '\0' ? name : "wayland-0";
}

}  // namespace kivo::qt
