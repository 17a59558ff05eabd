#include "platform/recordset/simple_select.h"

#include "platform/recordset/quoted_name.h"
#include "platform/text/ascii.h"

namespace zuna::recordset {
namespace {

bool IsBlank(char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\n'; }

// A small cursor over a statement: keywords, punctuation and one table name.
class Tokens {
 public:
  explicit Tokens(std::string_view text) : text_(text) {}

  bool Keyword(std::string_view word) {
    SkipBlanks();
    if (text_.size() - pos_ < word.size()) return false;
    if (text::LowerAscii(text_.substr(pos_, word.size())) != word) return false;
    const std::size_t end = pos_ + word.size();
    if (end < text_.size() && !IsBlank(text_[end]) && text_[end] != '(' && text_[end] != '[' &&
        text_[end] != '*') {
      return false;
    }
    pos_ = end;
    return true;
  }

  bool Punct(char c) {
    SkipBlanks();
    if (pos_ >= text_.size() || text_[pos_] != c) return false;
    ++pos_;
    return true;
  }

  std::optional<std::string> Name() {
    SkipBlanks();
    std::string name;
    if (pos_ < text_.size() && text_[pos_] == '[') {
      const auto end = ReadQuotedName(text_, pos_, ']', name);
      if (!end || name.empty()) return std::nullopt;
      pos_ = *end;
      return name;
    }
    while (pos_ < text_.size() && !IsBlank(text_[pos_]) && text_[pos_] != ';') {
      const char c = text_[pos_++];
      if (c == '(' || c == ')' || c == ',' || c == '\'' || c == '"') return std::nullopt;
      name.push_back(c);
    }
    if (name.empty()) return std::nullopt;
    return name;
  }

  bool AtEnd() {
    SkipBlanks();
    if (pos_ < text_.size() && text_[pos_] == ';') ++pos_;
    SkipBlanks();
    return pos_ == text_.size();
  }

 private:
  void SkipBlanks() {
    while (pos_ < text_.size() && IsBlank(text_[pos_])) ++pos_;
  }
  std::string_view text_;
  std::size_t pos_ = 0;
};

}  // namespace

std::optional<SimpleSelect> ParseSimpleSelect(std::string_view text) {
  Tokens tokens(text);
  SimpleSelect select;
  if (!tokens.Keyword("select")) return std::nullopt;
  if (tokens.Punct('*')) {
    select.kind = SimpleSelect::Kind::kSelectAll;
  } else if (tokens.Keyword("count") && tokens.Punct('(') && tokens.Punct('*') &&
             tokens.Punct(')')) {
    select.kind = SimpleSelect::Kind::kCount;
  } else {
    return std::nullopt;
  }
  if (!tokens.Keyword("from")) return std::nullopt;
  auto name = tokens.Name();
  if (!name || !tokens.AtEnd()) return std::nullopt;
  select.table = std::move(*name);
  return select;
}

}  // namespace zuna::recordset
