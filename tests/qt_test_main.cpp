// The Qt tests share one application object, as the program does.
#include <gtest/gtest.h>

#include <QApplication>

#include "window/qt/main_window.h"

int main(int argc, char** argv) {
  ::testing::InitGoogleTest(&argc, argv);
  qputenv("QT_QPA_PLATFORM",
          qgetenv("QT_QPA_PLATFORM").isEmpty() ? "offscreen" : qgetenv("QT_QPA_PLATFORM"));
  QApplication app(argc, argv);
  orvane::prepare_application(app);
  return RUN_ALL_TESTS();
}
