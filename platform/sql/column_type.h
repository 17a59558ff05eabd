#pragma once

#include <string>
#include <string_view>

#include "platform/base/result.h"
#include "platform/base/value.h"

namespace zuna::sql {

// A column's declared SQL Server type, as far as saving values into it is concerned.
struct ColumnType {
  enum class Kind {
    kOther,    // anything not listed: values pass unchanged
    kText,     // char, varchar, nchar, nvarchar, text, ntext
    kInteger,  // bigint, int, smallint, tinyint
    kDecimal,  // decimal, numeric, money, smallmoney
    kFloat,    // float, real
    kBit,
    kDate,      // date
    kDateTime,  // datetime, datetime2, smalldatetime
  };
  Kind kind = Kind::kOther;
  std::string name;    // the type name in lower case, without its length ("varchar")
  int length = -1;     // character length of char/varchar(n); -1 for none or max
  bool fixed = false;  // char/nchar: blank-padded to the length
  int precision = 18;
  int scale = 0;
  std::int64_t min_integer = 0;
  std::int64_t max_integer = 0;
  int min_year = 1;  // the earliest year a date column holds
  int max_year = 9999;
};

// Parses a declared type such as "varchar(30)", "NUMERIC(10, 2)", "datetime".
ColumnType ParseColumnType(std::string_view declared);

// Converts `value` for saving into a column of `type`, as SQL Server converts on insert: dates as
// ISO-8601 text (a text date is read as dd/mm/yyyy), numbers range- and precision-checked, text
// length-checked (only blanks may be cut). Refusals carry SQL Server's error number and text.
Result<Value> ConvertForColumn(const Value& value, const ColumnType& type, std::string_view column);
// The same, writing into `out` so a row buffer is reused without allocating.
Status ConvertForColumn(const Value& value, const ColumnType& type, std::string_view column,
                        Value& out);

// True when `value` goes into a column of `type` exactly as it is (no conversion, no refusal):
// the common case of an import, checked without building anything.
bool StoresUnchanged(const Value& value, const ColumnType& type);

}  // namespace zuna::sql
