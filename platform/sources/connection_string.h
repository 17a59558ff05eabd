#pragma once

#include <optional>
#include <string>
#include <string_view>

#include "platform/base/status.h"

// The "key=value;key=value" texts that name a data source or a server.
namespace zuna::sources {

// ADO's "arguments are of the wrong type" for a connection text it will not use.
inline constexpr long kErrBadArguments = 3001;

// Refuses a server name that could add attributes to a connection string: one holding ';', '{',
// '}', '=' or a control character.
Status ValidateServerName(std::string_view name);

// The value of `key` in a "key=value;key=value" text, keys compared without case and blanks
// around keys and values ignored.
std::optional<std::string> ConnectionAttribute(std::string_view text, std::string_view key);

}  // namespace zuna::sources
