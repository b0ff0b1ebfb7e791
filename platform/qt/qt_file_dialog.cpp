// The open-file dialog: QFileDialog (Qt's own, not the desktop's, so the
// filters behave the same everywhere) with a proxy model that does the
// filtering, case-blind and with the programs of this system.
#include "platform/qt/qt_file_dialog.h"

#include <QDir>
#include <QFileDialog>
#include <QFileInfo>
#include <QFileSystemModel>
#include <QRegularExpression>
#include <QSortFilterProxyModel>

#include "platform/qt/qt_toolkit.h"
#include "platform/qt/qt_util.h"

namespace kivo::qt {

namespace {

// The proxy decides what is listed: every folder, and the files the
// selected filter accepts.
class FilterProxy : public QSortFilterProxyModel {
 public:
  explicit FilterProxy(QObject* parent) : QSortFilterProxyModel(parent) {}
  void setFilter(const FileFilter* filter) {
    filter_ = filter;
    invalidateFilter();
  }

 protected:
  bool filterAcceptsRow(int row, const QModelIndex& parent) const override {
    const auto* files = qobject_cast<const QFileSystemModel*>(sourceModel());
    if (!files || !filter_) return true;
    const QModelIndex index = files->index(row, 0, parent);
    if (files->isDir(index)) return true;
    return filterAccepts(*filter_, files->fileInfo(index));
  }

 private:
  const FileFilter* filter_ = nullptr;
};

// The label a filter has in the dialog's list: the description as the
// program gives it. The "(*)" lets the dialog's own model pass every file
// to the proxy; the dialog does not show it (HideNameFilterDetails).
QString label(const FileFilter& f) { return f.description + QStringLiteral(" (*)"); }

}  // namespace

std::vector<FileFilter> fileFilters(const OpenFileRequest& request) {
  std::vector<FileFilter> out;
  for (const auto& [description, pattern] : request.filters) {
    FileFilter f;
    f.description = qstr(description);
    for (const QString& p : qstr(pattern).split(u';', Qt::SkipEmptyParts)) {
      const QString trimmed = p.trimmed();
      if (trimmed.isEmpty()) continue;
      f.patterns << trimmed;
      if (trimmed.compare(QStringLiteral("*.exe"), Qt::CaseInsensitive) == 0) f.programs = true;
    }
    out.push_back(f);
  }
  return out;
}

bool filterAccepts(const FileFilter& filter, const QFileInfo& file) {
  const QString name = file.fileName();
  for (const QString& p : filter.patterns) {
    const QRegularExpression re(QRegularExpression::wildcardToRegularExpression(p),
                                QRegularExpression::CaseInsensitiveOption);
    if (re.match(name).hasMatch()) return true;
  }
  if (!filter.programs) return false;
  // What starts a program here; none of it has a pattern of its own.
  if (name.endsWith(QStringLiteral(".desktop"), Qt::CaseInsensitive) ||
      name.endsWith(QStringLiteral(".sh"), Qt::CaseInsensitive))
    return true;
  return file.isFile() && file.isExecutable();
}

bool QtFileDialog::getOpenFileName(OpenFileRequest& request) {
  if (toolkit_ && toolkit_->quitRequested()) return false;
  if (toolkit_) toolkit_->useProgramFonts();
  QWidget* parent = toolkit_ ? toolkit_->ownerWidget(request.owner) : nullptr;
  QFileDialog dialog(parent, qstr(request.title));
  dialog.setOptions(QFileDialog::DontUseNativeDialog | QFileDialog::HideNameFilterDetails);
  dialog.setAcceptMode(QFileDialog::AcceptOpen);
  // The chosen file must exist; the read-only choice the request hides has
  // no counterpart in this dialog.
  dialog.setFileMode((request.flags & kOfnFileMustExist) ? QFileDialog::ExistingFile
                                                         : QFileDialog::AnyFile);
  dialog.setWindowModality(parent ? Qt::WindowModal : Qt::ApplicationModal);

  const std::vector<FileFilter> filters = fileFilters(request);
  auto* proxy = new FilterProxy(&dialog);
  dialog.setProxyModel(proxy);
  if (!filters.empty()) {
    QStringList labels;
    for (const FileFilter& f : filters) labels << label(f);
    dialog.setNameFilters(labels);
    proxy->setFilter(&filters.front());
    QObject::connect(&dialog, &QFileDialog::filterSelected, proxy,
                     [&filters, proxy](const QString& selected) {
                       for (const FileFilter& f : filters) {
                         if (label(f) == selected) proxy->setFilter(&f);
                       }
                     });
  }

  // The initial file names the folder to open in and is selected there;
  // without one, the initial folder, else the home folder.
  const QString initial = qtitle(request.file);
  const QFileInfo initialFile(initial);
  if (!initial.isEmpty() && initialFile.absoluteDir().exists()) {
    dialog.setDirectory(initialFile.absolutePath());
    dialog.selectFile(initialFile.fileName());
  } else if (!request.initialDir.empty() && QDir(qtitle(request.initialDir)).exists()) {
    dialog.setDirectory(qtitle(request.initialDir));
  } else {
    dialog.setDirectory(QDir::homePath());
  }

  const int result = toolkit_ ? toolkit_->runDialog(dialog) : dialog.exec();
  if (result != QDialog::Accepted) return false;
  const QStringList chosen = dialog.selectedFiles();
  if (chosen.isEmpty()) return false;
  // The whole path, however long: the program's buffer of 255 characters
  // stood for the old system's limit, which this one does not have.
  request.file = ustr(QDir::toNativeSeparators(chosen.front()));
  return true;
}

}  // namespace kivo::qt
