#pragma once

#include <cstdint>
#include <string_view>

#include "platform/base/value.h"
#include "platform/sql/column_type.h"

namespace zuna::sql {

// One column of a cursor's current row, lent as the database holds it instead of copied into a
// Value: a reader that only looks at the values (a comparison, a hash) saves a copy of every
// text. What it points into stays valid until the cursor moves.
struct ColumnView {
  enum class Kind : unsigned char {
    kNull,
    kInteger,  // `integer`
    kDouble,   // `number`
    // `bytes` as the database stores them. In a date or datetime column (by the cursor's column
    // type) the text is the stored form of a date: ValueFromView reads it as Next does.
    kText,
    kBinary,  // `bytes`
    kValue,   // `value`: a cursor that builds Values lends them as they are
  };
  Kind kind = Kind::kNull;
  std::int64_t integer = 0;
  double number = 0;
  std::string_view bytes;
  const Value* value = nullptr;

  static ColumnView Of(const Value& value) {
    ColumnView view;
    view.kind = Kind::kValue;
    view.value = &value;
    return view;
  }
};

// The Value a cursor's Next delivers for `view` in a column of `column_kind`: a text in a date or
// datetime column that reads as a date becomes a date (a date column drops the time of day), any
// other text stays text.
void ValueFromView(const ColumnView& view, ColumnType::Kind column_kind, Value& out);

}  // namespace zuna::sql
