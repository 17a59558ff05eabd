#include "platform/sql/date_text.h"

#include "platform/text/ascii.h"

namespace zuna::sql {
namespace {

// hh:mm[:ss[.fff]], hours to 23.
bool ParseTime(std::string_view t, CivilTime& time) {
  int parts[3] = {0, 0, 0};
  int index = 0;
  std::size_t pos = 0;
  while (index < 3) {
    std::size_t end = pos;
    while (end < t.size() && t[end] >= '0' && t[end] <= '9') ++end;
    if (end == pos || end - pos > 2) return false;
    text::ParseInt(t.substr(pos, end - pos), parts[index++]);
    pos = end;
    if (pos == t.size() || t[pos] != ':') break;
    ++pos;
  }
  if (index < 2) return false;
  int millisecond = 0;
  if (pos < t.size() && t[pos] == '.') {
    ++pos;
    int scale = 100;
    while (pos < t.size() && t[pos] >= '0' && t[pos] <= '9') {
      millisecond += (t[pos] - '0') * scale;
      scale /= 10;
      ++pos;
    }
  }
  if (pos != t.size()) return false;
  if (parts[0] > 23 || parts[1] > 59 || parts[2] > 59) return false;
  time = {parts[0], parts[1], parts[2], millisecond};
  return true;
}

}  // namespace

bool ParseDateText(std::string_view text, CivilDate& date, CivilTime& time) {
  text = text::Trim(text, text::kSpacesAndTabs);
  time = {};
  std::string_view day_part = text, time_part;
  const std::size_t split = text.find_first_of(" T");
  if (split != std::string_view::npos) {
    day_part = text.substr(0, split);
    time_part = text::Trim(text.substr(split + 1), text::kSpacesAndTabs);
    if (!ParseTime(time_part, time)) return false;
  }
  int a = 0, b = 0, c = 0;
  const char separator = day_part.find('/') != std::string_view::npos ? '/' : '-';
  const std::size_t p1 = day_part.find(separator);
  const std::size_t p2 = p1 == std::string_view::npos ? p1 : day_part.find(separator, p1 + 1);
  if (p2 == std::string_view::npos) return false;
  if (!text::ParseInt(day_part.substr(0, p1), a) ||
      !text::ParseInt(day_part.substr(p1 + 1, p2 - p1 - 1), b) ||
      !text::ParseInt(day_part.substr(p2 + 1), c)) {
    return false;
  }
  if (p1 == 4) {
    date = {a, b, c};  // yyyy-mm-dd
  } else {
    int year = c;
    if (p2 + 1 + 2 == day_part.size())
      year += c < 50 ? 2000 : 1900;  // two-digit years
    else if (day_part.size() - p2 - 1 != 4)
      return false;
    date = {year, b, a};  // dd/mm/yyyy
  }
  return IsValidDate(date);
}

namespace {

// "00" to "99": a date is written two digits at a time, without dividing for each digit.
constexpr char kTwoDigits[] =
    "00010203040506070809101112131415161718192021222324252627282930313233343536373839"
    "40414243444546474849505152535455565758596061626364656667686970717273747576777879"
    "8081828384858687888990919293949596979899";

// Writes the last two digits of `value` at `at`.
void PutTwo(char* at, int value) {
  const char* digits = kTwoDigits + 2 * (static_cast<unsigned>(value) % 100);
  at[0] = digits[0];
  at[1] = digits[1];
}

// yyyy-mm-dd at `at`; a year beyond four digits keeps its last four, as the stored form has
// room for four.
void PutDate(char* at, const CivilDate& date) {
  const int year = static_cast<int>(static_cast<unsigned>(date.year) % 10000);
  PutTwo(at, year / 100);
  PutTwo(at + 2, year);
  at[4] = '-';
  PutTwo(at + 5, date.month);
  at[7] = '-';
  PutTwo(at + 8, date.day);
}

}  // namespace

void AppendStoredDate(std::string& out, const CivilDate& date) {
  char text[10];
  PutDate(text, date);
  out.append(text, sizeof text);
}

void AppendStoredDateTime(std::string& out, const CivilDate& date, const CivilTime& time) {
  char text[23];
  PutDate(text, date);
  text[10] = ' ';
  PutTwo(text + 11, time.hour);
  text[13] = ':';
  PutTwo(text + 14, time.minute);
  text[16] = ':';
  PutTwo(text + 17, time.second);
  if (time.millisecond == 0) {
    out.append(text, 19);
    return;
  }
  text[19] = '.';
  const int ms = static_cast<int>(static_cast<unsigned>(time.millisecond) % 1000);
  text[20] = static_cast<char>('0' + ms / 100);
  PutTwo(text + 21, ms);
  out.append(text, sizeof text);
}

std::string FormatStoredDate(const CivilDate& date) {
  std::string out;
  AppendStoredDate(out, date);
  return out;
}

std::string FormatStoredDateTime(const CivilDate& date, const CivilTime& time) {
  std::string out;
  AppendStoredDateTime(out, date, time);
  return out;
}

}  // namespace zuna::sql
