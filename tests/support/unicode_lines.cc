#include "tests/support/unicode_lines.h"

#include "platform/text/encoding.h"
#include "tests/support/dbf_builder.h"

namespace zuna::testkit {

std::vector<std::string> UnicodeLines(const std::filesystem::path& path) {
  const std::string bytes = ReadFile(path);
  if (bytes.size() < 2 || bytes.compare(0, 2, "\xFF\xFE") != 0) return {"<no byte-order mark>"};
  std::string utf8;
  for (std::size_t i = 2; i + 1 < bytes.size(); i += 2) {
    text::AppendUtf8(
        static_cast<unsigned char>(bytes[i]) | (static_cast<unsigned char>(bytes[i + 1]) << 8),
        utf8);
  }
  std::vector<std::string> lines;
  for (std::size_t start = 0, end; (end = utf8.find("\r\n", start)) != std::string::npos;
       start = end + 2) {
    lines.push_back(utf8.substr(start, end - start));
  }
  return lines;
}

}  // namespace zuna::testkit
