#include "ui/MessageBoxPrompter.h"

#include <QMessageBox>
#include <QPushButton>

namespace vorn {

namespace {

QMessageBox::Icon boxIcon(Icon icon) {
  switch (icon) {
    case Icon::Information: return QMessageBox::Information;
    case Icon::Warning:
    case Icon::Exclamation: return QMessageBox::Warning;
    case Icon::Critical: return QMessageBox::Critical;
    case Icon::Question: return QMessageBox::Question;
    case Icon::None: break;
  }
  return QMessageBox::NoIcon;
}

QMessageBox::StandardButton ask(QWidget* owner, const std::string& text, Icon icon,
                                QMessageBox::StandardButtons buttons, QMessageBox::StandardButton def) {
  QMessageBox box(boxIcon(icon), QStringLiteral("Vorn Config"), QString::fromStdString(text), buttons, owner);
  box.setDefaultButton(def);
  return static_cast<QMessageBox::StandardButton>(box.exec());
}

}  // namespace

void MessageBoxPrompter::message(const std::string& text, Icon icon) {
  ask(owner_, text, icon, QMessageBox::Ok, QMessageBox::Ok);
}

bool MessageBoxPrompter::askOkCancel(const std::string& text, Icon icon) {
  return ask(owner_, text, icon, QMessageBox::Ok | QMessageBox::Cancel, QMessageBox::Ok) == QMessageBox::Ok;
}

bool MessageBoxPrompter::askYesNo(const std::string& text, Icon icon) {
  return ask(owner_, text, icon, QMessageBox::Yes | QMessageBox::No, QMessageBox::Yes) == QMessageBox::Yes;
}

bool MessageBoxPrompter::askToAct(const std::string& text, Icon icon, const std::string& act,
                                  const std::string& keep) {
  QMessageBox box(boxIcon(icon), QStringLiteral("Vorn Config"), QString::fromStdString(text),
                  QMessageBox::NoButton, owner_);
  QPushButton* actButton = box.addButton(QString::fromStdString(act), QMessageBox::DestructiveRole);
  QPushButton* keepButton = box.addButton(QString::fromStdString(keep), QMessageBox::RejectRole);
  box.setDefaultButton(keepButton);
  box.setEscapeButton(keepButton);
  box.exec();
  return box.clickedButton() == actButton;
}

}  // namespace vorn
