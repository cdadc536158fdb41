#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace vorn {

// Field-by-field reader of the text records both file formats use: comma-separated fields,
// strings in double quotes (which may hold commas), lines ending in CR LF. Line breaks only
// end a field; leading spaces are skipped. Text is kept as the file's bytes (Windows-1252,
// converted only where shown or typed), so every byte comes back unchanged.
class FieldReader {
 public:
  // The reader only looks at the bytes: they must outlive it.
  explicit FieldReader(std::string_view bytes) : data_(bytes) {}
  explicit FieldReader(const char* bytes) : data_(bytes) {}
  explicit FieldReader(std::string&&) = delete;  // a temporary would die under the reader

  // The next field's text (quotes removed), or nullopt at the end of the data.
  std::optional<std::string> next();

  // The next field as a whole number within [lo, hi]; nullopt at the end of the data, when
  // the field is not a number or when it lies outside the range. The field is consumed.
  std::optional<long> nextNumber(long lo, long hi);

  // The next field without consuming it.
  std::optional<std::string> peek();

  bool atEnd();

  // Line (counted from 1) on which the field last returned by next() began; after the end
  // of the data, the last line.
  int line() const;

 private:
  void skipBlank();
  std::string_view data_;
  std::size_t pos_ = 0;
  std::size_t fieldStart_ = 0;
};

// Strict decimal conversion of a field: optional spaces, optional '-', digits, optional
// spaces. nullopt for anything else (or a value beyond what a long holds).
std::optional<long> ParseNumber(std::string_view field);

// Numeric value of a text the way a number box reads it: leading spaces, an optional sign
// and the digits that follow; 0 when there are none.
long LeadingInteger(std::string_view text);

// Builds the lines of a file: indentation, then fields joined by commas, then CR LF.
class FieldWriter {
 public:
  FieldWriter& begin(int indent);  // starts a line
  FieldWriter& text(std::string_view s);
  FieldWriter& number(long n);
  FieldWriter& end();  // ends the line
  const std::string& bytes() const { return out_; }

 private:
  void separator();
  std::string out_;
  bool first_ = true;
};

// A quoted field has no escape: a double quote would end it early and a line break would
// split the record, so such characters are saved as an apostrophe and a space.
std::string QuotableText(std::string_view s);

}  // namespace vorn
