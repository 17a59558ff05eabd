#include "platform/sql/row_view.h"

#include "platform/sql/date_text.h"

namespace zuna::sql {

void ValueFromView(const ColumnView& view, ColumnType::Kind column_kind, Value& out) {
  switch (view.kind) {
    case ColumnView::Kind::kNull:
      out.SetNull();
      return;
    case ColumnView::Kind::kInteger:
      out.SetInteger(view.integer);
      return;
    case ColumnView::Kind::kDouble:
      out.SetDouble(view.number);
      return;
    case ColumnView::Kind::kBinary:
      out.SetBinary(view.bytes);
      return;
    case ColumnView::Kind::kValue:
      out = *view.value;
      return;
    case ColumnView::Kind::kText:
      break;
  }
  CivilDate date;
  CivilTime time;
  if ((column_kind == ColumnType::Kind::kDate || column_kind == ColumnType::Kind::kDateTime) &&
      ParseDateText(view.bytes, date, time)) {
    if (column_kind == ColumnType::Kind::kDate) {
      out.SetDate(date);
    } else {
      out.SetDateTime(date, time);
    }
    return;
  }
  out.SetText(view.bytes);
}

}  // namespace zuna::sql
