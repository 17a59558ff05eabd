#pragma once

#include <cstdint>
#include <filesystem>
#include <memory>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "platform/base/result.h"
#include "platform/base/value.h"
#include "platform/dbf/field_decoders.h"
#include "platform/dbf/table_header.h"
#include "platform/recordset/recordset.h"

namespace zuna::dbf {

struct ReaderOptions {
  std::optional<int> code_page;                     // overrides the code page the table declares
  bool skip_deleted = true;                         // rows marked deleted are not delivered
  std::size_t buffer_bytes = std::size_t{1} << 20;  // records are read in chunks of this size
};

// Streams the rows of one dBase III, FoxPro 2.x or Visual FoxPro table, decoding each field into
// a typed value and text from the table's code page into UTF-8. Memory stays flat: records are
// read in chunks, never the whole file.
//
// A header whose row count disagrees with the file size does not stop the reader: it delivers
// the complete rows that are really there and reports both counts. A damaged header (a length
// that does not fit the field descriptors, an unknown field type, a record length that is not
// the sum of the widths), field list or memo file gives an error naming the file and the fault;
// so does a table file that is a folder, a named pipe or a device.
class TableReader {
 public:
  static Result<std::unique_ptr<TableReader>> Open(const std::filesystem::path& path,
                                                   const ReaderOptions& options = {});
  ~TableReader();
  TableReader(const TableReader&) = delete;
  TableReader& operator=(const TableReader&) = delete;

  const std::filesystem::path& path() const { return path_; }
  std::uint8_t version() const { return header_.version; }
  int code_page() const { return decoding_.text.code_page(); }
  // The visible columns, in table order (the hidden _NullFlags column is not among them).
  const std::vector<Field>& fields() const { return header_.fields; }

  // Decodes the next delivered row into `row`, resized to the column count. Returns false at the
  // end of the rows. A field whose stored value or memo cannot be read (a date 20231345, "****"
  // in a number, a memo block past the end) is left null in `row` and reported by
  // field_errors() with its stored bytes; the row itself is still delivered.
  Result<bool> Next(std::vector<Value>& row);

  // Walks the remaining rows without decoding them and returns how many would be delivered.
  Result<std::uint64_t> CountRemainingRows();

  // The field failures of the row that Next() delivered last, as (column index, error).
  const std::vector<std::pair<int, Status>>& field_errors() const { return decoding_.field_errors; }

  recordset::ReadStatistics statistics() const;

 private:
  TableReader() = default;
  Status CheckRecordsStartAndEnd(std::uint64_t file_size);
  Status OpenMemo();
  Result<bool> FillBuffer();
  // The next record to deliver (deleted ones skipped as the options say), or null at the end.
  Result<const char*> NextRecord();
  void DecodeRecord(const char* record, std::vector<Value>& row);

  std::filesystem::path path_;
  int fd_ = -1;
  TableHeader header_;
  std::vector<FieldDecoder> decoders_;  // one per visible column
  FieldDecoding decoding_;
  ReaderOptions options_;

  std::uint64_t rows_to_walk_ = 0;  // complete records in the file
  std::uint64_t next_record_ = 0;   // index of the next record to walk
  std::vector<char> buffer_;
  std::size_t buffer_records_ = 0;   // records held in buffer_
  std::size_t buffer_position_ = 0;  // next record in buffer_
  bool stopped_ = false;             // a record past the header's count that is not a record
  recordset::ReadStatistics stats_;
};

// The row count a table's header announces, read from its fixed 32-byte header alone: what a
// table that cannot be opened as a whole says it holds. Empty when even that cannot be read (no
// such file, not a regular file, unreadable, shorter than the fixed header).
std::optional<std::uint64_t> AnnouncedRowCount(const std::filesystem::path& path);

}  // namespace zuna::dbf
