#pragma once
// Helpers of the Qt toolkit: text across the boundary (the core's UTF-8,
// Qt's UTF-16, lone surrogates kept), twips and pixels, the window system
// Qt draws on, and a guard that marks the toolkit's own changes to its
// widgets.

#include <QGuiApplication>
#include <QIcon>
#include <QString>

#include <cmath>
#include <string>
#include <string_view>

#include "platform/text.h"
#include "platform/utf16.h"

namespace kivo::qt {

inline QString qstr(std::string_view utf8) {
  const std::u16string u = text::toUtf16(utf8);
  return QString(reinterpret_cast<const QChar*>(u.data()), static_cast<qsizetype>(u.size()));
}

inline std::string ustr(const QString& s) {
  return text::fromUtf16(std::u16string_view(reinterpret_cast<const char16_t*>(s.utf16()),
                                             static_cast<std::size_t>(s.size())));
}

// A title as a window takes it: up to its first NUL.
inline QString qtitle(std::string_view utf8) { return qstr(text::cutAtNul(utf8)); }

// 1440 twips to the logical inch, rounded to the nearest pixel (halves away
// from zero). Edges are converted rather than sizes, so controls that touch
// in twips touch on the screen as well.
inline int twipsToPx(int twips, int dpi) {
  return static_cast<int>(std::lround(static_cast<double>(twips) * dpi / 1440.0));
}
inline int pxToTwips(int px, int dpi) {
  return static_cast<int>(std::lround(static_cast<double>(px) * 1440.0 / dpi));
}

// Whether Qt draws on an X server (the xcb platform: X11, or XWayland
// under a Wayland session) rather than natively on Wayland. Only then may
// the toolkit speak X to the window manager itself.
inline bool onX11() { return QGuiApplication::platformName() == QLatin1String("xcb"); }

// The program's icon at every size it is drawn in.
inline QIcon programIcon() {
  QIcon icon;
  for (int size : {16, 32, 48, 256})
    icon.addFile(QStringLiteral(":/kivo/kivo-%1.png").arg(size), QSize(size, size));
  return icon;
}

// The toolkit's own changes to its widgets while this lives: whatever the
// widgets report meanwhile is the push, not the user.
struct Pushing {
  explicit Pushing(int& n) : n(n) { ++n; }
  ~Pushing() { --n; }
  Pushing(const Pushing&) = delete;
  Pushing& operator=(const Pushing&) = delete;
  int& n;
};

}  // namespace kivo::qt
