#include "platform/recordset/recordset.h"

#include <string>

namespace zuna::recordset {

Status ItemNotFound(std::string_view name) {
  std::string text(kItemNotFoundText);
  if (!name.empty()) text += " (" + std::string(name) + ")";
  return Status(ErrorKind::kNotFound, kErrItemNotFound, std::move(text));
}

Status NoCurrentRecord() {
  return Status(ErrorKind::kInvalidArgument, kErrNoCurrentRecord,
                std::string(kNoCurrentRecordText));
}

Status ObjectClosed() {
  return Status(ErrorKind::kInvalidArgument, kErrObjectClosed, std::string(kObjectClosedText));
}

Status NotUpdatable() {
  return Status(ErrorKind::kUnsupported, kErrNotUpdatable, std::string(kNotUpdatableText));
}

Result<const Value*> Recordset::FieldByName(std::string_view name) const {
  const int index = FindField(name);
  if (index < 0) return ItemNotFound(name);
  return Field(index);
}

Status Recordset::SetByName(std::string_view name, const Value& value) {
  const int index = FindField(name);
  if (index < 0) return ItemNotFound(name);
  return Set(index, value);
}

}  // namespace zuna::recordset
