#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace zuna::cli {

// Builds one JSON document (RFC 8259) as text, two blanks of indentation a level, one member or
// element a line, for the --summary files that scripts read. Strings are written as valid UTF-8
// whatever bytes they are given: a byte that does not belong to a UTF-8 sequence becomes U+FFFD,
// so a file or driver name in a foreign encoding can never make the document unreadable.
//
//   JsonWriter json;
//   json.BeginObject().Member("table", "personnel").Member("rows_saved", 194).EndObject();
//   WriteSummaryFile(path, json.text());
//
// Calls must nest properly (every Begin has its End, a member's value follows its key); a call
// out of order is a bug and stops the program.
class JsonWriter {
 public:
  JsonWriter& BeginObject();
  JsonWriter& EndObject();
  JsonWriter& BeginArray();
  JsonWriter& EndArray();

  // The key of the next value, inside an object.
  JsonWriter& Key(std::string_view key);

  JsonWriter& String(std::string_view value);
  JsonWriter& Number(std::uint64_t value);
  JsonWriter& Number(std::int64_t value);
  JsonWriter& Number(int value) { return Number(static_cast<std::int64_t>(value)); }
  // A fraction, with up to three decimals (a duration in seconds); never an exponent.
  JsonWriter& Seconds(double value);
  JsonWriter& Bool(bool value);
  JsonWriter& Null();

  // Key and value in one call.
  template <typename T>
  JsonWriter& Member(std::string_view key, const T& value) {
    Key(key);
    return Value(value);
  }
  // A count that may be unknown: null when it is.
  JsonWriter& Member(std::string_view key, std::optional<std::uint64_t> value) {
    Key(key);
    return value ? Number(*value) : Null();
  }

  // The document, ended by a line feed once the outermost value is closed.
  const std::string& text() const { return text_; }

 private:
  JsonWriter& Value(std::string_view value) { return String(value); }
  JsonWriter& Value(const std::string& value) { return String(value); }
  JsonWriter& Value(const char* value) { return String(value); }
  JsonWriter& Value(bool value) { return Bool(value); }
  JsonWriter& Value(int value) { return Number(value); }
  JsonWriter& Value(std::uint64_t value) { return Number(value); }
  JsonWriter& Value(std::int64_t value) { return Number(value); }

  // Before a value: the comma after the previous sibling and the new line, unless a key just
  // placed the value on its own line.
  void BeforeValue();
  void Open(char bracket);
  void Close(char bracket);
  void NewLine();

  struct Level {
    char closing;
    int members = 0;
  };
  std::string text_;
  std::vector<Level> levels_;
  bool after_key_ = false;
};

// `text` as a JSON string, quotes included.
std::string JsonString(std::string_view text);

}  // namespace zuna::cli
