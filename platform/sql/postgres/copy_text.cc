#include "platform/sql/postgres/copy_text.h"

#include <charconv>
#include <cstdio>

namespace zuna::sql::postgres {

namespace {

// Appends the runs between the characters COPY escapes whole: most texts hold none.
void AppendEscaped(std::string_view text, std::string& line) {
  std::size_t run = 0;
  for (std::size_t i = 0; i < text.size(); ++i) {
    std::string_view escape;
    switch (text[i]) {
      case '\\':
        escape = "\\\\";
        break;
      case '\t':
        escape = "\\t";
        break;
      case '\n':
        escape = "\\n";
        break;
      case '\r':
        escape = "\\r";
        break;
      default:
        continue;
    }
    line.append(text.data() + run, i - run);
    line += escape;
    run = i + 1;
  }
  line.append(text.data() + run, text.size() - run);
}

// `number` in at least `digits` digits, zeros in front; written by std::to_chars rather than a
// formatted print, as every date and time of a row goes through it.
void AppendPadded(std::string& line, int number, int digits) {
  if (number < 0) {
    char buffer[16];
    const int written = std::snprintf(buffer, sizeof buffer, "%0*d", digits, number);
    if (written > 0) line.append(buffer, static_cast<std::size_t>(written));
    return;
  }
  char buffer[16];
  const auto [end, error] = std::to_chars(buffer, buffer + sizeof buffer, number);
  const auto length = static_cast<int>(end - buffer);
  if (length < digits) line.append(static_cast<std::size_t>(digits - length), '0');
  line.append(buffer, static_cast<std::size_t>(length));
}

// yyyy-mm-dd: read the same whatever the session's DateStyle.
void AppendIsoDate(const CivilDate& date, std::string& line) {
  AppendPadded(line, date.year, 4);
  line.push_back('-');
  AppendPadded(line, date.month, 2);
  line.push_back('-');
  AppendPadded(line, date.day, 2);
}

void AppendIsoDateTime(const Value& value, std::string& line) {
  AppendIsoDate(value.date(), line);
  const CivilTime time = value.time();
  line.push_back(' ');
  AppendPadded(line, time.hour, 2);
  line.push_back(':');
  AppendPadded(line, time.minute, 2);
  line.push_back(':');
  AppendPadded(line, time.second, 2);
  line.push_back('.');
  AppendPadded(line, time.millisecond, 3);
}

// bytea's hex form, \x escaped for the COPY line: \\x0a1b...
void AppendBytes(std::string_view bytes, std::string& line) {
  static constexpr char kHex[] = "0123456789abcdef";
  line += "\\\\x";
  for (const char c : bytes) {
    const auto byte = static_cast<unsigned char>(c);
    line.push_back(kHex[byte >> 4]);
    line.push_back(kHex[byte & 0xf]);
  }
}

}  // namespace

void AppendCopyField(const Value& value, ColumnType::Kind column, std::string& line) {
  switch (value.kind()) {
    case ValueKind::kNull:
      line += "\\N";
      return;
    case ValueKind::kBinary:
      AppendBytes(value.text(), line);
      return;
    case ValueKind::kText:
      AppendEscaped(value.text(), line);
      return;
    default:
      break;
  }
  if (column == ColumnType::Kind::kText) {
    // A number, logical or date in a text column: its text form, as the ODBC path binds it.
    std::string text;
    value.AppendText(text);
    AppendEscaped(text, line);
    return;
  }
  switch (value.kind()) {
    case ValueKind::kInteger:
      line += std::to_string(value.integer());
      return;
    case ValueKind::kBoolean:
      line += value.boolean() ? "1" : "0";  // read by boolean and integer columns alike
      return;
    case ValueKind::kDecimal:
      line += FormatDecimal(value.integer(), value.scale());
      return;
    case ValueKind::kDouble:
      line += FormatDouble(value.number());  // the shortest text that reads back the same
      return;
    case ValueKind::kDate:
      AppendIsoDate(value.date(), line);  // a datetime column reads it at midnight
      return;
    case ValueKind::kDateTime:
      AppendIsoDateTime(value, line);
      return;
    default:
      return;
  }
}

void AppendQuotedName(std::string_view name, std::string& sql) {
  sql.push_back('"');
  for (const char c : name) {
    if (c == '"') sql.push_back('"');
    sql.push_back(c);
  }
  sql.push_back('"');
}

}  // namespace zuna::sql::postgres
