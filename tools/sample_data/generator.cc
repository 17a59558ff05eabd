#include "tools/sample_data/generator.h"

#include <sys/stat.h>

#include <cerrno>
#include <cstdio>
#include <string>
#include <vector>

#include "tools/sample_data/dbf_writer.h"
#include "tools/sample_data/table_shapes.h"

namespace zuna::sample {
namespace {

namespace fs = std::filesystem;

constexpr std::uint64_t kDeletedEvery = 50;
constexpr std::uint64_t kRefusedPersonnelEvery = 97;

std::string Date(int year, int month, int day) {
  char buffer[16];
  std::snprintf(buffer, sizeof buffer, "%04d%02d%02d", year, month, day);
  return buffer;
}

// A date for row `n` of a date column: mostly in the 1990s to 2020s, one row in 17 before 1900,
// one in 23 blank (null), and one in 31 ending in 9999's neighbour 1900 (the lower bound).
std::string SampleDate(std::uint64_t n, std::size_t column) {
  const std::uint64_t k = n + column * 7;
  if (k % 17 == 5) return Date(1899, 12, 31);
  if (k % 23 == 7) return "";
  if (k % 31 == 11) return Date(1900, 1, 1);
  return Date(1990 + static_cast<int>(k % 35), 1 + static_cast<int>(k % 12),
              1 + static_cast<int>(k % 28));
}

std::string SampleNumber(const ColumnSpec& column, std::uint64_t n, std::size_t index) {
  const int integer_digits = column.length - (column.decimals ? column.decimals + 1 : 0);
  std::uint64_t limit = 1;
  for (int i = 0; i < integer_digits - 1 && i < 9; ++i) limit *= 10;
  const std::uint64_t whole = (n * 37 + index * 11) % limit;
  if (column.decimals == 0) return std::to_string(whole);
  std::string text = std::to_string(whole) + "." + std::to_string((n * 7 + index) % 10);
  text.append(column.decimals - 1, '0');
  return text;
}

std::string SampleText(const ColumnSpec& column, std::string_view table, std::uint64_t n) {
  std::string text;
  if (column.length >= 30) {
    static const char* kWords[] = {"ACCOUNTS", "TREASURY",      "ÉCOLE NORMALE", "PUBLIC WORKS",
                                   "REVENUE",  "MÜLLER & SONS", "HEALTH",        "EDUCATION"};
    text = std::string(kWords[n % 8]) + " " + std::string(table) + " " + std::to_string(n);
  } else {
    text = std::string(1, static_cast<char>('A' + n % 26)) + std::to_string(100 + n);
  }
  if (text.size() > column.length) text.resize(column.length);
  return text;
}

std::vector<std::string> GenericRow(std::string_view table, const std::vector<ColumnSpec>& columns,
                                    std::uint64_t n) {
  std::vector<std::string> row;
  for (std::size_t i = 0; i < columns.size(); ++i) {
    const ColumnSpec& column = columns[i];
    switch (column.type) {
      case 'D':
        row.push_back(SampleDate(n, i));
        break;
      case 'N':
        if (column.name.ends_with("_mon")) {
          row.push_back(std::to_string(1 + n % 12));
        } else if (column.name.ends_with("_year")) {
          row.push_back(std::to_string(2000 + n % 25));
        } else {
          row.push_back(SampleNumber(column, n, i));
        }
        break;
      case 'L':
        row.push_back(n % 3 ? "F" : "T");
        break;
      case 'M':
        row.push_back(n % 4 == 1 ? ""
                                 : "Remark " + std::to_string(n) + " of " + std::string(table) +
                                       ":\r\nchecked, carried forward.");
        break;
      default:
        row.push_back(SampleText(column, table, n));
    }
  }
  // designation: a description padded with blanks, and one of 50 characters or more.
  if (table == "designation" && columns.size() > 1) {
    row[1] = n % 2 ? "  CLERK  " : "  " + std::string(52, 'D');
  }
  return row;
}

// Converts a text in UTF-8 to the tables' code page (Windows-1252): the writer stores bytes.
std::string ToCp1252(const std::string& utf8) {
  std::string out;
  for (std::size_t i = 0; i < utf8.size(); ++i) {
    const auto c = static_cast<unsigned char>(utf8[i]);
    if (c < 0x80) {
      out.push_back(static_cast<char>(c));
    } else if ((c & 0xE0) == 0xC0 && i + 1 < utf8.size()) {
      out.push_back(static_cast<char>(((c & 0x1F) << 6) | (utf8[++i] & 0x3F)));
    } else {
      out.push_back('?');
    }
  }
  return out;
}

Result<std::uint64_t> WriteTable(const fs::path& folder, const transfer::CatalogEntry& entry,
                                 const SampleOptions& options) {
  const bool personnel = entry.table == "personnel";
  const std::vector<ColumnSpec> columns = personnel ? PersonnelColumns() : ColumnsOf(entry);
  ASSIGN_OR_RETURN(DbfWriter writer, DbfWriter::Create(folder / (entry.table + ".dbf"), columns));
  std::uint64_t rows = personnel ? options.personnel_rows : options.rows_per_table;
  if (entry.table == "installation") rows = 1;
  std::size_t opr_date = columns.size();
  for (std::size_t i = 0; i < columns.size(); ++i) {
    if (columns[i].name == "opr_date") opr_date = i;
  }
  for (std::uint64_t n = 0; n < rows; ++n) {
    std::vector<std::string> row =
        personnel ? PersonnelRow(n) : GenericRow(entry.table, columns, n);
    if (personnel && options.refused_rows && n % kRefusedPersonnelEvery == 13 &&
        opr_date < row.size()) {
      row[opr_date] = Date(1700, 5, 1);  // before datetime's range: the target refuses the row
    }
    for (std::string& value : row) value = ToCp1252(value);
    const bool deleted = rows > 1 && n % kDeletedEvery == kDeletedEvery - 1;
    RETURN_IF_ERROR(writer.AddRow(row, deleted));
  }
  RETURN_IF_ERROR(writer.Finish());
  return rows;
}

// The folder is made here only when its parent is there: mkdir, not mkdir -p.
Status PrepareFolder(const fs::path& folder) {
  struct stat info;
  if (::stat(folder.c_str(), &info) == 0) {
    if (S_ISDIR(info.st_mode)) return Status::Ok();
    return files::ErrnoStatus(ENOTDIR, folder);
  }
  if (errno != ENOENT) return files::ErrnoStatus(errno, folder);
  if (::mkdir(folder.c_str(), 0777) != 0) {
    const int error = errno;
    if (error == ENOENT) {
      return Status(ErrorKind::kNotFound, ENOENT,
                    folder.string() + ": the parent folder does not exist");
    }
    return files::ErrnoStatus(error, folder);
  }
  return Status::Ok();
}

}  // namespace

Result<SampleSummary> GenerateSampleData(const fs::path& folder, const SampleOptions& options) {
  if (options.rows_per_table > kMaxRows || options.personnel_rows > kMaxRows) {
    return Status(ErrorKind::kInvalidArgument, EINVAL,
                  "at most " + std::to_string(kMaxRows) + " rows per table");
  }
  RETURN_IF_ERROR(PrepareFolder(folder));
  SampleSummary summary;
  for (const transfer::CatalogEntry* entry : AllCatalogEntries()) {
    ASSIGN_OR_RETURN(const std::uint64_t rows, WriteTable(folder, *entry, options));
    ++summary.tables;
    summary.rows += rows;
  }
  return summary;
}

}  // namespace zuna::sample
