#include "app/cli/arguments.h"

#include <span>
#include <string_view>

namespace zuna::cli {
namespace {

enum class Takes { kNothing, kValue };

struct Option {
  std::string_view name;  // "--server"
  std::string_view short_name;
  Takes takes;
  // The commands it belongs to, blank-separated; empty for every command.
  std::string_view commands;
};

constexpr Option kOptions[] = {
    {"--server", "", Takes::kValue, ""},
    {"--home", "", Takes::kValue, ""},
    {"--open", "", Takes::kNothing, ""},
    {"--quiet", "-q", Takes::kNothing, ""},
    {"--help", "-h", Takes::kNothing, ""},
    {"--version", "", Takes::kNothing, ""},
    {"--append", "", Takes::kNothing, "import"},
    {"--summary", "", Takes::kValue, "import report verify"},
    {"--font", "", Takes::kValue, "pdf"},
    {"--size", "", Takes::kValue, "pdf"},
    {"--rotate", "", Takes::kValue, "pdf"},
    {"--width", "", Takes::kValue, "pdf"},
    {"--height", "", Takes::kValue, "pdf"},
    {"--title", "", Takes::kValue, "pdf"},
    {"--author", "", Takes::kValue, "pdf"},
    {"--subject", "", Takes::kValue, "pdf"},
    {"--keywords", "", Takes::kValue, "pdf"},
    {"--creator", "", Takes::kValue, "pdf"},
    {"--memory", "", Takes::kValue, "verify"},
};

const Option* FindOption(std::string_view name) {
  for (const Option& option : kOptions) {
    if (option.name == name || (!option.short_name.empty() && option.short_name == name)) {
      return &option;
    }
  }
  return nullptr;
}

bool BelongsTo(const Option& option, std::string_view command) {
  if (option.commands.empty()) return true;
  std::string_view rest = option.commands;
  while (!rest.empty()) {
    const std::size_t blank = rest.find(' ');
    if (rest.substr(0, blank) == command) return true;
    rest = blank == std::string_view::npos ? std::string_view() : rest.substr(blank + 1);
  }
  return false;
}

// "import", "import and report", "import, report and verify".
std::string CommandsOf(const Option& option) {
  std::string list(option.commands);
  const std::size_t last = list.rfind(' ');
  if (last == std::string::npos) return list;
  std::string joined;
  for (std::size_t i = 0; i < list.size(); ++i) {
    if (list[i] != ' ') {
      joined += list[i];
    } else {
      joined += i == last ? " and " : ", ";
    }
  }
  return joined;
}

}  // namespace

ParsedArguments ParseArguments(int argc, const char* const* argv, Invocation& invocation) {
  ParsedArguments parsed;
  const auto fail = [&parsed](std::string message) {
    parsed.error = std::move(message);
    return parsed;
  };
  std::vector<std::pair<const Option*, std::string>> given;
  bool options_ended = false;
  std::vector<std::string> words;
  for (int i = 1; i < argc; ++i) {
    const std::string_view arg = argv[i];
    if (options_ended || arg == "-" || !arg.starts_with("-")) {
      words.emplace_back(arg);
      continue;
    }
    if (arg == "--") {
      options_ended = true;
      continue;
    }
    const std::size_t eq = arg.starts_with("--") ? arg.find('=') : std::string_view::npos;
    const std::string_view name = arg.substr(0, eq);
    const Option* option = FindOption(name);
    if (!option) return fail("unknown option " + std::string(name));
    std::string value;
    if (option->takes == Takes::kNothing && eq != std::string_view::npos) {
      return fail(std::string(name) + " takes no value");
    }
    if (option->takes == Takes::kValue) {
      if (eq != std::string_view::npos) {
        value = arg.substr(eq + 1);
      } else if (i + 1 < argc) {
        value = argv[++i];
      } else {
        return fail(std::string(name) + " needs a value");
      }
    }
    given.emplace_back(option, std::move(value));
  }

  for (const auto& [option, value] : given) {
    if (option->name == "--help") parsed.request = Request::kHelp;
    if (option->name == "--version" && parsed.request != Request::kHelp) {
      parsed.request = Request::kVersion;
    }
  }
  if (parsed.request != Request::kRun) return parsed;

  if (words.empty()) return fail("no command given");
  invocation.command = words.front();
  invocation.arguments.assign(words.begin() + 1, words.end());
  for (const auto& [option, value] : given) {
    if (!BelongsTo(*option, invocation.command)) {
      return fail(std::string(option->name) + " belongs to " + CommandsOf(*option) + ", not to " +
                  invocation.command);
    }
    if (option->name == "--server") {
      invocation.server = value;
    } else if (option->name == "--home") {
      invocation.home = value;
    } else if (option->name == "--open") {
      invocation.open_documents = true;
    } else if (option->name == "--quiet") {
      invocation.quiet = true;
    } else if (option->name == "--append") {
      invocation.append = true;
    } else if (option->name == "--summary") {
      if (value.empty()) return fail("--summary needs a file name");
      invocation.summary = value;
    } else {
      invocation.command_options.emplace_back(option->name, value);
    }
  }
  return parsed;
}

}  // namespace zuna::cli
