// A plain Qt window for the end-to-end tests: its title is argv[1], and each
// line written to the fifo argv[2] becomes its new title (setWindowTitle).
#include <fcntl.h>
#include <unistd.h>

#include <QApplication>
#include <QSocketNotifier>
#include <QWidget>
#include <string>

int main(int argc, char** argv) {
  if (argc != 3) return 2;
  QApplication app(argc, argv);
  QWidget window;
  window.setWindowTitle(QString::fromUtf8(argv[1]));
  window.resize(320, 120);
  window.show();

  // Read and write: the fifo never reports end of file between writers.
  const int fd = ::open(argv[2], O_RDWR | O_NONBLOCK);
  if (fd < 0) return 2;
  std::string pending;
  QSocketNotifier notifier(fd, QSocketNotifier::Read);
  QObject::connect(&notifier, &QSocketNotifier::activated, [&] {
    char buf[512];
    const ssize_t n = ::read(fd, buf, sizeof buf);
    if (n <= 0) return;
    pending.append(buf, static_cast<size_t>(n));
    for (size_t eol; (eol = pending.find('\n')) != std::string::npos;) {
      window.setWindowTitle(QString::fromUtf8(pending.substr(0, eol)));
      pending.erase(0, eol + 1);
    }
  });
  return app.exec();
}
