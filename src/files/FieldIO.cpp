#include "files/FieldIO.h"

#include <algorithm>
#include <cerrno>
#include <cstdlib>

namespace vorn {

namespace {
bool IsLineEnd(char c) { return c == '\r' || c == '\n'; }
bool IsSpace(char c) { return c == ' ' || c == '\t'; }
}  // namespace

void FieldReader::skipBlank() {
  while (pos_ < data_.size() && (IsSpace(data_[pos_]) || IsLineEnd(data_[pos_]))) ++pos_;
}

bool FieldReader::atEnd() {
  skipBlank();
  return pos_ >= data_.size();
}

std::optional<std::string> FieldReader::next() {
  // Blank lines carry no field; a field that starts a line is found after them.
  skipBlank();
  fieldStart_ = pos_;
  if (pos_ >= data_.size()) {
    // At the end the line is the last one with something on it.
    while (fieldStart_ > 0 && (IsSpace(data_[fieldStart_ - 1]) || IsLineEnd(data_[fieldStart_ - 1])))
      --fieldStart_;
    return std::nullopt;
  }
  std::string field;
  if (data_[pos_] == '"') {
    ++pos_;
    const std::size_t close = data_.find('"', pos_);
    const std::size_t stop = close == std::string_view::npos ? data_.size() : close;
    field.assign(data_.substr(pos_, stop - pos_));
    pos_ = stop == data_.size() ? stop : stop + 1;
    // Anything between the closing quote and the separator is not part of the field.
    while (pos_ < data_.size() && data_[pos_] != ',' && !IsLineEnd(data_[pos_])) ++pos_;
  } else {
    const std::size_t start = pos_;
    while (pos_ < data_.size() && data_[pos_] != ',' && !IsLineEnd(data_[pos_])) ++pos_;
    field.assign(data_.substr(start, pos_ - start));
    while (!field.empty() && IsSpace(field.back())) field.pop_back();
  }
  if (pos_ < data_.size()) {
    if (data_[pos_] == ',') {
      ++pos_;
    } else if (data_[pos_] == '\r') {
      ++pos_;
      if (pos_ < data_.size() && data_[pos_] == '\n') ++pos_;
    } else {
      ++pos_;  // a lone LF
    }
  }
  return field;
}

std::optional<std::string> FieldReader::peek() {
  const std::size_t saved = pos_;
  const std::size_t savedStart = fieldStart_;
  auto f = next();
  pos_ = saved;
  fieldStart_ = savedStart;
  return f;
}

int FieldReader::line() const {
  int n = 1;
  const std::size_t end = std::min(fieldStart_, data_.size());
  for (std::size_t i = 0; i < end; ++i) {
    // CR LF, a lone LF and a lone CR each end a line.
    if (data_[i] == '\n' || (data_[i] == '\r' && (i + 1 >= data_.size() || data_[i + 1] != '\n'))) ++n;
  }
  return n;
}

std::optional<long> FieldReader::nextNumber(long lo, long hi) {
  auto f = next();
  if (!f) return std::nullopt;
  auto n = ParseNumber(*f);
  if (!n || *n < lo || *n > hi) return std::nullopt;
  return n;
}

std::optional<long> ParseNumber(std::string_view field) {
  std::size_t i = 0;
  while (i < field.size() && IsSpace(field[i])) ++i;
  std::size_t end = field.size();
  while (end > i && IsSpace(field[end - 1])) --end;
  const std::string s(field.substr(i, end - i));
  if (s.empty()) return std::nullopt;
  std::size_t d = (s[0] == '-') ? 1 : 0;
  if (d == s.size()) return std::nullopt;
  for (std::size_t k = d; k < s.size(); ++k) {
    if (s[k] < '0' || s[k] > '9') return std::nullopt;
  }
  errno = 0;
  const long v = std::strtol(s.c_str(), nullptr, 10);
  if (errno == ERANGE) return std::nullopt;
  return v;
}

long LeadingInteger(std::string_view text) {
  std::size_t i = 0;
  while (i < text.size() && IsSpace(text[i])) ++i;
  bool neg = false;
  if (i < text.size() && (text[i] == '-' || text[i] == '+')) neg = text[i++] == '-';
  long v = 0;
  while (i < text.size() && text[i] >= '0' && text[i] <= '9') {
    if (v > 100000000L) break;  // far beyond any field; stop before overflowing
    v = v * 10 + (text[i++] - '0');
  }
  return neg ? -v : v;
}

FieldWriter& FieldWriter::begin(int indent) {
  out_.append(static_cast<std::size_t>(indent), ' ');
  first_ = true;
  return *this;
}

void FieldWriter::separator() {
  if (!first_) out_ += ',';
  first_ = false;
}

FieldWriter& FieldWriter::text(std::string_view s) {
  separator();
  out_ += '"';
  out_ += QuotableText(s);
  out_ += '"';
  return *this;
}

FieldWriter& FieldWriter::number(long n) {
  separator();
  out_ += std::to_string(n);
  return *this;
}

FieldWriter& FieldWriter::end() {
  out_ += "\r\n";
  return *this;
}

std::string QuotableText(std::string_view s) {
  std::string out(s);
  for (char& c : out) {
    if (c == '"') c = '\'';
    if (IsLineEnd(c)) c = ' ';
  }
  return out;
}

}  // namespace vorn
