// The open-file dialog: its filters (split at ';', blind to letter case,
// programs of this system under the programs' filter), and the dialog
// itself with the request's title and initial file, chosen or cancelled.
#include <gtest/gtest.h>

#include <QAbstractProxyModel>
#include <QApplication>
#include <QDir>
#include <QFile>
#include <QFileDialog>
#include <QFileInfo>
#include <QFileSystemModel>
#include <QTemporaryDir>

#include "platform/qt/qt_file_dialog.h"
#include "platform/qt/qt_util.h"
#include "tests/x11/qt/qt_rig.h"

namespace kivo::qt::test {
namespace {

// The request of the settings dialog's "Call Me" button.
OpenFileRequest callMe(const std::string& file) {
  OpenFileRequest r;
  r.filters = {{"WaveFile (*.wav)", "*.WAV"}, {"ExecutableFile", "*.exe;*.com;*.bat;*.cmd;*.lnk"}};
  r.file = file;
  r.title = "ファイルの参照 - Call Me";
  r.flags = kOfnHideReadOnly | kOfnFileMustExist;
  return r;
}

void touch(const QString& path, bool executable = false) {
  QFile f(path);
  ASSERT_TRUE(f.open(QIODevice::WriteOnly));
  f.close();
  if (executable) f.setPermissions(f.permissions() | QFileDevice::ExeOwner);
}

TEST(QtFileDialog, FiltersMatchWithoutCaseAndOfferThisSystemsPrograms) {
  QTemporaryDir dir;
  ASSERT_TRUE(dir.isValid());
  const QString d = dir.path() + "/";
  for (const char* name :
       {"chime.wav", "ALARM.WAV", "notes.txt", "run.sh", "app.desktop", "setup.EXE", "data"})
    touch(d + name);
  touch(d + "xclock", true);

  // Split at ';' or not, each pattern matches in any case.
  const std::vector<FileFilter> filters = fileFilters(callMe(""));
  ASSERT_EQ(filters.size(), 2u);
  auto listed = [&](const FileFilter& f) {
    QStringList out;
    for (const QFileInfo& fi : QDir(d).entryInfoList(QDir::Files, QDir::Name))
      if (filterAccepts(f, fi)) out << fi.fileName();
    return out;
  };
  EXPECT_EQ(listed(filters[0]), (QStringList{"ALARM.WAV", "chime.wav"}));
  EXPECT_EQ(listed(filters[1]), (QStringList{"app.desktop", "run.sh", "setup.EXE", "xclock"}));
}

TEST(QtFileDialog, TheDialogReturnsTheChosenFileOrNothing) {
  QtToolkit tk(testArgc(), testArgv());
  QtFileDialog dialog(&tk);
  QTemporaryDir dir;
  ASSERT_TRUE(dir.isValid());
  const QString d = dir.path();
  touch(d + "/chime.wav");
  touch(d + "/その他.WAV");

  // The user picks a file the filter lists, from the folder of the initial
  // file; then cancels the next time.
  std::string title, folder;
  QStringList shown;
  QTimer user;
  bool accept = true;
  QObject::connect(&user, &QTimer::timeout, [&] {
    QFileDialog* fd = nullptr;
    for (QWidget* w : QApplication::topLevelWidgets()) {
      if (auto* f = qobject_cast<QFileDialog*>(w); f && f->isVisible()) fd = f;
    }
    if (!fd) return;
    QAbstractProxyModel* m = fd->proxyModel();
    const QModelIndex root =
        m->mapFromSource(static_cast<QFileSystemModel*>(m->sourceModel())->index(d));
    if (m->rowCount(root) < 2) return;  // still reading the folder
    title = ustr(fd->windowTitle());
    folder = ustr(fd->directory().absolutePath());
    shown.clear();
    for (int i = 0; i < m->rowCount(root); ++i) shown << m->index(i, 0, root).data().toString();
    shown.sort();
    if (accept) {
      fd->selectFile(d + "/その他.WAV");
      QMetaObject::invokeMethod(fd, "accept");
    } else {
      fd->reject();
    }
  });
  user.start(10);
  OpenFileRequest r = callMe(ustr(d + "/chime.wav"));
  ASSERT_TRUE(dialog.getOpenFileName(r));
  EXPECT_EQ(r.file, ustr(d + "/その他.WAV"));
  EXPECT_EQ(title, "ファイルの参照 - Call Me");
  EXPECT_EQ(folder, ustr(QFileInfo(d).canonicalFilePath()));
  EXPECT_EQ(shown, (QStringList{"chime.wav", "その他.WAV"}));

  accept = false;
  OpenFileRequest again = callMe(ustr(d + "/chime.wav"));
  EXPECT_FALSE(dialog.getOpenFileName(again));
  EXPECT_EQ(again.file, ustr(d + "/chime.wav"));

  // After the end no dialog appears.
  tk.quit();
  OpenFileRequest late = callMe("");
  EXPECT_FALSE(dialog.getOpenFileName(late));
}

}  // namespace
}  // namespace kivo::qt::test
