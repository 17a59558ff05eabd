#pragma once

// The fixture of the FoxPro reader's tests: a table file in a fresh folder, opened and read
// whole.
#include <gtest/gtest.h>

#include <filesystem>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "platform/dbf/table_reader.h"
#include "tests/support/dbf_builder.h"

namespace zuna::dbf {

using testkit::DbfBuilder;
using Rows = std::vector<std::vector<std::string>>;
// A field failure as (column index, error number).
using FieldFailures = std::vector<std::pair<int, long>>;

inline FieldFailures Failures(const TableReader& reader) {
  FieldFailures failures;
  for (const auto& [index, status] : reader.field_errors()) {
    failures.emplace_back(index, status.number());
  }
  return failures;
}

class TableReaderTest : public ::testing::Test {
 protected:
  std::filesystem::path Table(const std::string& name = "t.dbf") { return folder_ / name; }

  std::unique_ptr<TableReader> OpenOk(const ReaderOptions& options = {}) {
    auto reader = TableReader::Open(Table(), options);
    EXPECT_TRUE(reader.ok()) << reader.status().ToString();
    return reader.ok() ? std::move(reader).value() : nullptr;
  }

  // Every delivered row as the text forms of its values.
  Rows ReadAll(const ReaderOptions& options = {}) {
    auto reader = OpenOk(options);
    Rows rows;
    if (!reader) return rows;
    std::vector<Value> row;
    for (;;) {
      auto more = reader->Next(row);
      EXPECT_TRUE(more.ok()) << more.status().ToString();
      if (!more.ok() || !*more) break;
      std::vector<std::string> texts;
      for (const Value& v : row) texts.push_back(v.is_null() ? "<null>" : v.ToText());
      rows.push_back(texts);
    }
    return rows;
  }

  Status OpenError() {
    auto reader = TableReader::Open(Table());
    EXPECT_FALSE(reader.ok());
    return reader.ok() ? Status() : reader.status();
  }

  testkit::TempFolder folder_;
};

}  // namespace zuna::dbf
