#include "platform/text/code_page_decoder.h"

#include <iconv.h>

#include <cerrno>
#include <cstdint>
#include <cstring>
#include <new>
#include <vector>

#include "platform/text/encoding.h"

namespace zuna::text {

struct CodePageDecoder::Iconv {
  explicit Iconv(iconv_t h) : handle(h) {}
  Iconv(const Iconv&) = delete;
  Iconv& operator=(const Iconv&) = delete;
  ~Iconv() { iconv_close(handle); }
  iconv_t handle;
};

namespace {

std::string IconvName(int code_page) { return "CP" + std::to_string(code_page); }

constexpr char kReplacementUtf8[] = "\xEF\xBF\xBD";

// How many bytes at the start of `bytes` are ASCII, which every code page here decodes as
// itself: nearly all payroll text is. Eight bytes are tested at a time.
std::size_t AsciiPrefix(std::string_view bytes) {
  constexpr std::uint64_t kHighBits = 0x8080808080808080ull;
  std::size_t i = 0;
  for (; i + sizeof(std::uint64_t) <= bytes.size(); i += sizeof(std::uint64_t)) {
    std::uint64_t word;
    std::memcpy(&word, bytes.data() + i, sizeof word);
    if (word & kHighBits) break;
  }
  while (i < bytes.size() && static_cast<unsigned char>(bytes[i]) < 0x80) ++i;
  return i;
}

bool IsMultiByte(int code_page) {
  return code_page == 932 || code_page == 936 || code_page == 949 || code_page == 950;
}

// iconv converts in place and keeps shift state; reset it so each call stands alone.
std::size_t ConvertWithIconv(iconv_t handle, std::string_view bytes, std::string& out) {
  iconv(handle, nullptr, nullptr, nullptr, nullptr);
  std::size_t bad = 0;
  char* in = const_cast<char*>(bytes.data());
  std::size_t in_left = bytes.size();
  std::vector<char> buffer(bytes.size() * 4 + 16);
  while (in_left > 0) {
    char* dst = buffer.data();
    std::size_t dst_left = buffer.size();
    std::size_t rc = iconv(handle, &in, &in_left, &dst, &dst_left);
    out.append(buffer.data(), buffer.size() - dst_left);
    if (rc == static_cast<std::size_t>(-1)) {
      if (errno == E2BIG) continue;
      // An invalid or incomplete sequence: replace one byte and go on after it.
      out += kReplacementUtf8;
      ++bad;
      ++in;
      --in_left;
    }
  }
  return bad;
}

}  // namespace

CodePageDecoder::CodePageDecoder() = default;
CodePageDecoder::~CodePageDecoder() = default;
CodePageDecoder::CodePageDecoder(CodePageDecoder&& other) noexcept = default;
CodePageDecoder& CodePageDecoder::operator=(CodePageDecoder&& other) noexcept = default;

CodePageDecoder::CodePageDecoder(const CodePageDecoder& other)
    : code_page_(other.code_page_), single_byte_(other.single_byte_), table_(other.table_) {
  if (!other.iconv_) return;
  const iconv_t handle = iconv_open("UTF-8", IconvName(code_page_).c_str());
  if (handle == reinterpret_cast<iconv_t>(-1)) throw std::bad_alloc();
  iconv_ = std::make_unique<Iconv>(handle);
}

CodePageDecoder& CodePageDecoder::operator=(const CodePageDecoder& other) {
  if (this != &other) *this = CodePageDecoder(other);
  return *this;
}

Result<CodePageDecoder> CodePageDecoder::ForCodePage(int code_page) {
  iconv_t handle = iconv_open("UTF-8", IconvName(code_page).c_str());
  if (handle == reinterpret_cast<iconv_t>(-1)) {
    return Status(ErrorKind::kNotFound, errno, "unknown code page " + std::to_string(code_page));
  }
  auto owned = std::make_unique<Iconv>(handle);
  CodePageDecoder decoder;
  decoder.code_page_ = code_page;
  if (IsMultiByte(code_page)) {
    decoder.single_byte_ = false;
    decoder.iconv_ = std::move(owned);
    return decoder;
  }
  // A single-byte page needs iconv only to fill its table.
  for (int b = 0; b < 256; ++b) {
    auto& entry = decoder.table_[static_cast<std::size_t>(b)];
    std::string utf8;
    const char byte = static_cast<char>(b);
    if (ConvertWithIconv(handle, std::string_view(&byte, 1), utf8) != 0 || utf8.size() > 3) {
      entry[3] = 0;
      continue;
    }
    for (std::size_t i = 0; i < utf8.size(); ++i) entry[i] = utf8[i];
    entry[3] = static_cast<char>(utf8.size());
  }
  return decoder;
}

std::size_t CodePageDecoder::Decode(std::string_view bytes, std::string& out) {
  if (!single_byte_) return ConvertWithIconv(iconv_->handle, bytes, out);
  std::size_t bad = 0;
  std::size_t i = 0;
  while (i < bytes.size()) {
    // Runs of ASCII are copied at once; a field that is ASCII throughout is one copy.
    const std::size_t run = AsciiPrefix(bytes.substr(i));
    if (run > 0) {
      out.append(bytes.data() + i, run);
      i += run;
      continue;
    }
    const auto& entry = table_[static_cast<unsigned char>(bytes[i])];
    const int length = entry[3];
    if (length == 0) {
      out += kReplacementUtf8;
      ++bad;
    } else {
      out.append(entry.data(), static_cast<std::size_t>(length));
    }
    ++i;
  }
  return bad;
}

}  // namespace zuna::text
