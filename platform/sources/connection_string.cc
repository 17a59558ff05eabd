#include "platform/sources/connection_string.h"

#include "platform/text/ascii.h"

namespace zuna::sources {
Status ValidateServerName(std::string_view name) {
  for (const char c : name) {
    const auto byte = static_cast<unsigned char>(c);
    if (c == ';' || c == '{' || c == '}' || c == '=' || byte < 0x20 || byte == 0x7F) {
      std::string shown = byte < 0x20 || byte == 0x7F ? "a control character" : std::string(1, c);
      return Status(ErrorKind::kInvalidArgument, kErrBadArguments,
                    "The server name \"" + std::string(name) + "\" is refused: it holds " +
                        (shown.size() == 1 ? "'" + shown + "'" : shown) +
                        ", which could change the connection string.");
    }
  }
  return Status::Ok();
}

std::optional<std::string> ConnectionAttribute(std::string_view text, std::string_view key) {
  const std::string wanted = text::LowerAscii(key);
  while (!text.empty()) {
    const std::size_t end = text.find(';');
    const std::string_view pair = text.substr(0, end);
    const std::size_t eq = pair.find('=');
    if (eq != std::string_view::npos &&
        text::LowerAscii(text::Trim(pair.substr(0, eq), text::kSpacesAndTabs)) == wanted) {
      return std::string(text::Trim(pair.substr(eq + 1), text::kSpacesAndTabs));
    }
    if (end == std::string_view::npos) break;
    text.remove_prefix(end + 1);
  }
  return std::nullopt;
}

}  // namespace zuna::sources
