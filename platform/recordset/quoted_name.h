#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>

// Names quoted inside statement texts: SQL Server's [name] and the standard's "name", where the
// closing quote doubled inside stands for itself.
namespace zuna::recordset {

// `name` between `open` and `close`, each `close` inside doubled: safe to put into a statement
// text, whatever the name holds.
std::string QuoteName(std::string_view name, char open, char close);

// `name` in square brackets, each ']' doubled: SQL Server's quoted form.
std::string BracketName(std::string_view name);

// `name` in double quotes, each '"' doubled: the standard's quoted form (SQLite's).
std::string DoubleQuoteName(std::string_view name);

// Reads the quoted name that starts with `close`'s opening quote at text[start] and ends at the
// first `close` that is not doubled. Returns the position after that closing quote, with the
// name (each doubled `close` made one) in `name`; empty when the text ends before it.
std::optional<std::size_t> ReadQuotedName(std::string_view text, std::size_t start, char close,
                                          std::string& name);

}  // namespace zuna::recordset
