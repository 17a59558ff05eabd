// Prints a FoxPro table as our reader sees it, one JSON array per row, for comparison with an
// independent reader and with the table before it was damaged. A value the reader could not
// decode is ["error", number, description]. With --details the first line describes the table
// (fields with type, width, decimals and flags; version; code page) and a last line gives the
// reader's counts. A table that does not open, or a read that fails, prints "error N: ..." on
// standard error and exits 1.
// Usage: dbf_dump TABLE [--code-page N] [--keep-deleted] [--details]
#include <cstdio>
#include <cstring>
#include <string>

#include "platform/dbf/table_reader.h"

namespace {

void PrintJsonString(const std::string& s) {
  std::putchar('"');
  for (unsigned char c : s) {
    if (c == '"' || c == '\\') {
      std::printf("\\%c", c);
    } else if (c < 0x20) {
      std::printf("\\u%04x", c);
    } else {
      std::putchar(c);
    }
  }
  std::putchar('"');
}

void PrintValue(const zuna::Value& v) {
  using zuna::ValueKind;
  char buffer[64];
  switch (v.kind()) {
    case ValueKind::kNull:
      std::printf("null");
      return;
    case ValueKind::kText:
      std::printf("[\"text\",");
      PrintJsonString(v.text());
      break;
    case ValueKind::kBinary: {
      // Bytes are not text: both forms in hex, so the output stays JSON in UTF-8.
      std::string hex;
      for (unsigned char c : v.text()) {
        std::snprintf(buffer, sizeof buffer, "%02x", c);
        hex += buffer;
      }
      std::printf("[\"binary\",\"%s\",\"%s\"]", hex.c_str(), hex.c_str());
      return;
    }
    case ValueKind::kInteger:
      std::printf("[\"int\",\"%lld\"", static_cast<long long>(v.integer()));
      break;
    case ValueKind::kDecimal:
    case ValueKind::kDouble:
      std::printf("[\"number\",\"%s\"", v.ToText().c_str());
      break;
    case ValueKind::kBoolean:
      std::printf("[\"bool\",%s", v.boolean() ? "true" : "false");
      break;
    case ValueKind::kDate:
      std::printf("[\"date\",\"%04d-%02d-%02d\"", v.date().year, v.date().month, v.date().day);
      break;
    case ValueKind::kDateTime:
      std::printf("[\"datetime\",\"%04d-%02d-%02dT%02d:%02d:%02d.%03d\"", v.date().year,
                  v.date().month, v.date().day, v.time().hour, v.time().minute, v.time().second,
                  v.time().millisecond);
      break;
  }
  std::printf(",");
  PrintJsonString(v.ToText());
  std::printf("]");
}

void PrintError(const zuna::Status& status) {
  std::printf("[\"error\",%ld,", status.number());
  PrintJsonString(status.description());
  std::printf("]");
}

void PrintTable(const zuna::dbf::TableReader& reader) {
  std::printf("{\"fields\":[");
  for (std::size_t i = 0; i < reader.fields().size(); ++i) {
    const zuna::dbf::Field& field = reader.fields()[i];
    std::printf("%s[", i ? "," : "");
    PrintJsonString(field.name);
    std::printf(",\"%c\",%u,%u,%u]", field.type, field.length, field.decimals, field.flags);
  }
  std::printf("],\"version\":%u,\"code_page\":%d}\n", reader.version(), reader.code_page());
}

void PrintCounts(const zuna::dbf::TableReader& reader, std::uint64_t field_errors) {
  const auto& s = reader.statistics();
  std::printf(
      "{\"header_rows\":%llu,\"rows_in_file\":%llu,\"rows_delivered\":%llu,"
      "\"deleted_skipped\":%llu,\"undecodable_fields\":%llu,\"field_errors\":%llu}\n",
      static_cast<unsigned long long>(s.header_row_count),
      static_cast<unsigned long long>(s.rows_in_file),
      static_cast<unsigned long long>(s.rows_delivered),
      static_cast<unsigned long long>(s.deleted_skipped),
      static_cast<unsigned long long>(s.undecodable_fields),
      static_cast<unsigned long long>(field_errors));
}

}  // namespace

int main(int argc, char** argv) {
  if (argc < 2) {
    std::fprintf(stderr, "usage: dbf_dump TABLE [--code-page N] [--keep-deleted] [--details]\n");
    return 2;
  }
  zuna::dbf::ReaderOptions options;
  bool details = false;
  for (int i = 2; i < argc; ++i) {
    if (std::strcmp(argv[i], "--code-page") == 0 && i + 1 < argc) {
      options.code_page = std::stoi(argv[++i]);
    } else if (std::strcmp(argv[i], "--keep-deleted") == 0) {
      options.skip_deleted = false;
    } else if (std::strcmp(argv[i], "--details") == 0) {
      details = true;
    }
  }
  auto reader = zuna::dbf::TableReader::Open(argv[1], options);
  if (!reader.ok()) {
    std::fprintf(stderr, "%s\n", reader.status().ToString().c_str());
    return 1;
  }
  if (details) {
    PrintTable(**reader);
  } else {
    std::printf("[");
    for (std::size_t i = 0; i < (*reader)->fields().size(); ++i) {
      if (i) std::printf(",");
      PrintJsonString((*reader)->fields()[i].name);
    }
    std::printf("]\n");
  }
  std::vector<zuna::Value> row;
  std::uint64_t field_errors = 0;
  for (;;) {
    auto more = (*reader)->Next(row);
    if (!more.ok()) {
      std::fflush(stdout);
      std::fprintf(stderr, "%s\n", more.status().ToString().c_str());
      return 1;
    }
    if (!*more) break;
    std::printf("[");
    for (std::size_t i = 0; i < row.size(); ++i) {
      if (i) std::printf(",");
      const zuna::Status* failure = nullptr;
      for (const auto& [index, status] : (*reader)->field_errors()) {
        if (index == static_cast<int>(i)) failure = &status;
      }
      if (failure != nullptr) {
        PrintError(*failure);
        ++field_errors;
      } else {
        PrintValue(row[i]);
      }
    }
    std::printf("]\n");
  }
  if (details) PrintCounts(**reader, field_errors);
  return 0;
}
