#pragma once

#include <string>

#include "platform/base/value.h"
#include "platform/sql/column_type.h"
#include "platform/sql/row_view.h"
#include "verify/canonical_value.h"

namespace zuna::verify {

// AppendStoredCanonical of the value a cursor lends as `view` from a column the cursor types as
// `column_kind`, for a column of `type`: exactly what AppendStoredCanonical gives for the Value
// the cursor's Next would deliver, without building it where the view is enough. A text goes in
// as it is; a date the engine stores in its own ISO form is taken from its text without reading
// it into a date and writing it back. Anything else goes through `scratch`.
CanonicalState AppendStoredView(const sql::ColumnView& view, sql::ColumnType::Kind column_kind,
                                const sql::ColumnType& type, std::string& out, Value& scratch);

}  // namespace zuna::verify
