#include "ui/SecondaryWindows.h"

#include <QFontDatabase>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QScrollBar>
#include <QVBoxLayout>

#include "link/CommLog.h"
#include "ui/CodePage1252.h"

namespace vorn {

QString DisplayText(const std::string& text) {
  QString t = FromCodePage(text);
  t.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
  return t;
}

ReportWindow::ReportWindow(QWidget* owner) : QDialog(owner) {
  setObjectName("frmVornVerification");
  setWindowTitle("VornConfig - Verification Report");
  setModal(true);
  text_ = new QPlainTextEdit(this);
  text_->setObjectName("txtVerification");
  text_->setReadOnly(true);
  text_->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
  text_->setFont(QFontDatabase::systemFont(QFontDatabase::FixedFont));
  auto* lay = new QVBoxLayout(this);
  lay->addWidget(text_);
  resize(640, 420);
}

void ReportWindow::setReportText(const std::string& text) { text_->setPlainText(DisplayText(text)); }

QString ReportWindow::reportText() const { return text_->toPlainText(); }

CommLogWindow::CommLogWindow(CommLog& log, QWidget* owner) : QWidget(owner, Qt::Window), log_(log) {
  setObjectName("frmKestroComm");
  setWindowTitle("Kestro Communication");
  text_ = new QPlainTextEdit(this);
  text_->setObjectName("txtKestroCommunication");
  text_->setReadOnly(true);
  text_->setFont(QFontDatabase::systemFont(QFontDatabase::FixedFont));
  auto* clear = new QPushButton("Clear", this);
  clear->setObjectName("cmdClear");
  auto* lay = new QVBoxLayout(this);
  lay->addWidget(text_);
  lay->addWidget(clear, 0, Qt::AlignRight);
  connect(clear, &QPushButton::clicked, this, [this] { log_.clear(); });
  resize(520, 360);
  sync();
}

void CommLogWindow::sync() {
  const std::string& t = log_.text();
  if (t.size() < shown_) {  // cleared
    text_->clear();
    shown_ = 0;
  }
  if (t.size() == shown_) return;
  QScrollBar* bar = text_->verticalScrollBar();
  const bool atEnd = bar->value() == bar->maximum();
  QString add = DisplayText(t.substr(shown_));
  if (add.endsWith('\n')) add.chop(1);
  text_->appendPlainText(add);
  shown_ = t.size();
  if (atEnd) bar->setValue(bar->maximum());
}

}  // namespace vorn
