#include "platform/dbf/table_header.h"

#include "platform/base/byte_order.h"
#include "platform/dbf/dbf_errors.h"
#include "platform/dbf/dbf_format.h"
#include "platform/text/ascii.h"

namespace zuna::dbf {

namespace fs = std::filesystem;

namespace {

// The header ends right after the descriptors' terminator, after the 263-byte backlink of
// Visual FoxPro (python3-dbf writes one into its FoxPro 2.x tables too), or after the one NUL
// byte some dBase III writers add. Any other length moves the start of every record.
Status CheckHeaderLength(const fs::path& path, std::string_view header, std::size_t descriptors_end,
                         std::size_t field_count) {
  const std::size_t length = header.size();
  if (length == descriptors_end || length == descriptors_end + format::kBacklinkSize) {
    return Status::Ok();
  }
  if (length == descriptors_end + 1 && header[descriptors_end] == '\0') return Status::Ok();
  return NotATable(
      path, "the header length " + std::to_string(length) + " does not fit its " +
                std::to_string(field_count) + " field descriptors, which end at byte " +
                std::to_string(descriptors_end) + " (" + std::to_string(descriptors_end) + ", or " +
                std::to_string(descriptors_end + format::kBacklinkSize) +
                " with a backlink, expected)");
}

bool IsKnownFieldType(char type) {
  return std::string_view("CVQNFDTLMGPWBIY0").find(type) != std::string_view::npos;
}

Status CheckWidth(const fs::path& path, const Field& field, std::uint32_t width) {
  if (field.length == width) return Status::Ok();
  return NotATable(path, "field " + field.name + " of type " + std::string(1, field.type) +
                             " has width " + std::to_string(field.length) + ", not " +
                             std::to_string(width));
}

// The width a field of `type` must have, or 0 when any width will do.
std::uint32_t FixedWidth(char type, bool visual_foxpro) {
  switch (type) {
    case 'D':
    case 'T':
    case 'Y':
      return 8;
    case 'I':
      return 4;
    case 'B':
      return visual_foxpro ? 8 : 0;  // a memo block number elsewhere
    case 'L':
      return 1;
    default:
      return 0;
  }
}

Field ReadDescriptor(const unsigned char* d, std::uint32_t offset) {
  Field field;
  for (std::size_t i = 0; i < format::kFieldNameSize && d[i] != 0; ++i) {
    field.name.push_back(text::LowerAscii(static_cast<char>(d[i])));
  }
  while (!field.name.empty() && field.name.back() == ' ') field.name.pop_back();
  field.type = text::UpperAscii(static_cast<char>(d[format::kFieldTypeOffset]));
  field.length = d[format::kFieldLengthOffset];
  field.decimals = d[format::kFieldDecimalsOffset];
  field.flags = d[format::kFieldFlagsOffset];
  field.offset = offset;
  return field;
}

}  // namespace

Result<TableHeader> ParseTableHeader(const fs::path& path, std::string_view header,
                                     std::uint64_t file_size) {
  const auto* bytes = reinterpret_cast<const unsigned char*>(header.data());
  TableHeader table;
  table.version = bytes[format::kVersionOffset];
  table.language_driver = bytes[format::kLanguageDriverOffset];
  table.header_length = static_cast<std::uint32_t>(header.size());
  table.record_length = ReadLe16(bytes + format::kRecordLengthOffset);
  table.record_count = ReadLe32(bytes + format::kRecordCountOffset);

  std::size_t pos = format::kHeaderSize;
  std::uint32_t offset = 1;  // after the deletion flag
  bool terminated = false;
  while (pos < header.size()) {
    if (bytes[pos] == format::kHeaderTerminator) {
      terminated = true;
      break;
    }
    if (pos + format::kFieldDescriptorSize > header.size()) break;
    Field field = ReadDescriptor(bytes + pos, offset);
    offset += field.length;
    if (!IsKnownFieldType(field.type)) {
      return NotATable(path, "field " + field.name + " has the unknown type '" +
                                 ShownBytes(std::string_view(&field.type, 1)) + "'");
    }
    if (field.type != '0') {
      table.fields.push_back(std::move(field));
    } else if (table.null_flags) {
      return NotATable(path, "more than one _NullFlags column");
    } else {
      table.null_flags = field;
    }
    pos += format::kFieldDescriptorSize;
  }
  if (!terminated) {
    return NotATable(path, "the field descriptors have no terminator within the header's " +
                               std::to_string(header.size()) + " bytes");
  }
  RETURN_IF_ERROR(
      CheckHeaderLength(path, header, pos + 1, table.fields.size() + (table.null_flags ? 1 : 0)));
  if (offset != table.record_length) {
    return NotATable(path, "the record length " + std::to_string(table.record_length) +
                               " is not the sum of the field widths plus the deletion flag (" +
                               std::to_string(offset) + ")");
  }

  int bit = 0;
  const bool visual_foxpro = format::IsVisualFoxPro(table.version);
  // A _NullFlags column means its null bits whatever the version byte says: python3-dbf writes
  // one into FoxPro 2.x tables, and a damaged version byte must not turn nulls into values.
  const bool null_bits = visual_foxpro || table.null_flags.has_value();
  for (Field& field : table.fields) {
    if (const std::uint32_t width = FixedWidth(field.type, visual_foxpro); width != 0) {
      RETURN_IF_ERROR(CheckWidth(path, field, width));
    }
    if (!null_bits) continue;
    if (field.type == 'V' || field.type == 'Q') field.varlength_bit = bit++;
    if (field.flags & format::kFlagNullable) field.null_bit = bit++;
  }
  if (bit > 0) {
    if (!table.null_flags) return NotATable(path, "nullable or variable fields without _NullFlags");
    if (static_cast<std::uint32_t>(bit) > table.null_flags->length * 8) {
      return NotATable(path, "_NullFlags is too short for its fields");
    }
  }

  const std::uint64_t data_bytes = file_size - table.header_length;
  table.rows_in_file = table.record_length == 0 ? 0 : data_bytes / table.record_length;
  return table;
}

}  // namespace zuna::dbf
