// Prints a FoxPro table as our reader sees it, one JSON array per row, for comparison with an
// independent reader. Usage: dbf_dump TABLE [--code-page N] [--keep-deleted]
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
      std::string hex;
      for (unsigned char c : v.text()) {
        std::snprintf(buffer, sizeof buffer, "%02x", c);
        hex += buffer;
      }
      std::printf("[\"binary\",\"%s\"", hex.c_str());
      break;
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

}  // namespace

int main(int argc, char** argv) {
  if (argc < 2) {
    std::fprintf(stderr, "usage: dbf_dump TABLE [--code-page N] [--keep-deleted]\n");
    return 2;
  }
  zuna::dbf::ReaderOptions options;
  for (int i = 2; i < argc; ++i) {
    if (std::strcmp(argv[i], "--code-page") == 0 && i + 1 < argc) {
      options.code_page = std::stoi(argv[++i]);
    } else if (std::strcmp(argv[i], "--keep-deleted") == 0) {
      options.skip_deleted = false;
    }
  }
  auto reader = zuna::dbf::TableReader::Open(argv[1], options);
  if (!reader.ok()) {
    std::fprintf(stderr, "%s\n", reader.status().ToString().c_str());
    return 1;
  }
  std::printf("[");
  for (std::size_t i = 0; i < (*reader)->fields().size(); ++i) {
    if (i) std::printf(",");
    PrintJsonString((*reader)->fields()[i].name);
  }
  std::printf("]\n");
  std::vector<zuna::Value> row;
  for (;;) {
    auto more = (*reader)->Next(row);
    if (!more.ok()) {
      std::fprintf(stderr, "%s\n", more.status().ToString().c_str());
      return 1;
    }
    if (!*more) break;
    std::printf("[");
    for (std::size_t i = 0; i < row.size(); ++i) {
      if (i) std::printf(",");
      PrintValue(row[i]);
    }
    std::printf("]\n");
  }
  return 0;
}
