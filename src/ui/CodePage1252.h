#pragma once

#include <QString>
#include <string>
#include <string_view>

class QLineEdit;

namespace vorn {

class Prompter;

// The widget edge of the 8-bit texts (descriptions, device names, the identity string):
// the model keeps Windows-1252 bytes, boxes show and take Unicode.

QString FromCodePage(std::string_view bytes);

// Code-page bytes of a text, or the first character (counted from 1) that the code page
// cannot hold.
struct CodePageBytes {
  std::string bytes;
  int badPosition = 0;  // 0: every character fits
  QString badCharacter;
  bool ok() const { return badPosition == 0; }
};
CodePageBytes ToCodePage(const QString& text);

// Bytes of a text that is known to fit (a box guarded below); a character that does not
// fit becomes '?'.
std::string ToCodePageBytes(const QString& text);

// Makes `box` refuse typed or pasted characters the code page cannot hold: the edit does
// not happen and `prompter` says which character was refused (once the key press is over).
void GuardCodePageBox(QLineEdit* box, Prompter& prompter);

// "The character "X" cannot be stored: ..."
std::string RefusedCharacterText(const QString& character);

}  // namespace vorn
