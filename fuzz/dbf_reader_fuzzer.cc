// The FoxPro reader on arbitrary table and memo bytes. Input: two bytes giving the length of the
// table part, a flag byte (memo kind, deleted rows, buffer size), the table, then the memo file.
#include <cstddef>
#include <cstdint>
#include <vector>

#include "fuzz/fuzz_folder.h"
#include "platform/dbf/foxpro_source.h"
#include "platform/dbf/table_reader.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  if (size < 3) return 0;
  const std::string_view input(reinterpret_cast<const char*>(data), size);
  const std::size_t table_size =
      std::min<std::size_t>(static_cast<std::size_t>(data[0] | (data[1] << 8)), size - 3);
  const std::uint8_t flags = data[2];
  const auto& folder = zuna::fuzz::Folder();
  std::filesystem::remove(folder / "t.fpt");
  std::filesystem::remove(folder / "t.dbt");
  zuna::fuzz::WriteBytes(folder / "t.dbf", input.substr(3, table_size));
  zuna::fuzz::WriteBytes(folder / ((flags & 1) ? "t.dbt" : "t.fpt"), input.substr(3 + table_size));

  zuna::dbf::ReaderOptions options;
  options.skip_deleted = (flags & 2) == 0;
  options.buffer_bytes = (flags & 4) ? 7 : std::size_t{1} << 16;
  if (flags & 8) options.code_page = (flags & 16) ? 866 : 932;
  (void)zuna::dbf::AnnouncedRowCount(folder / "t.dbf");
  auto reader = zuna::dbf::TableReader::Open(folder / "t.dbf", options);
  if (reader.ok()) {
    std::vector<zuna::Value> row;
    for (int rows = 0; rows < 100000; ++rows) {
      auto more = (*reader)->Next(row);
      if (!more.ok() || !*more) break;
      for (const zuna::Value& value : row) (void)value.ToText();
      for (const auto& [index, status] : (*reader)->field_errors()) (void)status.description();
    }
  }
  zuna::dbf::FoxProSourceOptions source;
  source.data_folder = folder;
  if (auto count = zuna::dbf::OpenFoxProRecordset("select count(*) from t", source); count.ok()) {
    (void)(*count)->Field(0);
  }
  return 0;
}
