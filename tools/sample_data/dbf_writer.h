#pragma once

#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <string>
#include <string_view>
#include <vector>

#include "platform/base/result.h"
#include "platform/files/file_system.h"

namespace zuna::sample {

// A column of a table to be written.
struct ColumnSpec {
  std::string name;  // stored in upper case, as FoxPro does
  char type;         // C, N, D, L, M, I, Y, T, B
  std::uint8_t length;
  std::uint8_t decimals = 0;
};

// Writes a FoxPro 2.x table (with an .fpt memo file when a column is a memo) row by row, so
// tables of millions of rows are written with flat memory. Values are given as their stored
// text: C and M as text in the table's code page, N as digits, D as yyyymmdd, L as T/F/?.
class DbfWriter {
 public:
  static Result<DbfWriter> Create(const std::filesystem::path& path,
                                  std::vector<ColumnSpec> columns,
                                  std::uint8_t language_driver = 0x03);

  DbfWriter(DbfWriter&&) = default;
  DbfWriter& operator=(DbfWriter&&) = default;

  // Appends one row; `values` holds one stored text per column (blank when shorter).
  Status AddRow(const std::vector<std::string>& values, bool deleted = false);
  // Writes the row count into the header and closes both files.
  Status Finish();

  std::uint32_t rows() const { return rows_; }

 private:
  DbfWriter() = default;
  Result<std::uint32_t> AddMemo(std::string_view text);

  std::filesystem::path path_;
  std::vector<ColumnSpec> columns_;
  files::FileHandle table_;
  files::FileHandle memo_;
  std::uint32_t next_memo_block_ = 0;
  std::uint32_t rows_ = 0;
  std::string record_;
};

}  // namespace zuna::sample
