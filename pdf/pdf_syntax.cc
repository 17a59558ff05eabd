#include "pdf/pdf_syntax.h"

#include <array>
#include <charconv>

#include "platform/text/encoding.h"

namespace zuna::pdf {
namespace {

constexpr char kHexDigits[] = "0123456789ABCDEF";
constexpr std::string_view kNameDelimiters = "()<>[]{}/%#";

// True when the Windows-1252 byte stands for the same character in PDFDocEncoding.
bool ReadsTheSameInPdfDoc(unsigned char byte) {
  if (byte == '\t' || byte == '\n' || byte == '\r') return true;
  if (byte >= 0x20 && byte <= 0x7E) return true;
  return byte >= 0xA1 && byte != 0xAD;
}

void AppendHex(unsigned value, int digits, std::string& out) {
  for (int shift = 4 * (digits - 1); shift >= 0; shift -= 4)
    out.push_back(kHexDigits[(value >> shift) & 0xF]);
}

std::string Utf16BeHex(std::string_view cp1252) {
  const std::string utf8 = text::Cp1252ToUtf8(cp1252);
  std::string out = "<FEFF";
  // Every Windows-1252 character lies in the Basic Multilingual Plane: one UTF-16 unit each.
  for (std::size_t pos = 0; pos < utf8.size();) AppendHex(text::NextCodePoint(utf8, pos), 4, out);
  out.push_back('>');
  return out;
}

}  // namespace

std::string InfoString(std::string_view cp1252) {
  bool literal = !cp1252.starts_with("\xFE\xFF");  // a reader would take those for a BOM
  for (char c : cp1252) literal = literal && ReadsTheSameInPdfDoc(static_cast<unsigned char>(c));
  if (!literal) return Utf16BeHex(cp1252);
  std::string out = "(";
  for (char c : cp1252) {
    switch (c) {
      case '\\':
      case '(':
      case ')':
        out.push_back('\\');
        out.push_back(c);
        break;
      case '\r':
        out.append("\\r");
        break;
      case '\n':
        out.append("\\n");
        break;
      default:
        out.push_back(c);
    }
  }
  out.push_back(')');
  return out;
}

std::string NameCharacters(std::string_view bytes) {
  std::string out;
  for (char c : bytes) {
    const auto byte = static_cast<unsigned char>(c);
    if (byte < '!' || byte > '~' || kNameDelimiters.find(c) != std::string_view::npos) {
      out.push_back('#');
      AppendHex(byte, 2, out);
    } else {
      out.push_back(c);
    }
  }
  return out;
}

std::string PlainNumber(double number) {
  // The largest double in fixed notation has 309 digits.
  std::array<char, 400> buffer;
  const auto [end, ec] =
      std::to_chars(buffer.data(), buffer.data() + buffer.size(), number, std::chars_format::fixed);
  if (ec != std::errc()) return "0";
  return std::string(buffer.data(), end);
}

}  // namespace zuna::pdf
