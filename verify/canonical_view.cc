#include "verify/canonical_view.h"

#include <string_view>

namespace zuna::verify {
namespace {

using Kind = sql::ColumnType::Kind;

bool Digits(std::string_view s, std::size_t from, std::size_t count, int& out) {
  out = 0;
  for (std::size_t i = from; i < from + count; ++i) {
    if (s[i] < '0' || s[i] > '9') return false;
    out = out * 10 + (s[i] - '0');
  }
  return true;
}

// True when `text` is a date in the form the engine stores dates in, "yyyy-mm-dd", optionally
// followed by " hh:mm:ss" or " hh:mm:ss.fff", naming a real day and time of a year `type` holds.
// Such a text reads as that date and time, and its canonical form is the text itself (with the
// time of day completed for a datetime), so the caller copies it.
bool IsStoredIsoDate(std::string_view text, const sql::ColumnType& type) {
  if (text.size() != 10 && text.size() != 19 && text.size() != 23) return false;
  CivilDate date;
  if (!Digits(text, 0, 4, date.year) || text[4] != '-' || !Digits(text, 5, 2, date.month) ||
      text[7] != '-' || !Digits(text, 8, 2, date.day) || !IsValidDate(date) ||
      date.year < type.min_year || date.year > type.max_year) {
    return false;
  }
  if (text.size() == 10) return true;
  int hour = 0, minute = 0, second = 0, millisecond = 0;
  if (text[10] != ' ' || !Digits(text, 11, 2, hour) || text[13] != ':' ||
      !Digits(text, 14, 2, minute) || text[16] != ':' || !Digits(text, 17, 2, second) ||
      hour > 23 || minute > 59 || second > 59) {
    return false;
  }
  return text.size() == 19 || (text[19] == '.' && Digits(text, 20, 3, millisecond));
}

}  // namespace

CanonicalState AppendStoredView(const sql::ColumnView& view, Kind column_kind,
                                const sql::ColumnType& type, std::string& out, Value& scratch) {
  using ViewKind = sql::ColumnView::Kind;
  if (view.kind == ViewKind::kNull) return CanonicalState::kNull;
  if (view.kind == ViewKind::kValue) return AppendStoredCanonical(*view.value, type, out);
  if (view.kind == ViewKind::kText) {
    const bool date_column = column_kind == Kind::kDate || column_kind == Kind::kDateTime;
    if (!date_column && type.kind == Kind::kText) {
      const std::size_t start = out.size();
      const CanonicalState state = AppendCanonicalText(view.bytes, type, out);
      if (state != CanonicalState::kUnstorable) return state;
      out.resize(start);
      out += view.bytes;
      return CanonicalState::kForeign;
    }
    if (date_column && column_kind == type.kind && IsStoredIsoDate(view.bytes, type)) {
      if (type.kind == Kind::kDate) {
        out += view.bytes.substr(0, 10);
      } else {
        out += view.bytes;
        if (view.bytes.size() == 10) out += " 00:00:00";
        if (view.bytes.size() != 23) out += ".000";
      }
      return CanonicalState::kValue;
    }
  }
  sql::ValueFromView(view, column_kind, scratch);
  return AppendStoredCanonical(scratch, type, out);
}

}  // namespace zuna::verify
