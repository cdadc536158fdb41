#pragma once

#include <QMainWindow>

namespace vorn {

class MainWindow : public QMainWindow {
  Q_OBJECT
 public:
  explicit MainWindow(QWidget* parent = nullptr);
};

}  // namespace vorn
