// Start-up on Linux: one window, one thread, nothing taken from the command line.
#include <QApplication>

#include "platform/file_system.h"
#include "window/qt/main_window.h"

int main(int, char** argv) {
  int qt_argc = 1;  // the command line is ignored: Qt sees only the program name
  QApplication app(qt_argc, argv);
  orvane::prepare_application(app);
  const auto fs = orvane::make_system_file_system();
  orvane::启动窗口 window(*fs);
  window.show();
  app.exec();
  return 0;
}
