#pragma once

#include <cstdint>
#include <filesystem>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "platform/base/result.h"

namespace zuna::dbf {

// One column of a table as its header describes it.
struct Field {
  std::string name;  // lower case, as the FoxPro ODBC driver reports it
  char type = 'C';
  std::uint32_t offset = 0;  // from the start of the record, after the deletion flag
  std::uint32_t length = 0;
  std::uint8_t decimals = 0;
  std::uint8_t flags = 0;
  int null_bit = -1;       // bit in _NullFlags that marks null, or -1
  int varlength_bit = -1;  // bit in _NullFlags that marks a short V/Q value, or -1
};

// What a table's header says, checked against itself and against the size of its file.
struct TableHeader {
  std::uint8_t version = 0;
  std::uint8_t language_driver = 0;
  std::uint32_t header_length = 0;
  std::uint32_t record_length = 0;
  std::uint32_t record_count = 0;   // the rows the header claims
  std::vector<Field> fields;        // the visible columns, in table order
  std::optional<Field> null_flags;  // the hidden _NullFlags column
  std::uint64_t rows_in_file = 0;   // the complete records between the header and the file's end
};

// Reads `header`, the table's header bytes as long as the header says it is, of the file `path`
// that holds `file_size` bytes. The header must add up: field descriptors of known types ended
// by the terminator, the header's length ending right after it (or after the backlink or one
// NUL), the record length the sum of the widths, the fixed widths of D, T, Y, I, L (and B of
// Visual FoxPro), and a _NullFlags column long enough for the null and varlength bits of the
// fields. Anything else is FoxPro's "not a table", naming the fault.
Result<TableHeader> ParseTableHeader(const std::filesystem::path& path, std::string_view header,
                                     std::uint64_t file_size);

}  // namespace zuna::dbf
