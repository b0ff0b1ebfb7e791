#pragma once
// The open-file dialog of the Linux desktop: Qt's own QFileDialog with the
// request's title, initial file and filters. Matching ignores letter case
// ("*.WAV" finds "chime.wav"), and the filter of programs (the one whose
// patterns name *.exe) also offers what starts a program here: executable
// files, *.desktop entries and *.sh scripts.

#include <QString>
#include <QStringList>

#include <vector>

#include "platform/platform.h"

class QFileInfo;

namespace kivo::qt {

class QtToolkit;

// One filter of a request, as the dialog offers it.
struct FileFilter {
  QString description;
  QStringList patterns;   // "*.exe;*.com" split at ';'
  bool programs = false;  // also executables, *.desktop and *.sh
};

std::vector<FileFilter> fileFilters(const OpenFileRequest& request);
// Whether the dialog lists this file (not a folder) under the filter.
bool filterAccepts(const FileFilter& filter, const QFileInfo& file);

class QtFileDialog : public FileDialog {
 public:
  // With the toolkit, the dialog sits on the request's owner window and
  // runs in the toolkit's loops (timers go on, quit() leaves it, and after
  // quit() no dialog appears).
  explicit QtFileDialog(QtToolkit* toolkit = nullptr) : toolkit_(toolkit) {}
  bool getOpenFileName(OpenFileRequest& request) override;

 private:
  QtToolkit* toolkit_;
};

}  // namespace kivo::qt
