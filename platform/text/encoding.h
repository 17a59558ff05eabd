#pragma once

#include <cstddef>
#include <string>
#include <string_view>

namespace zuna::text {

// Windows-1252 bytes to UTF-8. The five bytes the code page leaves undefined (0x81, 0x8D, 0x8F,
// 0x90, 0x9D) become the C1 controls of the same number, as Windows itself maps them, so nothing
// read from an "ANSI" file is lost.
std::string Cp1252ToUtf8(std::string_view bytes);

// UTF-8 to Windows-1252 bytes; a character the code page lacks, or a malformed sequence,
// becomes '?'.
std::string Utf8ToCp1252(std::string_view utf8);

// Appends `utf8` as UTF-16 little-endian bytes; malformed sequences become U+FFFD.
void AppendUtf16Le(std::string_view utf8, std::string& out);

// Appends one code point as UTF-8.
void AppendUtf8(char32_t code_point, std::string& out);

// The number of characters (code points) of a UTF-8 text.
std::size_t CodePointCount(std::string_view utf8);

// The first `count` characters of a UTF-8 text (all of it when it is shorter).
std::string_view FirstCodePoints(std::string_view utf8, std::size_t count);

// Decodes one UTF-8 sequence at `pos`, advancing it; a malformed byte yields U+FFFD and
// advances by one.
char32_t NextCodePoint(std::string_view utf8, std::size_t& pos);

}  // namespace zuna::text
