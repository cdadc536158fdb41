#include "ui/MainWindow.h"

namespace vorn {

MainWindow::MainWindow(QWidget* parent) : QMainWindow(parent) { setWindowTitle("Vorn Config"); }

}  // namespace vorn
