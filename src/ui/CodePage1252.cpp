#include "ui/CodePage1252.h"

#include <QLineEdit>
#include <QPointer>
#include <QTimer>
#include <QValidator>

#include "link/Prompter.h"
#include "model/CodePage1252.h"

namespace vorn {

QString FromCodePage(std::string_view bytes) {
  QString out;
  out.reserve(static_cast<qsizetype>(bytes.size()));
  for (char b : bytes) {
    const char32_t c = Cp1252ToUnicode(static_cast<uint8_t>(b));
    out += QChar(static_cast<char16_t>(c));  // every character of the code page is in the BMP
  }
  return out;
}

CodePageBytes ToCodePage(const QString& text) {
  CodePageBytes r;
  int position = 0;
  for (const char32_t c : text.toUcs4()) {
    ++position;
    const auto byte = UnicodeToCp1252(c);
    if (!byte) {
      r.badPosition = position;
      r.badCharacter = QString::fromUcs4(&c, 1);
      return r;
    }
    r.bytes += static_cast<char>(*byte);
  }
  return r;
}

std::string ToCodePageBytes(const QString& text) {
  std::string out;
  for (const char32_t c : text.toUcs4()) out += static_cast<char>(UnicodeToCp1252(c).value_or('?'));
  return out;
}

std::string RefusedCharacterText(const QString& character) {
  return "The character \"" + character.toStdString() +
         "\" cannot be stored: descriptions, names and the ID String hold only the characters "
         "of the Windows-1252 code page.";
}

namespace {

class CodePageValidator : public QValidator {
 public:
  CodePageValidator(QLineEdit* box, Prompter& prompter) : QValidator(box), box_(box), prompter_(prompter) {}

  State validate(QString& input, int&) const override {
    const CodePageBytes b = ToCodePage(input);
    if (b.ok()) return Acceptable;
    // The box is inside its key press: say it once that is over.
    if (!pending_) {
      pending_ = true;
      const std::string text = RefusedCharacterText(b.badCharacter);
      QTimer::singleShot(0, box_, [this, text] {
        pending_ = false;
        prompter_.message(text, Icon::Exclamation);
      });
    }
    return Invalid;
  }

 private:
  QPointer<QLineEdit> box_;
  Prompter& prompter_;
  mutable bool pending_ = false;
};

}  // namespace

void GuardCodePageBox(QLineEdit* box, Prompter& prompter) {
  box->setValidator(new CodePageValidator(box, prompter));
}

}  // namespace vorn
