#pragma once

#include <array>
#include <cstddef>
#include <memory>
#include <string>
#include <string_view>

#include "platform/base/result.h"

namespace zuna::text {

// Decodes text of one Windows or DOS code page to UTF-8. Single-byte pages decode through a
// 256-entry table built once from iconv, so a field costs a table walk; multi-byte pages go
// through iconv per call, with a conversion handle of the decoder's own: a copy opens its own
// handle, so no two decoders share iconv's state. A byte the page does not define becomes
// U+FFFD and is counted: bad bytes are reported, never fatal.
class CodePageDecoder {
 public:
  // A decoder that knows ASCII only; every other byte is undefined.
  CodePageDecoder();

  // Fails with kNotFound when iconv knows no such code page.
  static Result<CodePageDecoder> ForCodePage(int code_page);

  // A copy of a multi-byte decoder opens its own iconv handle; iconv refuses one for a page it
  // opened before only for want of memory, which is thrown as std::bad_alloc.
  CodePageDecoder(const CodePageDecoder& other);
  CodePageDecoder& operator=(const CodePageDecoder& other);
  CodePageDecoder(CodePageDecoder&& other) noexcept;
  CodePageDecoder& operator=(CodePageDecoder&& other) noexcept;
  ~CodePageDecoder();

  int code_page() const { return code_page_; }

  // Appends the UTF-8 form of `bytes` to `out`; returns how many bytes did not decode.
  std::size_t Decode(std::string_view bytes, std::string& out);

 private:
  struct Iconv;

  int code_page_ = 0;
  bool single_byte_ = true;
  // UTF-8 of each byte (up to 3 bytes and a length); length 0 marks an undefined byte.
  std::array<std::array<char, 4>, 256> table_{};
  std::unique_ptr<Iconv> iconv_;  // multi-byte pages only
};

}  // namespace zuna::text
