#pragma once

#include <QDialog>
#include <QWidget>
#include <string>

class QPlainTextEdit;
class QPushButton;

namespace vorn {

class CommLog;

// "VornConfig - Verification Report": one per run, shown modally, hidden on close so its
// text stays until the next verification clears it.
class ReportWindow : public QDialog {
  Q_OBJECT
 public:
  explicit ReportWindow(QWidget* owner);
  void setReportText(const std::string& text);
  QString reportText() const;

 private:
  QPlainTextEdit* text_;
};

// "Kestro Communication": owned, not modal; follows the log while hidden too.
class CommLogWindow : public QWidget {
  Q_OBJECT
 public:
  CommLogWindow(CommLog& log, QWidget* owner);
  void sync();  // catch up with the log's text

 private:
  CommLog& log_;
  QPlainTextEdit* text_;
  size_t shown_ = 0;  // bytes of the log already in the box
};

// Text of the device side ("\r\n" line ends) as the text boxes show it.
QString DisplayText(const std::string& text);

}  // namespace vorn
