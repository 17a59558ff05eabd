// The text-to-PDF writer on arbitrary text bytes and options. Input: a font choice, the font
// size, the paper width and height in tenths of an inch, then the text. When bit 2 of the font
// choice is set, six NUL-ended strings come before the text: title, author, subject, keywords,
// creator and a font name that replaces the chosen one. Every document must end with its
// running offset equal to the size of the file and a cross-reference table that starts where
// startxref says, and every caller string must read back from the file exactly as given.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <fstream>
#include <sstream>

#include "fuzz/fuzz_folder.h"
#include "pdf/txt_to_pdf.h"
#include "platform/operator/operator.h"
#include "platform/text/encoding.h"

namespace {

constexpr std::uint8_t kOptionsFollow = 0x04;

class Silent : public zuna::Operator {
 public:
  void ShowMessage(std::string_view, zuna::MessageIcon, zuna::MessageTitle) override {}
  void ShowError(const zuna::Status&) override {}
};

std::string Read(const std::filesystem::path& path) {
  std::ifstream in(path, std::ios::binary);
  std::ostringstream out;
  out << in.rdbuf();
  return out.str();
}

// Takes the bytes up to the next NUL (or the end) off the front of `input`.
std::string TakeField(std::string_view& input) {
  const std::size_t end = input.find('\0');
  std::string field(input.substr(0, end));
  input.remove_prefix(end == std::string_view::npos ? input.size() : end + 1);
  return field;
}

int HexValue(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  return -1;
}

// The value of the information entry `key` as written, or aborts when the entry is missing or
// not a well-formed string that ends its line. A literal is unescaped; a hex string is checked
// and returned as the UTF-8 of its UTF-16BE units.
std::string InfoValue(const std::string& pdf, const std::string& key) {
  const std::size_t at = pdf.find("\r/" + key + " ");
  if (at == std::string::npos) std::abort();
  const std::size_t start = at + key.size() + 3;
  const std::size_t end = pdf.find('\r', start);
  const std::string_view token(pdf.data() + start, end - start);
  std::string value;
  if (token.starts_with("<FEFF")) {
    if (!token.ends_with(">") || (token.size() - 6) % 4 != 0) std::abort();
    for (std::size_t i = 5; i + 4 < token.size(); i += 4) {
      unsigned unit = 0;
      for (std::size_t k = 0; k < 4; ++k) {
        const int digit = HexValue(token[i + k]);
        if (digit < 0) std::abort();
        unit = unit * 16 + static_cast<unsigned>(digit);
      }
      zuna::text::AppendUtf8(unit, value);
    }
    return value;
  }
  if (!token.starts_with("(") || !token.ends_with(")")) std::abort();
  for (std::size_t i = 1; i + 1 < token.size(); ++i) {
    char c = token[i];
    if (c == '(' || c == ')') std::abort();  // an unescaped delimiter would end the string early
    if (c == '\\') {
      if (i + 2 >= token.size()) std::abort();  // the escape would swallow the closing one
      c = token[++i];
      if (c == 'r') c = '\r';
      if (c == 'n') c = '\n';
    }
    value.push_back(c);
  }
  return zuna::text::Cp1252ToUtf8(value);
}

// The font name after "/BaseFont /", its #xx escapes undone; aborts on a byte a name cannot hold.
std::string BaseFont(const std::string& pdf) {
  const std::size_t at = pdf.find("\r/BaseFont /");
  if (at == std::string::npos) std::abort();
  const std::size_t start = at + 12;
  const std::string_view token(pdf.data() + start, pdf.find('\r', start) - start);
  std::string name;
  for (std::size_t i = 0; i < token.size(); ++i) {
    const auto byte = static_cast<unsigned char>(token[i]);
    if (byte < '!' || byte > '~' ||
        std::string_view("()<>[]{}/%").find(token[i]) != std::string_view::npos) {
      std::abort();
    }
    if (token[i] == '#') {
      if (i + 2 >= token.size()) std::abort();
      const int high = HexValue(token[i + 1]), low = HexValue(token[i + 2]);
      if (high < 0 || low < 0) std::abort();
      name.push_back(static_cast<char>(high * 16 + low));
      i += 2;
    } else {
      name.push_back(token[i]);
    }
  }
  return name;
}

// What the writer makes of a caller string: Windows-1252, a missing character as '?'.
std::string AsWritten(const std::string& utf8) {
  return zuna::text::Cp1252ToUtf8(zuna::text::Utf8ToCp1252(utf8));
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  if (size < 4) return 0;
  static constexpr const char* kFonts[] = {"Courier", "COURIER", "Arial", "Courier-Bold"};
  std::string font = kFonts[data[0] % 4];
  const auto font_size = static_cast<std::int16_t>(static_cast<std::int8_t>(data[1]));
  const float width = static_cast<float>(data[2]) / 10.0f;
  const float height = static_cast<float>(data[3]) / 10.0f;
  std::string_view rest(reinterpret_cast<const char*>(data) + 4, size - 4);
  std::string title, author, subject, keywords, creator;
  if (data[0] & kOptionsFollow) {
    title = TakeField(rest);
    author = TakeField(rest);
    subject = TakeField(rest);
    keywords = TakeField(rest);
    creator = TakeField(rest);
    font = TakeField(rest);
  }
  const auto& folder = zuna::fuzz::Folder();
  zuna::fuzz::WriteBytes(folder / "in.txt", rest);
  Silent op;
  zuna::pdf::TxtToPdf writer(op);
  writer.set_clock([] { return std::string("D:20261208000000"); });
  zuna::pdf::PdfOptions options;
  options.author = author;
  options.creator = creator;
  options.keywords = keywords;
  options.subject = subject;
  options.title = title;
  options.font_name = font;
  options.font_size = font_size;
  options.width_inches = width;
  options.height_inches = height;
  writer.ConvertTextToPdf(folder / "in.txt", folder / "out.pdf", options);
  if (writer.failed()) return 0;
  const std::string pdf = Read(folder / "out.pdf");
  if (static_cast<std::int64_t>(pdf.size()) != writer.running_offset()) std::abort();
  const std::size_t startxref = pdf.rfind("startxref\r");
  if (startxref == std::string::npos) std::abort();
  const long xref = std::strtol(pdf.c_str() + startxref + 10, nullptr, 10);
  if (pdf.compare(static_cast<std::size_t>(xref), 5, "xref\r") != 0) std::abort();
  if (InfoValue(pdf, "Title") != AsWritten(title) ||
      InfoValue(pdf, "Author") != AsWritten(author) ||
      InfoValue(pdf, "Subject") != AsWritten(subject) ||
      InfoValue(pdf, "Keywords") != AsWritten(keywords) ||
      InfoValue(pdf, "Creator") != AsWritten(creator)) {
    std::abort();
  }
  if (BaseFont(pdf) != zuna::text::Utf8ToCp1252(font)) std::abort();
  return 0;
}
