#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

// ODBC connection strings: "DSN=pay;Database=zuna;PWD={a;b}".
namespace zuna::sql::odbc {

struct ConnectionAttribute {
  std::string key;
  std::string value;
};

// The attributes of `text` in order. A value in braces may hold ';' (a '}' inside is doubled);
// blanks around keys and plain values are dropped; a part without '=' is left out.
std::vector<ConnectionAttribute> ParseConnectionString(std::string_view text);

// The attributes as a connection string; a value that needs them is put in braces.
std::string FormatConnectionString(const std::vector<ConnectionAttribute>& attributes);

// The value of the last attribute named `key` (without case), or nothing.
std::optional<std::string> FindAttribute(const std::vector<ConnectionAttribute>& attributes,
                                         std::string_view key);

}  // namespace zuna::sql::odbc
