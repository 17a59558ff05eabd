#include "app/cli/json_writer.h"

#include <charconv>
#include <cmath>
#include <cstdio>
#include <cstdlib>

#include "platform/text/encoding.h"

namespace zuna::cli {
namespace {

constexpr std::string_view kIndent = "  ";

[[noreturn]] void Misuse(const char* what) {
  std::fprintf(stderr, "JsonWriter: %s\n", what);
  std::abort();
}

void AppendEscaped(std::string_view text, std::string& out) {
  out += '"';
  std::size_t pos = 0;
  while (pos < text.size()) {
    const char32_t c = text::NextCodePoint(text, pos);
    switch (c) {
      case '"':
        out += "\\\"";
        break;
      case '\\':
        out += "\\\\";
        break;
      case '\n':
        out += "\\n";
        break;
      case '\r':
        out += "\\r";
        break;
      case '\t':
        out += "\\t";
        break;
      default:
        if (c < 0x20 || c == 0x7F) {
          char escaped[8];
          std::snprintf(escaped, sizeof escaped, "\\u%04x", static_cast<unsigned>(c));
          out += escaped;
        } else {
          text::AppendUtf8(c, out);
        }
    }
  }
  out += '"';
}

}  // namespace

std::string JsonString(std::string_view text) {
  std::string out;
  AppendEscaped(text, out);
  return out;
}

void JsonWriter::NewLine() {
  text_ += '\n';
  for (std::size_t i = 0; i < levels_.size(); ++i) text_ += kIndent;
}

void JsonWriter::BeforeValue() {
  if (levels_.empty()) {
    if (!text_.empty()) Misuse("a second value after the document ended");
    return;
  }
  Level& level = levels_.back();
  if (level.closing == '}') {
    if (!after_key_) Misuse("a value in an object without its key");
    after_key_ = false;
    return;
  }
  if (level.members++ > 0) text_ += ',';
  NewLine();
}

void JsonWriter::Open(char bracket) {
  BeforeValue();
  text_ += bracket;
  levels_.push_back({bracket == '{' ? '}' : ']'});
}

void JsonWriter::Close(char bracket) {
  if (levels_.empty() || levels_.back().closing != bracket || after_key_) {
    Misuse("a closing bracket that does not match");
  }
  const bool empty = levels_.back().members == 0;
  levels_.pop_back();
  if (!empty) NewLine();
  text_ += bracket;
  if (levels_.empty()) text_ += '\n';
}

JsonWriter& JsonWriter::BeginObject() {
  Open('{');
  return *this;
}

JsonWriter& JsonWriter::EndObject() {
  Close('}');
  return *this;
}

JsonWriter& JsonWriter::BeginArray() {
  Open('[');
  return *this;
}

JsonWriter& JsonWriter::EndArray() {
  Close(']');
  return *this;
}

JsonWriter& JsonWriter::Key(std::string_view key) {
  if (levels_.empty() || levels_.back().closing != '}' || after_key_) {
    Misuse("a key outside an object");
  }
  if (levels_.back().members++ > 0) text_ += ',';
  NewLine();
  AppendEscaped(key, text_);
  text_ += ": ";
  after_key_ = true;
  return *this;
}

JsonWriter& JsonWriter::String(std::string_view value) {
  BeforeValue();
  AppendEscaped(value, text_);
  return *this;
}

JsonWriter& JsonWriter::Number(std::uint64_t value) {
  BeforeValue();
  text_ += std::to_string(value);
  return *this;
}

JsonWriter& JsonWriter::Number(std::int64_t value) {
  BeforeValue();
  text_ += std::to_string(value);
  return *this;
}

JsonWriter& JsonWriter::Seconds(double value) {
  // JSON has no NaN or infinity; a duration that is not a number is unknown.
  if (!std::isfinite(value)) return Null();
  BeforeValue();
  char digits[64];
  const auto [end, error] =
      std::to_chars(digits, digits + sizeof digits, value, std::chars_format::fixed, 3);
  if (error == std::errc()) {
    text_.append(digits, end);
  } else {
    text_ += "null";  // too large for the buffer: no duration is
  }
  return *this;
}

JsonWriter& JsonWriter::Bool(bool value) {
  BeforeValue();
  text_ += value ? "true" : "false";
  return *this;
}

JsonWriter& JsonWriter::Null() {
  BeforeValue();
  text_ += "null";
  return *this;
}

}  // namespace zuna::cli
