#include "ui/ChangesDialog.h"

#include <QDialog>
#include <QDialogButtonBox>
#include <QLabel>
#include <QPlainTextEdit>
#include <QVBoxLayout>
#include <algorithm>

#include "ui/Wording.h"

namespace vorn {

bool RunChangesDialog(QWidget* parent, const QStringList& lines, bool write) {
  QDialog d(parent);
  d.setObjectName(write ? "dlgWriteChanges" : "dlgShowChanges");
  d.setWindowTitle("Vorn Config");
  auto* lay = new QVBoxLayout(&d);
  const bool deviceWork =
      std::any_of(lines.begin(), lines.end(), [](const QString& l) { return !l.endsWith("(file only)"); });
  QString head;
  if (lines.isEmpty())
    head = "No changes against the Vorn as last known.";
  else if (!write)
    head = CountText(int(lines.size()), "change") + " against the Vorn as last known:";
  else if (deviceWork)
    head = "Write these changes to the Vorn? Lines marked \"(file only)\" need no write.";
  else
    head = "Only file-only changes: nothing is sent to the Vorn.";
  auto* label = new QLabel(head, &d);
  label->setObjectName("lblChanges");
  lay->addWidget(label);
  if (!lines.isEmpty()) {
    auto* text = new QPlainTextEdit(lines.join('\n'), &d);
    text->setObjectName("txtChanges");
    text->setReadOnly(true);
    text->setLineWrapMode(QPlainTextEdit::NoWrap);
    text->setMinimumSize(560, 240);
    lay->addWidget(text, 1);
  }
  const bool ask = write && !lines.isEmpty();
  auto* buttons = new QDialogButtonBox(
      ask ? QDialogButtonBox::Ok | QDialogButtonBox::Cancel : QDialogButtonBox::Close, &d);
  lay->addWidget(buttons);
  QObject::connect(buttons, &QDialogButtonBox::accepted, &d, &QDialog::accept);
  QObject::connect(buttons, &QDialogButtonBox::rejected, &d, &QDialog::reject);
  return d.exec() == QDialog::Accepted && ask;
}

}  // namespace vorn
