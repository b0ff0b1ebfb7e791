// The Qt toolkit tests' program: one QApplication for the whole run, which
// every toolkit of the tests takes.
#include <gtest/gtest.h>

#include <QApplication>

#include "tests/x11/qt/qt_rig.h"

int main(int argc, char** argv) {
  ::testing::InitGoogleTest(&argc, argv);
  QApplication app(kivo::qt::test::testArgc(), kivo::qt::test::testArgv());
  return RUN_ALL_TESTS();
}
