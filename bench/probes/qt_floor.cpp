// The least a Qt Widgets program costs: one hidden window and a 250 ms timer
// that does nothing. bench/x11-usage.sh sets its memory beside kivo's.
#include <QApplication>
#include <QTimer>
#include <QWidget>

int main(int argc, char** argv) {
  QApplication app(argc, argv);
  QWidget window;
  window.setWindowTitle("Qt floor");
  QTimer timer;
  QObject::connect(&timer, &QTimer::timeout, [] {});
  timer.start(250);
  return QApplication::exec();
}
