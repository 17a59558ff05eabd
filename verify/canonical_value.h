#pragma once

#include <string>
#include <string_view>

#include "platform/base/value.h"
#include "platform/sql/column_type.h"

// The one form in which a value is compared, whichever side it comes from: the FoxPro value after
// the import's rules, or the value the target holds. Both sides go through the same function, so
// two values compare equal exactly when the column holds the value the rules give.
namespace zuna::verify {

enum class CanonicalState : unsigned char {
  kNull = 0,
  kValue = 1,
  // The column cannot hold the value: the target refuses it (a text longer than varchar(n), a
  // date outside the column's range, a number too large). The text says why.
  kUnstorable = 2,
  // A value the target holds that is no value of its column's type (a text in a date column of
  // an engine that does not check): the text is the value as read. Never equal to an expected
  // value.
  kForeign = 3,
  // The source value could not be read; the text is the error.
  kUnreadable = 4,
};

// Appends the canonical text of `value` for a column of `type` to `out` and says what it is:
//  - text: the text exactly, trailing blanks kept (varchar keeps them on every target); a text
//    longer than the column's length is cut to it when only blanks are cut, as the targets do;
//    char(n) is padded with blanks to n. A value that is no text takes its text form.
//  - integer: decimal digits; a decimal or float is cut toward zero, a text is read as a number.
//  - decimal(p,s): exactly s decimals, rounded half away from zero ("12.50", "-0.05", "7").
//  - float: the shortest text that reads back as the same double.
//  - bit: "0" or "1"; a logical, a number (non-zero is 1) or the texts true/false/1/0.
//  - date: "yyyy-mm-dd"; datetime: "yyyy-mm-dd hh:mm:ss.fff". A text is read day first
//    ("01/01/1900") or in ISO form; the empty text is 1900-01-01; a number counts days from
//    1900-01-01.
//  - any other type: the value's text form.
// A null is kNull and appends nothing. For kUnstorable, `out` gets the reason.
CanonicalState AppendCanonical(const Value& value, const sql::ColumnType& type, std::string& out);

// AppendCanonical of a text value in a text column of `type`, from the text itself.
CanonicalState AppendCanonicalText(std::string_view text, const sql::ColumnType& type,
                                   std::string& out);

// The canonical form of a value the target holds: as AppendCanonical, but a value its column
// could not hold is kForeign with its text form, never kUnstorable.
CanonicalState AppendStoredCanonical(const Value& value, const sql::ColumnType& type,
                                     std::string& out);

// One compared value: its state and text.
struct CanonicalValue {
  CanonicalState state = CanonicalState::kNull;
  std::string text;
  friend bool operator==(const CanonicalValue&, const CanonicalValue&) = default;
};

// How a value shows in the report: NULL, or the text in single quotes, or the state and text
// ("unstorable: ...").
std::string DisplayCanonical(const CanonicalValue& value);

}  // namespace zuna::verify
