#include <QApplication>

#include "ui/MainWindow.h"

int main(int argc, char** argv) {
  QApplication app(argc, argv);
  vorn::MainWindow w;
  w.show();
  return app.exec();
}
