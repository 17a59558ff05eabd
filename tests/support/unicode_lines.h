#pragma once

#include <filesystem>
#include <string>
#include <vector>

namespace zuna::testkit {

// The complete lines (each ended by CR LF) of a Unicode file (UTF-16 LE with its byte-order
// mark) as it is on disk now, in UTF-8; {"<no byte-order mark>"} for a file without one.
std::vector<std::string> UnicodeLines(const std::filesystem::path& path);

}  // namespace zuna::testkit
