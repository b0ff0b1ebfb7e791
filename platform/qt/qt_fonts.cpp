// Qt toolkit: the fonts the forms model names, at their point size on the
// screen's density, falling back on faces this machine has.
#include <QFont>
#include <QFontDatabase>
#include <QStringList>

#include "platform/qt/qt_toolkit.h"
#include "platform/qt/qt_util.h"

namespace kivo::qt {

namespace {

// The character set of the program's font (Shift-JIS) needs Japanese glyphs.
QFontDatabase::WritingSystem writingSystem(int charset) {
  return charset == kCharsetShiftJis ? QFontDatabase::Japanese : QFontDatabase::Latin;
}

}  // namespace

bool QtToolkit::faceInstalled(const QString& face, int charset) {
  const auto key = std::make_pair(face, charset);
  if (const auto it = installed_.find(key); it != installed_.end()) return it->second;
  // Only a face that has the character set's glyphs counts: a Japanese
  // caption never falls on a face that would draw it as boxes.
  bool found = false;
  for (const QString& family : QFontDatabase::families(writingSystem(charset))) {
    if (family.compare(face, Qt::CaseInsensitive) == 0) {
      found = true;
      break;
    }
  }
  installed_[key] = found;
  return found;
}

QString QtToolkit::resolvedFace(const FontSpec& font) {
  const QString own = qstr(font.face);
  if (faceInstalled(own, font.charset)) return own;
  for (std::string_view fallback : kFontFallbacks) {
    const QString face = qstr(fallback);
    if (faceInstalled(face, font.charset)) return face;
  }
  // None of the known faces: any face with the character set will do, and
  // with none at all the font matching of the system has the last word.
  const QStringList any = QFontDatabase::families(writingSystem(font.charset));
  return any.isEmpty() ? own : any.front();
}

QFont QtToolkit::qfont(const FontSpec& font) {
  QFont f(resolvedFace(font));
  // Points of the em, as on the program's home desktop; Qt turns them into
  // pixels with the screen's logical dots per inch.
  f.setPointSize(font.points);
  f.setBold(font.bold);
  f.setStyleHint(QFont::SansSerif);
  return f;
}

}  // namespace kivo::qt
