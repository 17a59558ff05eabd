#pragma once

#include <string>
#include <string_view>

// How the writer spells values that come from its caller: strings of the information dictionary,
// the font's name and numbers that may be fractional. Each keeps the caller's value exactly as a
// PDF reader will read it back.
namespace zuna::pdf {

// A text string of the information dictionary, delimiters included, for Windows-1252 bytes.
// When every character reads the same in PDFDocEncoding (printable ASCII, tab, CR, LF and the
// Latin-1 letters from 0xA1 on but the soft hyphen) it is a literal "(...)" with '\', '(' and
// ')' escaped, and CR and LF written as \r and \n, which a reader would otherwise turn into a
// line feed. Any other string (the euro sign, curly quotes, control characters) is written
// "<FEFF...>" in UTF-16BE, which every reader decodes exactly.
std::string InfoString(std::string_view cp1252);

// `bytes` as the characters of a PDF name after its slash: blanks, delimiters, '#' and every
// byte outside '!'..'~' written as '#' and two hexadecimal digits. A NUL byte cannot stand in a
// name; the caller refuses it.
std::string NameCharacters(std::string_view bytes);

// A number in plain decimal, never with an exponent (PDF has none): 540, 100000, 0.5.
std::string PlainNumber(double number);

}  // namespace zuna::pdf
